// The help window: the help book that ships with the program, shown in the
// program's own browser, with the book's contents beside the page and Back,
// Forward and Contents buttons. It needs no web browser on the desktop;
// only links to other web sites go there.
#pragma once

#include <QUrl>
#include <QWidget>

class QAction;
class QTextBrowser;
class QTreeWidget;

namespace orlen {

class CHelpWindow : public QWidget {
    Q_OBJECT
public:
    // index is the book's index page; when it is missing, the copy built
    // into the program is shown.
    explicit CHelpWindow(const QString& index, QWidget* parent = nullptr);

    // Shows the index page.
    void ShowContents();
    QTextBrowser* Browser() const { return browser_; }
    QTreeWidget* ContentsList() const { return contents_; }
    QAction* BackAction() const { return back_; }
    QAction* ForwardAction() const { return forward_; }
    QAction* ContentsAction() const { return home_; }
    // The index page shown: a file, or the built-in copy.
    QUrl IndexUrl() const { return index_; }

    // The built-in copy of the book's index page.
    static QUrl BuiltInIndex();

private:
    void FillContents();
    void MarkTopic(const QUrl& source);

    QUrl index_;
    QTextBrowser* browser_ = nullptr;
    QTreeWidget* contents_ = nullptr;
    QAction* back_ = nullptr;
    QAction* forward_ = nullptr;
    QAction* home_ = nullptr;
};

} // namespace orlen
