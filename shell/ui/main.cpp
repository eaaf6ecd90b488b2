// orlen: the desktop editor.
#include "document/safe_file.h"
#include "shell/process_folder.h"
#include "shell/shell_texts.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/qt_app_ui.h"
#include "shell/ui/qt_settings_store.h"
#include "shell/ui/signal_quit.h"
#include "shell/ui/timing_report.h"
#include "shell/ui/vantle_app.h"
#include "shell/ui/web_preview_view.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>

#include <QStandardPaths>
#include <memory>

#include <optional>

int main(int argc, char** argv) {
    // The time since main, for --report-timings.
    QElapsedTimer sinceMain;
    sinceMain.start();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    // SIGTERM, SIGINT and SIGHUP end the program through its event loop,
    // so that it tidies up as after Exit; taken over first thing, so that a
    // signal during start-up waits for the loop too.
    orlen::CSignalQuit signalQuit;
    QApplication::setApplicationName(QStringLiteral("Orlen"));
    QApplication::setApplicationDisplayName(QStringLiteral("Orlen"));
    // Lets the desktop match the window to its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("orlen"));
    QApplication::setApplicationVersion(QString::fromUtf8(orlen::shell_texts::kVersion.data()));
    // A page whose folder takes no new files is saved in place, its old
    // content kept meanwhile in the user's cache folder.
    orlen::SetInPlaceBackupFolder(
        QStandardPaths::writableLocation(QStandardPaths::CacheLocation).toStdString());
    // Without a desktop session there is no icon theme; Adwaita is installed
    // with the program.
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    if (QIcon::themeName().isEmpty() || QIcon::themeName() == QStringLiteral("hicolor")) {
        QIcon::setThemeName(QStringLiteral("Adwaita"));
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Edits the title and meta tags of HTML pages. FILE is a page to open, or a meta-tag "
        "template (a name ending in .mtpl) to open beside a new page."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The page or template."),
                                 QStringLiteral("[FILE]"));
    const QCommandLineOption reportTimings(
        QString::fromLatin1(orlen::TimingReport::kOption),
        QStringLiteral("Open PAGE, type one key into its description, print how long the first "
                       "paint, the open and the keystroke took, and quit without saving."),
        QStringLiteral("PAGE"));
    parser.addOption(reportTimings);
    parser.process(application);
    std::unique_ptr<orlen::TimingReport> timings;
    if (parser.isSet(reportTimings)) {
        timings = orlen::TimingReport::Create(parser.value(reportTimings).toStdString(), sinceMain);
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        parser.showHelp(2);
    }
    std::optional<std::string> file;
    if (!files.isEmpty()) {
        file = files.first().toStdString();
    }

    // The preview's folders in the temporary folder that copies of the
    // program ended by a kill or a crash left behind.
    orlen::RemoveOrphanedProcessFolders(QDir::tempPath().toStdString(),
                                        orlen::CWebPreviewView::ScratchPrefix());

    orlen::QtSettingsStore settings;
    orlen::QtAppUi ui;
    orlen::CVantleApp app(ui, settings);
    QObject::connect(&signalQuit, &orlen::CSignalQuit::Received, &app,
                     &orlen::CVantleApp::QuitBySignal);
    QObject::connect(&app, &orlen::CVantleApp::QuitRequested, &app,
                     [](int status) { QCoreApplication::exit(status); });
    // Unsaved edits are kept in the user's data folder until saved or
    // discarded; the timing run leaves no trace there.
    if (!timings) {
        app.SetRecoveryFolder((QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                               QLatin1Char('/') +
                               QString::fromUtf8(orlen::shell_texts::kRecoveryFolder.data(),
                                                 orlen::shell_texts::kRecoveryFolder.size()))
                                  .toStdString());
    }
    if (!app.Startup(file)) {
        return 1;
    }
    ui.SetParentWindow(app.Frame());
    if (timings) {
        timings->Start(app);
    }
    // A signal during start-up (its prompts run the event loop) has ended
    // it already.
    const int status = app.EndedBySignal() ? app.SignalExitStatus() : QApplication::exec();
    app.Shutdown();
    settings.Sync();
    return status;
}
