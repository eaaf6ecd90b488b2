// Writing files through a temporary file.
#include "../temp_dir.h"
#include "document/safe_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace orlen {
namespace {

TEST(SafeFile, CreatesReplacesAndRefusesWhatIsNotAFile) {
    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteFileSafely(dir / "new.txt", std::string("a\0b", 3), error)) << error;
    EXPECT_EQ(test::ReadFile(dir / "new.txt"), std::string("a\0b", 3));
    ASSERT_TRUE(WriteFileSafely(dir / "new.txt", "", error));
    EXPECT_EQ(test::ReadFile(dir / "new.txt"), "");

    std::filesystem::create_directory(dir / "sub");
    EXPECT_FALSE(WriteFileSafely(dir / "sub", "x", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WriteFileSafely(dir / "missing/x.txt", "x", error));

    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(dir / "sub", bytes, error));
    EXPECT_FALSE(ReadWholeFile(dir / "nothing", bytes, error));
    EXPECT_TRUE(ReadWholeFile(dir / "new.txt", bytes, error));
}

TEST(SafeFile, NewFilesFollowTheUmask) {
    test::TempDir dir;
    std::string error;
    mode_t old = ::umask(027);
    ASSERT_TRUE(WriteFileSafely(dir / "f.txt", "x", error));
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "f.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// The umask as the kernel shows it, read without changing it; -1 when it
// cannot be read.
int UmaskShownByKernel() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("Umask:")) {
            return std::stoi(line.substr(6), nullptr, 8);
        }
    }
    return -1;
}

// A save of a new file reads the umask but never sets it, not even for a
// moment: another thread creating a file meanwhile would get the wrong
// mode. A thread watches the umask while the saves run.
TEST(SafeFile, SavesLeaveTheUmaskAsItIs) {
    test::TempDir dir;
    std::string error;
    const mode_t old = ::umask(027);
    std::atomic<bool> done{false};
    std::atomic<int> otherMasksSeen{0};
    std::thread watcher([&] {
        while (!done) {
            const int mask = UmaskShownByKernel();
            if (mask != -1 && mask != 027) {
                ++otherMasksSeen;
            }
        }
    });
    int saved = 0;
    for (int i = 0; i < 50; ++i) {
        saved += WriteFileSafely(dir / ("f" + std::to_string(i) + ".txt"), "x", error) ? 1 : 0;
    }
    done = true;
    watcher.join();
    const mode_t after = ::umask(old);
    EXPECT_EQ(saved, 50) << error;
    EXPECT_EQ(after, 027u);
    EXPECT_EQ(otherMasksSeen, 0);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "f0.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

// A file name as long as one may be still saves: the page's name is cut
// short inside the names of the temporary files, never the marks after it.
TEST(SafeFile, NamesAsLongAsAFileNameMayBeSave) {
    test::TempDir dir;
    std::string error;
    const std::string name = std::string(250, 'n') + ".html";
    ASSERT_TRUE(WriteFileSafely(dir / name, "new", error)) << error;
    ASSERT_TRUE(WriteFileSafely(dir / name, "replaced", error)) << error;
    std::filesystem::create_hard_link(dir / name, dir / "other.html");
    ASSERT_TRUE(WriteFileSafely(dir / name, "in place", error)) << error;
    EXPECT_EQ(test::ReadFile(dir / "other.html"), "in place");
    for (TemporaryKind kind : {TemporaryKind::Replacement, TemporaryKind::Backup}) {
        const std::string prefix = TemporaryNamePrefix(name, CurrentProcessMark(), kind);
        EXPECT_EQ(prefix.size() + 6, 255u);
        EXPECT_TRUE(prefix.starts_with(".nnnn"));
    }
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

// Reading the start of a file: exactly the bytes asked for, whether that was
// all of it, and the whole file when the limit is larger.
TEST(SafeFile, ReadsTheStartOfAFile) {
    test::TempDir dir;
    std::string bytes;
    std::string error;
    bool complete = true;
    const std::string text(200000, 'a');
    dir.Write("f.txt", text + "z");
    ASSERT_TRUE(ReadFileStart(dir / "f.txt", 10, bytes, complete, error)) << error;
    EXPECT_EQ(bytes, "aaaaaaaaaa");
    EXPECT_FALSE(complete);
    ASSERT_TRUE(ReadFileStart(dir / "f.txt", 1 << 20, bytes, complete, error));
    EXPECT_EQ(bytes, text + "z");
    EXPECT_TRUE(complete);
    dir.Write("empty.txt", "");
    ASSERT_TRUE(ReadFileStart(dir / "empty.txt", 10, bytes, complete, error));
    EXPECT_EQ(bytes, "");
    EXPECT_TRUE(complete);
    EXPECT_FALSE(ReadFileStart(dir.Path().string(), 10, bytes, complete, error));
}

// Saves inside a batch are written like any other; the folders they touched
// are left to the batch, which may be nested.
TEST(SafeFile, BatchesDeferFolderSyncsAndNest) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(DeferredFolderSync::Defer("/"));
    {
        DeferredFolderSync outer;
        EXPECT_TRUE(DeferredFolderSync::Defer(dir.Path().string()));
        {
            DeferredFolderSync inner;
            ASSERT_TRUE(WriteFileSafely(dir / "a.txt", "a", error)) << error;
        }
        ASSERT_TRUE(WriteFileSafely(dir / "b.txt", "b", error)) << error;
        EXPECT_TRUE(DeferredFolderSync::Defer(dir.Path().string()));
    }
    EXPECT_FALSE(DeferredFolderSync::Defer("/"));
    EXPECT_EQ(test::ReadFile(dir / "a.txt"), "a");
    EXPECT_EQ(test::ReadFile(dir / "b.txt"), "b");
}

// A folder that takes no new files (here made so through the seam, so that
// it holds for root too): an existing page is written in place, its backup
// kept meanwhile in the fallback folder and removed after; a new file still
// fails; a batch does the same and says which pages it wrote so.
TEST(SafeFile, AFolderThatTakesNoNewFilesIsWrittenInPlace) {
    test::TempDir dir;
    const std::string page = dir.Write("site/page.html", "old page");
    const std::string other = dir.Write("site/other.html", "old other");
    const std::string cache = dir / "cache";
    SetInPlaceBackupFolder(cache);
    FailTemporaryFilesForTesting(EACCES);
    struct stat before {};
    ::stat(page.c_str(), &before);

    std::string error;
    SaveReport report;
    EXPECT_TRUE(WriteFileSafely(page, "new page", error, &report)) << error;
    EXPECT_TRUE(report.inPlace);
    EXPECT_EQ(report.backupFolder, cache);
    EXPECT_EQ(test::ReadFile(page), "new page");
    struct stat after {};
    ::stat(page.c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_TRUE(std::filesystem::is_empty(cache)); // the backup went with success
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir / "site"),
                            std::filesystem::directory_iterator()),
              2); // nothing left beside the pages

    EXPECT_FALSE(WriteFileSafely(dir / "site/new.html", "x", error, &report));
    EXPECT_FALSE(report.inPlace);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(std::filesystem::exists(dir / "site/new.html"));

    ReplacementBatch batch;
    const FileStamp read = StampFile(other, "old other");
    EXPECT_EQ(batch.Add(other, "new other", read, error), ReplacementBatch::Added::Written)
        << error;
    EXPECT_EQ(batch.TakeInPlaceFallbacks(), std::vector<std::string>{other});
    EXPECT_TRUE(batch.TakeInPlaceFallbacks().empty());
    EXPECT_EQ(test::ReadFile(other), "new other");
    // A page another program changed since it was read is still refused.
    const FileStamp stale = StampFile(other, "new other");
    dir.Write("site/other.html", "changed elsewhere, and longer");
    EXPECT_EQ(batch.Add(other, "mine", stale, error), ReplacementBatch::Added::Failed);
    EXPECT_EQ(test::ReadFile(other), "changed elsewhere, and longer");

    FailTemporaryFilesForTesting(0);
    SetInPlaceBackupFolder("");
    // Without the seam the usual way is taken again.
    EXPECT_TRUE(WriteFileSafely(page, "newer", error, &report));
    EXPECT_FALSE(report.inPlace);
}

} // namespace
} // namespace orlen
