// The page document: new, open, save, the prompts, and never losing a file.
#include "../temp_dir.h"
#include "document/document_texts.h"
#include "document/safe_file.h"
#include "document/scripted_ui.h"
#include "document/vantle_doc.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace orlen {
namespace {

using test::ReadFile;

class CountingView : public DocumentView {
public:
    explicit CountingView(CVantleDoc& doc) : doc_(doc) {}
    void OnUpdate() override {
        ++updates;
        viewsReadyDuringUpdate.push_back((doc_.ViewsReady() ? 1 : 0));
    }
    void OnInitialUpdate() override { ++initialUpdates; }
    int updates = 0;
    int initialUpdates = 0;
    std::vector<int> viewsReadyDuringUpdate;

private:
    CVantleDoc& doc_;
};

class DocumentTest : public ::testing::Test {
protected:
    ScriptedUi ui;
    CVantleDoc doc{ui};
    test::TempDir dir;
};

TEST_F(DocumentTest, NewDocumentIsAnUntitledWritableEmptyPage) {
    EXPECT_EQ(doc.GetTitle(), "Untitled");
    EXPECT_EQ(doc.GetPathName(), "");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_FALSE(doc.IsUnwritable());
    EXPECT_EQ(doc.GetPageText(), doc_texts::kEmptyPageText);

    doc.SetPageMeta("description", "  a page ", 0);
    doc.SetModifiedFlag();
    ui.files.push_back(dir / "new.html");
    EXPECT_EQ(doc.SaveDocument(), 1); // no path yet: asks for one
    EXPECT_EQ(ReadFile(dir / "new.html"),
              "<html><head>\n\t<meta name=\"description\" content=\"a page\"/></head><body>"
              "Empty file created by  <a href='https://orlen-editor.org/'>Orlen meta-data "
              "editor</a></body></html>");
    EXPECT_EQ(doc.GetTitle(), "new.html");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, OpensAPageAndSavesItWithTheBodyAsRead) {
    const std::string path = dir.Write("p.html", "<HTML><HEAD><TITLE>T</TITLE></HEAD>\n"
                                                 "<BODY>\n<P>Text</BODY></HTML>\n");
    ASSERT_EQ(doc.OpenDocument(path), 1);
    EXPECT_EQ(doc.GetTitle(), "p.html");
    EXPECT_EQ(doc.GetPageTitle(), "T");
    EXPECT_FALSE(doc.IsUnwritable());
    EXPECT_TRUE(ui.messages.empty());

    doc.SetPageMeta("keywords", "a, b", 0);
    EXPECT_EQ(doc.SetPageTitle("New"), 1);
    EXPECT_EQ(doc.SaveDocument(), 1);
    EXPECT_EQ(ReadFile(path), "<html><head>\n\t<meta name=\"keywords\" content=\"a, b\"/>"
                              "<title>New</title></head>\n<BODY>\n<P>Text</BODY></HTML>\n");

    std::string name, content;
    int httpEquiv = 0;
    ASSERT_EQ(doc.GetPageMeta(0, name, content, httpEquiv), 1);
    EXPECT_EQ(name + "=" + content, "keywords=a, b");
    doc.SetPageMeta("keywords", " \t ", 0);
    EXPECT_EQ(doc.GetPageMeta(0, name, content, httpEquiv), 0);
}

// A page whose folder takes no new files is saved in place, and the user is
// told so (the window shows it in the status bar, orlen-meta on stderr).
TEST_F(DocumentTest, SavingInAFolderThatTakesNoNewFilesSaysItWroteInPlace) {
    const std::string path = dir.Write("p.html", "<html><head><title>T</title></head>"
                                                 "<body>x</body></html>");
    ASSERT_EQ(doc.OpenDocument(path), 1);
    doc.SetPageTitle("New");
    SetInPlaceBackupFolder(dir / "cache");
    FailTemporaryFilesForTesting(EACCES);
    const int saved = doc.SaveDocument();
    FailTemporaryFilesForTesting(0);
    SetInPlaceBackupFolder("");
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(ReadFile(path), "<html><head><title>New</title></head><body>x</body></html>");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], doc_texts::FillIn(doc_texts::kSavedInPlace, path, dir / "cache"));
    EXPECT_FALSE(doc.IsModified());
}

// Each warning of an open comes with its reason, which code reads instead
// of the warning's text: while the warning is shown and after the open.
TEST_F(DocumentTest, OpenSaysWhyItWarned) {
    std::vector<OpenNotice> shown;
    ui.onMessage = [&](const std::string&) { shown.push_back(doc.LastOpenNotice()); };
    const std::string jisHead = "<html><head><meta charset=\"ISO-2022-JP\"><title>\033$BF|K\\\033(B"
                                "</title></head>";
    struct Row {
        const char* what;
        std::string page;
        std::vector<OpenNotice> shown;
    };
    const std::vector<Row> rows = {
        {"a page without a head",
         "<html><body>x</body></html>\r\n",
         {OpenNotice::NoMetaDataPosition}},
        {"an ISO-2022-JP page",
         jisHead + "<body>x</body></html>\r\n",
         {OpenNotice::UnsupportedCharset}},
        {"a page with neither", "<html><head></head><body>x</body></html>", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        shown.clear();
        ui.messages.clear();
        ASSERT_EQ(doc.OpenDocument(dir.Write("p.html", row.page)), 1);
        EXPECT_EQ(shown, row.shown);
        ASSERT_EQ(ui.messages.size(), row.shown.size());
        for (std::size_t i = 0; i < row.shown.size(); ++i) {
            EXPECT_EQ(ui.messages[i], row.shown[i] == OpenNotice::NoMetaDataPosition
                                          ? std::string(doc_texts::kNoMetaDataPosition)
                                          : doc_texts::FillIn(doc_texts::kUnsupportedCharset,
                                                              dir / "p.html", "ISO-2022-JP"));
        }
        EXPECT_EQ(doc.LastOpenNotice(), row.shown.empty() ? OpenNotice::None : row.shown.back());
    }
    // A new document has none.
    doc.ResetDocument();
    EXPECT_EQ(doc.LastOpenNotice(), OpenNotice::None);
}

TEST_F(DocumentTest, PageWithoutPlaceForMetaDataIsNeverWritten) {
    const std::string original = "<html><body>x</body></html>\r\n";
    const std::string path = dir.Write("u.html", original);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], doc_texts::kNoMetaDataPosition);
    EXPECT_TRUE(doc.IsUnwritable());

    // Every save says why nothing is written, and the page stays unsaved.
    doc.SetPageMeta("a", "b", 0);
    doc.SetModifiedFlag();
    for (std::size_t attempt = 2; attempt <= 3; ++attempt) {
        EXPECT_EQ(doc.SaveDocument(), 0);
        EXPECT_EQ(ReadFile(path), original);
        ASSERT_EQ(ui.messages.size(), attempt);
        EXPECT_EQ(ui.messages.back(), doc_texts::kNoMetaDataPosition);
        EXPECT_TRUE(doc.IsModified());
    }

    // Save As makes no new file and replaces no existing one.
    const std::string other = dir.Write("other.html", "keep me");
    ui.files.push_back(other);
    ui.files.push_back(dir / "fresh.html");
    EXPECT_EQ(doc.SaveDocumentAs(), 0);
    EXPECT_EQ(doc.SaveDocumentAs(), 0);
    EXPECT_EQ(ReadFile(other), "keep me");
    EXPECT_FALSE(std::filesystem::exists(dir / "fresh.html"));
    EXPECT_EQ(doc.GetPathName(), path);

    // The flag lasts until the next open.
    const std::string good = dir.Write("g.html", "<head></head>");
    ASSERT_EQ(doc.OpenDocument(good), 1);
    EXPECT_FALSE(doc.IsUnwritable());
}

// A failed open says why and leaves the page that was open as it was, its
// edits and path included, whether the file is missing or a folder, and
// through File > Open after the save prompt was answered.
TEST_F(DocumentTest, AFailedOpenKeepsThePageThatWasOpen) {
    const std::string path = dir.Write("p.html", "<head><title>T</title></head>");
    ASSERT_EQ(doc.OpenDocument(path), 1);
    doc.SetPageTitle("Edited");
    doc.SetModifiedFlag();
    const auto unchanged = [&](const char* what) {
        EXPECT_EQ(doc.GetPathName(), path) << what;
        EXPECT_EQ(doc.GetPageTitle(), "Edited") << what;
        EXPECT_TRUE(doc.IsModified()) << what;
    };
    EXPECT_EQ(doc.OpenDocument(dir / "missing.html"), 0);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(dir / "missing.html"), std::string::npos);
    unchanged("missing");
    EXPECT_EQ(doc.OpenDocument(dir.Path().string()), 0); // a folder
    unchanged("folder");

    // File > Open: "No" to the save prompt, then a file that cannot be read.
    ui.files.push_back(dir / "missing.html");
    ui.answers.push_back(Answer::No);
    EXPECT_EQ(doc.OpenCommand("*.html"), 0);
    unchanged("File > Open");
    // Chosen again after the prompt, the open page is read again from disk.
    ui.files.push_back(path);
    ui.answers.push_back(Answer::No);
    EXPECT_EQ(doc.OpenCommand("*.html"), 1);
    EXPECT_EQ(doc.GetPageTitle(), "T");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(DocumentTest, SavingKeepsPermissionsAndFollowsSymbolicLinks) {
    const std::string path = dir.Write("p.html", "<head></head>");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    std::filesystem::create_symlink(path, dir / "link.html");

    ASSERT_EQ(doc.OpenDocument(dir / "link.html"), 1);
    doc.SetPageMeta("a", "1", 0);
    ASSERT_EQ(doc.SaveDocument(), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.html"));
    EXPECT_EQ(ReadFile(path), "<head>\n\t<meta name=\"a\" content=\"1\"/></head>");
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 2);
}

TEST_F(DocumentTest, FailedSaveLeavesTheOriginalAndSaysSo) {
    const std::string original = "<head></head>\r\n<body>" + std::string(100, 'x') + "\r\n";
    const std::string path = dir.Write("p.html", original);
    ASSERT_EQ(doc.OpenDocument(path), 1);
    doc.SetPageMeta("description", std::string(4000, 'd'), 0);
    doc.SetModifiedFlag();

    // A file-size limit makes the write fail part-way, even for root.
    struct rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int saved = doc.SaveDocument();
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(saved, 0);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ReadFile(path), original);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_NE(ui.messages[0].find(path), std::string::npos);
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) {
        ++entries;
    }
    EXPECT_EQ(entries, 1);
}

TEST_F(DocumentTest, FailedSaveIntoAReadOnlyDirectory) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only directories";
    }
    const std::string path = dir.Write("ro/p.html", "<head></head>");
    ASSERT_EQ(doc.OpenDocument(path), 1);
    doc.SetPageMeta("a", "1", 0);
    ASSERT_EQ(::chmod((dir / "ro").c_str(), 0555), 0);
    EXPECT_EQ(doc.SaveDocument(), 0);
    EXPECT_EQ(ReadFile(path), "<head></head>");
    EXPECT_EQ(ui.messages.size(), 1u);
}

TEST_F(DocumentTest, ConfirmSaveAsksAboutTheTemplateThenThePage) {
    const std::string path = dir.Write("p.html", "<head></head>");
    doc.OpenDocument(path);
    EXPECT_EQ(doc.ConfirmSave(), 1); // nothing modified: no question
    EXPECT_TRUE(ui.questions.empty());

    doc.SetModifiedFlag();
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(doc.ConfirmSave(), 0);
    ui.answers = {Answer::No};
    EXPECT_EQ(doc.ConfirmSave(), 1);
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[0], "Save changes to " + path + "?");

    ui.questions.clear();
    doc.NewTemplate(); // page has no title or tags: no question
    doc.templateModified = 1;
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(doc.ConfirmSave(), 0);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "Save changes to unnamed template");

    // Yes on the page saves it.
    ui.answers = {Answer::No, Answer::Yes};
    doc.SetPageMeta("a", "1", 0);
    EXPECT_EQ(doc.ConfirmSave(), 1);
    EXPECT_FALSE(doc.IsModified());
    EXPECT_NE(ReadFile(path).find("name=\"a\""), std::string::npos);
}

TEST_F(DocumentTest, OpenByPathTellsTemplatesFromPagesAndDoesNotReopen) {
    CountingView view(doc);
    doc.AddView(&view);
    const std::string page = dir.Write("a.html", "<head><title>A</title></head>");
    const std::string tmpl = dir.Write("t.mtpl", "<head><title action=1>T</title></head>");
    const std::string caps = dir.Write("u.MTPL", "<head><title>U</title></head>");

    ASSERT_EQ(doc.OpenByPath(page), 1);
    EXPECT_EQ(view.initialUpdates, 1);
    EXPECT_EQ(ui.opened.size(), 1u);

    ASSERT_EQ(doc.OpenByPath(tmpl), 1);
    EXPECT_EQ(doc.templateOpen, 1);
    EXPECT_EQ(doc.templateName, "t");
    EXPECT_EQ(doc.GetPageTitle(), "A");

    ASSERT_EQ(doc.OpenByPath(caps), 1);
    EXPECT_EQ(doc.GetPageTitle(), "U");

    // The open page is not read again, even under another name.
    doc.SetPageTitle("edited");
    doc.SetModifiedFlag();
    std::filesystem::create_symlink(caps, dir / "same.html");
    EXPECT_EQ(doc.OpenByPath(dir / "same.html"), 1);
    EXPECT_EQ(doc.GetPageTitle(), "edited");
    EXPECT_TRUE(ui.questions.empty());

    // Another page: the save prompt first; Cancel keeps everything.
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(doc.OpenByPath(page), 0);
    EXPECT_EQ(doc.GetPageTitle(), "edited");
    ui.answers = {Answer::No};
    EXPECT_EQ(doc.OpenByPath(page), 1);
    EXPECT_EQ(doc.GetPageTitle(), "A");
    doc.RemoveView(&view);
}

TEST_F(DocumentTest, OpenCommandAsksBeforeReplacingUnsavedEdits) {
    const std::string page = dir.Write("a.html", "<head><title>A</title></head>");
    doc.SetPageTitle("unsaved");
    doc.SetModifiedFlag();
    ui.files.push_back(page);
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(doc.OpenCommand("*.htm;*.html"), 0);
    EXPECT_EQ(ui.questions, std::vector<std::string>{"Save changes to Untitled?"});
    EXPECT_EQ(doc.GetPageTitle(), "unsaved");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(ui.filters.back(), "Web page files (*.htm;*.html)|*.htm;*.html|Meta-tag template "
                                 "files (*.mtpl)|*.mtpl|All files (*.*)|*.*||");
    EXPECT_EQ(CVantleDoc::OpenFilter(""), "All files (*.*)|*.*||");

    ui.files.push_back(page);
    ui.answers = {Answer::No};
    EXPECT_EQ(doc.OpenCommand("*.html"), 1);
    EXPECT_EQ(doc.GetPageTitle(), "A");
    EXPECT_EQ(ui.questions.size(), 2u); // asked once, not again by the open itself

    // Cancelling the dialog changes nothing.
    doc.SetModifiedFlag();
    EXPECT_EQ(doc.OpenCommand("*.html"), 0);
    EXPECT_TRUE(doc.IsModified());
}

TEST_F(DocumentTest, ProjectDirectoryLosesOneTrailingSeparator) {
    doc.SetProjectDirectory("/web/site/");
    EXPECT_EQ(doc.GetProjectDirectory(), "/web/site");
    doc.SetProjectDirectory("/web");
    EXPECT_EQ(doc.GetProjectDirectory(), "/web");
    doc.SetProjectDirectory("/");
    EXPECT_EQ(doc.GetProjectDirectory(), "/");
}

} // namespace
} // namespace orlen
