#include "document/batch_undo.h"

#include "document/batch_texts.h"
#include "document/safe_file.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <system_error>

namespace orlen {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kListName = "pages";
constexpr std::string_view kListHeader = "orlen-batch-undo 1";

std::string Hex(std::uint64_t value) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

// A path on one line of the list: backslashes and line ends escaped.
std::string EscapePath(std::string_view path) {
    std::string out;
    for (char c : path) {
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else {
            out += c;
        }
    }
    return out;
}

std::string UnescapePath(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char c = text[++i];
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
        } else {
            out += text[i];
        }
    }
    return out;
}

struct Entry {
    std::string id;
    std::uint64_t oldHash = 0;
    std::uint64_t newHash = 0;
    std::string path;
};

// The pages of the list in folder that were not dropped, in order; false
// when there is no list.
bool ReadList(const std::string& folder, std::vector<Entry>& entries) {
    std::string text;
    std::string error;
    if (!ReadWholeFile((fs::path(folder) / kListName).string(), text, error)) {
        return false;
    }
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kListHeader) {
        return false;
    }
    std::set<std::string> dropped;
    while (std::getline(in, line)) {
        if (line.starts_with("drop ")) {
            dropped.insert(line.substr(5));
            continue;
        }
        // "page ID OLDHASH NEWHASH PATH"
        std::istringstream fields(line);
        std::string word;
        Entry e;
        std::string oldHash;
        std::string newHash;
        if (!(fields >> word >> e.id >> oldHash >> newHash) || word != "page") {
            continue;
        }
        std::string rest;
        std::getline(fields, rest);
        if (rest.size() < 2) {
            continue;
        }
        e.oldHash = std::stoull(oldHash, nullptr, 16);
        e.newHash = std::stoull(newHash, nullptr, 16);
        e.path = UnescapePath(std::string_view(rest).substr(1));
        entries.push_back(std::move(e));
    }
    std::erase_if(entries, [&](const Entry& e) { return dropped.count(e.id) != 0; });
    // Workers keep pages as they come to them: the batch's order is that of
    // the ids, the pages' indexes.
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.id.size() != b.id.size() ? a.id.size() < b.id.size() : a.id < b.id;
    });
    return true;
}

std::string ListLine(const Entry& e) {
    return "page " + e.id + " " + Hex(e.oldHash) + " " + Hex(e.newHash) + " " + EscapePath(e.path) +
           "\n";
}

} // namespace

bool BatchUndoRecord::Begin(const std::string& folder, std::string& error) {
    const std::lock_guard<std::mutex> lock(mutex_);
    std::error_code ec;
    fs::remove_all(folder, ec);
    fs::create_directories(folder, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    list_.open(fs::path(folder) / kListName, std::ios::binary | std::ios::trunc);
    list_ << kListHeader << "\n" << std::flush;
    if (!list_) {
        error = std::generic_category().message(errno);
        return false;
    }
    folder_ = folder;
    return true;
}

bool BatchUndoRecord::Keep(std::size_t index, const std::string& path, std::string_view oldBytes,
                           std::string_view newBytes, std::string& id, std::string& error) {
    const std::lock_guard<std::mutex> lock(mutex_);
    id = std::to_string(index);
    {
        std::ofstream kept(fs::path(folder_) / (id + ".old"), std::ios::binary | std::ios::trunc);
        kept.write(oldBytes.data(), static_cast<std::streamsize>(oldBytes.size()));
        kept.flush();
        if (!kept) {
            error = std::string(batch_texts::kCannotKeepForUndo) + folder_;
            return false;
        }
    }
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec);
    Entry e{id, HashBytes(oldBytes), HashBytes(newBytes),
            ec ? path : full.lexically_normal().string()};
    list_ << ListLine(e) << std::flush;
    if (!list_) {
        error = std::string(batch_texts::kCannotKeepForUndo) + folder_;
        return false;
    }
    return true;
}

void BatchUndoRecord::Drop(const std::string& id) {
    const std::lock_guard<std::mutex> lock(mutex_);
    list_ << "drop " << id << "\n" << std::flush;
    std::error_code ec;
    fs::remove(fs::path(folder_) / (id + ".old"), ec);
}

bool HasBatchToUndo(const std::string& folder) {
    std::vector<Entry> entries;
    return ReadList(folder, entries) && !entries.empty();
}

UndoReport UndoLastBatch(const std::string& folder) {
    UndoReport report;
    std::vector<Entry> entries;
    if (!ReadList(folder, entries) || entries.empty()) {
        return report;
    }
    report.found = true;
    // Restored in batches of a few dozen pages, so that few files are open
    // at once.
    constexpr std::size_t kPerBatch = 32;
    std::vector<Entry> failed;
    std::size_t i = 0;
    while (i < entries.size()) {
        ReplacementBatch batch;
        std::vector<const Entry*> staged;
        for (; i < entries.size() && staged.size() < kPerBatch; ++i) {
            const Entry& e = entries[i];
            std::string now;
            std::string error;
            if (!ReadWholeFile(e.path, now, error)) {
                std::error_code ec;
                if (!fs::exists(e.path, ec)) {
                    report.changedSince.push_back(e.path);
                } else {
                    report.failed.push_back({e.path, error});
                    failed.push_back(e);
                }
                continue;
            }
            const std::uint64_t hash = HashBytes(now);
            if (hash == e.oldHash) {
                // It holds what it had before the batch already.
                report.restored.push_back(e.path);
                continue;
            }
            if (hash != e.newHash) {
                report.changedSince.push_back(e.path);
                continue;
            }
            std::string old;
            if (!ReadWholeFile((fs::path(folder) / (e.id + ".old")).string(), old, error)) {
                report.failed.push_back({e.path, error});
                failed.push_back(e);
                continue;
            }
            const FileStamp read = StampFile(e.path, now);
            switch (batch.Add(e.path, old, read, error)) {
            case ReplacementBatch::Added::Staged:
                staged.push_back(&e);
                break;
            case ReplacementBatch::Added::Written:
                report.restored.push_back(e.path);
                break;
            case ReplacementBatch::Added::Failed:
                report.failed.push_back({e.path, error});
                failed.push_back(e);
                break;
            }
        }
        const std::vector<ReplacementBatch::Outcome> outcomes = batch.Commit();
        for (std::size_t k = 0; k < staged.size(); ++k) {
            if (outcomes[k].saved) {
                report.restored.push_back(staged[k]->path);
            } else {
                report.failed.push_back({staged[k]->path, outcomes[k].error});
                failed.push_back(*staged[k]);
            }
        }
    }
    std::error_code ec;
    if (failed.empty()) {
        fs::remove_all(folder, ec);
        return report;
    }
    // Only the pages that could not be put back stay, with their old bytes.
    std::set<std::string> keep;
    std::string list = std::string(kListHeader) + "\n";
    for (const Entry& e : failed) {
        keep.insert(e.id + ".old");
        list += ListLine(e);
    }
    for (const auto& file : fs::directory_iterator(folder, ec)) {
        const std::string name = file.path().filename().string();
        if (name != kListName && keep.count(name) == 0) {
            fs::remove(file.path(), ec);
        }
    }
    std::string error;
    WriteFileSafely((fs::path(folder) / kListName).string(), list, error);
    return report;
}

} // namespace orlen
