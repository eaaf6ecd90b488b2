// HTTP dates and zone offsets on arbitrary text. A date that reads is
// written again, and the written form reads back to the same instant; a zone
// offset that reads is written as "+HHMM" and a date carrying that zone reads
// back shifted by exactly that offset.
#include "editors/http_date.h"
#include "editors/value_grammars.h"
#include "fuzz/fuzz_check.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    std::int64_t t = 0;
    if (orlen::ParseHttpDate(text, t) == 1) {
        FUZZ_CHECK(t >= 0);
        const std::string written = orlen::FormatHttpDate(t);
        if (!written.empty()) {
            std::int64_t back = -1;
            FUZZ_CHECK(orlen::ParseHttpDate(written, back) == 1);
            FUZZ_CHECK(back == t);
            FUZZ_CHECK(orlen::FormatHttpDate(back) == written);
        }
    }
    (void)orlen::ExpiresResultText(orlen::ExpiresTimeOf(text));

    // The zone reader sees lower-case tokens.
    std::string token(text.substr(0, 64));
    for (char& c : token) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    const int offset = orlen::ParseZoneOffset(token);
    if (offset > -100 * 60 && offset < 100 * 60) {
        const int magnitude = offset < 0 ? -offset : offset;
        char zone[16];
        std::snprintf(zone, sizeof zone, "%c%02d%02d", offset < 0 ? '-' : '+', magnitude / 60,
                      magnitude % 60);
        FUZZ_CHECK(orlen::ParseZoneOffset(zone) == offset);
        // Sun, 06 Nov 1994 08:49:37 GMT
        constexpr std::int64_t kReference = 784111777;
        std::int64_t shifted = -1;
        FUZZ_CHECK(
            orlen::ParseHttpDate(std::string("Sun, 06 Nov 1994 08:49:37 ") + zone, shifted) == 1);
        FUZZ_CHECK(shifted == kReference - std::int64_t{60} * offset);
    }
    return 0;
}
