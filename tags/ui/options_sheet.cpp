#include "tags/ui/options_sheet.h"

#include "tags/ui/dialog_texts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace orlen {

using dialog_texts::ToQString;

namespace {

QStringList ToQStrings(const std::vector<std::string>& names) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names) {
        list.append(QString::fromStdString(name));
    }
    return list;
}

// A list of names as the tag pages show them: one selected at a time, in the
// order given (never re-sorted).
QListWidget* MakeNameList(QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    list->setMinimumWidth(180);
    list->setMinimumHeight(190);
    return list;
}

// The heading and the three display-mode radios, in a column.
QVBoxLayout* MakeModeControls(QWidget* page, DisplayModeControls& controls) {
    auto* column = new QVBoxLayout;
    auto* heading = new QLabel(ToQString(dialog_texts::kDisplayModeHeading), page);
    column->addWidget(heading);
    controls.group = new QButtonGroup(page);
    for (int mode = AlwaysDisplay; mode <= NeverDisplay; ++mode) {
        auto* radio = new QRadioButton(ToQString(dialog_texts::kDisplayModeTexts[mode]), page);
        controls.group->addButton(radio, mode);
        controls.radios[static_cast<std::size_t>(mode)] = radio;
        auto* row = new QHBoxLayout;
        row->addSpacing(12);
        row->addWidget(radio);
        row->addStretch(1);
        column->addLayout(row);
    }
    column->addStretch(1);
    return column;
}

} // namespace

// --- Display-mode radios -----------------------------------------------------

void DisplayModeControls::Show(const DisplayModeRadios& state) {
    // An exclusive group keeps one radio checked; none may be (an unknown
    // stored mode, or no selection).
    group->setExclusive(false);
    for (std::size_t mode = 0; mode < radios.size(); ++mode) {
        radios[mode]->setChecked(state.checked == static_cast<int>(mode));
        radios[mode]->setEnabled(state.enabled);
    }
    group->setExclusive(true);
}

// --- Define Meta Tag ---------------------------------------------------------

DefineMetaTagDialog::DefineMetaTagDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(ToQString(dialog_texts::kDefineTagCaption));
    name_ = new QLineEdit(this);
    name_->setMinimumWidth(220);
    httpEquiv_ = new QCheckBox(ToQString(dialog_texts::kHttpEquiv), this);
    property_ = new QCheckBox(ToQString(dialog_texts::kProperty), this);
    // A tag is named by one attribute: the two boxes exclude each other.
    connect(httpEquiv_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            property_->setChecked(false);
        }
    });
    connect(property_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            httpEquiv_->setChecked(false);
        }
    });
    multiLine_ = new QCheckBox(ToQString(dialog_texts::kMultiLine), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    cancel_ = buttons->button(QDialogButtonBox::Cancel);
    ok_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(ToQString(dialog_texts::kTagName), name_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(httpEquiv_);
    layout->addWidget(property_);
    layout->addWidget(multiLine_);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(name_, httpEquiv_);
    setTabOrder(httpEquiv_, property_);
    setTabOrder(property_, multiLine_);
    name_->setFocus();
}

QString DefineMetaTagDialog::name() const {
    return name_->text();
}

int DefineMetaTagDialog::httpEquiv() const {
    if (!IsMetaTagKind(kind_)) {
        return kind_; // a link or the language stays what it is
    }
    return httpEquiv_->isChecked()  ? kMetaHttpEquiv
           : property_->isChecked() ? kMetaProperty
                                    : kMetaName;
}

int DefineMetaTagDialog::multiLine() const {
    return multiLine_->isChecked() ? 1 : 0;
}

void DefineMetaTagDialog::setName(const QString& name) {
    name_->setText(name);
}

void DefineMetaTagDialog::setHttpEquiv(int httpEquiv) {
    kind_ = httpEquiv;
    httpEquiv_->setChecked(httpEquiv == kMetaHttpEquiv);
    property_->setChecked(httpEquiv == kMetaProperty);
    httpEquiv_->setEnabled(IsMetaTagKind(httpEquiv));
    property_->setEnabled(IsMetaTagKind(httpEquiv));
}

void DefineMetaTagDialog::setMultiLine(int multiLine) {
    multiLine_->setChecked(multiLine != 0);
}

// --- Standard meta tags ------------------------------------------------------

CStdTagsPage::CStdTagsPage(TagCatalogue& catalogue, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue) {
    list_ = MakeNameList(this);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addSpacing(8);
    layout->addLayout(MakeModeControls(this, modes_));

    connect(list_, &QListWidget::currentRowChanged, this, &CStdTagsPage::SelectionChanged);
    connect(modes_.group, &QButtonGroup::idClicked, this, &CStdTagsPage::ModeClicked);
}

QRadioButton* CStdTagsPage::ModeRadio(int mode) const {
    return modes_.radios.at(static_cast<std::size_t>(mode));
}

void CStdTagsPage::Activate() {
    if (model_) {
        return; // the working modes stay until the sheet closes
    }
    model_.emplace(catalogue_);
    {
        const QSignalBlocker block(list_);
        list_->addItems(ToQStrings(model_->Names()));
        model_->Select(0);
        list_->setCurrentRow(0);
    }
    modes_.Show(model_->Radios());
}

void CStdTagsPage::SelectionChanged(int row) {
    if (!model_) {
        return;
    }
    model_->Select(row);
    modes_.Show(model_->Radios());
}

void CStdTagsPage::ModeClicked(int mode) {
    if (!model_) {
        return;
    }
    model_->SetMode(mode);
    modes_.Show(model_->Radios());
    emit Changed();
}

void CStdTagsPage::Apply() {
    if (!model_) {
        return;
    }
    model_->Apply(catalogue_);
    model_->modified = false;
}

// --- User defined meta tags --------------------------------------------------

CCustomTagsPage::CCustomTagsPage(TagCatalogue& catalogue, QWidget* parent)
    : QWidget(parent), catalogue_(catalogue) {
    list_ = MakeNameList(this);
    add_ = new QPushButton(ToQString(dialog_texts::kAddTag), this);
    edit_ = new QPushButton(ToQString(dialog_texts::kEditTag), this);
    remove_ = new QPushButton(ToQString(dialog_texts::kRemoveTag), this);
    edit_->setEnabled(false);
    remove_->setEnabled(false);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(edit_);
    buttons->addWidget(remove_);
    buttons->addStretch(1);
    auto* left = new QVBoxLayout;
    left->addWidget(list_, 1);
    left->addLayout(buttons);

    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addSpacing(8);
    layout->addLayout(MakeModeControls(this, modes_));
    // Nothing to show a mode for until the list is filled.
    modes_.Show(DisplayModeRadios{false, std::nullopt});

    setTabOrder(list_, add_);
    setTabOrder(add_, edit_);
    setTabOrder(edit_, remove_);
    setTabOrder(remove_, modes_.radios[0]);

    connect(list_, &QListWidget::currentRowChanged, this, &CCustomTagsPage::SelectionChanged);
    connect(modes_.group, &QButtonGroup::idClicked, this, &CCustomTagsPage::ModeClicked);
    connect(add_, &QPushButton::clicked, this, &CCustomTagsPage::AddTag);
    connect(edit_, &QPushButton::clicked, this, &CCustomTagsPage::EditTag);
    connect(remove_, &QPushButton::clicked, this, &CCustomTagsPage::RemoveTag);
}

QRadioButton* CCustomTagsPage::ModeRadio(int mode) const {
    return modes_.radios.at(static_cast<std::size_t>(mode));
}

void CCustomTagsPage::Activate() {
    if (model_) {
        return; // the working list and its pending changes stay
    }
    model_.emplace(catalogue_);
    Fill();
    ShowControls();
}

void CCustomTagsPage::Fill() {
    const QSignalBlocker block(list_);
    list_->clear();
    list_->addItems(ToQStrings(model_->Names()));
    list_->setCurrentRow(model_->selection);
    if (model_->selection < 0) {
        list_->clearSelection();
    }
}

void CCustomTagsPage::ShowControls() {
    modes_.Show(model_->Radios());
    edit_->setEnabled(model_->CanEdit());
    remove_->setEnabled(model_->CanRemove());
}

void CCustomTagsPage::SelectionChanged(int row) {
    if (!model_) {
        return;
    }
    model_->Select(row);
    ShowControls();
}

void CCustomTagsPage::ModeClicked(int mode) {
    if (!model_) {
        return;
    }
    model_->SetMode(mode);
    ShowControls();
    emit Changed();
}

int CCustomTagsPage::RunDialog(DefineMetaTagDialog& dialog) {
    if (runDefineDialog) {
        return runDefineDialog(dialog);
    }
    return dialog.exec();
}

void CCustomTagsPage::AddTag() {
    if (!model_) {
        return;
    }
    DefineMetaTagDialog dialog(this);
    if (RunDialog(dialog) != QDialog::Accepted) {
        return;
    }
    model_->Add(dialog.name().toStdString(), dialog.httpEquiv(), dialog.multiLine());
    Fill();
    ShowControls();
    emit Changed();
}

void CCustomTagsPage::EditTag() {
    if (!model_ || model_->selection < 0) {
        return;
    }
    const TagDefinition& current = model_->at(model_->selection).definition;
    DefineMetaTagDialog dialog(this);
    dialog.setName(QString::fromStdString(current.name));
    dialog.setHttpEquiv(current.httpEquiv);
    dialog.setMultiLine(current.multiLine);
    if (RunDialog(dialog) != QDialog::Accepted) {
        return;
    }
    model_->Edit(dialog.name().toStdString(), dialog.httpEquiv(), dialog.multiLine());
    Fill();
    ShowControls();
    emit Changed();
}

void CCustomTagsPage::RemoveTag() {
    if (!model_ || !model_->CanRemove()) {
        return;
    }
    model_->Remove();
    Fill();
    ShowControls();
    emit Changed();
}

void CCustomTagsPage::Apply() {
    if (!model_) {
        return;
    }
    model_->Apply(catalogue_);
    model_->modified = false;
}

// --- File types --------------------------------------------------------------

CFileTypesPage::CFileTypesPage(const std::string& fileTypes, bool writeCrLf, QWidget* parent)
    : QWidget(parent), model_(fileTypes) {
    crlf_ = new QCheckBox(ToQString(dialog_texts::kWriteCrLf), this);
    crlf_->setChecked(writeCrLf);
    auto* label = new QLabel(ToQString(dialog_texts::kExtension), this);
    edit_ = new QLineEdit(this);
    label->setBuddy(edit_);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setSortingEnabled(false); // filled in the order of the working string's list
    list_->setMinimumHeight(150);
    add_ = new QPushButton(ToQString(dialog_texts::kAddType), this);
    replace_ = new QPushButton(ToQString(dialog_texts::kReplaceType), this);
    remove_ = new QPushButton(ToQString(dialog_texts::kRemoveType), this);
    add_->setEnabled(false);
    replace_->setEnabled(false);
    remove_->setEnabled(false);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(add_);
    buttons->addWidget(replace_);
    buttons->addWidget(remove_);
    buttons->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(edit_, 1, 0);
    grid->addWidget(list_, 2, 0);
    grid->addLayout(buttons, 1, 1, 2, 1);
    grid->addWidget(crlf_, 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(2, 1);

    setTabOrder(edit_, add_);
    setTabOrder(add_, replace_);
    setTabOrder(replace_, remove_);
    setTabOrder(remove_, list_);

    connect(edit_, &QLineEdit::textChanged, this, &CFileTypesPage::UpdateButtons);
    connect(list_, &QListWidget::itemSelectionChanged, this, &CFileTypesPage::UpdateButtons);
    connect(add_, &QPushButton::clicked, this, &CFileTypesPage::AddType);
    connect(replace_, &QPushButton::clicked, this, &CFileTypesPage::ReplaceType);
    connect(remove_, &QPushButton::clicked, this, &CFileTypesPage::RemoveType);
    connect(crlf_, &QCheckBox::toggled, this, [this] {
        crlfModified_ = true;
        emit Changed();
    });
}

namespace {

int SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.front());
}

} // namespace

void CFileTypesPage::Activate() {
    activated_ = true;
    Fill();
    UpdateButtons();
}

void CFileTypesPage::Fill() {
    const QSignalBlocker block(list_);
    list_->clear();
    list_->addItems(ToQStrings(model_.Extensions()));
}

void CFileTypesPage::UpdateButtons() {
    const FileTypeButtons state =
        model_.Buttons(edit_->text().toStdString(), SelectedRow(list_) >= 0);
    add_->setEnabled(state.add);
    replace_->setEnabled(state.replace);
    remove_->setEnabled(state.remove);
}

void CFileTypesPage::AddType() {
    const std::string text = edit_->text().toStdString();
    if (!model_.Buttons(text, false).add) {
        return;
    }
    model_.Add(text);
    Fill();
    UpdateButtons();
    emit Changed();
}

void CFileTypesPage::ReplaceType() {
    const std::string text = edit_->text().toStdString();
    const int row = SelectedRow(list_);
    if (!model_.Buttons(text, row >= 0).replace) {
        return;
    }
    model_.Replace(row, text);
    Fill();
    UpdateButtons();
    emit Changed();
}

void CFileTypesPage::RemoveType() {
    const int row = SelectedRow(list_);
    if (row < 0) {
        return;
    }
    model_.Remove(row);
    Fill();
    UpdateButtons();
    emit Changed();
}

void CFileTypesPage::Apply(std::string& fileTypes, bool& writeCrLf) {
    model_.Apply(fileTypes);
    model_.modified = false;
    writeCrLf = crlf_->isChecked();
    crlfModified_ = false;
}

// --- The limits of the site checks -------------------------------------------

CSiteLimitsPage::CSiteLimitsPage(const AuditLimits& limits, QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(ToQString(dialog_texts::kSiteLimitsHeading), this);
    heading->setWordWrap(true);
    layout->addWidget(heading);
    auto* form = new QFormLayout;
    const int values[LimitCount] = {limits.titleMinChars,       limits.titleMaxChars,
                                    limits.titleMaxPixels,      limits.descriptionMinChars,
                                    limits.descriptionMaxChars, limits.descriptionMaxPixels};
    for (int i = 0; i < LimitCount; ++i) {
        auto* box = new QSpinBox(this);
        box->setRange(0, 5000);
        box->setValue(values[i]);
        form->addRow(ToQString(dialog_texts::kSiteLimitLabels[i]), box);
        connect(box, &QSpinBox::valueChanged, this, &CSiteLimitsPage::Changed);
        boxes_[static_cast<std::size_t>(i)] = box;
    }
    layout->addLayout(form);
    layout->addStretch(1);
}

AuditLimits CSiteLimitsPage::Limits() const {
    AuditLimits l;
    l.titleMinChars = Box(TitleMinChars)->value();
    l.titleMaxChars = Box(TitleMaxChars)->value();
    l.titleMaxPixels = Box(TitleMaxPixels)->value();
    l.descriptionMinChars = Box(DescriptionMinChars)->value();
    l.descriptionMaxChars = Box(DescriptionMaxChars)->value();
    l.descriptionMaxPixels = Box(DescriptionMaxPixels)->value();
    return l;
}

// --- The sheet ---------------------------------------------------------------

COptionsSheet::COptionsSheet(TagCatalogue& catalogue, std::string& fileTypes, QWidget* parent)
    : QDialog(parent), catalogue_(catalogue), fileTypes_(fileTypes) {
    setWindowTitle(ToQString(dialog_texts::kOptionsCaption));
    tabs_ = new QTabWidget(this);
    standard_ = new CStdTagsPage(catalogue, tabs_);
    custom_ = new CCustomTagsPage(catalogue, tabs_);
    fileTypesPage_ = new CFileTypesPage(fileTypes, catalogue.writeCrLf, tabs_);
    tabs_->addTab(standard_, ToQString(dialog_texts::kStandardPageTitle));
    tabs_->addTab(custom_, ToQString(dialog_texts::kCustomPageTitle));
    tabs_->addTab(fileTypesPage_, ToQString(dialog_texts::kFileTypesPageTitle));

    buttons_ = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    ok_ = buttons_->button(QDialogButtonBox::Ok);
    cancel_ = buttons_->button(QDialogButtonBox::Cancel);
    apply_ = buttons_->button(QDialogButtonBox::Apply);
    ok_->setDefault(true);
    apply_->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addWidget(buttons_);

    connect(buttons_, &QDialogButtonBox::accepted, this, &COptionsSheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &COptionsSheet::reject);
    connect(apply_, &QPushButton::clicked, this, &COptionsSheet::ApplyPages);
    connect(standard_, &CStdTagsPage::Changed, this, &COptionsSheet::PageChanged);
    connect(custom_, &CCustomTagsPage::Changed, this, &COptionsSheet::PageChanged);
    connect(fileTypesPage_, &CFileTypesPage::Changed, this, &COptionsSheet::PageChanged);
    connect(tabs_, &QTabWidget::currentChanged, this, &COptionsSheet::PageShown);

    // The sheet opens on its first page.
    PageShown(tabs_->currentIndex());
}

void COptionsSheet::ShowPage(int index) {
    tabs_->setCurrentIndex(index);
}

void COptionsSheet::AddSiteLimitsPage(AuditLimits& limits) {
    if (siteLimitsPage_ != nullptr) {
        return;
    }
    limits_ = &limits;
    siteLimitsPage_ = new CSiteLimitsPage(limits, tabs_);
    tabs_->addTab(siteLimitsPage_, ToQString(dialog_texts::kSiteLimitsPageTitle));
    connect(siteLimitsPage_, &CSiteLimitsPage::Changed, this, &COptionsSheet::PageChanged);
}

void COptionsSheet::PageShown(int index) {
    if (index == 0) {
        standard_->Activate();
    } else if (index == 1) {
        custom_->Activate();
    } else if (index == 2) {
        fileTypesPage_->Activate();
    }
}

void COptionsSheet::PageChanged() {
    apply_->setEnabled(true);
}

void COptionsSheet::ApplyPages() {
    // Pages never shown have nothing to write.
    if (standard_->Activated()) {
        standard_->Apply();
    }
    if (custom_->Activated()) {
        custom_->Apply();
    }
    if (fileTypesPage_->Activated()) {
        fileTypesPage_->Apply(fileTypes_, catalogue_.writeCrLf);
    }
    if (siteLimitsPage_ != nullptr) {
        *limits_ = siteLimitsPage_->Limits();
    }
    apply_->setEnabled(false);
    emit Applied();
}

void COptionsSheet::accept() {
    ApplyPages();
    QDialog::accept();
}

} // namespace orlen
