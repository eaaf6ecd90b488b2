// Flat menus and toolbars, offscreen: the hook styles the main window's
// menus, and grabs of an open popup, the menu bar and the toolbars show the
// colours worked out from the settings.
#include "../../temp_dir.h"
#include "scripted_app_ui.h"
#include "shell/command_ids.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/menu_style.h"
#include "shell/ui/vantle_app.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSet>
#include <QSignalSpy>
#include <QStyleOption>
#include <QTest>
#include <QToolButton>
#include <cstdlib>
#include <gtest/gtest.h>

namespace orlen {
namespace {

QRgb Rgb(Colour c) {
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}
Colour Of(const QColor& c) {
    return MakeColour(c.red(), c.green(), c.blue());
}

class MenuStyleTest : public ::testing::Test {
protected:
    void SetUp() override { ForgetMenuSettings(); }
    void TearDown() override {
        if (app) {
            for (QWidget* popup = QApplication::activePopupWidget(); popup != nullptr;
                 popup = QApplication::activePopupWidget()) {
                popup->close();
            }
            app->Shutdown();
        }
        ForgetMenuSettings();
    }
    void Start() {
        app = std::make_unique<CVantleApp>(ui, settings);
        ASSERT_TRUE(app->Startup(std::nullopt, false));
        Frame().activateWindow();
        QApplication::processEvents();
    }
    CMainFrame& Frame() { return *app->Frame(); }
    QMenu* MenuNamed(const QString& title) {
        for (QAction* action : Frame().menuBar()->actions()) {
            if (action->text() == title) {
                return action->menu();
            }
        }
        return nullptr;
    }
    // Opens a popup below its menu-bar item, the way a click does.
    QMenu* Open(const QString& title) {
        QMenu* menu = MenuNamed(title);
        if (menu == nullptr) {
            return nullptr;
        }
        QAction* barItem = menu->menuAction();
        const QRect item = Frame().menuBar()->actionGeometry(barItem);
        menu->popup(Frame().menuBar()->mapToGlobal(item.bottomLeft() + QPoint(0, 1)));
        QApplication::processEvents();
        return menu;
    }
    QAction* ActionOf(int id) { return Frame().Action(id); }
    const MenuPalette& Pal() { return CurrentMenuPalette(&Frame()); }

    test::ScriptedAppUi ui;
    MemorySettingsStore settings;
    std::unique_ptr<CVantleApp> app;
};

TEST_F(MenuStyleTest, HookStylesTheMainWindowsMenusAndToolbars) {
    Start();
    EXPECT_TRUE(MenuHookInstalled());
    EXPECT_TRUE(XPMenusEnabled(&Frame()));
    EXPECT_EQ(Frame().menuBar()->style(), MenuStyleXP());
    QMenu* file = Open("&File");
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->isVisible());
    EXPECT_EQ(file->style(), MenuStyleXP());
    EXPECT_TRUE(IsXPMenu(file));
    EXPECT_NE(qobject_cast<CToolBarXP*>(Frame().MainToolBar()), nullptr);
    EXPECT_NE(qobject_cast<CToolBarXP*>(Frame().ViewToolBar()), nullptr);
    // A menu of an unmarked window keeps its look.
    QWidget other;
    QMenu plain(&other);
    EXPECT_FALSE(IsXPMenu(&plain));
    file->close();
}

TEST_F(MenuStyleTest, PopupIsFourPixelsLargerForItsShadow) {
    Start();
    QMenu* file = Open("&File");
    ASSERT_NE(file, nullptr);
    const QRect item = file->actionGeometry(ActionOf(cmd::kFileNew));
    // Border of three pixels at the left and top; three plus the shadow's
    // four at the right.
    EXPECT_EQ(item.left(), 3);
    EXPECT_EQ(item.top(), 3);
    EXPECT_EQ(file->width(), item.width() + 3 + 3 + 4);
    const int fontHeight = QFontMetrics(file->font()).height();
    EXPECT_EQ(item.height(), MenuItemHeight(fontHeight));
    EXPECT_EQ(file->actionGeometry(file->actions().at(4)).height(),
              MenuSeparatorHeight(fontHeight));
    file->close();
}

TEST_F(MenuStyleTest, GrabOfAnOpenPopupShowsColumnHighlightAndBorder) {
    Start();
    QMenu* file = Open("&File");
    ASSERT_NE(file, nullptr);
    file->setActiveAction(ActionOf(cmd::kFileNew));
    QApplication::processEvents();
    const QImage shot = file->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const MenuPalette& pal = Pal();
    ASSERT_TRUE(pal.gradients);

    // Icon column of an item without a picture ("Save As..."), away from
    // the text: the bands of a 30-pixel gradient from the default colours.
    const QRect saveAs = file->actionGeometry(ActionOf(cmd::kFileSaveAs));
    const int y = saveAs.top() + 1;
    EXPECT_EQ(shot.pixel(saveAs.left(), y), qRgb(182, 197, 228));
    EXPECT_EQ(shot.pixel(saveAs.left() + 1, y), qRgb(184, 199, 229));
    EXPECT_EQ(shot.pixel(saveAs.left() + 29, y), qRgb(254, 254, 254));
    EXPECT_EQ(shot.pixel(saveAs.left() + 31, y), qRgb(255, 255, 255));

    // The selected item: outlined in the highlight colour, filled with the
    // gradient over its whole width.
    const QRect item = file->actionGeometry(ActionOf(cmd::kFileNew));
    const QRgb highlight = Rgb(pal.highlight);
    EXPECT_EQ(shot.pixel(item.left(), item.center().y()), highlight);
    EXPECT_EQ(shot.pixel(item.right(), item.center().y()), highlight);
    EXPECT_EQ(shot.pixel(item.left() + 40, item.top()), highlight);
    EXPECT_EQ(shot.pixel(item.left() + 40, item.bottom()), highlight);
    const auto bands = GradientBands(0, item.width(), pal.gradientStart, pal.gradientEnd);
    const int x = 24; // right of the picture, left of the text
    for (const GradientBand& band : bands) {
        if (band.left <= x && x < band.right) {
            EXPECT_EQ(shot.pixel(item.left() + x, item.top() + 1), Rgb(band.colour));
        }
    }

    // The border: one dark line and two light ones, then the column.
    const int mid = shot.height() / 2;
    EXPECT_EQ(shot.pixel(0, mid), Rgb(pal.darkShadow));
    EXPECT_EQ(shot.pixel(1, mid), Rgb(pal.background));
    EXPECT_EQ(shot.pixel(2, mid), Rgb(pal.background));
    const int right = shot.width() - 5; // the shadow takes the last four columns
    EXPECT_EQ(shot.pixel(right, mid), Rgb(pal.darkShadow));
    EXPECT_EQ(shot.pixel(right - 1, mid), Rgb(pal.background));
    EXPECT_EQ(shot.pixel(40, shot.height() - 5), Rgb(pal.darkShadow));

    // The shadow is the face colour darkened, fading outwards; nothing of
    // the screen behind is grabbed for it.
    const QRgb inner = shot.pixel(shot.width() - 4, mid);
    const QRgb outer = shot.pixel(shot.width() - 1, mid);
    EXPECT_LT(qGray(inner), qGray(outer));
    EXPECT_EQ(inner, Rgb(ScaleColour(pal.face, ShadowPercent(0, 10))));
    EXPECT_EQ(outer, Rgb(ScaleColour(pal.face, ShadowPercent(3, 10))));
    EXPECT_EQ(shot.pixel(40, shot.height() - 4), Rgb(ScaleColour(pal.face, ShadowPercent(0, 36))));
    // Above the right band and left of the bottom one: the face colour.
    EXPECT_EQ(shot.pixel(shot.width() - 1, 0), Rgb(pal.face));
    EXPECT_EQ(shot.pixel(0, shot.height() - 1), Rgb(pal.face));
    file->close();
}

// Aligned 2x2 blocks of device pixels inside `r` (device coordinates) whose
// four pixels are not all the same colour: none when a picture of half the
// resolution was scaled up to fill the image.
int MixedBlocks(const QImage& image, const QRect& r) {
    int mixed = 0;
    for (int y = r.top() & ~1; y + 1 <= r.bottom(); y += 2) {
        for (int x = r.left() & ~1; x + 1 <= r.right(); x += 2) {
            const QRgb c = image.pixel(x, y);
            if (image.pixel(x + 1, y) != c || image.pixel(x, y + 1) != c ||
                image.pixel(x + 1, y + 1) != c) {
                ++mixed;
            }
        }
    }
    return mixed;
}

// A picture of `size` logical pixels at device pixel ratio 2, filled white.
QPixmap DoubleResolution(const QSize& size) {
    QPixmap pixmap(size * 2);
    pixmap.setDevicePixelRatio(2.0);
    pixmap.fill(Qt::white);
    return pixmap;
}

TEST_F(MenuStyleTest, ItemsAreDrawnAtTheDevicePixelRatio) {
    Start();
    QMenu* file = Open("&File");
    ASSERT_NE(file, nullptr);
    const MenuPalette& pal = Pal();
    QAction* action = ActionOf(cmd::kFileNew);

    // The selected "New" item, drawn by the style into a picture of device
    // pixel ratio 2 the way the popup draws it.
    QStyleOptionMenuItem option;
    option.initFrom(file);
    option.rect = file->actionGeometry(action);
    option.state = QStyle::State_Enabled | QStyle::State_Selected;
    option.menuItemType = QStyleOptionMenuItem::Normal;
    option.checkType = QStyleOptionMenuItem::NotCheckable;
    option.text = action->text() + '\t' + action->shortcut().toString(QKeySequence::NativeText);
    option.font = file->font();
    QPixmap pixmap = DoubleResolution(option.rect.size());
    {
        QPainter p(&pixmap);
        p.translate(-option.rect.topLeft());
        MenuStyleXP()->drawControl(QStyle::CE_MenuItem, &option, &p, file);
    }
    const QImage shot = pixmap.toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), option.rect.size() * 2);

    // The 1-pixel outline is two device pixels wide, then the fill.
    const int mid = shot.height() / 2;
    const QRgb highlight = Rgb(pal.highlight);
    EXPECT_EQ(shot.pixel(0, mid), highlight);
    EXPECT_EQ(shot.pixel(1, mid), highlight);
    EXPECT_NE(shot.pixel(2, mid), highlight);
    EXPECT_EQ(shot.pixel(shot.width() - 1, mid), highlight);
    EXPECT_EQ(shot.pixel(shot.width() - 2, mid), highlight);
    EXPECT_NE(shot.pixel(shot.width() - 3, mid), highlight);
    EXPECT_EQ(shot.pixel(80, 1), highlight);
    EXPECT_NE(shot.pixel(80, 2), highlight);

    // The text has the detail of every device pixel: a 1x drawing scaled up
    // would leave each 2x2 block of one colour.
    const QRect text(60, 4, shot.width() - 60 - 24, shot.height() - 8);
    EXPECT_GT(MixedBlocks(shot, text), 10);

    // The same for a title on the menu bar.
    QMenuBar* bar = Frame().menuBar();
    QStyleOptionMenuItem title;
    title.initFrom(bar);
    title.rect = bar->actionGeometry(file->menuAction());
    title.state = QStyle::State_Enabled | QStyle::State_Active;
    title.menuItemType = QStyleOptionMenuItem::Normal;
    title.text = file->title();
    title.font = bar->font();
    QPixmap barPixmap = DoubleResolution(title.rect.size());
    {
        QPainter p(&barPixmap);
        p.translate(-title.rect.topLeft());
        MenuStyleXP()->drawControl(QStyle::CE_MenuBarItem, &title, &p, bar);
    }
    const QImage barShot = barPixmap.toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_GT(MixedBlocks(barShot, barShot.rect()), 4);
    file->close();
}

TEST_F(MenuStyleTest, ItemsShowTheirToolbarButtonsPictures) {
    Start();
    // Pictures of our own, whatever icon theme there is.
    QPixmap square(16, 16);
    square.fill(Qt::darkRed);
    ActionOf(cmd::kCut)->setIcon(QIcon(square));
    ActionOf(cmd::kUndo)->setIcon(QIcon(square));
    QMenu* edit = MenuNamed("&Edit");
    ASSERT_NE(edit, nullptr);
    // Cut has a toolbar button; Undo has an icon but no button; Exit none.
    EXPECT_FALSE(MenuItemPicture(edit, ActionOf(cmd::kCut)).isNull());
    EXPECT_TRUE(MenuItemPicture(edit, ActionOf(cmd::kUndo)).isNull());
    EXPECT_TRUE(MenuItemPicture(MenuNamed("&File"), ActionOf(cmd::kExit)).isNull());

    edit = Open("&Edit");
    const QImage shot = edit->grab().toImage().convertToFormat(QImage::Format_RGB32);
    auto columnIsPlain = [&](int id) {
        const QRect r = edit->actionGeometry(ActionOf(id));
        const auto bands = GradientBands(0, 30, Pal().gradientStart, Pal().gradientEnd);
        for (int yy = r.top(); yy <= r.bottom(); ++yy) {
            for (int xx = 0; xx < 22; ++xx) {
                if (shot.pixel(r.left() + xx, yy) !=
                    Rgb(bands[static_cast<std::size_t>(xx)].colour)) {
                    return false;
                }
            }
        }
        return true;
    };
    EXPECT_FALSE(columnIsPlain(cmd::kCut));
    EXPECT_TRUE(columnIsPlain(cmd::kUndo));
    edit->close();
}

TEST_F(MenuStyleTest, PlainColumnWhenGradientsAreOff) {
    settings.WriteSettingInt("MenuXP", "ShowGradient", 0);
    Start();
    const MenuPalette& pal = Pal();
    EXPECT_FALSE(pal.gradients);
    QMenu* file = Open("&File");
    ASSERT_NE(file, nullptr);
    file->setActiveAction(ActionOf(cmd::kFileNew));
    QApplication::processEvents();
    const QImage shot = file->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRect saveAs = file->actionGeometry(ActionOf(cmd::kFileSaveAs));
    const Colour face = Of(Frame().palette().color(QPalette::Button));
    EXPECT_EQ(shot.pixel(saveAs.left() + 5, saveAs.top() + 1), Rgb(ShiftColour(face, 20)));
    EXPECT_EQ(shot.pixel(saveAs.left() + 21, saveAs.top() + 1), Rgb(ShiftColour(face, 20)));
    EXPECT_EQ(shot.pixel(saveAs.left() + 22, saveAs.top() + 1), Rgb(ShiftColour(face, 75)));
    // The selection is a plain fill.
    const QRect item = file->actionGeometry(ActionOf(cmd::kFileNew));
    EXPECT_EQ(shot.pixel(item.left() + 24, item.top() + 1), Rgb(pal.selection));
    file->close();
}

TEST_F(MenuStyleTest, GradientStartMinusOneIsTheLightenedFace) {
    settings.WriteSettingInt("MenuXP", "GradientStart", -1);
    Start();
    QMenu* file = Open("&File");
    ASSERT_NE(file, nullptr);
    const QImage shot = file->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const Colour face = Of(Frame().palette().color(QPalette::Button));
    const Colour start = ShiftColour(face, 20);
    EXPECT_EQ(Pal().gradientStart, start);
    const QRect saveAs = file->actionGeometry(ActionOf(cmd::kFileSaveAs));
    const auto bands = GradientBands(0, 30, start, 0xFFFFFFu);
    EXPECT_EQ(shot.pixel(saveAs.left() + bands.front().left, saveAs.top() + 1),
              Rgb(bands.front().colour));
    file->close();
}

TEST_F(MenuStyleTest, AccessKeyCarriesOutTheFirstMatchingItem) {
    Start();
    QMenu* file = Open("&File");
    ASSERT_NE(file, nullptr);
    QSignalSpy browse(ActionOf(cmd::kBrowse), &QAction::triggered);
    QTest::keyClick(file, Qt::Key_B);
    EXPECT_EQ(browse.count(), 1);
    EXPECT_EQ(ui.folderTitles.size(), 1u); // Browse asked for a folder
    EXPECT_FALSE(file->isVisible());
}

TEST_F(MenuStyleTest, OpenMenuBarItemJoinsItsPopup) {
    Start();
    QMenuBar* bar = Frame().menuBar();
    QMenu* file = MenuNamed("&File");
    const QRect item = bar->actionGeometry(file->menuAction());
    QTest::mouseClick(bar, Qt::LeftButton, {}, item.center());
    QApplication::processEvents();
    ASSERT_TRUE(file->isVisible());
    const MenuPalette& pal = Pal();
    const QImage barShot = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // The item: outlined in the dark colour and filled lighter, 4 pixels
    // narrower than its place.
    EXPECT_EQ(barShot.pixel(item.left(), item.center().y()), Rgb(pal.darkShadow));
    EXPECT_EQ(barShot.pixel(item.left() + 2, item.top() + 2), Rgb(pal.column));
    EXPECT_EQ(barShot.pixel(item.right() - 4, item.center().y()), Rgb(pal.darkShadow));
    // The popup's top edge is open below the item.
    const QImage shot = file->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int under = bar->mapToGlobal(item.topLeft()).x() - file->pos().x() + 4;
    EXPECT_EQ(shot.pixel(under, 0), Rgb(pal.column));
    EXPECT_EQ(shot.pixel(shot.width() - 6, 0), Rgb(pal.darkShadow));
    file->close();
}

TEST_F(MenuStyleTest, HotAndCheckedToolbarButtons) {
    Start();
    QToolBar* bar = Frame().MainToolBar();
    auto* cut = qobject_cast<QToolButton*>(bar->widgetForAction(ActionOf(cmd::kFileNew)));
    ASSERT_NE(cut, nullptr);
    EXPECT_EQ(cut->style(), MenuStyleXP());
    const MenuPalette& pal = Pal();
    cut->setAttribute(Qt::WA_UnderMouse, true);
    QImage shot = cut->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(0, 0), Rgb(pal.highlight));
    EXPECT_EQ(shot.pixel(1, 1), Rgb(pal.selection));
    cut->setAttribute(Qt::WA_UnderMouse, false);
    shot = cut->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(0, 0), Rgb(pal.column));

    // A checked button of the view bar: the lighter checked fill.
    QAction* allFields = ActionOf(cmd::kViewAllFields);
    auto* button = qobject_cast<QToolButton*>(Frame().ViewToolBar()->widgetForAction(allFields));
    ASSERT_NE(button, nullptr);
    allFields->setEnabled(true);
    allFields->setChecked(true);
    shot = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixel(0, 0), Rgb(pal.highlight));
    EXPECT_EQ(shot.pixel(1, 1), Rgb(pal.checkedOnly));
}

// An active window's menu titles are drawn in the menu-text colour, an
// inactive one's in grey; the button of the current view mode, disabled
// because choosing it again does nothing, still shows its picture.
TEST_F(MenuStyleTest, ActiveTitlesAreNotGreyAndTheCurrentModeShowsItsPicture) {
    Start();
    QMenuBar* bar = Frame().menuBar();
    const QRect item = bar->actionGeometry(MenuNamed("&File")->menuAction());
    const auto darkest = [&] {
        const QImage shot = bar->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int least = 255;
        for (int y = item.top(); y <= item.bottom(); ++y) {
            for (int x = item.left(); x <= item.right(); ++x) {
                least = std::min(least, qGray(shot.pixel(x, y)));
            }
        }
        return least;
    };
    const int grey = qGray(Frame().palette().color(QPalette::Active, QPalette::Dark).rgb());
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(Frame().isActiveWindow());
    EXPECT_LT(darkest(), grey - 40);
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    ASSERT_FALSE(Frame().isActiveWindow());
    EXPECT_GE(darkest(), grey - 40);
    QApplication::setActiveWindow(&Frame());

    QAction* metaData = ActionOf(cmd::kViewMetaData);
    Frame().UpdateCommandUi();
    ASSERT_TRUE(metaData->isChecked());
    ASSERT_FALSE(metaData->isEnabled());
    auto* button = qobject_cast<QToolButton*>(Frame().ViewToolBar()->widgetForAction(metaData));
    ASSERT_NE(button, nullptr);
    const QImage shot = button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            colours.insert(shot.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 5); // a picture, not a one-colour silhouette
}

TEST_F(MenuStyleTest, SetImagesCutsAStripIntoButtonPictures) {
    test::TempDir dir;
    QImage strip(48, 16, QImage::Format_RGB32);
    strip.fill(Qt::magenta);
    QPainter p(&strip);
    p.fillRect(QRect(2, 2, 12, 12), Qt::red);
    p.fillRect(QRect(18, 2, 12, 12), Qt::green);
    p.fillRect(QRect(34, 2, 12, 12), Qt::blue);
    p.end();
    const QString path = QString::fromStdString((dir.Path() / "strip.png").string());
    ASSERT_TRUE(strip.save(path));

    QWidget frame;
    CToolBarXP bar(QStringLiteral("Bar"), &frame);
    QAction* a = bar.addAction(QStringLiteral("A"));
    bar.addSeparator();
    QAction* b = bar.addAction(QStringLiteral("B"));
    EXPECT_FALSE(bar.SetImages(16, QStringLiteral("/nonexistent/strip.bmp")));
    EXPECT_EQ(bar.ImageCount(), 0);
    ASSERT_TRUE(bar.SetImages(16, path));
    EXPECT_EQ(bar.ImageCount(), 3);
    const QImage first = bar.ButtonPicture(a).toImage();
    EXPECT_EQ(first.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(qAlpha(first.pixel(0, 15)), 0); // the strip's corner colour is clear
    EXPECT_EQ(bar.ButtonPicture(b).toImage().pixelColor(8, 8), QColor(Qt::green));
    // A failing load leaves the pictures as they were.
    EXPECT_FALSE(bar.SetImages(16, path, QStringLiteral("/nonexistent/hot.bmp")));
    EXPECT_EQ(bar.ImageCount(), 3);
}

TEST_F(MenuStyleTest, RemovingTheHookGivesMenusTheirStyleBack) {
    Start();
    QMenu* file = Open("&File");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->style(), MenuStyleXP());
    file->close();
    app->Shutdown();
    // Start-ups of earlier tests may not have been shut down.
    while (MenuHookInstalled()) {
        RemoveMenuHook();
    }
    EXPECT_NE(file->style(), MenuStyleXP());
    EXPECT_NE(Frame().menuBar()->style(), MenuStyleXP());
    app.reset();
}

} // namespace
} // namespace orlen
