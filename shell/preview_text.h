// The text the web preview shows for a page as edited: the page's own text,
// with a base address so that its images, style sheets and links are found
// beside the page's file although the text is read from elsewhere.
#pragma once

#include <string>
#include <string_view>

namespace orlen {

// pageText with <base href="BASE"> put right after its opening head tag (or,
// without one, after its document type declaration, else at its start after
// a byte order mark), so that nothing a browser reads first, such as the
// document type, moves. A page that has a base tag of its own before its
// body is returned as it is. baseHref is written as given: it must hold no
// double quote (a URL in its encoded form never does).
std::string WithBaseHref(std::string_view pageText, std::string_view baseHref);

} // namespace orlen
