// The web preview pane: the navigation rule on its own, then the pane with a
// real browser engine on the offscreen platform.
#include "../../temp_dir.h"
#include "shell/ui/web_preview_view.h"

#include <QFile>
#include <QImage>
#include <QPrintDialog>
#include <QPrinter>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

namespace {

using orlen::AllowPreviewNavigation;
using orlen::CWebPreviewView;
using orlen::test::TempDir;

// ---------------------------------------------------------------------------
// The navigation rule

struct NavigationCase {
    bool firstAllowed;
    bool isMainFrame;
    bool expectAllowed;
    bool expectFirstAllowedAfter;
};

TEST(PreviewNavigationRule, Table) {
    const NavigationCase cases[] = {
        // The first navigation after an initial update goes through, once.
        {true, true, true, false},
        // Any later one of the top-level page is refused and changes nothing.
        {false, true, false, false},
        // Sub-frames always navigate; letting one through clears the flag too.
        {true, false, true, false},
        {false, false, true, false},
    };
    for (const auto& c : cases) {
        bool flag = c.firstAllowed;
        EXPECT_EQ(AllowPreviewNavigation(flag, c.isMainFrame), c.expectAllowed)
            << "first allowed " << c.firstAllowed << ", main frame " << c.isMainFrame;
        EXPECT_EQ(flag, c.expectFirstAllowedAfter)
            << "first allowed " << c.firstAllowed << ", main frame " << c.isMainFrame;
    }
}

TEST(PreviewNavigationRule, OnlyTheFirstTopLevelNavigationOfASeriesGoesThrough) {
    bool flag = true;
    EXPECT_TRUE(AllowPreviewNavigation(flag, true));  // the page itself
    EXPECT_TRUE(AllowPreviewNavigation(flag, false)); // its frames
    EXPECT_TRUE(AllowPreviewNavigation(flag, false));
    EXPECT_FALSE(AllowPreviewNavigation(flag, true)); // a link clicked
    EXPECT_FALSE(AllowPreviewNavigation(flag, true)); // and another
    EXPECT_TRUE(AllowPreviewNavigation(flag, false)); // a link inside a frame
    flag = true;                                      // the next initial update
    EXPECT_TRUE(AllowPreviewNavigation(flag, true));
    EXPECT_FALSE(AllowPreviewNavigation(flag, true));
}

TEST(PreviewNavigationRule, ViewAllowsTheFirstNavigationFromTheStart) {
    CWebPreviewView view;
    EXPECT_TRUE(view.FirstNavigationAllowed());
    EXPECT_EQ(view.Browser(), nullptr);
}

// ---------------------------------------------------------------------------
// The pane with its browser

constexpr int kTimeoutMs = 20000;

// Why the browser engine cannot run here; empty when it can. Checked once
// with a bare browser, so that a test of the pane fails for the pane's own
// faults and is skipped only when there is no engine at all.
const std::string& EngineProblem() {
    static const std::string problem = []() -> std::string {
        QWebEngineView probe;
        probe.resize(200, 100);
        probe.show();
        QSignalSpy loaded(&probe, &QWebEngineView::loadFinished);
        probe.setHtml(QStringLiteral("<title>probe</title><p>probe</p>"));
        if (!loaded.wait(kTimeoutMs)) {
            return "the browser engine did not load a page within 20 s";
        }
        if (!loaded.first().first().toBool()) {
            return "the browser engine failed to load a page";
        }
        return {};
    }();
    return problem;
}

// Runs a script in the top-level document of the browser and gives its result
// (an invalid QVariant when it did not answer in time).
QVariant RunScript(QWebEngineView* browser, const QString& script) {
    auto result = std::make_shared<std::pair<bool, QVariant>>(false, QVariant());
    browser->page()->runJavaScript(script, [result](const QVariant& value) {
        result->first = true;
        result->second = value;
    });
    static_cast<void>(QTest::qWaitFor([&] { return result->first; }, kTimeoutMs));
    return result->second;
}

QString Title(QWebEngineView* browser) {
    return RunScript(browser, QStringLiteral("document.title")).toString();
}

// Waits until a script gives the expected string.
bool WaitForScript(QWebEngineView* browser, const QString& script, const QString& expected) {
    return QTest::qWaitFor([&] { return RunScript(browser, script).toString() == expected; },
                           kTimeoutMs);
}

bool WaitForLoad(QSignalSpy& loaded) {
    if (loaded.isEmpty() && !loaded.wait(kTimeoutMs)) {
        return false;
    }
    return loaded.last().first().toBool();
}

QUrl FileUrl(const std::string& path) {
    return QUrl::fromLocalFile(QString::fromStdString(path));
}

std::string Page(const std::string& title, const std::string& body) {
    return "<html><head><title>" + title + "</title></head><body>" + body + "</body></html>";
}

class WebPreviewView : public ::testing::Test {
protected:
    void SetUp() override {
        if (!EngineProblem().empty()) {
            GTEST_SKIP() << "No web engine on this machine: " << EngineProblem();
        }
        view_.resize(800, 600);
    }

    // Shows the view; the browser is made now and loads what InitialUpdate
    // asked for.
    QWebEngineView* ShowAndLoad() {
        view_.show();
        QWebEngineView* browser = view_.Browser();
        if (browser == nullptr) {
            ADD_FAILURE() << "no browser after the view was shown";
            return nullptr;
        }
        QSignalSpy loaded(browser, &QWebEngineView::loadFinished);
        EXPECT_TRUE(WaitForLoad(loaded));
        return browser;
    }

    // An initial update of the shown view; waits for the page to load.
    void UpdateAndLoad(const std::string& path, const std::string& text) {
        QSignalSpy loaded(view_.Browser(), &QWebEngineView::loadFinished);
        view_.InitialUpdate(path, text);
        EXPECT_TRUE(WaitForLoad(loaded));
    }

    TempDir dir_;
    CWebPreviewView view_;
};

TEST_F(WebPreviewView, BrowserIsMadeWhenTheViewIsFirstShown) {
    const std::string path = dir_.Write("page.html", Page("File marker", "<p>on disk</p>"));
    view_.InitialUpdate(path, Page("Memory marker", ""));
    EXPECT_EQ(view_.Browser(), nullptr);
    EXPECT_TRUE(view_.FirstNavigationAllowed());

    QWebEngineView* browser = ShowAndLoad();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(browser->parentWidget(), &view_);
    // The browser covers the whole view.
    EXPECT_EQ(browser->geometry(), view_.rect());
    EXPECT_EQ(browser->url(), FileUrl(path));
    EXPECT_EQ(Title(browser), "File marker");
    EXPECT_FALSE(view_.FirstNavigationAllowed());
}

// The private folder for pages never saved: made only when the preview shows
// one, named by the process, and gone with the view.
TEST_F(WebPreviewView, ThePrivateFolderIsMadeOnlyToShowAPageFromMemoryAndGoesWithTheView) {
    auto view = std::make_unique<CWebPreviewView>();
    view->resize(400, 300);
    view->InitialUpdate("", Page("Memory marker", ""));
    EXPECT_EQ(view->ScratchFolder(), ""); // hidden: nothing is shown yet
    const std::string path = dir_.Write("page.html", Page("File marker", ""));
    view->InitialUpdate(path, "");
    view->show();
    ASSERT_NE(view->Browser(), nullptr);
    QSignalSpy fromFile(view->Browser(), &QWebEngineView::loadFinished);
    ASSERT_TRUE(WaitForLoad(fromFile));
    EXPECT_EQ(view->ScratchFolder(), ""); // a page from a file needs none

    QSignalSpy fromMemory(view->Browser(), &QWebEngineView::loadFinished);
    view->InitialUpdate("", Page("Memory marker", ""));
    ASSERT_TRUE(WaitForLoad(fromMemory));
    EXPECT_EQ(Title(view->Browser()), "Memory marker");
    const std::string folder = view->ScratchFolder();
    const std::string name = std::filesystem::path(folder).filename().string();
    EXPECT_EQ(name.rfind(CWebPreviewView::ScratchPrefix() + std::to_string(::getpid()) + "-", 0),
              0u)
        << name;
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    view.reset();
    EXPECT_FALSE(std::filesystem::exists(folder));
}

TEST_F(WebPreviewView, OnlyTheLastInitialUpdateBeforeShowingCounts) {
    const std::string first = dir_.Write("first.html", Page("First", ""));
    view_.InitialUpdate(first, "");
    view_.InitialUpdate("", Page("Second marker", ""));
    QWebEngineView* browser = ShowAndLoad();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(Title(browser), "Second marker");
}

TEST_F(WebPreviewView, ShowsThePageFileNotTheTextInMemory) {
    view_.show();
    ASSERT_NE(view_.Browser(), nullptr);
    const std::string path = dir_.Write("saved.html", Page("Saved marker", "<p>saved</p>"));
    // Unsaved edits are in the text; the preview shows the file on disk.
    UpdateAndLoad(path, Page("Edited marker", "<p>edited</p>"));
    EXPECT_EQ(view_.Browser()->url(), FileUrl(path));
    EXPECT_EQ(Title(view_.Browser()), "Saved marker");
}

TEST_F(WebPreviewView, ShowsTheTextOfANeverSavedPageFromAPrivateFile) {
    view_.show();
    UpdateAndLoad("", Page("Unsaved marker", "<p id='p'>in memory</p>"));
    QWebEngineView* browser = view_.Browser();
    EXPECT_EQ(Title(browser), "Unsaved marker");
    EXPECT_EQ(RunScript(browser, "document.getElementById('p').textContent").toString(),
              "in memory");
    // The text goes through a file only its owner may read.
    ASSERT_TRUE(browser->url().isLocalFile());
    const auto perms =
        std::filesystem::status(browser->url().toLocalFile().toStdString()).permissions();
    EXPECT_EQ(perms & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(WebPreviewView, LiveShowsTheEditsWithImagesFoundBesideThePage) {
    QImage image(8, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    dir_.Write("site/img/dot.png", "");
    ASSERT_TRUE(image.save(QString::fromStdString(dir_ / "site/img/dot.png")));
    const std::string path =
        dir_.Write("site/page.html", Page("Saved marker", "<img id='i' src='img/dot.png'>"));
    view_.show();
    QSignalSpy loaded(view_.Browser(), &QWebEngineView::loadFinished);
    view_.InitialUpdate(path, Page("Edited marker", "<img id='i' src='img/dot.png'>"), true);
    ASSERT_TRUE(WaitForLoad(loaded));
    QWebEngineView* browser = view_.Browser();
    EXPECT_EQ(Title(browser), "Edited marker");
    EXPECT_NE(browser->url(), FileUrl(path)); // a private copy, not the page's file
    EXPECT_TRUE(WaitForScript(browser, "String(document.getElementById('i').naturalWidth)", "8"));
}

TEST_F(WebPreviewView, ShowsANeverSavedPageLargerThanTwoMegabytes) {
    std::string filler;
    while (filler.size() < 3 * 1024 * 1024) {
        filler += "<p>Lorem ipsum dolor sit amet, consectetur adipiscing elit.</p>\n";
    }
    const std::string text = Page("Big marker", filler + "<p id='end'>End marker</p>");
    ASSERT_GT(text.size(), 2u * 1024 * 1024);
    view_.show();
    UpdateAndLoad("", text);
    QWebEngineView* browser = view_.Browser();
    EXPECT_EQ(Title(browser), "Big marker");
    // All of it arrived, up to the last element.
    EXPECT_EQ(RunScript(browser, "document.getElementById('end').textContent").toString(),
              "End marker");
    EXPECT_GT(RunScript(browser, "document.body.innerHTML.length").toInt(), 3 * 1024 * 1024);
}

TEST_F(WebPreviewView, NeverSavedPageIsReadByItsOwnCharset) {
    view_.show();
    // Windows-1252 bytes: e-acute and the euro sign.
    UpdateAndLoad("", "<html><head><meta charset=\"windows-1252\"><title>Caf\xE9 \x80</title>"
                      "</head><body></body></html>");
    EXPECT_EQ(Title(view_.Browser()), QString::fromUtf8("Caf\u00E9 \u20AC"));
    // The same characters in UTF-8.
    UpdateAndLoad("", "<html><head><meta charset=\"utf-8\"><title>Caf\xC3\xA9 \xE2\x82\xAC</title>"
                      "</head><body></body></html>");
    EXPECT_EQ(Title(view_.Browser()), QString::fromUtf8("Caf\u00E9 \u20AC"));
    // Undeclared: UTF-8 when the bytes are valid UTF-8, Windows-1252 otherwise.
    UpdateAndLoad("", Page("Caf\xC3\xA9 \xE2\x82\xAC", ""));
    EXPECT_EQ(Title(view_.Browser()), QString::fromUtf8("Caf\u00E9 \u20AC"));
    UpdateAndLoad("", Page("Caf\xE9 \x80", ""));
    EXPECT_EQ(Title(view_.Browser()), QString::fromUtf8("Caf\u00E9 \u20AC"));
}

TEST_F(WebPreviewView, ClickedLinkDoesNotLeaveThePage) {
    dir_.Write("other.html", Page("Other page", ""));
    const std::string path =
        dir_.Write("main.html", Page("Main marker", "<a id='l' href='other.html'>other</a>"));
    view_.InitialUpdate(path, "");
    QWebEngineView* browser = ShowAndLoad();
    ASSERT_NE(browser, nullptr);

    QSignalSpy refused(&view_, &CWebPreviewView::NavigationRefused);
    RunScript(browser, "document.getElementById('l').click()");
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.size() == 1; }, kTimeoutMs));
    EXPECT_EQ(refused.first().first().toUrl(), FileUrl(dir_ / "other.html"));
    // Give a wrongly accepted navigation time to show.
    QTest::qWait(500);
    EXPECT_EQ(browser->url(), FileUrl(path));
    EXPECT_EQ(Title(browser), "Main marker");

    // A script that moves the page is refused the same way.
    RunScript(browser, "location.href = 'other.html'");
    ASSERT_TRUE(QTest::qWaitFor([&] { return refused.size() == 2; }, kTimeoutMs));
    EXPECT_EQ(refused.last().first().toUrl(), FileUrl(dir_ / "other.html"));
    QTest::qWait(500);
    EXPECT_EQ(browser->url(), FileUrl(path));
    EXPECT_EQ(Title(browser), "Main marker");
}

TEST_F(WebPreviewView, FramesetPageLoadsItsFrames) {
    dir_.Write("left.html", Page("Left frame", "<a id='l' href='third.html'>third</a>"));
    dir_.Write("right.html", Page("Right frame", ""));
    dir_.Write("third.html", Page("Third page", ""));
    const std::string path =
        dir_.Write("frames.html", "<html><head><title>Frameset marker</title></head>"
                                  "<frameset cols='50%,50%'><frame name='left' src='left.html'>"
                                  "<frame name='right' src='right.html'></frameset></html>");
    view_.InitialUpdate(path, "");
    QWebEngineView* browser = ShowAndLoad();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(Title(browser), "Frameset marker");
    EXPECT_TRUE(WaitForScript(browser, "frames[0].document.title", "Left frame"));
    EXPECT_TRUE(WaitForScript(browser, "frames[1].document.title", "Right frame"));

    // A link inside a frame navigates that frame; the frameset stays.
    QSignalSpy refused(&view_, &CWebPreviewView::NavigationRefused);
    RunScript(browser, "frames[0].document.getElementById('l').click()");
    EXPECT_TRUE(WaitForScript(browser, "frames[0].document.title", "Third page"));
    EXPECT_EQ(browser->url(), FileUrl(path));
    EXPECT_EQ(Title(browser), "Frameset marker");
    EXPECT_TRUE(refused.isEmpty());
}

TEST_F(WebPreviewView, EveryInitialUpdateReplacesTheContent) {
    const std::string first = dir_.Write("first.html", Page("First marker", ""));
    const std::string second = dir_.Write("second.html", Page("Second marker", ""));
    view_.InitialUpdate(first, "");
    QWebEngineView* browser = ShowAndLoad();
    ASSERT_NE(browser, nullptr);
    EXPECT_EQ(Title(browser), "First marker");

    UpdateAndLoad("", Page("Memory marker", ""));
    EXPECT_EQ(Title(browser), "Memory marker");
    const QString memoryFile = browser->url().toLocalFile();
    EXPECT_TRUE(QFile::exists(memoryFile));

    UpdateAndLoad(second, "");
    EXPECT_EQ(browser->url(), FileUrl(second));
    EXPECT_EQ(Title(browser), "Second marker");
    EXPECT_FALSE(view_.FirstNavigationAllowed());
    // The file of the page from memory went with it.
    EXPECT_FALSE(QFile::exists(memoryFile));
}

TEST_F(WebPreviewView, ContentChangesOnlyAtAnInitialUpdate) {
    const std::string path = dir_.Write("page.html", Page("Before marker", ""));
    view_.InitialUpdate(path, "");
    QWebEngineView* browser = ShowAndLoad();
    ASSERT_NE(browser, nullptr);
    QSignalSpy started(browser, &QWebEngineView::loadStarted);

    // The file changes on disk and the view is hidden and shown again (a mode
    // change of the frame): nothing reloads.
    dir_.Write("page.html", Page("After marker", ""));
    view_.hide();
    view_.show();
    EXPECT_EQ(view_.Browser(), browser);
    QTest::qWait(300);
    EXPECT_TRUE(started.isEmpty());
    EXPECT_EQ(Title(browser), "Before marker");

    // A reload asked of the browser is a navigation of the top-level page too.
    QSignalSpy refused(&view_, &CWebPreviewView::NavigationRefused);
    browser->reload();
    EXPECT_TRUE(QTest::qWaitFor([&] { return refused.size() == 1; }, kTimeoutMs));
    QTest::qWait(300);
    EXPECT_EQ(Title(browser), "Before marker");
}

TEST_F(WebPreviewView, PrintsThePage) {
    const std::string path = dir_.Write("page.html", Page("Print marker", "<h1>Printed</h1>"));
    view_.InitialUpdate(path, "");
    ASSERT_NE(ShowAndLoad(), nullptr);

    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = dir_ / "out.pdf";
    printer->setOutputFileName(QString::fromStdString(pdf));
    QSignalSpy finished(&view_, &CWebPreviewView::PrintFinished);
    ASSERT_TRUE(view_.PrintOn(std::move(printer)));
    EXPECT_TRUE(view_.IsPrinting());
    // One job at a time.
    EXPECT_FALSE(view_.PrintOn(std::make_unique<QPrinter>()));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, kTimeoutMs));
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_FALSE(view_.IsPrinting());
    EXPECT_EQ(orlen::test::ReadFile(pdf).substr(0, 5), "%PDF-");
}

TEST_F(WebPreviewView, PrintAsksForThePrinterFirst) {
    // Nothing to print before there is a browser.
    view_.Print();
    EXPECT_FALSE(view_.IsPrinting());

    const std::string path = dir_.Write("page.html", Page("Print marker", ""));
    view_.InitialUpdate(path, "");
    ASSERT_NE(ShowAndLoad(), nullptr);

    view_.Print();
    auto dialogs = view_.findChildren<QPrintDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_TRUE(dialogs.first()->isVisible());
    EXPECT_TRUE(view_.IsPrinting());
    view_.Print(); // no second dialog while one is open
    EXPECT_EQ(view_.findChildren<QPrintDialog*>().size(), 1);

    QSignalSpy finished(&view_, &CWebPreviewView::PrintFinished);
    dialogs.first()->reject();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !view_.IsPrinting(); }, kTimeoutMs));
    EXPECT_TRUE(view_.findChildren<QPrintDialog*>().isEmpty());
    EXPECT_TRUE(finished.isEmpty());
}

} // namespace
