// The program's pictures: the desktop theme's icon where it has a fitting
// one, else our own drawing shipped with the program.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace orlen {

QIcon AppIcon();
// The picture of a command's toolbar button and menu item; a null icon when
// the command has none.
QIcon CommandIcon(int id);
// The pictures of the view tabs: 0 "Meta-data", 1 "Web page", 2 "Site".
QIcon TabIcon(int index);
// The splash picture, 439 by 268 pixels (twice that on a high-density
// screen).
QPixmap SplashPicture(qreal devicePixelRatio = 1.0);

} // namespace orlen
