// What the application asks of its user beyond the document's questions: a
// folder, the About box, and opening help or a web address. The program
// answers with dialogs; tests answer from a script.
#pragma once

#include "document/document_ui.h"

#include <optional>
#include <string>

namespace orlen {

class AppUi : public DocumentUi {
public:
    // A folder, starting in folder; nothing when the user cancels.
    virtual std::optional<std::string> ChooseFolder(const std::string& title,
                                                    const std::string& folder) = 0;
    virtual void ShowAbout() = 0;
    // Opens a file or web address in the user's browser; false when it
    // cannot be shown.
    virtual bool OpenUrl(const std::string& url) = 0;
};

} // namespace orlen
