// The site overview: every page of the project directory in a table with
// its title, description, keywords, robots and the findings of the site
// checks (tags/site_audit.h). A background thread reads the pages and
// posts them in batches; the table sorts and filters through a proxy.
#pragma once

#include "document/safe_file.h"
#include "shell/settings_store.h"
#include "tags/site_audit.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

class QComboBox;
class QFileSystemWatcher;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;

namespace orlen {

// The pages as table rows, in the order they were read.
class CSiteModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column : int {
        FileColumn,
        TitleColumn,
        TitleLengthColumn,
        DescriptionColumn,
        DescriptionLengthColumn,
        KeywordsColumn,
        RobotsColumn,
        FindingsColumn,
        ColumnCount
    };
    // What a column sorts by: texts, lengths as numbers, findings by the
    // worst severity and then their number.
    static constexpr int kSortRole = Qt::UserRole;
    // The findings of a row as "severity:id" entries (severity a number).
    static constexpr int kFindingsRole = Qt::UserRole + 1;

    // Edits of the Title and Description cells go to saveCell, which writes
    // the page and replaces its row; false when it was not saved.
    using SaveCell = std::function<bool(int row, int column, const QString& value)>;

    explicit CSiteModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void SetSaveCell(SaveCell save) { saveCell_ = std::move(save); }
    void Clear();
    void Append(std::vector<PageAudit> pages);
    // Replaces a row's page, or removes the row.
    void ReplacePage(int row, PageAudit page);
    void RemovePage(int row);
    // Compares titles and descriptions across all pages again.
    void UpdateDuplicates();
    const std::vector<PageAudit>& Pages() const { return pages_; }
    // The row of a path below the project directory; -1 when not listed.
    int RowOfPath(const std::string& relativePath) const;

private:
    std::vector<PageAudit> pages_;
    SaveCell saveCell_;
};

// Sorting by kSortRole and the two filters: a text found in the file, title
// or description, and a finding filter.
class CSiteFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    // The finding filter's entries: all pages, pages with errors, pages with
    // warnings or errors, then FindingKinds() in order.
    enum : int { AllPages = 0, WithErrors = 1, WithWarnings = 2, FirstKind = 3 };

    explicit CSiteFilter(QObject* parent = nullptr);
    void SetText(const QString& text);
    void SetFindingFilter(int entry);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    QString text_;
    int entry_ = AllPages;
};

// Draws a row's findings as coloured badges, each with its id: errors red,
// warnings amber, notices blue.
class CFindingsDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    static QColor BadgeColour(Severity severity);
};

class CSiteView : public QWidget {
    Q_OBJECT
public:
    CSiteView(SettingsStore& settings, const std::string& fileTypes, QWidget* parent = nullptr);
    ~CSiteView() override;

    // Opens a page (full path) in the editing view; false when it was not
    // opened (failed or cancelled at the save prompt).
    void SetOpenPage(std::function<bool(const std::string& path)> open) {
        openPage_ = std::move(open);
    }
    // The folder to list. A different folder is scanned at once while the
    // view shows, else when it is next shown.
    void SetProjectDirectory(const std::string& root);
    const std::string& ProjectDirectory() const { return root_; }
    // The full paths of the pages of the selected rows, in the table's
    // order. A click or an arrow key selects one row; Ctrl and Shift extend
    // the selection; double-click and Enter open the current row's page.
    std::vector<std::string> SelectedPaths() const;
    // Reads the whole folder again, the audit limits with it.
    void Rescan();
    void CancelScan();
    bool Scanning() const { return scanning_; }
    // A page was written (by the editor or another program): its row is
    // read again, added or removed. A path outside the folder is ignored.
    void RefreshPage(const std::string& fullPath);
    // Puts back the page the last edit of a cell changed, as its bytes were
    // before (Ctrl+Z in the table). Refused, with a status message, when
    // the page changed on disk since that edit. False when nothing was undone.
    bool UndoLastEdit();
    bool CanUndo() const { return lastEdit_.has_value(); }
    // Writes the overview as CSV or, for a name ending in ".json", as JSON
    // lines like `orlen-meta audit --json`. False when it could not be
    // written.
    bool Export(const QString& fileName) const;

    // The progress bar and its Cancel button, for the status bar; shown
    // while a scan runs.
    QWidget* ProgressPanel() const { return progressPanel_; }
    QProgressBar* Progress() const { return progress_; }
    QPushButton* CancelButton() const { return cancel_; }
    QTableView* Table() const { return table_; }
    CSiteModel* Model() const { return model_; }
    CSiteFilter* Filter() const { return filter_; }
    QLineEdit* FilterEdit() const { return filterEdit_; }
    QComboBox* FindingCombo() const { return findingCombo_; }
    QLabel* Summary() const { return summary_; }
    // The watched folders' changes are read this long after the last one.
    static constexpr int kWatchDelayMs = 300;

signals:
    // A scan ended (finished or cancelled) and the duplicates are in.
    void ScanFinished();
    // Rows were read again after a save or a change on disk.
    void PagesRefreshed();
    // A message for the status bar (a page that could not be saved).
    void StatusText(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;
    // Ctrl+Z in the table undoes the last cell edit, before the window's own
    // Undo sees the key.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ScanState {
        std::atomic<bool> cancel{false};
    };
    void StartScan();
    void OnBatch(std::uint64_t generation, std::shared_ptr<std::vector<PageAudit>> pages);
    void OnTotal(std::uint64_t generation, int total);
    void OnScanEnd(std::uint64_t generation, bool cancelled);
    void StopThread();
    void UpdateSummary();
    void OpenRow(const QModelIndex& proxyIndex);
    bool SaveCell(int row, int column, const QString& value);
    // Reads one page below the folder; false when it cannot be read.
    bool AuditOne(const std::string& relativePath, PageAudit& page) const;
    void WatchFolders();
    void OnFoldersChanged();

    SettingsStore& settings_;
    const std::string& fileTypes_;
    AuditLimits limits_;
    std::string root_;
    bool pending_ = false;
    bool scanning_ = false;
    bool cancelled_ = false;
    std::uint64_t generation_ = 0;
    std::shared_ptr<ScanState> scan_;
    std::unique_ptr<QThread> thread_;
    std::function<bool(const std::string&)> openPage_;

    CSiteModel* model_;
    CSiteFilter* filter_;
    QTableView* table_;
    QLineEdit* filterEdit_;
    QComboBox* findingCombo_;
    QLabel* summary_;
    QWidget* progressPanel_;
    QProgressBar* progress_;
    QPushButton* cancel_;
    QFileSystemWatcher* watcher_;
    QTimer watchTimer_;
    // What the watcher reported since the changes were last read (paths as
    // the file system spells them).
    std::set<std::string> changedFiles_;
    std::set<std::string> changedFolders_;
    // Folders made since the scan, watched whether or not they hold pages.
    std::set<std::string> newFolders_;
    // The last cell edit: the page, its bytes before, and what it held
    // after, to tell whether another program changed it since.
    struct Edit {
        std::string path;
        std::string before;
        FileStamp after;
    };
    std::optional<Edit> lastEdit_;
};

} // namespace orlen
