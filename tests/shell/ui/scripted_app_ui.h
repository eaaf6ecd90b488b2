// An AppUi for window tests: the document's questions answered from a
// script, folders and web addresses from queues.
#pragma once

#include "document/scripted_ui.h"
#include "shell/app_ui.h"

namespace orlen::test {

class ScriptedAppUi final : public AppUi {
public:
    void ShowMessage(const std::string& text) override { doc.ShowMessage(text); }
    void ShowWarning(const std::string& text) override {
        ++warnings;
        doc.ShowMessage(text);
    }
    void ShowFailure(const std::string& text) override {
        ++failures;
        doc.ShowMessage(text);
    }
    void ShowNote(const std::string& text) override { notes.push_back(text); }
    Answer AskYesNo(const std::string& text) override { return doc.AskYesNo(text); }
    Answer AskYesNoCancel(const std::string& text) override { return doc.AskYesNoCancel(text); }
    std::optional<std::string> ChooseFileToOpen(const std::string& filter,
                                                const std::string& folder) override {
        return doc.ChooseFileToOpen(filter, folder);
    }
    std::optional<std::string> ChooseFileToSave(const std::string& filter,
                                                const std::string& extension,
                                                const std::string& name,
                                                const std::string& folder) override {
        return doc.ChooseFileToSave(filter, extension, name, folder);
    }
    std::optional<std::string> ChooseFolder(const std::string& title,
                                            const std::string& folder) override {
        folderTitles.push_back(title);
        folderStarts.push_back(folder);
        if (folders.empty()) {
            return std::nullopt;
        }
        auto f = folders.front();
        folders.pop_front();
        return f;
    }
    void ShowAbout() override { ++aboutShown; }
    bool OpenUrl(const std::string& url) override {
        urls.push_back(url);
        return urlsOpen;
    }

    ScriptedUi doc;
    std::deque<std::optional<std::string>> folders;
    std::vector<std::string> folderTitles;
    std::vector<std::string> folderStarts; // where each folder dialog started
    int warnings = 0;
    int failures = 0;
    std::vector<std::string> notes; // for the status bar
    std::vector<std::string> urls;
    bool urlsOpen = true;
    int aboutShown = 0;
};

} // namespace orlen::test
