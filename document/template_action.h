// What a template does with one tag when it is applied to a page. The
// numbers are stored in template files.
#pragma once

#include <array>
#include <string_view>

namespace orlen {

enum TemplateAction : int {
    AlwaysSet = 1,
    NeverChange = 2,
    SetIfMissing = 3,
    ReplaceIfPresent = 4,
    AlwaysRemove = 5,
    AppendAfter = 6,
    PrependBefore = 7,
};

inline constexpr int kFirstTemplateAction = AlwaysSet;
inline constexpr int kLastTemplateAction = PrependBefore;

// The texts shown for the actions 1 to 7, in order.
inline constexpr std::array<std::string_view, 7> kTemplateActionTexts = {
    "Always set to this value",
    "Never change",
    "Set this value if tag doesn't exist",
    "Replace existing data if tag exists",
    "Always remove this tag",
    "Add this data after existing data",
    "Add this data before existing data",
};

// The text of an action, "" for a number outside 1 to 7.
inline std::string_view TemplateActionText(int action) {
    if (action < kFirstTemplateAction || action > kLastTemplateAction) {
        return {};
    }
    return kTemplateActionTexts[static_cast<std::size_t>(action - kFirstTemplateAction)];
}

} // namespace orlen
