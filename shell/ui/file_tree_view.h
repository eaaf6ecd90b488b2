// The file browser pane: a tree of the project directory in which the user
// picks the page to edit, with a small close button above it.
//
// The tree shows the project directory as its root item (its text is the
// full path) with the folders and the listed files below it, folders first,
// each group sorted without regard to case. A folder is read once, on its
// first expansion: until then it holds a single placeholder child "*" so
// that it shows an expand arrow. The root item cannot be collapsed.
//
// Making a file item the current item (mouse or keyboard) opens that file
// through the openByPath hook, and so does a double-click on a file item.
// A click on the file item that is already current does nothing: it is not
// a new choice, and the hook already decided what to do with that file
// when it became current. A double-click opens it again, which is the way
// to retry a file whose open failed or was cancelled at the save prompt.
//
// Ctrl and Shift with a click or an arrow key extend the selection instead
// (files and folders, for commands on many pages at once) and open nothing;
// nor does a right-click, which selects the item for the context menu.
#pragma once

#include <QIcon>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <set>
#include <string>
#include <vector>

class QAbstractButton;
class QFileSystemWatcher;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace orlen {

class CFileTreeView : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        // The document's project directory ("" = none).
        std::function<std::string()> projectDirectory;
        // The application's file-type list, read at every listing.
        std::function<std::string()> fileTypes;
        // Opens a file; false when it failed or was cancelled.
        std::function<bool(const std::string& path)> openByPath;
        // The close button: the main window hides the column.
        std::function<void()> closeRequested;
    };

    // What a tree item stands for; kept in the item's data (kItemKindRole)
    // so that the expand, collapse and open rules never depend on texts or
    // pictures.
    enum class ItemKind { Root, ClosedFolder, OpenFolder, File, Placeholder };
    static constexpr int kItemKindRole = Qt::UserRole;
    // The item's name as the file system spells it (bytes), so that paths
    // stay exact even for names that are not valid UTF-8.
    static constexpr int kNameRole = Qt::UserRole + 1;
    // Height of the strip above the tree that holds the close button.
    static constexpr int kStripHeight = 20;

    CFileTreeView(Hooks hooks, QWidget* parent = nullptr);

    // A page was opened (from the tree or any other way): its item becomes
    // the current one when the tree shows it, else nothing is current, so
    // the tree never highlights a page that is not the one open. Opens
    // nothing.
    void ShowOpenedPage(const std::string& path);

    // Rebuilds the tree when the project directory differs (case-sensitively)
    // from the one shown; does nothing when it is the same or empty.
    void RefreshTree();
    // The folders the tree has read are watched: files and folders that
    // other programs add or remove there show up, or go, this long after
    // the last change, and everything else (what is expanded, the current
    // item) stays as it is.
    static constexpr int kWatchDelayMs = 300;

    // The full paths of the selected files and folders, in the tree's order.
    std::vector<std::string> SelectedPaths() const;

    QTreeWidget* Tree() const;
    // The project directory the tree shows; empty until the first fill.
    QString RootPath() const;
    QAbstractButton* CloseButton() const;

    // The kind of an item (Placeholder for an item without one).
    static ItemKind KindOf(const QTreeWidgetItem* item);
    // The picture shown for items of a kind (null for the placeholder).
    QIcon IconFor(ItemKind kind) const;
    // The full path of an item: the root path and the names below it,
    // joined with "/" (a root of "/" gives "/name", not "//name").
    std::string FullPath(const QTreeWidgetItem* item) const;

protected:
    // Notes how the user moves the current item: extending the selection
    // or not.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FillWholeTree();
    void FillTree(QTreeWidgetItem* parent);
    void SetKind(QTreeWidgetItem* item, ItemKind kind) const;
    void OnItemExpanded(QTreeWidgetItem* item);
    void OnItemCollapsed(QTreeWidgetItem* item);
    void OpenIfFile(QTreeWidgetItem* item);
    // Brings the children of a folder that has been read in line with the
    // disk: items of names gone are deleted, new ones inserted in their
    // place in the listing's order, the others left untouched.
    void UpdateFolder(QTreeWidgetItem* folder);
    void OnFoldersChanged();
    QTreeWidgetItem* ItemOfPath(QTreeWidgetItem* from, const std::string& path) const;
    QTreeWidgetItem* NewItem(const std::string& name, bool folder) const;

    Hooks hooks_;
    std::string rootPath_;
    QTreeWidget* tree_ = nullptr;
    QFileSystemWatcher* watcher_ = nullptr;
    QTimer watchTimer_;
    std::set<std::string> changedFolders_;
    // The last click or key in the tree extended the selection (Ctrl, Shift)
    // or was a right-click: the new current item is not opened.
    bool extending_ = false;
    QToolButton* closeButton_ = nullptr;
    QIcon rootIcon_;
    QIcon closedFolderIcon_;
    QIcon openFolderIcon_;
    QIcon fileIcon_;
};

} // namespace orlen
