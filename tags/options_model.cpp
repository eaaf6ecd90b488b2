#include "tags/options_model.h"

#include "document/file_listing.h"
#include "page/text_util.h"

namespace orlen {

namespace {

DisplayModeRadios RadiosFor(int mode) {
    DisplayModeRadios r;
    if (mode >= AlwaysDisplay && mode <= NeverDisplay) {
        r.checked = mode;
    }
    return r;
}

} // namespace

// --- Standard tags -----------------------------------------------------------

StandardTagsModel::StandardTagsModel(const TagCatalogue& catalogue) {
    for (int i = 0; i < StandardTagCount; ++i) {
        names_.push_back(catalogue.at(i).definition.name);
        modes_.push_back(catalogue.at(i).displayMode);
    }
}

std::vector<std::string> StandardTagsModel::Names() const {
    return names_;
}

DisplayModeRadios StandardTagsModel::Radios() const {
    if (selection < 0 || selection >= StandardTagCount) {
        return {};
    }
    return RadiosFor(modes_[static_cast<std::size_t>(selection)]);
}

void StandardTagsModel::SetMode(int mode) {
    if (selection < 0 || selection >= StandardTagCount) {
        return;
    }
    modes_[static_cast<std::size_t>(selection)] = mode;
    modified = true;
}

void StandardTagsModel::Apply(TagCatalogue& catalogue) const {
    for (int i = 0; i < StandardTagCount; ++i) {
        catalogue.at(i).displayMode = modes_[static_cast<std::size_t>(i)];
    }
}

// --- User-defined tags -------------------------------------------------------

CustomTagsModel::CustomTagsModel(const TagCatalogue& catalogue) {
    for (int i = StandardTagCount; i < catalogue.count(); ++i) {
        rows_.push_back(std::make_unique<TagRow>(catalogue.at(i)));
    }
    selection = rows_.empty() ? -1 : 0;
}

std::vector<std::string> CustomTagsModel::Names() const {
    std::vector<std::string> names;
    for (const auto& row : rows_) {
        names.push_back(row->definition.name);
    }
    return names;
}

DisplayModeRadios CustomTagsModel::Radios() const {
    if (selection < 0) {
        DisplayModeRadios none;
        none.enabled = false;
        return none;
    }
    return RadiosFor(at(selection).displayMode);
}

void CustomTagsModel::SetMode(int mode) {
    if (selection < 0) {
        return;
    }
    TagRow& row = *rows_[static_cast<std::size_t>(selection)];
    row.displayMode = mode;
    if (mode == AlwaysDisplay || mode == NeverDisplay) {
        row.origin = UserDefined;
    }
    modified = true;
}

TagDefinition CustomTagsModel::Defined(const std::string& name, int httpEquiv, int multiLine) {
    TagDefinition d;
    d.name = name;
    d.httpEquiv = httpEquiv;
    d.multiLine = multiLine;
    return d;
}

void CustomTagsModel::Add(const std::string& name, int httpEquiv, int multiLine) {
    auto row = std::make_unique<TagRow>();
    row->setDefinition(Defined(name, httpEquiv, multiLine));
    row->origin = UserDefined;
    row->displayMode = AlwaysDisplay;
    rows_.push_back(std::move(row));
    selection = count() - 1;
    modified = true;
}

void CustomTagsModel::Edit(const std::string& name, int httpEquiv, int multiLine) {
    if (selection < 0) {
        return;
    }
    rows_[static_cast<std::size_t>(selection)]->setDefinition(Defined(name, httpEquiv, multiLine));
    modified = true;
}

void CustomTagsModel::Remove() {
    if (selection < 0) {
        return;
    }
    rows_.erase(rows_.begin() + selection);
    if (selection >= count()) {
        selection = count() - 1;
    }
    modified = true;
}

void CustomTagsModel::Apply(TagCatalogue& catalogue) const {
    for (int i = catalogue.count() - 1; i >= StandardTagCount; --i) {
        catalogue.removeAt(i);
    }
    for (const auto& row : rows_) {
        catalogue.add(std::make_unique<TagRow>(*row));
    }
}

// --- File types --------------------------------------------------------------

std::vector<std::string> FileTypesModel::Extensions() const {
    // Each entry is "*." + extension; entries are separated by ";".
    std::vector<std::string> list;
    std::size_t pos = 2;
    while (pos < types_.size()) {
        std::size_t semicolon = types_.find(';', pos);
        list.push_back(types_.substr(pos, semicolon == std::string::npos ? std::string::npos
                                                                         : semicolon - pos));
        if (semicolon == std::string::npos) {
            break;
        }
        pos = semicolon + 3;
    }
    SortNamesNoCase(list);
    return list;
}

bool FileTypesModel::Contains(const std::string& extension) const {
    return FileTypesHave(types_, extension);
}

std::string FileTypesModel::ExtensionOf(const std::string& text) {
    // ".shtml", "*.shtml" and "shtml" all name the same files.
    std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '*') {
        t.remove_prefix(1);
    }
    if (!t.empty() && t.front() == '.') {
        t.remove_prefix(1);
    }
    return std::string(Trim(t));
}

FileTypeButtons FileTypesModel::Buttons(const std::string& text, bool hasSelection) const {
    const std::string t = ExtensionOf(text);
    FileTypeButtons b;
    b.add = !t.empty() && !Contains(t);
    b.replace = b.add && hasSelection;
    b.remove = hasSelection;
    return b;
}

void FileTypesModel::Add(const std::string& text) {
    if (!Buttons(text, false).add) {
        return;
    }
    if (!types_.empty() && types_.back() != ';') {
        types_ += ';';
    }
    types_ += "*." + ExtensionOf(text) + ";";
    modified = true;
}

void FileTypesModel::Remove(int index) {
    std::vector<std::string> list = Extensions();
    if (index < 0 || index >= static_cast<int>(list.size())) {
        return;
    }
    list.erase(list.begin() + index);
    types_.clear();
    for (const std::string& extension : list) {
        types_ += "*." + extension + ";";
    }
    modified = true;
}

void FileTypesModel::Replace(int index, const std::string& text) {
    if (!Buttons(text, true).replace) {
        return;
    }
    Remove(index);
    Add(text);
}

} // namespace orlen
