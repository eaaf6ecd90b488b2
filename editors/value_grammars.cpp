#include "editors/value_grammars.h"
#include "page/text_util.h"

#include "editors/http_date.h"

#include <limits>
#include <utility>

namespace orlen {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number read from a tag's existing text, brought into the range a
// seconds field can hold.
int ClampToField(std::int64_t v) {
    if (v < 0) {
        return 0;
    }
    return v > kMaxFieldInteger ? kMaxFieldInteger : static_cast<int>(v);
}

EditorResult Accepted(std::string text) {
    EditorResult result;
    result.accepted = 1;
    result.text = std::move(text);
    return result;
}

EditorResult Refused() {
    EditorResult result;
    result.message = kEnterIntegerMessage;
    return result;
}

// Whether a date's first part is a day name alone ("Wed", "Wednesday"),
// which in an RFC 822 date is followed by a comma.
bool IsDayName(std::string_view text) {
    static constexpr std::string_view kDays[] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};
    const std::string lowered = AsciiLower(Trim(text));
    for (std::string_view day : kDays) {
        if (lowered.starts_with(day) && lowered.size() <= 9 &&
            lowered.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos) {
            return true;
        }
    }
    return false;
}

// A robots item split at its first ":" into a lower-cased directive and its
// value, both trimmed; the value is "" without a ":".
struct RobotsItem {
    std::string directive;
    std::string_view value;
    bool hasValue = false;
};

RobotsItem SplitRobotsItem(std::string_view item) {
    const std::size_t colon = item.find(':');
    RobotsItem r;
    r.directive = AsciiLower(Trim(item.substr(0, colon)));
    if (colon != std::string_view::npos) {
        r.value = Trim(item.substr(colon + 1));
        r.hasValue = true;
    }
    return r;
}

// Calls visit with each item of a comma-separated robots text, trimmed of
// white space; empty items are skipped. The date of an unavailable_after
// whose value is a day name alone takes in the next item.
template <typename Visit> void ForEachRobotsItem(std::string_view text, Visit visit) {
    while (true) {
        std::size_t comma = text.find(',');
        std::string_view item = Trim(text.substr(0, comma));
        const RobotsItem split = SplitRobotsItem(item);
        if (comma != std::string_view::npos && split.directive == kUnavailableAfterDirective &&
            IsDayName(split.value)) {
            const std::size_t next = text.find(',', comma + 1);
            item = Trim(text.substr(0, next));
            comma = next;
        }
        if (!item.empty()) {
            visit(item);
        }
        if (comma == std::string_view::npos) {
            return;
        }
        text.remove_prefix(comma + 1);
    }
}

// Reads a number that may be -1 (no limit); false for anything else.
bool ReadLimit(std::string_view text, std::int64_t& value) {
    std::int64_t number = 0;
    std::size_t end = 0;
    if (text.empty() || !ScanDecimal(text, number, &end) || end != text.size() || number < -1) {
        return false;
    }
    value = number;
    return true;
}

// Reads one item into the state; false when the dialog has no control for it.
bool ReadRobotsItem(std::string_view item, RobotsState& state) {
    const RobotsItem r = SplitRobotsItem(item);
    if (!r.hasValue) {
        bool* flag = r.directive == kNoIndexDirective        ? &state.noIndex
                     : r.directive == kNoFollowDirective     ? &state.noFollow
                     : r.directive == kNoArchiveDirective    ? &state.noArchive
                     : r.directive == kNoSnippetDirective    ? &state.noSnippet
                     : r.directive == kNoImageIndexDirective ? &state.noImageIndex
                     : r.directive == kNoTranslateDirective  ? &state.noTranslate
                                                             : nullptr;
        if (flag != nullptr) {
            *flag = true;
        }
        return flag != nullptr;
    }
    std::int64_t number = 0;
    if (r.directive == kMaxSnippetDirective && ReadLimit(r.value, number)) {
        state.maxSnippet = number;
        return true;
    }
    if (r.directive == kMaxVideoPreviewDirective && ReadLimit(r.value, number)) {
        state.maxVideoPreview = number;
        return true;
    }
    if (r.directive == kMaxImagePreviewDirective) {
        const std::string size = AsciiLower(r.value);
        for (std::string_view known : kImagePreviewSizes) {
            if (size == known) {
                state.maxImagePreview = size;
                return true;
            }
        }
        return false;
    }
    if (r.directive == kUnavailableAfterDirective && !r.value.empty()) {
        state.unavailableAfter = std::string(r.value);
        return true;
    }
    return false;
}

} // namespace

int ScanDecimal(std::string_view text, std::int64_t& value, std::size_t* end) {
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= text.size() || !IsDigit(text[i])) {
        return 0;
    }
    // Negative numbers are accumulated downwards so that the smallest value
    // is reached exactly; past either end the number sticks there.
    std::int64_t v = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const int digit = text[i] - '0';
        if (!negative) {
            v = (v > (kMax - digit) / 10) ? kMax : v * 10 + digit;
        } else {
            v = (v < (kMin + digit) / 10) ? kMin : v * 10 - digit;
        }
    }
    value = v;
    if (end != nullptr) {
        *end = i;
    }
    return 1;
}

int ReadIntegerField(std::string_view text, int& value) {
    std::int64_t number = 0;
    std::size_t end = 0;
    if (!ScanDecimal(text, number, &end)) {
        return 0;
    }
    for (std::size_t i = end; i < text.size(); ++i) {
        if (!IsWhiteSpace(text[i])) {
            return 0;
        }
    }
    if (number < 0 || number > kMaxFieldInteger) {
        return 0;
    }
    value = static_cast<int>(number);
    return 1;
}

CacheControlState ReadCacheControl(std::string_view text) {
    CacheControlState state;
    std::string lowered = AsciiLower(text);
    if (lowered.find("no-cache") != std::string::npos) {
        state.choice = CacheControlChoice::PreventCaching;
        return state;
    }
    if (lowered.find("max-age") == std::string::npos) {
        return state;
    }
    state.choice = CacheControlChoice::MaximumAge;
    // Spaces are dropped so that "max-age = 60" reads like "max-age=60".
    std::erase(lowered, ' ');
    const std::size_t equals = lowered.find('=', lowered.find("max-age"));
    std::int64_t seconds = 0;
    if (equals != std::string::npos &&
        ScanDecimal(std::string_view(lowered).substr(equals + 1), seconds)) {
        state.seconds = ClampToField(seconds);
    }
    return state;
}

CacheControlEnabling CacheControlEnablingFor(CacheControlChoice choice,
                                             std::string_view secondsText) {
    CacheControlEnabling enabling;
    enabling.secondsField = choice == CacheControlChoice::MaximumAge;
    std::int64_t seconds = 0;
    enabling.okButton =
        !enabling.secondsField || (ScanDecimal(secondsText, seconds) != 0 && seconds > 0);
    return enabling;
}

EditorResult ComposeCacheControl(CacheControlChoice choice, std::string_view secondsText) {
    switch (choice) {
    case CacheControlChoice::DontLimit:
        return Accepted("");
    case CacheControlChoice::PreventCaching:
        return Accepted("no-cache");
    case CacheControlChoice::MaximumAge:
        break;
    }
    int seconds = 0;
    if (!ReadIntegerField(secondsText, seconds)) {
        return Refused();
    }
    return Accepted("max-age=" + std::to_string(seconds));
}

EditorResult CacheControlResult(std::string_view original, CacheControlChoice choice,
                                std::string_view secondsText) {
    EditorResult result = ComposeCacheControl(choice, secondsText);
    const CacheControlState opened = ReadCacheControl(original);
    if (result.accepted &&
        result.text == ComposeCacheControl(opened.choice, std::to_string(opened.seconds)).text) {
        result.text = std::string(original);
    }
    return result;
}

RefreshState ReadRefresh(std::string_view text) {
    RefreshState state;
    std::int64_t seconds = 0;
    if (ScanDecimal(text, seconds)) {
        state.seconds = ClampToField(seconds);
    }
    const std::size_t semicolon = text.find(';');
    if (semicolon != std::string_view::npos) {
        std::string_view url = text.substr(semicolon + 1);
        while (!url.empty() && IsWhiteSpace(url.front())) {
            url.remove_prefix(1);
        }
        state.url = std::string(url);
    }
    state.refresh = state.seconds != 0 || !state.url.empty();
    return state;
}

EditorResult ComposeRefresh(bool refresh, std::string_view secondsText, std::string_view urlText) {
    // The seconds field is validated even when it is disabled.
    int seconds = 0;
    if (!ReadIntegerField(secondsText, seconds)) {
        return Refused();
    }
    if (!refresh) {
        return Accepted("");
    }
    const std::string_view url = Trim(urlText);
    if (seconds == 0 && url.empty()) {
        return Accepted("");
    }
    std::string text = std::to_string(seconds);
    if (!url.empty()) {
        text += ';';
        text += url;
    }
    return Accepted(std::move(text));
}

EditorResult RefreshResult(std::string_view original, bool refresh, std::string_view secondsText,
                           std::string_view urlText) {
    EditorResult result = ComposeRefresh(refresh, secondsText, urlText);
    const RefreshState opened = ReadRefresh(original);
    if (result.accepted &&
        result.text ==
            ComposeRefresh(opened.refresh, std::to_string(opened.seconds), opened.url).text) {
        result.text = std::string(original);
    }
    return result;
}

RobotsState ReadRobots(std::string_view text) {
    RobotsState state;
    ForEachRobotsItem(text, [&state](std::string_view item) { ReadRobotsItem(item, state); });
    return state;
}

std::string ComposeRobots(std::string_view original, const RobotsState& state) {
    std::string text;
    auto append = [&text](std::string_view item) {
        if (!text.empty()) {
            text += ", ";
        }
        text += item;
    };
    const std::pair<bool, std::string_view> flags[] = {
        {state.noIndex, kNoIndexDirective},           {state.noFollow, kNoFollowDirective},
        {state.noArchive, kNoArchiveDirective},       {state.noSnippet, kNoSnippetDirective},
        {state.noImageIndex, kNoImageIndexDirective}, {state.noTranslate, kNoTranslateDirective},
    };
    for (const auto& [set, directive] : flags) {
        if (set) {
            append(directive);
        }
    }
    const auto withValue = [&append](std::string_view directive, std::string_view value) {
        append(std::string(directive) + ":" + std::string(value));
    };
    if (state.maxSnippet) {
        withValue(kMaxSnippetDirective, std::to_string(*state.maxSnippet));
    }
    if (!state.maxImagePreview.empty()) {
        withValue(kMaxImagePreviewDirective, state.maxImagePreview);
    }
    if (state.maxVideoPreview) {
        withValue(kMaxVideoPreviewDirective, std::to_string(*state.maxVideoPreview));
    }
    ForEachRobotsItem(original, [&](std::string_view item) {
        RobotsState ignored;
        if (ReadRobotsItem(item, ignored)) {
            return; // the controls stand for it
        }
        const std::string lowered = AsciiLower(item);
        if ((state.noIndex && lowered == "index") || (state.noFollow && lowered == "follow")) {
            return;
        }
        append(item);
    });
    // The date last: one that is a day name alone would take in the item
    // after it when the text is read again.
    if (!state.unavailableAfter.empty()) {
        append(std::string(kUnavailableAfterDirective) + ": " + state.unavailableAfter);
    }
    return text;
}

std::string RobotsResult(std::string_view original, const RobotsState& state) {
    if (state == ReadRobots(original)) {
        return std::string(original);
    }
    return ComposeRobots(original, state);
}

std::int64_t ExpiresTimeOf(std::string_view text) {
    std::int64_t t = 0;
    return ParseHttpDate(text, t) ? t : 0;
}

std::string ExpiresResultText(std::int64_t t) {
    return t == 0 ? std::string() : FormatHttpDate(t);
}

ExpiresField ReadExpires(std::string_view text) {
    ExpiresField field;
    if (text.empty()) {
        return field;
    }
    const std::int64_t t = ExpiresTimeOf(text);
    if (t == 0) {
        field.kind = ExpiresFieldKind::Unreadable;
        return field;
    }
    field.kind = ExpiresFieldKind::Day;
    field.day = LocalDateOf(t);
    return field;
}

std::string ExpiresResult(std::string_view original, const ExpiresField& field) {
    if (field == ReadExpires(original)) {
        return std::string(original);
    }
    if (field.kind != ExpiresFieldKind::Day) {
        return {};
    }
    return ExpiresResultText(LocalMidnight(field.day.year, field.day.month, field.day.day));
}

} // namespace orlen
