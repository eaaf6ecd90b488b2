#include "shell/ui/file_tree_view.h"

#include "document/file_listing.h"

#include <QAbstractButton>
#include <QByteArray>
#include <QFile>
#include <QFileSystemWatcher>
#include <QKeyEvent>
#include <QList>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <QTreeWidgetItemIterator>

#include <filesystem>
#include <set>
#include <utility>
#include <vector>

namespace orlen {

namespace {

// The text of the placeholder child of a folder not listed yet.
const QString kPlaceholderText = QStringLiteral("*");

// A theme icon, or the style's standard picture where the theme has none
// (the offscreen platform and bare desktops have no icon theme).
QIcon ThemeIcon(const char* name, const QIcon& fallback) {
    return QIcon::fromTheme(QString::fromLatin1(name), fallback);
}

QByteArray NameBytes(const std::string& name) {
    return QByteArray(name.data(), static_cast<qsizetype>(name.size()));
}

// Appends one name to a path with a single "/" between them; a path that
// already ends in "/" (the file-system root) gets none.
void AppendName(std::string& path, const QByteArray& name) {
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path.append(name.constData(), static_cast<std::size_t>(name.size()));
}

} // namespace

CFileTreeView::CFileTreeView(Hooks hooks, QWidget* parent)
    : QWidget(parent), hooks_(std::move(hooks)) {
    QStyle* st = style();
    rootIcon_ = ThemeIcon("drive-harddisk", st->standardIcon(QStyle::SP_DriveHDIcon));
    closedFolderIcon_ = ThemeIcon("folder", st->standardIcon(QStyle::SP_DirClosedIcon));
    openFolderIcon_ = ThemeIcon("folder-open", st->standardIcon(QStyle::SP_DirOpenIcon));
    fileIcon_ =
        ThemeIcon("text-html", ThemeIcon("text-x-generic", st->standardIcon(QStyle::SP_FileIcon)));

    // The pane shows the button-face colour around the tree and the button.
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    tree_ = new QTreeWidget(this);
    tree_->setObjectName(QStringLiteral("fileTree"));
    tree_->setColumnCount(1);
    tree_->setHeaderHidden(true);
    // The root item has no expand arrow: it always stays expanded.
    tree_->setRootIsDecorated(false);
    // Same-height rows let the view lay out large folders without measuring
    // every item.
    tree_->setUniformRowHeights(true);
    tree_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree_->installEventFilter(this);
    tree_->viewport()->installEventFilter(this);
    // The window adds the commands on the selection.
    tree_->setContextMenuPolicy(Qt::ActionsContextMenu);
    tree_->setIconSize(QSize(16, 16));
    tree_->setGeometry(0, 0, 50, 50);

    closeButton_ = new QToolButton(this);
    closeButton_->setObjectName(QStringLiteral("fileTreeCloseButton"));
    closeButton_->setText(QStringLiteral("x"));
    closeButton_->setToolTip(tr("Close the file browser"));
    closeButton_->setIcon(st->standardIcon(QStyle::SP_TitleBarCloseButton));
    closeButton_->setIconSize(QSize(12, 12));
    closeButton_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    closeButton_->setAutoRaise(true);
    // Clicking it must not take the focus away from the tree.
    closeButton_->setFocusPolicy(Qt::NoFocus);
    closeButton_->setGeometry(0, 1, 18, 18);

    watcher_ = new QFileSystemWatcher(this);
    watchTimer_.setSingleShot(true);
    watchTimer_.setInterval(kWatchDelayMs);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& folder) {
        changedFolders_.insert(QFile::encodeName(folder).toStdString());
        watchTimer_.start();
    });
    connect(&watchTimer_, &QTimer::timeout, this, [this] { OnFoldersChanged(); });

    connect(tree_, &QTreeWidget::itemExpanded, this,
            [this](QTreeWidgetItem* item) { OnItemExpanded(item); });
    connect(tree_, &QTreeWidget::itemCollapsed, this,
            [this](QTreeWidgetItem* item) { OnItemCollapsed(item); });
    // A new current item, by mouse or keyboard, opens the file it names.
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current, QTreeWidgetItem*) {
                if (!extending_) {
                    OpenIfFile(current);
                }
            });
    // A double-click opens the current file again (folders keep expanding
    // and collapsing on double-click as usual).
    connect(tree_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem*, int) { OpenIfFile(tree_->currentItem()); });
    connect(closeButton_, &QAbstractButton::clicked, this, [this] {
        if (hooks_.closeRequested) {
            hooks_.closeRequested();
        }
    });
}

bool CFileTreeView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == tree_->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        extending_ = (mouse->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0 ||
                     mouse->button() != Qt::LeftButton;
    } else if (watched == tree_ && type == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        extending_ = (key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) != 0;
    }
    return QWidget::eventFilter(watched, event);
}

std::vector<std::string> CFileTreeView::SelectedPaths() const {
    std::vector<std::string> paths;
    // In the tree's order, whatever order they were selected in.
    for (QTreeWidgetItemIterator it(tree_, QTreeWidgetItemIterator::Selected); *it != nullptr;
         ++it) {
        if (KindOf(*it) != ItemKind::Placeholder) {
            paths.push_back(FullPath(*it));
        }
    }
    return paths;
}

QTreeWidget* CFileTreeView::Tree() const {
    return tree_;
}

QString CFileTreeView::RootPath() const {
    return QString::fromStdString(rootPath_);
}

QAbstractButton* CFileTreeView::CloseButton() const {
    return closeButton_;
}

void CFileTreeView::RefreshTree() {
    std::string directory = hooks_.projectDirectory ? hooks_.projectDirectory() : std::string();
    if (directory.empty() || directory == rootPath_) {
        return;
    }
    rootPath_ = std::move(directory);
    FillWholeTree();
}

CFileTreeView::ItemKind CFileTreeView::KindOf(const QTreeWidgetItem* item) {
    if (item == nullptr) {
        return ItemKind::Placeholder;
    }
    QVariant kind = item->data(0, kItemKindRole);
    return kind.isValid() ? static_cast<ItemKind>(kind.toInt()) : ItemKind::Placeholder;
}

QIcon CFileTreeView::IconFor(ItemKind kind) const {
    switch (kind) {
    case ItemKind::Root:
        return rootIcon_;
    case ItemKind::ClosedFolder:
        return closedFolderIcon_;
    case ItemKind::OpenFolder:
        return openFolderIcon_;
    case ItemKind::File:
        return fileIcon_;
    case ItemKind::Placeholder:
        break;
    }
    return QIcon();
}

std::string CFileTreeView::FullPath(const QTreeWidgetItem* item) const {
    std::vector<const QTreeWidgetItem*> chain;
    for (const QTreeWidgetItem* it = item; it != nullptr; it = it->parent()) {
        chain.push_back(it);
    }
    if (chain.empty()) {
        return std::string();
    }
    // The top item is the root, whose name is the full root path.
    QByteArray top = chain.back()->data(0, kNameRole).toByteArray();
    std::string path(top.constData(), static_cast<std::size_t>(top.size()));
    for (auto it = chain.rbegin() + 1; it != chain.rend(); ++it) {
        AppendName(path, (*it)->data(0, kNameRole).toByteArray());
    }
    return path;
}

void CFileTreeView::SetKind(QTreeWidgetItem* item, ItemKind kind) const {
    item->setData(0, kItemKindRole, static_cast<int>(kind));
    item->setIcon(0, IconFor(kind));
}

void CFileTreeView::FillWholeTree() {
    tree_->clear();
    if (!watcher_->directories().isEmpty()) {
        watcher_->removePaths(watcher_->directories());
    }
    changedFolders_.clear();
    auto* root = new QTreeWidgetItem(QStringList(QString::fromStdString(rootPath_)));
    root->setData(0, kNameRole, NameBytes(rootPath_));
    SetKind(root, ItemKind::Root);
    tree_->addTopLevelItem(root);
    FillTree(root);
    tree_->expandItem(root);
}

QTreeWidgetItem* CFileTreeView::NewItem(const std::string& name, bool folder) const {
    auto* item = new QTreeWidgetItem(QStringList(QString::fromStdString(name)));
    item->setData(0, kNameRole, NameBytes(name));
    SetKind(item, folder ? ItemKind::ClosedFolder : ItemKind::File);
    if (folder) {
        // Until the folder is first expanded this child gives it an arrow.
        auto* placeholder = new QTreeWidgetItem(item, QStringList(kPlaceholderText));
        placeholder->setData(0, kItemKindRole, static_cast<int>(ItemKind::Placeholder));
    }
    return item;
}

void CFileTreeView::FillTree(QTreeWidgetItem* parent) {
    const std::string fileTypes = hooks_.fileTypes ? hooks_.fileTypes() : std::string();
    // An unreadable folder simply lists as empty.
    const std::string path = FullPath(parent);
    const DirectoryListing listing = ListDirectory(path, fileTypes);
    watcher_->addPath(QFile::decodeName(QByteArray::fromStdString(path)));

    QList<QTreeWidgetItem*> children;
    children.reserve(static_cast<qsizetype>(listing.directories.size() + listing.files.size()));
    for (const std::string& name : listing.directories) {
        children.append(NewItem(name, true));
    }
    for (const std::string& name : listing.files) {
        children.append(NewItem(name, false));
    }
    if (children.isEmpty()) {
        return;
    }
    // One insertion for the whole level, without repaints in between, so
    // that a folder of many thousand files lists at once.
    const bool updates = tree_->updatesEnabled();
    tree_->setUpdatesEnabled(false);
    parent->addChildren(children);
    tree_->setUpdatesEnabled(updates);
}

QTreeWidgetItem* CFileTreeView::ItemOfPath(QTreeWidgetItem* from, const std::string& path) const {
    if (from == nullptr) {
        return nullptr;
    }
    const std::string own = FullPath(from);
    if (own == path) {
        return from;
    }
    // Only a folder whose path leads towards the one sought is looked into.
    if (path.compare(0, own.size(), own) != 0) {
        return nullptr;
    }
    for (int i = 0; i < from->childCount(); ++i) {
        QTreeWidgetItem* child = from->child(i);
        const ItemKind kind = KindOf(child);
        if (kind == ItemKind::ClosedFolder || kind == ItemKind::OpenFolder) {
            if (QTreeWidgetItem* found = ItemOfPath(child, path)) {
                return found;
            }
        }
    }
    return nullptr;
}

void CFileTreeView::OnFoldersChanged() {
    const std::set<std::string> folders = std::exchange(changedFolders_, {});
    for (const std::string& folder : folders) {
        QTreeWidgetItem* item = ItemOfPath(tree_->topLevelItem(0), folder);
        if (item == nullptr) {
            // A folder gone with its parent, or no longer shown.
            watcher_->removePath(QFile::decodeName(QByteArray::fromStdString(folder)));
            continue;
        }
        UpdateFolder(item);
    }
}

void CFileTreeView::UpdateFolder(QTreeWidgetItem* folder) {
    // A folder not read yet has only its placeholder: it is read when opened.
    if (folder->childCount() > 0 && KindOf(folder->child(0)) == ItemKind::Placeholder) {
        return;
    }
    const std::string fileTypes = hooks_.fileTypes ? hooks_.fileTypes() : std::string();
    const DirectoryListing listing = ListDirectory(FullPath(folder), fileTypes);
    // What the folder should list, in order: (is a folder, name).
    std::vector<std::pair<bool, QByteArray>> wanted;
    for (const std::string& name : listing.directories) {
        wanted.emplace_back(true, NameBytes(name));
    }
    for (const std::string& name : listing.files) {
        wanted.emplace_back(false, NameBytes(name));
    }
    const auto keyOf = [](const QTreeWidgetItem* child) {
        const ItemKind kind = KindOf(child);
        return std::make_pair(kind == ItemKind::ClosedFolder || kind == ItemKind::OpenFolder,
                              child->data(0, kNameRole).toByteArray());
    };
    const std::set<std::pair<bool, QByteArray>> wantedSet(wanted.begin(), wanted.end());
    for (int i = folder->childCount() - 1; i >= 0; --i) {
        if (!wantedSet.contains(keyOf(folder->child(i)))) {
            delete folder->takeChild(i);
        }
    }
    // What is left is in the listing's order: the new names go in between.
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        const int at = static_cast<int>(i);
        if (at < folder->childCount() && keyOf(folder->child(at)) == wanted[i]) {
            continue;
        }
        folder->insertChild(at, NewItem(wanted[i].second.toStdString(), wanted[i].first));
    }
}

void CFileTreeView::OnItemExpanded(QTreeWidgetItem* item) {
    if (KindOf(item) == ItemKind::ClosedFolder) {
        SetKind(item, ItemKind::OpenFolder);
    }
    // A folder is read on its first expansion only: its placeholder goes,
    // and the real contents take its place (none for an empty folder, which
    // then loses its expand arrow).
    QTreeWidgetItem* first = item->childCount() > 0 ? item->child(0) : nullptr;
    if (first != nullptr && KindOf(first) == ItemKind::Placeholder) {
        delete item->takeChild(0);
        FillTree(item);
    }
}

void CFileTreeView::OnItemCollapsed(QTreeWidgetItem* item) {
    if (KindOf(item) == ItemKind::OpenFolder) {
        SetKind(item, ItemKind::ClosedFolder);
    }
    // The root stays expanded, whatever tried to collapse it (the keyboard,
    // a double-click or a call).
    if (item->parent() == nullptr) {
        tree_->expandItem(item);
    }
}

void CFileTreeView::OpenIfFile(QTreeWidgetItem* item) {
    if (item == nullptr || KindOf(item) != ItemKind::File || !hooks_.openByPath) {
        return;
    }
    // Whether the open succeeded or not, the selection stays on the item;
    // and a user walking the tree with the arrow keys stays in it.
    const bool hadFocus = tree_->hasFocus();
    hooks_.openByPath(FullPath(item));
    if (hadFocus) {
        tree_->setFocus(Qt::OtherFocusReason);
    }
}

void CFileTreeView::ShowOpenedPage(const std::string& path) {
    QTreeWidgetItem* found = nullptr;
    QTreeWidgetItem* root = tree_->topLevelItem(0);
    // Opened pages come with absolute, normalized paths.
    std::error_code ec;
    std::string prefix = std::filesystem::absolute(rootPath_, ec).lexically_normal().string();
    if (!prefix.empty() && prefix.back() != '/') {
        prefix += '/';
    }
    if (root != nullptr && !rootPath_.empty() && path.compare(0, prefix.size(), prefix) == 0) {
        found = root;
        std::string_view rest = std::string_view(path).substr(prefix.size());
        while (found != nullptr && !rest.empty()) {
            const std::size_t slash = rest.find('/');
            const std::string_view name = rest.substr(0, slash);
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
            QTreeWidgetItem* child = nullptr;
            for (int i = 0; i < found->childCount() && child == nullptr; ++i) {
                const QByteArray bytes = found->child(i)->data(0, kNameRole).toByteArray();
                if (std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())) ==
                    name) {
                    child = found->child(i);
                }
            }
            found = child;
        }
        if (KindOf(found) != ItemKind::File) {
            found = nullptr;
        }
    }
    const QSignalBlocker quiet(tree_);
    if (found != nullptr) {
        tree_->setCurrentItem(found);
    } else {
        tree_->setCurrentItem(nullptr);
        tree_->clearSelection();
    }
    tree_->viewport()->update();
}

void CFileTreeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    // Too small a pane keeps the last layout rather than a negative one.
    if (h > kStripHeight) {
        tree_->setGeometry(0, kStripHeight, w, h - kStripHeight);
        closeButton_->setGeometry(w - 20, 1, 18, 18);
    }
}

// The main window shows and hides the pane as the user opens and closes the
// browser; each time, the tree catches up with a newly chosen project
// directory (and stays as it is otherwise).
void CFileTreeView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RefreshTree();
}

void CFileTreeView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    RefreshTree();
}

} // namespace orlen
