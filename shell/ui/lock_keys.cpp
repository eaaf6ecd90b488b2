#include "shell/ui/lock_keys.h"

#include <QGuiApplication>

#if ORLEN_HAVE_X11
#include <QtGui/qguiapplication_platform.h>
// The X headers come last: their macros (None, Bool, KeyPress) would clash
// with names in Qt's headers.
#include <X11/XKBlib.h>
#endif

namespace orlen {

std::optional<std::array<bool, 3>> ReadLockKeys() {
#if ORLEN_HAVE_X11
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return std::nullopt;
    }
    auto* x11 =
        qApp != nullptr ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) {
        return std::nullopt;
    }
    unsigned int state = 0;
    if (XkbGetIndicatorState(display, XkbUseCoreKbd, &state) != Success) {
        return std::nullopt;
    }
    // Each lock's indicator is found by its name; a keymap that does not
    // name it keeps the usual place (Caps 0, Num 1, Scroll 2).
    const char* names[3] = {"Caps Lock", "Num Lock", "Scroll Lock"};
    std::array<bool, 3> on{};
    for (int i = 0; i < 3; ++i) {
        int index = i;
        const Atom atom = XInternAtom(display, names[i], True);
        int found = -1;
        if (atom != None &&
            XkbGetNamedIndicator(display, atom, &found, nullptr, nullptr, nullptr) == True &&
            found >= 0 && found < 32) {
            index = found;
        }
        on[static_cast<std::size_t>(i)] = (state & (1u << index)) != 0;
    }
    return on;
#else
    return std::nullopt;
#endif
}

} // namespace orlen
