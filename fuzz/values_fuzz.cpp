// The value grammars of the tag editors and the keyword and description
// suggestion on arbitrary text: no crash, and every composed value reads
// back into the choices it was composed from.
#include "editors/value_grammars.h"
#include "fuzz/fuzz_check.h"
#include "tags/suggestions.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace {

void Grammars(std::string_view text) {
    std::int64_t number = 0;
    std::size_t end = 0;
    if (orlen::ScanDecimal(text, number, &end) == 1) {
        FUZZ_CHECK(end <= text.size());
    }
    int field = 0;
    if (orlen::ReadIntegerField(text, field) == 1) {
        FUZZ_CHECK(field >= 0 && field <= orlen::kMaxFieldInteger);
    }

    const orlen::CacheControlState cache = orlen::ReadCacheControl(text);
    FUZZ_CHECK(cache.seconds >= 0 && cache.seconds <= orlen::kMaxFieldInteger);
    for (int c = 0; c < 3; ++c) {
        const auto choice = static_cast<orlen::CacheControlChoice>(c);
        (void)orlen::CacheControlEnablingFor(choice, text);
        const orlen::EditorResult r = orlen::ComposeCacheControl(choice, text);
        if (r.accepted == 1 && !r.text.empty()) {
            FUZZ_CHECK(orlen::ReadCacheControl(r.text).choice == choice);
        }
    }

    // OK without a change gives the text back as it was.
    const orlen::EditorResult cacheUnchanged =
        orlen::CacheControlResult(text, cache.choice, std::to_string(cache.seconds));
    FUZZ_CHECK(cacheUnchanged.accepted == 1 && cacheUnchanged.text == text);

    const orlen::RefreshState refresh = orlen::ReadRefresh(text);
    FUZZ_CHECK(refresh.seconds >= 0 && refresh.seconds <= orlen::kMaxFieldInteger);
    const orlen::EditorResult refreshUnchanged =
        orlen::RefreshResult(text, refresh.refresh, std::to_string(refresh.seconds), refresh.url);
    FUZZ_CHECK(refreshUnchanged.accepted == 1 && refreshUnchanged.text == text);
    const std::size_t half = text.size() / 2;
    const orlen::EditorResult composed =
        orlen::ComposeRefresh(true, text.substr(0, half), text.substr(half));
    if (composed.accepted == 1 && !composed.text.empty()) {
        const orlen::RefreshState back = orlen::ReadRefresh(composed.text);
        FUZZ_CHECK(back.refresh);
        FUZZ_CHECK(orlen::ComposeRefresh(true, std::to_string(back.seconds), back.url).text ==
                   composed.text);
    }

    // OK without a change gives the text back; any boxes give a text that
    // opens with those boxes and keeps the directives without one.
    FUZZ_CHECK(orlen::RobotsResult(text, orlen::ReadRobots(text)) == text);
    for (int boxes = 0; boxes < 4; ++boxes) {
        orlen::RobotsState state = orlen::ReadRobots(text);
        state.noIndex = (boxes & 1) != 0;
        state.noFollow = (boxes & 2) != 0;
        const std::string composed = orlen::ComposeRobots(text, state);
        FUZZ_CHECK(orlen::ReadRobots(composed) == state);
        FUZZ_CHECK(orlen::ComposeRobots(composed, state) == composed);
    }

    const std::int64_t expires = orlen::ExpiresTimeOf(text);
    const std::string expiresText = orlen::ExpiresResultText(expires);
    if (!expiresText.empty()) {
        FUZZ_CHECK(orlen::ExpiresTimeOf(expiresText) == expires);
    }
    // OK without a change gives the text back as it was.
    FUZZ_CHECK(orlen::ExpiresResult(text, orlen::ReadExpires(text)) == text);
}

void Suggestions(std::string_view text) {
    // The first line, when there is one, stands for the common-word list.
    std::string_view common;
    std::string_view body = text;
    if (const std::size_t nl = text.find('\n'); nl != std::string_view::npos) {
        common = text.substr(0, nl);
        body = text.substr(nl + 1);
    }
    (void)orlen::extractWords(body, true);
    (void)orlen::extractWords(body, false);
    const orlen::WordCounts counts = orlen::CountWords(body, common);
    FUZZ_CHECK(counts.words.size() == counts.counts.size());
    for (std::size_t i = 0; i < counts.words.size(); ++i) {
        FUZZ_CHECK(counts.words[i].size() >= 3);
        FUZZ_CHECK(counts.counts[i] >= 1);
    }
    const std::string chosen = orlen::ChooseKeywords(counts);
    FUZZ_CHECK(chosen == orlen::SuggestKeywords(body, common));
    const std::vector<std::string> items = orlen::KeywordListItems(chosen);
    for (std::size_t i = 1; i < items.size(); ++i) {
        FUZZ_CHECK(!orlen::ListBoxLess(items[i], items[i - 1]));
    }
    const std::string result = orlen::KeywordDialogResult(items);
    (void)orlen::KeywordsAfterChoice(common, result, true);
    (void)orlen::KeywordsAfterChoice(common, result, false);
    (void)orlen::IsCommonWord(common, body.substr(0, 16));
    const std::string description = orlen::SuggestDescription(body);
    FUZZ_CHECK(description.size() <= body.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Grammars(text);
    Suggestions(text);
    return 0;
}
