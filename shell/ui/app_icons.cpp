#include "shell/ui/app_icons.h"

#include "shell/command_ids.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

// The pictures are compiled into the program's library; a static library
// registers them only when asked to.
static void RegisterPictures() {
    Q_INIT_RESOURCE(resources);
}

namespace orlen {

namespace {

void EnsurePictures() {
    static const bool registered = (RegisterPictures(), true);
    (void)registered;
}

// Our own pictures are compiled in from resources/icons.
QIcon Own(const char* name) {
    EnsurePictures();
    return QIcon(QStringLiteral(":/icons/%1.svg").arg(name));
}

// The desktop theme's picture; themes that only carry the flat "symbolic"
// variant of a name serve that one.
QIcon Themed(const char* themeName, const char* fallback) {
    const QString name = QString::fromLatin1(themeName);
    for (const QString& candidate : {name, name + QStringLiteral("-symbolic")}) {
        QIcon icon = QIcon::fromTheme(candidate);
        if (!icon.isNull()) {
            return icon;
        }
    }
    return fallback != nullptr ? Own(fallback) : QIcon();
}

} // namespace

QIcon AppIcon() {
    return Own("orlen");
}

QIcon CommandIcon(int id) {
    switch (id) {
    case cmd::kFileNew:
        return Themed("document-new", nullptr);
    case cmd::kFileOpen:
        return Themed("document-open", nullptr);
    case cmd::kFileSave:
        return Themed("document-save", nullptr);
    case cmd::kFileSaveAs:
        return Themed("document-save-as", nullptr);
    case cmd::kCut:
        return Themed("edit-cut", nullptr);
    case cmd::kCopy:
        return Themed("edit-copy", nullptr);
    case cmd::kPaste:
        return Themed("edit-paste", nullptr);
    case cmd::kUndo:
        return Themed("edit-undo", nullptr);
    case cmd::kAbout:
        return Themed("help-about", "orlen");
    case cmd::kHelpTopics:
        return Themed("help-browser", nullptr);
    case cmd::kPrint:
        return Themed("document-print", nullptr);
    case cmd::kNewTemplate:
        return Own("template-new");
    case cmd::kOpenTemplate:
        return Own("template-open");
    case cmd::kSaveTemplate:
        return Own("template-save");
    case cmd::kCloseTemplate:
        return Own("template-close");
    case cmd::kBrowse:
        return Own("browse");
    case cmd::kViewAllFields:
        return Own("all-fields");
    case cmd::kViewMetaData:
        return Own("view-meta-data");
    case cmd::kViewWebPage:
        return Own("view-web-page");
    case cmd::kViewSplit:
        return Own("view-split");
    case cmd::kViewSite:
        return Own("view-site");
    default:
        return {};
    }
}

QIcon TabIcon(int index) {
    return index == 0   ? Own("view-meta-data")
           : index == 1 ? Own("view-web-page")
                        : Own("view-site");
}

QPixmap SplashPicture(qreal devicePixelRatio) {
    const QSize size(439, 268);
    QPixmap picture(size * devicePixelRatio);
    picture.setDevicePixelRatio(devicePixelRatio);
    EnsurePictures();
    QSvgRenderer renderer(QStringLiteral(":/splash.svg"));
    if (!renderer.isValid()) {
        return {};
    }
    picture.fill(Qt::white);
    QPainter painter(&picture);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return picture;
}

} // namespace orlen
