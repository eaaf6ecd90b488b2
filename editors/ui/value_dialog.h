// What every value editor dialog shares: its caption, and OK (the default
// button) and Cancel right-aligned in a row under its controls.
#pragma once

#include <QDialog>

#include <string_view>

class QHBoxLayout;
class QPushButton;

namespace orlen {

class ValueDialog : public QDialog {
public:
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

protected:
    ValueDialog(std::string_view caption, QWidget* parent);
    // Makes OK and Cancel, wired to accept and reject, and returns their row
    // for the dialog's layout.
    QHBoxLayout* ButtonRow();

    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace orlen
