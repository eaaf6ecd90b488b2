#include "document/safe_file.h"

#include "document/document_texts.h"
#include "page/line_reader.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <limits>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace orlen {

namespace {

// The text for an errno value. strerror_r, since strerror may share one
// buffer between the threads of a pool that save at once.
std::string Describe(int err) {
    char buffer[256] = {};
    return ::strerror_r(err, buffer, sizeof buffer);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Writes all of bytes at offset.
bool WriteAllAt(int fd, std::string_view bytes, off_t offset) {
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = ::pwrite(fd, p, left, offset);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        p += n;
        offset += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// Copies the whole content of one file into another from its start, a
// block at a time; copied tells how many bytes that was.
bool CopyContent(int from, int to, off_t& copied) {
    std::string block(1 << 16, '\0');
    copied = 0;
    for (;;) {
        const ssize_t n = ::pread(from, block.data(), block.size(), copied);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (!WriteAllAt(to, std::string_view(block.data(), static_cast<std::size_t>(n)), copied)) {
            return false;
        }
        copied += n;
    }
}

// Flushes a folder's entries to disk. Returns 0, or the errno of a failed
// flush; a folder that cannot be opened (one the user may write but not
// read) is passed over, as it always was.
int SyncFolder(const std::string& folder) {
    Fd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0 && ::fsync(dirFd.get()) != 0) {
        return errno;
    }
    return 0;
}

// The folder a file lies in, "." for a bare name.
std::string FolderOf(const std::filesystem::path& file) {
    const std::filesystem::path dir = file.parent_path();
    return (dir.empty() ? std::filesystem::path(".") : dir).string();
}

// The file a symbolic link points to, or path itself.
bool ResolveLink(const std::string& path, std::filesystem::path& target, std::string& error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    target = path;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (ec) {
            error = ec.message();
            return false;
        }
        target = resolved;
    }
    return true;
}

// Refuses an existing target that is not a regular file or is read-only.
bool MayWriteOver(const std::filesystem::path& target, const struct stat& st, std::string& error) {
    if (!S_ISREG(st.st_mode)) {
        error = doc_texts::kNotRegularFile;
        return false;
    }
    // A read-only page stays as it is: renaming over it would succeed, but
    // the user (or whoever took the write bits away) asked for it to be kept.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) {
        error = doc_texts::kReadOnlyFile;
        return false;
    }
    return true;
}

// The batch that folder syncs are left to, if any: one per thread, so that
// the workers of a pool each keep their own.
thread_local DeferredFolderSync* innermostBatch = nullptr;

// The tally that leftover cleanup reports to, if any; one per thread too.
thread_local LeftoverTally* innermostTally = nullptr;

// --- Telling whose a temporary file is -----------------------------------

constexpr std::string_view kTemporaryMarker = ".orlen-";
constexpr std::string_view kBackupMarker = "backup-";
// The longest file name most file systems take (NAME_MAX).
constexpr std::size_t kLongestName = 255;
// The characters mkstemp puts at the end of a name.
constexpr std::size_t kUniqueLength = 6;

std::string Hex8(std::uint32_t value) {
    static const char* digits = "0123456789abcdef";
    std::string hex(8, '0');
    for (int i = 7; i >= 0; --i, value >>= 4) {
        hex[static_cast<std::size_t>(i)] = digits[value & 15];
    }
    return hex;
}

// The first few hundred bytes of a small system file such as one in /proc.
std::string ReadSmallFile(const char* path) {
    Fd fd(::open(path, O_RDONLY | O_CLOEXEC));
    std::string text(1024, '\0');
    std::size_t have = 0;
    while (fd.get() >= 0 && have < text.size()) {
        const ssize_t n = ::read(fd.get(), text.data() + have, text.size() - have);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        have += static_cast<std::size_t>(n);
    }
    text.resize(have);
    return text;
}

// The process's umask, read without changing it: umask() can only set a
// new mask while it reads the old one, and another thread (the window's
// web engine) creating a file in between would get the wrong mode. The
// kernel shows it in /proc/self/status; 022, the usual mask, when that
// cannot be read.
mode_t CurrentUmask() {
    constexpr mode_t kUsual = 022;
    const std::string status = ReadSmallFile("/proc/self/status");
    constexpr std::string_view kLabel = "Umask:";
    std::size_t at = status.starts_with(kLabel) ? 0 : status.find("\nUmask:");
    if (at == std::string::npos) {
        return kUsual;
    }
    at = status.find_first_not_of(" \t", status.find(':', at) + 1);
    mode_t mask = 0;
    std::size_t digits = 0;
    for (; at < status.size() && status[at] >= '0' && status[at] <= '7'; ++at, ++digits) {
        mask = static_cast<mode_t>(mask * 8 + static_cast<mode_t>(status[at] - '0'));
    }
    if (digits == 0 || digits > 4 || (at < status.size() && status[at] != '\n')) {
        return kUsual;
    }
    return mask & 0777;
}

// When the process pid started, in clock ticks after boot: the 22nd field
// of /proc/PID/stat, counted after the command name in parentheses (which
// may itself hold spaces and parentheses).
bool StartTimeOf(long long pid, unsigned long long& start) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    const std::string stat = ReadSmallFile(path.c_str());
    std::size_t at = stat.rfind(')');
    if (at == std::string::npos) {
        return false;
    }
    // Fields 3 to 21 come first, each after one space.
    for (int field = 3; field <= 22; ++field) {
        at = stat.find(' ', at + 1);
        if (at == std::string::npos) {
            return false;
        }
    }
    const char* first = stat.c_str() + at + 1;
    char* end = nullptr;
    errno = 0;
    start = std::strtoull(first, &end, 10);
    return end != first && errno == 0;
}

// The host name and the process-id namespace, boiled down to eight hex
// digits: pids and start times only mean something within both.
std::string MachineOfThisProcess() {
    char host[256] = {};
    (void)::gethostname(host, sizeof host - 1);
    char ns[128] = {};
    (void)!::readlink("/proc/self/ns/pid", ns, sizeof ns - 1);
    std::uint32_t h = 2166136261u; // FNV-1a
    for (std::string_view piece :
         {std::string_view(host), std::string_view("/"), std::string_view(ns)}) {
        for (char c : piece) {
            h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
        }
    }
    return Hex8(h);
}

bool IsLowerHex(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

// The characters mkstemp makes names of, whatever the locale.
bool IsLetterOrDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The start of the kernel's boot id, new at every boot.
std::string BootOfThisSystem() {
    const std::string id = ReadSmallFile("/proc/sys/kernel/random/boot_id");
    if (id.size() < 8 || !IsLowerHex(std::string_view(id).substr(0, 8))) {
        return std::string(ProcessMark::kUnknownBoot);
    }
    return id.substr(0, 8);
}

// Takes the text up to the next "-" off the front of rest.
bool TakeField(std::string_view& rest, std::string_view& field) {
    const std::size_t dash = rest.find('-');
    if (dash == std::string_view::npos) {
        return false;
    }
    field = rest.substr(0, dash);
    rest.remove_prefix(dash + 1);
    return true;
}

// A decimal number without leading zeros (0 itself allowed when zeroOk)
// no larger than max.
bool ReadNumber(std::string_view text, unsigned long long max, bool zeroOk,
                unsigned long long& value) {
    if (text.empty() || text.size() > 20 || !IsDigits(text) ||
        (text[0] == '0' && (text.size() > 1 || !zeroOk))) {
        return false;
    }
    value = 0;
    for (char c : text) {
        const unsigned digit = static_cast<unsigned>(c - '0');
        if (value > (max - digit) / 10) {
            return false;
        }
        value = value * 10 + digit;
    }
    return true;
}

// True when name has exactly the form of a temporary file of a save:
// ".NAME", then what TemporaryNamePrefix gives from ".orlen-" on, then six
// letters or digits. Fills in its kind and mark.
bool ReadTemporaryName(std::string_view name, TemporaryKind& kind, ProcessMark& mark) {
    const std::size_t marker = name.rfind(kTemporaryMarker);
    if (name.empty() || name[0] != '.' || marker == std::string_view::npos || marker < 2) {
        return false;
    }
    std::string_view rest = name.substr(marker + kTemporaryMarker.size());
    kind = TemporaryKind::Replacement;
    if (rest.starts_with(kBackupMarker)) {
        kind = TemporaryKind::Backup;
        rest.remove_prefix(kBackupMarker.size());
    }
    std::string_view machine, boot, pid, start;
    unsigned long long pidValue = 0, startValue = 0;
    if (!TakeField(rest, machine) || !TakeField(rest, boot) || !TakeField(rest, pid) ||
        !TakeField(rest, start) || machine.size() != 8 || !IsLowerHex(machine) ||
        boot.size() != 8 || !IsLowerHex(boot) ||
        !ReadNumber(pid, std::numeric_limits<pid_t>::max(), false, pidValue) ||
        !ReadNumber(start, std::numeric_limits<unsigned long long>::max(), true, startValue) ||
        rest.size() != kUniqueLength || !std::all_of(rest.begin(), rest.end(), IsLetterOrDigit)) {
        return false;
    }
    mark.machine = machine;
    mark.boot = boot;
    mark.pid = static_cast<long long>(pidValue);
    mark.start = startValue;
    return true;
}

// True only when the process that made a temporary file has certainly
// ended. A process of another machine or pid namespace cannot be looked
// at, so it counts as running.
bool ProcessHasEnded(const ProcessMark& theirs, const ProcessMark& ours) {
    if (theirs.machine != ours.machine) {
        return false;
    }
    if (theirs.boot != ProcessMark::kUnknownBoot && ours.boot != ProcessMark::kUnknownBoot &&
        theirs.boot != ours.boot) {
        return true; // every process of an earlier boot has ended
    }
    if (::kill(static_cast<pid_t>(theirs.pid), 0) != 0 && errno == ESRCH) {
        return true;
    }
    // The pid is in use: by the same process only if it started when the
    // name says.
    unsigned long long start = 0;
    return theirs.start != 0 && StartTimeOf(theirs.pid, start) && start != theirs.start;
}

// Removes, once per process and folder, the replacement files in folder
// that saves of ended processes left behind, and tells the tally about the
// backups of ended processes, which stay.
void CleanLeftoversOnce(const std::string& folder) {
    static std::mutex mutex;
    static std::unordered_set<std::string> cleaned;
    // The folders as they were named, so that the many saves of a batch into
    // one folder do not resolve its path again each time.
    static std::unordered_set<std::string> named;
    static pid_t cleanedBy = 0;
    const pid_t pid = ::getpid();
    {
        std::lock_guard<std::mutex> lock(mutex);
        // A forked child is a process of its own.
        if (cleanedBy != pid) {
            cleaned.clear();
            named.clear();
            cleanedBy = pid;
        }
        if (named.contains(folder)) {
            return;
        }
    }
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(folder, ec);
    {
        std::lock_guard<std::mutex> lock(mutex);
        named.insert(folder);
        if (!cleaned.insert(ec ? folder : real.string()).second) {
            return;
        }
    }
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    const ProcessMark ours = CurrentProcessMark();
    while (const dirent* entry = ::readdir(dir)) {
        TemporaryKind kind;
        ProcessMark theirs;
        if (!ReadTemporaryName(entry->d_name, kind, theirs) || !ProcessHasEnded(theirs, ours)) {
            continue;
        }
        struct stat st {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
            !S_ISREG(st.st_mode)) {
            continue;
        }
        if (kind == TemporaryKind::Backup) {
            // The page it belongs to may be half written: the copy stays
            // until someone has looked at both.
            LeftoverTally::CountKeptBackup(
                (std::filesystem::path(folder) / entry->d_name).string());
        } else if (::unlinkat(::dirfd(dir), entry->d_name, 0) == 0) {
            LeftoverTally::CountRemoved();
        }
    }
    ::closedir(dir);
}

// The in-place write of an existing regular file, after the checks.
bool WriteInPlace(const std::filesystem::path& target, std::string_view bytes,
                  const std::string& backupDir, std::string& error) {
    // Non-blocking, so that a file swapped for a FIFO is not waited on.
    Fd file(::open(target.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (file.get() < 0 || ::fstat(file.get(), &st) != 0) {
        error = Describe(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = doc_texts::kNotRegularFile;
        return false;
    }
    std::string backup = (std::filesystem::path(backupDir) /
                          TemporaryNamePrefix(target.filename().string(), CurrentProcessMark(),
                                              TemporaryKind::Backup))
                             .string() +
                         std::string(kUniqueLength, 'X');
    Fd copy(::mkstemp(backup.data()));
    if (copy.get() < 0) {
        error = Describe(errno);
        return false;
    }
    // The copy may be read by whoever may read the page, and belongs to the
    // page's owner where we may give it away (a failure is no reason to
    // stop). The whole old content is on disk, under a name the folder
    // holds on disk too, before the first byte of the file changes.
    (void)::fchmod(copy.get(), st.st_mode & 0666);
    (void)!::fchown(copy.get(), st.st_uid, st.st_gid);
    off_t oldSize = 0;
    if (!CopyContent(file.get(), copy.get(), oldSize) || ::fsync(copy.get()) != 0) {
        error = Describe(errno);
        ::unlink(backup.c_str());
        return false;
    }
    SyncFolder(backupDir);
    const off_t newSize = static_cast<off_t>(bytes.size());
    if (!WriteAllAt(file.get(), bytes, 0) || ::ftruncate(file.get(), newSize) != 0 ||
        ::fsync(file.get()) != 0) {
        error = Describe(errno);
        // Put the old content back; if even that fails, the backup stays
        // and the message says where.
        off_t restored = 0;
        if (CopyContent(copy.get(), file.get(), restored) &&
            ::ftruncate(file.get(), restored) == 0 && ::fsync(file.get()) == 0) {
            ::unlink(backup.c_str());
        } else {
            error += std::string(doc_texts::kOldContentKeptIn) + backup;
        }
        return false;
    }
    ::unlink(backup.c_str());
    // The backup's removal only needs to last; a crash that brings it back
    // leaves a spare copy of the old page, nothing worse.
    if (!DeferredFolderSync::Defer(backupDir)) {
        SyncFolder(backupDir);
    }
    return true;
}

// Set by tests: the error every creation of a temporary file fails with.
std::atomic<int> failTemporaryFiles{0};

std::mutex backupFolderMutex;
std::string inPlaceBackupFolder; // "" for the default

// Whether a temporary file could not be made because the folder takes no
// new files, while the file itself may still be written.
bool FolderTakesNoNewFiles(int err) {
    return err == EACCES || err == EPERM;
}

// The folder for the backup of a page saved in place because its own folder
// takes no new files: the one set, else $XDG_CACHE_HOME/orlen, else
// ~/.cache/orlen; "" when none can be told.
std::string ResolvedBackupFolder() {
    {
        std::lock_guard<std::mutex> lock(backupFolderMutex);
        if (!inPlaceBackupFolder.empty()) {
            return inPlaceBackupFolder;
        }
    }
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (cache != nullptr && cache[0] == '/') {
        return std::string(cache) + "/orlen";
    }
    if (home != nullptr && home[0] == '/') {
        return std::string(home) + "/.cache/orlen";
    }
    return {};
}

// That folder, made (for this user only) when missing.
bool FallbackBackupFolder(std::string& folder, std::string& error) {
    folder = ResolvedBackupFolder();
    if (folder.empty()) {
        error = Describe(EACCES);
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace, ec);
    return true;
}

// Where a save goes, after the checks every save makes.
struct SaveTarget {
    std::filesystem::path file; // the file a symbolic link points to, or the path
    struct stat st {};          // what it is now, when it exists
    bool exists = false;
    std::string folder; // its folder, whose leftovers have been cleaned
    // Renaming a new file over one name of a file with several would split
    // it: the other names would keep the old content.
    bool InPlace() const { return exists && st.st_nlink > 1; }
};

bool PrepareSave(const std::string& path, SaveTarget& target, std::string& error) {
    error.clear();
    // Replace the file a symbolic link points to, not the link.
    if (!ResolveLink(path, target.file, error)) {
        return false;
    }
    target.exists = ::stat(target.file.c_str(), &target.st) == 0;
    if (target.exists && !MayWriteOver(target.file, target.st, error)) {
        return false;
    }
    target.folder = FolderOf(target.file);
    CleanLeftoversOnce(target.folder);
    return true;
}

// Writes bytes into a new temporary file beside the target, with the
// target's permission bits and, where we may, its owner. Returns the file,
// open and not yet flushed, with its name in temp; on failure -1, with
// nothing left behind.
int WriteTemporary(const SaveTarget& target, std::string_view bytes, std::string& temp,
                   std::string& error, int& err) {
    const mode_t mode = target.exists ? target.st.st_mode & 07777 : 0666 & ~CurrentUmask();
    // A hidden name beside the target, so the rename stays on one file
    // system, that says which process made it.
    temp = (std::filesystem::path(target.folder) /
            TemporaryNamePrefix(target.file.filename().string(), CurrentProcessMark(),
                                TemporaryKind::Replacement))
               .string() +
           std::string(kUniqueLength, 'X');
    err = failTemporaryFiles.load();
    if (err != 0) {
        error = Describe(err);
        return -1;
    }
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0) {
        err = errno;
        error = Describe(err);
        return -1;
    }
    if (!WriteAll(fd.get(), bytes) || ::fchmod(fd.get(), mode) != 0) {
        err = errno;
        error = Describe(err);
        ::unlink(temp.c_str());
        return -1;
    }
    if (target.exists) {
        // Keep the owner where we may (root, or the same user); a failure
        // here is not a reason to refuse the save.
        (void)!::fchown(fd.get(), target.st.st_uid, target.st.st_gid);
    }
    return fd.release();
}

// After WriteTemporary failed: a page that exists in a folder that takes no
// new files is written in place, with its backup in the fallback folder.
// False, with the first error kept, when that is not the case or fails too.
bool SaveInPlaceInstead(const SaveTarget& target, std::string_view bytes, int err,
                        std::string& error, SaveReport* report) {
    if (!target.exists || !FolderTakesNoNewFiles(err)) {
        return false;
    }
    std::string backupDir;
    std::string why;
    if (!FallbackBackupFolder(backupDir, why)) {
        return false;
    }
    CleanLeftoversOnce(backupDir);
    if (!WriteInPlace(target.file, bytes, backupDir, why)) {
        error = why;
        return false;
    }
    error.clear();
    if (report != nullptr) {
        report->inPlace = true;
        report->backupFolder = backupDir;
    }
    return true;
}

} // namespace

void SetInPlaceBackupFolder(const std::string& folder) {
    std::lock_guard<std::mutex> lock(backupFolderMutex);
    inPlaceBackupFolder = folder;
}

std::string InPlaceBackupFolder() {
    return ResolvedBackupFolder();
}

void FailTemporaryFilesForTesting(int err) {
    failTemporaryFiles.store(err);
}

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error,
                     SaveReport* report) {
    if (report != nullptr) {
        *report = SaveReport{};
    }
    SaveTarget target;
    if (!PrepareSave(path, target, error)) {
        return false;
    }
    if (target.InPlace()) {
        return WriteInPlace(target.file, bytes, target.folder, error);
    }
    std::string temp;
    int err = 0;
    Fd fd(WriteTemporary(target, bytes, temp, error, err));
    if (fd.get() < 0) {
        return SaveInPlaceInstead(target, bytes, err, error, report);
    }
    auto fail = [&](int err) {
        error = Describe(err);
        ::unlink(temp.c_str());
        return false;
    };
    if (::fsync(fd.get()) != 0) {
        return fail(errno);
    }
    if (::close(fd.release()) != 0) {
        return fail(errno);
    }
    if (::rename(temp.c_str(), target.file.c_str()) != 0) {
        return fail(errno);
    }
    // Make the rename itself durable, now or at the end of a batch.
    if (!DeferredFolderSync::Defer(target.folder)) {
        SyncFolder(target.folder);
    }
    return true;
}

bool WriteFileInPlace(const std::string& path, std::string_view bytes, const std::string& backupDir,
                      std::string& error) {
    error.clear();
    std::filesystem::path target;
    if (!ResolveLink(path, target, error)) {
        return false;
    }
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        error = Describe(errno);
        return false;
    }
    if (!MayWriteOver(target, st, error)) {
        return false;
    }
    CleanLeftoversOnce(backupDir);
    return WriteInPlace(target, bytes, backupDir, error);
}

ProcessMark CurrentProcessMark() {
    static const std::string machine = MachineOfThisProcess();
    static const std::string boot = BootOfThisSystem();
    // The start time is read once per process (a forked child reads its own).
    static std::mutex mutex;
    static pid_t knownPid = 0;
    static unsigned long long knownStart = 0;
    ProcessMark mark{machine, boot, ::getpid(), 0};
    std::lock_guard<std::mutex> lock(mutex);
    if (knownPid != ::getpid()) {
        knownPid = ::getpid();
        if (!StartTimeOf(knownPid, knownStart)) {
            knownStart = 0;
        }
    }
    mark.start = knownStart;
    return mark;
}

std::string TemporaryNamePrefix(std::string_view fileName, const ProcessMark& mark,
                                TemporaryKind kind) {
    std::string tail(kTemporaryMarker);
    if (kind == TemporaryKind::Backup) {
        tail += kBackupMarker;
    }
    tail += mark.machine + "-" + mark.boot + "-" + std::to_string(mark.pid) + "-" +
            std::to_string(mark.start) + "-";
    const std::size_t room = kLongestName - 1 - tail.size() - kUniqueLength;
    std::string prefix = ".";
    prefix += fileName.substr(0, std::min(fileName.size(), room));
    prefix += tail;
    return prefix;
}

LeftoverTally::LeftoverTally() : outer_(innermostTally) {
    innermostTally = this;
}

LeftoverTally::~LeftoverTally() {
    innermostTally = outer_;
}

void LeftoverTally::CountRemoved() {
    if (innermostTally != nullptr) {
        ++innermostTally->removed_;
    }
}

void LeftoverTally::CountKeptBackup(const std::string& path) {
    if (innermostTally != nullptr) {
        innermostTally->keptBackups_.push_back(path);
    }
}

DeferredFolderSync::DeferredFolderSync() : outer_(innermostBatch) {
    innermostBatch = this;
}

DeferredFolderSync::~DeferredFolderSync() {
    innermostBatch = outer_;
    for (const std::string& folder : folders_) {
        SyncFolder(folder);
    }
}

bool DeferredFolderSync::Defer(const std::string& folder) {
    if (innermostBatch == nullptr) {
        return false;
    }
    // Absolute, so that a change of the working folder before the batch
    // ends syncs the right one.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(folder, ec);
    innermostBatch->folders_.insert(ec ? folder : absolute.string());
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
    bool complete = false;
    return ReadFileStart(path, std::string::npos, bytes, complete, error);
}

bool ReadFileStart(const std::string& path, std::size_t limit, std::string& bytes, bool& complete,
                   std::string& error) {
    bytes.clear();
    error.clear();
    complete = false;
    // Non-blocking, so that opening a FIFO does not wait for a writer; the
    // flag is cleared again once the file is known to be a regular one.
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        error = Describe(errno);
        return false;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) {
        error = Describe(errno);
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = Describe(EISDIR);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = doc_texts::kNotRegularFile;
        return false;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags >= 0) {
        (void)::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
    }
    // The bytes are read straight into the string: sized by the file's
    // length (one extra byte to notice a file that grew), and grown only
    // when the file grows while it is read.
    const std::size_t expected = static_cast<std::size_t>(std::max<off_t>(st.st_size, 0));
    const std::size_t want = std::min(limit, expected + 1);
    // Spare room for the line ends to grow in place once read.
    ReservePageBuffer(bytes, CapacityForLines(want));
    bytes.resize(std::max<std::size_t>(want, 1));
    std::size_t have = 0;
    for (;;) {
        if (have == limit) {
            break;
        }
        if (have == bytes.size()) {
            bytes.resize(std::min(limit, std::max<std::size_t>(bytes.size() * 2, 1 << 16)));
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + have, bytes.size() - have);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = Describe(errno);
            bytes.clear();
            return false;
        }
        if (n == 0) {
            complete = true;
            break;
        }
        have += static_cast<std::size_t>(n);
    }
    bytes.resize(have);
    return true;
}

std::uint64_t HashBytes(std::string_view bytes) {
    // Eight bytes a step, each mixed in by a multiplication, then the tail
    // and the length: a few gigabytes a second, and enough to tell another
    // program's edit from ours.
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = 14695981039346656037ull;
    const char* p = bytes.data();
    std::size_t n = bytes.size();
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 29;
    }
    std::uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    h = (h ^ tail) * kMultiplier;
    h ^= h >> 29;
    // The length on its own, so that a shorter text cannot pass for a
    // longer one that ends in NUL bytes.
    h = (h ^ static_cast<std::uint64_t>(bytes.size())) * kMultiplier;
    return h ^ (h >> 32);
}

namespace {

bool StatFile(const std::string& path, FileStamp& stamp) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return false;
    }
    stamp.device = static_cast<std::uint64_t>(st.st_dev);
    stamp.inode = static_cast<std::uint64_t>(st.st_ino);
    stamp.size = static_cast<std::int64_t>(st.st_size);
    stamp.modifiedNs =
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return true;
}

} // namespace

FileStamp StampFile(const std::string& path, std::string_view bytes) {
    FileStamp stamp;
    if (StatFile(path, stamp)) {
        stamp.known = true;
        stamp.hash = HashBytes(bytes);
    }
    return stamp;
}

bool FileChangedSince(const std::string& path, const FileStamp& stamp) {
    if (!stamp.known) {
        return false;
    }
    FileStamp now;
    if (!StatFile(path, now)) {
        return false;
    }
    if (now.device == stamp.device && now.inode == stamp.inode && now.size == stamp.size &&
        now.modifiedNs == stamp.modifiedNs) {
        return false;
    }
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        // It cannot be compared; writing over it could lose what it holds.
        return true;
    }
    return HashBytes(bytes) != stamp.hash;
}

// --- A batch of replacements ----------------------------------------------

ReplacementBatch::~ReplacementBatch() {
    // What was never committed goes, and the files stay as they were.
    for (Entry& entry : staged_) {
        if (entry.fd >= 0) {
            ::close(entry.fd);
        }
        ::unlink(entry.temp.c_str());
    }
}

ReplacementBatch::Added ReplacementBatch::Add(const std::string& path, std::string_view bytes,
                                              const FileStamp& read, std::string& error) {
    SaveTarget target;
    if (!PrepareSave(path, target, error)) {
        return Added::Failed;
    }
    if (target.InPlace()) {
        // Written now, as every save in place is; the check comes before the
        // first byte changes.
        if (FileChangedSince(target.file.string(), read)) {
            error = doc_texts::kChangedSinceRead;
            return Added::Failed;
        }
        return WriteInPlace(target.file, bytes, target.folder, error) ? Added::Written
                                                                      : Added::Failed;
    }
    Entry entry;
    int err = 0;
    entry.fd = WriteTemporary(target, bytes, entry.temp, error, err);
    if (entry.fd < 0) {
        // A folder that takes no new files: the page is written in place
        // now, after the same check.
        if (target.exists && FolderTakesNoNewFiles(err) &&
            FileChangedSince(target.file.string(), read)) {
            error = doc_texts::kChangedSinceRead;
            return Added::Failed;
        }
        SaveReport report;
        if (SaveInPlaceInstead(target, bytes, err, error, &report)) {
            inPlaceFallbacks_.push_back(target.file.string());
            return Added::Written;
        }
        return Added::Failed;
    }
    entry.target = target.file.string();
    entry.folder = target.folder;
    entry.read = read;
    staged_.push_back(std::move(entry));
    stagedBytes_ += bytes.size();
    return Added::Staged;
}

void ReplacementBatch::Fail(Entry& entry, const std::string& error) {
    entry.failed = true;
    entry.outcome.error = error;
}

void ReplacementBatch::Flush() {
    // Writeback of every file is started first, so that the disk works on
    // all of them at once; then each is waited for, by which time most of
    // its writing is done (and on a journalled file system the first fsync's
    // commit carries the others' new blocks too). fsync rather than
    // fdatasync, so that the permission bits and owner given to the file
    // last as well; the two measured the same. syncfs was about a tenth
    // faster on a quiet machine, but it also waits for every other
    // program's unwritten data on the file system (with 1 GB of it, a batch
    // took 1.07 s instead of 0.41 s), and it reports write errors only on
    // Linux 5.8 and later, and then not per file.
    for (Entry& entry : staged_) {
        // Only a hint: where it is not supported, the fsync does it all.
        (void)::sync_file_range(entry.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    for (Entry& entry : staged_) {
        if (::fsync(entry.fd) != 0) {
            Fail(entry, Describe(errno));
        }
    }
}

std::vector<ReplacementBatch::Outcome> ReplacementBatch::Commit() {
    // 1. Every new content on disk before any file is replaced, so that a
    // crash during the renames finds each file old or new, complete.
    Flush();
    for (Entry& entry : staged_) {
        const int fd = entry.fd;
        entry.fd = -1;
        if (::close(fd) != 0 && !entry.failed) {
            Fail(entry, Describe(errno));
        }
    }
    // 2. The renames, each after a last look at the file it replaces.
    std::map<std::string, std::vector<Entry*>> folders;
    for (Entry& entry : staged_) {
        if (entry.failed) {
            continue;
        }
        if (FileChangedSince(entry.target, entry.read)) {
            Fail(entry, std::string(doc_texts::kChangedSinceRead));
        } else if (::rename(entry.temp.c_str(), entry.target.c_str()) != 0) {
            Fail(entry, Describe(errno));
        } else {
            entry.renamed = true;
            folders[entry.folder].push_back(&entry);
        }
    }
    // 3. Each folder once, so that the renames last.
    for (auto& [folder, entries] : folders) {
        if (const int err = SyncFolder(folder); err != 0) {
            for (Entry* entry : entries) {
                Fail(*entry, std::string(doc_texts::kFolderNotSynced) + Describe(err));
            }
        }
    }
    std::vector<Outcome> outcomes;
    outcomes.reserve(staged_.size());
    for (Entry& entry : staged_) {
        if (!entry.renamed) {
            ::unlink(entry.temp.c_str());
        }
        entry.outcome.saved = !entry.failed;
        outcomes.push_back(std::move(entry.outcome));
    }
    staged_.clear();
    stagedBytes_ = 0;
    return outcomes;
}

} // namespace orlen
