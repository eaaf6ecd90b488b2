// A sequence of title and meta-tag edits decoded from the input, applied to
// a page decoded from the same input. After every step the body from the
// first opening body tag on is kept to the byte, and the rebuilt text is a
// fixed point of loading and rebuilding.
#include "fuzz/fuzz_check.h"
#include "page/html_page.h"
#include "page/line_reader.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

namespace {

void CheckPage(orlen::CHtmlPage& page, const std::string& original) {
    const std::string& text = page.GetText();
    if (page.BodyTextPosition() >= 0) {
        const std::string_view body =
            std::string_view(original).substr(static_cast<std::size_t>(page.BodyTextPosition()));
        FUZZ_CHECK(text.size() >= body.size());
        FUZZ_CHECK(std::string_view(text).substr(text.size() - body.size()) == body);
    }
    orlen::CHtmlPage again;
    again.SetText(text, 1);
    FUZZ_CHECK(again.GetText() == text);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    orlen::fuzz::SilencePageMessages();
    FuzzedDataProvider input(data, size);
    const std::string original = orlen::LinesToCrLf(input.ConsumeRandomLengthString(1 << 16));

    orlen::CHtmlPage page;
    page.SetText(original, 1);
    CheckPage(page, original);

    for (int step = 0; step < 32 && input.remaining_bytes() > 0; ++step) {
        const int op = input.ConsumeIntegralInRange<int>(0, 4);
        const std::string name = input.ConsumeRandomLengthString(24);
        const std::string value = input.ConsumeRandomLengthString(64);
        // Every kind: name, http-equiv, property, link and the language.
        const int httpEquiv = input.ConsumeIntegralInRange<int>(orlen::kMetaName, orlen::kHtmlLang);
        switch (op) {
        case 0:
            page.SetTitle(value);
            break;
        case 1:
            page.SetMeta(name, value, httpEquiv);
            break;
        case 2:
            page.RemoveMeta(name, httpEquiv);
            break;
        case 3:
            page.SetOrRemoveMeta(name, value, httpEquiv);
            break;
        default: {
            // Reading must not disturb anything.
            const std::string before = page.GetText();
            (void)page.GetMetaDataSet();
            (void)page.GetMetaContent(name, httpEquiv);
            (void)page.GetHeadItems();
            (void)page.GetTitle();
            FUZZ_CHECK(page.GetText() == before);
            break;
        }
        }
        CheckPage(page, original);
    }
    (void)page.GetBodyText();
    return 0;
}
