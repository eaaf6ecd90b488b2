// Throughput of the page model on large pages: loading (lines, sections,
// normalization, landmarks, rebuild), storing, and meta-data edits.
#include "page/html_page.h"
#include "page/line_reader.h"
#include "synthetic_page.h"

#include <benchmark/benchmark.h>

#include <sstream>

namespace {

using orlen::CHtmlPage;

const std::string& PageOfSize(std::size_t megabytes, bool oneLine = false) {
    static std::string pages[2][128];
    std::string& page = pages[oneLine ? 1 : 0][megabytes];
    if (page.empty()) {
        page = orlen::bench::SyntheticPage(megabytes << 20, oneLine);
    }
    return page;
}

// Loads the page from a stream and rebuilds it, as opening and saving do;
// with cutWholeBody the body is cut into sections too, as suggestions need.
void LoadAndRebuild(benchmark::State& state, const std::string& file, bool cutWholeBody) {
    std::istringstream in(file);
    for (auto _ : state) {
        in.clear();
        in.seekg(0);
        CHtmlPage page;
        page.Load(in, 1);
        if (cutWholeBody) {
            benchmark::DoNotOptimize(page.Sections().size());
        }
        benchmark::DoNotOptimize(page.GetText().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}

void BM_LoadAndRebuild(benchmark::State& state) {
    LoadAndRebuild(state, PageOfSize(static_cast<std::size_t>(state.range(0))), false);
}
BENCHMARK(BM_LoadAndRebuild)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// Load time with the whole body cut, over page sizes from 1 to 32 MB, with
// the fitted complexity: the page model must stay linear in the size of the
// page.
void BM_LoadScaling(benchmark::State& state) {
    const std::string& file = PageOfSize(static_cast<std::size_t>(state.range(0)));
    LoadAndRebuild(state, file, true);
    state.SetComplexityN(static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_LoadScaling)
    ->RangeMultiplier(2)
    ->Range(1, 32)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_LoadOneLongLine(benchmark::State& state) {
    LoadAndRebuild(state, PageOfSize(static_cast<std::size_t>(state.range(0)), true), false);
}
BENCHMARK(BM_LoadOneLongLine)->Arg(10)->Unit(benchmark::kMillisecond);

void BM_LinesToCrLf(benchmark::State& state) {
    const std::string& file = PageOfSize(10);
    for (auto _ : state) {
        benchmark::DoNotOptimize(orlen::LinesToCrLf(file).size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_LinesToCrLf)->Unit(benchmark::kMillisecond);

// One edit as the editor makes it on every keystroke, then the rebuild a
// save or a preview needs.
void BM_SetMetaAndRebuild(benchmark::State& state) {
    const std::string& file = PageOfSize(static_cast<std::size_t>(state.range(0)));
    CHtmlPage page;
    page.SetText(orlen::LinesToCrLf(file), 1);
    int i = 0;
    for (auto _ : state) {
        page.SetOrRemoveMeta("description", (i++ % 2) ? "a description" : "", 0);
        benchmark::DoNotOptimize(page.GetText().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_SetMetaAndRebuild)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// The cost of one keystroke in the editing form: the changed row is written
// into the page (no rescan and no copy of the page), then the rows are read.
void BM_SetMeta(benchmark::State& state) {
    const std::string& file = PageOfSize(static_cast<std::size_t>(state.range(0)));
    CHtmlPage page;
    page.SetText(orlen::LinesToCrLf(file), 1);
    int i = 0;
    for (auto _ : state) {
        page.SetOrRemoveMeta("description", (i++ % 2) ? "a description" : "", 0);
        benchmark::DoNotOptimize(page.GetMetaDataSet().tags.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_SetMeta)->Arg(1)->Arg(10)->Unit(benchmark::kMicrosecond);

void BM_BodyText(benchmark::State& state) {
    const std::string& file = PageOfSize(10);
    CHtmlPage page;
    page.SetText(orlen::LinesToCrLf(file), 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(page.GetBodyText().size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_BodyText)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
