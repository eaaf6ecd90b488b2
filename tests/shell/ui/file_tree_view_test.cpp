// The file browser pane: what it lists, when it reads folders, what it opens
// and how the pane is laid out. Runs offscreen.
#include "shell/ui/file_tree_view.h"

#include "../../temp_dir.h"
#include "document/file_listing.h"

#include <QAbstractButton>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItem>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace orlen {
namespace {

using test::TempDir;
using Kind = CFileTreeView::ItemKind;

// The world the pane sees through its hooks, with a record of what it did.
struct Host {
    std::string projectDirectory;
    std::string fileTypes{kDefaultFileTypes};
    bool openResult = true;
    std::vector<std::string> opened;
    int fileTypeReads = 0;
    int closeRequests = 0;

    CFileTreeView::Hooks Hooks() {
        CFileTreeView::Hooks hooks;
        hooks.projectDirectory = [this] { return projectDirectory; };
        hooks.fileTypes = [this] {
            ++fileTypeReads;
            return fileTypes;
        };
        hooks.openByPath = [this](const std::string& path) {
            opened.push_back(path);
            return openResult;
        };
        hooks.closeRequested = [this] { ++closeRequests; };
        return hooks;
    }
};

std::vector<std::string> ChildNames(const QTreeWidgetItem* item) {
    std::vector<std::string> names;
    for (int i = 0; item != nullptr && i < item->childCount(); ++i) {
        names.push_back(item->child(i)->text(0).toStdString());
    }
    return names;
}

QTreeWidgetItem* Child(const QTreeWidgetItem* item, const std::string& name) {
    for (int i = 0; item != nullptr && i < item->childCount(); ++i) {
        if (item->child(i)->text(0).toStdString() == name) {
            return item->child(i);
        }
    }
    return nullptr;
}

QTreeWidgetItem* Root(const CFileTreeView& view) {
    return view.Tree()->topLevelItemCount() > 0 ? view.Tree()->topLevelItem(0) : nullptr;
}

bool HasIcon(const CFileTreeView& view, const QTreeWidgetItem* item, Kind kind) {
    return item->icon(0).cacheKey() == view.IconFor(kind).cacheKey();
}

// Shows the pane at a usable size so that mouse and keyboard reach the tree.
void ShowPane(CFileTreeView& view) {
    view.resize(300, 400);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
}

void Click(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// A double-click as the user makes it: a click, then the second press.
void DoubleClick(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

// ---- What a folder lists ----

TEST(FileTreeViewListing, DefaultFileTypesListPagesAndNamesWithoutDot) {
    TempDir dir;
    for (const char* name : {"a.htm", "b.HTML", "c.mtpl", "readme", "x.txt"}) {
        dir.Write(name, "");
    }
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();

    ASSERT_EQ(view.Tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text(0).toStdString(), dir.Path().string());
    EXPECT_EQ(view.RootPath().toStdString(), dir.Path().string());
    EXPECT_EQ(CFileTreeView::KindOf(root), Kind::Root);
    EXPECT_TRUE(HasIcon(view, root, Kind::Root));
    EXPECT_TRUE(root->isExpanded());
    // The extension compares with its case: "HTML" is not "*.html".
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a.htm", "c.mtpl", "readme"}));
    for (int i = 0; i < root->childCount(); ++i) {
        EXPECT_EQ(CFileTreeView::KindOf(root->child(i)), Kind::File);
        EXPECT_TRUE(HasIcon(view, root->child(i), Kind::File));
        EXPECT_EQ(root->child(i)->childCount(), 0);
    }
}

TEST(FileTreeViewListing, EmptyTypeListListsEveryFileAndTheListIsReadAtEveryListing) {
    TempDir dir;
    for (const char* name :
         {"x.txt", "b.HTML", "readme", "a.htm", "c.mtpl", "sub/d.txt", "sub/e.htm"}) {
        dir.Write(name, "");
    }
    Host host;
    host.projectDirectory = dir.Path().string();
    host.fileTypes = "";
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildNames(root),
              (std::vector<std::string>{"sub", "a.htm", "b.HTML", "c.mtpl", "readme", "x.txt"}));

    // The type list changed since the root was listed: the folder listed
    // now follows the new list.
    host.fileTypes = "*.htm";
    QTreeWidgetItem* sub = Child(root, "sub");
    ASSERT_NE(sub, nullptr);
    view.Tree()->expandItem(sub);
    EXPECT_EQ(ChildNames(sub), (std::vector<std::string>{"e.htm"}));
}

TEST(FileTreeViewListing, FoldersFirstThenFilesEachSortedWithoutCase) {
    TempDir dir;
    for (const char* name :
         {"Zed.htm", "apple.htm", "Mango.html", "beta/x.htm", "Alpha/x.htm", "gamma/x.htm"}) {
        dir.Write(name, "");
    }
    std::filesystem::create_directory(dir.Path() / "delta.htm"); // a folder, whatever its name
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"Alpha", "beta", "delta.htm", "gamma",
                                                          "apple.htm", "Mango.html", "Zed.htm"}));
    for (const char* name : {"Alpha", "beta", "delta.htm", "gamma"}) {
        QTreeWidgetItem* folder = Child(root, name);
        ASSERT_NE(folder, nullptr) << name;
        EXPECT_EQ(CFileTreeView::KindOf(folder), Kind::ClosedFolder) << name;
        EXPECT_TRUE(HasIcon(view, folder, Kind::ClosedFolder)) << name;
        EXPECT_FALSE(folder->isExpanded()) << name;
    }
}

// Files and folders other programs add or remove show up, or go, by
// themselves; what is expanded and the current item stay as they are.
TEST(FileTreeViewListing, TheTreeFollowsTheDisk) {
    TempDir dir;
    for (const char* name : {"b.htm", "d.htm", "sub/x.htm"}) {
        dir.Write(name, "");
    }
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem* sub = Child(root, "sub");
    view.Tree()->expandItem(sub);
    ASSERT_EQ(ChildNames(sub), std::vector<std::string>{"x.htm"});
    QTreeWidgetItem* d = Child(root, "d.htm");
    view.Tree()->setCurrentItem(d);

    dir.Write("a.htm", "");
    dir.Write("c.htm", "");
    dir.Write("new/y.htm", "");
    dir.Write("sub/w.htm", "");
    std::filesystem::remove(dir.Path() / "b.htm");
    std::filesystem::remove(dir.Path() / "sub/x.htm");
    const std::vector<std::string> expected{"new", "sub", "a.htm", "c.htm", "d.htm"};
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(root), expected, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(sub), std::vector<std::string>{"w.htm"}, 5000);
    EXPECT_EQ(Child(root, "sub"), sub); // the same item, still open
    EXPECT_TRUE(sub->isExpanded());
    EXPECT_EQ(view.Tree()->currentItem(), d);
    EXPECT_TRUE(host.opened.empty() || host.opened.back() == dir / "d.htm");
    // A folder removed with what it held goes too.
    std::filesystem::remove_all(dir.Path() / "sub");
    QTRY_COMPARE_WITH_TIMEOUT(ChildNames(root),
                              (std::vector<std::string>{"new", "a.htm", "c.htm", "d.htm"}), 5000);
}

TEST(FileTreeViewListing, AFolderThatCannotBeReadListsAsEmpty) {
    TempDir dir;
    dir.Write("gone/a.htm", "");
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    QTreeWidgetItem* gone = Child(Root(view), "gone");
    ASSERT_NE(gone, nullptr);
    std::filesystem::remove_all(dir.Path() / "gone");

    view.Tree()->expandItem(gone);
    EXPECT_EQ(gone->childCount(), 0);
    EXPECT_TRUE(host.opened.empty());
}

TEST(FileTreeViewListing, AFolderOfTwentyThousandFilesLists) {
    TempDir dir;
    const std::filesystem::path big = dir.Path() / "big";
    std::filesystem::create_directory(big);
    constexpr int kCount = 20000;
    for (int i = 0; i < kCount; ++i) {
        std::ofstream(big / ("page" + std::to_string(i) + ".htm"));
    }
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    ShowPane(view);
    QTreeWidgetItem* folder = Child(Root(view), "big");
    ASSERT_NE(folder, nullptr);
    view.Tree()->expandItem(folder);
    ASSERT_EQ(folder->childCount(), kCount);
    EXPECT_EQ(folder->child(0)->text(0), QStringLiteral("page0.htm"));
    EXPECT_EQ(folder->child(kCount - 1)->text(0), QStringLiteral("page9999.htm"));
}

// ---- Lazy reading and rebuilding ----

TEST(FileTreeViewLazy, AFolderIsReadOnceOnItsFirstExpansion) {
    TempDir dir;
    dir.Write("sub/x.htm", "");
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    ShowPane(view);
    QTreeWidget* tree = view.Tree();
    QTreeWidgetItem* sub = Child(Root(view), "sub");
    ASSERT_NE(sub, nullptr);

    // Not listed yet: only the placeholder, which gives the arrow.
    ASSERT_EQ(sub->childCount(), 1);
    EXPECT_EQ(sub->child(0)->text(0), QStringLiteral("*"));
    EXPECT_EQ(CFileTreeView::KindOf(sub->child(0)), Kind::Placeholder);
    const int readsBefore = host.fileTypeReads;

    // Expanding from the keyboard lists it and opens the folder picture.
    tree->setFocus();
    tree->setCurrentItem(sub);
    QTest::keyClick(tree, Qt::Key_Right);
    EXPECT_TRUE(sub->isExpanded());
    EXPECT_EQ(ChildNames(sub), (std::vector<std::string>{"x.htm"}));
    EXPECT_EQ(CFileTreeView::KindOf(sub), Kind::OpenFolder);
    EXPECT_TRUE(HasIcon(view, sub, Kind::OpenFolder));
    EXPECT_EQ(host.fileTypeReads, readsBefore + 1);
    EXPECT_FALSE(tree->visualItemRect(sub->child(0)).isEmpty()); // shown, not only inserted

    QTest::keyClick(tree, Qt::Key_Left);
    EXPECT_FALSE(sub->isExpanded());
    EXPECT_EQ(CFileTreeView::KindOf(sub), Kind::ClosedFolder);
    EXPECT_TRUE(HasIcon(view, sub, Kind::ClosedFolder));

    // A file made later does not show on the next expansion: no re-read.
    dir.Write("sub/y.htm", "");
    tree->expandItem(sub);
    EXPECT_EQ(ChildNames(sub), (std::vector<std::string>{"x.htm"}));
    EXPECT_EQ(host.fileTypeReads, readsBefore + 1);
    EXPECT_EQ(CFileTreeView::KindOf(sub), Kind::OpenFolder);

    // Nor after a refresh for the same directory, ...
    view.RefreshTree();
    EXPECT_EQ(ChildNames(Child(Root(view), "sub")), (std::vector<std::string>{"x.htm"}));

    // ... only once the tree was rebuilt for another directory and back.
    TempDir other;
    host.projectDirectory = other.Path().string();
    view.RefreshTree();
    host.projectDirectory = dir.Path().string();
    view.RefreshTree();
    sub = Child(Root(view), "sub");
    ASSERT_NE(sub, nullptr);
    tree->expandItem(sub);
    EXPECT_EQ(ChildNames(sub), (std::vector<std::string>{"x.htm", "y.htm"}));
}

TEST(FileTreeViewLazy, RefreshTreeRebuildsOnlyForANewDirectory) {
    TempDir dir;
    dir.Write("proj/a.htm", "");
    dir.Write("Proj/b.htm", "");
    Host host;
    CFileTreeView view(host.Hooks());

    // No project directory: nothing to show.
    view.RefreshTree();
    EXPECT_EQ(view.Tree()->topLevelItemCount(), 0);
    EXPECT_TRUE(view.RootPath().isEmpty());

    host.projectDirectory = dir / "proj";
    view.RefreshTree();
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(ChildNames(root), (std::vector<std::string>{"a.htm"}));
    const int reads = host.fileTypeReads;

    // The same directory again: the very same items, nothing read.
    view.RefreshTree();
    EXPECT_EQ(Root(view), root);
    EXPECT_EQ(host.fileTypeReads, reads);

    // Names that differ only in case are different directories.
    host.projectDirectory = dir / "Proj";
    view.RefreshTree();
    ASSERT_EQ(view.Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(Root(view)->text(0).toStdString(), dir / "Proj");
    EXPECT_EQ(ChildNames(Root(view)), (std::vector<std::string>{"b.htm"}));

    // An empty project directory leaves the tree as it is.
    host.projectDirectory.clear();
    view.RefreshTree();
    EXPECT_EQ(view.RootPath().toStdString(), dir / "Proj");
    EXPECT_EQ(view.Tree()->topLevelItemCount(), 1);
}

TEST(FileTreeViewLazy, ShowingThePaneCatchesUpWithTheProjectDirectory) {
    TempDir dir;
    dir.Write("a.htm", "");
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    EXPECT_EQ(view.Tree()->topLevelItemCount(), 0);
    ShowPane(view);
    ASSERT_EQ(view.Tree()->topLevelItemCount(), 1);
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);

    view.hide();
    view.show();
    EXPECT_EQ(Root(view), root); // same directory: not rebuilt

    // Closed, a new directory chosen, shown again: the new directory.
    TempDir other;
    other.Write("b.htm", "");
    view.hide();
    host.projectDirectory = other.Path().string();
    view.show();
    ASSERT_EQ(view.Tree()->topLevelItemCount(), 1);
    EXPECT_EQ(Root(view)->text(0).toStdString(), other.Path().string());
    EXPECT_EQ(ChildNames(Root(view)), (std::vector<std::string>{"b.htm"}));
}

// ---- Expand arrows and the root ----

TEST(FileTreeViewExpand, TheRootCannotBeCollapsed) {
    TempDir dir;
    dir.Write("sub/a.htm", "");
    dir.Write("b.htm", "");
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    ShowPane(view);
    QTreeWidget* tree = view.Tree();
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);
    ASSERT_TRUE(root->isExpanded());
    EXPECT_FALSE(tree->rootIsDecorated()); // no arrow to click on the root

    tree->collapseItem(root);
    EXPECT_TRUE(root->isExpanded());

    tree->setFocus();
    tree->setCurrentItem(root);
    QTest::keyClick(tree, Qt::Key_Left);
    EXPECT_TRUE(root->isExpanded());

    DoubleClick(tree, root);
    EXPECT_TRUE(root->isExpanded());
    EXPECT_EQ(CFileTreeView::KindOf(root), Kind::Root);
    EXPECT_TRUE(HasIcon(view, root, Kind::Root));
    EXPECT_FALSE(tree->visualItemRect(Child(root, "b.htm")).isEmpty());
}

TEST(FileTreeViewExpand, AnEmptyFolderLosesItsExpandArrow) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path() / "empty");
    dir.Write("other.txt", ""); // not listed: the folder stays empty
    dir.Write("empty2/skip.txt", "");
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    for (const char* name : {"empty", "empty2"}) {
        QTreeWidgetItem* folder = Child(Root(view), name);
        ASSERT_NE(folder, nullptr) << name;
        EXPECT_EQ(folder->childCount(), 1) << name; // the placeholder shows the arrow
        view.Tree()->expandItem(folder);
        EXPECT_EQ(folder->childCount(), 0) << name;
        EXPECT_NE(folder->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator) << name;
    }
}

// ---- Opening files ----

TEST(FileTreeViewOpen, ArrowKeysOpenEachFileInTurnWithItsFullPath) {
    TempDir dir;
    for (const char* name : {"a.htm", "b.htm", "c.php", "sub/inner.mtpl"}) {
        dir.Write(name, "");
    }
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    ShowPane(view);
    QTreeWidget* tree = view.Tree();
    tree->setFocus();
    tree->setCurrentItem(Root(view));
    ASSERT_TRUE(host.opened.empty());

    QTest::keyClick(tree, Qt::Key_Down); // sub
    EXPECT_TRUE(host.opened.empty());
    QTest::keyClick(tree, Qt::Key_Right); // expand sub
    QTest::keyClick(tree, Qt::Key_Down);  // sub/inner.mtpl
    QTest::keyClick(tree, Qt::Key_Down);  // a.htm
    QTest::keyClick(tree, Qt::Key_Down);  // b.htm
    QTest::keyClick(tree, Qt::Key_Down);  // c.php
    QTest::keyClick(tree, Qt::Key_Up);    // b.htm again
    EXPECT_EQ(host.opened, (std::vector<std::string>{dir / "sub/inner.mtpl", dir / "a.htm",
                                                     dir / "b.htm", dir / "c.php", dir / "b.htm"}));
}

TEST(FileTreeViewOpen, ClickOpensOnceAndDoubleClickOpensAgain) {
    TempDir dir;
    dir.Write("a.htm", "");
    dir.Write("b.htm", "");
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    ShowPane(view);
    QTreeWidget* tree = view.Tree();
    QTreeWidgetItem* a = Child(Root(view), "a.htm");
    ASSERT_NE(a, nullptr);
    QTreeWidgetItem* b = Child(Root(view), "b.htm");
    ASSERT_NE(b, nullptr);

    Click(tree, a);
    EXPECT_EQ(host.opened, (std::vector<std::string>{dir / "a.htm"}));
    // A click on the file that is already current is not a new choice.
    Click(tree, a);
    EXPECT_EQ(host.opened.size(), 1u);
    // A double-click opens it again.
    DoubleClick(tree, a);
    EXPECT_EQ(host.opened, (std::vector<std::string>{dir / "a.htm", dir / "a.htm"}));

    // A failed or cancelled open leaves the selection on the clicked file.
    host.opened.clear();
    host.openResult = false;
    Click(tree, b);
    EXPECT_EQ(host.opened, (std::vector<std::string>{dir / "b.htm"}));
    EXPECT_EQ(tree->currentItem(), b);
    EXPECT_TRUE(b->isSelected());
}

// Ctrl and Shift extend the selection, with the mouse or the arrow keys,
// and open nothing; a right-click selects for the context menu and opens
// nothing; a plain click or arrow key opens again.
TEST(FileTreeViewOpen, CtrlAndShiftExtendTheSelectionWithoutOpening) {
    TempDir dir;
    for (const char* name : {"a.htm", "b.htm", "c.htm", "d.htm", "sub/e.htm"}) {
        dir.Write(name, "");
    }
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    ShowPane(view);
    QTreeWidget* tree = view.Tree();
    QTreeWidgetItem* root = Root(view);
    const auto at = [&](const char* name) {
        return tree->visualItemRect(Child(root, name)).center();
    };
    Click(tree, Child(root, "a.htm"));
    ASSERT_EQ(host.opened, std::vector<std::string>{dir / "a.htm"});
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::ControlModifier, at("c.htm"));
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::ControlModifier, at("sub"));
    EXPECT_EQ(view.SelectedPaths(),
              (std::vector<std::string>{dir / "sub", dir / "a.htm", dir / "c.htm"}));
    QTest::keyClick(tree, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(tree->currentItem(), Child(root, "a.htm"));
    EXPECT_TRUE(Child(root, "a.htm")->isSelected());
    EXPECT_TRUE(Child(root, "sub")->isSelected());
    QTest::mouseClick(tree->viewport(), Qt::RightButton, {}, at("d.htm"));
    EXPECT_EQ(host.opened, std::vector<std::string>{dir / "a.htm"});
    QTest::keyClick(tree, Qt::Key_Up);
    EXPECT_EQ(host.opened, (std::vector<std::string>{dir / "a.htm", dir / "c.htm"}));
    EXPECT_EQ(view.SelectedPaths(), std::vector<std::string>{dir / "c.htm"});
}

TEST(FileTreeViewOpen, FoldersAndTheRootOpenNothing) {
    TempDir dir;
    dir.Write("sub/a.htm", "");
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    ShowPane(view);
    QTreeWidget* tree = view.Tree();
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);
    QTreeWidgetItem* sub = Child(root, "sub");
    ASSERT_NE(sub, nullptr);

    Click(tree, root);
    DoubleClick(tree, root);
    Click(tree, sub);
    EXPECT_EQ(tree->currentItem(), sub);
    // A double-click on a folder keeps its usual effect: it expands.
    DoubleClick(tree, sub);
    EXPECT_TRUE(sub->isExpanded());
    EXPECT_EQ(ChildNames(sub), (std::vector<std::string>{"a.htm"}));
    EXPECT_TRUE(host.opened.empty());
}

TEST(FileTreeViewOpen, TheFileSystemRootGivesPathsWithoutDoubleSlash) {
    TempDir dir;
    dir.Write("page.htm", "");
    Host host;
    host.projectDirectory = "/";
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    QTreeWidgetItem* item = Root(view);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(0), QStringLiteral("/"));
    ASSERT_GT(item->childCount(), 0);
    const std::string first = view.FullPath(item->child(0));
    EXPECT_EQ(first, "/" + item->child(0)->text(0).toStdString());

    // Walk down from "/" to the test folder, as the user would.
    for (const auto& part : dir.Path().relative_path()) {
        QTreeWidgetItem* next = Child(item, part.string());
        ASSERT_NE(next, nullptr) << part;
        view.Tree()->expandItem(next);
        item = next;
    }
    QTreeWidgetItem* page = Child(item, "page.htm");
    ASSERT_NE(page, nullptr);
    view.Tree()->setCurrentItem(page);
    EXPECT_EQ(host.opened, (std::vector<std::string>{dir / "page.htm"}));
    EXPECT_EQ(host.opened.at(0).find("//"), std::string::npos);
}

// ---- The pane ----

TEST(FileTreeViewPane, CloseButtonCallsItsHookAndKeepsTheTree) {
    TempDir dir;
    dir.Write("a.htm", "");
    Host host;
    host.projectDirectory = dir.Path().string();
    CFileTreeView view(host.Hooks());
    view.RefreshTree();
    ShowPane(view);
    QTreeWidgetItem* root = Root(view);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(view.CloseButton()->text(), QStringLiteral("x"));

    QTest::mouseClick(view.CloseButton(), Qt::LeftButton);
    EXPECT_EQ(host.closeRequests, 1);
    EXPECT_EQ(Root(view), root);
    EXPECT_TRUE(host.opened.empty());
}

TEST(FileTreeViewPane, ButtonInTheTopStripTreeBelowOnButtonFace) {
    Host host;
    CFileTreeView view(host.Hooks());
    ShowPane(view);
    EXPECT_EQ(view.CloseButton()->geometry(), QRect(280, 1, 18, 18));
    EXPECT_EQ(view.Tree()->geometry(), QRect(0, 20, 300, 380));
    EXPECT_EQ(view.CloseButton()->parentWidget(), &view);
    EXPECT_EQ(view.Tree()->parentWidget(), &view);
    EXPECT_EQ(view.backgroundRole(), QPalette::Button);
    EXPECT_TRUE(view.autoFillBackground());

    view.resize(200, 250);
    EXPECT_EQ(view.CloseButton()->geometry(), QRect(180, 1, 18, 18));
    EXPECT_EQ(view.Tree()->geometry(), QRect(0, 20, 200, 230));
}

} // namespace
} // namespace orlen
