// Applying the open template to the pages and folders selected in the file
// browser or the site overview: the save prompt, a dry run shown in a
// preview dialog, the batch on a worker thread behind a progress dialog
// with Cancel, a summary, and undo of the last batch. The work itself is
// the core's (document/template_batch.h), shared with orlen-meta apply.
#pragma once

#include "document/template_batch.h"
#include "shell/command_target.h"

#include <QDialog>
#include <QObject>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

namespace orlen {

class CMainFrame;
class CVantleApp;

// What the preview shows of one page.
struct BatchPreviewRow {
    std::string shown; // the page's path, below the project directory when it lies there
    BatchClass kind = BatchClass::NotRead;
    std::string reason;
    std::string headBefore;
    std::string headAfter;
};

// One row per page with what the template would do to it; for the selected
// row, the page's head now and after applying, side by side, with the
// lines that change marked. Apply accepts, Cancel rejects.
class CBatchPreviewDialog : public QDialog {
    Q_OBJECT
public:
    CBatchPreviewDialog(const QString& templateName, std::vector<BatchPreviewRow> rows,
                        QWidget* parent = nullptr);

    QTableWidget* Rows() const { return rows_; }
    QPlainTextEdit* Before() const { return before_; }
    QPlainTextEdit* After() const { return after_; }
    QPushButton* ApplyButton() const { return apply_; }
    QPushButton* CancelButton() const { return cancel_; }
    // The rows marked as changed in the head now and after: line numbers.
    std::vector<int> MarkedBefore() const { return markedBefore_; }
    std::vector<int> MarkedAfter() const { return markedAfter_; }

private:
    void ShowRow(int row);

    std::vector<BatchPreviewRow> data_;
    QTableWidget* rows_;
    QPlainTextEdit* before_;
    QPlainTextEdit* after_;
    QPushButton* apply_;
    QPushButton* cancel_;
    std::vector<int> markedBefore_;
    std::vector<int> markedAfter_;
};

// A batch at work: a progress bar, pages done and left, and Cancel. It
// cannot be closed while the batch runs: Escape and the close button
// cancel, as the button does.
class CBatchProgressDialog : public QDialog {
    Q_OBJECT
public:
    CBatchProgressDialog(const QString& title, int total, QWidget* parent = nullptr);
    void SetDone(int done);
    // The batch has ended: the dialog may close.
    void Finish();

    QProgressBar* Bar() const { return bar_; }
    QLabel* Label() const { return label_; }
    QPushButton* CancelButton() const { return cancel_; }

signals:
    void CancelRequested();

public slots:
    void reject() override;

private:
    int total_;
    bool finished_ = false;
    QProgressBar* bar_;
    QLabel* label_;
    QPushButton* cancel_;
};

class CTemplateBatchUi : public QObject, public CommandTarget {
    Q_OBJECT
public:
    CTemplateBatchUi(CVantleApp& app, CMainFrame& frame);

    // Where the previous bytes of the last batch's pages are kept: a folder
    // in the user's cache unless set otherwise.
    void SetUndoFolder(const std::string& folder);
    const std::string& UndoFolder() const { return undoFolder_; }
    bool CanUndo() const { return canUndo_; }

    // What the command works on: the selection of the file browser or of
    // the site overview, whichever the user last worked in (and shows).
    std::vector<std::string> Selection() const;
    // Whether either pane has a selection at all, cheaply.
    bool HasSelection() const;
    // Applies the open template to the pages of the paths (a folder stands
    // for every page below it): the save prompt for the open page, the dry
    // run and its preview, then the batch and its summary; the open page is
    // read again afterwards. True when a batch ran.
    bool ApplyToSelection(const std::vector<std::string>& paths);
    // Puts back the pages the last batch changed; true when there was one.
    bool UndoBatch();
    bool Running() const { return running_; }
    // Called on the worker's thread before each page of a batch that
    // writes is read (not of the dry run): for watching a batch at work.
    void SetBeforePage(std::function<void(std::size_t index)> hook) {
        beforePage_ = std::move(hook);
    }

    // What the last dry run found and the last batch did.
    const std::vector<BatchPreviewRow>& LastPreview() const { return preview_; }
    const BatchSummary& LastSummary() const { return summary_; }

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmd(int id, CommandState& state) override;

private:
    // Runs a batch of the template over the pages on a worker thread
    // behind a progress dialog; fills outcomes (one per page) and returns
    // the summary.
    BatchSummary RunWithProgress(const std::string& templateBytes, BatchOptions options,
                                 const std::vector<BatchPage>& pages, const QString& title,
                                 std::vector<BatchOutcome>& outcomes);
    // The save prompt for the open page when it is among paths (full,
    // normalized) and has unsaved edits: false when the user cancelled or
    // the save failed.
    bool ConfirmOpenPage(const std::vector<BatchPage>& pages, bool& openPageInBatch);
    void ReloadOpenPage();

    CVantleApp& app_;
    CMainFrame& frame_;
    std::string undoFolder_;
    bool canUndo_ = false;
    bool running_ = false;
    // The pane whose selection the command takes: the site overview's
    // table when the user last worked there.
    bool siteLast_ = false;
    std::vector<BatchPreviewRow> preview_;
    BatchSummary summary_;
    std::function<void(std::size_t)> beforePage_;
};

} // namespace orlen
