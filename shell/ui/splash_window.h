// The splash window: the product picture, centred on the screen while the
// main window comes up; gone after 750 ms or at the first key or mouse press,
// which it swallows.
#pragma once

#include <QPixmap>
#include <QTimer>
#include <QWidget>

namespace orlen {

class CSplashWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShowMilliseconds = 750;

    // Shows the splash window unless one exists or the picture is missing;
    // returns it (owned by itself: it deletes itself when it closes).
    static CSplashWindow* ShowSplash(QWidget* mainWindow);
    static CSplashWindow* Current();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    CSplashWindow(QPixmap picture, QWidget* mainWindow);
    ~CSplashWindow() override;
    void Finish();

    QPixmap picture_;
    QWidget* mainWindow_;
    QTimer timer_;
};

} // namespace orlen
