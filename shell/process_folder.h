// Folders that belong to one running copy of the program: the preview's
// scratch folder in the temporary folder, the recovery copies in the
// user's data folder.
//
// Such a folder is named <prefix><pid>-XXXXXX and holds a lock (flock) on
// itself for as long as its process runs. A folder whose lock is free and
// whose process no longer runs was left behind by a copy that ended
// without tidying up (killed, crashed); another copy may then take it over
// or remove it. Requiring both keeps folders of a running copy safe when the
// number is reused by another process, and when the copy runs in another
// process namespace (where its number means nothing here): its lock still
// shows.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace orlen {

class ProcessFolder {
public:
    // Makes a new folder under parent and locks it. Nothing and error set
    // when that fails.
    static std::unique_ptr<ProcessFolder> Create(const std::string& parent,
                                                 const std::string& prefix, std::string& error);
    // Takes over a folder left behind (see OrphanedProcessFolders): locks it
    // for this process. Nothing when it is not one, or another copy took it
    // first.
    static std::unique_ptr<ProcessFolder> TakeOver(const std::string& path,
                                                   const std::string& prefix);
    // Removes the folder with the files in it, unless Keep was called.
    ~ProcessFolder();
    ProcessFolder(const ProcessFolder&) = delete;
    ProcessFolder& operator=(const ProcessFolder&) = delete;

    const std::string& Path() const { return path_; }
    // The path of a file directly in the folder.
    std::string FilePath(const std::string& name) const;
    // Leaves the folder and its files behind when this goes (its lock goes
    // with the process).
    void Keep() { keep_ = true; }

private:
    ProcessFolder(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
    std::string path_;
    int fd_ = -1;
    bool keep_ = false;
};

// The folders under parent named <prefix><pid>-XXXXXX that are real folders
// (not links) of this user, whose lock is free and whose process no longer
// runs. Sorted by name.
std::vector<std::string> OrphanedProcessFolders(const std::string& parent,
                                                const std::string& prefix);

// The process number in a folder name of that form; 0 when the name is not
// of that form.
long ProcessOfFolderName(const std::string& name, const std::string& prefix);

// Removes each orphaned folder under parent with the regular files directly
// in it; a folder holding anything else (a subfolder, a link) is left. Takes
// each one's lock first, so that two copies starting at once never both
// work on one. Returns how many were removed.
int RemoveOrphanedProcessFolders(const std::string& parent, const std::string& prefix);

} // namespace orlen
