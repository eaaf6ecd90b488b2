// Times the page model on one page file, as the editor uses it, and prints
// one line per measurement: "NAME MEDIAN MIN MAX UNIT", each over RUNS runs.
//
//   load-rebuild  read the file, cut it into sections, rebuild the text
//                 (as opening and then saving does); MB/s
//   set-meta      one edit of a meta tag on the loaded page (a keystroke
//                 in the form); microseconds
//   suggest       keyword suggestion on a freshly loaded page: the body
//                 text and the choice of words; milliseconds
//
// Usage: orlen_model_timings PAGE COMMON_WORDS [RUNS]
#include "page/html_page.h"
#include "tags/suggestions.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) {
    return std::chrono::duration<double>(Clock::now() - from).count();
}

void Print(const char* name, std::vector<double> values, const char* unit) {
    std::sort(values.begin(), values.end());
    std::printf("%s %.6g %.6g %.6g %s\n", name, values[values.size() / 2], values.front(),
                values.back(), unit);
    std::fflush(stdout);
}

bool LoadPage(const std::string& path, orlen::CHtmlPage& page) {
    std::ifstream in(path, std::ios::binary);
    return in.is_open() && page.Load(in, 1) != 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PAGE COMMON_WORDS [RUNS]\n", argv[0]);
        return 2;
    }
    const std::string path = argv[1];
    const std::string commonWords = orlen::LoadCommonWords(argv[2]);
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;

    std::vector<double> rates;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        orlen::CHtmlPage page;
        if (!LoadPage(path, page)) {
            std::fprintf(stderr, "cannot read %s\n", path.c_str());
            return 1;
        }
        const std::size_t size = page.GetText().size();
        const double seconds = Seconds(start);
        if (size == 0) {
            return 1;
        }
        rates.push_back(megabytes / seconds);
    }
    Print("load-rebuild", rates, "MB/s");

    {
        orlen::CHtmlPage page;
        LoadPage(path, page);
        std::vector<double> edits;
        for (int i = 0; i < runs * 200; ++i) {
            const auto start = Clock::now();
            page.SetOrRemoveMeta("description", (i % 2) != 0 ? "" : "one keystroke", 0);
            edits.push_back(Seconds(start) * 1e6);
        }
        Print("set-meta", edits, "us");
    }

    std::vector<double> suggests;
    for (int i = 0; i < runs; ++i) {
        orlen::CHtmlPage page;
        LoadPage(path, page);
        const auto start = Clock::now();
        const std::string keywords = orlen::SuggestKeywords(page.GetBodyText(), commonWords);
        suggests.push_back(Seconds(start) * 1e3);
    }
    Print("suggest", suggests, "ms");
    return 0;
}
