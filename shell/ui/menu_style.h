// Flat menus and toolbars: a light icon column at the left of every popup
// menu, a framed highlight for the selected item, a flat border with a soft
// shadow, toolbar pictures beside menu items, and toolbars in the same look.
//
// The drawing is a proxy style. A hook on the application finds every popup
// menu and menu bar of a frame marked with EnableXPMenus as it is polished
// and gives it that style; CToolBarXP uses it for itself and its buttons.
#pragma once

#include "shell/menu_colours.h"

#include <QPixmap>
#include <QProxyStyle>
#include <QStyleOption>
#include <QToolBar>
#include <vector>

class QMenu;

namespace orlen {

class SettingsStore;

// Counts calls; the first installs the hook. The five look settings are read
// from `settings` once, the first time the hook is installed, and kept.
void InstallMenuHook(SettingsStore& settings);
// Counts down; at zero every menu gets its own style back and the hook goes.
void RemoveMenuHook();
bool MenuHookInstalled();

// Marks (or unmarks) a frame whose menus are drawn flat.
void EnableXPMenus(QWidget* frame, bool on);
bool XPMenusEnabled(const QWidget* frame);
inline constexpr const char* kMenuXPProperty = "XPWndProp_MenuXP";

// Whether a popup menu or menu bar belongs to a marked frame.
bool IsXPMenu(const QWidget* widget);

// The colours in use. The settings behind them are read once; tests may make
// them be read again at the next InstallMenuHook.
const MenuPalette& CurrentMenuPalette(const QWidget* widget = nullptr);
void ForgetMenuSettings();

// The picture a popup-menu item shows: that of the toolbar button with the
// same command in the item's frame, or a null pixmap. A picture drawn from
// an icon has the device pixels of the ratio `dpr` (0: the application's).
QPixmap MenuItemPicture(const QMenu* menu, const QAction* action, qreal dpr = 0);

// The shared style of flat menus and toolbars.
class CMenuStyleXP final : public QProxyStyle {
    Q_OBJECT
public:
    CMenuStyleXP();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                         const QWidget* widget = nullptr) const override;

private:
    void DrawMenuItem(const QStyleOptionMenuItem& option, QPainter* painter,
                      const QWidget* widget) const;
    void DrawMenuBarItem(const QStyleOptionMenuItem& option, QPainter* painter,
                         const QWidget* widget) const;
    void DrawMenuChrome(QPainter* painter, const QWidget* widget) const;
    void DrawToolButton(const QStyleOptionToolButton& option, QPainter* painter,
                        const QWidget* widget) const;
};

// The one instance, made when first asked for.
CMenuStyleXP* MenuStyleXP();

// A toolbar drawn in the flat look.
class CToolBarXP : public QToolBar {
    Q_OBJECT
public:
    explicit CToolBarXP(const QString& title, QWidget* parent = nullptr);

    enum class ImageKind { Normal, Hot, Disabled };

    // Pictures for the buttons from strips of images `imageWidth` wide: the
    // i-th button (separators not counted) takes the i-th image. The colour
    // of a strip's bottom-left pixel is transparent. False, and nothing
    // changed, when the normal strip (or a given hot or disabled strip)
    // cannot be read.
    bool SetImages(int imageWidth, const QString& normal, const QString& hot = {},
                   const QString& disabled = {});
    // The picture of a button: from the strips when they are set, else the
    // action's icon, with the device pixels of the ratio `dpr` (0: the
    // application's). Null when there is none.
    QPixmap ButtonPicture(const QAction* action, ImageKind kind = ImageKind::Normal,
                          qreal dpr = 0) const;
    int ImageCount() const { return static_cast<int>(normal_.size()); }

protected:
    void actionEvent(QActionEvent* event) override;

private:
    std::vector<QPixmap> normal_;
    std::vector<QPixmap> hot_;
    std::vector<QPixmap> disabled_;
};

} // namespace orlen
