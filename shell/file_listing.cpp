#include "shell/file_listing.h"

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

DirectoryListing ListDirectory(const std::string& directory, std::string_view fileTypes) {
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
        if (it->is_directory(typeError)) {
            listing.directories.push_back(std::move(name));
        } else if (IsListedFile(name, fileTypes)) {
            listing.files.push_back(std::move(name));
        }
    }
    SortNamesNoCase(listing.directories);
    SortNamesNoCase(listing.files);
    return listing;
}

namespace {

struct Walker {
    std::string_view fileTypes;
    const std::function<void(const std::string&)>& onFile;
    const std::function<void(const std::string&)>& onUnreadable;
    std::set<std::pair<dev_t, ino_t>> visited;

    void Walk(const fs::path& directory, const std::string& relative) {
        struct stat st {};
        if (::stat(directory.c_str(), &st) == 0 && !visited.insert({st.st_dev, st.st_ino}).second) {
            return; // reached again through a link
        }
        DirectoryListing listing = ListDirectory(directory.string(), fileTypes);
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
    Walker walker{fileTypes, onFile, onUnreadable, {}};
    walker.Walk(root, "");
}

} // namespace orlen
