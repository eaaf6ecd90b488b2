// Applying the template to pages selected in the window, offscreen: Ctrl
// extends the file browser's selection without opening, two folders give
// exactly their pages, the preview lists them with their heads, Cancel in
// the progress leaves the pages not yet read untouched, the save prompt
// comes first, and undo puts the bytes back.
#include "../../temp_dir.h"
#include "scripted_app_ui.h"
#include "shell/command_ids.h"
#include "shell/ui/file_tree_view.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/qt_settings_store.h"
#include "shell/ui/template_batch_ui.h"
#include "shell/ui/vantle_app.h"
#include "tags/ui/site_view.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace orlen {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

const std::string kTemplate = "<html><head><title action=\"1\">Site</title>"
                              "<meta name=\"author\" content=\"Ann\" action=\"1\"/></head>"
                              "<body></body></html>";

std::string Page(const std::string& title) {
    return "<html>\r\n<head>\r\n<title>" + title + "</title>\r\n</head>\r\n<body>\r\n" + title +
           "</body></html>\r\n";
}

QTreeWidgetItem* ChildNamed(QTreeWidgetItem* item, const QString& name) {
    for (int i = 0; item != nullptr && i < item->childCount(); ++i) {
        if (item->child(i)->text(0) == name) {
            return item->child(i);
        }
    }
    return nullptr;
}

// Where pictures of the dialogs go when ORLEN_SHOTS_DIR names a folder.
void Shot(QWidget* widget, const char* name) {
    if (const char* folder = std::getenv("ORLEN_SHOTS_DIR"); folder != nullptr) {
        widget->grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
    }
}

class TemplateBatchUiTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"a/p1.html", "a/p2.html", "b/q1.html", "c/r1.html"}) {
            old[name] = Page(name);
        }
        old["a/done.html"] = "<html><head>\n\t<meta name=\"author\" content=\"Ann\"/>"
                             "<title>Site</title></head><body></body></html>";
        for (const auto& [name, text] : old) {
            dir.Write("site/" + std::string(name), text);
        }
        dir.Write("t.mtpl", kTemplate);
        app = std::make_unique<CVantleApp>(ui, settings);
        ASSERT_TRUE(app->Startup(std::nullopt, false));
        Batch().SetUndoFolder(dir / "undo");
        ASSERT_EQ(app->Doc().OpenTemplate(dir / "t.mtpl"), 1);
        app->SetProjectDirectory(dir / "site");
        Frame().resize(1000, 700);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Frame()));
    }

    CMainFrame& Frame() { return *app->Frame(); }
    CTemplateBatchUi& Batch() { return *Frame().TemplateBatch(); }
    QTreeWidget* Tree() { return Frame().FileTree()->Tree(); }
    std::string Site(const std::string& name) { return ReadFile(dir / ("site/" + name)); }

    void Click(const QString& folder, Qt::KeyboardModifiers modifiers = {}) {
        QTreeWidgetItem* item = ChildNamed(Tree()->topLevelItem(0), folder);
        ASSERT_NE(item, nullptr);
        QTest::mouseClick(Tree()->viewport(), Qt::LeftButton, modifiers,
                          Tree()->visualItemRect(item).center());
    }

    // Selects folders a and b: a plain click on a, Ctrl+click on b.
    void SelectTwoFolders() {
        Click("a");
        Click("b", Qt::ControlModifier);
        ASSERT_EQ(Frame().FileTree()->SelectedPaths(),
                  (std::vector<std::string>{dir / "site/a", dir / "site/b"}));
    }

    // Runs a command while onDialog answers each modal dialog it opens,
    // called again and again until it closes the dialog.
    void RunWithDialogs(int id, const std::function<void(QWidget*)>& onDialog) {
        QTimer timer;
        timer.setInterval(5);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget(); modal != nullptr) {
                onDialog(modal);
            }
        });
        timer.start();
        Frame().UpdateCommandUi();
        ASSERT_TRUE(Frame().Action(id)->isEnabled());
        Frame().Action(id)->trigger();
        timer.stop();
    }

    test::TempDir dir;
    test::ScriptedAppUi ui;
    MemorySettingsStore settings;
    std::unique_ptr<CVantleApp> app;
    std::map<std::string, std::string> old;
};

TEST_F(TemplateBatchUiTest, TwoFoldersChangeExactlyTheirPagesAfterThePreviewAndUndoPutsThemBack) {
    // The command needs a selection.
    Frame().UpdateCommandUi();
    EXPECT_FALSE(Frame().Action(cmd::kApplyTemplateToSelection)->isEnabled());
    EXPECT_FALSE(Frame().Action(cmd::kUndoLastBatch)->isEnabled());
    // The open page has unsaved edits; No applies to the file on disk and
    // drops them.
    ASSERT_TRUE(app->OpenByPath(dir / "site/a/p1.html"));
    app->Doc().SetPageTitle("Mine");
    app->Doc().SetModifiedFlag();
    ui.doc.answers = {Answer::No};
    SelectTwoFolders();
    // Folders open nothing; Ctrl+click opens nothing either.
    EXPECT_EQ(app->Doc().GetPathName(), dir / "site/a/p1.html");
    // It is also in the file browser's context menu.
    EXPECT_TRUE(Tree()->actions().contains(Frame().Action(cmd::kApplyTemplateToSelection)));

    std::vector<std::string> listed;
    std::vector<int> marked;
    bool previewSeen = false;
    RunWithDialogs(cmd::kApplyTemplateToSelection, [&](QWidget* modal) {
        auto* preview = qobject_cast<CBatchPreviewDialog*>(modal);
        if (preview == nullptr || previewSeen) {
            return;
        }
        previewSeen = true;
        for (int r = 0; r < preview->Rows()->rowCount(); ++r) {
            listed.push_back(preview->Rows()->item(r, 0)->text().toStdString() + " " +
                             preview->Rows()->item(r, 1)->text().toStdString());
        }
        // Nothing is written before Apply.
        EXPECT_EQ(Site("a/p2.html"), old["a/p2.html"]);
        marked = preview->MarkedAfter();
        EXPECT_NE(preview->After()->toPlainText().indexOf("<title>Site</title>"), -1);
        EXPECT_NE(preview->Before()->toPlainText().indexOf("<title>a/p1.html</title>"), -1);
        Shot(preview, "batch-preview");
        QTest::mouseClick(preview->ApplyButton(), Qt::LeftButton);
    });
    EXPECT_EQ(ui.doc.questions.back(), "Save changes to " + dir / "site/a/p1.html" + "?");
    EXPECT_EQ(listed, (std::vector<std::string>{"a/done.html unchanged", "a/p1.html changed",
                                                "a/p2.html changed", "b/q1.html changed"}));
    // The title line and the new meta tag are marked after.
    EXPECT_EQ(marked.size(), 2u);
    for (const char* name : {"a/p1.html", "a/p2.html", "b/q1.html"}) {
        EXPECT_NE(Site(name).find("<title>Site</title>"), std::string::npos) << name;
        EXPECT_NE(Site(name).find(std::string(name) + "</body></html>\r\n"), std::string::npos);
    }
    EXPECT_EQ(Site("a/done.html"), old["a/done.html"]);
    EXPECT_EQ(Site("c/r1.html"), old["c/r1.html"]);
    EXPECT_EQ(ui.doc.messages.back(),
              "Template applied: 3 changed, 1 unchanged, 0 refused, 0 failed.");
    // The open page was read again: the edits are gone as the user chose.
    EXPECT_FALSE(app->Doc().IsModified());
    EXPECT_EQ(app->Doc().GetPageTitle(), "Site");

    // Undo puts every page back byte for byte, but one changed since.
    dir.Write("site/b/q1.html", Site("b/q1.html") + "<!-- mine -->");
    const std::string q1 = Site("b/q1.html");
    Frame().UpdateCommandUi();
    ASSERT_TRUE(Frame().Action(cmd::kUndoLastBatch)->isEnabled());
    Frame().Action(cmd::kUndoLastBatch)->trigger();
    EXPECT_EQ(Site("a/p1.html"), old["a/p1.html"]);
    EXPECT_EQ(Site("a/p2.html"), old["a/p2.html"]);
    EXPECT_EQ(Site("b/q1.html"), q1);
    EXPECT_EQ(ui.doc.messages.back(),
              "2 pages were put back as they were before the batch.\n\nChanged since the batch, "
              "and left as they are:\n" +
                  dir / "site/b/q1.html");
    EXPECT_EQ(app->Doc().GetPageTitle(), "a/p1.html");
    Frame().UpdateCommandUi();
    EXPECT_FALSE(Frame().Action(cmd::kUndoLastBatch)->isEnabled());
}

TEST_F(TemplateBatchUiTest, CancelInTheProgressLeavesThePagesNotYetReadUntouched) {
    for (int i = 0; i < 30; ++i) {
        const std::string name = "b/m" + std::to_string(10 + i) + ".html";
        old[name] = Page(name);
        dir.Write("site/" + name, old[name]);
    }
    SelectTwoFolders();
    // The worker stops before page 6 until the test has pressed Cancel.
    std::atomic<bool> waiting{false};
    std::atomic<bool> released{false};
    Batch().SetBeforePage([&](std::size_t i) {
        if (i == 6) {
            waiting = true;
            while (!released) {
                std::this_thread::yield();
            }
        }
    });
    bool cancelled = false;
    RunWithDialogs(cmd::kApplyTemplateToSelection, [&](QWidget* modal) {
        if (auto* preview = qobject_cast<CBatchPreviewDialog*>(modal); preview != nullptr) {
            QTest::mouseClick(preview->ApplyButton(), Qt::LeftButton);
        } else if (auto* progress = qobject_cast<CBatchProgressDialog*>(modal);
                   progress != nullptr && waiting && !cancelled) {
            cancelled = true;
            QApplication::processEvents();
            EXPECT_TRUE(progress->Bar()->value() <= 6);
            Shot(progress, "batch-progress");
            QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);
            released = true;
        }
    });
    ASSERT_TRUE(cancelled);
    const BatchSummary& s = Batch().LastSummary();
    EXPECT_TRUE(s.cancelled);
    // a/done.html (unchanged), a/p1, a/p2, then b's first three of the walk.
    EXPECT_EQ(s.changed + s.unchanged, 6u);
    EXPECT_EQ(s.notRead, 34u - 6u);
    std::size_t changedOnDisk = 0;
    for (const auto& [name, text] : old) {
        changedOnDisk += Site(name) != text ? 1 : 0;
    }
    EXPECT_EQ(changedOnDisk, s.changed);
    EXPECT_NE(ui.doc.messages.back().find("Cancelled: 28 pages were not read"), std::string::npos)
        << ui.doc.messages.back();
}

// In the Site view a click selects a row and opens nothing (Enter or a
// double-click opens); Ctrl+click and Shift+click extend the selection, and
// the command then takes the table's selection.
TEST_F(TemplateBatchUiTest, TheSiteViewSelectsManyPagesWithCtrlAndShift) {
    CSiteView* site = app->SiteView();
    QSignalSpy scanned(site, &CSiteView::ScanFinished);
    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewSite));
    ASSERT_TRUE(scanned.wait(10000));
    QTableView* table = site->Table();
    table->sortByColumn(CSiteModel::FileColumn, Qt::AscendingOrder);
    const auto click = [&](int row, Qt::KeyboardModifiers modifiers) {
        const QRect cell = table->visualRect(table->model()->index(row, CSiteModel::FileColumn));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, modifiers, cell.center());
    };
    // Rows by file: a/done, a/p1, a/p2, b/q1, c/r1.
    click(1, {});
    click(3, Qt::ControlModifier);
    EXPECT_EQ(site->SelectedPaths(),
              (std::vector<std::string>{dir / "site/a/p1.html", dir / "site/b/q1.html"}));
    click(4, Qt::ShiftModifier);
    EXPECT_EQ(site->SelectedPaths(),
              (std::vector<std::string>{dir / "site/a/p1.html", dir / "site/b/q1.html",
                                        dir / "site/c/r1.html"}));
    EXPECT_EQ(app->Doc().GetPathName(), "");
    EXPECT_EQ(Batch().Selection(), site->SelectedPaths());

    RunWithDialogs(cmd::kApplyTemplateToSelection, [&](QWidget* modal) {
        if (auto* preview = qobject_cast<CBatchPreviewDialog*>(modal); preview != nullptr) {
            QTest::mouseClick(preview->ApplyButton(), Qt::LeftButton);
        }
    });
    EXPECT_EQ(Batch().LastSummary().changed, 3u);
    EXPECT_EQ(Site("a/p2.html"), old["a/p2.html"]);
    EXPECT_NE(Site("c/r1.html"), old["c/r1.html"]);
}

// Cancel at the save prompt starts nothing: no dry run, no dialog, the
// edits kept. Yes saves the edits first, then the template goes on top.
TEST_F(TemplateBatchUiTest, TheSavePromptComesFirst) {
    ASSERT_TRUE(app->OpenByPath(dir / "site/b/q1.html"));
    app->Doc().SetPageMeta("keywords", "mine", 0);
    app->Doc().SetModifiedFlag();
    SelectTwoFolders();
    ui.doc.answers = {Answer::Cancel};
    bool dialogSeen = false;
    RunWithDialogs(cmd::kApplyTemplateToSelection, [&](QWidget*) { dialogSeen = true; });
    EXPECT_FALSE(dialogSeen);
    EXPECT_TRUE(app->Doc().IsModified());
    for (const auto& [name, text] : old) {
        EXPECT_EQ(Site(name), text) << name;
    }

    ui.doc.answers = {Answer::Yes};
    RunWithDialogs(cmd::kApplyTemplateToSelection, [&](QWidget* modal) {
        if (auto* preview = qobject_cast<CBatchPreviewDialog*>(modal); preview != nullptr) {
            QTest::mouseClick(preview->ApplyButton(), Qt::LeftButton);
        }
    });
    EXPECT_NE(Site("b/q1.html").find("content=\"mine\""), std::string::npos);
    EXPECT_NE(Site("b/q1.html").find("<title>Site</title>"), std::string::npos);
    EXPECT_FALSE(app->Doc().IsModified());
    EXPECT_EQ(app->Doc().GetPageTitle(), "Site");
}

// Cancel in the preview writes nothing; with no template open the command
// is disabled.
TEST_F(TemplateBatchUiTest, CancelInThePreviewWritesNothing) {
    SelectTwoFolders();
    RunWithDialogs(cmd::kApplyTemplateToSelection, [&](QWidget* modal) {
        if (auto* preview = qobject_cast<CBatchPreviewDialog*>(modal); preview != nullptr) {
            QTest::mouseClick(preview->CancelButton(), Qt::LeftButton);
        }
    });
    for (const auto& [name, text] : old) {
        EXPECT_EQ(Site(name), text) << name;
    }
    EXPECT_FALSE(Batch().CanUndo());
    app->Doc().CloseTemplate();
    Frame().UpdateCommandUi();
    EXPECT_FALSE(Frame().Action(cmd::kApplyTemplateToSelection)->isEnabled());
}

} // namespace
} // namespace orlen
