// The editor timing itself: started with --report-timings PAGE, the program
// paints its window, opens the page, types into it, reports and quits,
// leaving the page as it was.
#include "../../temp_dir.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace orlen {
namespace {

TEST(TimingReport, ReportsStartOpenAndKeystrokeThenQuitsWithoutSaving) {
    test::TempDir dir;
    const std::string pageText = "<html><head><title>Timed</title>\n"
                                 "<meta name=\"description\" content=\"Bread\">\n"
                                 "</head><body>Body</body></html>\n";
    const std::string page = dir.Write("p.html", pageText);

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QString::fromStdString(dir.Path() / "config"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ORLEN_PATH),
                  {QStringLiteral("--report-timings"), QString::fromStdString(page)});
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitCode(), 0);
    const QString out = QString::fromUtf8(program.readAllStandardOutput());
    for (const char* line : {"first-paint-monotonic ", "first-paint-since-main ", "open ",
                             "open-title Timed\n", "keystroke ", "keystroke-stored yes\n"}) {
        EXPECT_TRUE(out.contains(QString::fromUtf8(line))) << line << " in\n" << out.toStdString();
    }
    EXPECT_EQ(test::ReadFile(page), pageText);
}

} // namespace
} // namespace orlen
