// orlen-meta apply over many pages, saved in batches by a pool of workers:
// killed at random moments it leaves every page old or new and the next
// run cleans up after it; its messages come in the order of the pages
// whatever the number of workers; a failure in a batch fails only its page.
//
// A kill ends the process, not the machine: these tests show that pages are
// replaced atomically and that leftovers are cleaned, not that the flushes
// to disk would survive a power cut, which no test here can cut.
#include "../temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <map>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace orlen {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

// How the program is started.
struct Start {
    rlim_t fileSizeLimit = 0; // with SIGXFSZ ignored, so that writes past it fail
    bool asNobody = false;    // as user and group 65534, so that permissions hold
};

// Starts orlen-meta in folder cwd with its output in the files out and err.
pid_t Launch(const fs::path& cwd, std::vector<std::string> args, const std::string& out,
             const std::string& err, const Start& how = {}) {
    args.insert(args.begin(), ORLEN_META_PATH);
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    const std::string folder = cwd.string();
    const pid_t pid = ::fork();
    if (pid != 0) {
        return pid;
    }
    // The child: only calls that are safe after a fork, until exec.
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0 ||
        ::chdir(folder.c_str()) != 0) {
        ::_exit(127);
    }
    if (how.fileSizeLimit != 0) {
        struct rlimit limit {};
        ::getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = how.fileSizeLimit;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::signal(SIGXFSZ, SIG_IGN);
    }
    if (how.asNobody &&
        (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)) {
        ::_exit(127);
    }
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

Result RunTool(const fs::path& cwd, std::vector<std::string> args, const Start& how = {}) {
    const std::string out = (cwd / ".out").string();
    const std::string err = (cwd / ".err").string();
    Result r;
    r.status = Wait(Launch(cwd, std::move(args), out, err, how));
    r.out = ReadFile(out);
    r.err = ReadFile(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

// Every value set whatever the page had: applying it again changes nothing.
const std::string kTemplate =
    "<html><head><title action=\"1\">Site</title>"
    "<meta name=\"description\" content=\"All about the site\" action=\"1\"/>"
    "<meta name=\"keywords\" content=\"one, two\" action=\"1\"/></head><body></body></html>";

std::string PageText(const std::string& name) {
    return "<html><head><title>" + name + "</title></head>\n<body>\n" +
           std::string(1500, static_cast<char>('a' + name.size() % 26)) + "\n" + name +
           "\n</body></html>\n";
}

// The hidden files in a folder: temporary files and backups of saves.
std::vector<std::string> HiddenNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(".") && name != ".out" && name != ".err") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool IsBackup(const std::string& name) {
    return name.find(".orlen-backup-") != std::string::npos;
}

// A site of pages with one link each in three folders, and one page with
// two links (a/h.html and b/h2.html), as paths below root with their old
// content.
std::map<std::string, std::string> MakeSite(const fs::path& root, int pagesPerFolder) {
    std::map<std::string, std::string> pages;
    for (const char* folder : {"a", "b", "c"}) {
        for (int i = 0; i < pagesPerFolder; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "%s/p%03d.html", folder, i);
            pages[name] = PageText(name);
        }
    }
    pages["a/h.html"] = PageText("a/h.html");
    for (const auto& [name, text] : pages) {
        fs::create_directories((root / name).parent_path());
        std::ofstream(root / name, std::ios::binary) << text;
    }
    fs::create_hard_link(root / "a/h.html", root / "b/h2.html");
    return pages;
}

std::size_t CountOf(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// SIGKILL at random moments of apply over many pages, with a varying number
// of workers: every page with one link is byte for byte its old or its new
// content, never anything else; the page with two links is too, through
// both names, unless the kill cut its write in place short, when the backup
// beside it holds the whole old page. The next run removes every temporary
// file the killed one left, says how many, names a kept backup, and leaves
// every page new.
TEST(ApplyBatches, AKillAtAnyMomentLeavesEveryPageOldOrNewAndTheNextRunCleansUp) {
    test::TempDir dir;
    dir.Write("t.mtpl", kTemplate);
    constexpr int kPagesPerFolder = 130;
    const std::map<std::string, std::string> old = MakeSite(dir.Path() / "ref", kPagesPerFolder);
    const auto started = std::chrono::steady_clock::now();
    Result ref = RunTool(dir.Path(), {"apply", "t.mtpl", "ref"});
    const auto duration = std::chrono::steady_clock::now() - started;
    ASSERT_EQ(ref.status, 0) << ref.err;
    std::map<std::string, std::string> now;
    for (const auto& [name, text] : old) {
        now[name] = ReadFile(dir / ("ref/" + name));
        ASSERT_NE(now[name], text) << name;
    }
    ASSERT_EQ(ReadFile(dir / "ref/b/h2.html"), now["a/h.html"]);

    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // Kills spread over the whole of a run, from before it reads anything to
    // after it has ended.
    const auto longest = std::chrono::duration_cast<std::chrono::microseconds>(duration) * 5 / 4;
    std::uniform_int_distribution<long long> delay(0, longest.count());
    const fs::path site = dir.Path() / "site";
    for (int round = 0; round < 16; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        fs::remove_all(site);
        MakeSite(site, kPagesPerFolder);
        const std::string jobs = std::to_string(1 + round % 3);
        const pid_t pid = Launch(dir.Path(), {"apply", "--jobs", jobs, "t.mtpl", "site"},
                                 dir / ".out", dir / ".err");
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(pid, SIGKILL);
        Wait(pid);

        std::size_t notNew = 0;
        std::map<std::string, bool> folderStale;
        for (const auto& [name, text] : old) {
            const std::string bytes = ReadFile((site / name).string());
            if (name == "a/h.html") {
                continue;
            }
            ASSERT_TRUE(bytes == text || bytes == now.at(name)) << name << ":\n" << bytes;
            if (bytes != now.at(name)) {
                ++notNew;
                folderStale[fs::path(name).parent_path().string()] = true;
            }
        }
        struct stat h {};
        struct stat h2 {};
        ASSERT_EQ(::stat((site / "a/h.html").c_str(), &h), 0);
        ASSERT_EQ(::stat((site / "b/h2.html").c_str(), &h2), 0);
        EXPECT_EQ(h.st_ino, h2.st_ino);
        EXPECT_EQ(h.st_nlink, 2u);
        const std::string hBytes = ReadFile((site / "a/h.html").string());
        std::vector<std::string> temps;
        std::vector<std::string> backups;
        for (const char* folder : {"a", "b", "c"}) {
            for (const std::string& name : HiddenNames(site / folder)) {
                (IsBackup(name) ? backups : temps).push_back(std::string(folder) + "/" + name);
            }
        }
        // Until the page's first byte changes, its backup may be anything;
        // from then on it is the whole old page.
        const bool hWhole = hBytes == old.at("a/h.html") || hBytes == now.at("a/h.html");
        for (const std::string& backup : backups) {
            ASSERT_TRUE(backup.starts_with("a/.h.html.orlen-backup-")) << backup;
            if (hBytes != old.at("a/h.html")) {
                EXPECT_EQ(ReadFile((site / backup).string()), old.at("a/h.html"));
            }
        }
        ASSERT_TRUE(hWhole || !backups.empty()) << hBytes;
        const bool hStale = hBytes != now.at("a/h.html");
        if (hStale) {
            folderStale["a"] = true;
        }

        // The next run, to its end.
        Result next = RunTool(dir.Path(), {"apply", "--jobs", "2", "t.mtpl", "site"});
        EXPECT_EQ(next.status, 0) << next.err;
        if (temps.empty()) {
            EXPECT_EQ(next.err.find("removed "), std::string::npos) << next.err;
        } else {
            const std::string removed = "orlen-meta: removed " + std::to_string(temps.size()) +
                                        (temps.size() == 1 ? " temporary file left behind by an "
                                                             "interrupted save\n"
                                                           : " temporary files left behind by "
                                                             "interrupted saves\n");
            EXPECT_NE(next.err.find(removed), std::string::npos) << next.err;
        }
        if (!backups.empty() && folderStale["a"]) {
            EXPECT_EQ(CountOf(next.err, ": kept: the old content of h.html"), backups.size())
                << next.err;
        }
        if (backups.empty()) {
            const std::size_t changed = notNew + (hStale ? 1 : 0);
            EXPECT_NE(next.err.find("orlen-meta: " + std::to_string(changed) + " changed, " +
                                    std::to_string(old.size() - changed) +
                                    " unchanged, 0 refused, 0 failed\n"),
                      std::string::npos)
                << next.err;
        }
        for (const auto& [name, text] : now) {
            if (name != "a/h.html" || backups.empty()) {
                ASSERT_EQ(ReadFile((site / name).string()), text) << name;
            }
        }
        for (const char* folder : {"a", "b", "c"}) {
            for (const std::string& name : HiddenNames(site / folder)) {
                EXPECT_TRUE(IsBackup(name)) << folder << "/" << name;
            }
        }
    }
}

// A batch killed while it writes its temporary files (a page past the
// file-size limit) has replaced nothing: every page is old, and the next run
// removes every temporary file it left and says how many.
TEST(ApplyBatches, TemporaryFilesOfAKilledBatchAreRemovedByTheNextRun) {
    test::TempDir dir;
    dir.Write("t.mtpl", kTemplate);
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i) {
        names.push_back("site/p" + std::to_string(i) + ".html");
        dir.Write(names.back(), PageText(names.back()));
    }
    // Last in the walk: its new content is over the limit below.
    dir.Write("site/z.html", PageText("site/z.html") + std::string(20000, 'z'));

    const std::string big = ReadFile(dir / "site/z.html");
    {
        // The limit is set here, with its signal at its default, so that
        // the write past it kills the program.
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit small = old;
        small.rlim_cur = 10000;
        ::setrlimit(RLIMIT_FSIZE, &small);
        const pid_t pid = Launch(dir.Path(), {"apply", "--jobs", "1", "t.mtpl", "site"},
                                 dir / ".out", dir / ".err");
        ::setrlimit(RLIMIT_FSIZE, &old);
        EXPECT_EQ(Wait(pid), 128 + SIGXFSZ);
    }
    for (const std::string& name : names) {
        EXPECT_EQ(ReadFile(dir / name), PageText(name)) << name;
    }
    EXPECT_EQ(ReadFile(dir / "site/z.html"), big);
    // The ten staged pages and the one cut short.
    EXPECT_EQ(HiddenNames(dir.Path() / "site").size(), 11u);

    Result next = RunTool(dir.Path(), {"apply", "t.mtpl", "site"});
    EXPECT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(next.err, "orlen-meta: removed 11 temporary files left behind by interrupted "
                        "saves\norlen-meta: 11 changed, 0 unchanged, 0 refused, 0 failed\n");
    EXPECT_EQ(HiddenNames(dir.Path() / "site"), std::vector<std::string>{});
    EXPECT_NE(ReadFile(dir / "site/p0.html"), PageText("site/p0.html"));
}

// Writes a site whose pages give every kind of message apply has, spread
// over several chunks of pages: refused pages, a page in a charset that
// cannot be written, a read-only page, a FIFO, a page the page model warns
// about, and pages that change quietly.
void MakeNoisySite(const fs::path& root) {
    for (int folder = 0; folder < 4; ++folder) {
        for (int i = 0; i < 120; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "d%d/p%03d.html", folder, i);
            const fs::path path = root / name;
            fs::create_directories(path.parent_path());
            std::string text = PageText(name);
            switch ((folder * 120 + i) % 41) {
            case 3:
                text = "<body>no head " + std::string(name) + "</body>\n";
                break;
            case 11:
                text = "<html><head><meta charset=\"iso-2022-jp\"><title>j</title></head>"
                       "<body>x</body></html>\n";
                break;
            case 23:
                text = "<html><head><title>t<a href=\"x>\n" + std::string(name) +
                       "</head><body>b</body></html>\n";
                break;
            default:
                break;
            }
            std::ofstream(path, std::ios::binary) << text;
            if ((folder * 120 + i) % 41 == 17) {
                ::chmod(path.c_str(), 0444);
            }
            if ((folder * 120 + i) % 41 == 31) {
                fs::remove(path);
                ::mkfifo(path.c_str(), 0644);
            }
        }
    }
}

// The messages, standard output, exit status and resulting pages are the
// same with one worker as with several, run after run: messages come in the
// order of the pages, each page's together.
TEST(ApplyBatches, MessagesComeInTheOrderOfThePagesWhateverTheNumberOfWorkers) {
    test::TempDir dir;
    std::vector<Result> results;
    std::vector<std::map<std::string, std::string>> trees;
    for (const char* jobs : {"1", "4", "3", "4"}) {
        const fs::path run =
            dir.Path() / (std::string("run") + jobs + "-" + std::to_string(results.size()));
        fs::create_directories(run);
        std::ofstream(run / "t.mtpl") << kTemplate;
        MakeNoisySite(run / "site");
        results.push_back(RunTool(run, {"apply", "--jobs", jobs, "t.mtpl", "site"}));
        std::map<std::string, std::string> tree;
        for (const auto& entry : fs::recursive_directory_iterator(run / "site")) {
            if (entry.is_regular_file()) {
                tree[fs::relative(entry.path(), run).string()] = ReadFile(entry.path().string());
            }
        }
        trees.push_back(std::move(tree));
    }
    const Result& one = results.front();
    EXPECT_EQ(one.status, 4);
    // 480 pages, every 41st of each kind: 12 refused without a head, 12 in
    // an unwritable charset, 12 read-only, 11 FIFOs.
    EXPECT_NE(one.err.find("orlen-meta: 433 changed, 0 unchanged, 24 refused, 23 failed\n"),
              std::string::npos)
        << one.err;
    EXPECT_EQ(CountOf(one.err, "Unable to find correct position"), 12u);
    EXPECT_EQ(CountOf(one.err, "iso-2022-jp"), 12u);
    EXPECT_EQ(CountOf(one.err, "The file is read-only"), 12u);
    EXPECT_EQ(CountOf(one.err, "not a regular file"), 11u);
    EXPECT_EQ(CountOf(one.err, "Is not </title>?"), 12u);
    // Page by page: the paths named come in the order of the walk.
    std::vector<std::string> named;
    for (std::size_t at = one.err.find("site/d"); at != std::string::npos;
         at = one.err.find("site/d", at + 1)) {
        named.push_back(one.err.substr(at, 15));
    }
    EXPECT_TRUE(std::is_sorted(named.begin(), named.end())) << one.err;
    for (std::size_t i = 1; i < results.size(); ++i) {
        SCOPED_TRACE("run " + std::to_string(i));
        EXPECT_EQ(results[i].status, one.status);
        EXPECT_EQ(results[i].out, one.out);
        EXPECT_EQ(results[i].err, one.err);
        EXPECT_EQ(trees[i], trees.front());
    }
}

// One batch where some pages cannot be saved: a folder the user may not
// write into, a page whose new content is over the file-size limit, a
// read-only page. Each is reported with why, counted failed and left as it
// was, with no temporary file; every other page of the batch is saved.
TEST(ApplyBatches, AFailureInTheMiddleOfABatchIsReportedAndTheRestAreSaved) {
    test::TempDir dir;
    dir.Write("t.mtpl", kTemplate);
    std::map<std::string, std::string> pages;
    for (const char* folder : {"a", "ro", "c"}) {
        for (int i = 0; i < 8; ++i) {
            const std::string name =
                std::string("site/") + folder + "/p" + std::to_string(i) + ".html";
            pages[name] = PageText(name);
        }
    }
    pages["site/c/big.html"] = PageText("site/c/big.html") + std::string(30000, 'b');
    pages["site/a/locked.html"] = PageText("site/a/locked.html");
    for (const auto& [name, text] : pages) {
        dir.Write(name, text);
    }
    ::chmod((dir / "site/a/locked.html").c_str(), 0444);
    Start how;
    how.fileSizeLimit = 20000;
    // Root may write into any folder: the program runs as nobody instead,
    // on a tree that nobody owns.
    how.asNobody = ::geteuid() == 0;
    if (how.asNobody) {
        for (const auto& entry : fs::recursive_directory_iterator(dir.Path())) {
            ASSERT_EQ(::lchown(entry.path().c_str(), 65534, 65534), 0);
        }
        ASSERT_EQ(::chown(dir.Path().c_str(), 65534, 65534), 0);
    }
    ::chmod((dir / "site/ro").c_str(), 0555);

    Result r = RunTool(dir.Path(), {"apply", "--jobs", "2", "t.mtpl", "site"}, how);
    EXPECT_EQ(r.status, 4) << r.err;
    const std::string denied = std::strerror(EACCES);
    std::string expected = "orlen-meta: site/a/locked.html: Unable to save site/a/locked.html. "
                           "The file is read-only\n"
                           "orlen-meta: site/c/big.html: Unable to save site/c/big.html. " +
                           std::string(std::strerror(EFBIG)) + "\n";
    for (int i = 0; i < 8; ++i) {
        const std::string name = "site/ro/p" + std::to_string(i) + ".html";
        expected += "orlen-meta: " + name + ": Unable to save " + name + ". " + denied + "\n";
    }
    expected += "orlen-meta: 16 changed, 0 unchanged, 0 refused, 10 failed\n";
    EXPECT_EQ(r.err, expected);
    for (const auto& [name, text] : pages) {
        const bool fails = name.starts_with("site/ro/") || name == "site/c/big.html" ||
                           name == "site/a/locked.html";
        if (fails) {
            EXPECT_EQ(ReadFile(dir / name), text) << name;
        } else {
            EXPECT_NE(ReadFile(dir / name), text) << name;
            EXPECT_NE(ReadFile(dir / name).find("All about the site"), std::string::npos);
        }
    }
    for (const char* folder : {"a", "ro", "c"}) {
        EXPECT_EQ(HiddenNames(dir.Path() / "site" / folder), std::vector<std::string>{}) << folder;
    }
}

// --jobs takes a number from 1 to 64, and only apply takes it.
TEST(ApplyBatches, JobsIsANumberFrom1To64ForApplyOnly) {
    test::TempDir dir;
    dir.Write("t.mtpl", kTemplate);
    dir.Write("p.html", PageText("p.html"));
    for (const char* jobs : {"0", "65", "x", "", "-1", "100"}) {
        Result r = RunTool(dir.Path(), {"apply", "--jobs", jobs, "t.mtpl", "p.html"});
        EXPECT_EQ(r.status, 2) << jobs;
        EXPECT_EQ(r.err.find("orlen-meta: --jobs needs a NUMBER from 1 to 64\n"), 0u) << r.err;
    }
    Result show = RunTool(dir.Path(), {"show", "--jobs", "2", "p.html"});
    EXPECT_EQ(show.status, 2);
    EXPECT_EQ(show.err.find("orlen-meta: --jobs is an option of apply\n"), 0u) << show.err;
    EXPECT_EQ(ReadFile(dir / "p.html"), PageText("p.html"));
    Result one = RunTool(dir.Path(), {"apply", "--jobs=64", "t.mtpl", "p.html"});
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(one.err, "orlen-meta: 1 changed, 0 unchanged, 0 refused, 0 failed\n");
}

} // namespace
} // namespace orlen
