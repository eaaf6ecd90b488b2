#include "shell/ui/web_preview_view.h"

#include "shell/preview_text.h"
#include "shell/process_folder.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>
#include <QShowEvent>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <functional>
#include <utility>

namespace orlen {

bool AllowPreviewNavigation(bool& firstNavigationAllowed, bool isMainFrame) {
    if (firstNavigationAllowed || !isMainFrame) {
        firstNavigationAllowed = false;
        return true;
    }
    return false;
}

namespace {

// A browser page that asks its view before every navigation.
class PreviewPage final : public QWebEnginePage {
public:
    using Decide = std::function<bool(const QUrl& url, bool isMainFrame)>;

    PreviewPage(Decide decide, QObject* parent)
        : QWebEnginePage(parent), decide_(std::move(decide)) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType /*type*/,
                                 bool isMainFrame) override {
        return decide_(url, isMainFrame);
    }

private:
    Decide decide_;
};

} // namespace

std::string CWebPreviewView::ScratchPrefix() {
    return QCoreApplication::applicationName().toStdString() + "-";
}

std::string CWebPreviewView::ScratchFolder() const {
    return scratch_ != nullptr ? scratch_->Path() : std::string();
}

CWebPreviewView::CWebPreviewView(QWidget* parent) : QWidget(parent) {
    // The browser covers the whole view once it exists.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

CWebPreviewView::~CWebPreviewView() {
    // A print dialog or a print job refers to printer_: end both before the
    // printer goes.
    delete printDialog_;
    delete browser_;
    browser_ = nullptr;
}

void CWebPreviewView::InitialUpdate(const std::string& path, const std::string& pageText,
                                    bool live) {
    firstNavigationAllowed_ = true;
    if (live && !path.empty()) {
        // The page's folder as the base of what the text names.
        const QString folder = QFileInfo(QFile::decodeName(QByteArray::fromStdString(path)))
                                   .absoluteDir()
                                   .absolutePath();
        const QByteArray base = QUrl::fromLocalFile(folder + QLatin1Char('/')).toEncoded();
        InitialUpdate({}, WithBaseHref(pageText, std::string_view(base.constData(), base.size())));
        return;
    }
    if (!path.empty()) {
        const QString file =
            QFileInfo(QFile::decodeName(QByteArray::fromStdString(path))).absoluteFilePath();
        Show(QUrl::fromLocalFile(file), false);
        return;
    }
    // A page never saved: its bytes go unchanged through a private file, so that
    // the browser reads them by the page's own charset, whatever their size.
    // Until the browser exists they are only remembered: the private folder
    // is made when a page from memory is first shown.
    if (browser_ == nullptr) {
        pendingText_ = pageText;
        pending_.reset();
        return;
    }
    browser_->stop();
    const QUrl url = WriteMemoryPage(pageText);
    if (url.isEmpty()) {
        return; // the preview keeps what it showed
    }
    Show(url, true);
}

void CWebPreviewView::Print() {
    if (browser_ == nullptr || printer_ != nullptr) {
        return;
    }
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printDialog_ = new QPrintDialog(printer_.get(), this);
    printDialog_->setAttribute(Qt::WA_DeleteOnClose);
    connect(printDialog_, &QDialog::finished, this, [this](int result) {
        if (result == QDialog::Accepted && browser_ != nullptr) {
            StartPrintJob();
        }
    });
    connect(printDialog_, &QObject::destroyed, this, [this] {
        printDialog_ = nullptr;
        ReleasePrinterIfIdle();
    });
    printDialog_->open();
}

bool CWebPreviewView::PrintOn(std::unique_ptr<QPrinter> printer) {
    if (browser_ == nullptr || printer_ != nullptr || printer == nullptr) {
        return false;
    }
    printer_ = std::move(printer);
    StartPrintJob();
    return true;
}

QWebEngineView* CWebPreviewView::Browser() {
    return browser_;
}

bool CWebPreviewView::FirstNavigationAllowed() const {
    return firstNavigationAllowed_;
}

bool CWebPreviewView::browserAllowed_ = true;

void CWebPreviewView::SetBrowserAllowed(bool allowed) {
    browserAllowed_ = allowed;
}

void CWebPreviewView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (browser_ == nullptr && browserAllowed_) {
        CreateBrowser();
    }
}

void CWebPreviewView::CreateBrowser() {
    browser_ = new QWebEngineView(this);
    auto* page = new PreviewPage(
        [this](const QUrl& url, bool isMainFrame) { return DecideNavigation(url, isMainFrame); },
        browser_);
    browser_->setPage(page);
    connect(browser_, &QWebEngineView::printFinished, this, [this](bool success) {
        printing_ = false;
        ReleasePrinterIfIdle();
        emit PrintFinished(success);
    });
    layout()->addWidget(browser_);
    setFocusProxy(browser_);
    if (pending_) {
        const QUrl url = *pending_;
        pending_.reset();
        browser_->load(url);
    } else if (pendingText_) {
        const std::string text = std::move(*pendingText_);
        pendingText_.reset();
        const QUrl url = WriteMemoryPage(text);
        if (!url.isEmpty()) {
            Show(url, true);
        }
    }
}

void CWebPreviewView::Show(const QUrl& url, bool fromMemory) {
    if (browser_ == nullptr) {
        pending_ = url;
        pendingText_.reset();
    } else {
        browser_->load(url);
    }
    // The file of a page from memory shown earlier is no longer needed: the
    // browser has stopped reading it.
    if (!memoryPage_.isEmpty()) {
        QFile::remove(memoryPage_.toLocalFile());
    }
    memoryPage_ = fromMemory ? url : QUrl();
}

bool CWebPreviewView::DecideNavigation(const QUrl& url, bool isMainFrame) {
    if (AllowPreviewNavigation(firstNavigationAllowed_, isMainFrame)) {
        return true;
    }
    emit NavigationRefused(url);
    return false;
}

QUrl CWebPreviewView::WriteMemoryPage(const std::string& pageText) {
    if (scratch_ == nullptr) {
        // Named by the process and locked while it runs, so that a copy of
        // the program started later can tell it from a folder left behind.
        std::string error;
        scratch_ = ProcessFolder::Create(QDir::tempPath().toStdString(), ScratchPrefix(), error);
        if (scratch_ == nullptr) {
            return {};
        }
    }
    // A fresh name each time: the browser never mixes up two pages.
    const QString name = QString::fromStdString(
        scratch_->FilePath("page-" + std::to_string(++memoryPageCount_) + ".html"));
    QFile file(name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                   QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        return {};
    }
    const auto size = static_cast<qint64>(pageText.size());
    const bool written = file.write(pageText.data(), size) == size && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        QFile::remove(name);
        return {};
    }
    return QUrl::fromLocalFile(name);
}

void CWebPreviewView::StartPrintJob() {
    printing_ = true;
    browser_->print(printer_.get());
}

void CWebPreviewView::ReleasePrinterIfIdle() {
    if (printDialog_ == nullptr && !printing_) {
        printer_.reset();
    }
}

} // namespace orlen
