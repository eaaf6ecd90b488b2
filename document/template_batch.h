// Applying a template to many pages at once: the walk that finds the pages,
// a dry run that classes each page, the run that writes them in batches
// with a pool of workers, cancel between pages, and the record that undoes
// the last run. orlen-meta apply and the window's "Apply template to
// selection" both run on this, so that they never disagree.
#pragma once

#include "document/batch_undo.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace orlen {

// A page of a batch: the path to show and the path to open.
struct BatchPage {
    std::string shown;
    std::string path;
};

// Something said about a page or a path of a batch.
struct BatchMessage {
    std::string page; // as shown; "" when it is about no page
    std::string text;
    bool plain = false; // a message of the page model, without a page
};

// The pages the paths name, as orlen-meta apply walks them: a file is a
// page; a folder stands for every listed file below it (fileTypes, see
// WalkListedFiles), templates left out when skipTemplates. Each file is
// taken once, under the first name that reaches it, however many links or
// paths lead to it again (applying a template twice would add its text
// twice). A path that is not there and a folder that cannot be read are
// reported in problems; returns false when there was one.
bool ExpandBatchPaths(const std::vector<std::string>& paths, std::string_view fileTypes,
                      bool skipTemplates, std::vector<BatchPage>& pages,
                      std::vector<BatchMessage>& problems);

enum class BatchClass {
    Changed,   // the template changes the page (written, unless a dry run)
    Unchanged, // the page already is as the template makes it
    Refused,   // the page is never written: no place for meta-data, charset
    Failed,    // the page could not be read, or not written
    NotRead,   // cancelled before the page was read
};

std::string_view BatchClassName(BatchClass kind);

// What a batch did, or would do, with one page.
struct BatchOutcome {
    BatchClass kind = BatchClass::NotRead;
    std::string reason;                 // Refused, Failed: why, in one message
    std::vector<BatchMessage> messages; // everything said about the page, in order
    // The page's head (the text before its first body tag) as read and as
    // the template makes it; kept for changed pages when asked for.
    std::string headBefore;
    std::string headAfter;
    // The whole page as the template makes it, when asked for.
    std::string wholeAfter;
};

struct BatchOptions {
    bool dryRun = false;
    bool crlf = false;      // every line end of a page read becomes CR LF
    bool keepHeads = false; // fill headBefore and headAfter of changed pages
    bool keepWhole = false; // fill wholeAfter of pages read
    unsigned jobs = 1;      // workers; at least one
    // Pages handed to a worker at a time; their saves are one batch. 0 for
    // as many as the limit on open files allows, at most 128.
    std::size_t chunkPages = 0;
    // Where the previous bytes of the pages a run changes are kept for
    // UndoLastBatch: the record of the last run there goes when this one
    // starts. "" to keep none. A dry run keeps none and leaves it.
    std::string undoFolder;
    // Called on a worker's thread just before it looks at cancel and reads
    // the page of that index: for watching a batch at work.
    std::function<void(std::size_t index)> beforePage;
};

struct BatchSummary {
    std::size_t changed = 0;
    std::size_t unchanged = 0;
    std::size_t refused = 0;
    std::size_t failed = 0;
    std::size_t notRead = 0;
    bool cancelled = false;
    // The undo record could not be started: nothing was read or written.
    std::string undoError;
    // What the cleanup of leftovers of ended saves found on the way.
    std::size_t leftoversRemoved = 0;
    std::vector<std::string> backupsKept;
};

class TemplateBatch {
public:
    // The template read from templatePath as templateBytes.
    TemplateBatch(std::string templatePath, std::string templateBytes, BatchOptions options);

    // Called on the thread that runs the batch, once per page, in the
    // order of the pages, as the pages are done.
    using OnOutcome = std::function<void(std::size_t index, BatchOutcome& outcome)>;

    // Applies the template to every page and saves those it changes. Each
    // worker takes chunks of pages in order; a chunk's saves are committed
    // together, so every page ends either as it was or fully written.
    // Once cancel is set, no further page is read: the pages already
    // written are committed and count, the others are NotRead.
    BatchSummary Run(const std::vector<BatchPage>& pages, const OnOutcome& onOutcome,
                     const std::atomic<bool>* cancel = nullptr);

private:
    std::string templatePath_;
    std::string templateBytes_;
    BatchOptions options_;
};

// The number of workers for a batch when none is asked for: one per
// processor, at most eight.
unsigned DefaultBatchJobs();

} // namespace orlen
