#include "shell/ui/about_dialog.h"

#include "shell/shell_texts.h"
#include "shell/ui/app_icons.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlen {

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
    const QString product = QString::fromUtf8(shell_texts::kProductName.data(),
                                              static_cast<int>(shell_texts::kProductName.size()));
    setWindowTitle(tr("About %1").arg(product));
    auto* icon = new QLabel(this);
    icon->setPixmap(AppIcon().pixmap(48, 48));
    auto* text = new QLabel(
        tr("%1, Version %2").arg(product, QString::fromUtf8(shell_texts::kVersion.data())), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addSpacing(12);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setSizeGripEnabled(false);
}

} // namespace orlen
