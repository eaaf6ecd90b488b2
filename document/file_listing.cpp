#include "document/file_listing.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <sys/stat.h>
#include <utility>

namespace orlen {

namespace fs = std::filesystem;

bool FileTypesHave(std::string_view fileTypes, std::string_view extension) {
    while (!fileTypes.empty()) {
        std::size_t semicolon = fileTypes.find(';');
        std::string_view entry = fileTypes.substr(0, semicolon);
        if (entry.size() == extension.size() + 2 && entry.substr(0, 2) == "*." &&
            entry.substr(2) == extension) {
            return true;
        }
        if (semicolon == std::string_view::npos) {
            break;
        }
        fileTypes.remove_prefix(semicolon + 1);
    }
    return false;
}

bool IsListedFile(std::string_view fileName, std::string_view fileTypes) {
    if (fileTypes.empty()) {
        return true;
    }
    std::size_t dot = fileName.rfind('.');
    if (dot == std::string_view::npos) {
        return true;
    }
    return FileTypesHave(fileTypes, fileName.substr(dot + 1));
}

namespace {

unsigned char FoldCase(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

bool LessNoCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return FoldCase(x) < FoldCase(y); });
}

} // namespace

void SortNamesNoCase(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), LessNoCase);
}

namespace {

// One level of a folder. keepLink(entry, isDirectory) decides for each
// symbolic link whether it is listed; every other entry is.
template <typename KeepLink>
DirectoryListing ListEntries(const fs::path& directory, std::string_view fileTypes,
                             const KeepLink& keepLink) {
    DirectoryListing listing;
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec) {
        listing.readable = false;
        return listing;
    }
    for (const fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) {
            listing.readable = false;
            break;
        }
        std::string name = it->path().filename().string();
        std::error_code typeError;
        // The entry's own type comes with the listing; only links cost a
        // look at what they lead to.
        const bool link = it->is_symlink(typeError);
        if (it->is_directory(typeError)) {
            if (!link || keepLink(*it, true)) {
                listing.directories.push_back(std::move(name));
            }
        } else if (IsListedFile(name, fileTypes) && (!link || keepLink(*it, false))) {
            listing.files.push_back(std::move(name));
        }
    }
    SortNamesNoCase(listing.directories);
    SortNamesNoCase(listing.files);
    return listing;
}

// True when path lies below folder; both are canonical.
bool IsBelow(const std::string& path, const std::string& folder) {
    if (folder == "/") {
        return path.size() > 1 && path[0] == '/';
    }
    return path.size() > folder.size() && path[folder.size()] == '/' &&
           path.compare(0, folder.size(), folder) == 0;
}

} // namespace

DirectoryListing ListDirectory(const std::string& directory, std::string_view fileTypes) {
    return ListEntries(directory, fileTypes, [](const fs::directory_entry&, bool) { return true; });
}

namespace {

struct Walker {
    std::string_view fileTypes;
    const std::function<void(const std::string&)>& onFile;
    const std::function<void(const std::string&)>& onUnreadable;
    std::string canonicalRoot; // "" when root cannot be resolved
    std::set<std::pair<dev_t, ino_t>> visited;

    // A symbolic link to a file is taken when its file lies inside the
    // tree, or when it leads nowhere (a loop, a missing file): opening it
    // then reports why.
    bool LinkStaysInside(const fs::path& link) const {
        std::error_code ec;
        const fs::path resolved = fs::canonical(link, ec);
        return ec || canonicalRoot.empty() || IsBelow(resolved.string(), canonicalRoot);
    }

    void Walk(const fs::path& directory, const std::string& relative) {
        struct stat st {};
        if (::stat(directory.c_str(), &st) == 0 && !visited.insert({st.st_dev, st.st_ino}).second) {
            return; // reached again, through a bind mount for example
        }
        // Links to folders are not followed; links to files count when
        // they stay inside.
        DirectoryListing listing =
            ListEntries(directory, fileTypes, [this](const fs::directory_entry& e, bool isDir) {
                return !isDir && LinkStaysInside(e.path());
            });
        if (!listing.readable && onUnreadable) {
            onUnreadable(relative);
        }
        for (const std::string& name : listing.directories) {
            Walk(directory / name, relative.empty() ? name : relative + "/" + name);
        }
        for (const std::string& name : listing.files) {
            onFile(relative.empty() ? name : relative + "/" + name);
        }
    }
};

} // namespace

void WalkListedFiles(const std::string& root, std::string_view fileTypes,
                     const std::function<void(const std::string&)>& onFile,
                     const std::function<void(const std::string&)>& onUnreadable) {
    std::error_code ec;
    const fs::path canonicalRoot = fs::canonical(root, ec);
    Walker walker{fileTypes, onFile, onUnreadable, ec ? std::string() : canonicalRoot.string(), {}};
    walker.Walk(root, "");
}

} // namespace orlen
