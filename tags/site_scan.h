// Reading the pages of a site for the overview: which files are pages, each
// page's head read from the start of its file, and the overview written out
// as CSV.
#pragma once

#include "page/html_page.h"
#include "tags/site_audit.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orlen {

// Walks root as the file browser lists it (document/file_listing.h) and
// calls onPage with the path below root of every listed file that is not a
// template (.mtpl).
void WalkSitePages(const std::string& root, std::string_view fileTypes,
                   const std::function<void(const std::string& relativePath)>& onPage);

// The head of a page, read as the editor reads it: only the start of the
// file, in growing blocks, until the head is inside what was read (the rest
// of a page cannot change its head). With wholeUnlessDeclared the whole
// file is read when the head declares no charset, since the charset is then
// told from all of its bytes. text holds the bytes read, with CR LF line
// ends. False with a reason in error when the file cannot be read.
bool ReadPageHead(const std::string& path, CHtmlPage& head, std::string& text, std::string& error,
                  bool wholeUnlessDeclared = true);

// The overview as CSV (RFC 4180, UTF-8, CR LF line ends), with the columns
// of `orlen-meta audit --csv`: file, title, title characters, title pixels,
// description, description characters, description pixels, keywords,
// robots, findings ("severity:id" separated by spaces).
std::string SiteCsv(const std::vector<PageAudit>& pages);

} // namespace orlen
