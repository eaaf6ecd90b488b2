#include "shell/ui/help_window.h"

#include "shell/help_book.h"
#include "shell/shell_texts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QKeySequence>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace orlen {

namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Two addresses of one page of the book, whatever part of it they point at.
bool SamePage(const QUrl& a, const QUrl& b) {
    return a.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery) ==
           b.adjusted(QUrl::RemoveFragment | QUrl::RemoveQuery);
}

} // namespace

QUrl CHelpWindow::BuiltInIndex() {
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

CHelpWindow::CHelpWindow(const QString& index, QWidget* parent) : QWidget(parent, Qt::Window) {
    index_ = QFileInfo::exists(index) ? QUrl::fromLocalFile(QFileInfo(index).absoluteFilePath())
                                      : BuiltInIndex();
    setWindowTitle(Text(shell_texts::kHelpWindowTitle));
    setWindowIcon(QIcon(QStringLiteral(":/icons/orlen.svg")));

    auto* tools = new QToolBar(this);
    tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    back_ = tools->addAction(QIcon::fromTheme(QStringLiteral("go-previous")),
                             Text(shell_texts::kHelpBack));
    back_->setShortcuts(QKeySequence::Back);
    forward_ = tools->addAction(QIcon::fromTheme(QStringLiteral("go-next")),
                                Text(shell_texts::kHelpForward));
    forward_->setShortcuts(QKeySequence::Forward);
    home_ = tools->addAction(QIcon::fromTheme(QStringLiteral("go-home")),
                             Text(shell_texts::kHelpContents));

    contents_ = new QTreeWidget(this);
    contents_->setHeaderHidden(true);
    contents_->setRootIsDecorated(false);
    contents_->setAccessibleName(Text(shell_texts::kHelpContents));
    browser_ = new QTextBrowser(this);
    // Pages of the book open here; other web sites in the desktop's browser.
    browser_->setOpenExternalLinks(true);

    auto* split = new QSplitter(this);
    split->addWidget(contents_);
    split->addWidget(browser_);
    split->setStretchFactor(1, 1);
    split->setSizes({220, 640});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(tools);
    layout->addWidget(split);

    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward_, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home_, &QAction::triggered, this, &CHelpWindow::ShowContents);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, &CHelpWindow::MarkTopic);
    connect(browser_, &QTextBrowser::historyChanged, this, [this] {
        setWindowTitle(browser_->documentTitle().isEmpty() ? Text(shell_texts::kHelpWindowTitle)
                                                           : browser_->documentTitle());
    });
    connect(contents_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        const QUrl url = item->data(0, Qt::UserRole).toUrl();
        if (!SamePage(url, browser_->source())) {
            browser_->setSource(url);
        }
    });
    connect(contents_, &QTreeWidget::itemClicked, contents_, &QTreeWidget::itemActivated);

    // The book's style sheet, as far as the help browser's HTML goes.
    QFile css(index_.isLocalFile() ? QFileInfo(index_.toLocalFile()).dir().filePath("help.css")
                                   : QStringLiteral(":/help/help.css"));
    if (css.open(QIODevice::ReadOnly)) {
        browser_->document()->setDefaultStyleSheet(QString::fromUtf8(css.readAll()));
    }
    FillContents();
    resize(900, 640);
    ShowContents();
}

void CHelpWindow::ShowContents() {
    if (!SamePage(browser_->source(), index_)) {
        browser_->setSource(index_);
    }
}

void CHelpWindow::FillContents() {
    QFile file(index_.isLocalFile() ? index_.toLocalFile() : QStringLiteral(":/help/index.html"));
    QByteArray html;
    if (file.open(QIODevice::ReadOnly)) {
        html = file.readAll();
    }
    auto* top = new QTreeWidgetItem(contents_, {Text(shell_texts::kHelpContents)});
    top->setData(0, Qt::UserRole, index_);
    for (const HelpTopic& topic : HelpContents(std::string_view(html.constData(), html.size()))) {
        auto* item = new QTreeWidgetItem(contents_, {QString::fromStdString(topic.title)});
        item->setData(0, Qt::UserRole, index_.resolved(QUrl(QString::fromStdString(topic.file))));
    }
}

void CHelpWindow::MarkTopic(const QUrl& source) {
    for (int i = 0; i < contents_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = contents_->topLevelItem(i);
        if (SamePage(item->data(0, Qt::UserRole).toUrl(), source)) {
            contents_->setCurrentItem(item);
            return;
        }
    }
    contents_->clearSelection();
}

} // namespace orlen
