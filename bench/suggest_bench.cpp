// Throughput of keyword and description suggestion on the body text of a
// large page: word extraction, counting and choosing, and the description
// cut.
#include "page/html_page.h"
#include "page/line_reader.h"
#include "synthetic_page.h"
#include "tags/suggestions.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>

namespace {

// A typical common-word list: the words a page uses most, and filler.
const std::string kCommonWords = " the and of to in is for with that this page editor ";

// The body text of a generated 10 MB page, as the editor passes it in.
const std::string& BodyText() {
    static const std::string text = [] {
        orlen::CHtmlPage page;
        page.SetText(orlen::LinesToCrLf(orlen::bench::SyntheticPage(10 << 20)), 1);
        return page.GetBodyText();
    }();
    return text;
}

// About 10 MB of text with a large vocabulary (tens of thousands of
// distinct words, most of them rare), the hard case for the counting.
const std::string& ManyWordsText() {
    static const std::string text = [] {
        std::mt19937 rng(11);
        std::string out;
        out.reserve((10 << 20) + 64);
        const char* between[] = {" ", " ", " ", ", ", ". ", "\n"};
        while (out.size() < (10u << 20)) {
            // Skewed toward small numbers, so that some words repeat often.
            const unsigned id = (rng() % 200000) * (rng() % 200000) / 200000;
            out += 'w';
            out += std::to_string(id);
            out += (rng() % 5 == 0) ? "ing" : "";
            out += between[rng() % (sizeof between / sizeof between[0])];
        }
        return out;
    }();
    return text;
}

void BM_SuggestKeywords(benchmark::State& state) {
    const std::string& text = BodyText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(orlen::SuggestKeywords(text, kCommonWords).size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["text_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_SuggestKeywords)->Unit(benchmark::kMillisecond);

void BM_SuggestKeywordsManyDistinctWords(benchmark::State& state) {
    const std::string& text = ManyWordsText();
    std::size_t distinct = 0;
    for (auto _ : state) {
        const orlen::WordCounts counted = orlen::CountWords(text, kCommonWords);
        distinct = counted.words.size();
        benchmark::DoNotOptimize(orlen::ChooseKeywords(counted).size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["distinct_words"] = static_cast<double>(distinct);
}
BENCHMARK(BM_SuggestKeywordsManyDistinctWords)->Unit(benchmark::kMillisecond);

void BM_ExtractWords(benchmark::State& state) {
    const std::string& text = BodyText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(orlen::extractWords(text, true).size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ExtractWords)->Unit(benchmark::kMillisecond);

// The description only needs the start of the text, but word extraction
// still runs over all of it.
void BM_SuggestDescription(benchmark::State& state) {
    const std::string& text = BodyText();
    for (auto _ : state) {
        benchmark::DoNotOptimize(orlen::SuggestDescription(text).size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_SuggestDescription)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
