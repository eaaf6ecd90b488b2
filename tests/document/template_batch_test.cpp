// A template over many pages: how each page is classed, the dry run and its
// diff, cancel between pages, a save that fails in the middle, and undo of
// the last batch with pages changed since.
#include "../temp_dir.h"
#include "document/batch_undo.h"
#include "document/file_listing.h"
#include "document/line_diff.h"
#include "document/template_batch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace orlen {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;

const std::string kTemplate = "<html><head><title action=\"1\">Site</title>"
                              "<meta name=\"author\" content=\"Ann\" action=\"1\"/></head>"
                              "<body></body></html>";

std::string Page(const std::string& title) {
    return "<html>\n<head>\n<title>" + title + "</title>\n</head>\n<body>\n" + title +
           " body\n</body></html>\n";
}

// The pages as the template makes them, in the order given, with what
// each run said.
struct BatchRun {
    BatchSummary summary;
    std::vector<BatchOutcome> outcomes;
};

BatchRun RunBatch(const std::vector<BatchPage>& pages, BatchOptions options,
                  const std::atomic<bool>* cancel = nullptr) {
    TemplateBatch batch("t.mtpl", kTemplate, std::move(options));
    BatchRun run;
    run.outcomes.resize(pages.size());
    std::size_t expected = 0;
    run.summary = batch.Run(
        pages,
        [&](std::size_t i, BatchOutcome& outcome) {
            EXPECT_EQ(i, expected++); // in the order of the pages
            run.outcomes[i] = outcome;
        },
        cancel);
    EXPECT_EQ(expected, pages.size());
    return run;
}

std::vector<BatchPage> Walk(const test::TempDir& dir, const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& n : names) {
        paths.push_back(dir / n);
    }
    std::vector<BatchPage> pages;
    std::vector<BatchMessage> problems;
    ExpandBatchPaths(paths, kDefaultFileTypes, true, pages, problems);
    return pages;
}

TEST(TemplateBatch, ClassesEveryPageAndTheDryRunWritesNothing) {
    test::TempDir dir;
    std::map<std::string, std::string> old;
    old["site/a.html"] = Page("A");
    old["site/done.html"] = "<html><head><title>Site</title>\n"
                            "<meta name=\"author\" content=\"Ann\"/></head><body></body></html>";
    old["site/nohead.html"] = "<body>no head</body>\n";
    old["site/sub/jp.html"] =
        "<html><head><meta charset=\"iso-2022-jp\"><title>J</title></head><body></body></html>";
    old["site/t.mtpl"] = kTemplate;
    for (const auto& [name, text] : old) {
        dir.Write(name, text);
    }
    ASSERT_EQ(::mkfifo((dir / "site/sub/fifo.html").c_str(), 0644), 0);

    std::vector<BatchPage> pages = Walk(dir, {"site", "missing.html"});
    // The template is left out; the missing file is not walked.
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(pages[0].shown, dir / "site/sub/fifo.html");
    EXPECT_EQ(pages[1].shown, dir / "site/sub/jp.html");
    EXPECT_EQ(pages[2].shown, dir / "site/a.html");
    std::vector<BatchMessage> problems;
    std::vector<BatchPage> none;
    EXPECT_FALSE(ExpandBatchPaths({dir / "missing.html"}, kDefaultFileTypes, true, none, problems));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].text, "No such file or directory");

    BatchOptions options;
    options.dryRun = true;
    options.keepHeads = true;
    options.jobs = 2;
    options.chunkPages = 2;
    options.undoFolder = dir / "undo";
    const BatchRun dry = RunBatch(pages, options);
    ASSERT_EQ(dry.outcomes.size(), 5u);
    EXPECT_EQ(dry.outcomes[0].kind, BatchClass::Failed);
    EXPECT_EQ(dry.outcomes[0].reason, "not a regular file");
    EXPECT_EQ(dry.outcomes[1].kind, BatchClass::Refused);
    EXPECT_NE(dry.outcomes[1].reason.find("iso-2022-jp"), std::string::npos);
    EXPECT_EQ(dry.outcomes[2].kind, BatchClass::Changed);
    EXPECT_EQ(dry.outcomes[3].kind, BatchClass::Unchanged);
    EXPECT_EQ(dry.outcomes[4].kind, BatchClass::Refused);
    EXPECT_NE(dry.outcomes[4].reason.find("Unable to find correct position"), std::string::npos);
    // The reason is among what was said about the page, under its name.
    ASSERT_FALSE(dry.outcomes[4].messages.empty());
    EXPECT_EQ(dry.outcomes[4].messages[0].page, pages[4].shown);
    EXPECT_EQ(dry.summary.changed, 1u);
    EXPECT_EQ(dry.summary.unchanged, 1u);
    EXPECT_EQ(dry.summary.refused, 2u);
    EXPECT_EQ(dry.summary.failed, 1u);
    // The head as the file has it, and as the template makes it; the body
    // is in neither.
    EXPECT_EQ(dry.outcomes[2].headBefore, "<html>\n<head>\n<title>A</title>\n</head>\n");
    EXPECT_EQ(dry.outcomes[2].headAfter, "<html>\n<head>\n\t<meta name=\"author\" "
                                         "content=\"Ann\"/>\n<title>Site</title>\n</head>\n");
    for (const auto& [name, text] : old) {
        EXPECT_EQ(ReadFile(dir / name), text) << name;
    }
    EXPECT_FALSE(fs::exists(dir / "undo"));

    options.dryRun = false;
    const BatchRun real = RunBatch(pages, options);
    EXPECT_EQ(real.summary.changed, 1u);
    EXPECT_EQ(real.summary.failed, 1u);
    EXPECT_EQ(real.summary.refused, 2u);
    EXPECT_NE(ReadFile(dir / "site/a.html").find("<title>Site</title>"), std::string::npos);
    EXPECT_NE(ReadFile(dir / "site/a.html").find("\nA body\n</body></html>\n"), std::string::npos);
    for (const char* same : {"site/done.html", "site/nohead.html", "site/sub/jp.html"}) {
        EXPECT_EQ(ReadFile(dir / same), old[same]) << same;
    }
    EXPECT_TRUE(HasBatchToUndo(dir / "undo"));
}

// Once cancel is set, no further page is read: those staged already are
// committed and count as changed, the rest stay as they were.
TEST(TemplateBatch, CancelReadsNoFurtherPageAndKeepsThoseWritten) {
    test::TempDir dir;
    std::vector<BatchPage> pages;
    for (int i = 0; i < 8; ++i) {
        const std::string name = "site/p" + std::to_string(i) + ".html";
        pages.push_back({name, dir.Write(name, Page("P" + std::to_string(i)))});
    }
    std::atomic<bool> cancel{false};
    std::vector<std::size_t> started;
    BatchOptions options;
    options.chunkPages = 8; // one batch of saves: pages 0 to 2 are staged, not yet renamed
    options.beforePage = [&](std::size_t i) {
        started.push_back(i);
        if (i == 3) {
            cancel = true;
        }
    };
    const BatchRun run = RunBatch(pages, options, &cancel);
    EXPECT_EQ(started, (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_TRUE(run.summary.cancelled);
    EXPECT_EQ(run.summary.changed, 3u);
    EXPECT_EQ(run.summary.notRead, 5u);
    for (int i = 0; i < 8; ++i) {
        const std::string text = ReadFile(pages[static_cast<std::size_t>(i)].path);
        EXPECT_EQ(text == Page("P" + std::to_string(i)), i >= 3) << i;
        EXPECT_EQ(run.outcomes[static_cast<std::size_t>(i)].kind,
                  i < 3 ? BatchClass::Changed : BatchClass::NotRead);
    }
    // No temporary file is left beside the pages.
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir / "site")) {
        ++files;
    }
    EXPECT_EQ(files, 8u);
}

// A page that cannot be saved in the middle of a batch is failed with why
// and left as it was; the others are saved; undo leaves the failed one out.
TEST(TemplateBatch, APageThatFailsToSaveInTheMiddleFailsAloneAndUndoSkipsIt) {
    test::TempDir dir;
    std::vector<BatchPage> pages;
    for (int i = 0; i < 5; ++i) {
        const std::string name = "site/p" + std::to_string(i) + ".html";
        pages.push_back({name, dir.Write(name, Page("P" + std::to_string(i)))});
    }
    ::chmod(pages[2].path.c_str(), 0444);
    BatchOptions options;
    options.undoFolder = dir / "undo";
    const BatchRun run = RunBatch(pages, options);
    EXPECT_EQ(run.summary.changed, 4u);
    EXPECT_EQ(run.summary.failed, 1u);
    EXPECT_EQ(run.outcomes[2].kind, BatchClass::Failed);
    EXPECT_NE(run.outcomes[2].reason.find("The file is read-only"), std::string::npos)
        << run.outcomes[2].reason;
    EXPECT_EQ(ReadFile(pages[2].path), Page("P2"));

    const UndoReport undo = UndoLastBatch(dir / "undo");
    EXPECT_TRUE(undo.found);
    EXPECT_EQ(undo.restored.size(), 4u);
    EXPECT_TRUE(undo.changedSince.empty());
    EXPECT_TRUE(undo.failed.empty());
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(ReadFile(pages[static_cast<std::size_t>(i)].path), Page("P" + std::to_string(i)));
    }
    // The record goes with the undo.
    EXPECT_FALSE(HasBatchToUndo(dir / "undo"));
    EXPECT_FALSE(UndoLastBatch(dir / "undo").found);
}

// Undo restores the bytes each page had, byte for byte (line ends, tags
// as written), but a page changed since the batch, or gone, is listed and
// left alone. The next batch replaces the record: one batch deep.
TEST(TemplateBatch, UndoRestoresTheBytesAndLeavesPagesChangedSince) {
    test::TempDir dir;
    const std::string a = "<HTML><HEAD>\r\n<TITLE>a</TITLE >\r\n</HEAD><BODY>x</BODY>";
    const std::string b = Page("B");
    const std::string c = Page("C");
    std::vector<BatchPage> pages = {{"a", dir.Write("a.html", a)},
                                    {"b", dir.Write("b.html", b)},
                                    {"c", dir.Write("c.html", c)}};
    BatchOptions options;
    options.undoFolder = dir / "undo";
    // Workers of their own each keep pages in the one record.
    options.jobs = 3;
    options.chunkPages = 1;
    EXPECT_EQ(RunBatch(pages, options).summary.changed, 3u);
    const std::string bAfter = ReadFile(pages[1].path);
    dir.Write("b.html", bAfter + "<!-- edited -->");
    fs::remove(pages[2].path);

    const UndoReport undo = UndoLastBatch(dir / "undo");
    EXPECT_EQ(undo.restored, std::vector<std::string>{pages[0].path});
    EXPECT_EQ(undo.changedSince, (std::vector<std::string>{pages[1].path, pages[2].path}));
    EXPECT_EQ(ReadFile(pages[0].path), a);
    EXPECT_EQ(ReadFile(pages[1].path), bAfter + "<!-- edited -->");
    EXPECT_FALSE(fs::exists(pages[2].path));

    // One batch deep: a second batch's record replaces the first's.
    dir.Write("c.html", c);
    EXPECT_EQ(RunBatch(pages, options).summary.changed, 2u);
    EXPECT_EQ(RunBatch({pages[2]}, options).summary.unchanged, 1u);
    EXPECT_FALSE(HasBatchToUndo(dir / "undo"));
    EXPECT_NE(ReadFile(pages[0].path), a);
}

// A page that cannot be put back (read-only now) is reported and stays in
// the record, so that a second undo, once it can be written, restores it.
TEST(TemplateBatch, APageUndoCannotWriteStaysInTheRecordForAnotherTry) {
    test::TempDir dir;
    std::vector<BatchPage> pages = {{"a", dir.Write("a.html", Page("A"))},
                                    {"b", dir.Write("b.html", Page("B"))}};
    BatchOptions options;
    options.undoFolder = dir / "undo";
    ASSERT_EQ(RunBatch(pages, options).summary.changed, 2u);
    ::chmod(pages[1].path.c_str(), 0444);
    const UndoReport first = UndoLastBatch(dir / "undo");
    EXPECT_EQ(first.restored, std::vector<std::string>{pages[0].path});
    ASSERT_EQ(first.failed.size(), 1u);
    EXPECT_EQ(first.failed[0].first, pages[1].path);
    EXPECT_NE(ReadFile(pages[1].path), Page("B"));
    EXPECT_TRUE(HasBatchToUndo(dir / "undo"));

    ::chmod(pages[1].path.c_str(), 0644);
    const UndoReport second = UndoLastBatch(dir / "undo");
    EXPECT_EQ(second.restored, std::vector<std::string>{pages[1].path});
    EXPECT_EQ(ReadFile(pages[0].path), Page("A"));
    EXPECT_EQ(ReadFile(pages[1].path), Page("B"));
    EXPECT_FALSE(fs::exists(dir / "undo"));
}

TEST(LineDiff, MarksTheLinesThatChangeAndWritesAUnifiedDiff) {
    const std::string before = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n";
    const std::string after = "1\n2\n3\n4\nfive\n6\n7\n8\n9\n10\n11\n12\n13\n";
    EXPECT_EQ(UnifiedDiff("p", "p", before, after), "--- p\n+++ p\n"
                                                    "@@ -2,7 +2,7 @@\n 2\n 3\n 4\n-5\n+five\n"
                                                    " 6\n 7\n 8\n"
                                                    "@@ -10,3 +10,4 @@\n 10\n 11\n 12\n+13\n");
    EXPECT_EQ(UnifiedDiff("p", "p", before, before), "");
    // Only a line end changed: the line counts as changed, shown without it.
    EXPECT_EQ(UnifiedDiff("x", "x", "a\nb\n", "a\r\nb\n"),
              "--- x\n+++ x\n@@ -1,2 +1,2 @@\n-a\n+a\n b\n");
    // Into an empty text and out of one.
    EXPECT_EQ(UnifiedDiff("x", "x", "", "a\n"), "--- x\n+++ x\n@@ -0,0 +1,1 @@\n+a\n");
    EXPECT_EQ(UnifiedDiff("x", "x", "a\n", ""), "--- x\n+++ x\n@@ -1,1 +0,0 @@\n-a\n");
    // The steps pair every line of both texts once, in order.
    const std::vector<LineDiffOp> ops = DiffLines("a\nb\nc\nd\n", "b\nx\nd\ny\n");
    std::string shown;
    for (const LineDiffOp& op : ops) {
        shown += op.kind == LineDiffOp::Same ? '=' : op.kind == LineDiffOp::Removed ? '-' : '+';
    }
    EXPECT_EQ(shown, "-=-+=+");
    EXPECT_EQ(SplitLines("a\r\nb\rc\n"), (std::vector<std::string_view>{"a", "b", "c"}));
}

// Far more differences than the search looks for: every line counts as
// removed and added, still in order, and quickly.
TEST(LineDiff, ManyDifferencesFallBackToRemovingAndAddingTheMiddle) {
    std::string a;
    std::string b;
    for (int i = 0; i < 20000; ++i) {
        a += "a" + std::to_string(i) + "\n";
        b += "b" + std::to_string(i) + "\n";
    }
    const std::vector<LineDiffOp> ops = DiffLines("same\n" + a + "end\n", "same\n" + b + "end\n");
    ASSERT_EQ(ops.size(), 40002u);
    EXPECT_EQ(ops.front().kind, LineDiffOp::Same);
    EXPECT_EQ(ops[1].kind, LineDiffOp::Removed);
    EXPECT_EQ(ops[20001].kind, LineDiffOp::Added);
    EXPECT_EQ(ops.back().kind, LineDiffOp::Same);
    EXPECT_EQ(ops.back().before, 20001u);
}

} // namespace
} // namespace orlen
