#pragma once

#include "page/html_page.h"
#include "page/page_messages.h"

#include <string>
#include <vector>

namespace orlen::test {

// Records the messages the page model shows, for as long as it lives.
class RecordingSink final : public MessageSink {
public:
    RecordingSink() : guard_(this) {}
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;

private:
    ScopedPageMessageSink guard_;
};

// The types and texts of a page's sections, in order, as "T:x|G:<b>|C:..|S:..".
inline std::string Describe(const CHtmlPage& page) {
    std::string out;
    for (const auto& section : page.Sections()) {
        if (!out.empty()) {
            out += '|';
        }
        switch (section->GetType()) {
        case kSectionText:
            out += "T:";
            break;
        case kSectionTag:
            out += "G:";
            break;
        case kSectionComment:
            out += "C:";
            break;
        case kSectionScript:
            out += "S:";
            break;
        default:
            out += "?:";
        }
        out += section->GetText();
    }
    return out;
}

inline std::string Rebuilt(const std::string& text, int bodyVerbatim) {
    CHtmlPage page;
    page.SetText(text, bodyVerbatim);
    return page.GetText();
}

} // namespace orlen::test
