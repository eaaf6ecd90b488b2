// Which files of a project folder are pages, and in what order the file
// browser and the command-line tool list them.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orlen {

inline constexpr std::string_view kDefaultFileTypes = "*.htm;*.html;*.php;*.asp;*.aspx;*.mtpl";

// True when "*." + extension is one of the ";"-separated entries of the
// file-type list (compared case-sensitively; the last entry counts whether or
// not a ";" follows it).
bool FileTypesHave(std::string_view fileTypes, std::string_view extension);

// True when a file of this name is listed under the file-type list: always
// when the list is empty or the name has no "."; otherwise when "*." and the
// text after the last "." is one of the list's ";"-separated entries
// (compared case-sensitively).
bool IsListedFile(std::string_view fileName, std::string_view fileTypes);

// Orders names as the file browser does: without regard to (ASCII) case,
// names that compare equal keeping their order.
void SortNamesNoCase(std::vector<std::string>& names);

struct DirectoryListing {
    std::vector<std::string> directories; // names, sorted
    std::vector<std::string> files;       // names of listed files, sorted
    bool readable = true;                 // false when the folder could not be read
};

// One level of a folder: its subfolders ("." and ".." left out) and the
// files the file-type list lets through, each group sorted. A symbolic link
// lists as what it leads to. A folder that cannot be read lists as empty.
DirectoryListing ListDirectory(const std::string& directory, std::string_view fileTypes);

// Walks a folder as the file browser shows it with every folder expanded:
// at each level the subfolders first (each followed by its own contents),
// then the files. Calls onFile with the path below the root (for example
// "sub/a.html") and onUnreadable with any folder that could not be read.
// The walk stays inside the tree, as find does: root itself may be a
// symbolic link to a folder, but links to folders met below it are not
// followed, and a link to a file counts as a file only when the file it
// leads to lies inside root (a link that leads nowhere is passed on, so that
// opening it says what is wrong). Each folder is visited once; a file that
// has several names inside the tree is passed on under each of them.
void WalkListedFiles(const std::string& root, std::string_view fileTypes,
                     const std::function<void(const std::string& relativePath)>& onFile,
                     const std::function<void(const std::string& relativePath)>& onUnreadable);

} // namespace orlen
