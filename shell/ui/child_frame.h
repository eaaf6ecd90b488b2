// The right-hand part of the main window: a tab bar over a splitter with the
// meta-data editing view above and the web preview below, or over the site
// overview, and the four view modes that hide and show them.
#pragma once

#include "shell/command_target.h"

#include <QTabBar>
#include <QWidget>

class QScrollArea;
class QSplitter;

namespace orlen {

class CHideableSplitter;
class CWebPreviewView;

enum ViewMode : int { MetaDataMode = 0, WebPreviewMode = 1, SiteMode = 2, SplitMode = -1 };

// The tabs "Meta-data", "Web page" and "Site", in ViewMode order. Choosing a tab asks the frame for
// the matching view mode; selecting a tab from code does not.
class CViewTabBar : public QTabBar {
    Q_OBJECT
public:
    explicit CViewTabBar(QWidget* parent = nullptr);
    void SelectTab(int index);

signals:
    void ViewCommand(int id);
};

class CChildFrame : public QWidget, public CommandTarget {
    Q_OBJECT
public:
    explicit CChildFrame(QWidget* parent = nullptr);

    // The upper pane (the meta-data editing view goes in it) and the preview.
    QWidget* MetaDataPane() const { return metaDataPane_; }
    void SetEditingView(QWidget* view);
    QWidget* EditingView() const { return editingView_; }
    // The search and social previews, beside the editing view; hidden until
    // shown.
    void SetPreviewPanel(QWidget* panel);
    void ShowPreviewPanel(bool shown);
    bool PreviewPanelShown() const { return previewPanelShown_; }
    QWidget* PreviewPanel() const { return previewPanel_; }
    // Whether the web page preview shows the page as edited rather than its
    // file (View > Live web preview).
    bool LivePreview() const { return livePreview_; }
    void SetLivePreview(bool live) { livePreview_ = live; }
    // The site overview, shown in place of the splitter in SiteMode.
    void SetSiteView(QWidget* view);
    QWidget* SitePane() const { return sitePane_; }
    CWebPreviewView* Preview() const { return preview_; }
    CViewTabBar* TabBar() const { return tabBar_; }
    CHideableSplitter* Splitter() const { return splitter_; }
    ViewMode Mode() const { return mode_; }
    bool IsSplit() const { return split_; }
    // The part of the height the preview takes in split view, in
    // thousandths (half by default); kept while the user moves the divider.
    int PreviewShare() const { return previewShare_; }
    void SetPreviewShare(int perMille);

    // Commands go to the active view first (set by the application: the
    // editing view's target), then to this frame's view modes.
    void SetViewTarget(CommandTarget* target) { viewTarget_ = target; }
    CommandTarget* ViewTarget() const { return viewTarget_; }
    bool OnCmdMsg(int id) override;
    bool OnUpdateCmd(int id, CommandState& state) override;

signals:
    // A view-mode command asked for by the tab bar; carried out through the
    // main window's command routing, so a disabled mode is never chosen.
    void PostCommand(int id);
    // The user moved the divider of the split view.
    void PreviewShareChanged(int perMille);
    // The user showed or hid the search and social previews.
    void PreviewPanelToggled(bool shown);
    void LivePreviewToggled(bool live);

private:
    void ShowMetaData();
    void ShowWebPage();
    void ShowSplit();
    void ShowSite();
    // The splitter back in place of the site overview.
    void LeaveSite();

    CViewTabBar* tabBar_;
    CHideableSplitter* splitter_;
    QWidget* metaDataPane_;
    QSplitter* editingSplitter_;
    QWidget* editingPane_;
    QScrollArea* previewScroll_;
    QWidget* previewPanel_ = nullptr;
    QWidget* editingView_ = nullptr;
    bool previewPanelShown_ = false;
    bool livePreview_ = false;
    QWidget* sitePane_;
    CWebPreviewView* preview_;
    CommandTarget* viewTarget_ = nullptr;
    bool split_ = false;
    ViewMode mode_ = MetaDataMode;
    int previewShare_ = kDefaultPreviewShare;

public:
    static constexpr int kDefaultPreviewShare = 500;
};

} // namespace orlen
