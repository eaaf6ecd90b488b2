#include "shell/process_folder.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlen {

namespace {

constexpr std::size_t kRandomPart = 6; // the XXXXXX mkdtemp fills in

bool IsAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Opens a folder (never through a link) and takes its lock without waiting;
// -1 when it cannot be opened or another process holds the lock.
int OpenAndLock(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Whether the process may still run: only "no such process" says it does
// not (a process of another user answers EPERM).
bool ProcessRuns(long pid) {
    if (pid == static_cast<long>(::getpid())) {
        return true;
    }
    return !(::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

// A folder of this user, not a link, named as a process folder of a
// process that no longer runs. The lock is looked at separately.
bool LooksOrphaned(const std::string& parent, const std::string& name, const std::string& prefix) {
    const long pid = ProcessOfFolderName(name, prefix);
    if (pid <= 0) {
        return false;
    }
    struct stat st {};
    const std::string path = parent + "/" + name;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) {
        return false;
    }
    return !ProcessRuns(pid);
}

// Removes the regular files directly in a folder, then the folder; leaves
// it when it holds anything else. fd is the open folder.
bool RemoveFolderAndFiles(const std::string& path, int fd) {
    const int listing = ::dup(fd);
    if (listing < 0) {
        return false;
    }
    DIR* dir = ::fdopendir(listing);
    if (dir == nullptr) {
        ::close(listing);
        return false;
    }
    ::rewinddir(dir);
    bool onlyFiles = true;
    while (const dirent* entry = ::readdir(dir)) {
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) {
            continue;
        }
        struct stat st {};
        if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
            ::unlinkat(fd, name, 0) != 0) {
            onlyFiles = false;
        }
    }
    ::closedir(dir);
    return onlyFiles && ::rmdir(path.c_str()) == 0;
}

} // namespace

long ProcessOfFolderName(const std::string& name, const std::string& prefix) {
    if (name.size() <= prefix.size() + kRandomPart + 1 || name.compare(0, prefix.size(), prefix)) {
        return 0;
    }
    const std::size_t digitsEnd = name.size() - kRandomPart - 1;
    if (name[digitsEnd] != '-' ||
        !std::all_of(name.begin() + static_cast<long>(digitsEnd) + 1, name.end(), IsAlnum)) {
        return 0;
    }
    const std::string digits = name.substr(prefix.size(), digitsEnd - prefix.size());
    if (digits.empty() || digits.size() > 9 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return 0;
    }
    return std::stol(digits);
}

std::unique_ptr<ProcessFolder>
ProcessFolder::Create(const std::string& parent, const std::string& prefix, std::string& error) {
    std::string pattern =
        parent + "/" + prefix + std::to_string(::getpid()) + "-" + std::string(kRandomPart, 'X');
    if (::mkdtemp(pattern.data()) == nullptr) {
        error = std::strerror(errno);
        return nullptr;
    }
    const int fd = OpenAndLock(pattern);
    if (fd < 0) {
        error = std::strerror(errno);
        ::rmdir(pattern.c_str());
        return nullptr;
    }
    return std::unique_ptr<ProcessFolder>(new ProcessFolder(pattern, fd));
}

std::unique_ptr<ProcessFolder> ProcessFolder::TakeOver(const std::string& path,
                                                       const std::string& prefix) {
    const std::size_t slash = path.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (!LooksOrphaned(parent, name, prefix)) {
        return nullptr;
    }
    const int fd = OpenAndLock(path);
    if (fd < 0) {
        return nullptr;
    }
    return std::unique_ptr<ProcessFolder>(new ProcessFolder(path, fd));
}

ProcessFolder::~ProcessFolder() {
    if (!keep_) {
        RemoveFolderAndFiles(path_, fd_);
    }
    ::close(fd_); // the lock goes with it
}

std::string ProcessFolder::FilePath(const std::string& name) const {
    return path_ + "/" + name;
}

std::vector<std::string> OrphanedProcessFolders(const std::string& parent,
                                                const std::string& prefix) {
    std::vector<std::string> found;
    DIR* dir = ::opendir(parent.c_str());
    if (dir == nullptr) {
        return found;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!LooksOrphaned(parent, name, prefix)) {
            continue;
        }
        const std::string path = parent + "/" + name;
        const int fd = OpenAndLock(path);
        if (fd >= 0) {
            ::close(fd);
            found.push_back(path);
        }
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

int RemoveOrphanedProcessFolders(const std::string& parent, const std::string& prefix) {
    int removed = 0;
    for (const std::string& path : OrphanedProcessFolders(parent, prefix)) {
        if (std::unique_ptr<ProcessFolder> folder = ProcessFolder::TakeOver(path, prefix)) {
            const std::string gone = folder->Path();
            folder.reset();
            struct stat st {};
            if (::lstat(gone.c_str(), &st) != 0) {
                ++removed;
            }
        }
    }
    return removed;
}

} // namespace orlen
