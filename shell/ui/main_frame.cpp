#include "shell/ui/main_frame.h"
#include "page/ui/qt_text.h"

#include "shell/command_ids.h"
#include "shell/shell_texts.h"
#include "shell/template_batch_texts.h"
#include "shell/ui/app_icons.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/file_tree_view.h"
#include "shell/ui/hideable_splitter.h"
#include "shell/ui/lock_keys.h"
#include "shell/ui/menu_style.h"
#include "shell/ui/splash_window.h"
#include "shell/ui/template_batch_ui.h"
#include "shell/ui/vantle_app.h"
#include "shell/ui/web_preview_view.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

namespace orlen {

namespace {

// The prompt (before the newline) and tooltip (after it) of a command.
std::pair<QString, QString> PromptAndTip(int id) {
    for (const auto& entry : shell_texts::kCommandTexts) {
        if (entry.id == id) {
            const QString text = ToQString(entry.text);
            const int newline = text.indexOf('\n');
            return {text.left(newline), text.mid(newline + 1)};
        }
    }
    return {};
}

} // namespace

CMainFrame::CMainFrame(CVantleApp& app) : app_(app) {
    setWindowIcon(AppIcon());
    setObjectName(QStringLiteral("mainFrame"));

    // The client: file browser and child frame side by side.
    splitter_ = new CHideableSplitter(Qt::Horizontal, this);
    CFileTreeView::Hooks hooks;
    hooks.projectDirectory = [this] { return app_.Doc().GetProjectDirectory(); };
    hooks.fileTypes = [this] { return app_.FileTypes(); };
    hooks.openByPath = [this](const std::string& path) { return app_.OpenByPath(path); };
    hooks.closeRequested = [this] { ShowFileBrowser(false); };
    fileTree_ = new CFileTreeView(std::move(hooks), splitter_);
    childFrame_ = new CChildFrame(splitter_);
    splitter_->addWidget(fileTree_);
    splitter_->addWidget(childFrame_);
    splitter_->setStretchFactor(1, 1);
    setCentralWidget(splitter_);
    browserShown_ = true;
    ShowFileBrowser(false);

    BuildActions();
    templateBatch_ = new CTemplateBatchUi(app_, *this);
    fileTree_->Tree()->addAction(actions_[cmd::kApplyTemplateToSelection]);
    BuildMenus();
    BuildToolBars();
    BuildStatusBar();
    // Menus and toolbars are drawn flat; menu items show the picture of the
    // toolbar button with the same command.
    EnableXPMenus(this, true);
    connect(childFrame_, &CChildFrame::PostCommand, this, [this](int id) { RouteCommand(id); });

    // Enabled and checked states follow the application while it is idle.
    idleTimer_.setInterval(150);
    connect(&idleTimer_, &QTimer::timeout, this, &CMainFrame::UpdateCommandUi);
    idleTimer_.start();
    qApp->installEventFilter(this);
    resize(1100, 760);
    UpdateCommandUi();
}

CMainFrame::~CMainFrame() {
    qApp->removeEventFilter(this);
    // The panes go before it: it no longer follows the focus.
    qApp->disconnect(templateBatch_);
}

QAction* CMainFrame::MakeAction(int id, const QString& text, const QList<QKeySequence>& keys) {
    auto* action = new QAction(text, this);
    const auto [prompt, tip] = PromptAndTip(id);
    action->setStatusTip(prompt);
    action->setToolTip(tip.isEmpty() ? QString(text).remove('&') : tip);
    action->setIcon(CommandIcon(id));
    action->setIconVisibleInMenu(true);
    if (!keys.isEmpty()) {
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
    actions_[id] = action;
    return action;
}

void CMainFrame::BuildActions() {
    using K = QKeySequence;
    MakeAction(cmd::kFileNew, tr("&New"), {K(Qt::CTRL | Qt::Key_N)});
    MakeAction(cmd::kFileOpen, tr("&Open..."), {K(Qt::CTRL | Qt::Key_O)});
    MakeAction(cmd::kFileSave, tr("&Save"), {K(Qt::CTRL | Qt::Key_S)});
    MakeAction(cmd::kFileSaveAs, tr("Save &As..."));
    MakeAction(cmd::kBrowse, tr("&Browse"), {K(Qt::ALT | Qt::Key_B)});
    MakeAction(cmd::kExit, tr("E&xit"));
    MakeAction(cmd::kNewTemplate, tr("&New"));
    MakeAction(cmd::kOpenTemplate, tr("&Open"));
    MakeAction(cmd::kSaveTemplate, tr("&Save"));
    MakeAction(cmd::kSaveTemplateAs, tr("Save &As ..."));
    MakeAction(cmd::kCloseTemplate, tr("&Close"));
    MakeAction(cmd::kEditTemplate, tr("&Edit"))->setCheckable(true);
    MakeAction(cmd::kApplyTemplate, tr("A&pply"), {K(Qt::ALT | Qt::Key_A)});
    MakeAction(cmd::kApplyTemplateToSelection, ToQString(batch_ui_texts::kApplyToSelection))
        ->setStatusTip(ToQString(batch_ui_texts::kApplyToSelectionPrompt));
    MakeAction(cmd::kUndoLastBatch, ToQString(batch_ui_texts::kUndoLastBatch))
        ->setStatusTip(ToQString(batch_ui_texts::kUndoLastBatchPrompt));
    MakeAction(cmd::kUndo, tr("&Undo"), {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)});
    MakeAction(cmd::kCut, tr("Cu&t"), {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)});
    MakeAction(cmd::kCopy, tr("&Copy"), {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)});
    MakeAction(cmd::kPaste, tr("&Paste"), {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)});
    MakeAction(cmd::kViewMetaData, tr("&Meta-data"), {K(Qt::ALT | Qt::Key_M)})->setCheckable(true);
    MakeAction(cmd::kViewWebPage, tr("&Web page preview"), {K(Qt::ALT | Qt::Key_W)})
        ->setCheckable(true);
    MakeAction(cmd::kViewSplit, tr("S&plit view"), {K(Qt::ALT | Qt::Key_S)})->setCheckable(true);
    MakeAction(cmd::kViewSite, tr("Si&te overview"), {K(Qt::ALT | Qt::Key_O)})->setCheckable(true);
    MakeAction(cmd::kExportSite, tr("&Export site overview..."));
    MakeAction(cmd::kViewPreviews, tr("Search and social pre&views"), {K(Qt::ALT | Qt::Key_R)})
        ->setCheckable(true);
    MakeAction(cmd::kLivePreview, tr("&Live web preview"))->setCheckable(true);
    MakeAction(cmd::kViewAllFields, tr("&Display all fields"), {K(Qt::ALT | Qt::Key_D)})
        ->setCheckable(true);
    MakeAction(cmd::kViewToolbar, tr("&Toolbar"))->setCheckable(true);
    MakeAction(cmd::kViewStatusBar, tr("&Status Bar"))->setCheckable(true);
    MakeAction(cmd::kOptions, tr("&Options"));
    MakeAction(cmd::kHelpTopics, tr("&Help Topics"), {K(Qt::Key_F1), K(Qt::SHIFT | Qt::Key_F1)});
    MakeAction(cmd::kOnlineTutorials, tr("Online &Tutorials and updates"));
    MakeAction(cmd::kAbout, tr("&About %1...").arg(ToQString(shell_texts::kProductName)));
    MakeAction(cmd::kPrint, tr("&Print"), {K(Qt::CTRL | Qt::Key_P)});
    MakeAction(cmd::kNextPane, tr("Next pane"), {K(Qt::Key_F6)});
    MakeAction(cmd::kPrevPane, tr("Previous pane"), {K(Qt::SHIFT | Qt::Key_F6)});
    // Shortcuts without a menu item still need their action in the window.
    addAction(actions_[cmd::kPrint]);
    addAction(actions_[cmd::kNextPane]);
    addAction(actions_[cmd::kPrevPane]);
    for (int i = 0; i < cmd::kRecentFileCount; ++i) {
        auto* action = new QAction(this);
        const int id = cmd::kRecentFile1 + i;
        connect(action, &QAction::triggered, this, [this, id] { RouteCommand(id); });
        recentActions_.push_back(action);
        actions_[id] = action;
    }
}

void CMainFrame::BuildMenus() {
    QMenuBar* bar = menuBar();
    auto a = [this](int id) { return actions_.at(id); };

    fileMenu_ = bar->addMenu(tr("&File"));
    fileMenu_->addActions(
        {a(cmd::kFileNew), a(cmd::kFileOpen), a(cmd::kFileSave), a(cmd::kFileSaveAs)});
    fileMenu_->addSeparator();
    fileMenu_->addAction(a(cmd::kBrowse));
    fileMenu_->addAction(a(cmd::kExportSite));
    fileMenu_->addSeparator();
    recentPlaceholder_ = fileMenu_->addAction(ToQString(shell_texts::kRecentFilePlaceholder));
    recentPlaceholder_->setEnabled(false);
    for (QAction* action : recentActions_) {
        fileMenu_->addAction(action);
        action->setVisible(false);
    }
    recentSeparator_ = fileMenu_->addSeparator();
    fileMenu_->addAction(a(cmd::kExit));

    QMenu* templates = bar->addMenu(tr("&Template"));
    templates->addActions({a(cmd::kNewTemplate), a(cmd::kOpenTemplate), a(cmd::kSaveTemplate),
                           a(cmd::kSaveTemplateAs), a(cmd::kCloseTemplate)});
    templates->addSeparator();
    templates->addActions({a(cmd::kEditTemplate), a(cmd::kApplyTemplate)});
    templates->addSeparator();
    templates->addActions({a(cmd::kApplyTemplateToSelection), a(cmd::kUndoLastBatch)});

    QMenu* edit = bar->addMenu(tr("&Edit"));
    edit->addAction(a(cmd::kUndo));
    edit->addSeparator();
    edit->addActions({a(cmd::kCut), a(cmd::kCopy), a(cmd::kPaste)});

    QMenu* view = bar->addMenu(tr("&View"));
    view->addActions(
        {a(cmd::kViewMetaData), a(cmd::kViewWebPage), a(cmd::kViewSplit), a(cmd::kViewSite)});
    view->addSeparator();
    view->addActions({a(cmd::kViewPreviews), a(cmd::kLivePreview)});
    view->addSeparator();
    view->addAction(a(cmd::kViewAllFields));
    view->addSeparator();
    view->addActions({a(cmd::kViewToolbar), a(cmd::kViewStatusBar)});
    view->addSeparator();
    view->addAction(a(cmd::kOptions));

    QMenu* help = bar->addMenu(tr("&Help"));
    help->addActions({a(cmd::kHelpTopics), a(cmd::kOnlineTutorials)});
    help->addSeparator();
    help->addAction(a(cmd::kAbout));

    for (QMenu* menu : {fileMenu_, templates, edit, view, help}) {
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUi);
    }
}

void CMainFrame::BuildToolBars() {
    auto a = [this](int id) { return actions_.at(id); };
    mainToolBar_ = new CToolBarXP(tr("Standard"), this);
    mainToolBar_->setObjectName(QStringLiteral("mainToolBar"));
    mainToolBar_->addActions({a(cmd::kFileNew), a(cmd::kFileOpen), a(cmd::kFileSave)});
    mainToolBar_->addSeparator();
    mainToolBar_->addActions({a(cmd::kNewTemplate), a(cmd::kOpenTemplate), a(cmd::kSaveTemplate),
                              a(cmd::kCloseTemplate)});
    mainToolBar_->addSeparator();
    mainToolBar_->addActions({a(cmd::kCut), a(cmd::kCopy), a(cmd::kPaste)});
    mainToolBar_->addSeparator();
    mainToolBar_->addActions({a(cmd::kAbout), a(cmd::kHelpTopics)});

    viewToolBar_ = new CToolBarXP(tr("View"), this);
    viewToolBar_->setObjectName(QStringLiteral("viewToolBar"));
    viewToolBar_->addAction(a(cmd::kBrowse));
    viewToolBar_->addSeparator();
    viewToolBar_->addAction(a(cmd::kViewAllFields));
    viewToolBar_->addSeparator();
    viewToolBar_->addActions(
        {a(cmd::kViewMetaData), a(cmd::kViewWebPage), a(cmd::kViewSplit), a(cmd::kViewSite)});

    for (QToolBar* bar : {mainToolBar_, viewToolBar_}) {
        bar->setIconSize(QSize(16, 16));
        bar->setMovable(true);
        bar->setAllowedAreas(Qt::AllToolBarAreas);
        // Both bars share one row at the top, the view bar right of the main.
        addToolBar(Qt::TopToolBarArea, bar);
    }
    setDockOptions(dockOptions() | QMainWindow::AnimatedDocks);
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    const QString idle = ToQString(shell_texts::kIdleStatus);
    bar->showMessage(idle);
    // The message pane falls back to the idle text whenever a prompt ends.
    connect(bar, &QStatusBar::messageChanged, bar, [bar, idle](const QString& message) {
        if (message.isEmpty()) {
            bar->showMessage(idle);
        }
    });
    charset_ = new QLabel(bar);
    charset_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    charset_->setAccessibleName(ToQString(shell_texts::kCharsetFieldName));
    bar->addPermanentWidget(charset_);
    // Blank until the state of the lock is known.
    for (int i = 0; i < 3; ++i) {
        locks_[i] = new QLabel(bar);
        locks_[i]->setAlignment(Qt::AlignCenter);
        locks_[i]->setMinimumWidth(locks_[i]->fontMetrics().horizontalAdvance("SCRL") + 10);
        locks_[i]->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        locks_[i]->setEnabled(false);
        bar->addPermanentWidget(locks_[i]);
    }
    ReadLockState();
}

bool CMainFrame::ReadLockState() {
    const std::optional<std::array<bool, 3>> state = ReadLockKeys();
    if (!state) {
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        ShowLock(i, (*state)[static_cast<std::size_t>(i)]);
    }
    return true;
}

void CMainFrame::ShowLock(int index, bool on) {
    static const char* const names[3] = {"CAP", "NUM", "SCRL"};
    lockKnown_[index] = true;
    lockOn_[index] = on;
    locks_[index]->setText(QString::fromLatin1(names[index]));
    locks_[index]->setEnabled(on);
}

QAction* CMainFrame::Action(int id) const {
    auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

std::vector<CommandTarget*> CMainFrame::RouteOrder() {
    // The pane with the focus is the active one; commands go first to the
    // other panes of the main splitter, then to the active pane, then to
    // this window and the application.
    QWidget* focus = QApplication::focusWidget();
    const bool treeActive = focus != nullptr && fileTree_->isAncestorOf(focus);
    CommandTarget& doc = app_.DocumentTarget();
    std::vector<CommandTarget*> order;
    auto addPane = [&](bool tree) {
        if (tree) {
            if (browserShown_) {
                order.push_back(&doc);
            }
        } else {
            order.push_back(childFrame_);
            order.push_back(&doc);
        }
    };
    if (treeActive) {
        addPane(false);
        addPane(true);
    } else {
        addPane(true);
        addPane(false);
    }
    order.push_back(this);
    order.push_back(&app_);
    return order;
}

bool CMainFrame::RouteCommand(int id) {
    if (!QueryCommand(id).enabled) {
        return false;
    }
    for (CommandTarget* target : RouteOrder()) {
        if (target->OnCmdMsg(id)) {
            RefreshCaption();
            UpdateCommandUi();
            return true;
        }
    }
    return false;
}

CommandState CMainFrame::QueryCommand(int id) {
    CommandState state;
    for (CommandTarget* target : RouteOrder()) {
        if (target->OnUpdateCmd(id, state)) {
            return state;
        }
    }
    return {}; // nobody handles it: disabled
}

void CMainFrame::UpdateCommandUi() {
    const std::vector<CommandTarget*> order = RouteOrder();
    for (auto& [id, action] : actions_) {
        CommandState state;
        bool handled = false;
        for (CommandTarget* target : order) {
            if (target->OnUpdateCmd(id, state)) {
                handled = true;
                break;
            }
        }
        action->setEnabled(handled && state.enabled);
        if (action->isCheckable()) {
            action->setChecked(handled && state.checked);
        }
    }
    RefreshCaption();
}

void CMainFrame::RefreshCaption() {
    // "[*]" is where the desktop shows "*" while the page has unsaved edits.
    const QString caption = QString::fromStdString(app_.Doc().GetTitle()) + "[*] - " +
                            ToQString(shell_texts::kAppTitle);
    if (windowTitle() != caption) {
        setWindowTitle(caption);
    }
    setWindowModified(app_.Doc().IsModified());
}

void CMainFrame::ShowCharset(const QString& text) {
    charset_->setText(text);
}

void CMainFrame::ShowStatusText(const QString& text) {
    statusBar()->showMessage(text.isEmpty() ? ToQString(shell_texts::kIdleStatus) : text);
}

void CMainFrame::ShowSplash() {
    CSplashWindow::ShowSplash(this);
}

void CMainFrame::RebuildRecentFiles(const std::vector<std::string>& paths) {
    for (std::size_t i = 0; i < recentActions_.size(); ++i) {
        QAction* action = recentActions_[i];
        if (i < paths.size()) {
            QString shown = QString::fromStdString(paths[i]);
            shown.replace('&', QStringLiteral("&&"));
            action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
            action->setVisible(true);
        } else {
            action->setVisible(false);
        }
    }
    recentPlaceholder_->setVisible(paths.empty());
}

void CMainFrame::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    // The menu titles are drawn by whether the window is active; the menu
    // bar repaints by itself only when its palette changes with it.
    if (event->type() == QEvent::ActivationChange) {
        menuBar()->update();
    }
}

void CMainFrame::FocusNextPane(bool forward) {
    std::vector<QWidget*> panes;
    if (browserShown_ && fileTree_->isVisible()) {
        panes.push_back(fileTree_->Tree());
    }
    QWidget* form = childFrame_->EditingView();
    if (form != nullptr && form->isVisible()) {
        panes.push_back(form);
    }
    if (childFrame_->Preview()->isVisible()) {
        panes.push_back(childFrame_->Preview());
    }
    QWidget* site = childFrame_->SitePane();
    if (site->isVisible() && site->layout()->count() > 0) {
        panes.push_back(site->layout()->itemAt(0)->widget());
    }
    if (panes.empty()) {
        return;
    }
    const QWidget* focus = QApplication::focusWidget();
    const int count = static_cast<int>(panes.size());
    int at = -1;
    for (int i = 0; i < count; ++i) {
        if (focus != nullptr && (focus == panes[i] || panes[i]->isAncestorOf(focus))) {
            at = i;
        }
    }
    const int next = at < 0 ? (forward ? 0 : count - 1) : (at + (forward ? 1 : count - 1)) % count;
    panes[static_cast<std::size_t>(next)]->setFocus(forward ? Qt::TabFocusReason
                                                            : Qt::BacktabFocusReason);
}

void CMainFrame::ShowFileBrowser(bool show) {
    if (show && !browserShown_) {
        splitter_->ShowColumn();
        browserShown_ = true;
        fileTree_->setMinimumWidth(100);
        splitter_->SetPaneSize(0, 250);
        fileTree_->RefreshTree();
    } else if (!show && browserShown_) {
        browserShown_ = false;
        splitter_->HideColumn(0);
    } else if (show) {
        fileTree_->RefreshTree();
    }
}

bool CMainFrame::OnCmdMsg(int id) {
    switch (id) {
    case cmd::kViewToolbar:
        // Both toolbars come and go together.
        if (mainToolBar_->isVisible()) {
            viewToolBar_->hide();
            mainToolBar_->hide();
        } else {
            mainToolBar_->show();
            viewToolBar_->show();
        }
        return true;
    case cmd::kViewStatusBar:
        statusBar()->setVisible(!statusBar()->isVisible());
        return true;
    case cmd::kHelpTopics:
    case cmd::kHelp:
    case cmd::kContextHelp:
    case cmd::kDefaultHelp:
        app_.ShowHelp();
        return true;
    case cmd::kNextPane:
    case cmd::kPrevPane:
        FocusNextPane(id == cmd::kNextPane);
        return true;
    default:
        return templateBatch_->OnCmdMsg(id);
    }
}

bool CMainFrame::OnUpdateCmd(int id, CommandState& state) {
    switch (id) {
    case cmd::kViewToolbar:
        state = {true, mainToolBar_->isVisible()};
        return true;
    case cmd::kViewStatusBar:
        state = {true, statusBar()->isVisible()};
        return true;
    case cmd::kHelpTopics:
    case cmd::kHelp:
    case cmd::kContextHelp:
    case cmd::kDefaultHelp:
    case cmd::kNextPane:
    case cmd::kPrevPane:
        state = {true, false};
        return true;
    default:
        return templateBatch_->OnUpdateCmd(id, state);
    }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (app_.Doc().ConfirmSave() == 0) {
        event->ignore();
        return;
    }
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    // A key event reaches the window first and is then passed on to the
    // focus widget and its parents; it is counted once, at the window.
    const QEvent::Type type = event->type();
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && watched->isWindowType()) {
        // The lock indicators follow the lock keys.
        const auto* key = static_cast<QKeyEvent*>(event);
        const int index = key->key() == Qt::Key_CapsLock     ? kCapsLock
                          : key->key() == Qt::Key_NumLock    ? kNumLock
                          : key->key() == Qt::Key_ScrollLock ? kScrollLock
                                                             : -1;
        if (index >= 0 && !key->isAutoRepeat() && !ReadLockState() && type == QEvent::KeyPress) {
            // The platform does not tell: a press toggles the lock, and one
            // whose state was not known was off before the first press.
            ShowLock(index, lockKnown_[index] ? !lockOn_[index] : true);
        }
    } else if (type == QEvent::WindowActivate && watched == this) {
        // The locks may have changed while another program had the keyboard.
        ReadLockState();
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace orlen
