#include "shell/ui/splash_window.h"

#include "shell/ui/app_icons.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QScreen>

namespace orlen {

namespace {
CSplashWindow* gCurrent = nullptr;
} // namespace

CSplashWindow* CSplashWindow::Current() {
    return gCurrent;
}

CSplashWindow* CSplashWindow::ShowSplash(QWidget* mainWindow) {
    if (gCurrent != nullptr) {
        return gCurrent;
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen != nullptr ? screen->devicePixelRatio() : 1.0;
    QPixmap picture = SplashPicture(ratio);
    if (picture.isNull()) {
        return nullptr;
    }
    auto* splash = new CSplashWindow(std::move(picture), mainWindow);
    splash->show();
    return splash;
}

CSplashWindow::CSplashWindow(QPixmap picture, QWidget* mainWindow)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(std::move(picture)), mainWindow_(mainWindow) {
    gCurrent = this;
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::ArrowCursor);
    const QSize size = picture_.size() / picture_.devicePixelRatio();
    setFixedSize(size);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
    qApp->installEventFilter(this);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &CSplashWindow::Finish);
    timer_.start(kShowMilliseconds);
}

CSplashWindow::~CSplashWindow() {
    qApp->removeEventFilter(this);
    if (gCurrent == this) {
        gCurrent = nullptr;
    }
}

void CSplashWindow::Finish() {
    qApp->removeEventFilter(this);
    close();
    if (mainWindow_ != nullptr) {
        mainWindow_->repaint();
    }
}

bool CSplashWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        // The press only closes the splash window; nothing else sees it.
        Finish();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void CSplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

} // namespace orlen
