// The record that lets the last batch of template applications be undone:
// the bytes each changed page had before, kept in a folder of the user's
// cache, one batch deep.
#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orlen {

// Written while a batch runs, by any of its workers. Each page the batch
// is about to change gets its old bytes kept and a line in the folder's
// list before its new content replaces it, so that whatever happens after,
// the list names every page that may have changed.
class BatchUndoRecord {
public:
    BatchUndoRecord() = default;
    BatchUndoRecord(const BatchUndoRecord&) = delete;
    BatchUndoRecord& operator=(const BatchUndoRecord&) = delete;

    // Starts a new record in folder: the previous batch's record there
    // goes. False, with why, when the folder cannot be made or written.
    bool Begin(const std::string& folder, std::string& error);
    bool Active() const { return !folder_.empty(); }

    // Keeps the bytes the page of that index in the batch has before the
    // batch changes it into newBytes; returns an id for Drop. False, with
    // why, when they cannot be kept: the page must then not be changed.
    bool Keep(std::size_t index, const std::string& path, std::string_view oldBytes,
              std::string_view newBytes, std::string& id, std::string& error);
    // The page of that id kept its old content (its save failed): undo
    // leaves it out.
    void Drop(const std::string& id);

private:
    std::mutex mutex_;
    std::string folder_;
    std::ofstream list_;
};

// Whether folder holds a batch that can be undone.
bool HasBatchToUndo(const std::string& folder);

// What undoing the last batch did, page by page, in the batch's order. The
// paths are absolute.
struct UndoReport {
    bool found = false;                                      // there was a batch to undo
    std::vector<std::string> restored;                       // back to the bytes they had before
    std::vector<std::string> changedSince;                   // changed since the batch: left alone
    std::vector<std::pair<std::string, std::string>> failed; // path and why
};

// Puts every page the last batch changed back to the bytes it had before,
// unless the page no longer holds what the batch wrote (changed since, or
// gone): such a page is listed and left alone. Each page is replaced as a
// save replaces it, and only if no other program changes it in between.
// The record goes afterwards; the pages that failed stay in it, so that
// undo can be tried again.
UndoReport UndoLastBatch(const std::string& folder);

} // namespace orlen
