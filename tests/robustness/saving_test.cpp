// Saving never loses what the user wrote, nor what another program wrote.
#include "../temp_dir.h"
#include "document/document_texts.h"
#include "document/safe_file.h"
#include "document/scripted_ui.h"
#include "document/vantle_doc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

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

} // namespace
} // namespace orlen
