// Recovery copies of unsaved edits: their file format, damaged and foreign
// files, taking the edits from a document and giving them back to another,
// and the folder each running program keeps them in.
#include "../temp_dir.h"
#include "document/scripted_ui.h"
#include "document/vantle_doc.h"
#include "shell/process_folder.h"
#include "shell/recovery_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/wait.h>
#include <unistd.h>

namespace orlen {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::TempDir;

RecoveryCopy SomePage() {
    RecoveryCopy copy;
    copy.kind = RecoveryCopy::Kind::Page;
    copy.path = "/site/odd name\n:7:.html";
    copy.name = "odd name";
    copy.editedAt = 1765200000;
    copy.baseKnown = true;
    copy.baseSize = 1234;
    copy.baseHash = 0xfedcba9876543210ull;
    copy.charset = "windows-1252";
    copy.head.title = std::string("Caf\xE9 \"quoted\"\r\nsecond line", 26);
    copy.head.tags = {{"description", "12:34 with\nnewline", 0},
                      {"refresh", "5; url=x.html", 1},
                      {"empty", "", 0},
                      {"nul", std::string("a\0b", 3), 0},
                      {"og:title", "card", kMetaProperty}};
    copy.head.links = {{"canonical", "https://e.org/", kLinkItem},
                       {"alternate:de", "/de/", kLinkItem}};
    copy.head.hasLang = true;
    copy.head.lang = "en";
    return copy;
}

RecoveryCopy SomeTemplate() {
    RecoveryCopy copy;
    copy.kind = RecoveryCopy::Kind::Template;
    copy.name = "unnamed template";
    copy.editedAt = 42;
    copy.text = "<html><head><meta name=\"author\" content=\"A\" action=\"1\"></head></html>\r\n";
    return copy;
}

TEST(RecoveryCopyFormat, PagesAndTemplatesComeBackExactly) {
    for (const RecoveryCopy& copy : {SomePage(), SomeTemplate(), RecoveryCopy{}}) {
        const std::string text = RecoveryText(copy);
        const std::optional<RecoveryCopy> back = ReadRecoveryText(text);
        ASSERT_TRUE(back.has_value()) << text;
        EXPECT_EQ(*back, copy);
    }
    RecoveryCopy unknownBase = SomePage();
    unknownBase.baseKnown = false;
    unknownBase.baseSize = 0;
    unknownBase.baseHash = 0;
    EXPECT_EQ(ReadRecoveryText(RecoveryText(unknownBase)), unknownBase);
}

TEST(RecoveryCopyFormat, DamagedCutShortOrForeignTextsAreNotRead) {
    const std::string text = RecoveryText(SomePage());
    // Cut short anywhere.
    for (std::size_t size = 0; size < text.size(); ++size) {
        EXPECT_FALSE(ReadRecoveryText(text.substr(0, size)).has_value()) << size;
    }
    // Any one byte changed.
    for (std::size_t at = 0; at < text.size(); ++at) {
        std::string damaged = text;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x20);
        EXPECT_FALSE(ReadRecoveryText(damaged).has_value()) << at;
    }
    // Something after the end, another format, other files.
    EXPECT_FALSE(ReadRecoveryText(text + "x").has_value());
    EXPECT_FALSE(ReadRecoveryText(text + text).has_value());
    std::string later = text;
    later.replace(later.find(" 1\n"), 3, " 2\n");
    EXPECT_FALSE(ReadRecoveryText(later).has_value());
    EXPECT_FALSE(ReadRecoveryText("<html><head></head></html>").has_value());
    EXPECT_FALSE(ReadRecoveryText(std::string(100, '\0')).has_value());
    EXPECT_FALSE(ReadRecoveryText("Orlen recovery copy 1\ncheck 0\n").has_value());
}

class RecoveryFromDocument : public ::testing::Test {
protected:
    std::string WritePage(const std::string& head, const std::string& body = "<p>Body</p>") {
        return dir.Write("page.html",
                         "<html><head>" + head + "</head>\n<body>" + body + "</body></html>\n");
    }
    TempDir dir;
    ScriptedUi ui;
};

TEST_F(RecoveryFromDocument, EditsOfAPageGoToAnotherDocumentAsUnsavedEdits) {
    const std::string path = WritePage("<title>Old</title>\n"
                                       "<meta name=\"keywords\" content=\"gone\">\n"
                                       "<meta name=\"description\" content=\"old\">\n");
    CVantleDoc before(ui);
    ASSERT_EQ(before.OpenDocument(path), 1);
    EXPECT_TRUE(UnsavedEdits(before, 1).empty());
    before.SetPageTitle("New & <better>");
    before.SetPageMeta("description", "new description", 0);
    before.SetPageMeta("keywords", "", 0);
    before.SetPageMeta("author", "Ann", 0);
    before.SetModifiedFlag(true);
    const std::vector<RecoveryCopy> copies = UnsavedEdits(before, 77);
    ASSERT_EQ(copies.size(), 1u);
    const RecoveryCopy& copy = copies[0];
    EXPECT_EQ(copy.path, path);
    EXPECT_EQ(copy.editedAt, 77);
    EXPECT_EQ(copy.charset, "UTF-8");

    // The program that started next: the page as on disk, then the copy.
    CVantleDoc after(ui);
    ASSERT_EQ(after.OpenDocument(path), 1);
    EXPECT_EQ(CompareBase(copy, after.DiskStamp()), RecoveryBase::Same);
    EXPECT_EQ(ApplyRecoveredPage(after, *ReadRecoveryText(RecoveryText(copy))), 4);
    EXPECT_TRUE(after.IsModified());
    EXPECT_EQ(after.Page().GetMetaDataSet(), before.Page().GetMetaDataSet());
    EXPECT_EQ(after.GetPageText(), before.GetPageText());
    // Nothing was written to the page.
    EXPECT_EQ(ReadFile(path).find("Ann"), std::string::npos);
    // Applying it again changes nothing more.
    EXPECT_EQ(ApplyRecoveredPage(after, copy), 0);
}

TEST_F(RecoveryFromDocument, PropertiesLinksAndTheLanguageComeBackAsTheirOwnKind) {
    const std::string path =
        dir.Write("og.html", "<html lang=\"en\"><head><title>T</title>\n"
                             "<meta name=\"og:title\" content=\"named\">\n"
                             "<meta property=\"og:title\" content=\"old card\">\n"
                             "<meta property=\"og:type\" content=\"article\">\n"
                             "<link rel=\"canonical\" href=\"https://e.org/old\">\n"
                             "</head>\n<body>b</body></html>\n");
    CVantleDoc before(ui);
    ASSERT_EQ(before.OpenDocument(path), 1);
    before.SetPageMeta("og:title", "new card", kMetaProperty);
    before.SetPageMeta("og:type", "", kMetaProperty);
    before.SetPageMeta("canonical", "https://e.org/new", kLinkItem);
    before.SetPageMeta("alternate:de", "/de/", kLinkItem);
    before.SetPageMeta("lang", "en-GB", kHtmlLang);
    before.SetModifiedFlag(true);
    const std::vector<RecoveryCopy> copies = UnsavedEdits(before, 5);
    ASSERT_EQ(copies.size(), 1u);

    CVantleDoc after(ui);
    ASSERT_EQ(after.OpenDocument(path), 1);
    EXPECT_EQ(ApplyRecoveredPage(after, *ReadRecoveryText(RecoveryText(copies[0]))), 5);
    EXPECT_EQ(after.Page().GetMetaDataSet(), before.Page().GetMetaDataSet());
    // The name tag of the same name was never touched.
    EXPECT_EQ(after.Page().GetMetaContent("og:title"), "named");
    EXPECT_EQ(after.GetPageText(), before.GetPageText());
}

TEST_F(RecoveryFromDocument, APageChangedOnDiskSinceIsToldAndStillGetsTheEdits) {
    const std::string path = WritePage("<title>Old</title>");
    CVantleDoc before(ui);
    ASSERT_EQ(before.OpenDocument(path), 1);
    before.SetPageMeta("description", "mine", 0);
    before.SetModifiedFlag(true);
    const RecoveryCopy copy = UnsavedEdits(before, 1).at(0);

    // Another program adds a tag and changes the body.
    WritePage("<title>Old</title><meta name=\"generator\" content=\"other\">", "<p>Theirs</p>");
    CVantleDoc after(ui);
    ASSERT_EQ(after.OpenDocument(path), 1);
    EXPECT_EQ(CompareBase(copy, after.DiskStamp()), RecoveryBase::Changed);
    ApplyRecoveredPage(after, copy);
    // The head is the one of the edits; the body is the file's as it is now.
    EXPECT_EQ(after.Page().GetMetaContent("description"), "mine");
    EXPECT_EQ(after.Page().GetMetaContent("generator"), "");
    EXPECT_NE(after.GetPageText().find("<p>Theirs</p>"), std::string::npos);

    // A copy of a page never saved knows no file to compare.
    CVantleDoc untitled(ui);
    untitled.SetPageTitle("Draft");
    untitled.SetModifiedFlag(true);
    const RecoveryCopy draft = UnsavedEdits(untitled, 1).at(0);
    EXPECT_EQ(draft.path, "");
    EXPECT_EQ(draft.name, "Untitled");
    EXPECT_EQ(CompareBase(draft, after.DiskStamp()), RecoveryBase::Unknown);
    CVantleDoc fresh(ui);
    ApplyRecoveredPage(fresh, draft);
    EXPECT_EQ(fresh.GetPageTitle(), "Draft");
}

TEST_F(RecoveryFromDocument, ValuesInAnotherCharsetAreCarriedOverByTheirCharacters) {
    const std::string path = WritePage("<meta charset=\"utf-8\"><title>x</title>");
    RecoveryCopy copy;
    copy.charset = "windows-1252";
    copy.head.title = "Caf\xE9";
    copy.head.tags = {{"description", "\x80 5", 0}, {"charset", "windows-1252", 0}};
    CVantleDoc doc(ui);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    ApplyRecoveredPage(doc, copy);
    EXPECT_EQ(doc.GetPageTitle(), "Caf\u00E9");
    EXPECT_EQ(doc.Page().GetMetaContent("description"), "\u20AC 5");
    // The page's own charset declaration stays.
    EXPECT_NE(doc.GetPageText().find("<meta charset=\"utf-8\">"), std::string::npos);
}

TEST_F(RecoveryFromDocument, TemplateEditsComeBackAsAnOpenModifiedTemplate) {
    CVantleDoc before(ui);
    ASSERT_EQ(before.NewTemplate(), 1);
    before.SetTemplateMeta("author", "Ann", 0, 1);
    before.templateModified = 1;
    const std::vector<RecoveryCopy> copies = UnsavedEdits(before, 5);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(copies[0].kind, RecoveryCopy::Kind::Template);
    CVantleDoc after(ui);
    ApplyRecoveredTemplate(after, copies[0]);
    EXPECT_EQ(after.templateOpen, 1);
    EXPECT_EQ(after.templateModified, 1);
    EXPECT_EQ(after.templateName, "unnamed template");
    EXPECT_EQ(after.Template().GetText(), before.Template().GetText());
    EXPECT_FALSE(after.IsModified());
}

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

// Makes a folder of this process look like one a program that ended left.
std::string AsLeftByAnEndedProgram(const std::string& folder) {
    const fs::path from(folder);
    const std::string name = from.filename().string();
    const std::string to =
        (from.parent_path() / (std::string(RecoveryStore::kPrefix) +
                               std::to_string(EndedProcess()) + name.substr(name.rfind('-'))))
            .string();
    fs::rename(from, to);
    return to;
}

TEST_F(RecoveryFromDocument, StoreWritesRemovesAndDiscardsTheProgramsCopies) {
    const std::string folder = dir / "data/recovery";
    CVantleDoc doc(ui);
    std::string error;
    {
        RecoveryStore store(folder);
        // Nothing unsaved: no folder is made.
        ASSERT_TRUE(store.Save(doc, 1, error)) << error;
        EXPECT_FALSE(fs::exists(folder));
        doc.SetPageTitle("Draft");
        doc.SetModifiedFlag(true);
        ASSERT_TRUE(store.Save(doc, 2, error)) << error;
        EXPECT_EQ(store.CopyFiles(), std::vector<std::string>{"page.orlen-recovery"});
        // Discarded: gone, and not written again until the next edit.
        store.Discard();
        EXPECT_TRUE(store.CopyFiles().empty());
        ASSERT_TRUE(store.Save(doc, 3, error));
        EXPECT_TRUE(store.CopyFiles().empty());
        store.Edited();
        ASSERT_TRUE(store.Save(doc, 4, error));
        EXPECT_EQ(store.CopyFiles().size(), 1u);
        // Saved: the copy goes.
        doc.SetModifiedFlag(false);
        ASSERT_TRUE(store.Save(doc, 5, error));
        EXPECT_TRUE(store.CopyFiles().empty());
    }
    // Without copies the program's folder goes with the store.
    EXPECT_TRUE(fs::is_empty(folder));
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(RecoveryFromDocument, CopiesLeftByAnEndedProgramAreFoundOnceAndUnreadableOnesSetAside) {
    const std::string folder = dir / "recovery";
    CVantleDoc doc(ui);
    std::string error;
    std::string left;
    {
        RecoveryStore store(folder);
        doc.SetPageTitle("Draft");
        doc.SetModifiedFlag(true);
        ASSERT_TRUE(store.Save(doc, 9, error)) << error;
        // While the program runs its copies are not offered.
        EXPECT_TRUE(RecoveryStore::FindLeft(folder).empty());
        for (const auto& entry : fs::directory_iterator(folder)) {
            left = entry.path().string();
        }
    } // ends without its edits saved or discarded: the copies stay
    ASSERT_TRUE(fs::exists(left + "/page.orlen-recovery"));
    left = AsLeftByAnEndedProgram(left);
    {
        std::vector<RecoveryStore::Left> found = RecoveryStore::FindLeft(folder);
        ASSERT_EQ(found.size(), 1u);
        ASSERT_EQ(found[0].copies.size(), 1u);
        EXPECT_EQ(found[0].copies[0].head.title, "Draft");
        EXPECT_EQ(found[0].copies[0].editedAt, 9);
        EXPECT_TRUE(found[0].unreadable.empty());
        // Taken over: a second program starting now finds nothing.
        EXPECT_TRUE(RecoveryStore::FindLeft(folder).empty());
    }
    // Offered once: gone afterwards.
    EXPECT_FALSE(fs::exists(left));
    EXPECT_TRUE(RecoveryStore::FindLeft(folder).empty());

    // A damaged copy and a foreign file under a copy's name.
    const std::string ended = std::to_string(EndedProcess());
    const std::string damaged = "Orlen-" + ended + "-abc123";
    std::string text = RecoveryText(SomePage());
    text[text.size() / 2] ^= 1;
    dir.Write("recovery/" + damaged + "/page.orlen-recovery", text);
    dir.Write("recovery/" + damaged + "/template.orlen-recovery", RecoveryText(SomePage()));
    {
        std::vector<RecoveryStore::Left> found = RecoveryStore::FindLeft(folder);
        ASSERT_EQ(found.size(), 1u);
        EXPECT_TRUE(found[0].copies.empty());
        ASSERT_EQ(found[0].unreadable.size(), 2u);
        EXPECT_EQ(found[0].unreadable[0],
                  folder + "/" + damaged + "-page.orlen-recovery.unreadable");
        EXPECT_EQ(ReadFile(found[0].unreadable[0]), text);
    }
    EXPECT_FALSE(fs::exists(folder + "/" + damaged));
    EXPECT_TRUE(RecoveryStore::FindLeft(folder).empty());
}

} // namespace
} // namespace orlen
