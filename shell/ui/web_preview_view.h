// The web preview pane: the open page as a web browser renders it.
//
// The preview shows the page as saved on disk, or for a page never saved the
// page text held in memory, and it changes only at InitialUpdate (after New or
// Open). It does not follow links: the first navigation after an initial
// update and every navigation inside a sub-frame (the frames of a frameset
// page, iframes) go through; any other navigation of the top-level page is
// refused, so the preview keeps showing the edited page.
//
// The browser engine is started only when the view is first shown, so that
// the program starts quickly while the preview is hidden; an InitialUpdate
// made before then is remembered and applied once the browser exists.
#pragma once

#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class QPrintDialog;
class QPrinter;
class QShowEvent;
class QWebEngineView;

namespace orlen {

class ProcessFolder;

// The navigation rule, testable without a browser: let the navigation through when
// the first navigation is still allowed or it targets a sub-frame; letting one through
// clears the flag.
bool AllowPreviewNavigation(bool& firstNavigationAllowed, bool isMainFrame);

class CWebPreviewView : public QWidget {
    Q_OBJECT
public:
    explicit CWebPreviewView(QWidget* parent = nullptr);
    ~CWebPreviewView() override;
    CWebPreviewView(const CWebPreviewView&) = delete;
    CWebPreviewView& operator=(const CWebPreviewView&) = delete;

    // Called after New or Open: path is the page file ("" for a page never saved),
    // pageText the page's bytes (shown when path is empty). With live, the
    // page is shown from pageText whatever its path: the page as edited, its
    // images and links found beside its file.
    void InitialUpdate(const std::string& path, const std::string& pageText, bool live = false);

    // Ctrl+P: opens a print dialog (window-modal, it does not block) and prints the
    // page on the printer chosen there. Does nothing before the browser exists or
    // while an earlier dialog or print job is not over.
    void Print();
    // Prints the page on the given printer without asking; PrintFinished tells
    // the outcome. False when nothing was started (no browser yet, or printing).
    bool PrintOn(std::unique_ptr<QPrinter> printer);
    // Whether the print dialog is open or a print job runs.
    bool IsPrinting() const { return printer_ != nullptr; }

    QWebEngineView* Browser(); // nullptr until the engine was created
    // Whether a view may create its browser when first shown (default yes).
    // The editor timing itself turns it off, to time the editor alone.
    static void SetBrowserAllowed(bool allowed);
    bool FirstNavigationAllowed() const;
    // The start of the name of the private folder in the temporary folder
    // ("Orlen-" and the process number), and the folder ("" while none
    // was needed).
    static std::string ScratchPrefix();
    std::string ScratchFolder() const;

Q_SIGNALS:
    // A navigation of the top-level page that the preview refused.
    void NavigationRefused(const QUrl& url);
    void PrintFinished(bool success);

protected:
    void showEvent(QShowEvent* event) override;

private:
    static bool browserAllowed_;
    void CreateBrowser();
    void Show(const QUrl& url, bool fromMemory);
    bool DecideNavigation(const QUrl& url, bool isMainFrame);
    // Writes page text to a fresh file in the view's private folder; an empty
    // URL when that fails.
    QUrl WriteMemoryPage(const std::string& pageText);
    void StartPrintJob();
    void ReleasePrinterIfIdle();

    QWebEngineView* browser_ = nullptr;
    bool firstNavigationAllowed_ = true;
    // What an InitialUpdate asked to show before the browser existed.
    std::optional<QUrl> pending_;
    // Page text of never-saved pages goes through files in here.
    std::unique_ptr<ProcessFolder> scratch_;
    // Page text an InitialUpdate asked to show before the browser existed.
    std::optional<std::string> pendingText_;
    QUrl memoryPage_;
    int memoryPageCount_ = 0;
    // The printer of the print dialog and then of the print job; the browser
    // prints on it asynchronously, so it lives until both are over.
    std::unique_ptr<QPrinter> printer_;
    QPrintDialog* printDialog_ = nullptr;
    bool printing_ = false;
};

} // namespace orlen
