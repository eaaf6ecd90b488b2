#include "tags/tag_catalogue.h"
#include "page/text_util.h"

#include "document/file_listing.h"
#include "document/template_action.h"

#include <algorithm>
#include <array>

namespace orlen {

namespace {

// Settings names of the catalogue.
constexpr std::string_view kSection = "User";
constexpr std::string_view kFileTypes = "FileTypes";
constexpr std::string_view kWriteCrLf = "CRLF";
constexpr std::string_view kCount = "IBC";
// "IBC" counts the user-defined tags on top of the thirteen standard tags
// there were when it was first stored; the rows added since leave it, and
// the stored numbers of user-defined tags, as they were.
constexpr int kStoredStandardCount = 13;

std::string StandardPrefix(int i) {
    return "FIB_" + std::to_string(i) + "_";
}
std::string UserPrefix(int k) {
    return "UIB_" + std::to_string(k) + "_";
}

struct StandardTag {
    std::string_view name;
    int httpEquiv;
    std::string_view button;
    TagEditor editor;
    int editable;
    int multiLine;
    int frameTarget;
    std::string_view status;
    int mode;
    std::string_view group = {};
};

constexpr std::string_view kSocialGroup = "Social";
constexpr std::string_view kLinksGroup = "Links";

constexpr std::array<StandardTag, StandardTagCount> kStandardTags = {{
    {"title", 0, "", TagEditor::None, 1, 0, 0,
     "The title of the web page (not actually a meta tag)", AlwaysDisplay},
    {"description", 0, "Suggest", TagEditor::DescriptionSuggestion, 1, 1, 0,
     "A short description of what the page contains", AlwaysDisplay},
    {"keywords", 0, "Suggest", TagEditor::KeywordSuggestion, 1, 1, 0,
     "Keywords that search engines can use to index the page", AlwaysDisplay},
    {"Author", 0, "", TagEditor::None, 1, 0, 0, "The name of the page author", AlwaysDisplay},
    {"owner", 0, "", TagEditor::None, 1, 0, 0, "The e-mail address of the page author/owner",
     DisplayIfContent},
    {"copyright", 0, "", TagEditor::None, 1, 0, 0, "A copyright message", AlwaysDisplay},
    {"PICS-label", 0, "", TagEditor::None, 1, 1, 0,
     "PICS ratings label (See help for more information)", DisplayIfContent},
    {"robots", 0, "Edit", TagEditor::RobotsEditor, 1, 0, 0,
     "Instructions for robot programs that create search databases", AlwaysDisplay},
    {"Cache-Control", 1, "Edit", TagEditor::CacheControlEditor, 0, 0, 0,
     "Instructions for controlling caching", DisplayIfContent},
    {"Expires", 1, "Edit", TagEditor::ExpiresEditor, 0, 0, 0, "An expiry date for the page",
     DisplayIfContent},
    {"Window-Target", 1, "", TagEditor::None, 1, 0, 1,
     "Force page to load in a particular frame (unreliable)", DisplayIfContent},
    {"generator", 0, "", TagEditor::None, 1, 0, 0, "The program used to generate the page",
     DisplayIfContent},
    {"Refresh", 1, "Edit", TagEditor::RefreshEditor, 0, 0, 0,
     "A refresh period (in seconds) and optional replacement page", DisplayIfContent},
    // Open Graph (property) and Twitter card (name) tags: what a link shows
    // when it is shared.
    {"og:title", kMetaProperty, "", TagEditor::None, 1, 0, 0,
     "The title of the card shown when the page is shared (Open Graph)", DisplayIfContent,
     kSocialGroup},
    {"og:description", kMetaProperty, "", TagEditor::None, 1, 1, 0,
     "The description on the card shown when the page is shared", DisplayIfContent, kSocialGroup},
    {"og:type", kMetaProperty, "", TagEditor::None, 1, 0, 0,
     "What the page is: website, article, product, profile...", DisplayIfContent, kSocialGroup},
    {"og:url", kMetaProperty, "", TagEditor::None, 1, 0, 0, "The address the shared card links to",
     DisplayIfContent, kSocialGroup},
    {"og:image", kMetaProperty, "", TagEditor::None, 1, 0, 0,
     "The image on the shared card: an address, or a file relative to the page", DisplayIfContent,
     kSocialGroup},
    {"og:image:alt", kMetaProperty, "", TagEditor::None, 1, 0, 0,
     "A text that says what the shared image shows", DisplayIfContent, kSocialGroup},
    {"og:site_name", kMetaProperty, "", TagEditor::None, 1, 0, 0,
     "The name of the whole site, shown on the shared card", DisplayIfContent, kSocialGroup},
    {"og:locale", kMetaProperty, "", TagEditor::None, 1, 0, 0,
     "The language and region of the page, such as en_GB", DisplayIfContent, kSocialGroup},
    {"twitter:card", kMetaName, "", TagEditor::None, 1, 0, 0,
     "The kind of card: summary or summary_large_image", DisplayIfContent, kSocialGroup},
    {"twitter:title", kMetaName, "", TagEditor::None, 1, 0, 0,
     "The title of the card on X (Twitter); og:title when absent", DisplayIfContent, kSocialGroup},
    {"twitter:description", kMetaName, "", TagEditor::None, 1, 1, 0,
     "The description of the card on X (Twitter); og:description when absent", DisplayIfContent,
     kSocialGroup},
    {"twitter:image", kMetaName, "", TagEditor::None, 1, 0, 0,
     "The image of the card on X (Twitter); og:image when absent", DisplayIfContent, kSocialGroup},
    {"twitter:site", kMetaName, "", TagEditor::None, 1, 0, 0,
     "The site's account on X (Twitter), such as @example", DisplayIfContent, kSocialGroup},
    // Links of the head and the page's language.
    {"canonical", kLinkItem, "", TagEditor::None, 1, 0, 0,
     "The preferred address of this page (a canonical link)", DisplayIfContent, kLinksGroup},
    {"lang", kHtmlLang, "", TagEditor::None, 1, 0, 0,
     "The language of the page, such as en or de-CH (the html tag's lang attribute)",
     DisplayIfContent, kLinksGroup},
}};

// Tags today's search engines or browsers ignore, with what the author
// should know. Matched without regard to case.
struct ObsoleteTag {
    std::string_view name;
    int httpEquiv; // -1: written either way
    std::string_view note;
};

constexpr std::array<ObsoleteTag, 6> kObsoleteTags = {{
    {"keywords", 0,
     "Google and Bing have ignored the keywords tag since 2009; only some smaller engines and "
     "site searches read it."},
    {"PICS-Label", -1, "PICS content labels were retired long ago; nothing reads this tag today."},
    {"Window-target", 1,
     "Browsers no longer honour Window-target; links choose their frame with a target "
     "attribute."},
    {"Cache-Control", 1,
     "Browsers take Cache-Control only from the server's HTTP headers; as a meta tag it does not "
     "change caching."},
    {"Expires", 1,
     "Browsers take Expires only from the server's HTTP headers; as a meta tag it does not "
     "change caching."},
    {"Pragma", 1,
     "Browsers take Pragma only from the server's HTTP headers; as a meta tag it does not change "
     "caching."},
}};

} // namespace

std::string_view ObsoleteTagNote(std::string_view name, int httpEquiv) {
    if (httpEquiv != kMetaName && httpEquiv != kMetaHttpEquiv) {
        return {}; // properties, links and the language are all current
    }
    for (const ObsoleteTag& tag : kObsoleteTags) {
        const bool kindMatches = tag.httpEquiv < 0 || (tag.httpEquiv != 0) == (httpEquiv != 0);
        if (kindMatches && AsciiLower(tag.name) == AsciiLower(name)) {
            return tag.note;
        }
    }
    return {};
}

TagRow::TagRow() {
    definition.name = "Unknown";
}

TagRow::TagRow(const TagRow& other)
    : definition(other.definition), displayMode(other.displayMode), origin(other.origin),
      value(other.CurrentValue()), visible(other.visible), idBase(other.idBase),
      layoutTop(other.layoutTop) {}

TagDefinition TagCatalogue::standardDefinition(int index) {
    const StandardTag& s = kStandardTags[static_cast<std::size_t>(index)];
    return TagDefinition{std::string(s.name), s.httpEquiv, std::string(s.button),
                         s.editable,          s.multiLine, s.frameTarget};
}

int TagCatalogue::standardDisplayMode(int index) {
    return kStandardTags[static_cast<std::size_t>(index)].mode;
}

TagCatalogue::TagCatalogue(SettingsStore& settings, std::string& fileTypes)
    : settings_(settings), fileTypes_(fileTypes) {
    for (int i = 0; i < StandardTagCount; ++i) {
        auto row = std::make_unique<TagRow>();
        row->setDefinition(standardDefinition(i));
        row->displayMode = standardDisplayMode(i);
        row->origin = Standard;
        rows_.push_back(std::move(row));
    }
}

void TagCatalogue::loadSettings() {
    fileTypes_ = settings_.GetSettingString(kSection, kFileTypes, kDefaultFileTypes);
    writeCrLf = settings_.GetSettingInt(kSection, kWriteCrLf, 0) != 0;
    const int stored = settings_.GetSettingInt(kSection, kCount, kStoredStandardCount);
    const int users = std::clamp(stored - kStoredStandardCount, 0, kMaxUserDefinedTags);
    const int total = StandardTagCount + users;
    for (int i = 0; i < StandardTagCount; ++i) {
        TagRow& row = at(i);
        row.displayMode =
            settings_.GetSettingInt(kSection, StandardPrefix(i) + "D", row.displayMode);
    }
    for (int i = StandardTagCount; i < total; ++i) {
        const int k = i - StandardTagCount;
        const std::string prefix = UserPrefix(k);
        auto row = std::make_unique<TagRow>();
        row->origin = UserDefined;
        row->displayMode = settings_.GetSettingInt(kSection, prefix + "D", DisplayIfContent);
        row->definition.name = settings_.GetSettingString(kSection, prefix + "N", "Error" + prefix);
        row->definition.httpEquiv = settings_.GetSettingInt(kSection, prefix + "H", 0);
        row->definition.multiLine = settings_.GetSettingInt(kSection, prefix + "L", 0);
        add(std::move(row));
    }
}

void TagCatalogue::saveSettings() {
    settings_.WriteSettingString(kSection, kFileTypes, fileTypes_);
    settings_.WriteSettingInt(kSection, kWriteCrLf, writeCrLf ? 1 : 0);
    for (int i = 0; i < StandardTagCount; ++i) {
        settings_.WriteSettingInt(kSection, StandardPrefix(i) + "D", at(i).displayMode);
    }
    int k = 0;
    for (int i = StandardTagCount; i < count(); ++i) {
        const TagRow& row = at(i);
        if (row.origin != UserDefined) {
            continue;
        }
        const std::string prefix = UserPrefix(k);
        settings_.WriteSettingInt(kSection, prefix + "D", row.displayMode);
        settings_.WriteSettingString(kSection, prefix + "N", row.definition.name);
        settings_.WriteSettingInt(kSection, prefix + "H", row.definition.httpEquiv);
        settings_.WriteSettingInt(kSection, prefix + "L", row.definition.multiLine);
        ++k;
    }
    settings_.WriteSettingInt(kSection, kCount, k + kStoredStandardCount);
}

// Names are looked up through an index from the lower-cased name to the first
// entry (from 1 on) that carries it, so loading a page with many tags of its
// own stays linear. Adding keeps the index; removing rebuilds it when next
// needed.
// A name's key in the index: its kind's class (name and http-equiv tags
// share one) and the lower-cased name.
std::string TagCatalogue::NameKey(std::string_view name, int httpEquiv) {
    const char kind = httpEquiv == kMetaHttpEquiv ? static_cast<char>('0' + kMetaName)
                                                  : static_cast<char>('0' + httpEquiv);
    return kind + AsciiLower(name);
}

void TagCatalogue::IndexRow(int index) const {
    if (index >= 1) {
        const TagDefinition& d = rows_[static_cast<std::size_t>(index)]->definition;
        nameIndex_.emplace(NameKey(d.name, d.httpEquiv), index);
    }
}

int TagCatalogue::findByName(std::string_view name, int httpEquiv) const {
    if (!nameIndexValid_) {
        nameIndex_.clear();
        for (int i = 1; i < count(); ++i) {
            IndexRow(i);
        }
        nameIndexValid_ = true;
    }
    auto it = nameIndex_.find(NameKey(name, httpEquiv));
    return it == nameIndex_.end() ? -1 : it->second;
}

int TagCatalogue::add(std::unique_ptr<TagRow> row) {
    rows_.push_back(std::move(row));
    if (nameIndexValid_) {
        IndexRow(count() - 1);
    }
    return count() - 1;
}

int TagCatalogue::addPageOnly(std::string_view name, int httpEquiv) {
    auto row = std::make_unique<TagRow>();
    row->definition.name = std::string(name);
    row->definition.httpEquiv = httpEquiv;
    row->origin = PageOnly;
    row->displayMode = DisplayIfContent;
    return add(std::move(row));
}

void TagCatalogue::removePageOnly() {
    for (int i = count() - 1; i >= 0; --i) {
        if (at(i).origin == PageOnly) {
            removeAt(i);
        }
    }
}

void TagCatalogue::removeAt(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    rows_.erase(rows_.begin() + index);
    nameIndexValid_ = false;
}

bool TagCatalogue::isShown(const TagRow& row, bool showAllFields) {
    switch (row.displayMode) {
    case DisplayIfContent:
        return showAllFields || !row.CurrentValue().empty();
    case NeverDisplay:
        return showAllFields;
    default:
        return true;
    }
}

std::vector<OfferedAction> TagCatalogue::offeredActions(const TagRow& row) {
    std::vector<OfferedAction> actions;
    auto offer = [&](int action) { actions.push_back({TemplateActionText(action), action}); };
    offer(NeverChange);
    offer(AlwaysSet);
    offer(SetIfMissing);
    offer(ReplaceIfPresent);
    if (row.definition.multiLine != 0 || row.definition.name == "title") {
        offer(PrependBefore);
        offer(AppendAfter);
    }
    offer(AlwaysRemove);
    return actions;
}

std::string_view TagCatalogue::statusText(int index) {
    if (index < 0 || index >= StandardTagCount) {
        return kIdleStatusText;
    }
    return kStandardTags[static_cast<std::size_t>(index)].status;
}

std::string_view TagCatalogue::groupOf(int index) {
    if (index < 0 || index >= StandardTagCount) {
        return {};
    }
    return kStandardTags[static_cast<std::size_t>(index)].group;
}

TagEditor TagCatalogue::editorOf(int index) {
    if (index < 0 || index >= StandardTagCount) {
        return TagEditor::None;
    }
    return kStandardTags[static_cast<std::size_t>(index)].editor;
}

} // namespace orlen
