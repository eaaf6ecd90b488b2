// The editor timing itself: with ORLEN_REPORT_TIMINGS set to a page's path,
// the program reports on standard output when its main window was first
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
    // The name of the environment variable that asks for the report.
    static constexpr const char* kVariable = "ORLEN_REPORT_TIMINGS";

    // A report when the environment asks for one, else nullptr. Call first
    // thing in main, so that the time since then is known.
    static std::unique_ptr<TimingReport> FromEnvironment();

    // Watches the started program's main window for its first paint.
    void Start(CVantleApp& app);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit TimingReport(std::string page);
    void OpenAndType();

    std::string page_;
    CVantleApp* app_ = nullptr;
    QElapsedTimer sinceMain_;
    bool painted_ = false;
};

} // namespace orlen
