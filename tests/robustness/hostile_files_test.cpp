// Files that are not what their names say, or cannot be read at all: each is
// refused with a message that names it, never waited on, and left as it is.
#include "../temp_dir.h"
#include "document/document_texts.h"
#include "document/file_listing.h"
#include "document/safe_file.h"
#include "document/scripted_ui.h"
#include "document/template_action.h"
#include "document/vantle_doc.h"
#include "shell/settings_store.h"
#include "tags/tag_catalogue.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orlen {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

class HostileFile : public ::testing::Test {
protected:
    ScriptedUi ui;
    CVantleDoc doc{ui};
    test::TempDir dir;

    // Opening fails, says so naming the file, and leaves a new empty page.
    void ExpectRefused(const std::string& path, std::string_view reason) {
        ui.messages.clear();
        EXPECT_EQ(doc.OpenDocument(path), 0);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_NE(ui.messages[0].find(path), std::string::npos) << ui.messages[0];
        EXPECT_NE(ui.messages[0].find(reason), std::string::npos) << ui.messages[0];
        EXPECT_EQ(doc.GetPathName(), "");
        EXPECT_EQ(doc.GetPageText(), doc_texts::kEmptyPageText);
    }
};

TEST_F(HostileFile, PngRenamedHtmlOpensUnwritableAndIsNeverWritten) {
    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\xff<\xfe>", 24);
    const std::string path = dir.Write("picture.html", png);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    EXPECT_TRUE(doc.IsUnwritable());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], doc_texts::kNoMetaDataPosition);
    doc.SetPageMeta("description", "x", 0);
    doc.SetModifiedFlag();
    EXPECT_EQ(doc.SaveDocument(), 0);
    EXPECT_EQ(ReadFile(path), png);
}

TEST_F(HostileFile, DirectoryFifoAndMissingFileNamedLikePages) {
    fs::create_directory(dir / "x.html");
    ExpectRefused(dir / "x.html", "Is a directory");

    // A FIFO with no writer: a blocking open would wait for ever.
    ASSERT_EQ(::mkfifo((dir / "fifo.html").c_str(), 0644), 0);
    ExpectRefused(dir / "fifo.html", "Not a regular file");

    ExpectRefused(dir / "missing.html", "No such file");

    // A link that points nowhere.
    fs::create_symlink(dir / "gone.html", dir / "dangling.html");
    ExpectRefused(dir / "dangling.html", "No such file");

    // The same for templates.
    ui.messages.clear();
    EXPECT_EQ(doc.OpenTemplate(dir / "fifo.html"), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(dir / "fifo.html"), std::string::npos);
    EXPECT_EQ(doc.templateOpen, 0);

    // Nothing was made or changed.
    EXPECT_TRUE(fs::is_directory(dir / "x.html"));
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(dir / "fifo.html")));
    EXPECT_FALSE(fs::exists(dir / "missing.html"));
}

TEST_F(HostileFile, FileWithoutReadPermission) {
    const std::string path = dir.Write("secret.html", "<head></head><body>b</body>");
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads files without read permission";
    }
    ExpectRefused(path, "Permission denied");
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
    EXPECT_EQ(ReadFile(path), "<head></head><body>b</body>");
}

TEST_F(HostileFile, SymbolicLinkLoopsInAProjectFolderAreWalkedOnce) {
    dir.Write("site/a.html", "a");
    dir.Write("site/sub/b.html", "b");
    fs::create_directory_symlink(dir / "site", dir / "site/sub/up");   // back to the top
    fs::create_directory_symlink(dir / "site/sub", dir / "site/self"); // sideways
    fs::create_symlink(dir / "site/loop1.html", dir / "site/loop2.html");
    fs::create_symlink(dir / "site/loop2.html", dir / "site/loop1.html"); // file links in a ring

    std::vector<std::string> files;
    WalkListedFiles(
        dir / "site", kDefaultFileTypes, [&](const std::string& f) { files.push_back(f); },
        nullptr);
    // Each real folder is listed once, whichever name reaches it first.
    EXPECT_EQ(std::count(files.begin(), files.end(), "a.html"), 1);
    std::size_t bs = 0;
    for (const std::string& f : files) {
        bs += f.size() >= 6 && f.compare(f.size() - 6, 6, "b.html") == 0 ? 1 : 0;
    }
    EXPECT_EQ(bs, 1u);
    EXPECT_LT(files.size(), 8u);

    // The ring of file links opens as an error naming the file.
    ExpectRefused(dir / "site/loop1.html", "symbolic links");
}

TEST(HostileSettings, AbsurdValuesGiveABoundedCatalogue) {
    MemorySettingsStore store;
    std::string fileTypes;
    store.WriteSettingInt("User", "IBC", INT_MAX);
    store.WriteSettingInt("User", "S0D", -7);
    store.WriteSettingInt("User", "S1D", INT_MIN);
    store.WriteSettingInt("User", "U0D", 99);
    store.WriteSettingInt("User", "U0H", 12345);
    store.WriteSettingString("User", "U0N", std::string("\0\xff<>", 4));
    store.WriteSettingString("User", "FileTypes", std::string(100000, ';'));
    TagCatalogue catalogue(store, fileTypes);
    catalogue.loadSettings();
    EXPECT_EQ(catalogue.count(), StandardTagCount + TagCatalogue::kMaxUserDefinedTags);
    for (int i = 0; i < catalogue.count(); ++i) {
        (void)TagCatalogue::isShown(catalogue.at(i), false);
        (void)TagCatalogue::offeredActions(catalogue.at(i));
    }
    // The missing user tags get placeholder names instead of nothing.
    EXPECT_FALSE(catalogue.at(StandardTagCount + 1).definition.name.empty());
    EXPECT_FALSE(IsListedFile("a.html", fileTypes));

    MemorySettingsStore negative;
    negative.WriteSettingInt("User", "IBC", -5);
    TagCatalogue fewer(negative, fileTypes);
    fewer.loadSettings();
    EXPECT_EQ(fewer.count(), StandardTagCount);

    // A truncated store, with entries of the wrong kind, reads as defaults.
    MemorySettingsStore wrongKind;
    wrongKind.WriteSettingString("User", "IBC", "fourteen");
    wrongKind.WriteSettingInt("User", "FileTypes", 3);
    TagCatalogue defaults(wrongKind, fileTypes);
    defaults.loadSettings();
    EXPECT_EQ(defaults.count(), StandardTagCount);
    EXPECT_EQ(fileTypes, kDefaultFileTypes);
}

TEST_F(HostileFile, TemplateWithAbsurdActionNumbers) {
    const std::string page = "<html><head><title>Page</title>"
                             "<meta name=\"a\" content=\"pa\"><meta name=\"b\" content=\"pb\">"
                             "<meta name=\"c\" content=\"pc\"><meta name=\"d\" content=\"pd\">"
                             "<meta name=\"e\" content=\"pe\"></head><body>B</body></html>";
    const std::string pagePath = dir.Write("p.html", page);
    // 4294967297 and 4294967301 are AlwaysSet and AlwaysRemove if wrapped to
    // 32 bits; huge, negative and unreadable numbers must change nothing.
    const std::string tmpl = "<html><head><title action=\"99999999999999999999999\">T</title>"
                             "<meta name=\"a\" content=\"ta\" action=\"4294967297\">"
                             "<meta name=\"b\" content=\"tb\" action=\"-1\">"
                             "<meta name=\"c\" content=\"tc\" action=\"4294967301\">"
                             "<meta name=\"d\" content=\"td\" action=\"0x1\">"
                             "<meta name=\"e\" content=\"te\" action=\"" +
                             std::string(5000, '9') + "\"></head><body></body></html>";
    const std::string tmplPath = dir.Write("t.mtpl", tmpl);
    ASSERT_EQ(doc.OpenDocument(pagePath), 1);
    ASSERT_EQ(doc.OpenTemplate(tmplPath), 1);
    std::string name, content;
    int httpEquiv = 0, action = 0;
    for (int i = 0; doc.GetTemplateMeta(i, name, content, httpEquiv, action) != 0; ++i) {
        EXPECT_TRUE(action < kFirstTemplateAction || action > kLastTemplateAction || name == "d")
            << name << " reads as action " << action;
    }
    const std::string before = doc.GetPageText();
    doc.ApplyTemplate();
    EXPECT_EQ(doc.GetPageTitle(), "Page");
    EXPECT_EQ(doc.Page().GetMetaContent("a"), "pa");
    EXPECT_EQ(doc.Page().GetMetaContent("b"), "pb");
    EXPECT_EQ(doc.Page().GetMetaContent("c"), "pc");
    EXPECT_EQ(doc.Page().GetMetaContent("e"), "pe");
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ReadFile(pagePath), page);
    EXPECT_EQ(ReadFile(tmplPath), tmpl);
    (void)before;
}

} // namespace
} // namespace orlen
