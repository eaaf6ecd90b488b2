// Shared helpers of the fuzz targets: a sink that swallows page messages and
// an invariant check that aborts (so libFuzzer records the input).
#pragma once

#include "page/page_messages.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace orlen::fuzz {

class QuietSink final : public MessageSink {
public:
    void ShowMessage(const std::string&) override {}
};

inline void Check(bool ok, const char* what, int line) {
    if (!ok) {
        std::fprintf(stderr, "invariant broken at line %d: %s\n", line, what);
        std::abort();
    }
}

inline void SilencePageMessages() {
    static QuietSink quiet;
    SetPageMessageSink(&quiet);
}

} // namespace orlen::fuzz

#define FUZZ_CHECK(cond) ::orlen::fuzz::Check((cond), #cond, __LINE__)
