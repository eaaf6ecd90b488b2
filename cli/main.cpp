#include "cli/orlen_meta.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    const int status = orlen::RunOrlenMeta(args, std::cout, std::cerr, ::isatty(2) != 0);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "orlen-meta: cannot write to standard output\n";
        return orlen::kExitFileError;
    }
    return status;
}
