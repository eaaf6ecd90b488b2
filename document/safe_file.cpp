#include "document/safe_file.h"

#include "page/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace orlen {

namespace {

std::string Describe(int err) {
    return std::strerror(err);
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

void SyncFolder(const std::string& folder) {
    Fd dirFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dirFd.get() >= 0) {
        ::fsync(dirFd.get());
    }
}

// The batch that folder syncs are left to, if any.
DeferredFolderSync* innermostBatch = nullptr;

} // namespace

bool WriteFileSafely(const std::string& path, std::string_view bytes, std::string& error) {
    namespace fs = std::filesystem;
    error.clear();
    std::error_code ec;

    // Replace the file a symbolic link points to, not the link.
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (ec) {
            error = ec.message();
            return false;
        }
        target = resolved;
    }

    struct stat st {};
    bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        error = "Not a regular file";
        return false;
    }
    // A read-only page stays as it is: renaming over it would succeed, but
    // the user (or whoever took the write bits away) asked for it to be kept.
    if (exists && ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        error = "The file is read-only";
        return false;
    }
    mode_t mode;
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    fs::path dir = target.parent_path();
    // A hidden name beside the target, so the rename stays on one file system.
    std::string tempName = ".";
    tempName += target.filename().string();
    tempName += ".orlen-XXXXXX";
    std::string pattern = ((dir.empty() ? fs::path(".") : dir) / tempName).string();
    Fd fd(::mkstemp(pattern.data()));
    if (fd.get() < 0) {
        error = Describe(errno);
        return false;
    }
    const std::string temp = pattern;
    auto fail = [&](int err) {
        error = Describe(err);
        ::unlink(temp.c_str());
        return false;
    };
    if (!WriteAll(fd.get(), bytes)) {
        return fail(errno);
    }
    if (::fchmod(fd.get(), mode) != 0) {
        return fail(errno);
    }
    if (exists) {
        // Keep the owner where we may (root, or the same user); a failure
        // here is not a reason to refuse the save.
        (void)!::fchown(fd.get(), st.st_uid, st.st_gid);
    }
    if (::fsync(fd.get()) != 0) {
        return fail(errno);
    }
    if (::close(fd.release()) != 0) {
        return fail(errno);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        return fail(errno);
    }
    // Make the rename itself durable, now or at the end of a batch.
    const std::string folder = (dir.empty() ? fs::path(".") : dir).string();
    if (!DeferredFolderSync::Defer(folder)) {
        SyncFolder(folder);
    }
    return true;
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
        error = "Not a regular file";
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
    bytes.reserve(CapacityForLines(want));
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

namespace {

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

} // namespace orlen
