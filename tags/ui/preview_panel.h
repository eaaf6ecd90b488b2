// The panel beside the form that shows, as the author types, the page's
// entry on a search-result page and the card a shared link shows. Both are
// painted here (no web engine): Liberation Sans at the sizes and widths the
// site checks measure with, so a cut shown here is the cut they report.
#pragma once

#include "tags/share_preview.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <string>

class QLabel;
class QToolButton;

namespace orlen {

class CVantleView;
class CVantleDoc;
class SettingsStore;

// What the panel shows, as UTF-8 text.
struct PreviewContent {
    CardSource card;      // title, description, og: and twitter: tags, canonical, site folder
    std::string pagePath; // "" for a page never saved
};

class CSearchResultCard;
class CSocialCard;

class CPreviewPanel : public QWidget {
    Q_OBJECT
public:
    // Follows the view's values and the document's page; reads and keeps
    // its desktop/mobile choice and the site checks' limits in settings.
    CPreviewPanel(CVantleView& view, const CVantleDoc& doc, SettingsStore& settings,
                  QWidget* parent = nullptr);

    // Shows new content (the view's values are read again by Refresh).
    void SetContent(const PreviewContent& content);
    // Reads the view's current values and the document's path, and shows them.
    void Refresh();
    // Reads the limits of the site checks again.
    void ReloadLimits();

    bool Mobile() const { return mobile_; }
    void SetMobile(bool mobile);

    // What is shown, for tests.
    const FittedText& ShownTitle() const { return title_; }
    const FittedText& ShownDescription() const { return description_; }
    const CardText& ShownCard() const { return card_; }
    const std::string& Crumb() const { return crumb_; }
    QString TitleCounter() const;
    QString DescriptionCounter() const;
    CounterLevel TitleLevel() const;
    CounterLevel DescriptionLevel() const;
    // The image the card shows; null when it shows the placeholder.
    const QImage& CardImage() const { return cardImage_; }
    QString ImageNote() const { return imageNote_; }
    QToolButton* MobileButton() const { return mobileButton_; }
    QToolButton* DesktopButton() const { return desktopButton_; }

private:
    friend class CSearchResultCard;
    friend class CSocialCard;
    void Recompute();
    void LoadImage(const std::string& image, const std::string& pagePath);
    SnippetWidths Widths() const;

    CVantleView& view_;
    const CVantleDoc& doc_;
    SettingsStore& settings_;
    AuditLimits limits_;
    bool mobile_ = false;
    PreviewContent content_;
    FittedText title_;
    FittedText description_;
    CardText card_;
    std::string crumb_;
    std::string siteName_;
    QImage cardImage_;
    QString imageKey_; // the file cardImage_ came from, with its time
    QString imageNote_;
    QToolButton* desktopButton_ = nullptr;
    QToolButton* mobileButton_ = nullptr;
    QLabel* titleCounter_ = nullptr;
    QLabel* descriptionCounter_ = nullptr;
    CSearchResultCard* result_ = nullptr;
    CSocialCard* social_ = nullptr;
};

} // namespace orlen
