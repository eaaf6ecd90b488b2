// Writes a generated page of a given size, for benchmarks that run programs
// on files. Usage: orlen_make_pages OUT MEGABYTES [one-line]
#include "synthetic_page.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s OUT MEGABYTES [one-line]\n", argv[0]);
        return 2;
    }
    const std::size_t bytes = static_cast<std::size_t>(std::atol(argv[2])) << 20;
    const bool oneLine = argc > 3 && std::strcmp(argv[3], "one-line") == 0;
    const std::string page = orlen::bench::SyntheticPage(bytes, oneLine);
    std::ofstream out(argv[1], std::ios::binary);
    out.write(page.data(), static_cast<std::streamsize>(page.size()));
    return out ? 0 : 1;
}
