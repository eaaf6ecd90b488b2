// The checks of a whole site: each page's title, description and head tags
// looked at on their own, then titles and descriptions compared across
// pages. Shared by the window's site overview and `orlen-meta audit`.
#pragma once

#include "page/html_page.h"
#include "shell/settings_store.h"

#include <string>
#include <string_view>
#include <vector>

namespace orlen {

enum class Severity : int { Error = 0, Warning = 1, Notice = 2 };

// "error", "warning", "notice".
std::string_view SeverityName(Severity severity);
// The severity of a name as SeverityName writes it; false when none.
bool SeverityFromName(std::string_view name, Severity& severity);

// The limits of a good title and description: characters, and pixels of a
// search-result line (title set at 20 px, description at 14 px).
struct AuditLimits {
    int titleMinChars = 30;
    int titleMaxChars = 60;
    int titleMaxPixels = 580;
    int descriptionMinChars = 70;
    int descriptionMaxChars = 160;
    int descriptionMaxPixels = 920;

    bool operator==(const AuditLimits&) const = default;

    // Read from and written to the settings store, each under its own name.
    static AuditLimits Load(SettingsStore& settings);
    void Store(SettingsStore& settings) const;
};

inline constexpr int kTitlePixelSize = 20;
inline constexpr int kDescriptionPixelSize = 14;

struct Finding {
    std::string id; // stable: "title-missing", "description-too-long", ...
    Severity severity = Severity::Notice;
    std::string message;

    bool operator==(const Finding&) const = default;
};

// One page as the overview lists it. Texts are UTF-8, as the author reads
// them (decoded from the page's charset and its character references).
struct PageAudit {
    std::string path; // as given or walked
    bool hasTitle = false;
    std::string title;
    int titleChars = 0;
    int titlePixels = 0;
    bool hasDescription = false;
    std::string description;
    int descriptionChars = 0;
    int descriptionPixels = 0;
    bool hasKeywords = false;
    std::string keywords;
    std::string robots;
    std::vector<Finding> findings;

    // The most severe finding's severity; Notice + 1 when there is none.
    int WorstSeverity() const;
};

// Checks one page on its own, from its head (read as orlen-meta show reads
// it) and, for the charset checks, the bytes read (the whole page when it
// declares no charset). Findings come in a fixed order.
PageAudit AuditPage(std::string path, CHtmlPage& head, std::string_view bytes,
                    const AuditLimits& limits);

// Adds the findings that compare pages: the same non-empty title, or the
// same non-empty description, as other pages (the first three of them named
// in the message, in the order of pages). Findings already present from an earlier call are
// replaced, so that it can be called again after a page changed. Linear in
// the number of pages (a hash of the texts).
void AddDuplicateFindings(std::vector<PageAudit>& pages);

// The finding ids, in the order AuditPage reports them, with their
// severities; for the filter lists and --only.
struct FindingKind {
    std::string_view id;
    Severity severity;
};
const std::vector<FindingKind>& FindingKinds();

} // namespace orlen
