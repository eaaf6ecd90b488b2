// What the document needs from whoever presents it: views to refresh, and a
// way to ask the user things. The editor implements these with windows and
// message boxes; the command-line tool and the tests answer from a script.
#pragma once

#include <optional>
#include <string>

namespace orlen {

enum class Answer { Yes, No, Cancel };

// A view of the document; refreshed on every update of all views.
class DocumentView {
public:
    virtual ~DocumentView() = default;
    // The document changed in a way the view must reload.
    virtual void OnUpdate() = 0;
    // The view shows a newly opened or created page for the first time.
    virtual void OnInitialUpdate() { OnUpdate(); }
};

class DocumentUi {
public:
    virtual ~DocumentUi() = default;
    // An informational message with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A refusal or a warning (nothing was lost, but something was not
    // done), and a failure (an operation the user asked for went wrong),
    // each with an OK button. Shown as messages unless the presenter tells
    // them apart.
    virtual void ShowWarning(const std::string& text) { ShowMessage(text); }
    virtual void ShowFailure(const std::string& text) { ShowMessage(text); }
    // A note that needs no answer, for a status bar: shown as a message
    // unless the presenter has a quieter place for it.
    virtual void ShowNote(const std::string& text) { ShowMessage(text); }
    // A question with Yes and No buttons.
    virtual Answer AskYesNo(const std::string& text) = 0;
    // A question with Yes, No and Cancel buttons.
    virtual Answer AskYesNoCancel(const std::string& text) = 0;
    // An existing file to open, or nothing when the user cancels. The filter
    // has the form "Name (patterns)|patterns|...||"; the dialog starts in
    // folder.
    virtual std::optional<std::string> ChooseFileToOpen(const std::string& filter,
                                                        const std::string& folder) = 0;
    // A file to save to, or nothing when the user cancels. The dialog starts
    // in folder, asks before overwriting and adds the default extension when
    // none is given.
    virtual std::optional<std::string> ChooseFileToSave(const std::string& filter,
                                                        const std::string& defaultExtension,
                                                        const std::string& initialName,
                                                        const std::string& folder) = 0;
    // A page was opened from a path (for the recent-file list).
    virtual void PageOpened(const std::string& /*path*/) {}
    // A page was written to path (for views that list the pages on disk).
    virtual void PageSaved(const std::string& /*path*/) {}
};

} // namespace orlen
