// The desktop program's shell, offscreen: start-up, opening paths, recent
// files, command routing, view modes, toolbars, the file browser column,
// help, settings and the splash window.
#include "../../temp_dir.h"
#include "scripted_app_ui.h"
#include "shell/command_ids.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/file_tree_view.h"
#include "shell/ui/help_window.h"
#include "shell/ui/hideable_splitter.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/qt_app_ui.h"
#include "shell/ui/qt_settings_store.h"
#include "shell/ui/splash_window.h"
#include "shell/ui/vantle_app.h"
#include "shell/ui/web_preview_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QWindow>
#include <gtest/gtest.h>

namespace orlen {
namespace {

class ShellTest : public ::testing::Test {
protected:
    bool Start(const std::optional<std::string>& file = std::nullopt) {
        app = std::make_unique<CVantleApp>(ui, settings);
        return app->Startup(file, false);
    }
    CMainFrame& Frame() { return *app->Frame(); }
    CChildFrame& Child() { return *Frame().ChildFrame(); }
    CommandState State(int id) { return Frame().QueryCommand(id); }

    test::TempDir dir;
    test::ScriptedAppUi ui;
    MemorySettingsStore settings;
    std::unique_ptr<CVantleApp> app;
};

TEST_F(ShellTest, StartsWithANewPageAndOnlyTheEditingView) {
    ASSERT_TRUE(Start());
    EXPECT_EQ(Frame().windowTitle(), "Untitled[*] - Orlen");
    EXPECT_TRUE(Frame().isVisible());
    EXPECT_FALSE(Frame().FileBrowserShown());
    EXPECT_FALSE(Frame().FileTree()->isVisible());
    EXPECT_TRUE(Child().MetaDataPane()->isVisible());
    EXPECT_FALSE(Child().Preview()->isVisible());
    EXPECT_TRUE(Child().TabBar()->isVisible());
    EXPECT_EQ(Child().TabBar()->currentIndex(), 0);
    EXPECT_EQ(Child().Mode(), MetaDataMode);
    const CommandState meta = State(cmd::kViewMetaData);
    EXPECT_FALSE(meta.enabled);
    EXPECT_TRUE(meta.checked);
    EXPECT_TRUE(State(cmd::kViewWebPage).enabled);
    Frame().UpdateCommandUi();
    EXPECT_TRUE(Frame().Action(cmd::kViewMetaData)->isChecked());
    EXPECT_FALSE(Frame().Action(cmd::kViewMetaData)->isEnabled());
    // Template commands follow the document; nothing is open yet.
    EXPECT_FALSE(Frame().Action(cmd::kSaveTemplate)->isEnabled());
    EXPECT_TRUE(Frame().Action(cmd::kNewTemplate)->isEnabled());
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "For Help, press F1");
    EXPECT_EQ(app->FileTypes(), "*.htm;*.html;*.php;*.asp;*.aspx;*.mtpl");
}

TEST_F(ShellTest, LockIndicatorsAreBlankUntilALockKeyTellsTheirState) {
    ASSERT_TRUE(Start());
    Frame().show();
    QApplication::processEvents();
    // Offscreen nothing tells the locks' state: no field guesses it.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Frame().LockIndicator(i)->text(), "") << i;
        EXPECT_FALSE(Frame().LockIndicator(i)->isEnabled()) << i;
    }
    // Other keys tell nothing.
    QWindow* window = Frame().windowHandle();
    ASSERT_NE(window, nullptr);
    QTest::keyClick(window, Qt::Key_A);
    QTest::keyClick(window, Qt::Key_Shift);
    EXPECT_EQ(Frame().LockIndicator(0)->text(), "");

    // Caps Lock pressed once: it is on, and only its field shows. The press
    // goes on from the window to the focus widget and its parents, and is
    // counted once all the same.
    QTest::keyClick(window, Qt::Key_CapsLock);
    EXPECT_EQ(Frame().LockIndicator(0)->text(), "CAP");
    EXPECT_TRUE(Frame().LockIndicator(0)->isEnabled());
    EXPECT_EQ(Frame().LockIndicator(1)->text(), "");
    EXPECT_EQ(Frame().LockIndicator(2)->text(), "");
    // Pressed again: off, and the field keeps its name.
    QTest::keyClick(window, Qt::Key_CapsLock);
    EXPECT_EQ(Frame().LockIndicator(0)->text(), "CAP");
    EXPECT_FALSE(Frame().LockIndicator(0)->isEnabled());
    // Held down, the repeats change nothing.
    QTest::keyPress(window, Qt::Key_CapsLock);
    QTest::simulateEvent(window, true, Qt::Key_CapsLock, Qt::NoModifier, QString(), true);
    QTest::simulateEvent(window, true, Qt::Key_CapsLock, Qt::NoModifier, QString(), true);
    QTest::keyRelease(window, Qt::Key_CapsLock);
    EXPECT_TRUE(Frame().LockIndicator(0)->isEnabled());

    QTest::keyClick(window, Qt::Key_NumLock);
    EXPECT_EQ(Frame().LockIndicator(1)->text(), "NUM");
    EXPECT_TRUE(Frame().LockIndicator(1)->isEnabled());
    QTest::keyClick(window, Qt::Key_ScrollLock);
    EXPECT_EQ(Frame().LockIndicator(2)->text(), "SCRL");
    EXPECT_TRUE(Frame().LockIndicator(2)->isEnabled());
}

TEST_F(ShellTest, CommandLineFileOrTemplate) {
    const std::string page = dir.Write("index.html", "<head><title>Home</title></head>");
    ASSERT_TRUE(Start(page));
    EXPECT_EQ(Frame().windowTitle(), "index.html[*] - Orlen");
    EXPECT_EQ(app->RecentFiles(), std::vector<std::string>{page});
    app.reset();

    // A template alone opens beside a new empty page.
    const std::string tmpl = dir.Write("site.mtpl", "<head><title action=3>T</title></head>");
    ASSERT_TRUE(Start(tmpl));
    EXPECT_EQ(app->Doc().templateOpen, 1);
    EXPECT_EQ(app->Doc().templateName, "site");
    EXPECT_EQ(Frame().windowTitle(), "Untitled[*] - Orlen");
    app.reset();

    EXPECT_FALSE(Start(dir / "missing.html"));
}

TEST_F(ShellTest, RecentFilesKeepSixNewestFirstAndDropFailures) {
    settings.WriteSettingString("Recent File List", "File1", dir / "gone.html");
    ASSERT_TRUE(Start());
    EXPECT_EQ(app->RecentFiles().size(), 1u);
    std::vector<std::string> pages;
    for (int i = 0; i < 7; ++i) {
        pages.push_back(dir.Write("p" + std::to_string(i) + ".html", "<head></head>"));
        ASSERT_TRUE(app->OpenByPath(pages.back()));
    }
    ASSERT_EQ(app->RecentFiles().size(), 6u);
    EXPECT_EQ(app->RecentFiles().front(), pages[6]);
    EXPECT_EQ(app->RecentFiles().back(), pages[1]);
    EXPECT_TRUE(Frame().Action(cmd::kRecentFile1 + 5)->isVisible());
    EXPECT_TRUE(Frame().Action(cmd::kRecentFile1)->text().endsWith("p6.html"));

    // Opening an entry that fails removes it.
    std::filesystem::remove(pages[3]);
    ASSERT_TRUE(Frame().RouteCommand(cmd::kRecentFile1 + 3));
    EXPECT_EQ(app->RecentFiles().size(), 5u);
    EXPECT_EQ(ui.doc.messages.size(), 1u); // the open failure was reported

    app->Shutdown();
    EXPECT_EQ(settings.GetSettingString("recent file list", "file1", ""), pages[6]);
    EXPECT_EQ(settings.GetSettingString("Recent File List", "File6", "x"), "");
}

TEST_F(ShellTest, OpeningAnotherPageAsksAboutUnsavedEdits) {
    const std::string a = dir.Write("a.html", "<head><title>A</title></head>");
    const std::string b = dir.Write("b.html", "<head><title>B</title></head>");
    ASSERT_TRUE(Start(a));
    app->Doc().SetPageTitle("edited");
    app->Doc().SetModifiedFlag();
    ui.doc.answers = {Answer::Cancel};
    EXPECT_FALSE(app->OpenByPath(b));
    EXPECT_EQ(app->Doc().GetPageTitle(), "edited");
    EXPECT_EQ(ui.doc.questions.back(), "Save changes to " + a + "?");

    // The Open command asks too, and Cancel keeps the edits.
    ui.doc.files.push_back(b);
    ui.doc.answers = {Answer::Cancel};
    EXPECT_TRUE(Frame().RouteCommand(cmd::kFileOpen));
    EXPECT_EQ(app->Doc().GetPageTitle(), "edited");
    ui.doc.files.push_back(b);
    ui.doc.answers = {Answer::No};
    Frame().RouteCommand(cmd::kFileOpen);
    EXPECT_EQ(app->Doc().GetPageTitle(), "B");
    EXPECT_EQ(Frame().windowTitle(), "b.html[*] - Orlen");
}

TEST_F(ShellTest, ViewModesSwitchRowsAndTabs) {
    ASSERT_TRUE(Start());
    Frame().show();
    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewSplit));
    EXPECT_EQ(Child().Mode(), SplitMode);
    EXPECT_FALSE(Child().TabBar()->isVisible());
    EXPECT_TRUE(Child().MetaDataPane()->isVisible());
    EXPECT_TRUE(Child().Preview()->isVisible());
    EXPECT_FALSE(State(cmd::kViewSplit).enabled);
    EXPECT_FALSE(Frame().RouteCommand(cmd::kViewSplit)); // disabled: not run again

    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewMetaData));
    EXPECT_FALSE(Child().Preview()->isVisible());
    EXPECT_TRUE(Child().TabBar()->isVisible());
    EXPECT_EQ(Child().TabBar()->currentIndex(), 0);

    // The preview takes the focus when the editing view had it.
    Child().MetaDataPane()->setFocusPolicy(Qt::StrongFocus);
    Child().MetaDataPane()->setFocus();
    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewWebPage));
    EXPECT_FALSE(Child().MetaDataPane()->isVisible());
    EXPECT_TRUE(Child().Preview()->isVisible());
    EXPECT_EQ(Child().TabBar()->currentIndex(), 1);

    // Choosing a tab switches through the same commands.
    Child().TabBar()->setCurrentIndex(0);
    QTest::qWait(20);
    EXPECT_EQ(Child().Mode(), MetaDataMode);
    EXPECT_TRUE(Child().MetaDataPane()->isVisible());
}

TEST_F(ShellTest, SplitterKeepsSizesAcrossHideAndShow) {
    CHideableSplitter splitter(Qt::Vertical);
    auto* top = new QWidget;
    auto* bottom = new QWidget;
    splitter.addWidget(top);
    splitter.addWidget(bottom);
    splitter.resize(200, 400);
    splitter.show();
    splitter.setSizes({300, 100});
    const QList<int> before = splitter.sizes();
    splitter.HideRow(1);
    EXPECT_EQ(splitter.HiddenRow(), 1);
    EXPECT_FALSE(bottom->isVisible());
    EXPECT_TRUE(top->isVisible());
    splitter.ShowRow();
    EXPECT_EQ(splitter.HiddenRow(), -1);
    EXPECT_TRUE(bottom->isVisible());
    EXPECT_EQ(splitter.sizes(), before);
}

TEST_F(ShellTest, ToolbarAndStatusBarToggle) {
    ASSERT_TRUE(Start());
    Frame().show();
    ASSERT_TRUE(Frame().MainToolBar()->isVisible());
    ASSERT_TRUE(Frame().ViewToolBar()->isVisible());
    EXPECT_EQ(Frame().toolBarArea(Frame().ViewToolBar()), Qt::TopToolBarArea);
    EXPECT_TRUE(State(cmd::kViewToolbar).checked);
    Frame().RouteCommand(cmd::kViewToolbar);
    EXPECT_FALSE(Frame().MainToolBar()->isVisible());
    EXPECT_FALSE(Frame().ViewToolBar()->isVisible());
    EXPECT_FALSE(State(cmd::kViewToolbar).checked);
    Frame().RouteCommand(cmd::kViewToolbar);
    EXPECT_TRUE(Frame().MainToolBar()->isVisible());
    EXPECT_TRUE(Frame().ViewToolBar()->isVisible());
    Frame().RouteCommand(cmd::kViewStatusBar);
    EXPECT_FALSE(Frame().statusBar()->isVisible());
    EXPECT_FALSE(State(cmd::kViewStatusBar).checked);
}

TEST_F(ShellTest, BrowseShowsTheFileBrowserAndItsCloseButtonHidesIt) {
    dir.Write("site/a.html", "<head></head>");
    ASSERT_TRUE(Start());
    Frame().resize(900, 600);
    Frame().show();
    ui.folders = {std::nullopt};
    Frame().RouteCommand(cmd::kBrowse); // cancelled
    EXPECT_FALSE(Frame().FileBrowserShown());
    EXPECT_EQ(ui.folderTitles.back(), "Select project directory");

    ui.folders = {(dir / "site") + "/"};
    ASSERT_TRUE(Frame().RouteCommand(cmd::kBrowse));
    EXPECT_EQ(app->Doc().GetProjectDirectory(), dir / "site");
    EXPECT_TRUE(Frame().FileBrowserShown());
    EXPECT_TRUE(Frame().FileTree()->isVisible());
    EXPECT_NEAR(Frame().Splitter()->sizes()[0], 250, 5);
    EXPECT_EQ(Frame().FileTree()->RootPath().toStdString(), dir / "site");

    Frame().FileTree()->CloseButton()->click();
    EXPECT_FALSE(Frame().FileBrowserShown());
    EXPECT_FALSE(Frame().FileTree()->isVisible());

    // A command of the document works while the focus is in the browser.
    ui.folders = {dir / "site"};
    Frame().RouteCommand(cmd::kBrowse);
    Frame().FileTree()->Tree()->setFocus();
    EXPECT_TRUE(State(cmd::kNewTemplate).enabled);
    EXPECT_TRUE(Frame().RouteCommand(cmd::kNewTemplate));
    EXPECT_EQ(app->Doc().templateOpen, 1);
}

TEST_F(ShellTest, HelpAboutAndTutorials) {
    ASSERT_TRUE(Start());
    // Help needs no desktop browser: the book shows in the help window.
    ui.urlsOpen = false;
    Frame().RouteCommand(cmd::kHelpTopics);
    EXPECT_TRUE(ui.urls.empty());
    EXPECT_TRUE(ui.doc.messages.empty());
    ASSERT_NE(app->HelpWindow(), nullptr);
    EXPECT_TRUE(app->HelpWindow()->isVisible());
    ui.urlsOpen = true;
    Frame().RouteCommand(cmd::kOnlineTutorials);
    EXPECT_EQ(ui.urls.back().rfind("https://", 0), 0u);
    Frame().RouteCommand(cmd::kAbout);
    EXPECT_EQ(ui.aboutShown, 1);
}

TEST_F(ShellTest, QtSettingsMatchNamesWithoutCaseAndCreateNothingOnRead) {
    const QString file = QString::fromStdString(dir / "settings.ini");
    {
        QtSettingsStore store(file);
        EXPECT_EQ(store.GetSettingInt("User", "IBC", 13), 13);
        EXPECT_EQ(store.GetSettingString("User", "FileTypes", "d"), "d");
        store.Sync();
        EXPECT_FALSE(std::filesystem::exists(dir / "settings.ini"));
        store.WriteSettingInt("User", "IBC", 15);
        store.WriteSettingString("Recent File List", "File1", "/a b/c.html");
        store.WriteSettingInt("USER", "ibc", 16); // the same entry
        store.Sync();
    }
    QtSettingsStore store(file);
    EXPECT_EQ(store.GetSettingInt("user", "Ibc", 0), 16);
    EXPECT_EQ(store.GetSettingString("RECENT FILE LIST", "file1", ""), "/a b/c.html");
    EXPECT_EQ(store.GetSettingInt("Recent File List", "File1", 5), 5); // not a number
    const std::string text = test::ReadFile(dir / "settings.ini");
    EXPECT_EQ(text.find("USER"), std::string::npos);
}

TEST_F(ShellTest, FileDialogFiltersInQtForm) {
    EXPECT_EQ(QtAppUi::QtFilter("Web page files (*.htm;*.html)|*.htm;*.html|Meta-tag template "
                                "files (*.mtpl)|*.mtpl|All files (*.*)|*.*||"),
              "Web page files (*.htm *.html);;Meta-tag template files (*.mtpl);;All files (*)");
    EXPECT_EQ(QtAppUi::QtFilter("All files (*.*)|*.*||"), "All files (*)");
}

TEST_F(ShellTest, SplashClosesOnTheFirstKeyAndSwallowsIt) {
    QWidget main;
    main.show();
    CSplashWindow* splash = CSplashWindow::ShowSplash(&main);
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash->size(), QSize(439, 268));
    EXPECT_EQ(CSplashWindow::ShowSplash(&main), splash); // only one at a time
    QLineEdit* edit = new QLineEdit(&main);
    edit->show();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A);
    EXPECT_EQ(edit->text(), ""); // swallowed
    EXPECT_TRUE(QTest::qWaitFor([] { return CSplashWindow::Current() == nullptr; }, 1000));
    EXPECT_EQ(CSplashWindow::Current(), nullptr);
    QTest::keyClick(edit, Qt::Key_A);
    EXPECT_EQ(edit->text(), "a");

    // Without input it goes when its time is up.
    ASSERT_NE(CSplashWindow::ShowSplash(&main), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([] { return CSplashWindow::Current() == nullptr; }, 3000));
}

} // namespace
} // namespace orlen

namespace orlen {
namespace {

TEST_F(ShellTest, ShortcutsReachTheirCommands) {
    const std::string page = dir.Write("s.html", "<head><title>A</title></head>");
    ASSERT_TRUE(Start(page));
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    app->Doc().SetPageTitle("B");
    app->Doc().SetModifiedFlag();
    QTest::keyClick(&Frame(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_FALSE(app->Doc().IsModified());
    EXPECT_NE(test::ReadFile(page).find("<title>B</title>"), std::string::npos);
    QTest::keyClick(&Frame(), Qt::Key_W, Qt::AltModifier);
    EXPECT_EQ(Child().Mode(), WebPreviewMode);
    QTest::keyClick(&Frame(), Qt::Key_M, Qt::AltModifier);
    EXPECT_EQ(Child().Mode(), MetaDataMode);
}

} // namespace
} // namespace orlen
