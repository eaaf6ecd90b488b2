// Open Graph, Twitter, canonical and language rows in the running program,
// and the search-result and shared-card previews following what is typed.
#include "../../shell/ui/scripted_app_ui.h"
#include "../../temp_dir.h"
#include "shell/command_ids.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/vantle_app.h"
#include "shell/ui/web_preview_view.h"
#include "tags/text_width.h"
#include "tags/ui/preview_panel.h"
#include "tags/ui/vantle_view.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <QWebEngineView>
#include <gtest/gtest.h>

namespace orlen {
namespace {

using test::ReadFile;

class PreviewTest : public ::testing::Test {
protected:
    void Start(const std::optional<std::string>& file = std::nullopt) {
        app = std::make_unique<CVantleApp>(ui, settings);
        ASSERT_TRUE(app->Startup(file, false));
        app->Frame()->show();
        QApplication::setActiveWindow(app->Frame());
    }
    CVantleView& View() { return *app->View(); }
    CChildFrame& Child() { return *app->Frame()->ChildFrame(); }
    CPreviewPanel& Panel() { return *qobject_cast<CPreviewPanel*>(Child().PreviewPanel()); }
    int Row(const char* name, int kind = kMetaName) {
        return View().Catalogue().findByName(name, kind);
    }
    QLineEdit* Line(int row) { return qobject_cast<QLineEdit*>(View().ValueBox(row)); }
    QPlainTextEdit* Text(int row) { return qobject_cast<QPlainTextEdit*>(View().ValueBox(row)); }
    bool Shown(int row) { return View().Catalogue().at(row).visible; }
    void Type(int row, const QString& text) {
        QWidget* box = View().ValueBox(row);
        box->setFocus();
        if (auto* line = qobject_cast<QLineEdit*>(box)) {
            line->selectAll();
        } else {
            qobject_cast<QPlainTextEdit*>(box)->selectAll();
        }
        QTest::keyClicks(box, text);
    }

    test::TempDir dir;
    test::ScriptedAppUi ui;
    MemorySettingsStore settings;
    std::unique_ptr<CVantleApp> app;
};

TEST_F(PreviewTest, RowsOfTodaysTagsAppearAndWriteTheirOwnAttributes) {
    const std::string page = dir.Write(
        "og.html", "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<title>T</title>\n"
                   "<meta property=\"og:title\" content=\"Card\">\n"
                   "<meta property=\"article:author\" content=\"Ann\">\n"
                   "<meta name=\"og:title\" content=\"Named\">\n"
                   "<link rel=\"canonical\" href=\"https://e.org/og\">\n"
                   "<link rel=\"alternate\" hreflang=\"de\" href=\"https://e.org/de/og\">\n"
                   "</head>\n<body><p>b</p></body></html>\n");
    Start(page);
    const int ogTitle = Row("og:title", kMetaProperty);
    ASSERT_GE(ogTitle, 0);
    EXPECT_TRUE(Shown(ogTitle));
    EXPECT_EQ(View().RowValue(ogTitle), "Card");
    // The other Open Graph rows are there but hidden while empty.
    EXPECT_FALSE(Shown(Row("og:description", kMetaProperty)));
    // Tags the catalogue does not have get rows of their own kind.
    const int author = Row("article:author", kMetaProperty);
    const int named = Row("og:title");
    const int alternate = Row("alternate:de", kLinkItem);
    ASSERT_GE(author, StandardTagCount);
    ASSERT_GE(named, StandardTagCount);
    ASSERT_GE(alternate, StandardTagCount);
    EXPECT_EQ(View().RowValue(author), "Ann");
    EXPECT_EQ(View().RowValue(named), "Named");
    EXPECT_EQ(View().RowValue(Row("canonical", kLinkItem)), "https://e.org/og");
    EXPECT_EQ(View().RowValue(Row("lang", kHtmlLang)), "en");

    Type(ogTitle, "New card");
    Type(Row("lang", kHtmlLang), "en-GB");
    Type(alternate, "https://e.org/de/neu");
    // A tag the page does not have yet is typed with all fields shown.
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kViewAllFields));
    Type(Row("og:site_name", kMetaProperty), "Example");
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kFileSave));
    const std::string saved = ReadFile(page);
    EXPECT_NE(saved.find("<meta property=\"og:title\" content=\"New card\"/>"), std::string::npos)
        << saved;
    EXPECT_NE(saved.find("<meta name=\"og:title\" content=\"Named\">"), std::string::npos);
    EXPECT_NE(saved.find("<html lang=\"en-GB\">"), std::string::npos);
    EXPECT_NE(saved.find("<link rel=\"alternate\" hreflang=\"de\" href=\"https://e.org/de/neu\">"),
              std::string::npos);
    EXPECT_NE(saved.find("\t<meta property=\"og:site_name\" content=\"Example\"/>"),
              std::string::npos);
    EXPECT_TRUE(saved.ends_with("</head>\n<body><p>b</p></body></html>\n"));
}

TEST_F(PreviewTest, CardsFollowTheTextAndCutAtTheWidths) {
    dir.Write("site/img/card.png", "");
    QImage image(240, 126, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(QString::fromStdString(dir / "site/img/card.png")));
    const std::string page = dir.Write(
        "site/docs/p.html", "<html><head><title>Short</title></head><body></body></html>");
    Start(page);
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kViewPreviews));
    EXPECT_TRUE(Child().PreviewPanel()->isVisible());
    EXPECT_EQ(settings.GetSettingInt("Layout", "SocialPreviews", 0), 1);
    EXPECT_EQ(Panel().ShownTitle().text, "Short");
    EXPECT_FALSE(Panel().ShownTitle().cut);
    EXPECT_EQ(Panel().TitleLevel(), CounterLevel::Close); // under the shortest advised

    const QString longTitle = QString("A title far too long for one line of results, ") +
                              "written on and on about meta-data and search engines";
    Type(0, longTitle);
    const FittedText& title = Panel().ShownTitle();
    EXPECT_TRUE(title.cut);
    EXPECT_LE(TextWidthPixels(title.text, 20), 580);
    EXPECT_GT(TextWidthPixels(title.text, 20), 480); // as much as fits, not a stub
    EXPECT_EQ(title.chars, static_cast<std::size_t>(longTitle.size()));
    EXPECT_EQ(Panel().TitleLevel(), CounterLevel::Over);
    EXPECT_TRUE(Panel().TitleCounter().endsWith(" of 580 px"))
        << Panel().TitleCounter().toStdString();
    EXPECT_EQ(Panel().ShownCard().title, longTitle.toStdString()); // no og:title: the title

    Panel().MobileButton()->click();
    EXPECT_TRUE(Panel().Mobile());
    EXPECT_LE(TextWidthPixels(Panel().ShownTitle().text, 20), 500);
    EXPECT_TRUE(Panel().TitleCounter().endsWith(" of 500 px"));
    EXPECT_EQ(settings.GetSettingInt("Previews", "Mobile", 0), 1);

    // The card takes og: values as they are typed, and the image beside the
    // page; a remote image shows the placeholder.
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kViewAllFields));
    Type(Row("og:title", kMetaProperty), "Card title");
    EXPECT_EQ(Panel().ShownCard().title, "Card title");
    EXPECT_TRUE(Panel().CardImage().isNull());
    Type(Row("og:image", kMetaProperty), "../img/card.png");
    EXPECT_FALSE(Panel().CardImage().isNull());
    EXPECT_EQ(Panel().CardImage().size(), QSize(240, 126));
    Type(Row("og:image", kMetaProperty), "https://cdn.example/card.png");
    EXPECT_TRUE(Panel().CardImage().isNull());
    EXPECT_TRUE(Panel().ImageNote().contains("https://cdn.example/card.png"));

    // A description over the width is cut too; the counters say so.
    const int description = Row("description");
    Type(description, QString("word ").repeated(60));
    EXPECT_TRUE(Panel().ShownDescription().cut);
    EXPECT_LE(TextWidthPixels(Panel().ShownDescription().text, 14), 680);
    EXPECT_EQ(Panel().DescriptionLevel(), CounterLevel::Over);

    // The panel is shown again at the next start.
    app->Shutdown();
    app.reset();
    Start(page);
    EXPECT_TRUE(Child().PreviewPanelShown());
    EXPECT_TRUE(Panel().Mobile());
}

TEST_F(PreviewTest, LiveWebPreviewShowsTheEditsOnceTypingPauses) {
    const std::string page =
        dir.Write("live.html", "<html><head><title>Saved</title></head><body></body></html>");
    Start(page);
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kViewSplit));
    QWebEngineView* browser = Child().Preview()->Browser();
    ASSERT_NE(browser, nullptr);
    const QUrl file = QUrl::fromLocalFile(QString::fromStdString(page));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->url() == file; }, 20000));
    // Off by default: typing leaves the preview on the file.
    Type(0, "Edited");
    QTest::qWait(900);
    EXPECT_EQ(browser->url(), file);

    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kLivePreview));
    EXPECT_TRUE(app->Frame()->QueryCommand(cmd::kLivePreview).checked);
    EXPECT_EQ(settings.GetSettingInt("Layout", "LivePreview", 0), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->url() != file; }, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->title() == "Edited"; }, 20000));
    Type(0, "Edited again");
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->title() == "Edited again"; }, 20000));
    // Off again: the file as saved.
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kLivePreview));
    ASSERT_TRUE(QTest::qWaitFor([&] { return browser->url() == file; }, 20000));
}

} // namespace
} // namespace orlen
