// The Options sheet of the editing view: display modes of the standard tags,
// the user's own meta tags, and the file types the file browser lists. Each
// page works on its own copy (the models of options_model.h) and writes it
// back only on Apply or OK.
#pragma once

#include "tags/options_model.h"
#include "tags/site_audit.h"
#include "tags/tag_catalogue.h"

#include <QDialog>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QButtonGroup;
class QCheckBox;
class QDialogButtonBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace orlen {

// "Define Meta Tag": the name, http-equiv and multi-line settings of one of
// the user's own tags. The controls hold the values.
class DefineMetaTagDialog : public QDialog {
    Q_OBJECT
public:
    explicit DefineMetaTagDialog(QWidget* parent = nullptr);

    QString name() const;
    int httpEquiv() const; // 0 or 1
    int multiLine() const; // 0 or 1
    void setName(const QString& name);
    void setHttpEquiv(int httpEquiv);
    void setMultiLine(int multiLine);

    QLineEdit* NameEdit() const { return name_; }
    QCheckBox* HttpEquivBox() const { return httpEquiv_; }
    QCheckBox* PropertyBox() const { return property_; }
    QCheckBox* MultiLineBox() const { return multiLine_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    QLineEdit* name_ = nullptr;
    QCheckBox* httpEquiv_ = nullptr;
    QCheckBox* property_ = nullptr;
    QCheckBox* multiLine_ = nullptr;
    // The kind the dialog opened with: a link or the language, which the
    // boxes cannot show, is handed back unchanged.
    int kind_ = kMetaName;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The three radio buttons of a display mode and the heading above them.
struct DisplayModeControls {
    QButtonGroup* group = nullptr;         // ids are the display modes 0, 1, 2
    std::array<QRadioButton*, 3> radios{}; // indexed by display mode
    void Show(const DisplayModeRadios& state);
};

// "Standard meta tags": the display mode of each of the 13 standard tags.
class CStdTagsPage : public QWidget {
    Q_OBJECT
public:
    explicit CStdTagsPage(TagCatalogue& catalogue, QWidget* parent = nullptr);

    // Called each time the page is shown; the first time it takes the
    // catalogue's display modes and fills the list.
    void Activate();
    bool Activated() const { return model_.has_value(); }
    bool Modified() const { return model_ && model_->modified; }
    // Writes the working modes into the catalogue; the page is then unmodified.
    void Apply();

    QListWidget* List() const { return list_; }
    QRadioButton* ModeRadio(int mode) const;
    // The working data; empty before the first activation.
    const std::optional<StandardTagsModel>& Model() const { return model_; }

signals:
    void Changed();

private:
    void SelectionChanged(int row);
    void ModeClicked(int mode);

    TagCatalogue& catalogue_;
    std::optional<StandardTagsModel> model_;
    QListWidget* list_ = nullptr;
    DisplayModeControls modes_;
};

// "User defined meta tags": the user's own tags and the further tags of the
// loaded page, with their display modes.
class CCustomTagsPage : public QWidget {
    Q_OBJECT
public:
    explicit CCustomTagsPage(TagCatalogue& catalogue, QWidget* parent = nullptr);

    // Runs the "Define Meta Tag" dialog and returns its result code
    // (QDialog::Accepted or QDialog::Rejected). When set it is called in
    // place of exec(), with the dialog already filled, so tests can answer.
    std::function<int(DefineMetaTagDialog&)> runDefineDialog;

    void Activate();
    bool Activated() const { return model_.has_value(); }
    bool Modified() const { return model_ && model_->modified; }
    // Replaces the catalogue's entries after the standard tags with copies of
    // the working list; the page is then unmodified.
    void Apply();

    QListWidget* List() const { return list_; }
    QRadioButton* ModeRadio(int mode) const;
    QPushButton* AddButton() const { return add_; }
    QPushButton* EditButton() const { return edit_; }
    QPushButton* RemoveButton() const { return remove_; }
    const std::optional<CustomTagsModel>& Model() const { return model_; }

signals:
    void Changed();

private:
    void Fill();
    void ShowControls();
    void SelectionChanged(int row);
    void ModeClicked(int mode);
    void AddTag();
    void EditTag();
    void RemoveTag();
    int RunDialog(DefineMetaTagDialog& dialog);

    TagCatalogue& catalogue_;
    std::optional<CustomTagsModel> model_;
    QListWidget* list_ = nullptr;
    DisplayModeControls modes_;
    QPushButton* add_ = nullptr;
    QPushButton* edit_ = nullptr;
    QPushButton* remove_ = nullptr;
};

// "File types": the extensions of the page files, kept as "*.htm;*.html;...".
class CFileTypesPage : public QWidget {
    Q_OBJECT
public:
    // Takes its own copy of the file-type string.
    CFileTypesPage(const std::string& fileTypes, bool writeCrLf, QWidget* parent = nullptr);

    // Called each time the page is shown: refills the list from the working
    // string.
    void Activate();
    bool Activated() const { return activated_; }
    bool Modified() const { return model_.modified || crlfModified_; }
    // Writes the working string to fileTypes and the line-end choice to
    // writeCrLf; the page is then unmodified.
    void Apply(std::string& fileTypes, bool& writeCrLf);
    QCheckBox* CrLfBox() const { return crlf_; }

    const std::string& WorkingTypes() const { return model_.Types(); }
    QLineEdit* ExtensionEdit() const { return edit_; }
    QListWidget* List() const { return list_; }
    QPushButton* AddButton() const { return add_; }
    QPushButton* ReplaceButton() const { return replace_; }
    QPushButton* RemoveButton() const { return remove_; }

signals:
    void Changed();

private:
    void Fill();
    void UpdateButtons();
    void AddType();
    void ReplaceType();
    void RemoveType();

    FileTypesModel model_;
    bool activated_ = false;
    QLineEdit* edit_ = nullptr;
    QListWidget* list_ = nullptr;
    QPushButton* add_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* remove_ = nullptr;
    QCheckBox* crlf_ = nullptr;
    bool crlfModified_ = false;
};

// The limits of the site checks (AuditLimits), each in a spin box.
class CSiteLimitsPage : public QWidget {
    Q_OBJECT
public:
    enum Limit : int {
        TitleMinChars,
        TitleMaxChars,
        TitleMaxPixels,
        DescriptionMinChars,
        DescriptionMaxChars,
        DescriptionMaxPixels,
        LimitCount
    };
    explicit CSiteLimitsPage(const AuditLimits& limits, QWidget* parent = nullptr);
    // The limits as the boxes show them.
    AuditLimits Limits() const;
    QSpinBox* Box(int limit) const { return boxes_[static_cast<std::size_t>(limit)]; }

signals:
    void Changed();

private:
    std::array<QSpinBox*, LimitCount> boxes_{};
};

// "Options": the three pages above with OK, Cancel and Apply. Apply is
// enabled once a page has changed. Apply and OK write every page that has
// been shown back into the catalogue and the file-type string and emit
// Applied(); Cancel writes nothing more.
class COptionsSheet : public QDialog {
    Q_OBJECT
public:
    COptionsSheet(TagCatalogue& catalogue, std::string& fileTypes, QWidget* parent = nullptr);

    CStdTagsPage* StandardPage() const { return standard_; }
    CCustomTagsPage* CustomPage() const { return custom_; }
    CFileTypesPage* FileTypesPage() const { return fileTypesPage_; }
    QTabWidget* Tabs() const { return tabs_; }
    // Brings a page to the front (0, 1 or 2), as clicking its tab does.
    void ShowPage(int index);
    // Adds a fourth page with the limits of the site checks; Apply and OK
    // write them into limits.
    void AddSiteLimitsPage(AuditLimits& limits);
    CSiteLimitsPage* SiteLimitsPage() const { return siteLimitsPage_; }

    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* ApplyButton() const { return apply_; }

    void accept() override;

signals:
    void Applied();

private:
    void PageShown(int index);
    void PageChanged();
    void ApplyPages();

    TagCatalogue& catalogue_;
    std::string& fileTypes_;
    QTabWidget* tabs_ = nullptr;
    CStdTagsPage* standard_ = nullptr;
    CCustomTagsPage* custom_ = nullptr;
    CFileTypesPage* fileTypesPage_ = nullptr;
    CSiteLimitsPage* siteLimitsPage_ = nullptr;
    AuditLimits* limits_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* apply_ = nullptr;
};

} // namespace orlen
