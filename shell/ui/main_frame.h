// The main window: menus, the two toolbars, the status bar, and a splitter
// with the file browser on the left and the child frame on the right. It
// routes every command to the windows that can carry it out and keeps the
// enabled and checked states of menus and buttons up to date.
#pragma once

#include "shell/command_target.h"

#include <QMainWindow>
#include <QTimer>
#include <map>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace orlen {

class CVantleApp;
class CChildFrame;
class CFileTreeView;
class CHideableSplitter;
class CTemplateBatchUi;

class CMainFrame : public QMainWindow, public CommandTarget {
    Q_OBJECT
public:
    explicit CMainFrame(CVantleApp& app);
    ~CMainFrame() override;

    // Carries out a command through the routing; false when nobody took it
    // or it is disabled.
    bool RouteCommand(int id);
    CommandState QueryCommand(int id);
    // Refreshes every action's enabled and checked state.
    void UpdateCommandUi();

    void ShowFileBrowser(bool show);
    // F6 and Shift+F6: the focus goes to the next (previous) of the panes
    // that are showing: the file browser, the form, the preview, the site
    // overview.
    void FocusNextPane(bool forward);
    bool FileBrowserShown() const { return browserShown_; }
    void RefreshCaption();
    // The status bar's message pane: text, or the idle text for "".
    void ShowStatusText(const QString& text);
    // The status bar's charset field: the charset of what the form shows.
    void ShowCharset(const QString& text);
    QLabel* CharsetField() const { return charset_; }
    // The splash window, asked for once the main window stands.
    void ShowSplash();
    void RebuildRecentFiles(const std::vector<std::string>& paths);

    QAction* Action(int id) const;
    CChildFrame* ChildFrame() const { return childFrame_; }
    CFileTreeView* FileTree() const { return fileTree_; }
    CHideableSplitter* Splitter() const { return splitter_; }
    // Applying the template to the selected pages, and its undo.
    CTemplateBatchUi* TemplateBatch() const { return templateBatch_; }
    QToolBar* MainToolBar() const { return mainToolBar_; }
    QToolBar* ViewToolBar() const { return viewToolBar_; }
    // The CAP, NUM and SCRL fields: blank while the lock's state is not
    // known, the name (enabled while the lock is on) once it is.
    QLabel* LockIndicator(int index) const { return locks_[index]; }
    // The targets in the order a command is offered to them.
    std::vector<CommandTarget*> RouteOrder();

    bool OnCmdMsg(int id) override;
    bool OnUpdateCmd(int id, CommandState& state) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QAction* MakeAction(int id, const QString& text, const QList<QKeySequence>& keys = {});
    void BuildActions();
    void BuildMenus();
    void BuildToolBars();
    void BuildStatusBar();
    // Shows the lock keys' state as the platform tells it; false where it
    // does not.
    bool ReadLockState();
    void ShowLock(int index, bool on);

    CVantleApp& app_;
    CHideableSplitter* splitter_ = nullptr;
    CFileTreeView* fileTree_ = nullptr;
    CChildFrame* childFrame_ = nullptr;
    CTemplateBatchUi* templateBatch_ = nullptr;
    QToolBar* mainToolBar_ = nullptr;
    QToolBar* viewToolBar_ = nullptr;
    QMenu* fileMenu_ = nullptr;
    QAction* recentPlaceholder_ = nullptr;
    QAction* recentSeparator_ = nullptr;
    std::vector<QAction*> recentActions_;
    QLabel* locks_[3] = {nullptr, nullptr, nullptr};
    QLabel* charset_ = nullptr;
    bool lockOn_[3] = {false, false, false};
    bool lockKnown_[3] = {false, false, false};
    std::map<int, QAction*> actions_;
    bool browserShown_ = false;
    QTimer idleTimer_;
};

} // namespace orlen
