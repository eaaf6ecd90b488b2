#include "shell/ui/child_frame.h"
#include "page/ui/qt_text.h"

#include "shell/command_ids.h"
#include "shell/shell_texts.h"
#include "shell/ui/app_icons.h"
#include "shell/ui/hideable_splitter.h"
#include "shell/ui/web_preview_view.h"

#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

namespace orlen {

CViewTabBar::CViewTabBar(QWidget* parent) : QTabBar(parent) {
    setDrawBase(true);
    setExpanding(false);
    addTab(TabIcon(MetaDataMode), ToQString(shell_texts::kTabMetaData));
    addTab(TabIcon(WebPreviewMode), ToQString(shell_texts::kTabWebPage));
    addTab(TabIcon(SiteMode), ToQString(shell_texts::kTabSite));
    setTabToolTip(MetaDataMode, ToQString(shell_texts::kTabMetaDataTip));
    setTabToolTip(WebPreviewMode, ToQString(shell_texts::kTabWebPageTip));
    setTabToolTip(SiteMode, ToQString(shell_texts::kTabSiteTip));
    connect(this, &QTabBar::currentChanged, this, [this](int index) {
        if (!signalsBlocked()) {
            emit ViewCommand(index == MetaDataMode     ? cmd::kViewMetaData
                             : index == WebPreviewMode ? cmd::kViewWebPage
                                                       : cmd::kViewSite);
        }
    });
}

void CViewTabBar::SelectTab(int index) {
    const bool blocked = blockSignals(true);
    setCurrentIndex(index);
    blockSignals(blocked);
}

CChildFrame::CChildFrame(QWidget* parent) : QWidget(parent) {
    tabBar_ = new CViewTabBar(this);
    splitter_ = new CHideableSplitter(Qt::Vertical, this);
    metaDataPane_ = new QWidget(splitter_);
    metaDataPane_->setObjectName(QStringLiteral("metaDataPane"));
    auto* paneLayout = new QVBoxLayout(metaDataPane_);
    paneLayout->setContentsMargins(0, 0, 0, 0);
    // The form, and beside it the search and social previews.
    editingSplitter_ = new QSplitter(Qt::Horizontal, metaDataPane_);
    editingSplitter_->setChildrenCollapsible(false);
    editingPane_ = new QWidget(editingSplitter_);
    auto* editingLayout = new QVBoxLayout(editingPane_);
    editingLayout->setContentsMargins(0, 0, 0, 0);
    previewScroll_ = new QScrollArea(editingSplitter_);
    previewScroll_->setWidgetResizable(true);
    previewScroll_->setFrameShape(QFrame::NoFrame);
    previewScroll_->hide();
    editingSplitter_->addWidget(editingPane_);
    editingSplitter_->addWidget(previewScroll_);
    editingSplitter_->setStretchFactor(0, 1);
    paneLayout->addWidget(editingSplitter_);
    preview_ = new CWebPreviewView(splitter_);
    splitter_->addWidget(metaDataPane_);
    splitter_->addWidget(preview_);
    splitter_->setSizes({300, 100});
    splitter_->HideRow(1);
    sitePane_ = new QWidget(this);
    sitePane_->setObjectName(QStringLiteral("sitePane"));
    auto* siteLayout = new QVBoxLayout(sitePane_);
    siteLayout->setContentsMargins(0, 0, 0, 0);
    sitePane_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tabBar_);
    layout->addWidget(splitter_, 1);
    layout->addWidget(sitePane_, 1);

    connect(splitter_, &QSplitter::splitterMoved, this, [this] {
        const QList<int> sizes = splitter_->sizes();
        const int total = sizes.value(0) + sizes.value(1);
        if (split_ && total > 0) {
            previewShare_ = static_cast<int>(static_cast<long long>(sizes.value(1)) * 1000 / total);
            emit PreviewShareChanged(previewShare_);
        }
    });

    // The tab bar posts its command, so the tab change finishes first.
    connect(
        tabBar_, &CViewTabBar::ViewCommand, this, [this](int id) { emit PostCommand(id); },
        Qt::QueuedConnection);
}

void CChildFrame::SetEditingView(QWidget* view) {
    editingView_ = view;
    editingPane_->layout()->addWidget(view);
}

void CChildFrame::SetPreviewPanel(QWidget* panel) {
    previewPanel_ = panel;
    previewScroll_->setWidget(panel);
    previewScroll_->setMinimumWidth(panel->minimumSizeHint().width() / 2);
}

void CChildFrame::ShowPreviewPanel(bool shown) {
    previewPanelShown_ = shown && previewPanel_ != nullptr;
    previewScroll_->setVisible(previewPanelShown_);
    if (previewPanelShown_) {
        // The cards' own width, and the rest for the form.
        const int wanted = previewPanel_->sizeHint().width() +
                           previewScroll_->verticalScrollBar()->sizeHint().width();
        const int total = editingSplitter_->width();
        editingSplitter_->setSizes({std::max(total - wanted, total / 3), wanted});
    }
}

void CChildFrame::SetSiteView(QWidget* view) {
    sitePane_->layout()->addWidget(view);
}

void CChildFrame::LeaveSite() {
    if (mode_ == SiteMode) {
        sitePane_->hide();
        splitter_->show();
    }
}

void CChildFrame::ShowSite() {
    splitter_->hide();
    sitePane_->show();
    tabBar_->SelectTab(SiteMode);
    tabBar_->show();
    split_ = false;
    mode_ = SiteMode;
}

void CChildFrame::ShowMetaData() {
    LeaveSite();
    if (!split_) {
        splitter_->ShowRow();
    }
    splitter_->HideRow(1);
    tabBar_->SelectTab(0);
    tabBar_->show();
    split_ = false;
    mode_ = MetaDataMode;
}

void CChildFrame::ShowWebPage() {
    LeaveSite();
    if (!split_) {
        splitter_->ShowRow();
    }
    splitter_->HideRow(0);
    tabBar_->SelectTab(1);
    tabBar_->show();
    split_ = false;
    mode_ = WebPreviewMode;
}

void CChildFrame::ShowSplit() {
    LeaveSite();
    if (!split_) {
        splitter_->ShowRow();
    }
    tabBar_->hide();
    split_ = true;
    mode_ = SplitMode;
    SetPreviewShare(previewShare_);
}

void CChildFrame::SetPreviewShare(int perMille) {
    previewShare_ = std::clamp(perMille, 50, 950);
    if (!split_) {
        return;
    }
    // The whole height the two panes share: the splitter's, once it is
    // laid out (the tab bar above it has just gone).
    layout()->activate();
    const int total = std::max(2, splitter_->height() - splitter_->handleWidth());
    const int preview = static_cast<int>(static_cast<long long>(total) * previewShare_ / 1000);
    splitter_->setSizes({total - preview, preview});
}

bool CChildFrame::OnCmdMsg(int id) {
    if (viewTarget_ != nullptr && viewTarget_->OnCmdMsg(id)) {
        return true;
    }
    CommandState state;
    switch (id) {
    case cmd::kViewMetaData:
    case cmd::kViewWebPage:
    case cmd::kViewSplit:
    case cmd::kViewSite:
        OnUpdateCmd(id, state);
        if (!state.enabled) {
            return true; // the current mode is never chosen again
        }
        if (id == cmd::kViewMetaData) {
            ShowMetaData();
        } else if (id == cmd::kViewWebPage) {
            ShowWebPage();
        } else if (id == cmd::kViewSite) {
            ShowSite();
        } else {
            ShowSplit();
        }
        return true;
    case cmd::kViewPreviews:
        if (previewPanel_ == nullptr) {
            return false;
        }
        ShowPreviewPanel(!previewPanelShown_);
        emit PreviewPanelToggled(previewPanelShown_);
        return true;
    case cmd::kLivePreview:
        livePreview_ = !livePreview_;
        emit LivePreviewToggled(livePreview_);
        return true;
    case cmd::kPrint:
        // The preview prints while it is visible and has the focus.
        if (preview_->isVisible() && preview_->isAncestorOf(focusWidget())) {
            preview_->Print();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool CChildFrame::OnUpdateCmd(int id, CommandState& state) {
    if (viewTarget_ != nullptr && viewTarget_->OnUpdateCmd(id, state)) {
        return true;
    }
    ViewMode wanted;
    switch (id) {
    case cmd::kViewMetaData:
        wanted = MetaDataMode;
        break;
    case cmd::kViewWebPage:
        wanted = WebPreviewMode;
        break;
    case cmd::kViewSplit:
        wanted = SplitMode;
        break;
    case cmd::kViewSite:
        wanted = SiteMode;
        break;
    case cmd::kPrint:
        if (preview_->isVisible() && preview_->isAncestorOf(focusWidget())) {
            state = {true, false};
            return true;
        }
        return false;
    case cmd::kViewPreviews:
        if (previewPanel_ == nullptr) {
            return false;
        }
        state = {true, previewPanelShown_};
        return true;
    case cmd::kLivePreview:
        state = {true, livePreview_};
        return true;
    default:
        return false;
    }
    state.enabled = mode_ != wanted;
    state.checked = mode_ == wanted;
    return true;
}

} // namespace orlen
