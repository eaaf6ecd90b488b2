// Ending the program without losing work, offscreen: recovery copies of
// unsaved edits written after typing, offered and restored after a crash,
// removed after save or discard; the desktop's save request at logout; and
// the program ended by SIGTERM, leaving nothing in the temporary folder.
#include "../../temp_dir.h"
#include "document/safe_file.h"
#include "scripted_app_ui.h"
#include "shell/command_ids.h"
#include "shell/recovery_store.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/signal_quit.h"
#include "shell/ui/vantle_app.h"
#include "shell/ui/web_preview_view.h"
#include "tags/ui/vantle_view.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineView>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

namespace orlen {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

// The number of a process that has ended.
long EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<long>(child);
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The page copy in the one program folder under folder.
std::optional<RecoveryCopy> OnlyPageCopy(const std::string& folder) {
    const std::vector<std::string> names = Entries(folder);
    if (names.size() != 1) {
        return std::nullopt;
    }
    return ReadRecoveryText(ReadFile(folder + "/" + names[0] + "/" +
                                     RecoveryStore::FileName(RecoveryCopy::Kind::Page)));
}

class Recovery : public ::testing::Test {
protected:
    // A program on the data folder: the page open, its window shown.
    struct Program {
        test::ScriptedAppUi ui;
        MemorySettingsStore settings;
        std::unique_ptr<CVantleApp> app;
        // Types at the end of a row's box, as the user does.
        void Type(int row, const QString& text) {
            QWidget* box = app->View()->ValueBox(row);
            ASSERT_NE(box, nullptr) << row;
            box->setFocus();
            QTest::keyClick(box, Qt::Key_End);
            QTest::keyClick(box, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClicks(box, text);
        }
        CVantleDoc& Doc() { return app->Doc(); }
        CMainFrame& Frame() { return *app->Frame(); }
    };
    std::unique_ptr<Program> Start(const std::optional<std::string>& file,
                                   std::deque<Answer> answers = {}, int delayMs = 20) {
        auto program = std::make_unique<Program>();
        program->ui.doc.answers = std::move(answers);
        program->app = std::make_unique<CVantleApp>(program->ui, program->settings);
        program->app->SetRecoveryFolder(folder, delayMs);
        EXPECT_TRUE(program->app->Startup(file, false));
        program->Frame().show();
        QApplication::setActiveWindow(&program->Frame());
        return program;
    }
    int Description(Program& p) { return p.app->View()->Catalogue().findByName("Description"); }
    // The copies a program keeps, once the moment after typing has passed.
    static bool WaitForCopies(Program& p, std::size_t count) {
        for (int i = 0; i < 400 && p.app->Recovery()->CopyFiles().size() != count; ++i) {
            QTest::qWait(25);
        }
        return p.app->Recovery()->CopyFiles().size() == count;
    }
    // Ends a program as a crash or a kill would: no prompt, no tidying up;
    // its folder then carries the number of a process that no longer runs.
    void Crash(std::unique_ptr<Program>& program) {
        program.reset();
        for (const std::string& name : Entries(folder)) {
            const std::string own =
                std::string(RecoveryStore::kPrefix) + std::to_string(::getpid());
            if (name.rfind(own + "-", 0) == 0) {
                fs::rename(fs::path(folder) / name,
                           fs::path(folder) /
                               (std::string(RecoveryStore::kPrefix) +
                                std::to_string(EndedProcess()) + name.substr(own.size())));
            }
        }
    }

    test::TempDir dir;
    const std::string folder = dir / "data/recovery";
    const std::string page =
        dir.Write("site/page.html", "<html><head><title>Bread</title>\n"
                                    "<meta name=\"description\" content=\"Rye\">\n"
                                    "</head><body><p>Loaves</p></body></html>\n");
};

TEST_F(Recovery, CopyWrittenAfterTypingIsOfferedAndRestoredAfterACrashAndGoesOnSave) {
    auto first = Start(page);
    EXPECT_TRUE(first->app->Recovery()->CopyFiles().empty());
    first->Type(Description(*first), " and spelt");
    first->Type(0, " shop");
    ASSERT_TRUE(WaitForCopies(*first, 1));
    const std::optional<RecoveryCopy> written = OnlyPageCopy(folder);
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->head.title, "Bread shop");
    Crash(first);

    // The next start offers the copy, naming the page and when it was
    // edited; Yes opens the page with the edits unsaved.
    auto second = Start(std::nullopt, {Answer::Yes});
    ASSERT_EQ(second->ui.doc.questions.size(), 1u);
    const std::string& question = second->ui.doc.questions[0];
    EXPECT_EQ(question.rfind("Recover unsaved changes to " + page + "?\n\n", 0), 0u) << question;
    EXPECT_NE(question.find("The changes were last edited on "), std::string::npos) << question;
    EXPECT_EQ(second->Doc().GetPathName(), page);
    EXPECT_TRUE(second->Doc().IsModified());
    EXPECT_TRUE(second->Frame().isWindowModified());
    EXPECT_EQ(second->app->View()->RowValue(0), "Bread shop");
    EXPECT_EQ(second->app->View()->RowValue(Description(*second)), "Rye and spelt");
    EXPECT_TRUE(second->ui.doc.messages.empty()); // the page is as the edits left it
    // The edits are this program's now: kept at once, the old folder gone.
    EXPECT_EQ(second->app->Recovery()->CopyFiles().size(), 1u);
    const std::optional<RecoveryCopy> kept = OnlyPageCopy(folder);
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->head, written->head);
    EXPECT_EQ(kept->editedAt, written->editedAt); // when they were made, not restored
    EXPECT_NE(ReadFile(page).find("content=\"Rye\""), std::string::npos);

    // Saved: the page has the edits and the copy goes.
    ASSERT_TRUE(second->Frame().RouteCommand(cmd::kFileSave));
    EXPECT_NE(ReadFile(page).find("content=\"Rye and spelt\""), std::string::npos);
    EXPECT_NE(ReadFile(page).find("<title>Bread shop</title>"), std::string::npos);
    EXPECT_TRUE(second->app->Recovery()->CopyFiles().empty());
    second.reset();
    EXPECT_TRUE(Entries(folder).empty());
    // Nothing is offered any more.
    auto third = Start(std::nullopt);
    EXPECT_TRUE(third->ui.doc.questions.empty());
}

TEST_F(Recovery, DecliningDiscardsAndAPageChangedSinceIsTold) {
    auto first = Start(page);
    first->Type(0, " shop");
    ASSERT_TRUE(WaitForCopies(*first, 1));
    Crash(first);
    auto declined = Start(std::nullopt, {Answer::No});
    EXPECT_EQ(declined->ui.doc.questions.size(), 1u);
    EXPECT_FALSE(declined->Doc().IsModified());
    EXPECT_EQ(declined->Doc().GetPathName(), "");
    declined.reset();
    EXPECT_TRUE(Entries(folder).empty());

    // Edits of a page that another program changes before the next start.
    first = Start(page);
    first->Type(0, " shop");
    ASSERT_TRUE(WaitForCopies(*first, 1));
    Crash(first);
    dir.Write("site/page.html", "<html><head><title>Bread</title></head><body>New body</body>");
    auto second = Start(std::nullopt, {Answer::Yes});
    ASSERT_EQ(second->ui.warnings, 1);
    EXPECT_NE(second->ui.doc.messages.back().find("has been changed by another program"),
              std::string::npos);
    EXPECT_EQ(second->app->View()->RowValue(0), "Bread shop");
    EXPECT_EQ(second->app->View()->RowValue(Description(*second)), "Rye");
    EXPECT_NE(second->Doc().GetPageText().find("New body"), std::string::npos);
}

TEST_F(Recovery, ANeverSavedPageAndAnUnreadableCopyAreHandledWithoutApplyingBlindly) {
    auto first = Start(std::nullopt);
    first->Type(0, "Draft");
    ASSERT_TRUE(WaitForCopies(*first, 1));
    Crash(first);
    // A damaged copy beside it.
    const std::string damaged =
        std::string(RecoveryStore::kPrefix) + std::to_string(EndedProcess()) + "-zzzzzz";
    dir.Write("data/recovery/" + damaged + "/page.orlen-recovery", "Orlen recovery copy 1\nkind");
    auto second = Start(std::nullopt, {Answer::Yes});
    ASSERT_EQ(second->ui.doc.questions.size(), 1u);
    EXPECT_EQ(second->ui.doc.questions[0].rfind("Recover unsaved changes to Untitled?", 0), 0u);
    EXPECT_EQ(second->ui.warnings, 1);
    EXPECT_NE(second->ui.doc.messages[0].find(".unreadable"), std::string::npos);
    EXPECT_EQ(second->Doc().GetPathName(), "");
    EXPECT_EQ(second->app->View()->RowValue(0), "Draft");
    EXPECT_TRUE(second->Doc().IsModified());
}

TEST_F(Recovery, ClosingWithNoAndTheLogoutPromptFollowTheUsersAnswer) {
    // Close, No: the edits are lost as asked, and so is their copy.
    auto program = Start(page);
    program->Type(0, " shop");
    ASSERT_TRUE(WaitForCopies(*program, 1));
    program->ui.doc.answers = {Answer::No};
    EXPECT_TRUE(program->Frame().close());
    program->app->Shutdown();
    EXPECT_TRUE(program->app->Recovery()->CopyFiles().empty());
    program.reset();
    EXPECT_TRUE(Entries(folder).empty());

    // Logout: the usual prompt. Cancel stops the logout and keeps all.
    program = Start(page);
    program->Type(0, " shop");
    ASSERT_TRUE(WaitForCopies(*program, 1));
    program->ui.doc.answers = {Answer::Cancel};
    EXPECT_FALSE(program->app->CommitData(true));
    EXPECT_EQ(program->ui.doc.questions.back(), "Save changes to " + page + "?");
    EXPECT_EQ(program->app->Recovery()->CopyFiles().size(), 1u);
    // No: the copy goes, and the signal that ends the session writes none.
    program->ui.doc.answers = {Answer::No};
    EXPECT_TRUE(program->app->CommitData(true));
    EXPECT_TRUE(program->app->Recovery()->CopyFiles().empty());
    QSignalSpy quit(program->app.get(), &CVantleApp::QuitRequested);
    program->app->QuitBySignal(SIGTERM);
    EXPECT_TRUE(program->app->Recovery()->CopyFiles().empty());
    ASSERT_EQ(quit.count(), 1);
    EXPECT_EQ(quit.at(0).at(0).toInt(), 128 + SIGTERM);
    program.reset();

    // Yes saves; a session that may not ask keeps the edits as a copy.
    program = Start(page);
    program->Type(0, " shop");
    program->ui.doc.answers = {Answer::Yes};
    EXPECT_TRUE(program->app->CommitData(true));
    EXPECT_NE(ReadFile(page).find("<title>Bread shop</title>"), std::string::npos);
    EXPECT_TRUE(program->app->Recovery()->CopyFiles().empty());
    program.reset();
    program = Start(page, {}, 600000); // the moment after typing never passes here
    program->Type(0, "!");
    EXPECT_TRUE(program->app->Recovery()->CopyFiles().empty());
    EXPECT_TRUE(program->app->CommitData(false));
    EXPECT_EQ(program->app->Recovery()->CopyFiles().size(), 1u);
    EXPECT_TRUE(program->ui.doc.questions.empty());
}

TEST_F(Recovery, ASignalKeepsTheEditsNotYetWrittenAndAskNothing) {
    auto program = Start(page, {}, 600000);
    program->Type(0, " shop");
    EXPECT_TRUE(program->app->Recovery()->CopyFiles().empty());
    QSignalSpy quit(program->app.get(), &CVantleApp::QuitRequested);
    program->app->QuitBySignal(SIGHUP);
    EXPECT_EQ(program->app->Recovery()->CopyFiles().size(), 1u);
    EXPECT_TRUE(program->app->EndedBySignal());
    EXPECT_EQ(program->app->SignalExitStatus(), 128 + SIGHUP);
    EXPECT_EQ(quit.count(), 1);
    program->app->QuitBySignal(SIGTERM); // once is enough
    EXPECT_EQ(quit.count(), 1);
    program->app->Shutdown();
    EXPECT_TRUE(program->ui.doc.questions.empty());
    EXPECT_EQ(program->app->Recovery()->CopyFiles().size(), 1u);
    Crash(program);
    auto next = Start(std::nullopt, {Answer::Yes});
    EXPECT_EQ(next->app->View()->RowValue(0), "Bread shop");
}

// A page saved in place (its folder takes no new files) says so in the
// status bar, not in a box the user must close; so does a recovery copy that
// cannot be written.
TEST_F(Recovery, NotesGoToTheStatusBar) {
    std::filesystem::create_directories(dir / "data");
    dir.Write("data/recovery", "a file where the folder should be");
    auto program = Start(page);
    program->Type(0, " shop");
    for (int i = 0; i < 400 && program->ui.notes.empty(); ++i) {
        QTest::qWait(25);
    }
    ASSERT_EQ(program->ui.notes.size(), 1u);
    EXPECT_EQ(program->ui.notes[0].rfind("Unsaved changes could not be kept for recovery: ", 0),
              0u);
    FailTemporaryFilesForTesting(EACCES);
    const bool saved = program->Frame().RouteCommand(cmd::kFileSave);
    FailTemporaryFilesForTesting(0);
    ASSERT_TRUE(saved);
    ASSERT_EQ(program->ui.notes.size(), 2u);
    EXPECT_NE(program->ui.notes[1].find("was written in place"), std::string::npos);
    EXPECT_TRUE(program->ui.doc.messages.empty());
    EXPECT_NE(ReadFile(page).find("<title>Bread shop</title>"), std::string::npos);
}

TEST(SignalQuit, ASignalArrivesInTheEventLoop) {
    CSignalQuit quit;
    ASSERT_TRUE(quit.Installed());
    QSignalSpy received(&quit, &CSignalQuit::Received);
    ::raise(SIGINT);
    ::raise(SIGHUP);
    ASSERT_TRUE(received.wait(10000) || received.count() > 0);
    if (received.count() < 2) {
        received.wait(10000);
    }
    ASSERT_EQ(received.count(), 2);
    EXPECT_EQ(received.at(0).at(0).toInt(), SIGINT);
    EXPECT_EQ(received.at(1).at(0).toInt(), SIGHUP);
}

// The web engine, made when the preview is first shown, must not take the
// signals back: it resets the handlers of processes it starts, and may try
// to in the editor's own.
TEST(SignalQuit, HandlersStayWhenThePreviewStartsTheWebEngine) {
    CSignalQuit quit;
    ASSERT_TRUE(quit.Installed());
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &before), 0);
    CWebPreviewView view;
    view.resize(300, 200);
    view.InitialUpdate("", "<html><head><title>t</title></head><body>x</body></html>");
    view.show();
    ASSERT_NE(view.Browser(), nullptr);
    QSignalSpy loaded(view.Browser(), &QWebEngineView::loadFinished);
    loaded.wait(20000);
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction now {};
        ASSERT_EQ(::sigaction(signal, nullptr, &now), 0);
        EXPECT_EQ(now.sa_handler, before.sa_handler) << signal;
    }
    QSignalSpy received(&quit, &CSignalQuit::Received);
    ::raise(SIGTERM);
    ASSERT_TRUE(received.count() > 0 || received.wait(10000));
    EXPECT_EQ(received.at(0).at(0).toInt(), SIGTERM);
}

// The program as started from the desktop: SIGTERM while it runs ends it
// through its event loop, and the temporary folder holds nothing of it
// afterwards, nor of a copy killed earlier.
TEST(EndedBySignal, SigtermLeavesNothingInTheTemporaryFolderAndKeepsOfferedEdits) {
    test::TempDir dir;
    const std::string tmp = dir / "tmp";
    const std::string data = dir / "data";
    fs::create_directories(tmp);
    const std::string ended = std::to_string(EndedProcess());
    // What a killed copy left: its preview folder, and unsaved edits of a
    // page, which the start offers in a prompt.
    const std::string stale = "Orlen-" + ended + "-abc123";
    dir.Write("tmp/" + stale + "/page-1.html", "<html>");
    const std::string page = dir.Write("page.html", "<html><head><title>T</title></head></html>");
    RecoveryCopy copy;
    copy.path = page;
    copy.name = "page.html";
    copy.head.title = "Edited";
    const std::string left = "Orlen-" + ended + "-def456";
    dir.Write("data/Orlen/recovery/" + left + "/page.orlen-recovery", RecoveryText(copy));

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("TMPDIR", QString::fromStdString(tmp));
    env.insert("XDG_DATA_HOME", QString::fromStdString(data));
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(dir / "config"));
    env.insert("XDG_CACHE_HOME", QString::fromStdString(dir / "cache"));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(ORLEN_PATH), {QString::fromStdString(page)});
    ASSERT_TRUE(program.waitForStarted(60000));
    // Started far enough: the killed copy's folder is gone.
    for (int i = 0; i < 2400 && fs::exists(tmp + "/" + stale); ++i) {
        QTest::qWait(25);
    }
    ASSERT_FALSE(fs::exists(tmp + "/" + stale));
    ASSERT_EQ(::kill(static_cast<pid_t>(program.processId()), SIGTERM), 0);
    ASSERT_TRUE(program.waitForFinished(60000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit)
        << program.readAllStandardError().toStdString();
    EXPECT_EQ(program.exitCode(), 128 + SIGTERM);
    for (const std::string& name : Entries(tmp)) {
        EXPECT_NE(name.rfind("Orlen-", 0), 0u) << name;
    }
    // The edits it was offering when the signal came are offered again next
    // time; the page is untouched.
    EXPECT_EQ(RecoveryStore::FindLeft(data + "/Orlen/recovery").size(), 1u);
    EXPECT_EQ(ReadFile(page), "<html><head><title>T</title></head></html>");
}

} // namespace
} // namespace orlen
