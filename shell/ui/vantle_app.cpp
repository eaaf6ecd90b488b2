#include "shell/ui/vantle_app.h"

#include "document/document_texts.h"
#include "document/file_listing.h"
#include "editors/ui/expires_dialog.h"
#include "editors/ui/value_dialogs.h"
#include "shell/command_ids.h"
#include "shell/recovery_store.h"
#include "shell/shell_texts.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/file_tree_view.h"
#include "shell/ui/help_window.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/menu_style.h"
#include "shell/ui/signal_quit.h"
#include "shell/ui/web_preview_view.h"
#include "tags/ui/preview_panel.h"
#include "tags/ui/site_view.h"
#include "tags/ui/vantle_view.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSessionManager>
#include <QStatusBar>
#include <algorithm>
#include <functional>

namespace orlen {

namespace {

std::string RecentEntry(int i) {
    std::string entry(shell_texts::kRecentEntry);
    entry.replace(entry.find("%1"), 2, std::to_string(i));
    return entry;
}

// The document's questions go to the user; a page that was opened goes to
// the recent-file list on the way.
class DocumentUiLink final : public DocumentUi {
public:
    DocumentUiLink(AppUi& ui, std::function<void(const std::string&)> opened,
                   std::function<void(const std::string&)> saved)
        : ui_(ui), opened_(std::move(opened)), saved_(std::move(saved)) {}
    void ShowMessage(const std::string& text) override { ui_.ShowMessage(text); }
    void ShowWarning(const std::string& text) override { ui_.ShowWarning(text); }
    void ShowFailure(const std::string& text) override { ui_.ShowFailure(text); }
    // Notes go to the status bar, not into a message box.
    void ShowNote(const std::string& text) override { ui_.ShowNote(text); }
    Answer AskYesNo(const std::string& text) override { return ui_.AskYesNo(text); }
    Answer AskYesNoCancel(const std::string& text) override { return ui_.AskYesNoCancel(text); }
    std::optional<std::string> ChooseFileToOpen(const std::string& filter,
                                                const std::string& folder) override {
        return ui_.ChooseFileToOpen(filter, folder);
    }
    std::optional<std::string> ChooseFileToSave(const std::string& filter,
                                                const std::string& extension,
                                                const std::string& name,
                                                const std::string& folder) override {
        return ui_.ChooseFileToSave(filter, extension, name, folder);
    }
    void PageOpened(const std::string& path) override { opened_(path); }
    void PageSaved(const std::string& path) override { saved_(path); }

private:
    AppUi& ui_;
    std::function<void(const std::string&)> opened_;
    std::function<void(const std::string&)> saved_;
};

// The document's commands: pages, templates and Browse.
class DocumentCommands final : public CommandTarget {
public:
    DocumentCommands(CVantleApp& app, std::function<void()> browse, std::function<void()> after)
        : app_(app), browse_(std::move(browse)), after_(std::move(after)) {}
    bool OnCmdMsg(int id) override {
        if (id == cmd::kBrowse) {
            browse_();
            return true;
        }
        if (!Handles(id)) {
            return false;
        }
        app_.Doc().OnCommand(id, app_.FileTypes());
        after_();
        return true;
    }
    bool OnUpdateCmd(int id, CommandState& state) override {
        if (id == cmd::kBrowse) {
            state = {true, false};
            return true;
        }
        if (!Handles(id)) {
            return false;
        }
        state = app_.Doc().QueryCommand(id);
        return true;
    }

private:
    static bool Handles(int id) {
        switch (id) {
        case cmd::kFileOpen:
        case cmd::kFileSave:
        case cmd::kFileSaveAs:
        case cmd::kNewTemplate:
        case cmd::kOpenTemplate:
        case cmd::kSaveTemplate:
        case cmd::kSaveTemplateAs:
        case cmd::kCloseTemplate:
        case cmd::kEditTemplate:
        case cmd::kApplyTemplate:
        case cmd::kApplyButton:
        case cmd::kEditTemplateButton:
            return true;
        default:
            return false;
        }
    }
    CVantleApp& app_;
    std::function<void()> browse_;
    std::function<void()> after_;
};

// The preview changes only when a page is opened or created.
class PreviewLink final : public DocumentView {
public:
    PreviewLink(CVantleDoc& doc, CMainFrame& frame) : doc_(doc), frame_(frame) {}
    void OnUpdate() override {}
    void OnInitialUpdate() override {
        // A page from a file is shown from its file; only one never saved
        // needs its text.
        static const std::string kNoText;
        const std::string& path = doc_.GetPathName();
        frame_.ChildFrame()->Preview()->InitialUpdate(path,
                                                      path.empty() ? doc_.GetPageText() : kNoText);
    }

private:
    CVantleDoc& doc_;
    CMainFrame& frame_;
};

} // namespace

CVantleApp::CVantleApp(AppUi& ui, SettingsStore& settings) : ui_(ui), settings_(settings) {
    docUi_ = std::make_unique<DocumentUiLink>(
        ui_,
        [this](const std::string& path) {
            AddRecentFile(path);
            // A page opened any way is the one the file browser shows as
            // chosen.
            if (frame_) {
                frame_->FileTree()->ShowOpenedPage(path);
            }
        },
        [this](const std::string& path) {
            // The overview's row of a page the editor saved is read again.
            if (siteView_ != nullptr) {
                siteView_->RefreshPage(path);
            }
        });
    doc_ = std::make_unique<CVantleDoc>(*docUi_);
    docTarget_ = std::make_unique<DocumentCommands>(
        *this, [this] { Browse(); }, [this] { SyncRecovery(); });
    doc_->SetEditListener([this] { OnEdited(); });
    recoveryTimer_.setSingleShot(true);
    connect(&recoveryTimer_, &QTimer::timeout, this, &CVantleApp::SaveRecovery);
}

CVantleApp::~CVantleApp() {
    doc_->SetEditListener({});
    if (previewLink_) {
        doc_->RemoveView(previewLink_.get());
    }
}

bool CVantleApp::Startup(const std::optional<std::string>& file, bool showSplash) {
    // The XP-style menu hook is installed at this point of start-up.
    InstallMenuHook(settings_);
    LoadRecentFiles();

    frame_ = std::make_unique<CMainFrame>(*this);
    // The editing view fills the upper pane; its catalogue reads the
    // display modes, the user's own tags and the file-type list.
    view_ = new CVantleView(*doc_, settings_, fileTypes_);
    CChildFrame* child = frame_->ChildFrame();
    child->SetEditingView(view_);
    child->SetViewTarget(view_);
    // The value editors of the form's rows, by the catalogue's editor kind.
    view_->SetRowEditor(TagEditor::RobotsEditor, [this](int, const QString& value) {
        return RunValueDialog<RobotsDialog>(value, view_);
    });
    view_->SetRowEditor(TagEditor::CacheControlEditor, [this](int, const QString& value) {
        return RunValueDialog<CacheControlDialog>(value, view_);
    });
    view_->SetRowEditor(TagEditor::ExpiresEditor, [this](int, const QString& value) {
        return RunValueDialog<ExpiresDialog>(value, view_);
    });
    view_->SetRowEditor(TagEditor::RefreshEditor, [this](int, const QString& value) {
        return RunValueDialog<RefreshDialog>(value, view_);
    });
    connect(view_, &CVantleView::Command, frame_.get(),
            [this](int id) { frame_->RouteCommand(id); });
    connect(view_, &CVantleView::StatusText, frame_.get(),
            [this](const QString& text) { frame_->ShowStatusText(text); });
    connect(view_, &CVantleView::CharsetText, frame_.get(),
            [this](const QString& text) { frame_->ShowCharset(text); });
    connect(view_, &CVantleView::OpenUrlRequested, this,
            [this](const QString& url) { ui_.OpenUrl(url.toStdString()); });
    // The split view's divider stays where the user left it.
    child->SetPreviewShare(settings_.GetSettingInt(shell_texts::kLayoutSection,
                                                   shell_texts::kPreviewShareEntry,
                                                   CChildFrame::kDefaultPreviewShare));
    connect(child, &CChildFrame::PreviewShareChanged, this, [this](int perMille) {
        settings_.WriteSettingInt(shell_texts::kLayoutSection, shell_texts::kPreviewShareEntry,
                                  perMille);
    });
    // The search and social previews beside the form, shown as they were
    // left.
    child->SetPreviewPanel(new CPreviewPanel(*view_, *doc_, settings_));
    child->ShowPreviewPanel(settings_.GetSettingInt(shell_texts::kLayoutSection,
                                                    shell_texts::kPreviewPanelEntry, 0) != 0);
    connect(child, &CChildFrame::PreviewPanelToggled, this, [this](bool shown) {
        settings_.WriteSettingInt(shell_texts::kLayoutSection, shell_texts::kPreviewPanelEntry,
                                  shown ? 1 : 0);
    });
    // The live web preview: the page as edited, shown again once typing
    // pauses.
    child->SetLivePreview(settings_.GetSettingInt(shell_texts::kLayoutSection,
                                                  shell_texts::kLivePreviewEntry, 0) != 0);
    liveTimer_ = new QTimer(this);
    liveTimer_->setSingleShot(true);
    liveTimer_->setInterval(kLivePreviewPause);
    connect(liveTimer_, &QTimer::timeout, this, &CVantleApp::RefreshWebPreview);
    connect(view_, &CVantleView::ValuesChanged, this, [this] {
        if (frame_->ChildFrame()->LivePreview() && doc_->IsModified()) {
            liveTimer_->start();
        }
    });
    connect(child, &CChildFrame::LivePreviewToggled, this, [this](bool live) {
        settings_.WriteSettingInt(shell_texts::kLayoutSection, shell_texts::kLivePreviewEntry,
                                  live ? 1 : 0);
        RefreshWebPreview();
    });
    // The site overview fills the Site tab; its progress shows in the
    // status bar, and a page it opens goes through the normal open path.
    siteView_ = new CSiteView(settings_, fileTypes_);
    child->SetSiteView(siteView_);
    frame_->statusBar()->insertPermanentWidget(0, siteView_->ProgressPanel());
    siteView_->SetOpenPage([this](const std::string& path) {
        if (!OpenByPath(path)) {
            return false;
        }
        frame_->RouteCommand(cmd::kViewMetaData);
        return true;
    });
    connect(siteView_, &CSiteView::StatusText, frame_.get(),
            [this](const QString& text) { frame_->ShowStatusText(text); });
    siteView_->SetProjectDirectory(doc_->GetProjectDirectory());
    // New limits from the Options sheet: the pages are checked again.
    connect(view_, &CVantleView::AuditLimitsChanged, siteView_, &CSiteView::Rescan);
    previewLink_ = std::make_unique<PreviewLink>(*doc_, *frame_);
    doc_->AddView(previewLink_.get());
    frame_->RebuildRecentFiles(recent_);

    // A new empty page first; then the file of the command line, if any. A
    // template opens beside that new page.
    doc_->NewCommand();
    if (file && !OpenByPath(*file)) {
        return false;
    }
    frame_->RefreshCaption();
    frame_->show();
    if (showSplash) {
        // The splash window asked for at the end of the main window's making.
        frame_->ShowSplash();
    }
#ifndef QT_NO_SESSIONMANAGER
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager& manager) {
        if (!CommitData(manager.allowsInteraction())) {
            manager.cancel();
        }
        manager.release();
    });
#endif
    OfferRecovery();
    return true;
}

void CVantleApp::RefreshWebPreview() {
    liveTimer_->stop();
    const std::string& path = doc_->GetPathName();
    const bool live = frame_->ChildFrame()->LivePreview();
    static const std::string kNoText;
    frame_->ChildFrame()->Preview()->InitialUpdate(
        path, live || path.empty() ? doc_->GetPageText() : kNoText, live);
}

void CVantleApp::Shutdown() {
    RemoveMenuHook();
    SaveRecentFiles();
    if (recovery_ && !endedBySignal_) {
        recoveryTimer_.stop();
        recovery_->RemoveAll();
    }
}

void CVantleApp::SetRecoveryFolder(const std::string& folder, int delayMs) {
    recoveryFolder_ = folder;
    recovery_ = std::make_unique<RecoveryStore>(folder);
    recoveryTimer_.setInterval(delayMs);
}

void CVantleApp::OnEdited() {
    if (!recovery_) {
        return;
    }
    lastEdit_ = QDateTime::currentSecsSinceEpoch();
    recovery_->Edited();
    recoveryTimer_.start();
}

void CVantleApp::SaveRecovery() {
    if (!recovery_) {
        return;
    }
    recoveryTimer_.stop();
    std::string error;
    if (!recovery_->Save(*doc_, lastEdit_, error) && !recoveryFailureShown_) {
        // Said once: the edits themselves are still there to be saved.
        recoveryFailureShown_ = true;
        docUi_->ShowNote(doc_texts::FillIn(shell_texts::kRecoveryNotWritten, error));
    }
}

void CVantleApp::SyncRecovery() {
    if (recovery_ && !endedBySignal_) {
        SaveRecovery();
    }
}

void CVantleApp::FlushRecovery() {
    if (recoveryTimer_.isActive()) {
        SaveRecovery();
    }
}

void CVantleApp::QuitBySignal(int signal) {
    if (endedBySignal_) {
        return;
    }
    FlushRecovery();
    endedBySignal_ = true;
    signalExitStatus_ = CSignalQuit::ExitStatus(signal);
    // Dialogs end as if cancelled, innermost first; what asked goes on as
    // after Cancel, changing nothing.
    QWidget* rejected = nullptr;
    while (QWidget* modal = QApplication::activeModalWidget()) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        if (dialog == nullptr || dialog == rejected) {
            break; // one that will not close: the end of the event loop ends it
        }
        dialog->reject();
        rejected = dialog;
    }
    emit QuitRequested(signalExitStatus_);
}

bool CVantleApp::CommitData(bool interactionAllowed) {
    if (!interactionAllowed) {
        FlushRecovery();
        return true;
    }
    const bool hadEdits = doc_->IsModified() || (doc_->templateOpen && doc_->templateModified);
    if (doc_->ConfirmSave() == 0) {
        return false;
    }
    if (hadEdits && recovery_) {
        if (doc_->IsModified() || (doc_->templateOpen && doc_->templateModified)) {
            // The user chose not to keep them.
            recoveryTimer_.stop();
            recovery_->Discard();
        } else {
            SaveRecovery();
        }
    }
    if (frame_) {
        frame_->RefreshCaption();
    }
    return true;
}

void CVantleApp::OfferRecovery() {
    if (recoveryFolder_.empty()) {
        return;
    }
    std::vector<RecoveryStore::Left> left = RecoveryStore::FindLeft(recoveryFolder_);
    bool restored = false;
    for (RecoveryStore::Left& from : left) {
        if (endedBySignal_) {
            // Left for the next start.
            from.folder->Keep();
            continue;
        }
        for (const std::string& file : from.unreadable) {
            ui_.ShowWarning(doc_texts::FillIn(shell_texts::kRecoveryUnreadable, file));
        }
        for (const RecoveryCopy& copy : from.copies) {
            if (endedBySignal_) {
                from.folder->Keep();
                break;
            }
            const std::string shown = copy.path.empty() ? copy.name : copy.path;
            const QString when = QLocale().toString(
                QDateTime::fromSecsSinceEpoch(copy.editedAt).toLocalTime(), QLocale::LongFormat);
            const std::string question =
                doc_texts::FillIn(shell_texts::kRecoverPrompt, shown) + "\n\n" +
                doc_texts::FillIn(shell_texts::kRecoverEditedAt, when.toStdString());
            const Answer answer = ui_.AskYesNo(question);
            if (endedBySignal_) {
                // The prompt was closed by a signal: offered again next time.
                from.folder->Keep();
                break;
            }
            if (answer == Answer::Yes) {
                restored = RestoreCopy(copy) || restored;
            }
        }
    }
    left.clear(); // offered: the folders go
    if (restored) {
        SaveRecovery();
    }
}

bool CVantleApp::RestoreCopy(const RecoveryCopy& copy) {
    if (copy.kind == RecoveryCopy::Kind::Template) {
        if (doc_->templateOpen != 0 && doc_->CloseTemplate() == 0) {
            return false;
        }
        ApplyRecoveredTemplate(*doc_, copy);
    } else {
        // The page open now may have edits of its own: the usual prompt.
        if (doc_->ConfirmSave() == 0) {
            return false;
        }
        doc_->SetModifiedFlag(false); // saved, or the user chose to lose them
        if (!copy.path.empty() && doc_->OpenByPath(copy.path, true) != 0) {
            if (CompareBase(copy, doc_->DiskStamp()) == RecoveryBase::Changed) {
                ui_.ShowWarning(doc_texts::FillIn(shell_texts::kRecoverPageChanged, copy.path));
            }
        } else {
            // Never saved, or its file cannot be opened now: a new page
            // takes the edits, to be saved under a name.
            if (doc_->NewCommand() == 0) {
                return false;
            }
            if (!copy.path.empty()) {
                ui_.ShowWarning(doc_texts::FillIn(shell_texts::kRecoverOnNewPage, copy.path));
            }
        }
        ApplyRecoveredPage(*doc_, copy);
    }
    // The copy this program now keeps tells when the edits were made.
    lastEdit_ = copy.editedAt;
    if (frame_) {
        frame_->RefreshCaption();
        frame_->UpdateCommandUi();
    }
    return true;
}

bool CVantleApp::OpenByPath(const std::string& path) {
    const bool opened = doc_->OpenByPath(path) != 0;
    SyncRecovery();
    if (frame_) {
        frame_->RefreshCaption();
        frame_->UpdateCommandUi();
    }
    return opened;
}

std::string CVantleApp::HelpPath() const {
    // Beside the program in a build tree; in share/orlen when installed.
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + QStringLiteral("/help/index.html");
    const QString installed =
        QDir::cleanPath(dir + QStringLiteral("/../share/orlen/help/index.html"));
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed)) {
        return installed.toStdString();
    }
    return beside.toStdString();
}

void CVantleApp::ShowHelp() {
    // The book is shown in the program's own window: a desktop browser may
    // be missing, and whether one opened cannot be told.
    if (helpWindow_ == nullptr) {
        helpWindow_ = new CHelpWindow(QString::fromStdString(HelpPath()), frame_.get());
    } else {
        helpWindow_->ShowContents();
    }
    helpWindow_->show();
    helpWindow_->raise();
    helpWindow_->activateWindow();
}

void CVantleApp::Browse() {
    std::optional<std::string> folder =
        ui_.ChooseFolder(std::string(shell_texts::kSelectProjectDirectory), doc_->DialogFolder());
    if (!folder || folder->empty()) {
        return;
    }
    SetProjectDirectory(*folder);
}

void CVantleApp::SetProjectDirectory(const std::string& folder) {
    doc_->SetProjectDirectory(folder);
    if (frame_) {
        frame_->ShowFileBrowser(true);
    }
    if (siteView_ != nullptr) {
        siteView_->SetProjectDirectory(doc_->GetProjectDirectory());
    }
}

void CVantleApp::ExportSite() {
    const std::optional<std::string> path =
        ui_.ChooseFileToSave(std::string(shell_texts::kExportSiteFilter), "csv",
                             std::string(shell_texts::kExportSiteName), doc_->DialogFolder());
    if (!path || path->empty()) {
        return;
    }
    if (!siteView_->Export(QString::fromStdString(*path))) {
        std::string text(shell_texts::kExportSiteFailed);
        text.replace(text.find("%1"), 2, *path);
        ui_.ShowFailure(text);
    }
}

CommandTarget& CVantleApp::DocumentTarget() {
    return *docTarget_;
}

bool CVantleApp::OnCmdMsg(int id) {
    if (id >= cmd::kRecentFile1 && id < cmd::kRecentFile1 + cmd::kRecentFileCount) {
        const std::size_t index = static_cast<std::size_t>(id - cmd::kRecentFile1);
        if (index >= recent_.size()) {
            return true;
        }
        const std::string path = recent_[index];
        if (!OpenByPath(path)) {
            // An entry that cannot be opened is dropped, unless the user
            // only cancelled the save prompt.
            if (doc_->GetPathName() != path && !doc_->IsModified()) {
                recent_.erase(std::remove(recent_.begin(), recent_.end(), path), recent_.end());
                if (frame_) {
                    frame_->RebuildRecentFiles(recent_);
                }
            }
        }
        return true;
    }
    switch (id) {
    case cmd::kFileNew:
        doc_->NewCommand();
        SyncRecovery();
        return true;
    case cmd::kExit:
        if (frame_) {
            frame_->close();
        }
        return true;
    case cmd::kAbout:
        ui_.ShowAbout();
        return true;
    case cmd::kExportSite:
        ExportSite();
        return true;
    case cmd::kOnlineTutorials:
        ui_.OpenUrl(std::string(shell_texts::kTutorialUrl));
        return true;
    default:
        return false;
    }
}

bool CVantleApp::OnUpdateCmd(int id, CommandState& state) {
    if (id >= cmd::kRecentFile1 && id < cmd::kRecentFile1 + cmd::kRecentFileCount) {
        state = {static_cast<std::size_t>(id - cmd::kRecentFile1) < recent_.size(), false};
        return true;
    }
    switch (id) {
    case cmd::kFileNew:
    case cmd::kExit:
    case cmd::kAbout:
    case cmd::kOnlineTutorials:
        state = {true, false};
        return true;
    case cmd::kExportSite:
        // What the overview lists, once a scan has ended.
        state = {siteView_ != nullptr && !siteView_->Scanning() &&
                     siteView_->Model()->rowCount() > 0,
                 false};
        return true;
    default:
        return false;
    }
}

void CVantleApp::LoadRecentFiles() {
    recent_.clear();
    for (int i = 1; i <= kRecentFileLimit; ++i) {
        const std::string entry = RecentEntry(i);
        std::string path = settings_.GetSettingString(shell_texts::kRecentSection, entry, "");
        if (!path.empty()) {
            recent_.push_back(std::move(path));
        }
    }
}

void CVantleApp::SaveRecentFiles() {
    for (int i = 1; i <= kRecentFileLimit; ++i) {
        const std::string entry = RecentEntry(i);
        const std::size_t index = static_cast<std::size_t>(i - 1);
        settings_.WriteSettingString(shell_texts::kRecentSection, entry,
                                     index < recent_.size() ? recent_[index] : std::string());
    }
}

void CVantleApp::AddRecentFile(const std::string& path) {
    recent_.erase(std::remove(recent_.begin(), recent_.end(), path), recent_.end());
    recent_.insert(recent_.begin(), path);
    if (recent_.size() > static_cast<std::size_t>(kRecentFileLimit)) {
        recent_.resize(kRecentFileLimit);
    }
    if (frame_) {
        frame_->RebuildRecentFiles(recent_);
    }
}

} // namespace orlen
