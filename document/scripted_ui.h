// A DocumentUi that answers from a script: for the command-line tool and
// the tests. Messages and questions are recorded; answers and file choices
// are taken in order from queues, with defaults when a queue runs dry.
#pragma once

#include "document/document_ui.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace orlen {

class ScriptedUi : public DocumentUi {
public:
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        if (onMessage) {
            onMessage(text);
        }
    }
    Answer AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return Next(Answer::No);
    }
    Answer AskYesNoCancel(const std::string& text) override {
        questions.push_back(text);
        return Next(Answer::Cancel);
    }
    std::optional<std::string> ChooseFileToOpen(const std::string& filter,
                                                const std::string& folder) override {
        filters.push_back(filter);
        folders.push_back(folder);
        return NextFile();
    }
    std::optional<std::string> ChooseFileToSave(const std::string& filter,
                                                const std::string& defaultExtension,
                                                const std::string& initialName,
                                                const std::string& folder) override {
        filters.push_back(filter);
        folders.push_back(folder);
        saveDefaults.push_back(defaultExtension + "|" + initialName);
        return NextFile();
    }
    void PageOpened(const std::string& path) override { opened.push_back(path); }

    std::deque<Answer> answers;                   // for questions; Cancel / No when empty
    std::deque<std::optional<std::string>> files; // for file dialogs; cancel when empty
    std::function<void(const std::string&)> onMessage;

    std::vector<std::string> messages;
    std::vector<std::string> questions;
    std::vector<std::string> filters;
    std::vector<std::string> saveDefaults;
    std::vector<std::string> folders; // where each file dialog started
    std::vector<std::string> opened;

private:
    Answer Next(Answer fallback) {
        if (answers.empty()) {
            return fallback;
        }
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> NextFile() {
        if (files.empty()) {
            return std::nullopt;
        }
        auto f = files.front();
        files.pop_front();
        return f;
    }
};

} // namespace orlen
