#include "tags/ui/vantle_view.h"
#include "document/template_action.h"
#include "page/entities.h"
#include "page/ui/qt_text.h"

#include "page/text_util.h"
#include "shell/command_ids.h"
#include "shell/shell_texts.h"
#include "tags/suggestions.h"
#include "tags/ui/options_sheet.h"
#include "tags/ui/suggestion_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>

namespace orlen {

namespace {

// Layout of the form, in pixels.
constexpr int kMinWidth = 250;
constexpr int kBannerHeight = 40;
constexpr int kTopWithoutBanner = 3;
constexpr int kLineHeight = 20;
constexpr int kMultiLineHeight = 54;
constexpr int kRowGap = 30;
// Room for the caption of a group of rows, and the colour of its rule.
constexpr int kGroupCaptionHeight = 24;
const QColor kGroupRuleColour(160, 160, 160);
const QColor kBackground(255, 255, 204);
const QColor kBannerColour(225, 225, 194);

QFont RowFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(13); // a 16-pixel cell
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

// The value boxes and buttons of the form. Tab and Shift+Tab move between the
// form's controls (the form decides where) and never insert a Tab character.
class TabNavEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
};

class TabNavTextEdit : public QPlainTextEdit {
public:
    explicit TabNavTextEdit(QWidget* parent) : QPlainTextEdit(parent) {
        setTabChangesFocus(true);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
};

class TabNavComboBox : public QComboBox {
public:
    using QComboBox::QComboBox;
};

class TabNavButton : public QPushButton {
public:
    using QPushButton::QPushButton;
};

// The controls of one row; the catalogue reads the row's value through it.
class RowWidgets final : public RowValueSource {
public:
    RowWidgets(CVantleView& view, int id) : view(view), id(id) {}
    ~RowWidgets() override {
        delete line;
        delete text;
        delete frameBox;
        delete button;
        delete actions;
    }

    QString Text() const {
        if (line != nullptr) {
            return line->text();
        }
        if (text != nullptr) {
            return text->toPlainText();
        }
        return frameBox != nullptr ? frameBox->currentText() : QString();
    }
    // The value as page bytes; a value nobody changed keeps its bytes.
    std::string RowText() const override {
        const QString shown = Text();
        if (shown == originalText) {
            return originalBytes;
        }
        return view.Source(shown, id / 10 - 1);
    }
    QWidget* ValueWidget() const {
        return line != nullptr   ? static_cast<QWidget*>(line)
               : text != nullptr ? static_cast<QWidget*>(text)
                                 : static_cast<QWidget*>(frameBox);
    }
    int BoxHeight() const { return text != nullptr ? kMultiLineHeight : kLineHeight; }

    CVantleView& view;
    int id;
    TabNavEdit* line = nullptr;
    TabNavTextEdit* text = nullptr;
    TabNavComboBox* frameBox = nullptr;
    TabNavButton* button = nullptr;
    TabNavComboBox* actions = nullptr;
    std::string originalBytes;
    QString originalText;
    bool shown = false;
    bool undoAvailable = false;
    bool editable = true;

    // A locked row shows its value and takes no edits.
    void Lock(bool locked) {
        if (line != nullptr) {
            line->setReadOnly(locked || !editable);
        }
        if (text != nullptr) {
            text->setReadOnly(locked || !editable);
        }
        if (frameBox != nullptr) {
            frameBox->lineEdit()->setReadOnly(locked);
            frameBox->setEnabled(!locked);
        }
        if (button != nullptr) {
            button->setEnabled(!locked);
        }
    }
};

// The scrolled surface of the form: paints the background, banner and row
// labels, and keeps Tab within the form.
class ViewCanvas final : public QWidget {
public:
    explicit ViewCanvas(CVantleView& view) : QWidget(nullptr), view_(view) {
        setAutoFillBackground(false);
        setFont(RowFont());
    }

    // Tab and Shift+Tab from any control of the form end here.
    bool focusNextPrevChild(bool next) override {
        std::vector<QWidget*> stops;
        for (QWidget* w : TabOrder()) {
            if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
                stops.push_back(w);
            }
        }
        if (stops.empty()) {
            return false;
        }
        QWidget* focus = QApplication::focusWidget();
        int at = -1;
        for (std::size_t i = 0; i < stops.size(); ++i) {
            if (focus != nullptr && (stops[i] == focus || stops[i]->isAncestorOf(focus))) {
                at = static_cast<int>(i);
            }
        }
        const int n = static_cast<int>(stops.size());
        const int target = at < 0 ? 0 : (at + (next ? 1 : n - 1)) % n;
        stops[static_cast<std::size_t>(target)]->setFocus(next ? Qt::TabFocusReason
                                                               : Qt::BacktabFocusReason);
        return true;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), kBackground);
        painter.setFont(RowFont());
        const CVantleDoc& doc = view_.doc_;
        const int width = std::max(this->width(), kMinWidth);
        if (doc.templateOpen != 0) {
            const QRect band(2, 2, width - 4, 36);
            painter.fillRect(band, kBannerColour);
            const QString caption =
                (doc.templateEditing != 0 ? tr("Editing template - ") : tr("Template - ")) +
                QString::fromStdString(doc.templateName);
            painter.setPen(Qt::black);
            painter.drawText(QRect(6, 9, width - 240, 22), Qt::AlignLeft | Qt::AlignTop, caption);
            painter.setPen(QColor(64, 64, 64));
            painter.drawLine(band.topLeft(), band.topRight());
            painter.drawLine(band.topLeft(), band.bottomLeft());
            painter.setPen(Qt::black);
            painter.drawLine(band.bottomLeft(), band.bottomRight());
            painter.drawLine(band.topRight(), band.bottomRight());
        }
        painter.setPen(Qt::black);
        for (const auto& [top, caption] : view_.groupCaptions_) {
            QFont bold = RowFont();
            bold.setBold(true);
            painter.setFont(bold);
            const int baseline = top + 4 + painter.fontMetrics().ascent();
            painter.drawText(QPoint(10, baseline), caption);
            const int after = 10 + painter.fontMetrics().horizontalAdvance(caption) + 8;
            painter.setPen(kGroupRuleColour);
            painter.drawLine(after, baseline - painter.fontMetrics().ascent() / 3, width - 10,
                             baseline - painter.fontMetrics().ascent() / 3);
            painter.setPen(Qt::black);
            painter.setFont(RowFont());
        }
        for (int i = 0; i < view_.catalogue_.count(); ++i) {
            const TagRow& row = view_.catalogue_.at(i);
            if (!row.visible || row.controls == nullptr) {
                continue;
            }
            const int top = row.layoutTop;
            painter.drawText(QPoint(10, top + 5 + painter.fontMetrics().ascent()),
                             QString::fromStdString(row.definition.name));
            if (doc.templateEditing != 0) {
                painter.drawText(QPoint(120, top + 5 + painter.fontMetrics().ascent()),
                                 tr("Template action -"));
            }
        }
    }

private:
    std::vector<QWidget*> TabOrder() const {
        std::vector<QWidget*> order;
        order.push_back(view_.applyButton_);
        order.push_back(view_.templateButton_);
        for (int i = 0; i < view_.catalogue_.count(); ++i) {
            if (RowWidgets* w = view_.Widgets(i)) {
                order.push_back(w->ValueWidget());
                if (w->button != nullptr) {
                    order.push_back(w->button);
                }
                order.push_back(w->actions);
            }
        }
        return order;
    }

    CVantleView& view_;
};

CVantleView::CVantleView(CVantleDoc& doc, SettingsStore& settings, std::string& fileTypes,
                         QWidget* parent)
    : QScrollArea(parent), doc_(doc), catalogue_(settings, fileTypes), fileTypes_(fileTypes),
      settings_(settings) {
    catalogue_.loadSettings();
    doc_.SetCrLfLineEnds(catalogue_.writeCrLf);
    commonWords_ = LoadCommonWords(DefaultCommonWordsPath());
    setObjectName(QStringLiteral("editingView"));
    setFocusPolicy(Qt::StrongFocus);
    setWidgetResizable(false);
    setFrameShape(QFrame::NoFrame);
    canvas_ = new ViewCanvas(*this);
    setWidget(canvas_);
    viewport()->setAutoFillBackground(true);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, kBackground);
    viewport()->setPalette(palette);

    for (int i = 0; i < catalogue_.count(); ++i) {
        CreateControls(i);
    }
    templateButton_ = new TabNavButton(tr("Edit"), canvas_);
    templateButton_->setProperty("controlId", 2);
    applyButton_ = new TabNavButton(tr("Apply"), canvas_);
    applyButton_->setProperty("controlId", 1);
    templateButton_->hide();
    applyButton_->hide();
    connect(applyButton_, &QPushButton::clicked, this, [this] { emit Command(cmd::kApplyButton); });
    connect(templateButton_, &QPushButton::clicked, this,
            [this] { emit Command(cmd::kEditTemplateButton); });
    doc_.AddView(this);
}

CVantleView::~CVantleView() {
    doc_.RemoveView(this);
    catalogue_.saveSettings();
    for (int i = 0; i < catalogue_.count(); ++i) {
        catalogue_.at(i).controls = nullptr;
    }
}

RowWidgets* CVantleView::Widgets(int row) const {
    if (row < 0 || row >= catalogue_.count()) {
        return nullptr;
    }
    return const_cast<RowWidgets*>(static_cast<const RowWidgets*>(catalogue_.at(row).controls));
}

void CVantleView::CreateControls(int index) {
    TagRow& row = catalogue_.at(index);
    if (row.controls != nullptr) {
        return;
    }
    const int id = (index + 1) * 10;
    auto owned = std::make_unique<RowWidgets>(*this, id);
    RowWidgets* w = owned.get();
    const TagDefinition& d = row.definition;
    w->editable = d.editable != 0;
    const QFont font = RowFont();
    if (d.frameTargetChoice != 0) {
        w->frameBox = new TabNavComboBox(canvas_);
        w->frameBox->setEditable(true);
        w->frameBox->setInsertPolicy(QComboBox::NoInsert);
        for (std::string_view target : kFrameTargets) {
            w->frameBox->addItem(ToQString(target));
        }
        w->frameBox->setCurrentIndex(-1);
        w->frameBox->setMaxVisibleItems(6);
        connect(w->frameBox, &QComboBox::editTextChanged, this, [this, id] { OnValueChanged(id); });
        w->frameBox->installEventFilter(this);
        w->frameBox->lineEdit()->installEventFilter(this);
    } else if (d.multiLine != 0) {
        w->text = new TabNavTextEdit(canvas_);
        w->text->setReadOnly(d.editable == 0);
        connect(w->text, &QPlainTextEdit::textChanged, this, [this, id] { OnValueChanged(id); });
        connect(w->text, &QPlainTextEdit::undoAvailable, this,
                [w](bool available) { w->undoAvailable = available; });
        w->text->installEventFilter(this);
    } else {
        w->line = new TabNavEdit(canvas_);
        w->line->setReadOnly(d.editable == 0);
        connect(w->line, &QLineEdit::textChanged, this, [this, id] { OnValueChanged(id); });
        w->line->installEventFilter(this);
    }
    QWidget* box = w->ValueWidget();
    box->setProperty("controlId", id);
    box->setFont(font);
    box->setFocusPolicy(d.editable != 0 || d.frameTargetChoice != 0 ? Qt::StrongFocus
                                                                    : Qt::ClickFocus);
    box->setAccessibleName(QString::fromStdString(d.name));
    // A tag the web has dropped says so where the author looks: its tooltip
    // and the status bar.
    if (const std::string_view note = ObsoleteTagNote(d.name, d.httpEquiv); !note.empty()) {
        box->setToolTip(ToQString(note));
        box->setStatusTip(ToQString(note));
    }
    if (!d.buttonCaption.empty()) {
        w->button = new TabNavButton(QString::fromStdString(d.buttonCaption), canvas_);
        w->button->setProperty("controlId", id + 1);
        // Screen readers say which row's button this is.
        w->button->setAccessibleName(QString::fromStdString(d.name + ": " + d.buttonCaption));
        w->button->setFont(font);
        connect(w->button, &QPushButton::clicked, this, [this, id] { OnButton(id + 1); });
    }
    w->actions = new TabNavComboBox(canvas_);
    w->actions->setProperty("controlId", id + 2);
    w->actions->setAccessibleName(QString::fromStdString(d.name + ": template action"));
    w->actions->setFont(font);
    for (const OfferedAction& a : TagCatalogue::offeredActions(row)) {
        w->actions->addItem(ToQString(a.text), a.action);
    }
    w->actions->setCurrentIndex(0);
    connect(w->actions, &QComboBox::currentIndexChanged, this,
            [this, id] { OnSelectionChanged(id + 2); });
    w->actions->installEventFilter(this);
    for (QWidget* control :
         {box, static_cast<QWidget*>(w->button), static_cast<QWidget*>(w->actions)}) {
        if (control != nullptr) {
            control->hide();
        }
    }
    w->Lock(locked_);
    // The stored value goes into the new box.
    w->originalBytes = row.value;
    w->originalText = Decode(row.value);
    const CVantleDoc::ViewsBusy busy(doc_);
    row.controls = w;
    SetRowValue(index, w->originalText);
    widgets_[w] = std::move(owned);
}

void CVantleView::DestroyOrphanControls() {
    std::map<RowWidgets*, bool> live;
    for (int i = 0; i < catalogue_.count(); ++i) {
        if (RowWidgets* w = Widgets(i)) {
            live[w] = true;
        }
    }
    for (auto it = widgets_.begin(); it != widgets_.end();) {
        if (live.count(it->first) == 0) {
            it = widgets_.erase(it);
        } else {
            ++it;
        }
    }
    currentRow_ = -1;
    undoRow_ = -1;
}

void CVantleView::SetLocked(bool locked) {
    locked_ = locked;
    for (auto& [key, widgets] : widgets_) {
        widgets->Lock(locked);
    }
}

QString CVantleView::Decode(const std::string& bytes) const {
    return QString::fromStdString(SourceToText(bytes, charset_));
}

std::string CVantleView::Source(const QString& text, int row) const {
    const std::string utf8 = text.toStdString();
    return row == 0 ? TitleTextToSource(utf8, charset_) : AttributeTextToSource(utf8, charset_);
}

std::string CVantleView::Encode(const QString& text, int row) const {
    RowWidgets* w = Widgets(row);
    if (w != nullptr && text == w->originalText) {
        return w->originalBytes;
    }
    return Source(text, row);
}

QWidget* CVantleView::ValueBox(int row) const {
    RowWidgets* w = Widgets(row);
    return w != nullptr ? w->ValueWidget() : nullptr;
}

QPushButton* CVantleView::RowButton(int row) const {
    RowWidgets* w = Widgets(row);
    return w != nullptr ? w->button : nullptr;
}

QComboBox* CVantleView::ActionList(int row) const {
    RowWidgets* w = Widgets(row);
    return w != nullptr ? w->actions : nullptr;
}

int CVantleView::RowTop(int row) const {
    return catalogue_.at(row).layoutTop;
}

QString CVantleView::RowValue(int row) const {
    RowWidgets* w = Widgets(row);
    if (w == nullptr) {
        return row >= 0 && row < catalogue_.count() ? Decode(catalogue_.at(row).value) : QString();
    }
    return w->Text();
}

void CVantleView::SetRowValue(int row, const QString& value) {
    RowWidgets* w = Widgets(row);
    if (w == nullptr) {
        if (row >= 0 && row < catalogue_.count()) {
            catalogue_.at(row).value = Source(value, row);
        }
        return;
    }
    if (w->line != nullptr) {
        w->line->setText(value);
        w->line->setCursorPosition(0);
    } else if (w->text != nullptr) {
        w->text->setPlainText(value);
    } else if (value.isEmpty()) {
        w->frameBox->setCurrentIndex(-1);
        w->frameBox->setEditText(QString());
    } else {
        // The first target beginning with the value; an unknown value is
        // added to the list.
        auto find = [&] {
            for (int i = 0; i < w->frameBox->count(); ++i) {
                if (w->frameBox->itemText(i).startsWith(value, Qt::CaseInsensitive)) {
                    return i;
                }
            }
            return -1;
        };
        int at = find();
        if (at < 0) {
            w->frameBox->addItem(value);
            at = w->frameBox->count() - 1;
        }
        w->frameBox->setCurrentIndex(at);
        w->frameBox->setEditText(w->frameBox->itemText(at));
    }
}

int CVantleView::RowAction(int row) const {
    RowWidgets* w = Widgets(row);
    if (w == nullptr || w->actions->currentIndex() < 0) {
        return -1;
    }
    return w->actions->currentData().toInt();
}

void CVantleView::SetRowAction(int row, int action) {
    RowWidgets* w = Widgets(row);
    if (w == nullptr) {
        return;
    }
    w->actions->setCurrentIndex(w->actions->findData(action));
}

void CVantleView::ShowRow(int row, bool shown) {
    TagRow& r = catalogue_.at(row);
    r.visible = shown;
    RowWidgets* w = Widgets(row);
    if (w == nullptr) {
        return;
    }
    w->shown = shown;
    w->ValueWidget()->setVisible(shown);
    if (w->button != nullptr) {
        w->button->setVisible(shown);
    }
    w->actions->setVisible(shown && Editing());
}

void CVantleView::FocusRow(int row) {
    RowWidgets* w = Widgets(row);
    if (w != nullptr && catalogue_.at(row).visible) {
        w->ValueWidget()->setFocus(Qt::OtherFocusReason);
    }
}

int CVantleView::AppendPageOnlyRow(const std::string& name, int httpEquiv) {
    const int index = catalogue_.addPageOnly(name, httpEquiv);
    CreateControls(index);
    return index;
}

void CVantleView::LoadPage() {
    const CVantleDoc::ViewsBusy busy(doc_);
    // A page in an unsupported charset is shown as Latin-1 and locked: its
    // bytes could not be written back faithfully.
    charset_ = doc_.PageCharset();
    SetLocked(!charset_.IsSupported());
    emit CharsetText(QString::fromStdString(DescribeCharset(doc_.PageCharsetChoice())));
    const int oldCount = catalogue_.count();
    std::vector<bool> found(static_cast<std::size_t>(oldCount), false);

    auto setLoaded = [&](int row, const std::string& bytes) {
        if (RowWidgets* w = Widgets(row)) {
            w->originalBytes = bytes;
            w->originalText = Decode(bytes);
            SetRowValue(row, w->originalText);
        }
    };
    setLoaded(0, doc_.GetPageTitle());
    auto loadItem = [&](const std::string& name, const std::string& content, int kind) {
        int row = catalogue_.findByName(name, kind);
        if (row < 0) {
            row = AppendPageOnlyRow(name, kind);
        }
        setLoaded(row, content);
        ShowRow(row, true);
        if (row < oldCount) {
            found[static_cast<std::size_t>(row)] = true;
        }
    };
    std::string name, content;
    int httpEquiv = 0;
    for (int i = 0; doc_.GetPageMeta(i, name, content, httpEquiv) != 0; ++i) {
        // A tag without a name (a charset declaration) gets no row: a value
        // typed there would be written over the declaration.
        if (!name.empty()) {
            loadItem(name, content, httpEquiv);
        }
    }
    for (const MetaTag& item : doc_.GetPageItems()) {
        loadItem(item.name, item.content, item.httpEquiv);
    }
    for (int row = 1; row < oldCount; ++row) {
        if (!found[static_cast<std::size_t>(row)]) {
            setLoaded(row, std::string());
        }
    }
    FocusRow(rememberedRow_ < catalogue_.count() ? rememberedRow_ : 0);
}

void CVantleView::LoadTemplate() {
    const CVantleDoc::ViewsBusy busy(doc_);
    charset_ = doc_.TemplateCharset();
    SetLocked(false);
    CharsetChoice templateCharset;
    templateCharset.charset = charset_;
    templateCharset.source = CharsetSource::Declared;
    emit CharsetText(QString::fromStdString(DescribeCharset(templateCharset)));
    auto setLoaded = [&](int row, const std::string& bytes, int action) {
        if (RowWidgets* w = Widgets(row)) {
            w->originalBytes = bytes;
            w->originalText = Decode(bytes);
            SetRowValue(row, w->originalText);
        }
        SetRowAction(row, action);
    };
    for (int row = 0; row < catalogue_.count(); ++row) {
        setLoaded(row, std::string(), 2);
    }
    std::string title;
    int titleAction = -1;
    doc_.GetTemplateTitle(title, titleAction);
    setLoaded(0, title, titleAction);
    std::string name, content;
    int httpEquiv = 0;
    int action = 0;
    // Rows a page brought along are not the template's: hidden unless the
    // template has the tag.
    for (int row = StandardTagCount; row < catalogue_.count(); ++row) {
        if (catalogue_.at(row).origin == PageOnly) {
            ShowRow(row, false);
        }
    }
    auto loadItem = [&](const std::string& itemName, const std::string& value, int kind,
                        int itemAction) {
        int row = catalogue_.findByName(itemName, kind);
        if (row < 0) {
            row = AppendPageOnlyRow(itemName, kind);
        }
        setLoaded(row, value, itemAction);
        ShowRow(row, true);
    };
    for (int i = 0; doc_.GetTemplateMeta(i, name, content, httpEquiv, action) != 0; ++i) {
        if (!name.empty()) {
            loadItem(name, content, httpEquiv, action);
        }
    }
    for (const auto& entry : doc_.Template().GetHeadItemsWithActions()) {
        loadItem(entry.item.name, entry.item.content, entry.item.httpEquiv, entry.action);
    }
    FocusRow(rememberedRow_ < catalogue_.count() ? rememberedRow_ : 0);
    Layout();
}

void CVantleView::OnUpdate() {
    if (Editing()) {
        LoadTemplate();
    } else {
        LoadPage();
    }
    for (int i = 0; i < catalogue_.count(); ++i) {
        ShowRow(i, catalogue_.at(i).visible);
    }
    Layout();
    emit ValuesChanged();
}

QString CVantleView::ValueOf(std::string_view name, int kind) const {
    const int row = catalogue_.findByName(name, kind);
    return row < 0 ? QString() : RowValue(row);
}

void CVantleView::OnInitialUpdate() {
    const CVantleDoc::ViewsBusy busy(doc_, true);
    OnUpdate();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    for (int i = 0; i < catalogue_.count(); ++i) {
        if (catalogue_.at(i).origin == PageOnly) {
            catalogue_.at(i).controls = nullptr;
        }
    }
    catalogue_.removePageOnly();
    DestroyOrphanControls();
    LoadPage();
    ApplyDisplayRule();
    Layout();
    initialUpdateDone_ = true;
}

void CVantleView::ApplyDisplayRule() {
    for (int i = 0; i < catalogue_.count(); ++i) {
        ShowRow(i, TagCatalogue::isShown(catalogue_.at(i), showAllFields_));
    }
}

void CVantleView::Refresh() {
    DestroyOrphanControls();
    for (int i = StandardTagCount; i < catalogue_.count(); ++i) {
        CreateControls(i);
    }
    ApplyDisplayRule();
    Layout();
    canvas_->update();
}

int CVantleView::LayoutRow(int index, int y, int width) {
    TagRow& row = catalogue_.at(index);
    RowWidgets* w = Widgets(index);
    if (!row.visible || w == nullptr) {
        return y;
    }
    row.layoutTop = y;
    w->actions->setGeometry(235, y, 220, w->actions->sizeHint().height());
    const int buttonWidth = w->button != nullptr ? 60 : 0;
    if (w->button != nullptr) {
        w->button->setGeometry(width - 70, y + 24, 60, 22);
    }
    if (w->frameBox != nullptr) {
        w->frameBox->setGeometry(10, y + 25, width - 20, kLineHeight + 2);
    } else {
        w->ValueWidget()->setGeometry(10, y + 25, width - 22 - buttonWidth, w->BoxHeight());
    }
    w->actions->setVisible(Editing());
    return y + w->BoxHeight() + kRowGap;
}

void CVantleView::Layout() {
    int width = viewport()->width();
    int y = kTopWithoutBanner;
    if (doc_.templateOpen != 0) {
        applyButton_->setGeometry(width - 220, 8, 80, 22);
        templateButton_->setGeometry(width - 135, 8, 120, 22);
        applyButton_->show();
        templateButton_->show();
        templateButton_->setText(Editing() ? tr("End editing") : tr("Edit template"));
        applyButton_->setEnabled(!Editing());
        y = kBannerHeight;
    } else {
        applyButton_->hide();
        templateButton_->hide();
    }
    width = std::max(width, kMinWidth);
    if (doc_.templateOpen != 0) {
        applyButton_->move(width - 220, 8);
        templateButton_->move(width - 135, 8);
    }
    // Rows of a group ("Social", "Links") follow a caption of their own.
    groupCaptions_.clear();
    std::string_view lastGroup;
    for (int i = 0; i < catalogue_.count(); ++i) {
        if (!catalogue_.at(i).visible || Widgets(i) == nullptr) {
            continue;
        }
        const std::string_view group = TagCatalogue::groupOf(i);
        if (!group.empty() && group != lastGroup) {
            groupCaptions_.push_back({y, QString::fromUtf8(group.data(), group.size())});
            y += kGroupCaptionHeight;
        }
        lastGroup = group;
        y = LayoutRow(i, y, width);
    }
    canvas_->resize(width, y);
    canvas_->update();
}

void CVantleView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    Layout();
}

void CVantleView::focusInEvent(QFocusEvent* event) {
    QScrollArea::focusInEvent(event);
    FocusRow(rememberedRow_ >= 0 && rememberedRow_ < catalogue_.count() ? rememberedRow_ : 0);
}

void CVantleView::ScrollRowIntoView(int index) {
    const TagRow& row = catalogue_.at(index);
    RowWidgets* w = Widgets(index);
    const int top = row.layoutTop;
    const int height = row.visible && w != nullptr ? w->BoxHeight() + kRowGap : 0;
    const int scroll = verticalScrollBar()->value();
    const int client = viewport()->height();
    if (top < scroll) {
        verticalScrollBar()->setValue(top);
    } else if (top + height > scroll + client) {
        verticalScrollBar()->setValue(top + height - client);
    }
}

// --- Storing -----------------------------------------------------------------

void CVantleView::Store() {
    for (int i = 0; i < catalogue_.count(); ++i) {
        const TagRow& row = catalogue_.at(i);
        if (!row.visible) {
            continue; // hidden rows keep what the page has
        }
        RowWidgets* w = Widgets(i);
        const QString shown = RowValue(i);
        const std::string value = Encode(shown, i);
        if (Editing()) {
            // An empty row the template does not have stays out of it: a
            // form left over from a page adds nothing to a template.
            if (value.empty() && !TemplateHas(i)) {
                continue;
            }
            if (i == 0) {
                doc_.SetTemplateTitle(value, RowAction(i));
            } else {
                doc_.SetTemplateMeta(row.definition.name, value, row.definition.httpEquiv,
                                     RowAction(i));
            }
            continue;
        }
        // A row that still holds what the page has is not written again, so
        // the tags the user did not touch keep their form and attributes.
        if (w != nullptr && shown == w->originalText) {
            continue;
        }
        if (i == 0) {
            doc_.SetPageTitle(value);
        } else {
            doc_.SetPageMeta(row.definition.name, value, row.definition.httpEquiv);
        }
        if (w != nullptr) {
            w->originalText = shown;
            w->originalBytes = value;
        }
    }
}

bool CVantleView::TemplateHas(int row) {
    if (row == 0) {
        std::string title;
        int action = 0;
        return doc_.GetTemplateTitle(title, action) != 0;
    }
    CTemplatePage& t = doc_.Template();
    const TagDefinition& d = catalogue_.at(row).definition;
    return !t.IsNull(t.FindMetaByName(d.name, d.httpEquiv));
}

void CVantleView::MarkModifiedAndStore() {
    if (!doc_.ViewsReady()) {
        return;
    }
    if (Editing()) {
        doc_.templateModified = 1;
    } else {
        doc_.SetModifiedFlag(true);
    }
    Store();
}

// --- Notifications -----------------------------------------------------------

bool CVantleView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) {
        return QScrollArea::eventFilter(watched, event);
    }
    QWidget* widget = qobject_cast<QWidget*>(watched);
    // The edit part of a combo box speaks for its box.
    if (widget != nullptr && !widget->property("controlId").isValid() &&
        widget->parentWidget() != nullptr) {
        widget = widget->parentWidget();
    }
    const int id = widget != nullptr ? widget->property("controlId").toInt() : 0;
    if (id < 10) {
        return QScrollArea::eventFilter(watched, event);
    }
    const auto reason = static_cast<QFocusEvent*>(event)->reason();
    if (qobject_cast<QComboBox*>(widget) != nullptr && id % 10 == 2) {
        if (event->type() == QEvent::FocusIn) {
            OnComboFocus(id);
        }
    } else if (event->type() == QEvent::FocusIn) {
        OnValueFocus(id, true);
    } else if (reason != Qt::PopupFocusReason && reason != Qt::MenuBarFocusReason &&
               reason != Qt::ActiveWindowFocusReason) {
        // A menu opening keeps the row current, so its commands can reach it.
        OnValueFocus(id, false);
    }
    return QScrollArea::eventFilter(watched, event);
}

void CVantleView::OnValueFocus(int id, bool in) {
    const int row = id / 10 - 1;
    if (in) {
        emit StatusText(ToQString(TagCatalogue::statusText(row)));
        currentRow_ = rememberedRow_ = row;
        ScrollRowIntoView(row);
    } else {
        emit StatusText(QString());
        currentRow_ = -1;
    }
}

void CVantleView::OnComboFocus(int id) {
    const int row = id / 10 - 1;
    currentRow_ = rememberedRow_ = row;
    ScrollRowIntoView(row);
}

void CVantleView::OnValueChanged(int id) {
    if (!doc_.ViewsReady()) {
        return;
    }
    // A template row typed into while it has no action gets "Always set
    // to this value", shown in its list: a value without an action would
    // never be applied.
    const int row = id / 10 - 1;
    if (Editing() && RowAction(row) < 1) {
        if (RowWidgets* w = Widgets(row)) {
            const QSignalBlocker quiet(w->actions);
            SetRowAction(row, AlwaysSet);
        }
    }
    MarkModifiedAndStore();
    undoRow_ = id % 10 == 0 ? id / 10 - 1 : -1;
    emit ValuesChanged();
}

void CVantleView::OnSelectionChanged(int) {
    MarkModifiedAndStore();
    emit ValuesChanged();
}

void CVantleView::OnButton(int id) {
    const int row = id / 10 - 1;
    const TagEditor kind = TagCatalogue::editorOf(row);
    auto custom = editors_.find(kind);
    if (custom != editors_.end()) {
        if (std::optional<QString> value = custom->second(row, RowValue(row))) {
            SetRowValue(row, *value);
        }
        return;
    }
    switch (kind) {
    case TagEditor::DescriptionSuggestion:
        SuggestDescription(row);
        return;
    case TagEditor::KeywordSuggestion:
        SuggestKeywords(row);
        return;
    default:
        QMessageBox::information(this, ToQString(shell_texts::kAppTitle),
                                 tr("Clicked button ID %1, no action setup!").arg(id));
    }
}

void CVantleView::SuggestDescription(int row) {
    const std::string text = PageSuggestionTexts(doc_.Page(), charset_).description;
    PageDescriptionDialog dialog(QString::fromStdString(orlen::SuggestDescription(text)), this);
    if (dialog.exec() == QDialog::Accepted) {
        SetRowValue(row, dialog.Text());
    }
}

void CVantleView::SuggestKeywords(int row) {
    const std::string text = PageSuggestionTexts(doc_.Page(), charset_).keywords;
    const std::string suggestions = orlen::SuggestKeywords(text, commonWords_);
    KeywordSuggestionsDialog dialog(QString::fromStdString(suggestions), this);
    if (dialog.exec() == QDialog::Accepted) {
        const std::string value = KeywordsAfterChoice(
            RowValue(row).toStdString(), dialog.Result().toStdString(), dialog.AppendList());
        SetRowValue(row, QString::fromStdString(value));
    }
}

void CVantleView::ShowOptions() {
    bool accepted = false;
    if (optionsRunner) {
        accepted = optionsRunner();
    } else {
        COptionsSheet sheet(catalogue_, fileTypes_, this);
        // The site checks' limits live in the settings store.
        AuditLimits limits = AuditLimits::Load(settings_);
        sheet.AddSiteLimitsPage(limits);
        connect(&sheet, &COptionsSheet::Applied, this, [this, &limits] {
            doc_.SetCrLfLineEnds(catalogue_.writeCrLf);
            if (limits != AuditLimits::Load(settings_)) {
                limits.Store(settings_);
                emit AuditLimitsChanged();
            }
            Refresh();
        });
        accepted = sheet.exec() == QDialog::Accepted;
    }
    doc_.SetCrLfLineEnds(catalogue_.writeCrLf);
    if (accepted) {
        Refresh();
    }
}

// --- Commands ----------------------------------------------------------------

bool CVantleView::OnCmdMsg(int id) {
    CommandState state;
    if (!OnUpdateCmd(id, state)) {
        return false;
    }
    if (!state.enabled) {
        return true;
    }
    RowWidgets* current = Widgets(currentRow_);
    switch (id) {
    case cmd::kCopy:
    case cmd::kCut:
    case cmd::kPaste:
        if (current->line != nullptr) {
            id == cmd::kCopy  ? current->line->copy()
            : id == cmd::kCut ? current->line->cut()
                              : current->line->paste();
        } else if (current->text != nullptr) {
            id == cmd::kCopy  ? current->text->copy()
            : id == cmd::kCut ? current->text->cut()
                              : current->text->paste();
        }
        return true;
    case cmd::kUndo: {
        RowWidgets* w = Widgets(undoRow_);
        if (w->line != nullptr) {
            w->line->undo();
        } else if (w->text != nullptr) {
            w->text->undo();
        }
        return true;
    }
    case cmd::kOptions:
        ShowOptions();
        return true;
    case cmd::kViewAllFields:
        showAllFields_ = !showAllFields_;
        Refresh();
        return true;
    case cmd::kOnlineTutorials:
        emit OpenUrlRequested(ToQString(shell_texts::kTutorialUrl));
        return true;
    default:
        return false;
    }
}

bool CVantleView::OnUpdateCmd(int id, CommandState& state) {
    auto editableBox = [this](int row) -> RowWidgets* {
        RowWidgets* w = Widgets(row);
        if (w == nullptr || w->frameBox != nullptr || catalogue_.at(row).definition.editable == 0) {
            return nullptr;
        }
        return w;
    };
    switch (id) {
    case cmd::kCopy:
    case cmd::kCut: {
        RowWidgets* w = editableBox(currentRow_);
        const bool selection =
            w != nullptr && (w->line != nullptr ? w->line->hasSelectedText()
                                                : w->text->textCursor().hasSelection());
        state = {selection, false};
        return true;
    }
    case cmd::kPaste:
        state = {editableBox(currentRow_) != nullptr, false};
        return true;
    case cmd::kUndo: {
        RowWidgets* w = editableBox(undoRow_);
        const bool undo =
            w != nullptr && (w->line != nullptr ? w->line->isUndoAvailable() : w->undoAvailable);
        state = {undo, false};
        return true;
    }
    case cmd::kOptions:
    case cmd::kOnlineTutorials:
        state = {true, false};
        return true;
    case cmd::kViewAllFields:
        state = {true, showAllFields_};
        return true;
    default:
        return false;
    }
}

} // namespace orlen
