// The user's answers through message boxes and file dialogs, captioned with
// the application's short title.
#pragma once

#include "shell/app_ui.h"

#include <QString>

class QWidget;

namespace orlen {

class QtAppUi final : public AppUi {
public:
    void SetParentWindow(QWidget* parent) { parent_ = parent; }

    void ShowMessage(const std::string& text) override;
    void ShowWarning(const std::string& text) override;
    void ShowFailure(const std::string& text) override;
    // In the status bar of the window, when it has one.
    void ShowNote(const std::string& text) override;
    Answer AskYesNo(const std::string& text) override;
    Answer AskYesNoCancel(const std::string& text) override;
    std::optional<std::string> ChooseFileToOpen(const std::string& filter,
                                                const std::string& folder) override;
    std::optional<std::string> ChooseFileToSave(const std::string& filter,
                                                const std::string& defaultExtension,
                                                const std::string& initialName,
                                                const std::string& folder) override;
    std::optional<std::string> ChooseFolder(const std::string& title,
                                            const std::string& folder) override;
    void ShowAbout() override;
    bool OpenUrl(const std::string& url) override;

    // "Name (a;b)|a;b|Other|c||" as Qt wants it: "Name (a b);;Other (c)".
    static QString QtFilter(const std::string& filter);

private:
    QWidget* parent_ = nullptr;
};

} // namespace orlen
