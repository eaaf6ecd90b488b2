#include "../temp_dir.h"
#include "shell/process_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orlen {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// The number of a process that has ended.
long EndedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return static_cast<long>(child);
}

TEST(ProcessFolder, IsNamedByTheProcessLockedAndRemovedWithItsFiles) {
    TempDir dir;
    std::string error;
    std::unique_ptr<ProcessFolder> folder =
        ProcessFolder::Create(dir.Path().string(), "App-", error);
    ASSERT_NE(folder, nullptr) << error;
    const std::string path = folder->Path();
    const std::string name = fs::path(path).filename().string();
    EXPECT_EQ(ProcessOfFolderName(name, "App-"), static_cast<long>(::getpid()));
    EXPECT_TRUE(fs::is_directory(path));
    dir.Write(name + "/page-1.html", "<html>");

    // Another open of the folder cannot take its lock while it lives.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    EXPECT_NE(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);

    folder.reset();
    EXPECT_FALSE(fs::exists(path));
}

TEST(ProcessFolder, KeptFolderStaysAndIsNoOrphanWhileItsProcessRuns) {
    TempDir dir;
    std::string error;
    std::string path;
    {
        auto folder = ProcessFolder::Create(dir.Path().string(), "App-", error);
        ASSERT_NE(folder, nullptr) << error;
        path = folder->Path();
        folder->Keep();
    }
    EXPECT_TRUE(fs::is_directory(path));
    // Unlocked now, but named by this process, which runs.
    EXPECT_TRUE(OrphanedProcessFolders(dir.Path().string(), "App-").empty());
    EXPECT_EQ(RemoveOrphanedProcessFolders(dir.Path().string(), "App-"), 0);
    EXPECT_TRUE(fs::is_directory(path));
}

TEST(ProcessFolder, OnlyUnlockedFoldersOfEndedProcessesOfThisNameAreRemoved) {
    TempDir dir;
    const std::string ended = std::to_string(EndedProcess());
    const std::string mine = std::to_string(::getpid());
    dir.Write("App-" + ended + "-abc123/page-1.html", "left behind");
    dir.Write("App-" + ended + "-abc123/page-2.html", "left behind");
    dir.Write("App-" + ended + "-empty0/.keep", "");
    // Not ours, or not of this form: kept.
    dir.Write("App-" + mine + "-runs00/page-1.html", "a running copy's");
    dir.Write("Other-" + ended + "-abc123/x", "another program's");
    dir.Write("App-" + ended + "-abc12/x", "random part too short");
    dir.Write("App-0" + ended + "-abc123/x", "leading zero");
    dir.Write("App-abcdef/x", "no process number");
    dir.Write("App-" + ended + "-file00", "a file, not a folder");
    // A folder holding a subfolder is not one of ours: left whole.
    dir.Write("App-" + ended + "-deep00/sub/x", "deeper");
    // A link of that name: neither it nor what it points at is touched.
    dir.Write("target/precious", "kept");
    fs::create_directory_symlink(dir.Path() / "target", dir.Path() / ("App-" + ended + "-link00"));
    // An ended process's folder that another copy has locked (a copy in
    // another process namespace): kept.
    dir.Write("App-" + ended + "-lockd0/x", "locked");
    const std::string locked = dir / ("App-" + ended + "-lockd0");
    const int lockFd = ::open(locked.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(lockFd, 0);
    ASSERT_EQ(::flock(lockFd, LOCK_EX | LOCK_NB), 0);

    const std::vector<std::string> orphans = OrphanedProcessFolders(dir.Path().string(), "App-");
    const std::vector<std::string> expected = {dir / ("App-" + ended + "-abc123"),
                                               dir / ("App-" + ended + "-deep00"),
                                               dir / ("App-" + ended + "-empty0")};
    EXPECT_EQ(orphans, expected);

    EXPECT_EQ(RemoveOrphanedProcessFolders(dir.Path().string(), "App-"), 2);
    EXPECT_FALSE(fs::exists(dir / ("App-" + ended + "-abc123")));
    EXPECT_FALSE(fs::exists(dir / ("App-" + ended + "-empty0")));
    EXPECT_TRUE(fs::exists(dir / ("App-" + ended + "-deep00/sub/x")));
    EXPECT_TRUE(fs::exists(dir / ("App-" + mine + "-runs00/page-1.html")));
    EXPECT_TRUE(fs::exists(dir / ("Other-" + ended + "-abc123/x")));
    EXPECT_TRUE(fs::exists(dir / ("App-" + ended + "-abc12/x")));
    EXPECT_TRUE(fs::exists(dir / ("App-0" + ended + "-abc123/x")));
    EXPECT_TRUE(fs::exists(dir / "App-abcdef/x"));
    EXPECT_TRUE(fs::exists(dir / ("App-" + ended + "-file00")));
    EXPECT_TRUE(fs::is_symlink(dir / ("App-" + ended + "-link00")));
    EXPECT_EQ(test::ReadFile(dir / "target/precious"), "kept");
    EXPECT_TRUE(fs::exists(locked + "/x"));
    ::close(lockFd);

    // Once its lock is free, the last one goes too.
    EXPECT_EQ(RemoveOrphanedProcessFolders(dir.Path().string(), "App-"), 1);
    EXPECT_FALSE(fs::exists(locked));
}

TEST(ProcessFolder, TakeOverLocksAnOrphanOnceAndRefusesOthers) {
    TempDir dir;
    const std::string ended = std::to_string(EndedProcess());
    dir.Write("App-" + ended + "-abc123/copy", "x");
    const std::string path = dir / ("App-" + ended + "-abc123");
    auto first = ProcessFolder::TakeOver(path, "App-");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(ProcessFolder::TakeOver(path, "App-"), nullptr); // taken
    EXPECT_TRUE(OrphanedProcessFolders(dir.Path().string(), "App-").empty());
    EXPECT_EQ(ProcessFolder::TakeOver(dir / "nowhere", "App-"), nullptr);
    first.reset();
    EXPECT_FALSE(fs::exists(path));
}

TEST(ProcessFolder, CreateInAMissingFolderFailsWithAReason) {
    TempDir dir;
    std::string error;
    EXPECT_EQ(ProcessFolder::Create(dir / "missing", "App-", error), nullptr);
    EXPECT_FALSE(error.empty());
}

} // namespace
} // namespace orlen
