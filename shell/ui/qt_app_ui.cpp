#include "shell/ui/qt_app_ui.h"
#include "page/ui/qt_text.h"

#include "shell/shell_texts.h"
#include "shell/ui/about_dialog.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMessageBox>
#include <QStatusBar>
#include <QUrl>

namespace orlen {

namespace {

QString Caption() {
    return QString::fromUtf8(shell_texts::kAppTitle.data());
}

} // namespace

QString QtAppUi::QtFilter(const std::string& filter) {
    const QStringList parts = ToQString(filter).split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        if (name.isEmpty()) {
            break;
        }
        const int paren = name.indexOf('(');
        if (paren >= 0) {
            name = name.left(paren).trimmed();
        }
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        out << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return out.join(QStringLiteral(";;"));
}

void QtAppUi::ShowMessage(const std::string& text) {
    QMessageBox::information(parent_, Caption(), ToQString(text));
}

void QtAppUi::ShowWarning(const std::string& text) {
    QMessageBox::warning(parent_, Caption(), ToQString(text));
}

void QtAppUi::ShowFailure(const std::string& text) {
    QMessageBox::critical(parent_, Caption(), ToQString(text));
}

void QtAppUi::ShowNote(const std::string& text) {
    if (auto* window = qobject_cast<QMainWindow*>(parent_); window != nullptr) {
        constexpr int kShownMs = 15000;
        window->statusBar()->showMessage(ToQString(text), kShownMs);
        return;
    }
    ShowMessage(text);
}

Answer QtAppUi::AskYesNo(const std::string& text) {
    return QMessageBox::question(parent_, Caption(), ToQString(text),
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes
               ? Answer::Yes
               : Answer::No;
}

Answer QtAppUi::AskYesNoCancel(const std::string& text) {
    switch (QMessageBox::question(parent_, Caption(), ToQString(text),
                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                  QMessageBox::Yes)) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

std::optional<std::string> QtAppUi::ChooseFileToOpen(const std::string& filter,
                                                     const std::string& folder) {
    const QString path =
        QFileDialog::getOpenFileName(parent_, QString(), ToQString(folder), QtFilter(filter));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

std::optional<std::string> QtAppUi::ChooseFileToSave(const std::string& filter,
                                                     const std::string& defaultExtension,
                                                     const std::string& initialName,
                                                     const std::string& folder) {
    QFileDialog dialog(parent_, QString(), ToQString(folder), QtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (!defaultExtension.empty()) {
        dialog.setDefaultSuffix(ToQString(defaultExtension));
    }
    if (!initialName.empty()) {
        dialog.selectFile(ToQString(initialName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtAppUi::ChooseFolder(const std::string& title,
                                                 const std::string& folder) {
    const QString path = QFileDialog::getExistingDirectory(
        parent_, ToQString(title), ToQString(folder), QFileDialog::ShowDirsOnly);
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path.toStdString();
}

void QtAppUi::ShowAbout() {
    CAboutDialog about(parent_);
    about.exec();
}

bool QtAppUi::OpenUrl(const std::string& url) {
    const QString text = ToQString(url);
    const QUrl target =
        text.contains(QStringLiteral("://")) ? QUrl(text) : QUrl::fromLocalFile(text);
    if (target.isLocalFile() && !QFileInfo::exists(target.toLocalFile())) {
        return false;
    }
    return QDesktopServices::openUrl(target);
}

} // namespace orlen
