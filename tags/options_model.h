// What the three pages of the Options sheet do, without their controls:
// display modes of the standard tags, the user's own tags, and the file types
// the file browser shows. Each page works on its own copy until Apply.
#pragma once

#include "tags/tag_catalogue.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlen {

// The radio buttons of a display mode, as the tag pages show them.
struct DisplayModeRadios {
    bool enabled = true;
    std::optional<int> checked; // the mode whose radio is checked, if any
};

class StandardTagsModel {
public:
    explicit StandardTagsModel(const TagCatalogue& catalogue);
    std::vector<std::string> Names() const;
    int selection = 0;
    void Select(int index) { selection = index; }
    DisplayModeRadios Radios() const;
    // A radio was clicked: the selected tag's working mode changes.
    void SetMode(int mode);
    void Apply(TagCatalogue& catalogue) const;
    bool modified = false;

private:
    std::vector<std::string> names_;
    std::vector<int> modes_;
};

class CustomTagsModel {
public:
    // Copies every catalogue entry from the first after the standard tags.
    explicit CustomTagsModel(const TagCatalogue& catalogue);

    int count() const { return static_cast<int>(rows_.size()); }
    const TagRow& at(int index) const { return *rows_[static_cast<std::size_t>(index)]; }
    std::vector<std::string> Names() const;
    int selection = -1;
    void Select(int index) { selection = index; }

    DisplayModeRadios Radios() const;
    bool CanEdit() const { return selection >= 0; }
    bool CanRemove() const { return selection >= 0; }

    // "Always display" and "Never display" make the tag one of the user's own;
    // "Display if content exists" keeps its origin.
    void SetMode(int mode);
    // A new user-defined tag shown always; it becomes the selection.
    void Add(const std::string& name, int httpEquiv, int multiLine);
    // The selected tag gets a new definition; mode and origin stay.
    void Edit(const std::string& name, int httpEquiv, int multiLine);
    // Removes the selected tag; the selection stays in place or moves to the
    // new last tag.
    void Remove();
    // Replaces every catalogue entry after the standard tags with copies of
    // the working list.
    void Apply(TagCatalogue& catalogue) const;
    bool modified = false;

private:
    static TagDefinition Defined(const std::string& name, int httpEquiv, int multiLine);
    std::vector<std::unique_ptr<TagRow>> rows_;
};

struct FileTypeButtons {
    bool add = false;
    bool replace = false;
    bool remove = false;
};

class FileTypesModel {
public:
    explicit FileTypesModel(std::string fileTypes) : types_(std::move(fileTypes)) {}

    const std::string& Types() const { return types_; }
    // The extensions of the working string, sorted as the list shows them.
    std::vector<std::string> Extensions() const;
    // Whether the extension is one of the working string's entries.
    bool Contains(const std::string& extension) const;
    // The extension a typed text names: white space, a leading "*" and a
    // leading "." taken off.
    static std::string ExtensionOf(const std::string& text);
    // The buttons' states for the edit box text and the list selection.
    FileTypeButtons Buttons(const std::string& text, bool hasSelection) const;
    // Appends "*." + trimmed text; does nothing when Add is not allowed.
    void Add(const std::string& text);
    // Removes the extension at index of the sorted list and rebuilds the
    // string from the list.
    void Remove(int index);
    void Replace(int index, const std::string& text);
    void Apply(std::string& appFileTypes) const { appFileTypes = types_; }
    bool modified = false;

private:
    std::string types_;
};

} // namespace orlen
