// The site overview, offscreen: the pages of a copy of examples/site with
// their findings, sorting and filtering, a large scan cancelled, opening a
// page from a row, editing a title in place, and pages changed on disk or
// saved by the editor.
#include "../../shell/ui/scripted_app_ui.h"
#include "../../temp_dir.h"
#include "document/file_listing.h"
#include "shell/command_ids.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/file_tree_view.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/vantle_app.h"
#include "tags/tag_catalogue.h"
#include "tags/ui/options_sheet.h"
#include "tags/ui/site_view.h"
#include "tags/ui/vantle_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace orlen {
namespace {

namespace fs = std::filesystem;

// Waits are bounded only so that a broken build fails instead of hanging.
constexpr int kBound = 60000;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string BodyOf(const std::string& text) {
    return text.substr(text.find("</head>"));
}

bool WaitFor(QObject* object, const char* signal, const std::function<bool()>& done) {
    QSignalSpy spy(object, signal);
    while (!done()) {
        if (!spy.wait(kBound)) {
            return done();
        }
    }
    return true;
}

class SiteViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(fs::path(ORLEN_SOURCE_DIR) / "examples" / "site", dir.Path(),
                 fs::copy_options::recursive);
    }

    // A view of its own, shown, with the scan of the folder ended.
    CSiteView& ScannedView(const std::string& root) {
        view = std::make_unique<CSiteView>(settings, fileTypes);
        view->resize(1200, 600);
        view->show();
        Scan(root);
        return *view;
    }
    void Scan(const std::string& root) {
        QSignalSpy finished(view.get(), &CSiteView::ScanFinished);
        view->SetProjectDirectory(root);
        EXPECT_TRUE(finished.count() > 0 || finished.wait(kBound));
    }

    const PageAudit* Page(const std::string& relative) const {
        const int row = view->Model()->RowOfPath(relative);
        return row < 0 ? nullptr : &view->Model()->Pages()[static_cast<std::size_t>(row)];
    }
    std::set<std::string> Ids(const std::string& relative) const {
        std::set<std::string> ids;
        if (const PageAudit* p = Page(relative)) {
            for (const Finding& f : p->findings) {
                ids.insert(f.id);
            }
        }
        return ids;
    }
    // The files of the rows the table shows, top to bottom.
    std::vector<std::string> Shown() const {
        std::vector<std::string> files;
        const QAbstractItemModel* shown = view->Table()->model();
        for (int row = 0; row < shown->rowCount(); ++row) {
            files.push_back(
                shown->index(row, CSiteModel::FileColumn).data().toString().toStdString());
        }
        return files;
    }
    int ShownRow(const std::string& relative) const {
        const std::vector<std::string> files = Shown();
        const auto at = std::find(files.begin(), files.end(), relative);
        return at == files.end() ? -1 : static_cast<int>(at - files.begin());
    }
    void ClickHeading(int column) {
        QHeaderView* header = view->Table()->horizontalHeader();
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    }

    test::TempDir dir;
    MemorySettingsStore settings;
    std::string fileTypes{kDefaultFileTypes};
    std::unique_ptr<CSiteView> view;
};

TEST_F(SiteViewTest, ListsTheExampleSiteWithItsFindings) {
    ScannedView(dir.Path().string());
    // Every listed page, templates and other types left out.
    EXPECT_EQ(view->Model()->rowCount(), 11);
    EXPECT_EQ(Page("site.mtpl"), nullptr);
    EXPECT_EQ(Page("notes.txt"), nullptr);
    // The two frames share a title: each is told of the other.
    EXPECT_TRUE(Ids("frames/menu.html").count("title-duplicate"));
    EXPECT_TRUE(Ids("frames/main.html").count("title-duplicate"));
    EXPECT_FALSE(Ids("frames/index.html").count("title-duplicate"));
    EXPECT_TRUE(Ids("frames/menu.html").count("description-missing"));
    EXPECT_TRUE(Ids("nohead.html").count("page-no-head"));
    EXPECT_TRUE(Ids("news/2026-spring.html").count("description-too-long"));
    // about.htm is in ISO-8859-1: its description reads as the author wrote it.
    ASSERT_NE(Page("about.htm"), nullptr);
    EXPECT_FALSE(Ids("about.htm").count("description-missing"));
    EXPECT_NE(Page("about.htm")->description.find("Hélène and François"), std::string::npos);

    const QAbstractItemModel* model = view->Model();
    const int menu = view->Model()->RowOfPath("frames/menu.html");
    EXPECT_EQ(model->index(menu, CSiteModel::TitleColumn).data().toString(), "Price list");
    EXPECT_EQ(model->index(menu, CSiteModel::TitleLengthColumn).data().toString(),
              "10 chars, 76 px");
    // The findings cell's tooltip carries the messages.
    const QString tip =
        model->index(menu, CSiteModel::FindingsColumn).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains("warning: title-duplicate: The same title as frames/main.html"))
        << tip.toStdString();
    EXPECT_EQ(view->Summary()->text().toStdString(), "11 pages, 2 with errors, 6 with warnings");
    EXPECT_FALSE(view->ProgressPanel()->isVisible());
}

TEST_F(SiteViewTest, BadgesAreDrawnInTheColourOfTheirSeverity) {
    ScannedView(dir.Path().string());
    const int row = ShownRow("nohead.html");
    ASSERT_GE(row, 0);
    view->Table()->setColumnWidth(CSiteModel::FindingsColumn, 600);
    const QRect cell =
        view->Table()->visualRect(view->Table()->model()->index(row, CSiteModel::FindingsColumn));
    const QImage image = view->Table()->viewport()->grab(cell).toImage();
    // nohead.html has errors (red) and a warning (amber), no notice (blue).
    bool red = false, amber = false, blue = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red = red || c == CFindingsDelegate::BadgeColour(Severity::Error);
            amber = amber || c == CFindingsDelegate::BadgeColour(Severity::Warning);
            blue = blue || c == CFindingsDelegate::BadgeColour(Severity::Notice);
        }
    }
    EXPECT_TRUE(red);
    EXPECT_TRUE(amber);
    EXPECT_FALSE(blue);
}

TEST_F(SiteViewTest, SortsByEveryColumnFromItsHeading) {
    ScannedView(dir.Path().string());
    ClickHeading(CSiteModel::FileColumn);
    std::vector<std::string> files = Shown();
    EXPECT_EQ(files.front(), "about.htm");
    EXPECT_EQ(files.back(), "readme");
    ClickHeading(CSiteModel::FileColumn);
    EXPECT_EQ(Shown().front(), "readme");

    // Lengths sort as numbers: 10 characters before 24 before 29 before 48.
    ClickHeading(CSiteModel::TitleLengthColumn);
    EXPECT_LT(ShownRow("frames/main.html"), ShownRow("frames/index.html"));
    EXPECT_LT(ShownRow("frames/index.html"), ShownRow("contact.php"));
    EXPECT_LT(ShownRow("contact.php"), ShownRow("index.html"));
    ClickHeading(CSiteModel::DescriptionLengthColumn);
    EXPECT_LT(ShownRow("legacy.html"), ShownRow("frames/main.html"));  // 39 < 48
    EXPECT_LT(ShownRow("contact.php"), ShownRow("frames/index.html")); // 57 < 75
    EXPECT_EQ(Shown().back(), "news/2026-spring.html");                // 189, the longest

    // Findings: the pages with errors last going up, first going down.
    ClickHeading(CSiteModel::FindingsColumn);
    files = Shown();
    EXPECT_EQ(std::set<std::string>(files.end() - 2, files.end()),
              (std::set<std::string>{"nohead.html", "readme"}));
    ClickHeading(CSiteModel::FindingsColumn);
    files = Shown();
    EXPECT_EQ(std::set<std::string>(files.begin(), files.begin() + 2),
              (std::set<std::string>{"nohead.html", "readme"}));

    // The text columns, without regard to case.
    for (int column : {int(CSiteModel::TitleColumn), int(CSiteModel::DescriptionColumn),
                       int(CSiteModel::KeywordsColumn), int(CSiteModel::RobotsColumn)}) {
        ClickHeading(column);
        const QAbstractItemModel* shown = view->Table()->model();
        const Qt::SortOrder order = view->Table()->horizontalHeader()->sortIndicatorOrder();
        EXPECT_EQ(view->Table()->horizontalHeader()->sortIndicatorSection(), column);
        for (int row = 1; row < shown->rowCount(); ++row) {
            const QString a = shown->index(row - 1, column).data().toString();
            const QString b = shown->index(row, column).data().toString();
            const int c = QString::compare(a, b, Qt::CaseInsensitive);
            EXPECT_TRUE(order == Qt::AscendingOrder ? c <= 0 : c >= 0)
                << column << ": " << a.toStdString() << " / " << b.toStdString();
        }
    }
}

TEST_F(SiteViewTest, FiltersByTextAndByFinding) {
    ScannedView(dir.Path().string());
    // The text is looked for in the file, the title and the description.
    QTest::keyClicks(view->FilterEdit(), "PRICE");
    std::vector<std::string> files = Shown();
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
              (std::set<std::string>{"frames/index.html", "frames/main.html", "frames/menu.html"}));
    EXPECT_EQ(view->Summary()->text().toStdString(),
              "11 pages, 2 with errors, 6 with warnings (3 shown)");
    view->FilterEdit()->clear();
    QTest::keyClicks(view->FilterEdit(), "news/");
    EXPECT_EQ(Shown().size(), 2u);
    QTest::keyClicks(view->FilterEdit(), "2026-spring");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"news/2026-spring.html"}));
    view->FilterEdit()->clear();
    EXPECT_EQ(Shown().size(), 11u);

    QComboBox* combo = view->FindingCombo();
    ASSERT_EQ(combo->count(), 3 + static_cast<int>(FindingKinds().size()));
    EXPECT_EQ(combo->itemText(0), "All pages");
    combo->setCurrentIndex(CSiteFilter::WithErrors);
    files = Shown();
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
              (std::set<std::string>{"nohead.html", "readme"}));
    combo->setCurrentIndex(CSiteFilter::WithWarnings);
    files = Shown();
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
              (std::set<std::string>{"frames/index.html", "frames/main.html", "frames/menu.html",
                                     "contact.php", "nohead.html", "readme"}));
    combo->setCurrentIndex(combo->findText("title-duplicate"));
    files = Shown();
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()),
              (std::set<std::string>{"frames/main.html", "frames/menu.html"}));
    // Both filters at once.
    QTest::keyClicks(view->FilterEdit(), "menu");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"frames/menu.html"}));
}

TEST_F(SiteViewTest, ALargeScanCanBeCancelledAndTheViewStaysUsable) {
    test::TempDir big;
    for (int i = 0; i < 3000; ++i) {
        big.Write("d" + std::to_string(i % 30) + "/page" + std::to_string(i) + ".html",
                  "<html><head><meta charset=\"utf-8\"><title>Page number " + std::to_string(i) +
                      " of a large generated site</title></head><body><p>Text</p></body></html>\n");
    }
    view = std::make_unique<CSiteView>(settings, fileTypes);
    view->resize(1000, 500);
    view->show();
    QSignalSpy finished(view.get(), &CSiteView::ScanFinished);
    view->SetProjectDirectory(big.Path().string());
    EXPECT_TRUE(view->Scanning());
    EXPECT_TRUE(view->ProgressPanel()->isVisible());
    QTest::mouseClick(view->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(kBound));
    EXPECT_FALSE(view->Scanning());
    EXPECT_FALSE(view->ProgressPanel()->isVisible());
    EXPECT_LT(view->Model()->rowCount(), 3000);
    EXPECT_TRUE(view->Summary()->text().endsWith("scan cancelled"))
        << view->Summary()->text().toStdString();

    // The view still answers: a filter, then a whole scan to the end.
    QTest::keyClicks(view->FilterEdit(), "zzz");
    EXPECT_EQ(view->Table()->model()->rowCount(), 0);
    view->FilterEdit()->clear();
    finished.clear();
    view->Rescan();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(kBound));
    EXPECT_EQ(view->Model()->rowCount(), 3000);
    // Each generated page lacks a description: a warning on every page.
    EXPECT_EQ(view->Summary()->text().toStdString(),
              "3000 pages, 0 with errors, 3000 with warnings");
}

TEST_F(SiteViewTest, ANewFolderReplacesTheRowsOfTheOldOne) {
    ScannedView((dir.Path() / "news").string());
    EXPECT_EQ(view->Model()->rowCount(), 2);
    Scan((dir.Path() / "frames").string());
    EXPECT_EQ(view->Model()->rowCount(), 3);
    EXPECT_NE(Page("menu.html"), nullptr);
    EXPECT_EQ(Page("2026-spring.html"), nullptr);
}

TEST_F(SiteViewTest, EditingATitleSavesThePageAndClearsTheDuplicate) {
    ScannedView(dir.Path().string());
    const std::string menuPath = dir / "frames/menu.html";
    const std::string before = ReadFile(menuPath);
    const int row = ShownRow("frames/menu.html");
    ASSERT_GE(row, 0);
    QTableView* table = view->Table();
    const QModelIndex cell = table->model()->index(row, CSiteModel::TitleColumn);
    table->setFocus();
    table->setCurrentIndex(cell);
    QTest::keyClick(table, Qt::Key_F2);
    auto* editor = table->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor->text(), "Price list");
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "Price list - menu frame & more");
    QTest::keyClick(editor, Qt::Key_Return);
    // The delegate commits the edit from the event loop.
    QApplication::processEvents();

    const std::string after = ReadFile(menuPath);
    EXPECT_NE(after.find("<title>Price list - menu frame &amp; more</title>"), std::string::npos)
        << after;
    EXPECT_EQ(BodyOf(after), BodyOf(before));
    EXPECT_EQ(Page("frames/menu.html")->title, "Price list - menu frame & more");
    EXPECT_FALSE(Ids("frames/menu.html").count("title-duplicate"));
    EXPECT_FALSE(Ids("frames/main.html").count("title-duplicate"));

    // Ctrl+Z in the table puts the page's bytes back, once, and the
    // duplicate with them.
    ASSERT_TRUE(view->CanUndo());
    table->setFocus();
    QTest::keyClick(table, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ReadFile(menuPath), before);
    EXPECT_TRUE(Ids("frames/menu.html").count("title-duplicate"));
    EXPECT_FALSE(view->CanUndo());
    EXPECT_FALSE(view->UndoLastEdit());
    EXPECT_EQ(ReadFile(menuPath), before);
}

// An edit is not undone over what another program wrote since.
TEST_F(SiteViewTest, UndoLeavesAPageChangedOnDiskSinceAlone) {
    ScannedView(dir.Path().string());
    const int row = ShownRow("about.htm");
    ASSERT_GE(row, 0);
    ASSERT_TRUE(view->Table()->model()->setData(
        view->Table()->model()->index(row, CSiteModel::TitleColumn),
        QStringLiteral("About the two bakers of Crumb & Co."), Qt::EditRole));
    ASSERT_TRUE(view->CanUndo());
    const std::string elsewhere = dir.Write("about.htm", "<head><title>Theirs</title></head>");
    QSignalSpy status(view.get(), &CSiteView::StatusText);
    EXPECT_FALSE(view->UndoLastEdit());
    EXPECT_EQ(ReadFile(elsewhere), "<head><title>Theirs</title></head>");
    ASSERT_FALSE(status.isEmpty());
    EXPECT_TRUE(status.last().at(0).toString().contains(QStringLiteral("changed on disk")));
}

TEST_F(SiteViewTest, EditingADescriptionAddsItInThePagesCharset) {
    ScannedView(dir.Path().string());
    const std::string path = dir / "about.htm";
    const std::string before = ReadFile(path);
    const int row = view->Model()->RowOfPath("about.htm");
    const QModelIndex cell = view->Model()->index(row, CSiteModel::DescriptionColumn);
    ASSERT_TRUE(view->Model()->setData(cell, QString("Hélène's bakery"), Qt::EditRole));
    const std::string after = ReadFile(path);
    // ISO-8859-1 bytes, as the page declares.
    EXPECT_NE(after.find("content=\"H\xe9l\xe8ne's bakery\""), std::string::npos);
    EXPECT_EQ(BodyOf(after), BodyOf(before));
    EXPECT_EQ(Page("about.htm")->description, "Hélène's bakery");
    EXPECT_TRUE(Ids("about.htm").count("description-too-short"));
}

TEST_F(SiteViewTest, APageWithoutAHeadIsNotWrittenFromItsCell) {
    ScannedView(dir.Path().string());
    const std::string path = dir / "nohead.html";
    const std::string before = ReadFile(path);
    QSignalSpy status(view.get(), &CSiteView::StatusText);
    const int row = view->Model()->RowOfPath("nohead.html");
    EXPECT_FALSE(view->Model()->setData(view->Model()->index(row, CSiteModel::TitleColumn),
                                        QString("A title"), Qt::EditRole));
    EXPECT_EQ(ReadFile(path), before);
    ASSERT_EQ(status.count(), 1);
    EXPECT_TRUE(status[0][0].toString().startsWith("The page nohead.html was not saved."));
}

TEST_F(SiteViewTest, PagesChangedAddedOrRemovedOnDiskArePickedUp) {
    ScannedView(dir.Path().string());
    // Written in place by another program.
    {
        std::string text = ReadFile(dir / "frames/main.html");
        text.replace(text.find("<title>Price list</title>"), 25,
                     "<title>The main frame of the price list</title>");
        std::ofstream(dir / "frames/main.html", std::ios::binary | std::ios::trunc) << text;
    }
    ASSERT_TRUE(WaitFor(view.get(), SIGNAL(PagesRefreshed()), [&] {
        return Page("frames/main.html")->title == "The main frame of the price list";
    }));
    EXPECT_FALSE(Ids("frames/menu.html").count("title-duplicate"));

    dir.Write("news/2026-summer.html",
              "<html><head><title>Summer</title></head><body></body></html>");
    ASSERT_TRUE(WaitFor(view.get(), SIGNAL(PagesRefreshed()),
                        [&] { return Page("news/2026-summer.html") != nullptr; }));
    fs::remove(dir / "legacy.html");
    ASSERT_TRUE(WaitFor(view.get(), SIGNAL(PagesRefreshed()),
                        [&] { return Page("legacy.html") == nullptr; }));
    EXPECT_EQ(view->Model()->rowCount(), 11);
    // A new folder with pages in it, then the folder removed.
    dir.Write("shop/cart.html", "<html><head><title>Cart</title></head><body></body></html>");
    ASSERT_TRUE(WaitFor(view.get(), SIGNAL(PagesRefreshed()),
                        [&] { return Page("shop/cart.html") != nullptr; }));
    fs::remove_all(dir / "shop");
    ASSERT_TRUE(WaitFor(view.get(), SIGNAL(PagesRefreshed()),
                        [&] { return Page("shop/cart.html") == nullptr; }));
    EXPECT_EQ(view->Model()->rowCount(), 11);
}

TEST_F(SiteViewTest, ExportsCsvAndJsonLines) {
    ScannedView(dir.Path().string());
    ClickHeading(CSiteModel::FileColumn); // the export keeps the order read
    const std::string csv = dir / "out.csv";
    ASSERT_TRUE(view->Export(QString::fromStdString(csv)));
    const std::string text = ReadFile(csv);
    EXPECT_EQ(text.substr(0, text.find("\r\n")),
              "file,title,title characters,title pixels,description,description characters,"
              "description pixels,keywords,robots,findings");
    EXPECT_NE(text.find("\r\nframes/menu.html,Price list,10,76,,0,0,,\"noindex, follow\","
                        "warning:title-too-short warning:title-duplicate "
                        "warning:description-missing warning:robots-noindex "
                        "notice:obsolete-tag\r\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12);

    const std::string json = dir / "out.json";
    ASSERT_TRUE(view->Export(QString::fromStdString(json)));
    const std::string lines = ReadFile(json);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 11);
    EXPECT_NE(lines.find("\"path\":\"nohead.html\""), std::string::npos);
    EXPECT_NE(lines.find("\"title\":null"), std::string::npos);
}

TEST_F(SiteViewTest, LimitsSetInTheOptionsSheetApplyToTheNextScan) {
    ScannedView(dir.Path().string());
    EXPECT_FALSE(Ids("index.html").count("title-too-long"));
    TagCatalogue catalogue(settings, fileTypes);
    AuditLimits limits = AuditLimits::Load(settings);
    COptionsSheet sheet(catalogue, fileTypes);
    sheet.AddSiteLimitsPage(limits);
    ASSERT_EQ(sheet.Tabs()->count(), 4);
    EXPECT_EQ(sheet.Tabs()->tabText(3), "Site checks");
    CSiteLimitsPage* page = sheet.SiteLimitsPage();
    EXPECT_EQ(page->Box(CSiteLimitsPage::TitleMaxChars)->value(), 60);
    EXPECT_FALSE(sheet.ApplyButton()->isEnabled());
    page->Box(CSiteLimitsPage::TitleMaxChars)->setValue(40);
    EXPECT_TRUE(sheet.ApplyButton()->isEnabled());
    QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
    EXPECT_EQ(limits.titleMaxChars, 40);
    EXPECT_EQ(limits.titleMinChars, 30); // the others as they were
    limits.Store(settings);

    QSignalSpy finished(view.get(), &CSiteView::ScanFinished);
    view->Rescan();
    ASSERT_TRUE(finished.count() > 0 || finished.wait(kBound));
    // index.html's title has 48 characters.
    EXPECT_TRUE(Ids("index.html").count("title-too-long"));
}

// --- In the window ------------------------------------------------------------

class SiteWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::copy(fs::path(ORLEN_SOURCE_DIR) / "examples" / "site", dir.Path(),
                 fs::copy_options::recursive);
        app = std::make_unique<CVantleApp>(ui, settings);
        ASSERT_TRUE(app->Startup(std::nullopt, false));
        ui.folders.push_back(dir.Path().string());
        ASSERT_TRUE(Frame().RouteCommand(cmd::kBrowse));
    }
    CMainFrame& Frame() { return *app->Frame(); }
    CChildFrame& Child() { return *Frame().ChildFrame(); }
    CSiteView& Site() { return *app->SiteView(); }
    void ShowSite() {
        QSignalSpy finished(&Site(), &CSiteView::ScanFinished);
        ASSERT_TRUE(Frame().RouteCommand(cmd::kViewSite));
        ASSERT_TRUE(finished.count() > 0 || finished.wait(kBound));
    }
    QModelIndex Cell(const std::string& relative, int column) {
        const QAbstractItemModel* shown = Site().Table()->model();
        for (int row = 0; row < shown->rowCount(); ++row) {
            const QModelIndex file = shown->index(row, CSiteModel::FileColumn);
            if (file.data().toString().toStdString() == relative) {
                return shown->index(row, column);
            }
        }
        return {};
    }
    void DoubleClick(const QModelIndex& cell) {
        QTableView* table = Site().Table();
        const QPoint at = table->visualRect(cell).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, at);
    }

    test::TempDir dir;
    test::ScriptedAppUi ui;
    MemorySettingsStore settings;
    std::unique_ptr<CVantleApp> app;
};

TEST_F(SiteWindowTest, TheSiteTabAndCommandShowTheOverview) {
    EXPECT_EQ(Child().TabBar()->count(), 3);
    EXPECT_EQ(Child().TabBar()->tabText(2), "Site");
    ASSERT_NE(Frame().Action(cmd::kViewSite), nullptr);
    EXPECT_FALSE(Frame().Action(cmd::kViewSite)->icon().isNull());
    ShowSite();
    EXPECT_EQ(Child().Mode(), SiteMode);
    EXPECT_EQ(Child().TabBar()->currentIndex(), 2);
    EXPECT_TRUE(Site().isVisible());
    EXPECT_FALSE(Child().MetaDataPane()->isVisible());
    EXPECT_EQ(Site().Model()->rowCount(), 11);
    Frame().UpdateCommandUi();
    EXPECT_TRUE(Frame().Action(cmd::kViewSite)->isChecked());
    EXPECT_TRUE(Frame().Action(cmd::kExportSite)->isEnabled());
    // The tab bar's Meta-data tab goes back to the form.
    Child().TabBar()->setCurrentIndex(0);
    QApplication::processEvents();
    EXPECT_EQ(Child().Mode(), MetaDataMode);
    EXPECT_TRUE(Child().MetaDataPane()->isVisible());
    EXPECT_FALSE(Site().isVisible());
    // And the Site tab brings the overview back without a new scan.
    Child().TabBar()->setCurrentIndex(2);
    QApplication::processEvents();
    EXPECT_EQ(Child().Mode(), SiteMode);
    EXPECT_FALSE(Site().Scanning());
}

TEST_F(SiteWindowTest, DoubleClickAndEnterOpenThePageInTheEditingView) {
    ShowSite();
    DoubleClick(Cell("about.htm", CSiteModel::TitleColumn));
    EXPECT_EQ(app->Doc().GetPathName(), dir / "about.htm");
    EXPECT_EQ(Child().Mode(), MetaDataMode);

    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewSite));
    QTableView* table = Site().Table();
    table->setFocus();
    table->setCurrentIndex(Cell("contact.php", CSiteModel::FileColumn));
    QTest::keyClick(table, Qt::Key_Return);
    EXPECT_EQ(app->Doc().GetPathName(), dir / "contact.php");
    EXPECT_EQ(Child().Mode(), MetaDataMode);
}

TEST_F(SiteWindowTest, F6MovesTheFocusBetweenTheFileBrowserAndTheTable) {
    ShowSite();
    QApplication::setActiveWindow(&Frame());
    Frame().FileTree()->Tree()->setFocus();
    ASSERT_TRUE(Frame().RouteCommand(cmd::kNextPane));
    EXPECT_EQ(QApplication::focusWidget(), Site().Table());
    ASSERT_TRUE(Frame().RouteCommand(cmd::kNextPane));
    EXPECT_EQ(QApplication::focusWidget(), Frame().FileTree()->Tree());
}

TEST_F(SiteWindowTest, OpeningFromTheOverviewAsksToSaveChangesFirst) {
    ShowSite();
    DoubleClick(Cell("about.htm", CSiteModel::FileColumn));
    ASSERT_EQ(app->Doc().GetPathName(), dir / "about.htm");
    app->Doc().SetModifiedFlag(true);
    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewSite));
    ui.doc.answers.push_back(Answer::Cancel);
    DoubleClick(Cell("index.html", CSiteModel::FileColumn));
    ASSERT_EQ(ui.doc.questions.size(), 1u);
    EXPECT_NE(ui.doc.questions[0].find("Save changes"), std::string::npos);
    // Cancelled: the page and the overview stay.
    EXPECT_EQ(app->Doc().GetPathName(), dir / "about.htm");
    EXPECT_EQ(Child().Mode(), SiteMode);
}

TEST_F(SiteWindowTest, APageSavedByTheEditorRefreshesItsRowAtOnce) {
    ShowSite();
    ASSERT_TRUE(app->OpenByPath(dir / "frames/main.html"));
    ASSERT_TRUE(Frame().RouteCommand(cmd::kViewMetaData));
    // Typed into the form's title box, then saved.
    auto* title = qobject_cast<QLineEdit*>(app->View()->ValueBox(0));
    ASSERT_NE(title, nullptr);
    title->selectAll();
    QTest::keyClicks(title, "Our prices");
    ASSERT_TRUE(Frame().RouteCommand(cmd::kFileSave));
    // No wait: the save itself refreshed the row and the duplicates.
    EXPECT_EQ(Cell("frames/main.html", CSiteModel::TitleColumn).data().toString(), "Our prices");
    const QString menu = Cell("frames/menu.html", CSiteModel::FindingsColumn).data().toString();
    EXPECT_FALSE(menu.contains("title-duplicate")) << menu.toStdString();
}

} // namespace
} // namespace orlen
