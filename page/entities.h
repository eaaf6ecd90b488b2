// Character references: the text an author means, from the HTML source a
// page holds, and back.
#pragma once

#include "page/charset.h"

#include <string>
#include <string_view>

namespace orlen {

// Replaces the character references of UTF-8 text by their characters:
// named ones written with their semicolon ("&amp;", "&eacute;"), decimal and
// hexadecimal ones ("&#8211;", "&#x2013;", also without the semicolon, as
// browsers read them). A "&" that starts no reference stays as it is.
// Numbers that are no character read as U+FFFD; 0x80 to 0x9F read as the
// windows-1252 characters of those bytes, as browsers do.
std::string DecodeCharacterReferences(std::string_view utf8);

// Text written as an attribute value in double quotes: "&" as "&amp;" and
// '"' as "&quot;", nothing else.
std::string EscapeAttributeText(std::string_view text);

// Text written as the title element's content: "&" as "&amp;" and "<" as
// "&lt;", nothing else; server-script blocks ("<?...?>", "<%...%>") stay as
// they are, so that a title made by a script keeps it.
std::string EscapeTitleText(std::string_view text);

// A value as the user reads it: the page's bytes decoded from its charset,
// then from their character references.
std::string SourceToText(std::string_view source, Charset charset);
// A title or an attribute value the user typed, as the page's HTML source:
// escaped for its place, then encoded in the page's charset (characters it
// cannot hold as numeric references).
std::string TitleTextToSource(std::string_view text, Charset charset);
std::string AttributeTextToSource(std::string_view text, Charset charset);

} // namespace orlen
