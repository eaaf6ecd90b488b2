// The character set of a page, and turning its bytes into Unicode (as UTF-8)
// and back. Pages stay bytes; only what is shown or printed as text is
// decoded, and only what the user typed is encoded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orlen {

class CHtmlPage;
class CHtmlTag;

// One of the charsets pages are read and written in: UTF-8, US-ASCII,
// ISO-8859-1 to -10 and -13 to -16, windows-1250 to -1258, KOI8-R and
// KOI8-U, Shift_JIS, EUC-JP, GBK, gb18030, Big5 and EUC-KR. Their markup
// bytes are ASCII and never the part of a character, so a page in any of
// them is cut into sections as its bytes stand. Unsupported stands for a
// charset declared by a page that is not one of these (ISO-2022-JP or UTF-16
// put markup bytes inside characters): such a page is shown as Latin-1 and
// never written.
class Charset {
public:
    static const Charset Utf8;
    static const Charset UsAscii;
    static const Charset Latin1;
    static const Charset Windows1252;
    static const Charset Unsupported;

    constexpr Charset() = default;
    bool IsSupported() const { return id_ >= 0; }
    // The position in the table of known charsets; -1 when unsupported.
    constexpr int Id() const { return id_; }
    static constexpr Charset FromId(int id) { return Charset(id); }
    friend constexpr bool operator==(Charset a, Charset b) { return a.id_ == b.id_; }

private:
    constexpr explicit Charset(int id) : id_(id) {}
    int id_ = 0;
};

inline constexpr Charset Charset::Utf8{0};
inline constexpr Charset Charset::UsAscii{1};
inline constexpr Charset Charset::Latin1{2};
inline constexpr Charset Charset::Windows1252{3};
inline constexpr Charset Charset::Unsupported{-1};

// The charset of a label such as "UTF-8", "iso-8859-2", "cp1251" or "sjis"
// (every label the WHATWG Encoding Standard lists for a supported charset,
// without regard to case and surrounding spaces); nothing for a label of a
// charset this codec does not know.
std::optional<Charset> CharsetFromLabel(std::string_view label);
// The charset's name as pages declare it ("UTF-8", "ISO-8859-2",
// "windows-1251", "Shift_JIS"); "" for Unsupported.
std::string_view CharsetName(Charset charset);

// The charset label a tag declares: a meta tag's charset attribute, or the
// charset= of an http-equiv Content-Type; "" for any other tag.
std::string CharsetLabelOf(const CHtmlTag& tag);

// The charset label the page declares before its body, in a
// <meta charset=...> tag or an http-equiv Content-Type tag; "" when none.
std::string DeclaredCharsetLabel(const CHtmlPage& page);

// Whether a meta tag with this name and content declares a charset: an
// http-equiv Content-Type whose content names one. (<meta charset> has no
// name and is told apart by that.)
bool DeclaresCharset(std::string_view name, std::string_view content, int httpEquiv);

// How the charset of a page was decided.
enum class CharsetSource {
    Declared,    // the page declares a supported charset
    Unsupported, // the page declares a charset that is not supported
    Utf8,        // nothing declared, and the bytes are valid UTF-8
    Detected,    // nothing declared, not UTF-8: told from the bytes
    Fallback,    // nothing declared, not UTF-8, nothing detected: windows-1252
};

struct CharsetChoice {
    Charset charset = Charset::Utf8;
    CharsetSource source = CharsetSource::Utf8;
    // The declared label, or the detector's answer; "" otherwise.
    std::string label;
};

// The charset to read and write the page with: the declared one; else UTF-8
// when text is valid UTF-8; else the one its bytes look like; else
// windows-1252.
CharsetChoice ChoosePageCharset(const CHtmlPage& page, std::string_view text);
// The choice as the status bar shows it: "ISO-8859-2", "windows-1251
// (detected)", "windows-1252 (assumed)", "ISO-2022-JP (not supported:
// read-only)"; UTF-8 text.
std::string DescribeCharset(const CharsetChoice& choice);
Charset PageCharset(const CHtmlPage& page, std::string_view text);

// The charset that bytes which are not valid UTF-8 look like, told from (at
// most the first megabyte of) the bytes; nothing when no supported charset
// fits.
std::optional<Charset> DetectCharset(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// Appends a code point to UTF-8 text.
void AppendUtf8(std::string& out, std::uint32_t cp);
// The character a byte stands for in windows-1252; the five bytes it leaves
// undefined stand for the C1 controls of the same number.
std::uint32_t Windows1252CodePoint(unsigned char byte);

// Bytes in a charset to UTF-8. Bytes that are not a character of the
// charset become U+FFFD. US-ASCII is read as Windows-1252, as browsers do;
// the five bytes that Windows-1252 leaves undefined read as the C1 controls
// of the same number. Unsupported reads as Latin-1.
std::string DecodeToUtf8(std::string_view bytes, Charset charset);

// UTF-8 to bytes in a charset. A character the charset cannot hold is
// written as a numeric character reference ("&#8364;"), which every browser
// reads back as that character. For every single-byte charset,
// EncodeFromUtf8(DecodeToUtf8(b)) == b.
std::string EncodeFromUtf8(std::string_view utf8, Charset charset);

} // namespace orlen
