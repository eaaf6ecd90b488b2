#include "shell/ui/timing_report.h"

#include "document/vantle_doc.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/vantle_app.h"
#include "shell/ui/web_preview_view.h"
#include "tags/ui/vantle_view.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace orlen {

namespace {

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Seconds on the monotonic clock, which other processes read too: a caller
// that noted the time before starting the program subtracts it.
double MonotonicSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

std::unique_ptr<TimingReport> TimingReport::Create(std::string page, QElapsedTimer sinceMain) {
    CWebPreviewView::SetBrowserAllowed(false);
    return std::unique_ptr<TimingReport>(new TimingReport(std::move(page), sinceMain));
}

TimingReport::TimingReport(std::string page, QElapsedTimer sinceMain)
    : page_(std::move(page)), sinceMain_(sinceMain) {}

void TimingReport::Start(CVantleApp& app) {
    app_ = &app;
    app.Frame()->installEventFilter(this);
}

bool TimingReport::eventFilter(QObject* watched, QEvent* event) {
    if (!painted_ && event->type() == QEvent::Paint && watched == app_->Frame()) {
        painted_ = true;
        // The paint itself runs after this filter: note the time once it is
        // done, then go on from the event loop.
        QTimer::singleShot(0, this, [this] {
            std::printf("first-paint-monotonic %.6f\n", MonotonicSeconds());
            std::printf("first-paint-since-main %.3f ms\n", Milliseconds(sinceMain_));
            std::fflush(stdout);
            OpenAndType();
        });
    }
    return false;
}

void TimingReport::OpenAndType() {
    CMainFrame* frame = app_->Frame();
    CVantleView* view = app_->View();
    QElapsedTimer timer;
    timer.start();
    const bool opened = app_->OpenByPath(page_);
    QCoreApplication::processEvents();
    frame->repaint(); // the filled form, painted
    const double openMs = Milliseconds(timer);
    if (!opened) {
        std::printf("error cannot open %s\n", page_.c_str());
        QCoreApplication::exit(1);
        return;
    }
    std::printf("open %.3f ms\n", openMs);
    std::printf("open-title %s\n", app_->Doc().GetPageTitle().c_str());

    // One character typed at the end of the description, as a user types
    // it: the key goes to the focused box, which stores its row in the page.
    const int row = view->Catalogue().findByName("description");
    QWidget* box = row >= 0 ? view->ValueBox(row) : nullptr;
    if (box == nullptr) {
        std::printf("error no description row\n");
        QCoreApplication::exit(1);
        return;
    }
    frame->activateWindow();
    QApplication::setActiveWindow(frame);
    view->FocusRow(row);
    QCoreApplication::processEvents();
    if (auto* line = qobject_cast<QLineEdit*>(box)) {
        line->end(false);
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(box)) {
        text->moveCursor(QTextCursor::End);
    }
    // The splash window closes on the first key press and takes it, as it
    // does when a user presses a key.
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::ShiftModifier);
    QApplication::sendEvent(box, &shift);
    QCoreApplication::processEvents();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    timer.restart();
    QApplication::sendEvent(box, &press);
    QApplication::sendEvent(box, &release);
    QCoreApplication::processEvents();
    const double keyMs = Milliseconds(timer);
    const std::string stored = app_->Doc().Page().GetMetaContent("description");
    std::printf("keystroke %.3f ms\n", keyMs);
    std::printf("keystroke-stored %s\n", (!stored.empty() && stored.back() == 'x') ? "yes" : "no");
    std::fflush(stdout);
    // Nothing is saved: the page stays as it was on disk.
    app_->Doc().SetModifiedFlag(false);
    QCoreApplication::exit(0);
}

} // namespace orlen
