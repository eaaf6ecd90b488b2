// Reading and writing whole files without ever leaving a half-written one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

namespace orlen {

// Writes bytes to path through a temporary file in the same directory that
// is flushed to disk and then renamed over the target. The target keeps its
// permission bits (a new file gets the usual ones for the user's umask); a
// symbolic link is followed, so the file it points to is replaced and the
// link stays. A target with more than one hard link is written in place
// instead (WriteFileInPlace, with the backup beside it), so that every name
// keeps seeing the same file. On failure the target is untouched, the
// temporary file is removed, error describes what went wrong and false is
// returned. A target that the user may not write, or whose permission bits
// let nobody write it, is refused as read-only (even for root) and left
// untouched. The first save of a process into a folder first removes the
// temporary files there that saves of ended processes left behind.
//
// A file that exists in a folder where no new file may be created (the
// temporary file is refused with EACCES or EPERM) but that may itself be
// written is written in place instead, as WriteFileInPlace does, with its
// backup in the folder SetInPlaceBackupFolder names; report, when given,
// says so.
struct SaveReport {
    bool inPlace = false;     // written in place because its folder takes no new files
    std::string backupFolder; // where the old content was kept meanwhile
};
bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error,
                     SaveReport* report = nullptr);

// The folder for the backups of pages saved in place because their own
// folder takes no new files; "" (the default) for $XDG_CACHE_HOME/orlen, or
// ~/.cache/orlen. The window sets its cache folder. Made when first needed.
void SetInPlaceBackupFolder(const std::string& folder);
// That folder, resolved as a save would (not made); "" when there is none.
std::string InPlaceBackupFolder();

// For tests: every temporary file a save would make fails with err, as in
// a folder that takes no new files (EACCES) even for root; 0 ends it.
void FailTemporaryFilesForTesting(int err);

// Writes bytes into the file at path itself, so that its inode, and with it
// every hard link, permission bit and owner, stays. The old content is first
// copied to a backup file in backupDir, which is flushed to disk with the
// folder; then the file is overwritten, cut to its new length and flushed,
// and the backup removed. When writing fails midway, the old content is
// copied back from the backup. A crash in between leaves the backup file
// (".NAME.orlen-backup-...") with the whole old page, while the page may be
// partly written; leftover cleanup never removes such a file, it only counts
// it (LeftoverTally). backupDir must be on a file system where the user may
// create files; it may be another folder than the page's own. Refuses what
// WriteFileSafely refuses, and a file that does not exist.
bool WriteFileInPlace(const std::string& path, std::string_view bytes, const std::string& backupDir,
                      std::string& error);

// Who made a temporary file, as its name records it, so that a later save
// can tell the leftovers of a process that has ended from the files of one
// still at work.
struct ProcessMark {
    std::string machine; // 8 hex digits of the host name and process-id namespace
    std::string boot;    // the first 8 hex digits of the boot id; kUnknownBoot if unknown
    long long pid = 0;
    unsigned long long start = 0; // clock ticks from boot to the process's start; 0 if unknown

    static constexpr std::string_view kUnknownBoot = "00000000";
};

// The mark of the calling process.
ProcessMark CurrentProcessMark();

enum class TemporaryKind {
    Replacement, // the new content, renamed over the file when complete
    Backup,      // the old content, kept while a file is written in place
};

// The name of a temporary file for the file named fileName, without the six
// characters mkstemp puts at its end:
// ".NAME.orlen-MACHINE-BOOT-PID-START-" for a replacement and
// ".NAME.orlen-backup-MACHINE-BOOT-PID-START-" for a backup. The leading dot
// keeps them out of sight. NAME is cut short when the whole name would be
// longer than a file name may be.
std::string TemporaryNamePrefix(std::string_view fileName, const ProcessMark& mark,
                                TemporaryKind kind);

// While one exists, it hears what the leftover cleanup of saves finds: how
// many replacement files of ended processes it removed, and which backups of
// ended processes it left (their pages may be incomplete). A file is a
// leftover when its name has exactly the form TemporaryNamePrefix gives
// followed by six letters or digits, it is a regular file, and its mark
// names a process of this machine that has ended: one of an earlier boot, a
// pid with no process, or a pid whose process started at another time.
// Files of processes still at work, or of other machines, are never
// touched. Each folder is looked through at most once per process. A tally
// hears the saves of the thread that made it, so that each worker of a pool
// keeps its own; a tally is used on that thread only.
class LeftoverTally {
public:
    LeftoverTally();
    ~LeftoverTally();
    LeftoverTally(const LeftoverTally&) = delete;
    LeftoverTally& operator=(const LeftoverTally&) = delete;

    std::size_t Removed() const { return removed_; }
    const std::vector<std::string>& KeptBackups() const { return keptBackups_; }
    void Clear() {
        removed_ = 0;
        keptBackups_.clear();
    }

    // What the cleanup in saves reports, to the calling thread's innermost
    // tally if any.
    static void CountRemoved();
    static void CountKeptBackup(const std::string& path);

private:
    std::size_t removed_ = 0;
    std::vector<std::string> keptBackups_;
    LeftoverTally* outer_;
};

// While one exists, saves leave making their renames durable to it: each
// folder is synced once when it goes, instead of once per page, which is
// what a batch of saves over a whole site needs. A page's own bytes are still
// on disk before it replaces the old file, so a crash in between leaves every
// page either as it was or as saved, never damaged. A batch takes the saves
// of the thread that made it, and is used on that thread only.
class DeferredFolderSync {
public:
    DeferredFolderSync();
    ~DeferredFolderSync();
    DeferredFolderSync(const DeferredFolderSync&) = delete;
    DeferredFolderSync& operator=(const DeferredFolderSync&) = delete;

    // Records the folder with the calling thread's innermost batch; false
    // when there is none.
    static bool Defer(const std::string& folder);

private:
    std::unordered_set<std::string> folders_;
    DeferredFolderSync* outer_;
};

// Reads a whole regular file. Anything else (a folder, a FIFO, a device) is
// refused without being read or waited on. On failure returns false with a
// description in error.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

// Reads at most limit bytes from the start of a regular file, refusing what
// ReadWholeFile refuses. complete tells whether that was the whole file.
bool ReadFileStart(const std::string& path, std::size_t limit, std::string& bytes, bool& complete,
                   std::string& error);

// What a file held when it was last read or written, to tell later whether
// another program has changed it since.
struct FileStamp {
    bool known = false; // nothing recorded: no file was read or written
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t hash = 0; // of the bytes read or written
};

// The hash a stamp keeps of a file's bytes.
std::uint64_t HashBytes(std::string_view bytes);

// The stamp of the file at path just after bytes were read from it or
// written to it. Not known when the file cannot be looked at.
FileStamp StampFile(const std::string& path, std::string_view bytes);

// True when the file at path no longer holds what the stamp recorded. A file
// whose size, time or identity changed is read again and compared by hash,
// so touching a file or writing the same bytes is no change. A file that is
// gone, or a stamp that is not known, is no change either: nothing another
// program wrote would be lost.
bool FileChangedSince(const std::string& path, const FileStamp& stamp);

// Replaces many files with the promise of WriteFileSafely, paying for the
// flush to disk once per batch instead of once per file: Add writes each
// file's new bytes into a temporary file beside it, and Commit then makes
// all of them durable in one pass, renames each over its file and syncs
// each folder once. Until its rename, a file keeps its old content, so a
// crash at any moment leaves every file old or new, complete. A file with
// more than one hard link is written in place by Add at once, as
// WriteFileSafely does. Temporary files are named and cleaned up as those of
// WriteFileSafely; those never committed are removed when the batch goes.
// Each batch belongs to one thread; several threads may each fill their own.
class ReplacementBatch {
public:
    enum class Added {
        Staged,  // in a temporary file, replaced by Commit
        Written, // written in place (a file with several links)
        Failed,  // refused or not written; error says why
    };
    // What Commit did with one staged file.
    struct Outcome {
        bool saved = false; // renamed over its file and its folder synced
        std::string error;  // why not, when not saved
    };

    ReplacementBatch() = default;
    ~ReplacementBatch();
    ReplacementBatch(const ReplacementBatch&) = delete;
    ReplacementBatch& operator=(const ReplacementBatch&) = delete;

    // Refuses what WriteFileSafely refuses; else writes bytes into a
    // temporary file for path (a symbolic link is followed). read is what
    // the file held when it was read: the file is replaced only when no
    // other program has changed it since (FileChangedSince), checked just
    // before its rename, or before a write in place.
    Added Add(const std::string& path, std::string_view bytes, const FileStamp& read,
              std::string& error);

    // The files staged since the last Commit, and their bytes.
    std::size_t Staged() const { return staged_.size(); }
    std::uint64_t StagedBytes() const { return stagedBytes_; }

    // Makes every staged file durable, then renames each over its file,
    // then syncs each folder once. One outcome per staged file, in the
    // order they were added; a file that failed keeps its old content and
    // its temporary file is removed, unless the failure came after its
    // rename (its folder could not be synced), which the error says. The
    // batch is empty afterwards and may be filled again.
    std::vector<Outcome> Commit();

    // The files Add wrote in place because their folder takes no new files,
    // with their backup in the SetInPlaceBackupFolder folder; cleared by
    // TakeInPlaceFallbacks.
    std::vector<std::string> TakeInPlaceFallbacks() { return std::exchange(inPlaceFallbacks_, {}); }

private:
    struct Entry {
        std::string temp;   // the temporary file
        std::string target; // the file it replaces, links resolved
        std::string folder; // where both lie
        int fd = -1;        // the temporary file, open until it is durable
        FileStamp read;
        Outcome outcome;
        bool failed = false;
        bool renamed = false;
    };
    // Makes the bytes of every staged file durable; marks those that fail.
    void Flush();
    void Fail(Entry& entry, const std::string& error);

    std::vector<Entry> staged_;
    std::uint64_t stagedBytes_ = 0;
    std::vector<std::string> inPlaceFallbacks_;
};

} // namespace orlen
