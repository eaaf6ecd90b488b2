#include "shell/ui/template_batch_ui.h"
#include "page/ui/qt_text.h"

#include "document/document_texts.h"
#include "document/file_listing.h"
#include "document/line_diff.h"
#include "page/charset.h"
#include "shell/command_ids.h"
#include "shell/template_batch_texts.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/file_tree_view.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/vantle_app.h"
#include "tags/ui/site_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTextBlock>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>

namespace orlen {

namespace fs = std::filesystem;
namespace texts = batch_ui_texts;

namespace {

QString Q(std::string_view text) {
    return ToQString(text);
}

// Page bytes for the screen: UTF-8 as it is, anything else as Windows-1252
// (the head's own charset is not known here; its markup is ASCII anyway).
QString PageText(const std::string& bytes) {
    return ToQString(IsValidUtf8(bytes) ? bytes : DecodeToUtf8(bytes, Charset::Windows1252));
}

std::string Normalized(const std::string& path) {
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    return ec ? path : full.lexically_normal().string();
}

// The colours of lines that go and lines that come.
const QColor kRemovedColour(255, 220, 220);
const QColor kAddedColour(210, 245, 210);

// Fills a text box with lines and marks those of marked with colour.
void ShowLines(QPlainTextEdit* box, const QStringList& lines, const std::vector<int>& marked,
               const QColor& colour) {
    box->setPlainText(lines.join('\n'));
    QList<QTextEdit::ExtraSelection> marks;
    for (int line : marked) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(box->document()->findBlockByNumber(line));
        mark.format.setBackground(colour);
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(mark);
    }
    box->setExtraSelections(marks);
}

} // namespace

// --- The preview ---------------------------------------------------------------

CBatchPreviewDialog::CBatchPreviewDialog(const QString& templateName,
                                         std::vector<BatchPreviewRow> rows, QWidget* parent)
    : QDialog(parent), data_(std::move(rows)) {
    setObjectName(QStringLiteral("batchPreview"));
    setWindowTitle(Q(texts::kPreviewTitle));
    auto* intro = new QLabel(Q(doc_texts::FillIn(texts::kPreviewIntro, templateName.toStdString(),
                                                 std::to_string(data_.size()))),
                             this);
    intro->setWordWrap(true);

    rows_ = new QTableWidget(static_cast<int>(data_.size()), 3, this);
    rows_->setHorizontalHeaderLabels(
        {Q(texts::kPageColumn), Q(texts::kClassColumn), Q(texts::kReasonColumn)});
    rows_->verticalHeader()->hide();
    rows_->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    rows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows_->horizontalHeader()->setStretchLastSection(true);
    rows_->setWordWrap(false);
    bool anyChange = false;
    int firstChange = -1;
    for (std::size_t i = 0; i < data_.size(); ++i) {
        const BatchPreviewRow& row = data_[i];
        const int r = static_cast<int>(i);
        rows_->setItem(r, 0, new QTableWidgetItem(QString::fromStdString(row.shown)));
        auto* kind = new QTableWidgetItem(Q(BatchClassName(row.kind)));
        if (row.kind == BatchClass::Changed) {
            kind->setBackground(kAddedColour);
            anyChange = true;
            firstChange = firstChange < 0 ? r : firstChange;
        } else if (row.kind == BatchClass::Refused || row.kind == BatchClass::Failed) {
            kind->setBackground(kRemovedColour);
        }
        rows_->setItem(r, 1, kind);
        QString reason = Q(row.reason);
        reason.replace('\n', ' ').replace('\r', ' ');
        rows_->setItem(r, 2, new QTableWidgetItem(reason));
    }
    rows_->resizeColumnToContents(1);
    rows_->setColumnWidth(0, 280);

    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    auto makeBox = [&](const char* name) {
        auto* box = new QPlainTextEdit(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setReadOnly(true);
        box->setLineWrapMode(QPlainTextEdit::NoWrap);
        box->setFont(fixed);
        box->setTabStopDistance(4 * QFontMetricsF(fixed).horizontalAdvance(QLatin1Char(' ')));
        return box;
    };
    before_ = makeBox("headBefore");
    after_ = makeBox("headAfter");
    auto* sides = new QSplitter(Qt::Horizontal, this);
    for (auto [box, title] :
         {std::pair{before_, texts::kHeadBefore}, std::pair{after_, texts::kHeadAfter}}) {
        auto* side = new QWidget(sides);
        auto* column = new QVBoxLayout(side);
        column->setContentsMargins(0, 0, 0, 0);
        column->addWidget(new QLabel(Q(title), side));
        column->addWidget(box, 1);
        sides->addWidget(side);
    }
    // Both sides scroll together: their lines are aligned.
    connect(before_->verticalScrollBar(), &QScrollBar::valueChanged, after_->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(after_->verticalScrollBar(), &QScrollBar::valueChanged, before_->verticalScrollBar(),
            &QScrollBar::setValue);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(rows_);
    split->addWidget(sides);
    split->setStretchFactor(0, 1);
    split->setStretchFactor(1, 2);

    apply_ = new QPushButton(Q(texts::kApply), this);
    apply_->setObjectName(QStringLiteral("batchApply"));
    apply_->setDefault(true);
    apply_->setEnabled(anyChange);
    cancel_ = new QPushButton(Q(texts::kCancel), this);
    cancel_->setObjectName(QStringLiteral("batchCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(apply_);
    buttons->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(apply_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(rows_, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int, int) { ShowRow(row); });
    resize(900, 620);
    if (!data_.empty()) {
        rows_->selectRow(firstChange >= 0 ? firstChange : 0);
        ShowRow(firstChange >= 0 ? firstChange : 0);
    }
}

void CBatchPreviewDialog::ShowRow(int row) {
    markedBefore_.clear();
    markedAfter_.clear();
    if (row < 0 || static_cast<std::size_t>(row) >= data_.size()) {
        before_->clear();
        after_->clear();
        return;
    }
    const BatchPreviewRow& r = data_[static_cast<std::size_t>(row)];
    if (r.kind != BatchClass::Changed) {
        ShowLines(before_, {Q(r.reason.empty() ? texts::kNoHeadChange : r.reason)}, {}, {});
        ShowLines(after_, {}, {}, {});
        return;
    }
    // The two heads line by line: lines both have side by side, and each
    // run of changes with the lines that go on the left and those that
    // come on the right, the shorter side padded with empty lines.
    const std::vector<std::string_view> a = SplitLines(r.headBefore);
    const std::vector<std::string_view> b = SplitLines(r.headAfter);
    const std::vector<LineDiffOp> ops = DiffLines(r.headBefore, r.headAfter);
    const auto text = [](std::string_view line) { return PageText(std::string(line)); };
    QStringList left;
    QStringList right;
    std::size_t i = 0;
    while (i < ops.size()) {
        if (ops[i].kind == LineDiffOp::Same) {
            left << text(a[ops[i].before]);
            right << text(b[ops[i].after]);
            ++i;
            continue;
        }
        QStringList gone;
        QStringList come;
        for (; i < ops.size() && ops[i].kind != LineDiffOp::Same; ++i) {
            if (ops[i].kind == LineDiffOp::Removed) {
                gone << text(a[ops[i].before]);
            } else {
                come << text(b[ops[i].after]);
            }
        }
        const int start = static_cast<int>(left.size());
        const int rows = static_cast<int>(std::max(gone.size(), come.size()));
        for (int k = 0; k < rows; ++k) {
            left << (k < gone.size() ? gone[k] : QString());
            right << (k < come.size() ? come[k] : QString());
            if (k < gone.size()) {
                markedBefore_.push_back(start + k);
            }
            if (k < come.size()) {
                markedAfter_.push_back(start + k);
            }
        }
    }
    ShowLines(before_, left, markedBefore_, kRemovedColour);
    ShowLines(after_, right, markedAfter_, kAddedColour);
}

// --- The progress ---------------------------------------------------------------

CBatchProgressDialog::CBatchProgressDialog(const QString& title, int total, QWidget* parent)
    : QDialog(parent), total_(total) {
    setObjectName(QStringLiteral("batchProgress"));
    setWindowTitle(title);
    setModal(true);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, std::max(total, 1));
    bar_->setValue(0);
    bar_->setMinimumWidth(360);
    label_ = new QLabel(this);
    cancel_ = new QPushButton(Q(texts::kCancel), this);
    cancel_->setObjectName(QStringLiteral("batchProgressCancel"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar_);
    layout->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, &CBatchProgressDialog::reject);
    SetDone(0);
}

void CBatchProgressDialog::SetDone(int done) {
    // Reads and ends of pages are told in their own order: the count only
    // grows.
    done = std::max(done, bar_->value());
    bar_->setValue(done);
    if (cancel_->isEnabled()) {
        label_->setText(Q(doc_texts::FillIn(texts::kProgress, std::to_string(done),
                                            std::to_string(std::max(total_ - done, 0)))));
    }
}

void CBatchProgressDialog::Finish() {
    finished_ = true;
    accept();
}

void CBatchProgressDialog::reject() {
    if (finished_) {
        QDialog::reject();
        return;
    }
    // The batch stops after the page at hand; the dialog closes when it has.
    if (cancel_->isEnabled()) {
        cancel_->setEnabled(false);
        label_->setText(Q(texts::kCancelling));
        emit CancelRequested();
    }
}

// --- The command --------------------------------------------------------------

CTemplateBatchUi::CTemplateBatchUi(CVantleApp& app, CMainFrame& frame)
    : QObject(&frame), app_(app), frame_(frame) {
    SetUndoFolder(
        (fs::path(QStandardPaths::writableLocation(QStandardPaths::CacheLocation).toStdString()) /
         std::string(texts::kUndoFolderName))
            .string());
    // The command takes the selection of the pane the user last worked in.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now == nullptr) {
            return;
        }
        if (frame_.FileTree()->isAncestorOf(now)) {
            siteLast_ = false;
        } else if (app_.SiteView() != nullptr && app_.SiteView()->isAncestorOf(now)) {
            siteLast_ = true;
        }
    });
}

void CTemplateBatchUi::SetUndoFolder(const std::string& folder) {
    undoFolder_ = folder;
    canUndo_ = HasBatchToUndo(undoFolder_);
}

std::vector<std::string> CTemplateBatchUi::Selection() const {
    CSiteView* site = app_.SiteView();
    const bool siteShows = site != nullptr && frame_.ChildFrame()->Mode() == SiteMode;
    const bool treeShows = frame_.FileBrowserShown();
    std::vector<std::string> fromSite =
        siteShows ? site->SelectedPaths() : std::vector<std::string>{};
    std::vector<std::string> fromTree =
        treeShows ? frame_.FileTree()->SelectedPaths() : std::vector<std::string>{};
    if (siteLast_ && !fromSite.empty()) {
        return fromSite;
    }
    return fromTree.empty() ? fromSite : fromTree;
}

bool CTemplateBatchUi::HasSelection() const {
    // Asked whenever the menus are brought up to date: the selection
    // models say it without a walk over the items.
    CSiteView* site = app_.SiteView();
    if (site != nullptr && frame_.ChildFrame()->Mode() == SiteMode &&
        site->Table()->selectionModel()->hasSelection()) {
        return true;
    }
    return frame_.FileBrowserShown() && frame_.FileTree()->Tree()->selectionModel()->hasSelection();
}

bool CTemplateBatchUi::ConfirmOpenPage(const std::vector<BatchPage>& pages, bool& inBatch) {
    CVantleDoc& doc = app_.Doc();
    inBatch = false;
    if (doc.GetPathName().empty()) {
        return true;
    }
    const std::string open = Normalized(doc.GetPathName());
    std::error_code ec;
    for (const BatchPage& page : pages) {
        if (Normalized(page.path) == open || fs::equivalent(page.path, open, ec)) {
            inBatch = true;
            break;
        }
    }
    if (!inBatch || !doc.IsModified()) {
        return true;
    }
    switch (app_.Ui().AskYesNoCancel(doc_texts::FillIn(doc_texts::kSavePagePrompt, open))) {
    case Answer::Yes:
        return doc.SaveDocument() != 0;
    case Answer::No:
        // The batch works on the file on disk; the edits go when the page
        // is read again afterwards.
        return true;
    case Answer::Cancel:
        break;
    }
    return false;
}

void CTemplateBatchUi::ReloadOpenPage() {
    CVantleDoc& doc = app_.Doc();
    if (doc.GetPathName().empty()) {
        return;
    }
    doc.OpenByPath(doc.GetPathName(), true);
    frame_.RefreshCaption();
    frame_.UpdateCommandUi();
}

BatchSummary CTemplateBatchUi::RunWithProgress(const std::string& templateBytes,
                                               BatchOptions options,
                                               const std::vector<BatchPage>& pages,
                                               const QString& title,
                                               std::vector<BatchOutcome>& outcomes) {
    outcomes.assign(pages.size(), BatchOutcome{});
    CBatchProgressDialog dialog(title, static_cast<int>(pages.size()), &frame_);
    std::atomic<bool> cancel{false};
    connect(&dialog, &CBatchProgressDialog::CancelRequested, &dialog, [&cancel] { cancel = true; });
    // One worker takes the pages in order: the page it is about to read
    // tells how many are done.
    options.jobs = 1;
    const auto showDone = [&dialog](int done) {
        QMetaObject::invokeMethod(
            &dialog, [&dialog, done] { dialog.SetDone(done); }, Qt::QueuedConnection);
    };
    options.beforePage = [hook = std::move(options.beforePage), showDone](std::size_t i) {
        showDone(static_cast<int>(i));
        if (hook) {
            hook(i);
        }
    };
    TemplateBatch batch(app_.Doc().templatePath, templateBytes, std::move(options));
    // The outcomes are written by the worker and read here once it is done.
    QFuture<BatchSummary> future =
        QtConcurrent::run([&batch, &pages, &outcomes, &cancel, showDone] {
            return batch.Run(
                pages,
                [&outcomes, showDone](std::size_t i, BatchOutcome& outcome) {
                    outcomes[i] = std::move(outcome);
                    showDone(static_cast<int>(i + 1));
                },
                &cancel);
        });
    QFutureWatcher<BatchSummary> watcher;
    connect(&watcher, &QFutureWatcher<BatchSummary>::finished, &dialog,
            &CBatchProgressDialog::Finish);
    watcher.setFuture(future);
    running_ = true;
    dialog.exec();
    future.waitForFinished();
    running_ = false;
    return future.result();
}

bool CTemplateBatchUi::ApplyToSelection(const std::vector<std::string>& paths) {
    CVantleDoc& doc = app_.Doc();
    if (doc.templateOpen == 0 || running_ || paths.empty()) {
        return false;
    }
    std::vector<BatchPage> pages;
    std::vector<BatchMessage> problems;
    // Walked as orlen-meta apply walks; a template is never a page.
    ExpandBatchPaths(paths, kDefaultFileTypes, true, pages, problems);
    std::erase_if(pages, [](const BatchPage& p) { return IsTemplatePath(p.path); });
    if (pages.empty()) {
        app_.Ui().ShowWarning(std::string(texts::kNothingToApply));
        return false;
    }
    bool openInBatch = false;
    if (!ConfirmOpenPage(pages, openInBatch)) {
        return false;
    }
    // The template as the window holds it, its unsaved edits included.
    const std::string templateBytes = doc.Template().GetText();
    const std::string templateName = doc.templateName;

    // What would change, written nowhere.
    BatchOptions dry;
    dry.dryRun = true;
    dry.keepHeads = true;
    dry.chunkPages = 8;
    std::vector<BatchOutcome> outcomes;
    const BatchSummary seen =
        RunWithProgress(templateBytes, dry, pages, Q(texts::kReadingTitle), outcomes);
    if (seen.cancelled) {
        return false;
    }
    const std::string root = app_.Doc().GetProjectDirectory();
    preview_.clear();
    for (std::size_t i = 0; i < pages.size(); ++i) {
        BatchPreviewRow row;
        row.shown = pages[i].shown;
        if (!root.empty() && row.shown.starts_with(root + "/")) {
            row.shown = row.shown.substr(root.size() + 1);
        }
        row.kind = outcomes[i].kind;
        row.reason = outcomes[i].reason;
        row.headBefore = std::move(outcomes[i].headBefore);
        row.headAfter = std::move(outcomes[i].headAfter);
        preview_.push_back(std::move(row));
    }
    outcomes.clear();
    {
        CBatchPreviewDialog dialog(ToQString(templateName), preview_, &frame_);
        if (dialog.exec() != QDialog::Accepted) {
            return false;
        }
    }

    BatchOptions real;
    real.chunkPages = 8;
    real.undoFolder = undoFolder_;
    real.beforePage = beforePage_;
    summary_ = RunWithProgress(templateBytes, real, pages, Q(texts::kApplyingTitle), outcomes);
    canUndo_ = HasBatchToUndo(undoFolder_);
    if (!summary_.undoError.empty()) {
        app_.Ui().ShowFailure(
            doc_texts::FillIn(texts::kUndoRecordFailed, undoFolder_, summary_.undoError));
        return false;
    }
    if (openInBatch) {
        ReloadOpenPage();
    }
    if (CSiteView* site = app_.SiteView(); site != nullptr) {
        for (std::size_t i = 0; i < pages.size(); ++i) {
            if (outcomes[i].kind == BatchClass::Changed) {
                site->RefreshPage(Normalized(pages[i].path));
            }
        }
    }
    std::string text = doc_texts::FillIn(texts::kSummary, std::to_string(summary_.changed),
                                         std::to_string(summary_.unchanged));
    for (auto [mark, count] :
         {std::pair{"%3", summary_.refused}, std::pair{"%4", summary_.failed}}) {
        if (const std::size_t at = text.find(mark); at != std::string::npos) {
            text.replace(at, 2, std::to_string(count));
        }
    }
    if (summary_.cancelled) {
        text +=
            "\n" + doc_texts::FillIn(texts::kSummaryCancelled, std::to_string(summary_.notRead));
    }
    std::string failures;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const BatchOutcome& o = outcomes[i];
        if (o.kind == BatchClass::Failed || o.kind == BatchClass::Refused) {
            std::string reason = o.reason;
            std::replace(reason.begin(), reason.end(), '\n', ' ');
            failures += "\n" + preview_[i].shown + ": " + reason;
        }
    }
    if (!failures.empty()) {
        text += "\n\n" + std::string(texts::kFailuresHeading) + failures;
    }
    app_.Ui().ShowMessage(text);
    return true;
}

bool CTemplateBatchUi::UndoBatch() {
    if (running_ || !HasBatchToUndo(undoFolder_)) {
        canUndo_ = false;
        app_.Ui().ShowMessage(std::string(texts::kNothingToUndo));
        return false;
    }
    CVantleDoc& doc = app_.Doc();
    if (doc.IsModified() && !doc.GetPathName().empty()) {
        switch (app_.Ui().AskYesNoCancel(
            doc_texts::FillIn(doc_texts::kSavePagePrompt, doc.GetPathName()))) {
        case Answer::Yes:
            if (doc.SaveDocument() == 0) {
                return false;
            }
            break;
        case Answer::No:
            break;
        case Answer::Cancel:
            return false;
        }
    }
    const UndoReport report = UndoLastBatch(undoFolder_);
    canUndo_ = HasBatchToUndo(undoFolder_);
    const std::string open =
        doc.GetPathName().empty() ? std::string() : Normalized(doc.GetPathName());
    std::set<std::string> touched(report.restored.begin(), report.restored.end());
    if (!open.empty() && touched.count(open) != 0) {
        ReloadOpenPage();
    }
    if (CSiteView* site = app_.SiteView(); site != nullptr) {
        for (const std::string& path : report.restored) {
            site->RefreshPage(path);
        }
    }
    std::string text = doc_texts::FillIn(texts::kUndoDone, std::to_string(report.restored.size()));
    if (!report.changedSince.empty()) {
        text += "\n\n" + std::string(texts::kUndoChangedSince);
        for (const std::string& path : report.changedSince) {
            text += "\n" + path;
        }
    }
    if (!report.failed.empty()) {
        text += "\n\n" + std::string(texts::kUndoFailed);
        for (const auto& [path, why] : report.failed) {
            text += "\n" + path + ": " + why;
        }
    }
    app_.Ui().ShowMessage(text);
    return true;
}

bool CTemplateBatchUi::OnCmdMsg(int id) {
    switch (id) {
    case cmd::kApplyTemplateToSelection:
        ApplyToSelection(Selection());
        return true;
    case cmd::kUndoLastBatch:
        UndoBatch();
        return true;
    default:
        return false;
    }
}

bool CTemplateBatchUi::OnUpdateCmd(int id, CommandState& state) {
    switch (id) {
    case cmd::kApplyTemplateToSelection:
        state = {app_.Doc().templateOpen != 0 && !running_ && HasSelection(), false};
        return true;
    case cmd::kUndoLastBatch:
        state = {canUndo_ && !running_, false};
        return true;
    default:
        return false;
    }
}

} // namespace orlen
