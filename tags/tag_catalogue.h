// The tags the editing view shows: the title and twelve standard meta tags,
// the user's own tags from the settings, then the further meta tags of the
// loaded page. For each: how it is edited, when it is shown, where it comes
// from and its current value.
#pragma once

#include "page/meta_data.h"
#include "shell/settings_store.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orlen {

// A one-line note for a tag that today's search engines or browsers ignore
// (keywords; PICS-Label, Window-target and the meta forms of Cache-Control,
// Expires and Pragma, which browsers take only from HTTP headers); empty for
// any other. Nothing is hidden or removed for it: the note is for the row's
// tooltip and status prompt, and for the site checks.
std::string_view ObsoleteTagNote(std::string_view name, int httpEquiv);

enum DisplayMode : int {
    AlwaysDisplay = 0,
    DisplayIfContent = 1,
    NeverDisplay = 2,
};

enum TagOrigin : int {
    Standard = 1,
    UserDefined = 2,
    PageOnly = 3,
};

// The editor a row's button opens.
enum class TagEditor {
    None,
    DescriptionSuggestion,
    KeywordSuggestion,
    RobotsEditor,
    CacheControlEditor,
    ExpiresEditor,
    RefreshEditor,
};

struct TagDefinition {
    std::string name;
    int httpEquiv = 0;
    std::string buttonCaption; // "" for no button
    int editable = 1;
    int multiLine = 0;
    int frameTargetChoice = 0;

    bool operator==(const TagDefinition&) const = default;
};

// Where a row's value lives while the row has controls.
class RowValueSource {
public:
    virtual ~RowValueSource() = default;
    virtual std::string RowText() const = 0;
};

class TagRow {
public:
    TagRow();
    // A copy takes definition, display mode, origin, the current value, the
    // id base and the layout position, but no controls.
    TagRow(const TagRow& other);
    TagRow& operator=(const TagRow&) = delete;

    void setDefinition(const TagDefinition& d) { definition = d; }
    // The value: from the controls when they exist, else the stored one.
    std::string CurrentValue() const { return controls != nullptr ? controls->RowText() : value; }

    TagDefinition definition;
    int displayMode = DisplayIfContent;
    int origin = Standard;
    std::string value;
    bool visible = true;
    int idBase = 0;    // control identifier of the value box
    int layoutTop = 0; // vertical position in the view
    const RowValueSource* controls = nullptr;
};

struct OfferedAction {
    std::string_view text;
    int action;
};

// The title, twelve classic meta tags, thirteen Open Graph and Twitter card
// tags, the canonical link and the page's language.
inline constexpr int StandardTagCount = 28;
inline constexpr std::string_view kIdleStatusText = "For Help, press F1";
inline constexpr std::string_view kFrameTargets[] = {"_blank", "_parent", "_self", "_top"};

class TagCatalogue {
public:
    // Builds the 13 standard entries. settings and fileTypes (the
    // application-wide file-type string) must outlive the catalogue.
    TagCatalogue(SettingsStore& settings, std::string& fileTypes);
    TagCatalogue(const TagCatalogue&) = delete;
    TagCatalogue& operator=(const TagCatalogue&) = delete;

    void loadSettings();
    void saveSettings();

    int count() const { return static_cast<int>(rows_.size()); }
    TagRow& at(int index) { return *rows_[static_cast<std::size_t>(index)]; }
    const TagRow& at(int index) const { return *rows_[static_cast<std::size_t>(index)]; }

    // Index of the first entry from 1 on whose name equals name ignoring
    // case, of the same kind (httpEquiv: name and http-equiv tags are one
    // kind; property, link and language each their own); -1 when none (the
    // title is never matched).
    int findByName(std::string_view name, int httpEquiv = kMetaName) const;
    int add(std::unique_ptr<TagRow> row);
    void removePageOnly();
    void removeAt(int index);
    // Appends a page-only entry for a meta tag met in a page.
    int addPageOnly(std::string_view name, int httpEquiv);

    static bool isShown(const TagRow& row, bool showAllFields);
    static std::vector<OfferedAction> offeredActions(const TagRow& row);
    static std::string_view statusText(int index);
    static TagEditor editorOf(int index);
    // The caption of the group a standard entry belongs to ("Social",
    // "Links"); "" for the classic tags and any other entry.
    static std::string_view groupOf(int index);
    // The standard entry's definition and initial display mode.
    static TagDefinition standardDefinition(int index);
    static int standardDisplayMode(int index);

    // "Write CR LF line ends": pages read make every line end CR LF instead
    // of keeping their own. Kept in the settings with the file types.
    bool writeCrLf = false;

    // The most user-defined tags read from the settings; a damaged count
    // cannot make start-up build millions of rows.
    static constexpr int kMaxUserDefinedTags = 1000;

private:
    SettingsStore& settings_;
    std::string& fileTypes_;
    std::vector<std::unique_ptr<TagRow>> rows_;
    void IndexRow(int index) const;
    static std::string NameKey(std::string_view name, int httpEquiv);
    mutable std::unordered_map<std::string, int> nameIndex_;
    mutable bool nameIndexValid_ = false;
};

} // namespace orlen
