// The editor timing itself: started with --report-timings PAGE, the program
// reports on standard output when its main window was first
// painted, how long opening that page took until the editing form showed it,
// and how long one keystroke in the description took to reach the page;
// then it quits. The browser preview is not created in this mode, so the
// times are those of the editor itself.
#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <memory>
#include <string>

namespace orlen {

class CVantleApp;

class TimingReport final : public QObject {
public:
    // The command-line option that asks for the report, with the page.
    static constexpr const char* kOption = "report-timings";

    // A report on page; sinceMain was started first thing in main, so that
    // the time since then is known. The browser preview is not created
    // from here on.
    static std::unique_ptr<TimingReport> Create(std::string page, QElapsedTimer sinceMain);

    // Watches the started program's main window for its first paint.
    void Start(CVantleApp& app);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TimingReport(std::string page, QElapsedTimer sinceMain);
    void OpenAndType();

    std::string page_;
    CVantleApp* app_ = nullptr;
    QElapsedTimer sinceMain_;
    bool painted_ = false;
};

} // namespace orlen
