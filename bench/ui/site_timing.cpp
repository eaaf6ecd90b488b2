// Times the window's site overview listing a folder: from asking for the
// folder until every page is listed with its findings (the scan's end),
// offscreen. Prints "site-list MEDIAN MIN MAX ms" over RUNS runs and the
// number of pages listed.
//
// Usage: orlen_site_timing FOLDER [RUNS]
#include "document/file_listing.h"
#include "shell/settings_store.h"
#include "tags/ui/site_view.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER [RUNS]\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::string folder = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    orlen::MemorySettingsStore settings;
    const std::string fileTypes(orlen::kDefaultFileTypes);
    std::vector<double> times;
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        // A fresh view each run, as the window makes when a folder is chosen.
        orlen::CSiteView view(settings, fileTypes);
        view.resize(1200, 700);
        view.show();
        QEventLoop loop;
        QObject::connect(&view, &orlen::CSiteView::ScanFinished, &loop, &QEventLoop::quit);
        // Bounds a scan that never ends, so that the benchmark says so.
        QTimer::singleShot(120000, &loop, [&loop] { loop.exit(1); });
        const auto start = std::chrono::steady_clock::now();
        view.SetProjectDirectory(folder);
        if (view.Scanning() && loop.exec() != 0) {
            std::fprintf(stderr, "the scan did not end\n");
            return 1;
        }
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        pages = view.Model()->rowCount();
    }
    std::sort(times.begin(), times.end());
    std::printf("site-list %.6g %.6g %.6g ms\npages %d\n", times[times.size() / 2], times.front(),
                times.back(), pages);
    return 0;
}
