#include "tags/site_scan.h"

#include "document/file_listing.h"
#include "document/safe_file.h"
#include "document/vantle_doc.h"
#include "page/charset.h"
#include "page/line_reader.h"

#include <cstdint>

namespace orlen {

void WalkSitePages(const std::string& root, std::string_view fileTypes,
                   const std::function<void(const std::string& relativePath)>& onPage) {
    WalkListedFiles(
        root, fileTypes,
        [&](const std::string& relative) {
            if (!IsTemplatePath(relative)) {
                onPage(relative);
            }
        },
        [](const std::string&) {});
}

bool ReadPageHead(const std::string& path, CHtmlPage& head, std::string& text, std::string& error,
                  bool wholeUnlessDeclared) {
    std::string bytes;
    for (std::size_t limit = 1 << 16;; limit = limit > SIZE_MAX / 8 ? SIZE_MAX : limit * 8) {
        bool complete = false;
        if (!ReadFileStart(path, limit, bytes, complete, error)) {
            return false;
        }
        LinesToCrLfInPlace(bytes);
        text = std::move(bytes);
        head.SetHeadText(text);
        if (complete) {
            return true;
        }
        // The last two bytes of a converted block may be a line end that
        // the whole file does not have there.
        const bool headInside =
            head.HeadEnd() != std::string::npos && head.HeadEnd() + 2 <= text.size();
        if (headInside && (!wholeUnlessDeclared || !DeclaredCharsetLabel(head).empty())) {
            return true;
        }
    }
}

namespace {

std::string CsvField(std::string_view value) {
    if (value.find_first_of(",\"\r\n") == std::string_view::npos) {
        return std::string(value);
    }
    std::string out = "\"";
    for (char c : value) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

// A path that is no UTF-8 is shown as Windows-1252, as the audit does.
std::string Utf8(const std::string& bytes) {
    return IsValidUtf8(bytes) ? bytes : DecodeToUtf8(bytes, Charset::Windows1252);
}

} // namespace

std::string SiteCsv(const std::vector<PageAudit>& pages) {
    std::string out = "file,title,title characters,title pixels,description,description "
                      "characters,description pixels,keywords,robots,findings\r\n";
    for (const PageAudit& p : pages) {
        std::string findings;
        for (const Finding& f : p.findings) {
            findings +=
                (findings.empty() ? "" : " ") + std::string(SeverityName(f.severity)) + ":" + f.id;
        }
        out += CsvField(Utf8(p.path)) + ',' + CsvField(p.title) + ',' +
               std::to_string(p.titleChars) + ',' + std::to_string(p.titlePixels) + ',' +
               CsvField(p.description) + ',' + std::to_string(p.descriptionChars) + ',' +
               std::to_string(p.descriptionPixels) + ',' + CsvField(p.keywords) + ',' +
               CsvField(p.robots) + ',' + CsvField(findings) + "\r\n";
    }
    return out;
}

} // namespace orlen
