// The meta-data editing view: one row per catalogue entry (label, value box,
// optional button, and the template action list while a template is being
// edited), and a banner while a template is open. Every change is written at
// once into the page or the template.
#pragma once

#include "document/vantle_doc.h"
#include "page/charset.h"
#include "shell/command_target.h"
#include "tags/tag_catalogue.h"

#include <QScrollArea>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class QComboBox;
class QPushButton;

namespace orlen {

class RowWidgets;
class ViewCanvas;

class CVantleView : public QScrollArea, public DocumentView, public CommandTarget {
    Q_OBJECT
public:
    // settings and fileTypes outlive the view; the catalogue loads from them
    // now and saves to them when the view goes.
    CVantleView(CVantleDoc& doc, SettingsStore& settings, std::string& fileTypes,
                QWidget* parent = nullptr);
    ~CVantleView() override;

    // DocumentView
    void OnUpdate() override;
    void OnInitialUpdate() override;

    // CommandTarget
    bool OnCmdMsg(int id) override;
    bool OnUpdateCmd(int id, CommandState& state) override;

    TagCatalogue& Catalogue() { return catalogue_; }
    void SaveSettings() { catalogue_.saveSettings(); }
    bool ShowAllFields() const { return showAllFields_; }

    // Row operations (values as the user sees them).
    QString RowValue(int row) const;
    // The value of the row of that name and kind; "" when there is none.
    QString ValueOf(std::string_view name, int kind) const;
    void SetRowValue(int row, const QString& value);
    int RowAction(int row) const;
    void SetRowAction(int row, int action);
    void FocusRow(int row);
    // The widgets of a row, for tests: value box (a line or text edit, or the
    // frame-target combo box), button and action list; nullptr when absent.
    QWidget* ValueBox(int row) const;
    QPushButton* RowButton(int row) const;
    QComboBox* ActionList(int row) const;
    QPushButton* ApplyButton() const { return applyButton_; }
    QPushButton* TemplateButton() const { return templateButton_; }
    int CurrentRow() const { return currentRow_; }
    int UndoRow() const { return undoRow_; }
    // The vertical position of a row in the form (its label's line).
    int RowTop(int row) const;
    Charset ValueCharset() const { return charset_; }
    // Whether the rows take no edits (a page in an unsupported charset).
    bool Locked() const { return locked_; }

    // Re-creates missing controls, applies the display rule and lays out.
    void Refresh();

    // The value editor a row's button opens, by the catalogue's editor kind
    // of the row; the application registers them, tests replace them. Each
    // gets the row's value and returns the new one, or nothing when
    // cancelled.
    using RowEditor = std::function<std::optional<QString>(int row, const QString& value)>;
    void SetRowEditor(TagEditor kind, RowEditor editor) { editors_[kind] = std::move(editor); }
    // The Options sheet; tests replace it. Returns true when it ended with OK.
    std::function<bool()> optionsRunner;

signals:
    // Text for the status bar's message pane ("" for the idle text).
    void StatusText(const QString& text);
    // The charset of what the rows show, and how it was decided.
    void CharsetText(const QString& text);
    // The banner's buttons: command 1 (Apply) and 2 (Edit template).
    void Command(int id);
    void OpenUrlRequested(const QString& url);
    // The Options sheet stored new limits of the site checks.
    void AuditLimitsChanged();
    // The rows' values changed: typed, chosen, or loaded from a page or
    // template.
    void ValuesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    friend class ViewCanvas;
    friend class RowWidgets;

    RowWidgets* Widgets(int row) const;
    void CreateControls(int row);
    void DestroyOrphanControls();
    void ShowRow(int row, bool shown);
    void LoadPage();
    void LoadTemplate();
    void Layout();
    int LayoutRow(int row, int y, int width);
    void Store();
    void MarkModifiedAndStore();
    void ScrollRowIntoView(int row);
    void ApplyDisplayRule();
    bool Editing() const { return doc_.templateEditing != 0; }
    int AppendPageOnlyRow(const std::string& name, int httpEquiv);
    void SetLocked(bool locked);
    // Whether the open template has the row's tag (the title for row 0).
    bool TemplateHas(int row);

    // Control notifications.
    void OnValueFocus(int id, bool in);
    void OnComboFocus(int id);
    void OnValueChanged(int id);
    void OnSelectionChanged(int id);
    void OnButton(int id);
    void SuggestDescription(int row);
    void SuggestKeywords(int row);
    void ShowOptions();

    // Page bytes and the text shown: decoded from the charset of the page
    // or template and from character references; typed text escaped for
    // its place (the title row or an attribute value) and encoded back.
    QString Decode(const std::string& bytes) const;
    std::string Source(const QString& text, int row) const;
    std::string Encode(const QString& text, int row) const;

    CVantleDoc& doc_;
    TagCatalogue catalogue_;
    std::string& fileTypes_;
    SettingsStore& settings_;
    std::string commonWords_;
    ViewCanvas* canvas_;
    // Where Layout put each group caption: its top and its text.
    std::vector<std::pair<int, QString>> groupCaptions_;
    QPushButton* applyButton_;
    QPushButton* templateButton_;
    std::map<RowWidgets*, std::unique_ptr<RowWidgets>> widgets_;
    std::map<TagEditor, RowEditor> editors_;
    int currentRow_ = -1;
    int undoRow_ = -1;
    int rememberedRow_ = 0;
    bool showAllFields_ = false;
    bool initialUpdateDone_ = false;
    Charset charset_ = Charset::Utf8;
    bool locked_ = false;
};

} // namespace orlen
