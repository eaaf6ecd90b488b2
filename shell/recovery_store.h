// Recovery copies of unsaved edits, so that a logout, a kill or a crash
// loses none: the page's title and meta tags, or the template's whole text,
// written into a folder of the running program (a ProcessFolder under the
// user's data folder) a moment after typing stops, and removed once the
// edits are saved or discarded. A copy of the program started later finds
// the copies of one that ended without tidying up and offers them.
//
// A copy is a small text file: a first line naming the format, one line per
// field with every text given as <length>:<bytes> (any bytes, line ends
// included), and a last line with a checksum of all before it. Anything
// else, cut short or changed, is not read.
#pragma once

#include "document/safe_file.h"
#include "page/meta_data.h"
#include "shell/process_folder.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlen {

class CVantleDoc;

struct RecoveryCopy {
    enum class Kind { Page, Template };
    Kind kind = Kind::Page;
    std::string path;          // the file; "" for a page or template never saved
    std::string name;          // what the window called it ("Untitled", the template's name)
    std::int64_t editedAt = 0; // the last edit, in seconds since 1970 (UTC)
    // Page: the file as it was read or last saved, to tell whether another
    // program changed it since.
    bool baseKnown = false;
    std::int64_t baseSize = 0;
    std::uint64_t baseHash = 0;
    std::string charset; // Page: the charset the values are in
    MetaDataSet head;    // Page: the title and meta tags as edited
    std::string text;    // Template: its whole text

    bool operator==(const RecoveryCopy&) const = default;
};

// The file's text of a copy, and a copy from such a text (nothing when the
// text is not one: damaged, cut short, of another format or program).
std::string RecoveryText(const RecoveryCopy& copy);
std::optional<RecoveryCopy> ReadRecoveryText(std::string_view text);

// The document's unsaved edits as copies: the page's when it is modified,
// the template's when one is open and modified.
std::vector<RecoveryCopy> UnsavedEdits(CVantleDoc& doc, std::int64_t editedAt);

// Whether the page's file is still the one the copy's edits were made on:
// Same, Changed (another program wrote it since), or Unknown (the copy or
// the document does not know).
enum class RecoveryBase { Same, Changed, Unknown };
RecoveryBase CompareBase(const RecoveryCopy& copy, const FileStamp& stamp);

// Gives the open page the copy's title and meta tags, as unsaved edits:
// tags the copy lacks are removed, tags it has are set; values are turned
// into the page's charset when the copy's was another. The page is marked
// modified and the views updated. Returns the number of values changed.
int ApplyRecoveredPage(CVantleDoc& doc, const RecoveryCopy& copy);
// Opens the copy's template beside the page, with its edits unsaved.
void ApplyRecoveredTemplate(CVantleDoc& doc, const RecoveryCopy& copy);

// The copies of one running program.
class RecoveryStore {
public:
    // folder is where each running program makes its own folder of copies.
    explicit RecoveryStore(std::string folder);
    // Keeps the copies on disk when there are any (the program ends without
    // its edits saved or discarded), else removes the program's folder.
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    // Writes a copy of each of the document's unsaved edits and removes the
    // copy of what has none; after Discard, writes nothing until Edited.
    // The folder is made on the first write. False, with error, when a copy
    // could not be written.
    bool Save(CVantleDoc& doc, std::int64_t editedAt, std::string& error);
    // The user chose to lose the unsaved edits: their copies go, and none is
    // written again before the next edit.
    void Discard();
    void Edited() { discarded_ = false; }
    // Removes every copy (the edits were saved or discarded as the program
    // closed).
    void RemoveAll();
    // The copies on disk now, by file name.
    std::vector<std::string> CopyFiles() const;
    const std::string& Folder() const { return folder_; }
    // The file name a copy of that kind has in the program's folder.
    static std::string FileName(RecoveryCopy::Kind kind);
    // The start of the name of each program's folder.
    static constexpr const char* kPrefix = "Orlen-";

    // The copies left by programs that ended without tidying up: each
    // program's folder, taken over (so no other copy of the program offers
    // them too), with the copies that could be read, and the files that
    // could not, which are moved out beside the folders (their name ends in
    // ".unreadable") and never looked at again.
    struct Left {
        std::unique_ptr<ProcessFolder> folder; // removed when this goes
        std::vector<RecoveryCopy> copies;
        std::vector<std::string> unreadable; // where each unreadable file is now
    };
    static std::vector<Left> FindLeft(const std::string& folder);

private:
    bool Write(const RecoveryCopy& copy, std::string& error);
    void Remove(RecoveryCopy::Kind kind);

    std::string folder_;
    std::unique_ptr<ProcessFolder> own_;
    bool discarded_ = false;
};

} // namespace orlen
