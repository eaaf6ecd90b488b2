// The application: settings, the file-type list, the one document and the
// main window; start-up in a fixed order, opening paths, the recent-file
// list, and the commands that belong to no window.
#pragma once

#include "document/vantle_doc.h"
#include "shell/app_ui.h"
#include "shell/command_target.h"
#include "shell/settings_store.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlen {

class CHelpWindow;
class RecoveryStore;
struct RecoveryCopy;
class CMainFrame;
class CSiteView;
class CVantleView;

class CVantleApp : public QObject, public CommandTarget {
    Q_OBJECT
public:
    CVantleApp(AppUi& ui, SettingsStore& settings);
    ~CVantleApp() override;

    // Starts the application: settings, recent files, the main window with
    // a new page, then the file of the command line if any. Returns false
    // when start-up fails (the file could not be opened).
    bool Startup(const std::optional<std::string>& file, bool showSplash = true);
    // Saves what lasts beyond the session (the recent-file list). Unless the
    // program ends by a signal, the user has answered the save prompts, so
    // the recovery copies go.
    void Shutdown();

    // Keeps recovery copies of unsaved edits in folder, written delayMs
    // after the last edit; call before Startup, which offers the copies
    // that programs ended without tidying up left there. Without it no
    // copies are kept.
    void SetRecoveryFolder(const std::string& folder, int delayMs = kRecoveryDelayMs);
    RecoveryStore* Recovery() { return recovery_.get(); }
    // Writes the recovery copy now if an edit is waiting for it.
    void FlushRecovery();
    // A signal asks the program to end: the unsaved edits are kept as
    // recovery copies, open dialogs are closed as if cancelled, and the
    // program is asked to end with SignalExitStatus (QuitRequested). Nothing
    // is asked.
    void QuitBySignal(int signal);
    bool EndedBySignal() const { return endedBySignal_; }
    int SignalExitStatus() const { return signalExitStatus_; }
    // The desktop's session is ending (logout): the usual save prompts when
    // the session manager lets the program ask, else the recovery copy is
    // written. False when the user cancelled, which asks the session
    // manager to stop the logout.
    bool CommitData(bool interactionAllowed);
    static constexpr int kRecoveryDelayMs = 1500;

    // Opens a page or a template; a page goes to the top of the recent-file
    // list. Returns false when nothing was opened.
    bool OpenByPath(const std::string& path);
    // Makes a folder the project directory: the file browser shows it and
    // the site overview lists its pages.
    void SetProjectDirectory(const std::string& folder);

    CVantleDoc& Doc() { return *doc_; }
    CMainFrame* Frame() { return frame_.get(); }
    CVantleView* View() { return view_; }
    CSiteView* SiteView() { return siteView_; }
    AppUi& Ui() { return ui_; }
    SettingsStore& Settings() { return settings_; }
    std::string& FileTypes() { return fileTypes_; }
    const std::vector<std::string>& RecentFiles() const { return recent_; }
    // Where the help book is: help/index.html beside the program, or
    // ../share/orlen/help/index.html from the program's folder when installed.
    std::string HelpPath() const;
    // Shows the help book's index in the help window.
    void ShowHelp();
    // Shows the page again in the web page preview: as edited when the live
    // preview is on, else from its file (a page never saved from its text).
    void RefreshWebPreview();
    CHelpWindow* HelpWindow() const { return helpWindow_; } // nullptr until shown

    // Commands of the application and of the document (Browse included).
    bool OnCmdMsg(int id) override;
    bool OnUpdateCmd(int id, CommandState& state) override;
    CommandTarget& DocumentTarget();

    static constexpr int kRecentFileLimit = 6;

Q_SIGNALS:
    // The event loop should end with status (after a signal).
    void QuitRequested(int status);

private:
    void LoadRecentFiles();
    void SaveRecentFiles();
    void AddRecentFile(const std::string& path);
    void Browse();
    void ExportSite();
    void OnEdited();
    void SaveRecovery();
    // After a command of the document: copies follow saves and discards.
    void SyncRecovery();
    void OfferRecovery();
    // Gives the document a copy's edits; false when the user cancelled.
    bool RestoreCopy(const RecoveryCopy& copy);

    AppUi& ui_;
    SettingsStore& settings_;
    std::string fileTypes_;
    std::unique_ptr<DocumentUi> docUi_;
    std::unique_ptr<CVantleDoc> doc_;
    std::unique_ptr<CommandTarget> docTarget_;
    std::unique_ptr<DocumentView> previewLink_;
    QTimer* liveTimer_ = nullptr; // owned by the application object
    // How long typing pauses before the live web preview shows the edits.
    static constexpr int kLivePreviewPause = 600;
    std::unique_ptr<CMainFrame> frame_;
    CVantleView* view_ = nullptr;       // owned by the main window
    CSiteView* siteView_ = nullptr;     // owned by the main window
    CHelpWindow* helpWindow_ = nullptr; // owned by the main window
    std::vector<std::string> recent_;
    std::string recoveryFolder_;
    std::unique_ptr<RecoveryStore> recovery_;
    QTimer recoveryTimer_;
    std::int64_t lastEdit_ = 0;
    bool recoveryFailureShown_ = false;
    bool endedBySignal_ = false;
    int signalExitStatus_ = 0;
};

} // namespace orlen
