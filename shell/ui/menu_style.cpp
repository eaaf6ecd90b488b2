#include "shell/ui/menu_style.h"

#include "shell/settings_store.h"

#include <QActionEvent>
#include <QApplication>
#include <QBitmap>
#include <QHash>
#include <QImage>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScreen>
#include <QStyleOption>
#include <QToolButton>
#include <QtMath>
#include <optional>

namespace orlen {

namespace {

QColor Q(Colour c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}
Colour C(const QColor& c) {
    return MakeColour(c.red(), c.green(), c.blue());
}

// The look: settings read once, colours worked out again only when the
// system colours change.
struct Look {
    std::optional<MenuSettings> settings;
    MenuPalette palette;
    Colour face = 0, highlight = 0, dark = 0;
    int depth = 0;
    bool valid = false;
};

Look& TheLook() {
    static Look look;
    return look;
}

// A popup menu or menu bar given the flat style by the hook.
struct MenuRecord {
    QPointer<QWidget> widget;
    bool ownStyle = false;
    QPointer<QStyle> oldStyle;
};

struct HookState {
    int count = 0;
    QObject* filter = nullptr;
    QHash<QWidget*, MenuRecord> records;
    QRect openBarItem; // global rectangle of the menu-bar item whose popup is open
};

HookState& Hook() {
    static HookState state;
    return state;
}

void FillGradient(QPainter& p, const QRect& r, Colour from, Colour to) {
    for (const GradientBand& band : GradientBands(r.left(), r.width(), from, to)) {
        p.fillRect(QRect(band.left, r.top(), band.right - band.left, r.height()), Q(band.colour));
    }
}

// A 1-pixel outline on the edge of r, filled inside. The edges are filled
// rectangles so that at any device pixel ratio they cover whole device
// pixels, as wide as one logical pixel.
void FrameRect(QPainter& p, const QRect& r, Colour outline, std::optional<Colour> fill) {
    if (r.isEmpty()) {
        return;
    }
    if (fill) {
        p.fillRect(r, Q(*fill));
    }
    const QColor edge = Q(outline);
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), edge);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), edge);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), edge);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), edge);
}

// The device pixel ratio a painter draws at: that of its device, else the
// widget's.
qreal PixelRatioOf(const QPainter* painter, const QWidget* widget) {
    if (painter != nullptr && painter->device() != nullptr) {
        return painter->device()->devicePixelRatio();
    }
    return widget != nullptr ? widget->devicePixelRatio() : 1.0;
}

// An off-screen buffer of `size` logical pixels with the device pixels of
// the ratio `dpr`: drawing into it keeps logical coordinates, and copying it
// to a device of the same ratio keeps every device pixel.
QPixmap Buffer(const QSize& size, qreal dpr) {
    QPixmap buffer(QSize(qRound(size.width() * dpr), qRound(size.height() * dpr)));
    buffer.setDevicePixelRatio(dpr);
    return buffer;
}

// The picture in one colour, keeping its shape.
QPixmap Silhouette(const QPixmap& picture, Colour colour) {
    QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(image.rect(), Q(colour));
    p.end();
    QPixmap out = QPixmap::fromImage(image);
    out.setDevicePixelRatio(picture.devicePixelRatio());
    return out;
}

QColor MenuText(const QPalette& pal) {
    return pal.color(QPalette::Active, QPalette::WindowText);
}

// The window (frame) whose toolbars give menu items their pictures.
const QWidget* OwningFrame(const QWidget* widget) {
    const QWidget* fallback = nullptr;
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (w->property(kMenuXPProperty).toInt() == 1) {
            return w;
        }
        if (fallback == nullptr && qobject_cast<const QMainWindow*>(w) != nullptr) {
            fallback = w;
        }
    }
    if (fallback == nullptr) {
        fallback = QApplication::activeWindow();
    }
    return fallback;
}

void ApplyStyle(QWidget* widget) {
    HookState& hook = Hook();
    if (widget->style() == MenuStyleXP()) {
        return;
    }
    MenuRecord record;
    record.widget = widget;
    record.ownStyle = widget->testAttribute(Qt::WA_SetStyle);
    record.oldStyle = record.ownStyle ? widget->style() : nullptr;
    hook.records.insert(widget, record);
    QObject::connect(widget, &QObject::destroyed, MenuStyleXP(),
                     [widget] { Hook().records.remove(widget); });
    widget->setStyle(MenuStyleXP());
}

void RestoreStyle(MenuRecord& record) {
    if (record.widget == nullptr) {
        return;
    }
    QObject::disconnect(record.widget, &QObject::destroyed, MenuStyleXP(), nullptr);
    record.widget->setStyle(record.ownStyle ? record.oldStyle.data() : nullptr);
}

// Plain popup menus answer their access keys themselves: the first item
// whose "&" letter matches is carried out.
bool HandleAccessKey(QMenu* menu, QKeyEvent* event) {
    if ((event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) != 0) {
        return false;
    }
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint() || text.at(0).isSpace()) {
        return false;
    }
    std::vector<std::string> texts;
    std::vector<QAction*> actions;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible()) {
            continue;
        }
        texts.push_back(action->text().toStdString());
        actions.push_back(action);
    }
    const int index = FindAccessKey(texts, text.toUcs4().value(0));
    if (index < 0) {
        return false;
    }
    QAction* action = actions[static_cast<std::size_t>(index)];
    if (!action->isEnabled()) {
        return false;
    }
    menu->setActiveAction(action);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &enter);
    return true;
}

class MenuHookFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type != QEvent::Polish && type != QEvent::Show && type != QEvent::KeyPress) {
            return false;
        }
        auto* widget = qobject_cast<QWidget*>(watched);
        auto* menu = qobject_cast<QMenu*>(watched);
        if (widget == nullptr || (menu == nullptr && qobject_cast<QMenuBar*>(watched) == nullptr)) {
            return false;
        }
        if (type == QEvent::KeyPress) {
            return menu != nullptr && menu->style() == MenuStyleXP() &&
                   HandleAccessKey(menu, static_cast<QKeyEvent*>(event));
        }
        if (!IsXPMenu(widget)) {
            return false;
        }
        ApplyStyle(widget);
        return false;
    }
};

void StyleMenusOf(QWidget* frame, bool on) {
    QList<QWidget*> widgets;
    for (QMenuBar* bar : frame->findChildren<QMenuBar*>()) {
        widgets.append(bar);
    }
    for (QMenu* menu : frame->findChildren<QMenu*>()) {
        widgets.append(menu);
    }
    for (QWidget* widget : widgets) {
        if (on) {
            ApplyStyle(widget);
        } else if (auto it = Hook().records.find(widget); it != Hook().records.end()) {
            RestoreStyle(*it);
            Hook().records.erase(it);
        }
    }
}

} // namespace

void InstallMenuHook(SettingsStore& settings) {
    HookState& hook = Hook();
    // The look is read once; the store need not outlive this call.
    if (!TheLook().settings) {
        TheLook().settings = ReadMenuSettings(settings);
        TheLook().valid = false;
    }
    if (hook.count++ > 0) {
        return;
    }
    hook.filter = new MenuHookFilter(qApp);
    qApp->installEventFilter(hook.filter);
    // Frames marked before the hook came get their menus styled now.
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (XPMenusEnabled(top)) {
            StyleMenusOf(top, true);
        }
    }
}

void RemoveMenuHook() {
    HookState& hook = Hook();
    if (hook.count == 0 || --hook.count > 0) {
        return;
    }
    for (MenuRecord& record : hook.records) {
        RestoreStyle(record);
    }
    hook.records.clear();
    hook.openBarItem = QRect();
    if (hook.filter != nullptr) {
        qApp->removeEventFilter(hook.filter);
        delete hook.filter;
        hook.filter = nullptr;
    }
}

bool MenuHookInstalled() {
    return Hook().count > 0;
}

void EnableXPMenus(QWidget* frame, bool on) {
    if (frame == nullptr) {
        return;
    }
    frame->setProperty(kMenuXPProperty, on ? QVariant(1) : QVariant());
    if (MenuHookInstalled()) {
        StyleMenusOf(frame, on);
    }
}

bool XPMenusEnabled(const QWidget* frame) {
    return frame != nullptr && frame->property(kMenuXPProperty).toInt() == 1;
}

bool IsXPMenu(const QWidget* widget) {
    if (qobject_cast<const QMenu*>(widget) == nullptr &&
        qobject_cast<const QMenuBar*>(widget) == nullptr) {
        return false;
    }
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (XPMenusEnabled(w)) {
            return true;
        }
    }
    // A menu of no window: it belongs to the window in front.
    return widget->parentWidget() == nullptr && XPMenusEnabled(QApplication::activeWindow());
}

const MenuPalette& CurrentMenuPalette(const QWidget* widget) {
    Look& look = TheLook();
    if (!look.settings) {
        look.settings = MenuSettings{};
        look.valid = false;
    }
    const QPalette pal = widget != nullptr ? widget->palette() : QApplication::palette();
    const Colour face = C(pal.color(QPalette::Active, QPalette::Button));
    const Colour highlight = C(pal.color(QPalette::Active, QPalette::Highlight));
    const Colour dark = C(pal.color(QPalette::Active, QPalette::Shadow));
    QScreen* screen = widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
    const int depth = screen != nullptr ? screen->depth() : 32;
    if (!look.valid || face != look.face || highlight != look.highlight || dark != look.dark ||
        depth != look.depth) {
        look.palette = MakeMenuPalette(*look.settings, face, highlight, dark, depth);
        look.face = face;
        look.highlight = highlight;
        look.dark = dark;
        look.depth = depth;
        look.valid = true;
    }
    return look.palette;
}

void ForgetMenuSettings() {
    TheLook().settings.reset();
    TheLook().valid = false;
}

QPixmap MenuItemPicture(const QMenu* menu, const QAction* action, qreal dpr) {
    if (menu == nullptr || action == nullptr || action->isSeparator()) {
        return {};
    }
    const QWidget* frame = OwningFrame(menu);
    if (frame == nullptr) {
        return {};
    }
    for (QToolBar* bar : frame->findChildren<QToolBar*>()) {
        if (!bar->actions().contains(const_cast<QAction*>(action))) {
            continue;
        }
        QPixmap picture;
        if (auto* xp = qobject_cast<CToolBarXP*>(bar)) {
            picture = xp->ButtonPicture(action, CToolBarXP::ImageKind::Normal, dpr);
        } else if (!action->icon().isNull()) {
            picture = dpr > 0 ? action->icon().pixmap(QSize(16, 16), dpr)
                              : action->icon().pixmap(QSize(16, 16));
        }
        if (!picture.isNull()) {
            return picture;
        }
    }
    return {};
}

CMenuStyleXP* MenuStyleXP() {
    static QPointer<CMenuStyleXP> style;
    if (style == nullptr) {
        style = new CMenuStyleXP;
        style->setParent(qApp);
    }
    return style;
}

CMenuStyleXP::CMenuStyleXP() : QProxyStyle() {
    setObjectName(QStringLiteral("OrlenMenuXP"));
}

namespace {

// Room between an item's text and its accelerator.
constexpr int kAcceleratorGap = 16;

bool IsMenu(const QWidget* w) {
    return qobject_cast<const QMenu*>(w) != nullptr;
}
bool IsMenuBar(const QWidget* w) {
    return qobject_cast<const QMenuBar*>(w) != nullptr;
}
bool IsToolBar(const QWidget* w) {
    return qobject_cast<const QToolBar*>(w) != nullptr;
}
bool IsToolBarChild(const QWidget* w) {
    return w != nullptr && IsToolBar(w->parentWidget());
}

} // namespace

int CMenuStyleXP::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returnData) const {
    switch (hint) {
    case SH_Menu_Mask:
        if (IsMenu(widget)) {
            return 0;
        }
        break;
    case SH_MenuBar_MouseTracking:
    case SH_Menu_MouseTracking:
        return 1;
    default:
        break;
    }
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

int CMenuStyleXP::pixelMetric(PixelMetric metric, const QStyleOption* option,
                              const QWidget* widget) const {
    switch (metric) {
    case PM_MenuPanelWidth:
        return 3; // one dark and two light lines
    case PM_MenuHMargin:
    case PM_MenuVMargin:
    case PM_MenuBarPanelWidth:
    case PM_MenuBarItemSpacing:
        return 0;
    case PM_MenuBarHMargin:
        return 2;
    case PM_MenuBarVMargin:
        return 1;
    case PM_SmallIconSize:
        if (IsMenu(widget)) {
            return 16;
        }
        break;
    case PM_ToolBarItemSpacing:
        return 0;
    case PM_ToolBarItemMargin:
        return 2;
    case PM_ToolBarFrameWidth:
        return 1;
    case PM_ToolBarSeparatorExtent:
        return 8;
    default:
        break;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QSize CMenuStyleXP::sizeFromContents(ContentsType type, const QStyleOption* option,
                                     const QSize& size, const QWidget* widget) const {
    switch (type) {
    case CT_Menu:
        // Room for the shadow at the right and below.
        return size + QSize(4, 4);
    case CT_MenuItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            const int fontHeight = QFontMetrics(item->font).height();
            if (item->menuItemType == QStyleOptionMenuItem::Separator) {
                return {size.width(), MenuSeparatorHeight(fontHeight)};
            }
            // Qt adds the widest accelerator to the widest item itself;
            // the text and the accelerator keep a gap between them.
            const ItemSize measured =
                MeasureMenuItem(PackItemData(MenuItemHeight(fontHeight), 0, size.width()));
            return {measured.width + kAcceleratorGap, measured.height};
        }
        break;
    case CT_MenuBarItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            const int fontHeight = QFontMetrics(item->font).height();
            const ItemSize measured = MeasureMenuItem(PackItemData(0, 0, size.width()));
            // The highlight leaves 4 pixels at the right; a little air
            // either side of the text.
            return {measured.width + 12, fontHeight + 6};
        }
        break;
    case CT_ToolButton:
        if (IsToolBarChild(widget)) {
            QSize s = size + QSize(7, 6);
            if (const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option);
                tool != nullptr && (tool->features & QStyleOptionToolButton::MenuButtonPopup)) {
                s.rwidth() += 14;
            }
            return s;
        }
        break;
    default:
        break;
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

QRect CMenuStyleXP::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                   SubControl sub, const QWidget* widget) const {
    if (control == CC_ToolButton && IsToolBarChild(widget)) {
        if (const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option);
            tool != nullptr && (tool->features & QStyleOptionToolButton::MenuButtonPopup)) {
            const QRect r = tool->rect;
            if (sub == SC_ToolButton) {
                return r.adjusted(0, 0, -13, 0);
            }
            if (sub == SC_ToolButtonMenu) {
                return QRect(r.right() - 12, r.top(), 13, r.height());
            }
        }
    }
    return QProxyStyle::subControlRect(control, option, sub, widget);
}

void CMenuStyleXP::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                 QPainter* painter, const QWidget* widget) const {
    switch (element) {
    case PE_PanelMenu:
    case PE_FrameMenu:
        if (IsMenu(widget)) {
            DrawMenuChrome(painter, widget);
            return;
        }
        break;
    case PE_PanelMenuBar:
        if (IsMenuBar(widget)) {
            painter->fillRect(option->rect, Q(CurrentMenuPalette(widget).face));
            return;
        }
        break;
    case PE_PanelToolBar:
        painter->fillRect(option->rect, Q(CurrentMenuPalette(widget).column));
        return;
    case PE_IndicatorToolBarSeparator: {
        const MenuPalette& pal = CurrentMenuPalette(widget);
        const QRect r = option->rect;
        const QColor line = Q(pal.toolSeparator);
        if (option->state & State_Horizontal) {
            // A horizontal bar: a vertical line through the middle.
            const int x = r.left() + r.width() / 2;
            painter->fillRect(QRect(x, r.top() + 2, 1, std::max(r.height() - 4, 0)), line);
        } else {
            const int y = r.top() + r.height() / 2;
            painter->fillRect(QRect(r.left() + 2, y, std::max(r.width() - 4, 0), 1), line);
        }
        return;
    }
    default:
        break;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void CMenuStyleXP::drawControl(ControlElement element, const QStyleOption* option,
                               QPainter* painter, const QWidget* widget) const {
    switch (element) {
    case CE_MenuItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            item != nullptr && IsMenu(widget)) {
            DrawMenuItem(*item, painter, widget);
            return;
        }
        break;
    case CE_MenuEmptyArea:
        if (IsMenu(widget)) {
            DrawMenuChrome(painter, widget);
            return;
        }
        break;
    case CE_MenuBarItem:
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
            item != nullptr && IsMenuBar(widget)) {
            DrawMenuBarItem(*item, painter, widget);
            return;
        }
        break;
    case CE_MenuBarEmptyArea:
        if (IsMenuBar(widget)) {
            painter->fillRect(option->rect, Q(CurrentMenuPalette(widget).face));
            return;
        }
        break;
    default:
        break;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void CMenuStyleXP::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                      QPainter* painter, const QWidget* widget) const {
    if (control == CC_ToolButton && IsToolBarChild(widget)) {
        if (const auto* tool = qstyleoption_cast<const QStyleOptionToolButton*>(option)) {
            DrawToolButton(*tool, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}

void CMenuStyleXP::DrawMenuChrome(QPainter* painter, const QWidget* widget) const {
    const MenuPalette& pal = CurrentMenuPalette(widget);
    const int width = widget->width();
    const int height = widget->height();
    const QRect body(0, 0, width - 4, height - 4);

    // Drawn off-screen at the painter's device pixel ratio and copied in
    // one step. The strip the shadow takes at the right and below is not
    // covered by the menu: it is drawn over the face colour of the window
    // behind, so that no picture of the screen is needed.
    const qreal dpr = PixelRatioOf(painter, widget);
    QPixmap buffer = Buffer(QSize(width, height), dpr);
    buffer.fill(Q(pal.face));
    QPainter p(&buffer);

    // The background of the items.
    const int fw = 3;
    const QRect inside = body.adjusted(fw, fw, -fw, -fw);
    if (pal.gradients) {
        p.fillRect(inside, Q(pal.gradientEnd));
        FillGradient(p,
                     QRect(inside.left(), inside.top(), std::min(pal.gradientWidth, inside.width()),
                           inside.height()),
                     pal.gradientStart, pal.gradientEnd);
    } else {
        p.fillRect(inside, Q(pal.background));
        p.fillRect(
            QRect(inside.left(), inside.top(), std::min(22, inside.width()), inside.height()),
            Q(pal.column));
    }

    // Border: one dark line, two light ones.
    FrameRect(p, body, pal.darkShadow, std::nullopt);
    FrameRect(p, body.adjusted(1, 1, -1, -1), pal.background, std::nullopt);
    FrameRect(p, body.adjusted(2, 2, -2, -2), pal.background, std::nullopt);

    // Joined to the menu-bar item that opened it.
    const QRect item = Hook().openBarItem;
    const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    if (item.isValid() && std::abs(origin.y() - (item.bottom() + 1)) <= 1 &&
        item.left() < origin.x() + body.width() && item.right() >= origin.x()) {
        const int from = std::max(item.left() + 1 - origin.x(), 1);
        const int to = std::min(item.right() - 5 - origin.x(), body.right() - 1);
        if (to >= from) {
            p.fillRect(QRect(from, 0, to - from + 1, 1), Q(pal.column));
        }
    }

    // The soft shadow at the right and below: the face colour darkened,
    // more near the menu and fading in where each band starts.
    auto shade = [&](int x, int y, int distance, int along) {
        p.fillRect(QRect(x, y, 1, 1), Q(ScaleColour(pal.face, ShadowPercent(distance, along))));
    };
    for (int d = 0; d < 4; ++d) {
        const int x = body.right() + 1 + d;
        for (int y = 4; y < height - 4 + d && y < height; ++y) {
            shade(x, y, d, y - 4);
        }
        const int y = body.bottom() + 1 + d;
        for (int x2 = 4; x2 < width - 4 + d && x2 < width; ++x2) {
            if (x2 > body.right()) {
                continue; // the corner belongs to the right band
            }
            shade(x2, y, d, x2 - 4);
        }
    }
    p.end();
    painter->drawPixmap(0, 0, buffer);
}

void CMenuStyleXP::DrawMenuItem(const QStyleOptionMenuItem& option, QPainter* painter,
                                const QWidget* widget) const {
    const MenuPalette& pal = CurrentMenuPalette(widget);
    const QRect target = option.rect;
    if (target.isEmpty()) {
        return;
    }
    const int w = target.width();
    const int h = target.height();
    const QRect r(0, 0, w, h);
    const bool enabled = (option.state & State_Enabled) != 0;
    const bool selected = (option.state & State_Selected) != 0;
    const bool checkable = option.checkType != QStyleOptionMenuItem::NotCheckable;
    const bool checked = checkable && option.checked;
    const bool separator = option.menuItemType == QStyleOptionMenuItem::Separator;

    const qreal dpr = PixelRatioOf(painter, widget);
    QPixmap buffer = Buffer(target.size(), dpr);
    QPainter p(&buffer);

    // Background.
    if (selected && !separator) {
        if (pal.gradientSelection) {
            FillGradient(p, r, enabled ? pal.gradientStart : pal.selectionDisabled,
                         pal.gradientEnd);
            FrameRect(p, r, pal.highlight, std::nullopt);
        } else {
            FrameRect(p, r, pal.highlight, enabled ? pal.selection : pal.selectionDisabled);
        }
    } else if (pal.gradients) {
        p.fillRect(r, Q(pal.gradientEnd));
        FillGradient(p, QRect(0, 0, std::min(pal.gradientWidth, w), h), pal.gradientStart,
                     pal.gradientEnd);
    } else {
        p.fillRect(r, Q(pal.background));
        p.fillRect(QRect(0, 0, std::min(22, w), h), Q(pal.column));
    }

    if (separator) {
        if (w > 30) {
            p.fillRect(QRect(30, h / 2, w - 30, 1), Q(pal.disabledText));
        }
        p.end();
        painter->drawPixmap(target.topLeft(), buffer);
        return;
    }

    const QColor text = enabled ? MenuText(option.palette) : Q(pal.disabledText);

    // Check frame.
    const int vy = std::max(0, (h - 22) / 2);
    if (checked) {
        const Colour fill = !enabled   ? pal.selectionDisabled
                            : selected ? pal.checkedSelected
                                       : pal.selection;
        FrameRect(p, QRect(1, 1, 19, h - 2), pal.highlight, fill);
    }

    // Picture, lifted above its shadow while selected.
    const auto* menu = qobject_cast<const QMenu*>(widget);
    const QPixmap picture =
        menu != nullptr ? MenuItemPicture(menu, menu->actionAt(target.center()), dpr) : QPixmap();
    if (!picture.isNull()) {
        if (!enabled || (selected && !checked)) {
            const bool lifted = selected && enabled;
            const int offset = lifted ? 4 : 3;
            p.drawPixmap(offset, offset + vy,
                         Silhouette(picture, lifted ? pal.pictureShadow : pal.silhouette));
        }
        if (enabled) {
            const int offset = selected && !checked ? 2 : 3;
            p.drawPixmap(offset, offset + vy, picture);
        }
    } else if (checked) {
        const QColor mark = enabled ? MenuText(option.palette) : Q(pal.silhouette);
        p.setRenderHint(QPainter::Antialiasing, true);
        if (option.checkType == QStyleOptionMenuItem::Exclusive) {
            p.setPen(Qt::NoPen);
            p.setBrush(mark);
            p.drawEllipse(QPointF(12.5, h / 2.0), 3.0, 3.0);
        } else {
            QPainterPath tick;
            const double cy = h / 2.0;
            tick.moveTo(8.0, cy);
            tick.lineTo(11.0, cy + 3.0);
            tick.lineTo(17.0, cy - 3.5);
            p.setPen(QPen(mark, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            p.drawPath(tick);
        }
        p.setRenderHint(QPainter::Antialiasing, false);
    }

    // Text and accelerator.
    QString label = option.text;
    QString accelerator;
    if (const int tab = label.indexOf('\t'); tab >= 0) {
        accelerator = label.mid(tab + 1);
        label = label.left(tab);
    }
    QFont font = option.font;
    if (option.menuItemType == QStyleOptionMenuItem::DefaultItem) {
        font.setBold(true);
    }
    p.setFont(font);
    p.setPen(text);
    int flags = Qt::AlignVCenter | Qt::TextSingleLine;
    flags |= proxy()->styleHint(SH_UnderlineShortcut, &option, widget) ? Qt::TextShowMnemonic
                                                                       : Qt::TextHideMnemonic;
    p.drawText(r.adjusted(30, 0, -12, 0), flags | Qt::AlignLeft, label);
    if (!accelerator.isEmpty()) {
        p.setFont(option.font);
        p.drawText(r.adjusted(30, 0, -12, 0),
                   Qt::AlignVCenter | Qt::AlignRight | Qt::TextSingleLine, accelerator);
    }

    // A submenu's arrow.
    if (option.menuItemType == QStyleOptionMenuItem::SubMenu) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(text);
        const double cy = h / 2.0;
        QPolygonF arrow;
        arrow << QPointF(w - 9.0, cy - 4.0) << QPointF(w - 5.0, cy) << QPointF(w - 9.0, cy + 4.0);
        p.drawPolygon(arrow);
    }
    p.end();
    painter->drawPixmap(target.topLeft(), buffer);
}

void CMenuStyleXP::DrawMenuBarItem(const QStyleOptionMenuItem& option, QPainter* painter,
                                   const QWidget* widget) const {
    const MenuPalette& pal = CurrentMenuPalette(widget);
    const QRect target = option.rect;
    if (target.isEmpty()) {
        return;
    }
    const int w = target.width();
    const int h = target.height();
    const bool enabled = (option.state & State_Enabled) != 0;
    // A menu bar does not mark its items with the window's activity: it is
    // asked of the window, so that an active window's titles are never grey.
    const bool active =
        (option.state & State_Active) != 0 || (widget != nullptr && widget->isActiveWindow());
    const bool selected = (option.state & State_Selected) != 0;
    const bool open = selected && (option.state & State_Sunken) != 0;
    const bool hot = selected && !open && active;

    QPixmap buffer = Buffer(target.size(), PixelRatioOf(painter, widget));
    buffer.fill(Q(pal.face));
    QPainter p(&buffer);
    const QRect narrow(0, 0, std::max(w - 4, 1), h);
    if (open) {
        FrameRect(p, narrow, pal.darkShadow, pal.column);
        // The strip at the right shaded as the popup's shadow continues.
        for (int d = 0; d < 4 && narrow.width() + d < w; ++d) {
            for (int y = 4; y < h; ++y) {
                const Colour c = ScaleColour(pal.face, ShadowPercent(d, y - 4));
                p.fillRect(QRect(narrow.width() + d, y, 1, 1), Q(c));
            }
        }
        Hook().openBarItem = QRect(widget->mapToGlobal(target.topLeft()), target.size());
    } else if (hot) {
        FrameRect(p, narrow, pal.highlight, pal.selection);
    }
    if (!open && Hook().openBarItem.isValid() &&
        Hook().openBarItem.topLeft() == widget->mapToGlobal(target.topLeft())) {
        Hook().openBarItem = QRect();
    }

    const QColor text = !active    ? option.palette.color(QPalette::Active, QPalette::Dark)
                        : !enabled ? Q(pal.disabledText)
                                   : MenuText(option.palette);
    p.setPen(text);
    p.setFont(option.font);
    int flags = Qt::AlignCenter | Qt::TextSingleLine;
    flags |= proxy()->styleHint(SH_UnderlineShortcut, &option, widget) ? Qt::TextShowMnemonic
                                                                       : Qt::TextHideMnemonic;
    p.drawText(narrow, flags, option.text);
    p.end();
    painter->drawPixmap(target.topLeft(), buffer);
}

void CMenuStyleXP::DrawToolButton(const QStyleOptionToolButton& option, QPainter* painter,
                                  const QWidget* widget) const {
    const MenuPalette& pal = CurrentMenuPalette(widget);
    const QRect target = option.rect;
    if (target.isEmpty()) {
        return;
    }
    const int w = target.width();
    const int h = target.height();
    const bool enabled = (option.state & State_Enabled) != 0;
    const bool hot = enabled && (option.state & State_MouseOver) != 0;
    const bool pressed = (option.state & State_Sunken) != 0;
    const bool checked = (option.state & State_On) != 0;
    const bool dropDown = (option.features & QStyleOptionToolButton::MenuButtonPopup) != 0;
    const bool mainPressed = pressed && (option.activeSubControls & SC_ToolButton) != 0;

    const qreal dpr = PixelRatioOf(painter, widget);
    QPixmap buffer = Buffer(target.size(), dpr);
    buffer.fill(Q(pal.column));
    QPainter p(&buffer);
    const QRect r(0, 0, w, h);

    if (hot || checked) {
        const Colour fill = pressed || (hot && checked) ? pal.checkedSelected
                            : hot                       ? pal.selection
                                                        : pal.checkedOnly;
        if (dropDown) {
            const QRect main(0, 0, w - 13, h);
            const QRect arrowPart(w - 14, 0, 14, h);
            if (mainPressed) {
                FrameRect(p, main, pal.highlight, fill);
                FrameRect(p, arrowPart, pal.highlight, pal.dropDownPressed);
            } else {
                FrameRect(p, r, pal.highlight, fill);
                p.fillRect(QRect(w - 14, 0, 1, h), Q(pal.highlight));
            }
        } else {
            FrameRect(p, r, pal.highlight, fill);
        }
    }

    int pictureWidth = w;
    if (dropDown) {
        const QColor arrow = !enabled ? option.palette.color(QPalette::Disabled, QPalette::Text)
                             : hot    ? QColor(Qt::black)
                                   : option.palette.color(QPalette::Active, QPalette::ButtonText);
        const int cx = w - 7;
        const int cy = h / 2;
        for (int i = 0; i < 3; ++i) {
            p.fillRect(QRect(cx - 2 + i, cy - 1 + i, 5 - 2 * i, 1), arrow);
        }
        pictureWidth -= 14;
    }

    QPixmap picture;
    const auto* button = qobject_cast<const QToolButton*>(widget);
    const auto* bar =
        button != nullptr ? qobject_cast<const CToolBarXP*>(button->parentWidget()) : nullptr;
    if (bar != nullptr && button->defaultAction() != nullptr) {
        picture = bar->ButtonPicture(
            button->defaultAction(),
            hot && !pressed ? CToolBarXP::ImageKind::Hot : CToolBarXP::ImageKind::Normal, dpr);
    }
    if (picture.isNull() && !option.icon.isNull()) {
        picture = option.icon.pixmap(option.iconSize, dpr);
    }
    if (!picture.isNull()) {
        const QSize size = picture.deviceIndependentSize().toSize();
        const int bx = (pictureWidth - size.width()) / 2;
        const int by = (h - size.height()) / 2;
        // The checked button of a choice (the current view mode) is disabled,
        // since choosing it again does nothing, but still shows its picture.
        const bool shown = enabled || checked;
        if (!shown) {
            p.drawPixmap(bx, by, Silhouette(picture, pal.silhouette));
        } else if (hot && !pressed) {
            p.drawPixmap(bx + 1, by + 1, Silhouette(picture, pal.pictureShadow));
        }
        if (shown) {
            const int lift = hot && !pressed ? 1 : 0;
            p.drawPixmap(bx - lift, by - lift, picture);
        }
    } else if (!option.text.isEmpty()) {
        p.setPen(enabled ? option.palette.color(QPalette::Active, QPalette::ButtonText)
                         : option.palette.color(QPalette::Disabled, QPalette::Text));
        p.drawText(QRect(0, 0, pictureWidth, h), Qt::AlignCenter | Qt::TextShowMnemonic,
                   option.text);
    }
    p.end();
    painter->drawPixmap(target.topLeft(), buffer);
}

// Toolbar.

CToolBarXP::CToolBarXP(const QString& title, QWidget* parent) : QToolBar(title, parent) {
    setStyle(MenuStyleXP());
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        child->setStyle(MenuStyleXP());
    }
}

void CToolBarXP::actionEvent(QActionEvent* event) {
    QToolBar::actionEvent(event);
    if (event->type() == QEvent::ActionAdded) {
        if (QWidget* w = widgetForAction(event->action()); w != nullptr) {
            w->setStyle(MenuStyleXP());
        }
    }
}

namespace {

// Cuts a strip into pictures `width` wide; the bottom-left pixel's colour
// is transparent.
std::optional<std::vector<QPixmap>> LoadStrip(const QString& path, int width) {
    QImage strip(path);
    if (strip.isNull() || width <= 0 || strip.width() < width) {
        return std::nullopt;
    }
    strip = strip.convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = strip.pixel(0, strip.height() - 1);
    std::vector<QPixmap> pictures;
    for (int x = 0; x + width <= strip.width(); x += width) {
        const QImage image = strip.copy(x, 0, width, strip.height());
        QPixmap picture = QPixmap::fromImage(image);
        picture.setMask(
            QBitmap::fromImage(image.createMaskFromColor(transparent, Qt::MaskInColor)));
        pictures.push_back(picture);
    }
    return pictures;
}

} // namespace

bool CToolBarXP::SetImages(int imageWidth, const QString& normal, const QString& hot,
                           const QString& disabled) {
    auto normalList = LoadStrip(normal, imageWidth);
    if (!normalList) {
        return false;
    }
    std::optional<std::vector<QPixmap>> hotList;
    std::optional<std::vector<QPixmap>> disabledList;
    if (!hot.isEmpty() && !(hotList = LoadStrip(hot, imageWidth))) {
        return false;
    }
    if (!disabled.isEmpty() && !(disabledList = LoadStrip(disabled, imageWidth))) {
        return false;
    }
    normal_ = std::move(*normalList);
    hot_ = hotList ? std::move(*hotList) : std::vector<QPixmap>{};
    disabled_ = disabledList ? std::move(*disabledList) : std::vector<QPixmap>{};
    setIconSize(normal_.front().size());
    update();
    for (QWidget* child : findChildren<QToolButton*>()) {
        child->update();
    }
    return true;
}

QPixmap CToolBarXP::ButtonPicture(const QAction* action, ImageKind kind, qreal dpr) const {
    if (action == nullptr) {
        return {};
    }
    if (!normal_.empty()) {
        int index = 0;
        for (const QAction* a : actions()) {
            if (a->isSeparator()) {
                continue;
            }
            if (a == action) {
                const std::vector<QPixmap>& list =
                    kind == ImageKind::Hot && !hot_.empty()             ? hot_
                    : kind == ImageKind::Disabled && !disabled_.empty() ? disabled_
                                                                        : normal_;
                return static_cast<std::size_t>(index) < list.size()
                           ? list[static_cast<std::size_t>(index)]
                           : QPixmap();
            }
            ++index;
        }
        return {};
    }
    if (action->icon().isNull()) {
        return {};
    }
    return dpr > 0 ? action->icon().pixmap(iconSize(), dpr) : action->icon().pixmap(iconSize());
}

} // namespace orlen
