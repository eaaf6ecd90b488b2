#include "document/template_batch.h"

#include "document/batch_texts.h"
#include "document/document_texts.h"
#include "document/file_listing.h"
#include "document/safe_file.h"
#include "document/scripted_ui.h"
#include "document/vantle_doc.h"
#include "page/page_messages.h"

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <utility>

namespace orlen {

namespace fs = std::filesystem;

bool ExpandBatchPaths(const std::vector<std::string>& paths, std::string_view fileTypes,
                      bool skipTemplates, std::vector<BatchPage>& pages,
                      std::vector<BatchMessage>& problems) {
    bool ok = true;
    // A name that cannot be looked at is kept, so that opening it reports
    // why.
    std::set<std::pair<dev_t, ino_t>> seen;
    auto add = [&](const std::string& path) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && !seen.insert({st.st_dev, st.st_ino}).second) {
            return;
        }
        pages.push_back({path, path});
    };
    for (const std::string& arg : paths) {
        std::error_code ec;
        fs::file_status st = fs::status(arg, ec);
        if (ec || !fs::exists(st)) {
            // A ring of links says so, rather than that nothing is there.
            problems.push_back({arg,
                                ec && ec != std::errc::no_such_file_or_directory
                                    ? ec.message()
                                    : std::string(batch_texts::kNoSuchFile),
                                false});
            ok = false;
            continue;
        }
        if (!fs::is_directory(st)) {
            add(arg);
            continue;
        }
        WalkListedFiles(
            arg, fileTypes,
            [&](const std::string& relative) {
                if (skipTemplates && IsTemplatePath(relative)) {
                    return;
                }
                add((fs::path(arg) / relative).string());
            },
            [&](const std::string& relative) {
                problems.push_back({(fs::path(arg) / relative).string(),
                                    std::string(batch_texts::kCannotReadFolder), false});
                ok = false;
            });
    }
    return ok;
}

std::string_view BatchClassName(BatchClass kind) {
    switch (kind) {
    case BatchClass::Changed:
        return batch_texts::kChanged;
    case BatchClass::Unchanged:
        return batch_texts::kUnchanged;
    case BatchClass::Refused:
        return batch_texts::kRefused;
    case BatchClass::Failed:
        return batch_texts::kFailed;
    case BatchClass::NotRead:
        break;
    }
    return batch_texts::kNotRead;
}

unsigned DefaultBatchJobs() {
    return std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
}

namespace {

// The most bytes of new content a batch holds in temporary files before
// they are flushed, so that the flush of a batch of large pages stays short.
constexpr std::uint64_t kBatchBytes = std::uint64_t{8} << 20;

// Pages per chunk: a few hundred at most, and few enough that every
// worker's batch of open temporary files fits under the limit on open files.
std::size_t ChunkPages(unsigned jobs) {
    constexpr std::size_t kMost = 128;
    constexpr std::size_t kFewest = 8;
    struct rlimit files {};
    if (::getrlimit(RLIMIT_NOFILE, &files) != 0 || files.rlim_cur == RLIM_INFINITY) {
        return kMost;
    }
    // Room for the files every run has open besides.
    constexpr rlim_t kSpare = 64;
    const rlim_t room = files.rlim_cur > kSpare ? (files.rlim_cur - kSpare) / jobs : 0;
    return std::clamp<std::size_t>(static_cast<std::size_t>(room), kFewest, kMost);
}

// What the workers share: read only while they run, but for the outcomes,
// of which each worker fills those of its own pages.
struct Job {
    const std::vector<BatchPage>& pages;
    const BatchOptions& options;
    const std::string& templatePath;
    const std::string& templateBytes;
    const std::atomic<bool>* cancel;
    BatchUndoRecord* undo; // nullptr when none is kept
    std::vector<BatchOutcome> outcomes;
};

// One worker, used on one thread: a document of its own with the template,
// and a batch for the saves of its pages. What its document and the page
// model say goes to the outcome of the page at hand.
class Worker final : private MessageSink {
public:
    explicit Worker(Job& job) : job_(job), sinkGuard_(this) {
        ui_.onMessage = [this](const std::string& text) { Say(text); };
        doc_->SetCrLfLineEnds(job.options.crlf);
        doc_->OpenTemplateFromBytes(job.templatePath, job.templateBytes);
    }

    // Applies the template to the pages from begin to end and saves those
    // that changed; their outcomes are final on return.
    void Run(std::size_t begin, std::size_t end);

private:
    void ShowMessage(const std::string& text) override {
        if (current_ != nullptr) {
            current_->messages.push_back({{}, text, true});
        }
    }
    void Say(const std::string& text) {
        if (current_ != nullptr) {
            current_->messages.push_back({page_->shown, text, false});
        }
    }
    // Says text about the page and classes it kind with text as the reason.
    void Class(BatchClass kind, const std::string& text) {
        Say(text);
        current_->kind = kind;
        current_->reason = text;
    }
    bool Cancelled() const { return job_.cancel != nullptr && job_.cancel->load(); }
    // Applies the template to one page; a changed page is saved, or staged
    // in the batch (staged is set).
    void ApplyOne(bool& staged);
    bool Open();
    // Commits the batch and completes the outcomes of its pages.
    void Commit();

    Job& job_;
    ScriptedUi ui_;
    std::unique_ptr<CVantleDoc> doc_ = std::make_unique<CVantleDoc>(ui_);
    ScopedPageMessageSink sinkGuard_;
    ReplacementBatch batch_;
    std::size_t index_ = 0;
    const BatchPage* page_ = nullptr;
    BatchOutcome* current_ = nullptr;
    std::string undoId_; // of the page at hand, when kept for undo
    std::string read_;   // its bytes as read, when kept for undo or its head
    struct Staged {
        std::size_t index;
        std::string undoId;
    };
    std::vector<Staged> staged_;
};

void Worker::Run(std::size_t begin, std::size_t end) {
    for (std::size_t i = begin; i < end; ++i) {
        if (job_.options.beforePage) {
            job_.options.beforePage(i);
        }
        if (Cancelled()) {
            break;
        }
        index_ = i;
        page_ = &job_.pages[i];
        current_ = &job_.outcomes[i];
        undoId_.clear();
        bool isStaged = false;
        ApplyOne(isStaged);
        if (isStaged) {
            staged_.push_back({i, undoId_});
        }
        if (batch_.StagedBytes() >= kBatchBytes) {
            Commit();
        }
    }
    current_ = nullptr;
    Commit();
}

bool Worker::Open() {
    struct stat st {};
    if (::stat(page_->path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        Class(BatchClass::Failed, std::string(batch_texts::kNotRegularFile));
        return false;
    }
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(page_->path, bytes, error)) {
        Class(BatchClass::Failed,
              doc_texts::FillIn(doc_texts::kOpenPageFailed, page_->path, error));
        return false;
    }
    // The open's warnings about a page without a place for meta-data and
    // a charset that cannot be written are said when the page is refused.
    ui_.onMessage = [this](const std::string& text) {
        const OpenNotice notice = doc_->LastOpenNotice();
        if (notice != OpenNotice::NoMetaDataPosition && notice != OpenNotice::UnsupportedCharset) {
            Say(text);
        }
    };
    // The bytes as read are kept for undo; the document takes a copy.
    const bool keep = job_.undo != nullptr || job_.options.keepHeads;
    const int opened = doc_->OpenDocumentFromBytes(page_->path, keep ? bytes : std::move(bytes));
    ui_.onMessage = [this](const std::string& text) { Say(text); };
    if (opened == 0) {
        current_->kind = BatchClass::Failed;
        return false;
    }
    read_ = keep ? std::move(bytes) : std::string();
    return true;
}

void Worker::ApplyOne(bool& staged) {
    staged = false;
    current_->kind = BatchClass::Failed;
    if (!Open()) {
        return;
    }
    if (doc_->IsUnwritable()) {
        Class(BatchClass::Refused, std::string(doc_texts::kNoMetaDataPosition));
        return;
    }
    if (const CharsetChoice& choice = doc_->PageCharsetChoice(); !choice.charset.IsSupported()) {
        Class(BatchClass::Refused,
              doc_texts::FillIn(doc_texts::kUnsupportedCharset, page_->shown, choice.label));
        return;
    }
    // The template changes only the rebuilt part of the text.
    const std::string before(doc_->Page().GetTextParts().rebuilt);
    doc_->ApplyTemplate();
    const CHtmlPage::TextParts after = doc_->Page().GetTextParts();
    if (job_.options.keepWhole) {
        current_->wholeAfter.assign(after.rebuilt).append(after.kept);
    }
    if (after.rebuilt == before) {
        current_->kind = BatchClass::Unchanged;
        return;
    }
    if (job_.options.keepHeads) {
        // The head as the file has it: what comes before the body, which is
        // kept as read; the rebuilt text when lines ends were changed.
        const std::string_view read(read_);
        current_->headBefore = read.ends_with(after.kept)
                                   ? std::string(read.substr(0, read.size() - after.kept.size()))
                                   : before;
        current_->headAfter.assign(after.rebuilt);
    }
    if (job_.options.dryRun) {
        current_->kind = BatchClass::Changed;
        return;
    }
    if (job_.undo != nullptr) {
        std::string error;
        if (!job_.undo->Keep(index_, page_->path, read_, doc_->GetPageText(), undoId_, error)) {
            Class(BatchClass::Failed, error);
            return;
        }
    }
    const std::size_t said = current_->messages.size();
    if (doc_->SaveIntoBatch(batch_, staged) == 0) {
        current_->reason =
            current_->messages.size() > said ? current_->messages[said].text : std::string();
        if (job_.undo != nullptr) {
            job_.undo->Drop(undoId_);
        }
        return;
    }
    // A page written in place is saved now; a staged one when it is
    // committed.
    if (!staged) {
        current_->kind = BatchClass::Changed;
    }
}

void Worker::Commit() {
    if (staged_.empty()) {
        return;
    }
    const std::vector<ReplacementBatch::Outcome> results = batch_.Commit();
    for (std::size_t k = 0; k < staged_.size(); ++k) {
        BatchOutcome& outcome = job_.outcomes[staged_[k].index];
        if (results[k].saved) {
            outcome.kind = BatchClass::Changed;
            continue;
        }
        const BatchPage& page = job_.pages[staged_[k].index];
        outcome.reason = doc_texts::FillIn(doc_texts::kSavePageFailed, page.path, results[k].error);
        outcome.messages.push_back({page.shown, outcome.reason, false});
        if (job_.undo != nullptr) {
            job_.undo->Drop(staged_[k].undoId);
        }
    }
    staged_.clear();
}

// What one worker's thread found besides its pages' outcomes.
struct WorkerTotals {
    std::size_t leftoversRemoved = 0;
    std::vector<std::string> backupsKept;
};

} // namespace

TemplateBatch::TemplateBatch(std::string templatePath, std::string templateBytes,
                             BatchOptions options)
    : templatePath_(std::move(templatePath)), templateBytes_(std::move(templateBytes)),
      options_(std::move(options)) {}

BatchSummary TemplateBatch::Run(const std::vector<BatchPage>& pages, const OnOutcome& onOutcome,
                                const std::atomic<bool>* cancel) {
    BatchSummary summary;
    BatchUndoRecord undo;
    if (!options_.dryRun && !options_.undoFolder.empty() &&
        !undo.Begin(options_.undoFolder, summary.undoError)) {
        return summary;
    }
    Job job{pages,
            options_,
            templatePath_,
            templateBytes_,
            cancel,
            undo.Active() ? &undo : nullptr,
            std::vector<BatchOutcome>(pages.size())};
    const unsigned jobs = std::max(1u, options_.jobs);
    const std::size_t chunkPages =
        options_.chunkPages != 0 ? options_.chunkPages : ChunkPages(jobs);
    const std::size_t chunks = (pages.size() + chunkPages - 1) / chunkPages;

    // Workers take the chunks in order; this thread hands each chunk's
    // outcomes on once it is done, so that they come in the order of the
    // pages however many workers there are.
    std::atomic<std::size_t> nextChunk{0};
    std::mutex mutex;
    std::condition_variable chunkDone;
    std::vector<char> done(chunks, 0);
    auto work = [&](WorkerTotals& totals) {
        // The cleanup of leftovers and the folder syncs of saves in place
        // each go to what this thread set up.
        LeftoverTally tally;
        DeferredFolderSync folderSync;
        Worker worker(job);
        for (std::size_t c = nextChunk++; c < chunks; c = nextChunk++) {
            worker.Run(c * chunkPages, std::min(pages.size(), (c + 1) * chunkPages));
            {
                const std::lock_guard<std::mutex> lock(mutex);
                done[c] = 1;
            }
            chunkDone.notify_all();
        }
        totals.leftoversRemoved = tally.Removed();
        totals.backupsKept = tally.KeptBackups();
    };
    std::vector<WorkerTotals> totals(std::min<std::size_t>(jobs, std::max<std::size_t>(chunks, 1)));
    std::vector<std::thread> threads;
    for (WorkerTotals& t : totals) {
        // Fewer threads than asked for will do; none, and this one works.
        try {
            threads.emplace_back(work, std::ref(t));
        } catch (const std::system_error&) {
            break;
        }
    }
    if (threads.empty()) {
        work(totals.front());
    }
    for (std::size_t c = 0; c < chunks; ++c) {
        {
            std::unique_lock<std::mutex> lock(mutex);
            chunkDone.wait(lock, [&] { return done[c] != 0; });
        }
        const std::size_t end = std::min(pages.size(), (c + 1) * chunkPages);
        for (std::size_t i = c * chunkPages; i < end; ++i) {
            BatchOutcome& outcome = job.outcomes[i];
            switch (outcome.kind) {
            case BatchClass::Changed:
                ++summary.changed;
                break;
            case BatchClass::Unchanged:
                ++summary.unchanged;
                break;
            case BatchClass::Refused:
                ++summary.refused;
                break;
            case BatchClass::Failed:
                ++summary.failed;
                break;
            case BatchClass::NotRead:
                ++summary.notRead;
                break;
            }
            if (onOutcome) {
                onOutcome(i, outcome);
            }
            outcome = BatchOutcome{};
        }
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (WorkerTotals& t : totals) {
        summary.leftoversRemoved += t.leftoversRemoved;
        summary.backupsKept.insert(summary.backupsKept.end(), t.backupsKept.begin(),
                                   t.backupsKept.end());
    }
    summary.cancelled = summary.notRead > 0;
    return summary;
}

} // namespace orlen
