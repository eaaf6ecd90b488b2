#include "tags/site_audit.h"

#include "document/document_texts.h"
#include "page/charset.h"
#include "page/entities.h"
#include "page/text_util.h"
#include "tags/tag_catalogue.h"
#include "tags/text_width.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <utility>

namespace orlen {

namespace {

// Every finding: its id, severity and message. "%1" and "%2" stand for what
// the page gives (a length, a list of pages).
struct KindText {
    std::string_view id;
    Severity severity;
    std::string_view message;
};

constexpr std::array kKinds{
    // The refusal a save of such a page gives.
    KindText{"page-no-head", Severity::Error, doc_texts::kNoMetaDataPosition},
    KindText{"title-missing", Severity::Error, "No title element"},
    KindText{"title-empty", Severity::Error, "The title is empty"},
    KindText{"title-multiple", Severity::Warning, "%1 title elements; the first one counts"},
    KindText{"title-too-long", Severity::Warning, "The title is %1 long; search results show %2"},
    KindText{"title-too-short", Severity::Warning,
             "The title is %1 characters long; at least %2 tell more"},
    KindText{"title-duplicate", Severity::Warning, "The same title as %1"},
    KindText{"description-missing", Severity::Warning, "No description"},
    KindText{"description-empty", Severity::Warning, "The description is empty"},
    KindText{"description-multiple", Severity::Warning,
             "%1 description tags; the first one counts"},
    KindText{"description-too-long", Severity::Notice,
             "The description is %1 long; search results show %2"},
    KindText{"description-too-short", Severity::Notice,
             "The description is %1 characters long; at least %2 tell more"},
    KindText{"description-duplicate", Severity::Warning, "The same description as %1"},
    KindText{"robots-noindex", Severity::Warning, "Robots are told not to index the page (%1)"},
    KindText{"robots-nofollow", Severity::Notice,
             "Robots are told not to follow the page's links (%1)"},
    KindText{"charset-conflict", Severity::Error, "Two different charsets are declared: %1"},
    KindText{"charset-declared-twice", Severity::Notice, "The charset is declared %1 times"},
    KindText{"charset-undeclared", Severity::Warning,
             "No charset is declared, and the page holds characters beyond ASCII (read as %1)"},
    KindText{"keywords-empty", Severity::Notice, "The keywords tag is empty"},
    KindText{"obsolete-tag", Severity::Notice, "%1: %2"},
    KindText{"meta-unnamed", Severity::Notice,
             "A meta tag with neither name, http-equiv, charset, property nor itemprop: %1"},
};

const KindText& Kind(std::string_view id) {
    for (const KindText& kind : kKinds) {
        if (kind.id == id) {
            return kind;
        }
    }
    return kKinds[0]; // not reached: every id used is in the table
}

void Add(PageAudit& page, std::string_view id, std::string_view first = {},
         std::string_view second = {}) {
    const KindText& kind = Kind(id);
    std::string message(kind.message);
    if (const std::size_t at = message.find("%1"); at != std::string::npos) {
        message.replace(at, 2, first);
    }
    if (const std::size_t at = message.find("%2"); at != std::string::npos) {
        message.replace(at, 2, second);
    }
    page.findings.push_back({std::string(kind.id), kind.severity, std::move(message)});
}

bool IsBlank(std::string_view text) {
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f') {
            return false;
        }
    }
    return true;
}

// "61 characters, 612 px" with what is over the limit named.
std::string LengthText(int chars, int pixels) {
    return std::to_string(chars) + " characters, " + std::to_string(pixels) + " px";
}

// The lengths of a text and the findings on them.
void CheckLength(PageAudit& page, std::string_view what, int chars, int pixels, int minChars,
                 int maxChars, int maxPixels) {
    const std::string prefix(what);
    if (chars > maxChars || pixels > maxPixels) {
        Add(page, prefix + "-too-long", LengthText(chars, pixels),
            "about " + std::to_string(maxChars) + " characters, " + std::to_string(maxPixels) +
                " px");
    } else if (chars < minChars) {
        Add(page, prefix + "-too-short", std::to_string(chars), std::to_string(minChars));
    }
}

bool HasToken(std::string_view list, std::string_view token) {
    const std::string lowered = AsciiLower(list);
    std::size_t at = 0;
    while (at < lowered.size()) {
        std::size_t end = lowered.find(',', at);
        if (end == std::string::npos) {
            end = lowered.size();
        }
        if (Trim(std::string_view(lowered).substr(at, end - at)) == token) {
            return true;
        }
        at = end + 1;
    }
    return false;
}

bool IsAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string_view SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Error:
        return "error";
    case Severity::Warning:
        return "warning";
    case Severity::Notice:
        break;
    }
    return "notice";
}

bool SeverityFromName(std::string_view name, Severity& severity) {
    for (Severity s : {Severity::Error, Severity::Warning, Severity::Notice}) {
        if (SeverityName(s) == name) {
            severity = s;
            return true;
        }
    }
    return false;
}

namespace {

// Settings names of the limits.
constexpr std::string_view kLimitsSection = "Site overview";
constexpr std::string_view kTitleMinChars = "TitleMinChars";
constexpr std::string_view kTitleMaxChars = "TitleMaxChars";
constexpr std::string_view kTitleMaxPixels = "TitleMaxPixels";
constexpr std::string_view kDescriptionMinChars = "DescriptionMinChars";
constexpr std::string_view kDescriptionMaxChars = "DescriptionMaxChars";
constexpr std::string_view kDescriptionMaxPixels = "DescriptionMaxPixels";

} // namespace

AuditLimits AuditLimits::Load(SettingsStore& settings) {
    AuditLimits l;
    const auto read = [&](std::string_view entry, int def) {
        const int value = settings.GetSettingInt(kLimitsSection, entry, def);
        return value >= 0 ? value : def;
    };
    l.titleMinChars = read(kTitleMinChars, l.titleMinChars);
    l.titleMaxChars = read(kTitleMaxChars, l.titleMaxChars);
    l.titleMaxPixels = read(kTitleMaxPixels, l.titleMaxPixels);
    l.descriptionMinChars = read(kDescriptionMinChars, l.descriptionMinChars);
    l.descriptionMaxChars = read(kDescriptionMaxChars, l.descriptionMaxChars);
    l.descriptionMaxPixels = read(kDescriptionMaxPixels, l.descriptionMaxPixels);
    return l;
}

void AuditLimits::Store(SettingsStore& settings) const {
    settings.WriteSettingInt(kLimitsSection, kTitleMinChars, titleMinChars);
    settings.WriteSettingInt(kLimitsSection, kTitleMaxChars, titleMaxChars);
    settings.WriteSettingInt(kLimitsSection, kTitleMaxPixels, titleMaxPixels);
    settings.WriteSettingInt(kLimitsSection, kDescriptionMinChars, descriptionMinChars);
    settings.WriteSettingInt(kLimitsSection, kDescriptionMaxChars, descriptionMaxChars);
    settings.WriteSettingInt(kLimitsSection, kDescriptionMaxPixels, descriptionMaxPixels);
}

int PageAudit::WorstSeverity() const {
    int worst = static_cast<int>(Severity::Notice) + 1;
    for (const Finding& f : findings) {
        worst = std::min(worst, static_cast<int>(f.severity));
    }
    return worst;
}

PageAudit AuditPage(std::string path, CHtmlPage& head, std::string_view bytes,
                    const AuditLimits& limits) {
    PageAudit page;
    page.path = std::move(path);
    const CharsetChoice choice = ChoosePageCharset(head, bytes);
    const Charset charset =
        choice.charset.IsSupported() ? choice.charset : Charset(Charset::Windows1252);
    const auto text = [&](std::string_view source) {
        return CollapseWhiteSpace(SourceToText(source, charset));
    };

    if (head.HasMetaDataPosition() == 0) {
        Add(page, "page-no-head");
    }

    // One walk over the head for what the reading accessors do not count.
    int titles = 0;
    int descriptions = 0;
    std::vector<std::string> charsets;
    std::vector<std::string> unnamed;
    for (CHtmlPage::ConstPosition at : std::as_const(head).HeadSections()) {
        const CHtmlTag* tag = CHtmlPage::TagOf(**at);
        if (tag == nullptr || tag->Kind() == TagKind::Closing) {
            continue;
        }
        if (tag->Is("title")) {
            ++titles;
            continue;
        }
        if (!tag->Is("meta")) {
            continue;
        }
        if (AsciiLower(tag->Attribute("name")) == "description") {
            ++descriptions;
        }
        // Labels compared without regard to case: "UTF-8" and "utf-8" agree.
        if (std::string declared = CharsetLabelOf(*tag); !declared.empty()) {
            charsets.push_back(AsciiLower(declared));
        }
        std::string value;
        if (tag->GetAttribute("name", value) == 0 && tag->GetAttribute("http-equiv", value) == 0 &&
            tag->GetAttribute("charset", value) == 0 && tag->GetAttribute("property", value) == 0 &&
            tag->GetAttribute("itemprop", value) == 0) {
            unnamed.push_back(tag->Normalized());
        }
    }

    // The title: the first title element before the body, as the editor
    // reads it.
    page.hasTitle = titles > 0;
    page.title = text(head.GetTitle());
    page.titleChars = static_cast<int>(CharacterCount(page.title));
    page.titlePixels = TextWidthPixels(page.title, kTitlePixelSize);
    if (!page.hasTitle) {
        Add(page, "title-missing");
    } else if (page.title.empty()) {
        Add(page, "title-empty");
    } else {
        CheckLength(page, "title", page.titleChars, page.titlePixels, limits.titleMinChars,
                    limits.titleMaxChars, limits.titleMaxPixels);
    }
    if (titles > 1) {
        Add(page, "title-multiple", std::to_string(titles));
    }

    // The description, keywords and robots: the first tag of each name in
    // the head.
    const MetaDataSet meta = head.GetMetaDataSet();
    const auto content = [&](std::string_view name, bool& found) {
        for (const MetaTag& tag : meta.tags) {
            if (tag.httpEquiv == 0 && AsciiLower(tag.name) == name) {
                found = true;
                return text(tag.content);
            }
        }
        found = false;
        return std::string();
    };
    page.description = content("description", page.hasDescription);
    page.descriptionChars = static_cast<int>(CharacterCount(page.description));
    page.descriptionPixels = TextWidthPixels(page.description, kDescriptionPixelSize);
    if (descriptions == 0) {
        Add(page, "description-missing");
    } else if (page.description.empty()) {
        Add(page, "description-empty");
    } else {
        CheckLength(page, "description", page.descriptionChars, page.descriptionPixels,
                    limits.descriptionMinChars, limits.descriptionMaxChars,
                    limits.descriptionMaxPixels);
    }
    if (descriptions > 1) {
        Add(page, "description-multiple", std::to_string(descriptions));
    }

    bool hasRobots = false;
    page.robots = content("robots", hasRobots);
    if (HasToken(page.robots, "noindex") || HasToken(page.robots, "none")) {
        Add(page, "robots-noindex", page.robots);
    }
    if (HasToken(page.robots, "nofollow") || HasToken(page.robots, "none")) {
        Add(page, "robots-nofollow", page.robots);
    }

    if (charsets.size() > 1) {
        std::string different = charsets[0];
        bool conflict = false;
        for (const std::string& c : charsets) {
            if (c != charsets[0]) {
                conflict = true;
                different += ", " + c;
                break;
            }
        }
        if (conflict) {
            Add(page, "charset-conflict", different);
        } else {
            Add(page, "charset-declared-twice", std::to_string(charsets.size()));
        }
    } else if (charsets.empty() && choice.label.empty() && !IsAscii(bytes)) {
        Add(page, "charset-undeclared", CharsetName(charset));
    }

    page.keywords = content("keywords", page.hasKeywords);
    if (page.hasKeywords && IsBlank(page.keywords)) {
        Add(page, "keywords-empty");
    }
    for (const MetaTag& tag : meta.tags) {
        if (const std::string_view note = ObsoleteTagNote(tag.name, tag.httpEquiv); !note.empty()) {
            Add(page, "obsolete-tag", tag.name, note);
        }
    }
    for (const std::string& tag : unnamed) {
        Add(page, "meta-unnamed", tag);
    }
    return page;
}

void AddDuplicateFindings(std::vector<PageAudit>& pages) {
    for (PageAudit& page : pages) {
        std::erase_if(page.findings, [](const Finding& f) {
            return f.id == "title-duplicate" || f.id == "description-duplicate";
        });
    }
    const auto mark = [&pages](std::string_view id, auto textOf) {
        std::unordered_map<std::string_view, std::vector<std::size_t>> byText;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const std::string& t = textOf(pages[i]);
            if (!t.empty()) {
                byText[t].push_back(i);
            }
        }
        for (const auto& [t, group] : byText) {
            if (group.size() < 2) {
                continue;
            }
            // Each page names at most a few of the others, so that a title
            // shared by thousands of pages costs no more than a few names each.
            constexpr std::size_t kNamed = 3;
            for (std::size_t i : group) {
                std::string others;
                std::size_t named = 0;
                for (std::size_t j : group) {
                    if (j == i) {
                        continue;
                    }
                    if (named == kNamed) {
                        others += " and " + std::to_string(group.size() - 1 - kNamed) + " more";
                        break;
                    }
                    others += (named == 0 ? "" : ", ") + pages[j].path;
                    ++named;
                }
                Add(pages[i], id, others);
            }
        }
    };
    mark("title-duplicate", [](const PageAudit& p) -> const std::string& { return p.title; });
    mark("description-duplicate",
         [](const PageAudit& p) -> const std::string& { return p.description; });
    // Every page's findings in the order of the table, duplicates among
    // the other title and description findings.
    const auto rank = [](const Finding& f) {
        for (std::size_t i = 0; i < kKinds.size(); ++i) {
            if (kKinds[i].id == f.id) {
                return i;
            }
        }
        return kKinds.size();
    };
    for (PageAudit& page : pages) {
        std::stable_sort(page.findings.begin(), page.findings.end(),
                         [&](const Finding& a, const Finding& b) { return rank(a) < rank(b); });
    }
}

const std::vector<FindingKind>& FindingKinds() {
    static const std::vector<FindingKind> kinds = [] {
        std::vector<FindingKind> out;
        for (const KindText& kind : kKinds) {
            out.push_back({kind.id, kind.severity});
        }
        return out;
    }();
    return kinds;
}

} // namespace orlen
