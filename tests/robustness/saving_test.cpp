// Saving never loses what the user wrote, nor what another program wrote.
#include "../temp_dir.h"
#include "document/document_texts.h"
#include "document/safe_file.h"
#include "document/scripted_ui.h"
#include "document/vantle_doc.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orlen {
namespace {

using test::ReadFile;

class SavingTest : public ::testing::Test {
protected:
    ScriptedUi ui;
    CVantleDoc doc{ui};
    test::TempDir dir;
    const std::string original = "<html><head><title>T</title></head>\r\n<body>mine</body>\r\n";
};

TEST_F(SavingTest, ReadOnlyPageReportsTheFailureAndKeepsTheEdits) {
    const std::string path = dir.Write("ro.html", original);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    doc.SetPageTitle("Edited");
    doc.SetModifiedFlag();
    EXPECT_EQ(doc.SaveDocument(), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(path), std::string::npos);
    EXPECT_NE(ui.messages[0].find("read-only"), std::string::npos);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPageTitle(), "Edited");
    EXPECT_EQ(ReadFile(path), original);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0444u);

    // Once writable again, the same edits save.
    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
    EXPECT_EQ(doc.SaveDocument(), 1);
    EXPECT_NE(ReadFile(path).find("<title>Edited</title>"), std::string::npos);
}

TEST_F(SavingTest, SavingOverALinkReplacesItsTargetAndKeepsTheLink) {
    const std::string path = dir.Write("real/p.html", original);
    std::filesystem::create_symlink(path, dir / "link.html");
    ASSERT_EQ(doc.OpenDocument(dir / "link.html"), 1);
    doc.SetPageTitle("Via link");
    EXPECT_EQ(doc.SaveDocument(), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.html"));
    EXPECT_NE(ReadFile(path).find("Via link"), std::string::npos);
    // Saving again through the link is no change by another program.
    doc.SetPageTitle("Again");
    EXPECT_EQ(doc.SaveDocument(), 1);
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(SavingTest, PageChangedByAnotherProgramAsksBeforeOverwriting) {
    const std::string path = dir.Write("p.html", original);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    doc.SetPageTitle("Mine");
    doc.SetModifiedFlag();

    const std::string theirs = "<html><head><title>Theirs</title></head><body>new</body>";
    dir.Write("p.html", theirs);

    // No: nothing is written, the edits stay unsaved.
    ui.answers.push_back(Answer::No);
    EXPECT_EQ(doc.SaveDocument(), 0);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], path + " has been changed by another program since it was "
                                      "opened.\nDo you want to overwrite those changes with "
                                      "yours?");
    EXPECT_EQ(ReadFile(path), theirs);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetPageTitle(), "Mine");
    EXPECT_TRUE(ui.messages.empty());

    // Yes: written, and the next save does not ask again.
    ui.answers.push_back(Answer::Yes);
    EXPECT_EQ(doc.SaveDocument(), 1);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_NE(ReadFile(path).find("<title>Mine</title>"), std::string::npos);
    EXPECT_FALSE(doc.IsModified());
    doc.SetPageTitle("Later");
    EXPECT_EQ(doc.SaveDocument(), 1);
    EXPECT_EQ(ui.questions.size(), 2u);
}

TEST_F(SavingTest, UnchangedContentOrANewFileDoesNotAsk) {
    const std::string path = dir.Write("p.html", original);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    // Same bytes written again by another program (a new inode, a new time).
    std::filesystem::remove(path);
    dir.Write("p.html", original);
    doc.SetPageTitle("Mine");
    EXPECT_EQ(doc.SaveDocument(), 1);
    EXPECT_TRUE(ui.questions.empty());

    // Removed by another program: saving puts the page back.
    std::filesystem::remove(path);
    doc.SetPageTitle("Back");
    EXPECT_EQ(doc.SaveDocument(), 1);
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_NE(ReadFile(path).find("Back"), std::string::npos);

    // Save As to another name is not asked about (the file dialog does).
    dir.Write("other.html", "other");
    ui.files.push_back(dir / "other.html");
    EXPECT_EQ(doc.SaveDocumentAs(), 1);
    EXPECT_TRUE(ui.questions.empty());
}

TEST(FileStampTest, TellsChangedFromTouched) {
    test::TempDir dir;
    const std::string path = dir.Write("f.txt", "abc");
    const FileStamp stamp = StampFile(path, "abc");
    ASSERT_TRUE(stamp.known);
    EXPECT_FALSE(FileChangedSince(path, stamp));
    dir.Write("f.txt", "abd"); // same size
    EXPECT_TRUE(FileChangedSince(path, stamp));
    dir.Write("f.txt", "abc");
    EXPECT_FALSE(FileChangedSince(path, stamp));
    EXPECT_FALSE(FileChangedSince(path, FileStamp{}));
    EXPECT_FALSE(StampFile(dir / "missing", "").known);

    // A change of one byte anywhere in a longer file of the same size. Each
    // version is a new file, so only the hash of the bytes can tell.
    const std::string text = "<html><head><title>Bread</title></head>";
    const FileStamp longer = StampFile(dir.Write("g.txt", text), text);
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string edited = text;
        edited[i] = static_cast<char>(edited[i] ^ 0x20);
        const std::string copy = dir.Write("g" + std::to_string(i) + ".txt", edited);
        EXPECT_TRUE(FileChangedSince(copy, longer)) << i;
    }
    EXPECT_FALSE(FileChangedSince(dir.Write("same.txt", text), longer));

    // A shorter text does not pass for a longer one ending in NUL bytes.
    const FileStamp one = StampFile(dir.Write("one.txt", "A"), "A");
    EXPECT_TRUE(FileChangedSince(dir.Write("two.txt", std::string("Y\0", 2)), one));
    const FileStamp empty = StampFile(dir.Write("empty.txt", ""), "");
    EXPECT_TRUE(FileChangedSince(dir.Write("byte.txt", "\x08"), empty));
}

// Saves path in a child process that a file-size limit of limit bytes
// kills midway, as a kill or a crash would. True when it died that way.
bool SaveKilledPartWay(const std::string& path, const std::string& bytes, rlim_t limit) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        struct rlimit noCore {};
        ::setrlimit(RLIMIT_CORE, &noCore);
        struct rlimit small {};
        ::getrlimit(RLIMIT_FSIZE, &small);
        small.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::signal(SIGXFSZ, SIG_DFL);
        std::string error;
        WriteFileSafely(path, bytes, error);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}

// The mark of a process that has ended: a child that told its start time
// and exited.
ProcessMark MarkOfAnEndedProcess() {
    int fds[2];
    if (::pipe(fds) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        const unsigned long long start = CurrentProcessMark().start;
        (void)!::write(fds[1], &start, sizeof start);
        ::_exit(0);
    }
    ::close(fds[1]);
    unsigned long long start = 0;
    (void)!::read(fds[0], &start, sizeof start);
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    ProcessMark mark = CurrentProcessMark();
    mark.pid = pid;
    mark.start = start;
    return mark;
}

// The same hex digits but for the first.
std::string OtherHex(std::string hex) {
    hex[0] = hex[0] == 'f' ? '0' : 'f';
    return hex;
}

// Every name in a folder.
std::set<std::string> Names(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// A save into a folder removes the temporary files that saves of ended
// processes left there, and nothing else: not the files of processes still
// at work or of other machines, not names that merely look alike, and not
// the backup of a page written in place, whose page may be incomplete (it
// is reported instead). Every row makes one entry beside p.html, then
// q.html is saved into the same folder.
TEST(SaveLeftovers, OnlyThoseOfEndedProcessesAreRemoved) {
    const ProcessMark live = CurrentProcessMark();
    ASSERT_NE(live.start, 0u) << "no start time in /proc";
    ASSERT_NE(live.boot, ProcessMark::kUnknownBoot) << "no boot id in /proc";
    const ProcessMark ended = MarkOfAnEndedProcess();
    ProcessMark reused = live;
    reused.start += 1;
    ProcessMark earlierBoot = live;
    earlierBoot.boot = OtherHex(live.boot);
    ProcessMark elsewhere = ended;
    elsewhere.machine = OtherHex(live.machine);
    ProcessMark noPid = ended;
    noPid.pid = 0;
    const auto temp = [](const ProcessMark& mark, const char* page = "p.html") {
        return TemporaryNamePrefix(page, mark, TemporaryKind::Replacement) + "Ab12Cd";
    };
    const auto backup = [](const ProcessMark& mark) {
        return TemporaryNamePrefix("p.html", mark, TemporaryKind::Backup) + "Ab12Cd";
    };

    enum class Made { File, Folder, Link, KilledSave, KilledInPlaceSave };
    struct Row {
        const char* what;
        std::string name; // none for the files a killed save leaves
        Made made;
        bool kept;
        bool reported; // among the backups kept
    };
    const std::vector<Row> rows = {
        {"the file of a save killed midway", "", Made::KilledSave, false, false},
        {"the file of a process that has ended", temp(ended), Made::File, false, false},
        {"another page's file of a process that has ended", temp(ended, "other.html"), Made::File,
         false, false},
        {"a pid now used by a process that started later", temp(reused), Made::File, false, false},
        {"a process of an earlier boot", temp(earlierBoot), Made::File, false, false},
        {"a process still at work", temp(live), Made::File, true, false},
        {"a process of another machine", temp(elsewhere), Made::File, true, false},
        {"a pid of 0", temp(noPid), Made::File, true, false},
        {"the backup of a save killed midway", "", Made::KilledInPlaceSave, true, true},
        {"the backup of a process that has ended", backup(ended), Made::File, true, true},
        {"the backup of a process still at work", backup(live), Made::File, true, false},
        {"the old naming, without a process", ".p.html.orlen-Ab12Cd", Made::File, true, false},
        {"without the leading dot", temp(ended).substr(1), Made::File, true, false},
        {"five characters at the end", temp(ended).substr(0, temp(ended).size() - 1), Made::File,
         true, false},
        {"more after the six characters", temp(ended) + ".bak", Made::File, true, false},
        {"a folder named like a leftover", temp(ended), Made::Folder, true, false},
        {"a link named like a leftover", temp(ended), Made::Link, true, false},
    };
    const std::string old = "<head><title>old</title></head>\r\n";
    const std::string longer(10000, 'n');
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        const std::string page = dir.Write("p.html", old);
        std::string name = row.name;
        switch (row.made) {
        case Made::File:
            dir.Write(name, "leftover");
            break;
        case Made::Folder:
            std::filesystem::create_directory(dir / name);
            break;
        case Made::Link:
            std::filesystem::create_symlink("p.html", dir / name);
            break;
        case Made::KilledSave:
        case Made::KilledInPlaceSave:
            if (row.made == Made::KilledInPlaceSave) {
                ASSERT_EQ(::chmod(page.c_str(), 0640), 0);
                std::filesystem::create_hard_link(page, dir / "p2.html");
            }
            ASSERT_TRUE(SaveKilledPartWay(page, longer, 4096));
            for (const std::string& n : Names(dir.Path())) {
                if (n.starts_with(".p.html.orlen-")) {
                    name = n;
                }
            }
            ASSERT_FALSE(name.empty());
            break;
        }
        const std::set<std::string> before = Names(dir.Path());

        LeftoverTally tally;
        std::string error;
        ASSERT_TRUE(WriteFileSafely(dir / "q.html", "q", error)) << error;

        std::set<std::string> expected = before;
        expected.insert("q.html");
        if (!row.kept) {
            expected.erase(name);
        }
        EXPECT_EQ(Names(dir.Path()), expected);
        EXPECT_EQ(tally.Removed(), row.kept ? 0u : 1u);
        EXPECT_EQ(tally.KeptBackups(),
                  row.reported ? std::vector<std::string>{dir / name} : std::vector<std::string>{});
        if (row.made == Made::KilledInPlaceSave) {
            // The backup holds the whole old page; both names still lead to
            // one file, however much of the new content reached it.
            EXPECT_EQ(ReadFile(dir / name), old);
            EXPECT_EQ(ReadFile(page), ReadFile(dir / "p2.html"));
            // Whoever may read the page may read its copy.
            struct stat pageStat {};
            struct stat copyStat {};
            ASSERT_EQ(::stat(page.c_str(), &pageStat), 0);
            ASSERT_EQ(::stat((dir / name).c_str(), &copyStat), 0);
            EXPECT_EQ(copyStat.st_mode, pageStat.st_mode);
            EXPECT_EQ(copyStat.st_uid, pageStat.st_uid);
        }
    }
}

// A folder is looked through once per process, so a batch over thousands
// of pages in one folder costs one look; what appears later is left to the
// next process.
TEST(SaveLeftovers, EachFolderIsLookedThroughOncePerProcess) {
    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteFileSafely(dir / "a.html", "a", error)) << error;
    const std::string leftover =
        TemporaryNamePrefix("a.html", MarkOfAnEndedProcess(), TemporaryKind::Replacement) +
        "Ab12Cd";
    dir.Write(leftover, "x");
    ASSERT_TRUE(WriteFileSafely(dir / "b.html", "b", error)) << error;
    EXPECT_TRUE(std::filesystem::exists(dir / leftover));

    const pid_t pid = ::fork();
    if (pid == 0) {
        std::string childError;
        ::_exit(WriteFileSafely(dir / "c.html", "c", childError) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(std::filesystem::exists(dir / leftover));
}

// A page with several hard links is written in place, so that every name
// keeps leading to the one file with the new content, its permission bits
// and owner; nothing is left beside it. A write that fails midway puts
// the old content back. The in-place writer also takes a backup folder of
// its own, for pages in folders where no file may be made.
TEST(SaveInPlace, HardLinkedPagesKeepEveryName) {
    struct Row {
        const char* what;
        int names;            // hard links to the one file
        bool throughLink;     // saved through a symbolic link to it
        bool backupElsewhere; // WriteFileInPlace with a folder of its own
        mode_t mode;
        std::string old, now;
        rlim_t limit; // a file-size limit that makes writing fail; 0 for none
        bool saved;
    };
    const std::string page =
        "<head><title>Old</title></head>\r\n<body>" + std::string(2000, 'b') + "</body>\r\n";
    const std::string edited =
        "<head><title>New</title></head>\r\n<body>" + std::string(2000, 'b') + "</body>\r\n";
    const std::vector<Row> rows = {
        {"two names", 2, false, false, 0644, page, edited, 0, true},
        {"three names", 3, false, false, 0604, page, edited, 0, true},
        {"through a symbolic link", 2, true, false, 0640, page, edited, 0, true},
        {"shorter than before", 2, false, false, 0644, page, "<head></head>", 0, true},
        {"empty", 2, false, false, 0644, page, "", 0, true},
        {"longer than before", 2, false, false, 0644, "<head></head>", page, 0, true},
        {"a write that fails midway", 2, false, false, 0644, page, page + page, 3000, false},
        {"read-only", 2, false, false, 0444, page, edited, 0, false},
        {"one name, backup in a folder of its own", 1, false, true, 0640, page, edited, 0, true},
        {"two names, backup in a folder of its own", 2, false, true, 0644, page, edited, 0, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        test::TempDir dir;
        std::filesystem::create_directory(dir / "cache");
        std::vector<std::string> names = {dir.Write("site/p.html", row.old)};
        for (int i = 1; i < row.names; ++i) {
            names.push_back(dir / ("site/p" + std::to_string(i) + ".html"));
            std::filesystem::create_hard_link(names[0], names.back());
        }
        std::string savedAs = names[0];
        if (row.throughLink) {
            savedAs = dir / "link.html";
            std::filesystem::create_symlink(names[0], savedAs);
        }
        ASSERT_EQ(::chmod(names[0].c_str(), row.mode), 0);
        struct stat before {};
        ASSERT_EQ(::stat(names[0].c_str(), &before), 0);
        const std::set<std::string> namesBefore = Names(dir / "site");

        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        if (row.limit != 0) {
            struct rlimit small = old;
            small.rlim_cur = row.limit;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        std::string error;
        const bool saved = row.backupElsewhere
                               ? WriteFileInPlace(savedAs, row.now, dir / "cache", error)
                               : WriteFileSafely(savedAs, row.now, error);
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldHandler);

        EXPECT_EQ(saved, row.saved) << error;
        EXPECT_EQ(error.empty(), row.saved) << error;
        for (const std::string& name : names) {
            EXPECT_EQ(ReadFile(name), row.saved ? row.now : row.old) << name;
            struct stat after {};
            ASSERT_EQ(::stat(name.c_str(), &after), 0);
            EXPECT_EQ(after.st_ino, before.st_ino) << name;
            EXPECT_EQ(after.st_nlink, before.st_nlink) << name;
            EXPECT_EQ(after.st_mode, before.st_mode) << name;
            EXPECT_EQ(after.st_uid, before.st_uid) << name;
            EXPECT_EQ(after.st_gid, before.st_gid) << name;
        }
        if (row.throughLink) {
            EXPECT_TRUE(std::filesystem::is_symlink(savedAs));
        }
        EXPECT_EQ(Names(dir / "site"), namesBefore);
        EXPECT_TRUE(Names(dir / "cache").empty());
    }
}

} // namespace
} // namespace orlen
