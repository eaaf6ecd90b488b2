// Replacing many files in one batch: nothing changes before Commit, every
// file is old or new after it, a failure fails only its own file, and
// nothing is left behind. Also that the state saves report to (leftover
// tallies, folder-sync batches, page-model sinks) is each thread's own.
#include "../page/page_test_util.h"
#include "../temp_dir.h"
#include "document/document_texts.h"
#include "document/safe_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <filesystem>
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

// The hidden files in a folder: temporary files and backups of saves.
std::vector<std::string> HiddenNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(".")) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// Adds a file to a batch as apply does: stamped as just read.
ReplacementBatch::Added AddAsRead(ReplacementBatch& batch, const std::string& path,
                                  const std::string& bytes, std::string& error) {
    std::string old;
    std::string readError;
    if (ReadWholeFile(path, old, readError)) {
        return batch.Add(path, bytes, StampFile(path, old), error);
    }
    return batch.Add(path, bytes, FileStamp{}, error);
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(ReplacementBatch, FilesKeepTheirOldContentUntilCommitThenAllAreNew) {
    test::TempDir dir;
    dir.Write("a.html", "old a");
    dir.Write("sub/b.html", "old b");
    ::chmod((dir / "sub/b.html").c_str(), 0640);
    fs::create_symlink("sub/b.html", dir / "link.html");
    std::string error;
    ReplacementBatch batch;
    ASSERT_EQ(AddAsRead(batch, dir / "a.html", "new a", error), ReplacementBatch::Added::Staged)
        << error;
    ASSERT_EQ(AddAsRead(batch, dir / "link.html", "new b", error), ReplacementBatch::Added::Staged)
        << error;
    ASSERT_EQ(AddAsRead(batch, dir / "c.html", "new c", error), ReplacementBatch::Added::Staged)
        << error;
    EXPECT_EQ(batch.Staged(), 3u);
    EXPECT_EQ(batch.StagedBytes(), 15u);

    // Staged is not saved: every file is as it was, its new bytes wait beside it.
    EXPECT_EQ(test::ReadFile(dir / "a.html"), "old a");
    EXPECT_EQ(test::ReadFile(dir / "sub/b.html"), "old b");
    EXPECT_FALSE(fs::exists(dir / "c.html"));
    EXPECT_EQ(HiddenNames(dir.Path()).size(), 2u);
    EXPECT_EQ(HiddenNames(dir.Path() / "sub").size(), 1u);

    const std::vector<ReplacementBatch::Outcome> outcomes = batch.Commit();
    ASSERT_EQ(outcomes.size(), 3u);
    for (const ReplacementBatch::Outcome& outcome : outcomes) {
        EXPECT_TRUE(outcome.saved) << outcome.error;
    }
    EXPECT_EQ(test::ReadFile(dir / "a.html"), "new a");
    EXPECT_EQ(test::ReadFile(dir / "sub/b.html"), "new b");
    EXPECT_EQ(test::ReadFile(dir / "c.html"), "new c");
    EXPECT_TRUE(fs::is_symlink(dir / "link.html"));
    EXPECT_EQ(ModeOf(dir / "sub/b.html"), 0640u);
    EXPECT_EQ(HiddenNames(dir.Path()), std::vector<std::string>{});
    EXPECT_EQ(HiddenNames(dir.Path() / "sub"), std::vector<std::string>{});

    // Empty again, and fit for another round.
    EXPECT_EQ(batch.Staged(), 0u);
    EXPECT_EQ(batch.StagedBytes(), 0u);
    ASSERT_EQ(AddAsRead(batch, dir / "a.html", "newer a", error), ReplacementBatch::Added::Staged);
    ASSERT_EQ(batch.Commit().size(), 1u);
    EXPECT_EQ(test::ReadFile(dir / "a.html"), "newer a");
}

TEST(ReplacementBatch, AFailureFailsOnlyItsOwnFileAndLeavesNothingBehind) {
    test::TempDir dir;
    for (const char* name : {"1.html", "2.html", "3.html", "4.html", "5.html", "ro.html"}) {
        dir.Write(name, std::string("old ") + name);
    }
    ::chmod((dir / "ro.html").c_str(), 0444);
    std::string error;
    ReplacementBatch batch;

    // Refused before anything is written: a read-only file.
    EXPECT_EQ(AddAsRead(batch, dir / "ro.html", "new", error), ReplacementBatch::Added::Failed);
    EXPECT_EQ(error, doc_texts::kReadOnlyFile);

    // A temporary file that cannot be written whole (the file-size limit,
    // with its signal ignored so that the write fails instead).
    ASSERT_EQ(AddAsRead(batch, dir / "1.html", "new 1", error), ReplacementBatch::Added::Staged);
    {
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        struct rlimit small = old;
        small.rlim_cur = 1000;
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &small);
        EXPECT_EQ(AddAsRead(batch, dir / "2.html", std::string(5000, 'x'), error),
                  ReplacementBatch::Added::Failed);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, previous);
        EXPECT_EQ(error, std::strerror(EFBIG));
    }
    ASSERT_EQ(AddAsRead(batch, dir / "3.html", "new 3", error), ReplacementBatch::Added::Staged);
    ASSERT_EQ(AddAsRead(batch, dir / "4.html", "new 4", error), ReplacementBatch::Added::Staged);
    ASSERT_EQ(AddAsRead(batch, dir / "5.html", "new 5", error), ReplacementBatch::Added::Staged);
    // After staging: another program writes 3; 4 becomes a folder with a
    // file in it, which no rename can replace.
    dir.Write("3.html", "theirs");
    fs::remove(dir / "4.html");
    dir.Write("4.html/inside", "x");

    const std::vector<ReplacementBatch::Outcome> outcomes = batch.Commit();
    ASSERT_EQ(outcomes.size(), 4u); // 1, 3, 4, 5 in the order added
    EXPECT_TRUE(outcomes[0].saved) << outcomes[0].error;
    EXPECT_FALSE(outcomes[1].saved);
    EXPECT_EQ(outcomes[1].error, doc_texts::kChangedSinceRead);
    EXPECT_FALSE(outcomes[2].saved);
    EXPECT_EQ(outcomes[2].error, std::strerror(EISDIR));
    EXPECT_TRUE(outcomes[3].saved) << outcomes[3].error;

    EXPECT_EQ(test::ReadFile(dir / "1.html"), "new 1");
    EXPECT_EQ(test::ReadFile(dir / "2.html"), "old 2.html");
    EXPECT_EQ(test::ReadFile(dir / "3.html"), "theirs");
    EXPECT_TRUE(fs::is_directory(dir / "4.html"));
    EXPECT_EQ(test::ReadFile(dir / "5.html"), "new 5");
    EXPECT_EQ(test::ReadFile(dir / "ro.html"), "old ro.html");
    EXPECT_EQ(HiddenNames(dir.Path()), std::vector<std::string>{});
}

TEST(ReplacementBatch, HardLinkedFilesAreWrittenInPlaceAtOnce) {
    test::TempDir dir;
    dir.Write("h.html", "old h");
    fs::create_hard_link(dir / "h.html", dir / "h2.html");
    dir.Write("k.html", "old k");
    fs::create_hard_link(dir / "k.html", dir / "k2.html");
    struct stat before {};
    ::stat((dir / "h.html").c_str(), &before);
    std::string error;
    ReplacementBatch batch;
    EXPECT_EQ(AddAsRead(batch, dir / "h.html", "new h", error), ReplacementBatch::Added::Written)
        << error;
    EXPECT_EQ(batch.Staged(), 0u);
    EXPECT_EQ(test::ReadFile(dir / "h2.html"), "new h");
    struct stat after {};
    ::stat((dir / "h.html").c_str(), &after);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_nlink, 2u);

    // Checked against what was read before the first byte changes.
    std::string old;
    ASSERT_TRUE(ReadWholeFile(dir / "k.html", old, error));
    const FileStamp read = StampFile(dir / "k.html", old);
    dir.Write("k2.html", "theirs, longer");
    EXPECT_EQ(batch.Add(dir / "k.html", "new k", read, error), ReplacementBatch::Added::Failed);
    EXPECT_EQ(error, doc_texts::kChangedSinceRead);
    EXPECT_EQ(test::ReadFile(dir / "k.html"), "theirs, longer");
    EXPECT_EQ(HiddenNames(dir.Path()), std::vector<std::string>{});
}

TEST(ReplacementBatch, ABatchNeverCommittedLeavesTheFilesAsTheyWere) {
    test::TempDir dir;
    dir.Write("a.html", "old a");
    {
        std::string error;
        ReplacementBatch batch;
        ASSERT_EQ(AddAsRead(batch, dir / "a.html", "new a", error),
                  ReplacementBatch::Added::Staged);
        ASSERT_EQ(AddAsRead(batch, dir / "b.html", "new b", error),
                  ReplacementBatch::Added::Staged);
        EXPECT_EQ(HiddenNames(dir.Path()).size(), 2u);
    }
    EXPECT_EQ(test::ReadFile(dir / "a.html"), "old a");
    EXPECT_FALSE(fs::exists(dir / "b.html"));
    EXPECT_EQ(HiddenNames(dir.Path()), std::vector<std::string>{});
}

// The mark of a process that has ended: a child that exited.
ProcessMark MarkOfAnEndedProcess() {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::_exit(0);
    }
    ::waitpid(pid, nullptr, 0);
    ProcessMark mark = CurrentProcessMark();
    mark.pid = pid;
    return mark;
}

// A pool's workers save at once: what each one's saves find goes to the
// tally its own thread set up, and page-model messages to its own thread's
// sink, never to another thread's.
TEST(SaveState, EachThreadReportsToItsOwnTallyAndSink) {
    test::TempDir dir;
    dir.Write(
        "w/" + TemporaryNamePrefix("p.html", MarkOfAnEndedProcess(), TemporaryKind::Replacement) +
            "Ab12Cd",
        "left behind");
    LeftoverTally mainTally;
    test::RecordingSink mainSink;
    DeferredFolderSync mainBatch;

    std::size_t removedOnWorker = 0;
    bool deferredOnWorker = true;
    std::vector<std::string> workerMessages;
    std::thread worker([&] {
        LeftoverTally tally;
        test::RecordingSink sink;
        std::string error;
        // No batch of folder syncs on this thread, though the main one has one.
        deferredOnWorker = DeferredFolderSync::Defer(dir.Path().string());
        if (WriteFileSafely(dir / "w/p.html", "p", error)) {
            removedOnWorker = tally.Removed();
        }
        ShowPageMessage("from the worker");
        workerMessages = sink.messages;
    });
    worker.join();
    EXPECT_EQ(removedOnWorker, 1u);
    EXPECT_FALSE(deferredOnWorker);
    EXPECT_EQ(workerMessages, std::vector<std::string>{"from the worker"});
    EXPECT_EQ(mainTally.Removed(), 0u);
    EXPECT_EQ(mainSink.messages, std::vector<std::string>{});
    EXPECT_TRUE(DeferredFolderSync::Defer(dir.Path().string()));
}

} // namespace
} // namespace orlen
