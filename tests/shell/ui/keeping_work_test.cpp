// Using the window as a web author does, offscreen: unsaved work is never
// lost or misreported, and every pane and folder is within reach.
#include "../../temp_dir.h"
#include "document/command_ids.h"
#include "document/document_texts.h"
#include "scripted_app_ui.h"
#include "shell/command_ids.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/file_tree_view.h"
#include "shell/ui/hideable_splitter.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/vantle_app.h"
#include "shell/ui/web_preview_view.h"
#include "tags/ui/vantle_view.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <cstdlib>

namespace orlen {
namespace {

using test::ReadFile;

class WindowWork : public ::testing::Test {
protected:
    void Start() {
        app = std::make_unique<CVantleApp>(ui, settings);
        ASSERT_TRUE(app->Startup(std::nullopt, false));
        Frame().show();
        QApplication::setActiveWindow(&Frame());
    }
    CMainFrame& Frame() { return *app->Frame(); }
    CVantleView& View() { return *app->View(); }
    CVantleDoc& Doc() { return app->Doc(); }
    QLineEdit* Line(int row) { return qobject_cast<QLineEdit*>(View().ValueBox(row)); }
    std::string TemplateText() { return Doc().Template().GetText(); }
    // The pane that holds the focus: 0 tree, 1 form, 2 preview, -1 none.
    int FocusedPane() {
        const QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) {
            return -1;
        }
        if (Frame().FileTree()->isAncestorOf(focus)) {
            return 0;
        }
        if (View().isAncestorOf(focus) || focus == &View()) {
            return 1;
        }
        return Frame().ChildFrame()->Preview()->isAncestorOf(focus) ||
                       focus == Frame().ChildFrame()->Preview()
                   ? 2
                   : -1;
    }
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : &Frame(), key, modifiers);
        QApplication::processEvents();
    }

    test::TempDir dir;
    test::ScriptedAppUi ui;
    MemorySettingsStore settings;
    std::unique_ptr<CVantleApp> app;
};

TEST_F(WindowWork, UnsavedWorkIsNeverLostOrMisreported) {
    Start();
    // A new template: its title typed with no action gets "Always set".
    ASSERT_TRUE(Frame().RouteCommand(cmd::kNewTemplate));
    EXPECT_EQ(View().RowAction(0), -1);
    Line(0)->setFocus();
    QTest::keyClicks(Line(0), "Site");
    EXPECT_EQ(View().RowAction(0), 1);
    EXPECT_EQ(View().ActionList(0)->currentText(), "Always set to this value");
    EXPECT_NE(TemplateText().find("<title action=\"1\">Site</title>"), std::string::npos);
    EXPECT_EQ(TemplateText().find("action=\"-1\""), std::string::npos) << TemplateText();
    ASSERT_EQ(Doc().templateModified, 1);

    // Template > Open over it asks first; Cancel keeps it, No replaces it
    // with a template that has no edits, so Exit asks nothing.
    const std::string other = dir.Write("other.mtpl", "<head><title action=\"3\">O</title></head>");
    ui.doc.files.push_back(other);
    ui.doc.answers = {Answer::Cancel};
    EXPECT_FALSE(Frame().RouteCommand(cmd::kOpenTemplate) && Doc().templateName == "other");
    ASSERT_EQ(ui.doc.questions.size(), 1u);
    EXPECT_EQ(ui.doc.questions.back(), "Save changes to unnamed template");
    EXPECT_EQ(Doc().templateName, "unnamed template");
    EXPECT_EQ(View().RowValue(0), "Site");
    ui.doc.files.push_back(other);
    ui.doc.answers = {Answer::No};
    Frame().RouteCommand(cmd::kOpenTemplate);
    EXPECT_EQ(Doc().templateName, "other");
    EXPECT_EQ(Doc().templateModified, 0);
    EXPECT_EQ(View().RowValue(0), "O");
    EXPECT_EQ(Doc().ConfirmSave(), 1);
    EXPECT_EQ(ui.doc.questions.size(), 2u);
    Frame().RouteCommand(cmd::kCloseTemplate);

    // A new template not based on the page starts empty: the page's own
    // rows are not offered, and nothing of the page is saved into it.
    const std::string page = dir.Write(
        "p.html", "<head><title>P</title><meta name=\"x-custom\" content=\"v\"></head><body>b");
    ASSERT_TRUE(app->OpenByPath(page));
    const int custom = View().Catalogue().findByName("x-custom");
    ASSERT_GE(custom, 0);
    ui.doc.answers = {Answer::No}; // not based on the page
    ASSERT_TRUE(Frame().RouteCommand(cmd::kNewTemplate));
    EXPECT_EQ(View().RowValue(0), "");
    EXPECT_FALSE(View().Catalogue().at(custom).visible);
    const int author = View().Catalogue().findByName("Author");
    View().SetRowAction(author, 1);
    Line(author)->setFocus();
    QTest::keyClicks(Line(author), "Ann");
    EXPECT_EQ(TemplateText().find("x-custom"), std::string::npos) << TemplateText();
    EXPECT_EQ(TemplateText().find("<title"), std::string::npos) << TemplateText();
    EXPECT_NE(TemplateText().find("content=\"Ann\" action=\"1\""), std::string::npos);
    Frame().RouteCommand(cmd::kEditTemplate);
    EXPECT_TRUE(View().Catalogue().at(custom).visible); // the page's rows are back

    // A page that cannot take meta-data: every save says so, the edits stay
    // in the form and the window keeps showing them as unsaved.
    ui.doc.answers = {Answer::No, Answer::No};
    const std::string headless = dir.Write("u.html", "<html><body>x</body></html>");
    ASSERT_TRUE(app->OpenByPath(headless));
    const int warnings = ui.warnings;
    EXPECT_EQ(ui.doc.messages.back(), doc_texts::kNoMetaDataPosition);
    Line(0)->setFocus();
    QTest::keyClicks(Line(0), "New");
    EXPECT_TRUE(Doc().IsModified());
    for (int attempt = 1; attempt <= 2; ++attempt) {
        ui.doc.messages.clear();
        Frame().RouteCommand(cmd::kFileSave);
        ASSERT_EQ(ui.doc.messages.size(), 1u);
        EXPECT_EQ(ui.doc.messages[0], doc_texts::kNoMetaDataPosition);
        EXPECT_EQ(ui.warnings, warnings + attempt); // a warning, not information
        EXPECT_TRUE(Doc().IsModified());
        EXPECT_TRUE(Frame().isWindowModified());
        EXPECT_EQ(View().RowValue(0), "New");
    }
    EXPECT_EQ(ReadFile(headless), "<html><body>x</body></html>");
}

// File > Open of a file that cannot be read, after "No" to the save prompt:
// the window keeps showing the page with its edits, and says why.
TEST_F(WindowWork, AFailedOpenKeepsTheOpenPageInTheWindow) {
    Start();
    const std::string page = dir.Write("p.html", "<head><title>P</title></head><body>b");
    ASSERT_TRUE(app->OpenByPath(page));
    Line(0)->setFocus();
    QTest::keyClicks(Line(0), " edited");
    ASSERT_TRUE(Doc().IsModified());
    const QString typed = View().RowValue(0);
    ui.doc.files.push_back(dir / "missing.html");
    ui.doc.answers = {Answer::No};
    Frame().RouteCommand(cmd::kFileOpen);
    EXPECT_EQ(Doc().GetPathName(), page);
    EXPECT_EQ(View().RowValue(0), typed);
    EXPECT_TRUE(Doc().IsModified());
    ASSERT_FALSE(ui.doc.messages.empty());
    EXPECT_NE(ui.doc.messages.back().find("missing.html"), std::string::npos);
    EXPECT_TRUE(Frame().windowTitle().contains(QStringLiteral("p.html")));
}

TEST_F(WindowWork, EveryPaneAndFolderIsWithinReach) {
    const std::string home = dir / "home";
    std::filesystem::create_directories(home);
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome != nullptr ? oldHome : "";
    ::setenv("HOME", home.c_str(), 1);
    const std::string site = dir / "site";
    dir.Write("site/a.html", "<head><title>A</title></head><body>a");
    dir.Write("site/b.html", "<head><title>B</title></head><body>b");
    dir.Write("site/sub/c.html", "<head><title>C</title></head><body>c");
    Start();

    // Dialogs start at home with nothing open, then in the project, then
    // in the page's folder.
    ui.folders.push_back(site);
    ASSERT_TRUE(Frame().RouteCommand(cmd::kBrowse));
    ASSERT_EQ(ui.folderStarts.size(), 1u);
    EXPECT_EQ(ui.folderStarts[0], home);
    ui.doc.files.push_back(std::nullopt);
    Frame().RouteCommand(cmd::kFileOpen);
    EXPECT_EQ(ui.doc.folders.back(), site);
    ASSERT_TRUE(app->OpenByPath(site + "/sub/c.html"));
    ui.doc.files.push_back(std::nullopt);
    Frame().RouteCommand(cmd::kOpenTemplate);
    EXPECT_EQ(ui.doc.folders.back(), site + "/sub");
    // Save As of a bare name makes a web page.
    ui.doc.files.push_back(site + "/sub/copy");
    ASSERT_TRUE(Frame().RouteCommand(cmd::kFileSaveAs));
    EXPECT_EQ(ui.doc.folders.back(), site + "/sub");
    EXPECT_EQ(ui.doc.saveDefaults.back(), "html|c.html");
    EXPECT_TRUE(std::filesystem::exists(site + "/sub/copy.html"));
    EXPECT_EQ(Doc().GetPathName(), site + "/sub/copy.html");
    ::setenv("HOME", savedHome.c_str(), 1);

    // The tree shows no stale choice: a page opened another way is the
    // current item when the tree shows it, else nothing is.
    QTreeWidget* tree = Frame().FileTree()->Tree();
    ASSERT_NE(tree->topLevelItem(0), nullptr);
    QTreeWidgetItem* a = tree->topLevelItem(0)->child(1); // "sub" first, then a, b
    ASSERT_EQ(a->text(0), "a.html");
    tree->setCurrentItem(a);
    EXPECT_EQ(Doc().GetTitle(), "a.html");
    ASSERT_TRUE(app->OpenByPath(site + "/sub/c.html"));
    EXPECT_EQ(tree->currentItem(), nullptr);
    ASSERT_TRUE(app->OpenByPath(site + "/b.html"));
    ASSERT_NE(tree->currentItem(), nullptr);
    EXPECT_EQ(tree->currentItem()->text(0), "b.html");

    // The arrow keys walk the tree, opening each page, and the focus stays
    // in the tree. F6 and Shift+F6 go round the panes that show.
    tree->setFocus();
    Press(Qt::Key_Up);
    EXPECT_EQ(Doc().GetTitle(), "a.html");
    EXPECT_EQ(FocusedPane(), 0);
    Press(Qt::Key_F6);
    EXPECT_EQ(FocusedPane(), 1);
    // The form's current field shows its hint in the status bar, and takes
    // it away when the focus leaves it.
    EXPECT_EQ(Frame().statusBar()->currentMessage(),
              "The title of the web page (not actually a meta tag)");
    Press(Qt::Key_F6); // the preview is hidden: back to the tree
    EXPECT_EQ(FocusedPane(), 0);
    EXPECT_EQ(Frame().statusBar()->currentMessage(), "For Help, press F1");
    Press(Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_EQ(FocusedPane(), 1);
    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewSplit));
    QApplication::processEvents();
    Press(Qt::Key_F6);
    EXPECT_EQ(FocusedPane(), 2);
    Press(Qt::Key_F6);
    EXPECT_EQ(FocusedPane(), 0);

    // Split view gives the preview half the height; where the user puts the
    // divider is kept for the next start.
    CChildFrame& child = *Frame().ChildFrame();
    const QList<int> sizes = child.Splitter()->sizes();
    EXPECT_NEAR(sizes[0], sizes[1], 2);
    EXPECT_GT(sizes[1], 150);
    child.Splitter()->setSizes({sizes[0] + sizes[1] - 100, 100});
    emit child.Splitter()->splitterMoved(0, 1);
    const int share = settings.GetSettingInt("Layout", "PreviewShare", -1);
    EXPECT_GT(share, 100);
    EXPECT_LT(share, 300);
    app->Shutdown();
    app.reset();
    Start();
    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewSplit));
    const QList<int> again = Frame().ChildFrame()->Splitter()->sizes();
    EXPECT_NEAR(again[1] * 1000 / (again[0] + again[1]), share, 10);
}

} // namespace
} // namespace orlen
