// Takes the pictures a reviewer looks at, on a real X display with a window
// manager (tools/screenshot runs it in Xvfb under openbox): the window, its
// File, View and Template menus open, the form with all fields and while a
// template is edited, the split view, the search and social previews, the
// Robots editor, the Options sheet, the site overview of the page's folder,
// the help window, and the offer of unsaved edits at the start after a crash.
//   orlen-shots PAGE OUTDIR
#include "shell/command_ids.h"
#include "shell/recovery_store.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/help_window.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/qt_app_ui.h"
#include "shell/ui/qt_settings_store.h"
#include "shell/ui/vantle_app.h"
#include "tags/ui/options_sheet.h"
#include "tags/ui/preview_panel.h"
#include "tags/ui/site_view.h"
#include "tags/ui/vantle_view.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <cstdio>

#include <sys/wait.h>
#include <unistd.h>

namespace {

// Lets the program and the window manager draw for a while.
void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QTest::qWait(20);
    }
}

bool Shoot(const QString& folder, const char* name) {
    Settle(400);
    const QPixmap picture = QGuiApplication::primaryScreen()->grabWindow(0);
    const QString path = folder + "/" + name;
    if (picture.isNull() || !picture.save(path, "PNG")) {
        std::fprintf(stderr, "orlen-shots: cannot save %s\n", qPrintable(path));
        return false;
    }
    std::printf("orlen-shots: %s\n", qPrintable(path));
    return true;
}

void OpenMenu(orlen::CMainFrame& frame, const QString& title) {
    for (QAction* action : frame.menuBar()->actions()) {
        if (action->text() == title) {
            const QRect item = frame.menuBar()->actionGeometry(action);
            QTest::mouseClick(frame.menuBar(), Qt::LeftButton, {}, item.center());
        }
    }
}

void CloseMenus() {
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orlen"));
    QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
    QIcon::setThemeName(QStringLiteral("Adwaita"));
    if (argc != 3) {
        std::fprintf(stderr, "usage: orlen-shots PAGE OUTDIR\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(folder);

    orlen::QtSettingsStore settings;
    orlen::QtAppUi ui;
    orlen::CVantleApp app(ui, settings);
    if (!app.Startup(std::string(argv[1]), false)) {
        return 1;
    }
    ui.SetParentWindow(app.Frame());
    orlen::CMainFrame& frame = *app.Frame();
    frame.resize(1100, 760);
    frame.move(40, 30);
    frame.activateWindow();
    Settle(1500);
    bool ok = Shoot(folder, "window.png");

    OpenMenu(frame, QStringLiteral("&File"));
    ok = Shoot(folder, "menu-file.png") && ok;
    CloseMenus();
    OpenMenu(frame, QStringLiteral("&View"));
    ok = Shoot(folder, "menu-view.png") && ok;
    CloseMenus();
    OpenMenu(frame, QStringLiteral("&Template"));
    ok = Shoot(folder, "menu-template.png") && ok;
    CloseMenus();

    // The form with all fields, and while the site's template is edited.
    frame.RouteCommand(orlen::cmd::kViewAllFields);
    ok = Shoot(folder, "form-all-fields.png") && ok;
    frame.RouteCommand(orlen::cmd::kViewAllFields);
    const QString site = QFileInfo(QString::fromLocal8Bit(argv[1])).absolutePath();
    if (QFileInfo::exists(site + "/site.mtpl") &&
        app.OpenByPath((site + "/site.mtpl").toStdString())) {
        frame.RouteCommand(orlen::cmd::kEditTemplate);
        ok = Shoot(folder, "form-template-editing.png") && ok;
        frame.RouteCommand(orlen::cmd::kEditTemplate);
        ok = Shoot(folder, "form-template-open.png") && ok;
        frame.RouteCommand(orlen::cmd::kCloseTemplate);
    }

    frame.RouteCommand(orlen::cmd::kViewSplit);
    Settle(2500); // the preview loads the page
    ok = Shoot(folder, "split-view.png") && ok;
    frame.RouteCommand(orlen::cmd::kViewMetaData);

    // The search and social previews beside the form: the page as it is,
    // then texts too long for a result with a remote image, on a desktop
    // and on a phone.
    frame.resize(1240, 820);
    frame.RouteCommand(orlen::cmd::kViewPreviews);
    Settle(300);
    ok = Shoot(folder, "previews.png") && ok;
    if (auto* panel = qobject_cast<orlen::CPreviewPanel*>(frame.ChildFrame()->PreviewPanel())) {
        // The panel alone, at the screen's scale: the cards are painted, so
        // they stay sharp at any scale.
        if (!panel->grab().save(folder + QStringLiteral("/previews-panel.png"), "PNG")) {
            ok = false;
        }
        orlen::PreviewContent content;
        content.pagePath = argv[1];
        content.card.siteFolder = site.toStdString();
        content.card.title = "Crumb & Co. – the sourdough bakery in Harbour Street, open every "
                             "morning from six, with croissants and crème brûlée";
        content.card.description =
            "Crumb & Co. is a small family bakery in Harbour Street: sourdough loaves, "
            "croissants and crème brûlée, baked every morning from six o'clock by Hélène and "
            "her team, with baking classes on Saturdays and orders taken for weddings.";
        content.card.ogImage = "https://cdn.crumb-and-co.example/cards/front.jpg";
        panel->SetContent(content);
        ok = Shoot(folder, "previews-long.png") && ok;
        panel->SetMobile(true);
        ok = Shoot(folder, "previews-mobile.png") && ok;
        panel->SetMobile(false);
        panel->Refresh();
    }
    frame.RouteCommand(orlen::cmd::kViewPreviews);
    frame.resize(1100, 760);

    // The Robots editor over the window, opened by the row's Edit button.
    orlen::CVantleView& view = *app.View();
    const int robots = view.Catalogue().findByName("robots");
    QPushButton* edit = robots >= 0 ? view.RowButton(robots) : nullptr;
    if (edit != nullptr) {
        QTimer::singleShot(0, [&] {
            Settle(300);
            ok = Shoot(folder, "robots-editor.png") && ok;
            if (QWidget* dialog = QApplication::activeModalWidget()) {
                dialog->close();
            }
        });
        edit->click();
    }
    // The Options sheet on its File types page.
    QTimer::singleShot(0, [&] {
        if (auto* sheet = qobject_cast<orlen::COptionsSheet*>(QApplication::activeModalWidget())) {
            sheet->ShowPage(2);
            ok = Shoot(folder, "options-file-types.png") && ok;
            sheet->reject();
        }
    });
    frame.RouteCommand(orlen::cmd::kOptions);

    // The site overview of the page's folder, whole and then only the pages
    // with warnings or errors.
    app.SetProjectDirectory(site.toStdString());
    frame.RouteCommand(orlen::cmd::kViewSite);
    orlen::CSiteView& siteView = *app.SiteView();
    while (siteView.Scanning()) {
        Settle(100);
    }
    Settle(500);
    ok = Shoot(folder, "site-view.png") && ok;
    siteView.FindingCombo()->setCurrentIndex(orlen::CSiteFilter::WithWarnings);
    ok = Shoot(folder, "site-view-filtered.png") && ok;
    siteView.FindingCombo()->setCurrentIndex(orlen::CSiteFilter::AllPages);

    // The help window, on its contents and on the page about recovery.
    frame.RouteCommand(orlen::cmd::kHelpTopics);
    if (orlen::CHelpWindow* help = app.HelpWindow()) {
        help->move(120, 80);
        ok = Shoot(folder, "help-window.png") && ok;
        help->Browser()->setSource(help->IndexUrl().resolved(QUrl("your-files.html#recovery")));
        ok = Shoot(folder, "help-recovery.png") && ok;
        help->close();
    }
    app.Shutdown();
    frame.hide();

    // The next start after a crash with unsaved edits of the page: the
    // prompt, then the window with the edits back.
    const QString recovery = folder + "/recovery-data";
    QDir(recovery).removeRecursively();
    const pid_t ended = ::fork();
    if (ended == 0) {
        ::_exit(0);
    }
    ::waitpid(ended, nullptr, 0);
    const QString left = recovery + QStringLiteral("/Orlen-%1-shots0").arg(ended);
    QDir().mkpath(left);
    orlen::RecoveryCopy copy;
    copy.path = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath().toStdString();
    copy.editedAt = QDateTime::currentSecsSinceEpoch() - 600;
    copy.charset = "UTF-8";
    copy.head = app.Doc().Page().GetMetaDataSet();
    copy.head.title += " (edited before the crash)";
    QFile file(left + "/" + QString::fromStdString(orlen::RecoveryStore::FileName(copy.kind)));
    const std::string text = orlen::RecoveryText(copy);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(text.data(), static_cast<qint64>(text.size()));
        file.close();
    }
    orlen::QtAppUi nextUi;
    orlen::CVantleApp next(nextUi, settings);
    next.SetRecoveryFolder(recovery.toStdString());
    QTimer::singleShot(0, [&] {
        Settle(500);
        ok = Shoot(folder, "recovery-prompt.png") && ok;
        if (QWidget* prompt = QApplication::activeModalWidget()) {
            QTest::keyClick(prompt, Qt::Key_Return); // Yes, the default
        }
    });
    if (!next.Startup(std::nullopt, false)) {
        return 1;
    }
    next.Frame()->resize(1100, 760);
    next.Frame()->move(40, 30);
    ok = Shoot(folder, "recovery-restored.png") && ok;
    // The edits stay unsaved: the page is an example of the project's.
    next.Doc().SetModifiedFlag(false);
    next.Frame()->hide();
    next.Shutdown();
    QDir(recovery).removeRecursively();
    return ok ? 0 : 1;
}
