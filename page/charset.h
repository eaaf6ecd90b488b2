// The character set of a page, and turning its bytes into Unicode (as UTF-8)
// and back. Pages stay bytes; only what is shown or printed as text is
// decoded, and only what the user typed is encoded.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orlen {

class CHtmlPage;

enum class Charset { Utf8, UsAscii, Latin1, Windows1252 };

// The charset of a label such as "UTF-8", "iso-8859-1" or "cp1252"; nothing
// for a label this codec does not know.
std::optional<Charset> CharsetFromLabel(std::string_view label);
std::string_view CharsetName(Charset charset);

// The charset label the page declares before its body, in a
// <meta charset=...> tag or an http-equiv Content-Type tag; "" when none.
std::string DeclaredCharsetLabel(const CHtmlPage& page);

// The charset to read the page with: the declared one when known; else
// UTF-8 when text is valid UTF-8, and Windows-1252 otherwise.
Charset PageCharset(const CHtmlPage& page, std::string_view text);

bool IsValidUtf8(std::string_view bytes);

// Bytes in a charset to UTF-8. Invalid UTF-8 sequences become U+FFFD.
// US-ASCII is read as Windows-1252, as browsers do; the five bytes that
// Windows-1252 leaves undefined read as the C1 controls of the same number.
std::string DecodeToUtf8(std::string_view bytes, Charset charset);

// UTF-8 to bytes in a charset. A character the charset cannot hold is
// written as a numeric character reference ("&#8364;"), which every browser
// reads back as that character. For every single-byte charset,
// EncodeFromUtf8(DecodeToUtf8(b)) == b.
std::string EncodeFromUtf8(std::string_view utf8, Charset charset);

} // namespace orlen
