#include "tags/ui/site_view.h"

#include "document/document_ui.h"
#include "document/file_listing.h"
#include "document/safe_file.h"
#include "document/vantle_doc.h"
#include "page/entities.h"
#include "page/ui/qt_text.h"
#include "tags/site_scan.h"
#include "tags/ui/site_texts.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileSystemWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QTableView>
#include <QThread>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>
#include <set>

namespace orlen {

namespace {

QString Length(int chars, int pixels) {
    return ToQString(site_texts::kLength).arg(chars).arg(pixels);
}

// Pages are kept with paths as the walk gives them: bytes, shown as UTF-8.
QString PathText(const std::string& path) {
    return QString::fromStdString(path);
}

// The document's messages while a cell's page is saved: kept to be shown
// in the status bar; every question is answered No, so nothing another
// program wrote is overwritten.
class QuietUi final : public DocumentUi {
public:
    void ShowMessage(const std::string& text) override { messages += text + " "; }
    Answer AskYesNo(const std::string& text) override {
        messages += text + " ";
        return Answer::No;
    }
    Answer AskYesNoCancel(const std::string& text) override {
        messages += text + " ";
        return Answer::Cancel;
    }
    std::optional<std::string> ChooseFileToOpen(const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::optional<std::string> ChooseFileToSave(const std::string&, const std::string&,
                                                const std::string&, const std::string&) override {
        return std::nullopt;
    }
    std::string messages;
};

} // namespace

// --- The model --------------------------------------------------------------

CSiteModel::CSiteModel(QObject* parent) : QAbstractTableModel(parent) {}

int CSiteModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(pages_.size());
}

int CSiteModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CSiteModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const PageAudit& p = pages_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    if (role == kFindingsRole) {
        QStringList entries;
        for (const Finding& f : p.findings) {
            entries << QString::number(static_cast<int>(f.severity)) + ':' + ToQString(f.id);
        }
        return entries;
    }
    if (role == kSortRole) {
        switch (column) {
        case TitleLengthColumn:
            return p.titleChars;
        case DescriptionLengthColumn:
            return p.descriptionChars;
        case FindingsColumn:
            // Descending puts the pages with the worst findings first.
            return (static_cast<int>(Severity::Notice) + 1 - p.WorstSeverity()) * 100000 +
                   static_cast<int>(p.findings.size());
        default:
            return data(index, Qt::DisplayRole);
        }
    }
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        switch (column) {
        case FileColumn:
            return PathText(p.path);
        case TitleColumn:
            return ToQString(p.title);
        case TitleLengthColumn:
            return p.hasTitle ? Length(p.titleChars, p.titlePixels) : QString();
        case DescriptionColumn:
            return ToQString(p.description);
        case DescriptionLengthColumn:
            return p.hasDescription ? Length(p.descriptionChars, p.descriptionPixels) : QString();
        case KeywordsColumn:
            return ToQString(p.keywords);
        case RobotsColumn:
            return ToQString(p.robots);
        case FindingsColumn:
            if (role == Qt::EditRole) {
                return {};
            }
            {
                QStringList ids;
                for (const Finding& f : p.findings) {
                    ids << ToQString(f.id);
                }
                return ids.join(' ');
            }
        default:
            return {};
        }
    }
    if (role == Qt::ToolTipRole) {
        if (column == FindingsColumn) {
            QStringList lines;
            for (const Finding& f : p.findings) {
                lines << ToQString(SeverityName(f.severity)) + ": " + ToQString(f.id) + ": " +
                             ToQString(f.message);
            }
            return lines.isEmpty() ? QVariant() : QVariant(lines.join('\n'));
        }
        const QString text = data(index, Qt::DisplayRole).toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    return {};
}

QVariant CSiteModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount) {
        return ToQString(site_texts::kColumnTitles[section]);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags CSiteModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (saveCell_ && (index.column() == TitleColumn || index.column() == DescriptionColumn)) {
        f |= Qt::ItemIsEditable;
    }
    return f;
}

bool CSiteModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !saveCell_ || !index.isValid() ||
        (index.column() != TitleColumn && index.column() != DescriptionColumn)) {
        return false;
    }
    if (value.toString() == data(index, Qt::EditRole).toString()) {
        return false; // unchanged: the page is not written
    }
    return saveCell_(index.row(), index.column(), value.toString());
}

void CSiteModel::Clear() {
    beginResetModel();
    pages_.clear();
    endResetModel();
}

void CSiteModel::Append(std::vector<PageAudit> pages) {
    if (pages.empty()) {
        return;
    }
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(pages.size()) - 1);
    for (PageAudit& p : pages) {
        pages_.push_back(std::move(p));
    }
    endInsertRows();
}

void CSiteModel::ReplacePage(int row, PageAudit page) {
    pages_[static_cast<std::size_t>(row)] = std::move(page);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void CSiteModel::RemovePage(int row) {
    beginRemoveRows({}, row, row);
    pages_.erase(pages_.begin() + row);
    endRemoveRows();
}

void CSiteModel::UpdateDuplicates() {
    AddDuplicateFindings(pages_);
    if (!pages_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    }
}

int CSiteModel::RowOfPath(const std::string& relativePath) const {
    for (std::size_t i = 0; i < pages_.size(); ++i) {
        if (pages_[i].path == relativePath) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// --- The filter -------------------------------------------------------------

CSiteFilter::CSiteFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(CSiteModel::kSortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    setDynamicSortFilter(true);
}

void CSiteFilter::SetText(const QString& text) {
    text_ = text;
    invalidateFilter();
}

void CSiteFilter::SetFindingFilter(int entry) {
    entry_ = entry;
    invalidateFilter();
}

bool CSiteFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    const auto* model = static_cast<const CSiteModel*>(sourceModel());
    const PageAudit& p = model->Pages()[static_cast<std::size_t>(sourceRow)];
    if (!text_.isEmpty() && !PathText(p.path).contains(text_, Qt::CaseInsensitive) &&
        !ToQString(p.title).contains(text_, Qt::CaseInsensitive) &&
        !ToQString(p.description).contains(text_, Qt::CaseInsensitive)) {
        return false;
    }
    switch (entry_) {
    case AllPages:
        return true;
    case WithErrors:
        return p.WorstSeverity() <= static_cast<int>(Severity::Error);
    case WithWarnings:
        return p.WorstSeverity() <= static_cast<int>(Severity::Warning);
    default: {
        const std::size_t kind = static_cast<std::size_t>(entry_ - FirstKind);
        if (kind >= FindingKinds().size()) {
            return true;
        }
        const std::string_view id = FindingKinds()[kind].id;
        return std::any_of(p.findings.begin(), p.findings.end(),
                           [&](const Finding& f) { return f.id == id; });
    }
    }
}

// --- The badges -------------------------------------------------------------

namespace {

constexpr int kBadgePadding = 5;
constexpr int kBadgeGap = 3;

struct Badge {
    Severity severity;
    QString id;
};

// The most severe first, so that what does not fit is the least severe.
std::vector<Badge> BadgesOf(const QModelIndex& index) {
    std::vector<Badge> badges;
    for (const QString& entry : index.data(CSiteModel::kFindingsRole).toStringList()) {
        const int colon = entry.indexOf(':');
        badges.push_back({static_cast<Severity>(entry.left(colon).toInt()), entry.mid(colon + 1)});
    }
    std::stable_sort(badges.begin(), badges.end(), [](const Badge& a, const Badge& b) {
        return static_cast<int>(a.severity) < static_cast<int>(b.severity);
    });
    return badges;
}

} // namespace

QColor CFindingsDelegate::BadgeColour(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return QColor(0xc6, 0x28, 0x28);
    case Severity::Warning:
        return QColor(0xf5, 0x9e, 0x0b);
    case Severity::Notice:
        return QColor(0x1e, 0x6f, 0xc8);
    }
    return Qt::gray;
}

void CFindingsDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
    // The cell's background and selection as the style draws them, without
    // the text the badges replace.
    QStyleOptionViewItem plain = option;
    initStyleOption(&plain, index);
    plain.text.clear();
    QStyle* style = plain.widget != nullptr ? plain.widget->style() : nullptr;
    if (style != nullptr) {
        style->drawControl(QStyle::CE_ItemViewItem, &plain, painter, plain.widget);
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setClipRect(option.rect);
    const QFontMetrics metrics(option.font);
    const int height = std::min(option.rect.height() - 4, metrics.height() + 2);
    int x = option.rect.left() + kBadgeGap;
    const int y = option.rect.top() + (option.rect.height() - height) / 2;
    const std::vector<Badge> badges = BadgesOf(index);
    for (std::size_t i = 0; i < badges.size(); ++i) {
        const Badge& badge = badges[i];
        const int width = metrics.horizontalAdvance(badge.id) + 2 * kBadgePadding;
        // The badges that do not fit whole are counted instead: "+2".
        const QString more = QStringLiteral("+%1").arg(badges.size() - i);
        const int moreWidth =
            i + 1 < badges.size() ? metrics.horizontalAdvance(more) + kBadgeGap : 0;
        if (x + width + moreWidth > option.rect.right() && i > 0) {
            painter->setPen(option.palette.color((option.state & QStyle::State_Selected) != 0
                                                     ? QPalette::HighlightedText
                                                     : QPalette::Text));
            painter->drawText(QRect(x, y, option.rect.right() - x, height),
                              Qt::AlignLeft | Qt::AlignVCenter, more);
            break;
        }
        const QRect box(x, y, width, height);
        const QColor colour = BadgeColour(badge.severity);
        painter->setPen(Qt::NoPen);
        painter->setBrush(colour);
        painter->drawRoundedRect(box, height / 2.0, height / 2.0);
        // Dark text on amber, white on red and blue, for contrast.
        painter->setPen(badge.severity == Severity::Warning ? QColor(0x3a, 0x2a, 0x00) : Qt::white);
        painter->drawText(box, Qt::AlignCenter, badge.id);
        x += width + kBadgeGap;
    }
    painter->restore();
}

QSize CFindingsDelegate::sizeHint(const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const QFontMetrics metrics(option.font);
    int width = kBadgeGap;
    for (const Badge& badge : BadgesOf(index)) {
        width += metrics.horizontalAdvance(badge.id) + 2 * kBadgePadding + kBadgeGap;
    }
    return {width, metrics.height() + 6};
}

// --- The view ---------------------------------------------------------------

CSiteView::CSiteView(SettingsStore& settings, const std::string& fileTypes, QWidget* parent)
    : QWidget(parent), settings_(settings), fileTypes_(fileTypes),
      limits_(AuditLimits::Load(settings)) {
    setObjectName(QStringLiteral("siteView"));
    model_ = new CSiteModel(this);
    model_->SetSaveCell(
        [this](int row, int column, const QString& value) { return SaveCell(row, column, value); });
    filter_ = new CSiteFilter(this);
    filter_->setSourceModel(model_);

    filterEdit_ = new QLineEdit(this);
    filterEdit_->setPlaceholderText(ToQString(site_texts::kFilterPlaceholder));
    filterEdit_->setClearButtonEnabled(true);
    findingCombo_ = new QComboBox(this);
    findingCombo_->addItem(ToQString(site_texts::kFilterAll));
    findingCombo_->addItem(ToQString(site_texts::kFilterErrors));
    findingCombo_->addItem(ToQString(site_texts::kFilterWarnings));
    for (const FindingKind& kind : FindingKinds()) {
        findingCombo_->addItem(ToQString(kind.id));
    }
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("siteSummary"));

    table_ = new QTableView(this);
    table_->setModel(filter_);
    table_->installEventFilter(this);
    table_->setItemDelegateForColumn(CSiteModel::FindingsColumn, new CFindingsDelegate(table_));
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Double-click and Enter open the page; F2 or a click on the selected
    // cell edits a title or description in place.
    table_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    table_->setAlternatingRowColors(true);
    // The view takes the focus (F6 between panes) into its table.
    setFocusProxy(table_);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSortingEnabled(true); // in the order read until a heading is clicked
    table_->horizontalHeader()->setStretchLastSection(true);
    // Widths in average characters; a length cell fits its longest usual
    // text whole. The findings are what the overview is looked at for: they
    // are shown next to the file, where they never scroll out of sight (the
    // model's columns, and so the export, keep their order; the headings can
    // be dragged).
    const QFontMetrics metrics = table_->fontMetrics();
    const int ch = metrics.averageCharWidth();
    const int length = metrics.horizontalAdvance(Length(888, 8888)) + 2 * ch;
    const int widths[CSiteModel::ColumnCount] = {26 * ch, 26 * ch, length,  30 * ch,
                                                 length,  18 * ch, 14 * ch, 48 * ch};
    for (int column = 0; column < CSiteModel::ColumnCount; ++column) {
        table_->setColumnWidth(column, widths[column]);
    }
    table_->horizontalHeader()->setSectionsMovable(true);
    table_->horizontalHeader()->moveSection(CSiteModel::FindingsColumn, CSiteModel::TitleColumn);

    auto* bar = new QHBoxLayout;
    bar->addWidget(filterEdit_, 2);
    bar->addWidget(findingCombo_, 1);
    bar->addWidget(summary_, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(table_, 1);

    // The progress panel goes to the status bar; it stays here until then.
    progressPanel_ = new QWidget(this);
    progressPanel_->setObjectName(QStringLiteral("siteProgress"));
    progress_ = new QProgressBar(progressPanel_);
    progress_->setFormat(ToQString(site_texts::kProgressFormat));
    progress_->setMaximumWidth(260);
    cancel_ = new QPushButton(ToQString(site_texts::kCancel), progressPanel_);
    auto* panel = new QHBoxLayout(progressPanel_);
    panel->setContentsMargins(0, 0, 0, 0);
    panel->addWidget(progress_);
    panel->addWidget(cancel_);
    progressPanel_->hide();

    watcher_ = new QFileSystemWatcher(this);
    watchTimer_.setSingleShot(true);
    watchTimer_.setInterval(kWatchDelayMs);

    connect(filterEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_->SetText(text);
        UpdateSummary();
    });
    connect(findingCombo_, &QComboBox::currentIndexChanged, this, [this](int entry) {
        filter_->SetFindingFilter(entry);
        UpdateSummary();
    });
    connect(table_, &QAbstractItemView::activated, this, &CSiteView::OpenRow);
    connect(cancel_, &QPushButton::clicked, this, &CSiteView::CancelScan);
    // Changes come in bursts (a save writes and renames); they are read
    // once the burst is over.
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& path) {
        changedFolders_.insert(path.toStdString());
        watchTimer_.start();
    });
    connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) {
        changedFiles_.insert(path.toStdString());
        watchTimer_.start();
    });
    connect(&watchTimer_, &QTimer::timeout, this, &CSiteView::OnFoldersChanged);
    UpdateSummary();
}

CSiteView::~CSiteView() {
    StopThread();
}

void CSiteView::SetProjectDirectory(const std::string& root) {
    if (root == root_) {
        return;
    }
    root_ = root;
    Rescan();
}

void CSiteView::Rescan() {
    if (isVisible()) {
        StartScan();
        return;
    }
    // Read when next shown; until then nothing of the old folder shows.
    StopThread();
    ++generation_;
    scanning_ = false;
    progressPanel_->hide();
    model_->Clear();
    pending_ = true;
    UpdateSummary();
}

void CSiteView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (pending_) {
        pending_ = false;
        StartScan();
    }
}

void CSiteView::StopThread() {
    if (thread_) {
        scan_->cancel = true;
        thread_->wait();
        thread_.reset();
    }
}

void CSiteView::CancelScan() {
    if (scan_) {
        scan_->cancel = true;
    }
}

void CSiteView::StartScan() {
    StopThread();
    ++generation_;
    pending_ = false;
    cancelled_ = false;
    limits_ = AuditLimits::Load(settings_);
    model_->Clear();
    if (!watcher_->files().isEmpty()) {
        watcher_->removePaths(watcher_->files());
    }
    if (!watcher_->directories().isEmpty()) {
        watcher_->removePaths(watcher_->directories());
    }
    changedFiles_.clear();
    changedFolders_.clear();
    newFolders_.clear();
    if (root_.empty()) {
        scanning_ = false;
        progressPanel_->hide();
        UpdateSummary();
        return;
    }
    scanning_ = true;
    progress_->setRange(0, 0); // busy until the number of pages is known
    progressPanel_->show();
    auto state = std::make_shared<ScanState>();
    scan_ = state;
    const std::uint64_t generation = generation_;
    // The thread reads its own copies; it only posts results to this view,
    // which drops those of an earlier scan by their generation.
    thread_.reset(QThread::create([this, state, generation, root = root_, fileTypes = fileTypes_,
                                   limits = limits_] {
        std::vector<std::string> paths;
        WalkSitePages(root, fileTypes, [&](const std::string& relative) {
            if (!state->cancel) {
                paths.push_back(relative);
            }
        });
        const int total = static_cast<int>(paths.size());
        QMetaObject::invokeMethod(
            this, [this, generation, total] { OnTotal(generation, total); }, Qt::QueuedConnection);
        auto batch = std::make_shared<std::vector<PageAudit>>();
        int read = 0;
        const auto post = [&] {
            QMetaObject::invokeMethod(
                this,
                [this, generation, batch, read] {
                    OnBatch(generation, batch);
                    if (generation == generation_) {
                        progress_->setValue(read);
                    }
                },
                Qt::QueuedConnection);
            batch = std::make_shared<std::vector<PageAudit>>();
        };
        QElapsedTimer sincePost;
        sincePost.start();
        CHtmlPage head;
        std::string text;
        std::string error;
        for (const std::string& relative : paths) {
            if (state->cancel) {
                break;
            }
            if (ReadPageHead(root + "/" + relative, head, text, error)) {
                batch->push_back(AuditPage(relative, head, text, limits));
            }
            ++read;
            // Batches of a tenth of a second keep the window lively
            // without a repaint for every page.
            if (sincePost.elapsed() >= 100) {
                post();
                sincePost.restart();
            }
        }
        post();
        const bool cancelled = state->cancel;
        QMetaObject::invokeMethod(
            this, [this, generation, cancelled] { OnScanEnd(generation, cancelled); },
            Qt::QueuedConnection);
    }));
    thread_->start();
    UpdateSummary();
}

void CSiteView::OnTotal(std::uint64_t generation, int total) {
    if (generation == generation_) {
        progress_->setRange(0, total);
        progress_->setValue(0);
    }
}

void CSiteView::OnBatch(std::uint64_t generation, std::shared_ptr<std::vector<PageAudit>> pages) {
    if (generation != generation_) {
        return;
    }
    model_->Append(std::move(*pages));
    UpdateSummary();
}

void CSiteView::OnScanEnd(std::uint64_t generation, bool cancelled) {
    if (generation != generation_) {
        return;
    }
    StopThread();
    scanning_ = false;
    cancelled_ = cancelled;
    progressPanel_->hide();
    model_->UpdateDuplicates();
    WatchFolders();
    UpdateSummary();
    emit ScanFinished();
}

void CSiteView::UpdateSummary() {
    if (root_.empty()) {
        summary_->setText(ToQString(site_texts::kNoProject));
        return;
    }
    int errors = 0;
    int warnings = 0;
    for (const PageAudit& p : model_->Pages()) {
        errors += p.WorstSeverity() == static_cast<int>(Severity::Error) ? 1 : 0;
        warnings += std::any_of(p.findings.begin(), p.findings.end(),
                                [](const Finding& f) { return f.severity == Severity::Warning; })
                        ? 1
                        : 0;
    }
    QString text =
        ToQString(site_texts::kSummary).arg(model_->rowCount()).arg(errors).arg(warnings);
    if (filter_->rowCount() != model_->rowCount()) {
        text += ToQString(site_texts::kSummaryShown).arg(filter_->rowCount());
    }
    if (scanning_) {
        text += ToQString(site_texts::kSummaryScanning);
    } else if (cancelled_) {
        text += ToQString(site_texts::kSummaryCancelled);
    }
    summary_->setText(text);
}

std::vector<std::string> CSiteView::SelectedPaths() const {
    QModelIndexList rows = table_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::string> paths;
    for (const QModelIndex& proxy : rows) {
        const QModelIndex source = filter_->mapToSource(proxy);
        if (source.isValid()) {
            paths.push_back(root_ + "/" +
                            model_->Pages()[static_cast<std::size_t>(source.row())].path);
        }
    }
    return paths;
}

void CSiteView::OpenRow(const QModelIndex& proxyIndex) {
    const QModelIndex source = filter_->mapToSource(proxyIndex);
    if (!source.isValid() || !openPage_) {
        return;
    }
    const std::string path =
        root_ + "/" + model_->Pages()[static_cast<std::size_t>(source.row())].path;
    openPage_(path);
}

bool CSiteView::AuditOne(const std::string& relativePath, PageAudit& page) const {
    CHtmlPage head;
    std::string text;
    std::string error;
    if (!ReadPageHead(root_ + "/" + relativePath, head, text, error)) {
        return false;
    }
    page = AuditPage(relativePath, head, text, limits_);
    return true;
}

// The page is opened, changed and saved as the editor does it, by a
// document of its own; then its row is read back from the file.
bool CSiteView::SaveCell(int row, int column, const QString& value) {
    const std::string relative = model_->Pages()[static_cast<std::size_t>(row)].path;
    const std::string path = root_ + "/" + relative;
    QuietUi ui;
    CVantleDoc doc(ui);
    bool saved = false;
    // The bytes before the edit, for Undo.
    std::string before;
    std::string error;
    if (ReadWholeFile(path, before, error) && doc.OpenDocument(path) != 0 && !doc.IsUnwritable()) {
        const std::string text = value.toStdString();
        if (column == CSiteModel::TitleColumn) {
            doc.SetPageTitle(TitleTextToSource(text, doc.PageCharset()));
        } else {
            doc.SetPageMeta("description", AttributeTextToSource(text, doc.PageCharset()), 0);
        }
        saved = doc.DoSave(path) != 0;
    }
    if (!saved) {
        emit StatusText(ToQString(site_texts::kSaveFailed).arg(PathText(relative)) + ' ' +
                        ToQString(ui.messages).trimmed());
        return false;
    }
    lastEdit_ = Edit{path, std::move(before), StampFile(path, doc.GetPageText())};
    RefreshPage(path);
    return true;
}

bool CSiteView::UndoLastEdit() {
    if (!lastEdit_) {
        return false;
    }
    const Edit edit = std::move(*lastEdit_);
    lastEdit_.reset();
    const QString shown = PathText(edit.path.substr(std::min(edit.path.size(), root_.size() + 1)));
    if (FileChangedSince(edit.path, edit.after)) {
        emit StatusText(ToQString(site_texts::kUndoChangedOnDisk).arg(shown));
        return false;
    }
    std::string error;
    if (!WriteFileSafely(edit.path, edit.before, error)) {
        emit StatusText(ToQString(site_texts::kSaveFailed).arg(shown) + ' ' + ToQString(error));
        return false;
    }
    RefreshPage(edit.path);
    emit StatusText(ToQString(site_texts::kUndone).arg(shown));
    return true;
}

bool CSiteView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_ &&
        (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress)) {
        auto* key = static_cast<QKeyEvent*>(event);
        // While a cell is edited its editor has the keys, and its own Undo.
        if (key->matches(QKeySequence::Undo)) {
            if (event->type() == QEvent::ShortcutOverride) {
                event->accept(); // the key comes to the table, not to Edit > Undo
            } else {
                UndoLastEdit();
            }
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CSiteView::RefreshPage(const std::string& fullPath) {
    const std::string prefix = root_ + "/";
    if (root_.empty() || fullPath.size() <= prefix.size() ||
        fullPath.compare(0, prefix.size(), prefix) != 0) {
        return;
    }
    const std::string relative = fullPath.substr(prefix.size());
    const std::string name = relative.substr(relative.rfind('/') + 1);
    if (IsTemplatePath(relative) || !IsListedFile(name, fileTypes_)) {
        return;
    }
    const int row = model_->RowOfPath(relative);
    PageAudit page;
    if (AuditOne(relative, page)) {
        if (row >= 0) {
            model_->ReplacePage(row, std::move(page));
        } else if (!scanning_) {
            std::vector<PageAudit> added;
            added.push_back(std::move(page));
            model_->Append(std::move(added));
        }
    } else if (row >= 0) {
        model_->RemovePage(row);
    }
    if (!scanning_) {
        model_->UpdateDuplicates();
    }
    UpdateSummary();
    emit PagesRefreshed();
}

// Folders are watched for pages added and removed (and replaced, as a safe
// save does); the pages themselves for changes written in place.
void CSiteView::WatchFolders() {
    if (!watcher_->files().isEmpty()) {
        watcher_->removePaths(watcher_->files());
    }
    if (!watcher_->directories().isEmpty()) {
        watcher_->removePaths(watcher_->directories());
    }
    QStringList paths;
    std::set<std::string> folders{root_};
    for (const PageAudit& p : model_->Pages()) {
        const std::size_t slash = p.path.rfind('/');
        if (slash != std::string::npos) {
            folders.insert(root_ + "/" + p.path.substr(0, slash));
        }
    }
    for (const std::string& folder : folders) {
        paths << QString::fromStdString(folder);
    }
    for (const std::string& folder : newFolders_) {
        if (folders.count(folder) == 0) {
            paths << QString::fromStdString(folder);
        }
    }
    // Pages in place only for sites of moderate size: each watch is a
    // kernel resource.
    constexpr std::size_t kWatchedPagesLimit = 2000;
    if (model_->Pages().size() <= kWatchedPagesLimit) {
        for (const PageAudit& p : model_->Pages()) {
            paths << QString::fromStdString(root_ + "/" + p.path);
        }
    }
    if (!paths.isEmpty()) {
        watcher_->addPaths(paths);
    }
}

// Reads again only what the watcher reported: a changed page, or the pages
// of a changed folder (one level, plus any folder new in it), so that a
// change costs the folder it was in, not the whole site.
void CSiteView::OnFoldersChanged() {
    std::set<std::string> files;
    std::set<std::string> folders;
    files.swap(changedFiles_);
    folders.swap(changedFolders_);
    if (scanning_ || root_.empty()) {
        return;
    }
    const std::string rootPrefix = root_ + "/";
    const auto relativeOf = [&](const std::string& full) -> std::optional<std::string> {
        if (full == root_) {
            return std::string();
        }
        if (full.compare(0, rootPrefix.size(), rootPrefix) != 0) {
            return std::nullopt;
        }
        return full.substr(rootPrefix.size());
    };
    const auto readOne = [&](const std::string& relative, std::vector<PageAudit>& added) {
        const int row = model_->RowOfPath(relative);
        PageAudit page;
        if (!AuditOne(relative, page)) {
            if (row >= 0) {
                model_->RemovePage(row);
            }
        } else if (row >= 0) {
            model_->ReplacePage(row, std::move(page));
        } else {
            added.push_back(std::move(page));
        }
    };
    std::vector<PageAudit> added;
    for (const std::string& folder : folders) {
        const std::optional<std::string> relative = relativeOf(folder);
        if (!relative) {
            continue;
        }
        const std::string prefix = relative->empty() ? std::string() : *relative + "/";
        const DirectoryListing listing = ListDirectory(folder, fileTypes_);
        std::set<std::string> here;
        for (const std::string& name : listing.files) {
            if (!IsTemplatePath(name)) {
                here.insert(prefix + name);
            }
        }
        const std::set<std::string> subfolders(listing.directories.begin(),
                                               listing.directories.end());
        // Rows of this folder's pages that are gone, and of folders gone.
        for (int row = model_->rowCount() - 1; row >= 0; --row) {
            const std::string& path = model_->Pages()[static_cast<std::size_t>(row)].path;
            if (path.compare(0, prefix.size(), prefix) != 0) {
                continue;
            }
            const std::string rest = path.substr(prefix.size());
            const std::size_t slash = rest.find('/');
            if (slash == std::string::npos ? here.count(path) == 0
                                           : subfolders.count(rest.substr(0, slash)) == 0) {
                model_->RemovePage(row);
            }
        }
        for (const std::string& path : here) {
            readOne(path, added);
        }
        // A folder that has no rows yet is new: all of its pages are read.
        for (const std::string& sub : subfolders) {
            const std::string subPrefix = prefix + sub + "/";
            const bool known = std::any_of(
                model_->Pages().begin(), model_->Pages().end(), [&](const PageAudit& p) {
                    return p.path.compare(0, subPrefix.size(), subPrefix) == 0;
                });
            if (!known) {
                // Watched even while it has no pages, for those to come.
                newFolders_.insert(folder + "/" + sub);
                WalkSitePages(folder + "/" + sub, fileTypes_,
                              [&](const std::string& below) { readOne(subPrefix + below, added); });
            }
        }
    }
    for (const std::string& file : files) {
        const std::optional<std::string> relative = relativeOf(file);
        if (relative && !relative->empty()) {
            readOne(*relative, added);
        }
    }
    model_->Append(std::move(added));
    model_->UpdateDuplicates();
    WatchFolders();
    UpdateSummary();
    emit PagesRefreshed();
}

bool CSiteView::Export(const QString& fileName) const {
    QByteArray bytes;
    if (fileName.endsWith(QStringLiteral(".json"), Qt::CaseInsensitive)) {
        for (const PageAudit& p : model_->Pages()) {
            QJsonObject line;
            line[QStringLiteral("path")] = PathText(p.path);
            line[QStringLiteral("title")] =
                p.hasTitle ? QJsonValue(ToQString(p.title)) : QJsonValue(QJsonValue::Null);
            line[QStringLiteral("titleChars")] = p.titleChars;
            line[QStringLiteral("titlePixels")] = p.titlePixels;
            line[QStringLiteral("description")] = p.hasDescription
                                                      ? QJsonValue(ToQString(p.description))
                                                      : QJsonValue(QJsonValue::Null);
            line[QStringLiteral("descriptionChars")] = p.descriptionChars;
            line[QStringLiteral("descriptionPixels")] = p.descriptionPixels;
            line[QStringLiteral("keywords")] =
                p.hasKeywords ? QJsonValue(ToQString(p.keywords)) : QJsonValue(QJsonValue::Null);
            line[QStringLiteral("robots")] = ToQString(p.robots);
            QJsonArray findings;
            for (const Finding& f : p.findings) {
                QJsonObject finding;
                finding[QStringLiteral("id")] = ToQString(f.id);
                finding[QStringLiteral("severity")] = ToQString(SeverityName(f.severity));
                finding[QStringLiteral("message")] = ToQString(f.message);
                findings.append(finding);
            }
            line[QStringLiteral("findings")] = findings;
            bytes += QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
        }
    } else {
        const std::string csv = SiteCsv(model_->Pages());
        bytes = QByteArray(csv.data(), static_cast<qsizetype>(csv.size()));
    }
    QSaveFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace orlen
