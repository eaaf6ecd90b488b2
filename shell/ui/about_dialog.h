// The About box: the application's picture, its name and version, and OK.
#pragma once

#include <QDialog>

namespace orlen {

class CAboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};

} // namespace orlen
