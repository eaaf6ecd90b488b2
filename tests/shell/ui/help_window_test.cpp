// The help window, offscreen: F1 shows the shipped book in the program's own
// browser, with its contents, Back and Forward, from the build tree or from
// the copy built into the program.
#include "../../temp_dir.h"
#include "scripted_app_ui.h"
#include "shell/command_ids.h"
#include "shell/help_book.h"
#include "shell/ui/help_window.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/vantle_app.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace orlen {
namespace {

QString FileName(const QUrl& url) {
    return url.fileName();
}

std::vector<QString> ContentsTexts(const CHelpWindow& help) {
    std::vector<QString> texts;
    for (int i = 0; i < help.ContentsList()->topLevelItemCount(); ++i) {
        texts.push_back(help.ContentsList()->topLevelItem(i)->text(0));
    }
    return texts;
}

TEST(HelpWindow, F1ShowsTheBookWithContentsBackAndForwardWithoutADesktopBrowser) {
    test::ScriptedAppUi ui;
    ui.urlsOpen = false; // no web browser on this desktop
    MemorySettingsStore settings;
    CVantleApp app(ui, settings);
    ASSERT_TRUE(app.Startup(std::nullopt, false));
    app.Frame()->show();
    QApplication::setActiveWindow(app.Frame());

    // The key, as the user presses it.
    QTest::keyClick(app.Frame(), Qt::Key_F1);
    CHelpWindow* help = app.HelpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(ui.urls.empty());
    EXPECT_TRUE(ui.doc.messages.empty());
    // The book beside the program when there is one (bin/help in the build
    // tree, share/orlen/help when installed), else the built-in copy.
    const QString beside = QString::fromStdString(app.HelpPath());
    EXPECT_EQ(help->IndexUrl(),
              QFile::exists(beside) ? QUrl::fromLocalFile(beside) : CHelpWindow::BuiltInIndex());
    QTextBrowser* browser = help->Browser();
    EXPECT_EQ(FileName(browser->source()), "index.html");
    EXPECT_TRUE(browser->toPlainText().contains("Orlen help"));
    EXPECT_EQ(help->windowTitle(), QString::fromUtf8("Contents \u2013 Orlen help"));

    // The contents: the index, then each topic of its list.
    const std::vector<QString> texts = ContentsTexts(*help);
    ASSERT_GE(texts.size(), 10u);
    EXPECT_EQ(texts[0], "Contents");
    EXPECT_EQ(texts[1], "Getting started");
    EXPECT_FALSE(help->BackAction()->isEnabled());
    EXPECT_FALSE(help->ForwardAction()->isEnabled());

    // A topic from the list, then one by a link in the page.
    QTreeWidgetItem* started = help->ContentsList()->topLevelItem(1);
    help->ContentsList()->itemClicked(started, 0);
    EXPECT_EQ(FileName(browser->source()), "getting-started.html");
    EXPECT_EQ(help->ContentsList()->currentItem(), started);
    EXPECT_TRUE(help->BackAction()->isEnabled());
    browser->setSource(browser->source().resolved(QUrl("options.html#file-types")));
    EXPECT_EQ(FileName(browser->source()), "options.html");
    EXPECT_EQ(help->ContentsList()->currentItem()->text(0), "Options");

    help->BackAction()->trigger();
    EXPECT_EQ(FileName(browser->source()), "getting-started.html");
    EXPECT_TRUE(help->ForwardAction()->isEnabled());
    help->BackAction()->trigger();
    EXPECT_EQ(FileName(browser->source()), "index.html");
    EXPECT_FALSE(help->BackAction()->isEnabled());
    help->ForwardAction()->trigger();
    EXPECT_EQ(FileName(browser->source()), "getting-started.html");
    help->ContentsAction()->trigger();
    EXPECT_EQ(FileName(browser->source()), "index.html");

    // F1 again brings the same window back at the index.
    help->ContentsList()->itemClicked(help->ContentsList()->topLevelItem(2), 0);
    help->hide();
    app.Frame()->RouteCommand(cmd::kHelpTopics);
    EXPECT_EQ(app.HelpWindow(), help);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(FileName(browser->source()), "index.html");
}

TEST(HelpWindow, BookMissingBesideTheProgramShowsTheBuiltInCopy) {
    test::TempDir dir;
    CHelpWindow help(QString::fromStdString(dir / "help/index.html"));
    EXPECT_EQ(help.IndexUrl(), CHelpWindow::BuiltInIndex());
    EXPECT_EQ(help.Browser()->source(), CHelpWindow::BuiltInIndex());
    EXPECT_TRUE(help.Browser()->toPlainText().contains("Orlen help"));
    ASSERT_GE(help.ContentsList()->topLevelItemCount(), 10);
    help.ContentsList()->itemClicked(help.ContentsList()->topLevelItem(3), 0);
    EXPECT_EQ(help.Browser()->source().scheme(), "qrc");
    EXPECT_FALSE(help.Browser()->toPlainText().isEmpty());
}

TEST(HelpWindow, EveryPageOfTheBookIsBuiltInAndEveryTopicExists) {
    const QDir book(QStringLiteral(ORLEN_SOURCE_DIR "/resources/help"));
    const QStringList pages = book.entryList(QDir::Files);
    ASSERT_FALSE(pages.isEmpty());
    for (const QString& page : pages) {
        EXPECT_TRUE(QFile::exists(":/help/" + page)) << page.toStdString();
    }
    QFile index(book.filePath("index.html"));
    ASSERT_TRUE(index.open(QIODevice::ReadOnly));
    const QByteArray html = index.readAll();
    const std::vector<HelpTopic> topics =
        HelpContents(std::string_view(html.constData(), html.size()));
    ASSERT_FALSE(topics.empty());
    for (const HelpTopic& topic : topics) {
        EXPECT_TRUE(book.exists(QString::fromStdString(topic.file))) << topic.file;
        EXPECT_FALSE(topic.title.empty()) << topic.file;
    }
}

} // namespace
} // namespace orlen
