#include "page/charset.h"
#include "page/text_util.h"

#include "page/html_page.h"
#include "page/page_messages.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <iterator>

#include <iconv.h>
#include <uchardet.h>

namespace orlen {

namespace {

std::string_view TrimAscii(std::string_view s) {
    while (!s.empty() &&
           (s.front() == ' ' || s.front() == '\t' || s.front() == '"' || s.front() == '\'')) {
        s.remove_prefix(1);
    }
    while (!s.empty() &&
           (s.back() == ' ' || s.back() == '\t' || s.back() == '"' || s.back() == '\'')) {
        s.remove_suffix(1);
    }
    return s;
}

// Code points of the bytes 0x80 to 0x9F in Windows-1252.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Reads one UTF-8 sequence at i. Returns its length, or 0 when the bytes at
// i do not start a valid sequence (overlong forms and surrogates included).
std::size_t ReadUtf8(std::string_view s, std::size_t i, std::uint32_t& cp) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const std::size_t left = s.size() - i;
    const unsigned char c = b(0);
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    const auto cont = [&](std::size_t k) { return k < left && (b(k) & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) {
        if (!cont(1)) {
            return 0;
        }
        cp = ((c & 0x1Fu) << 6) | (b(1) & 0x3Fu);
        return 2;
    }
    if (c >= 0xE0 && c <= 0xEF) {
        if (!cont(1) || !cont(2)) {
            return 0;
        }
        cp = ((c & 0x0Fu) << 12) | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return 0;
        }
        return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        if (!cont(1) || !cont(2) || !cont(3)) {
            return 0;
        }
        cp = ((c & 0x07u) << 18) | ((b(1) & 0x3Fu) << 12) | ((b(2) & 0x3Fu) << 6) | (b(3) & 0x3Fu);
        if (cp < 0x10000 || cp > 0x10FFFF) {
            return 0;
        }
        return 4;
    }
    return 0;
}

void AppendReference(std::string& out, std::uint32_t cp) {
    out += "&#";
    out += std::to_string(cp);
    out += ';';
}

struct KnownCharset {
    std::string_view name;   // as pages declare it
    const char* iconvName;   // nullptr: converted without iconv
    std::string_view labels; // every label, lower case, separated by spaces
};

// The supported charsets. The first four are converted here without
// iconv; their order gives the ids of Charset's constants.
constexpr KnownCharset kKnown[] = {
    {"UTF-8", nullptr, "utf-8 utf8 unicode-1-1-utf-8 unicode11utf8 unicode20utf8 x-unicode20utf8"},
    {"US-ASCII", nullptr, "us-ascii ascii ansi_x3.4-1968 iso646-us"},
    {"ISO-8859-1", nullptr,
     "iso-8859-1 iso8859-1 iso88591 iso_8859-1 iso_8859-1:1987 latin1 l1 iso-ir-100 cp819 "
     "ibm819 csisolatin1"},
    {"windows-1252", nullptr, "windows-1252 cp1252 x-cp1252"},
    {"ISO-8859-2", "ISO-8859-2",
     "iso-8859-2 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 iso-ir-101 l2 latin2 "
     "csisolatin2"},
    {"ISO-8859-3", "ISO-8859-3",
     "iso-8859-3 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 iso-ir-109 l3 latin3 "
     "csisolatin3"},
    {"ISO-8859-4", "ISO-8859-4",
     "iso-8859-4 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 iso-ir-110 l4 latin4 "
     "csisolatin4"},
    {"ISO-8859-5", "ISO-8859-5",
     "iso-8859-5 iso8859-5 iso88595 iso_8859-5 iso_8859-5:1988 iso-ir-144 cyrillic "
     "csisolatincyrillic"},
    {"ISO-8859-6", "ISO-8859-6",
     "iso-8859-6 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987 iso-ir-127 iso-8859-6-e "
     "iso-8859-6-i arabic asmo-708 ecma-114 csiso88596e csiso88596i csisolatinarabic"},
    {"ISO-8859-7", "ISO-8859-7",
     "iso-8859-7 iso8859-7 iso88597 iso_8859-7 iso_8859-7:1987 iso-ir-126 greek greek8 "
     "ecma-118 elot_928 sun_eu_greek csisolatingreek"},
    {"ISO-8859-8", "ISO-8859-8",
     "iso-8859-8 iso8859-8 iso88598 iso_8859-8 iso_8859-8:1988 iso-ir-138 iso-8859-8-e "
     "hebrew visual csiso88598e csisolatinhebrew"},
    {"ISO-8859-8-I", "ISO-8859-8", "iso-8859-8-i csiso88598i logical"},
    {"ISO-8859-9", "ISO-8859-9",
     "iso-8859-9 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 iso-ir-148 l5 latin5 "
     "csisolatin5"},
    {"ISO-8859-10", "ISO-8859-10",
     "iso-8859-10 iso8859-10 iso885910 iso-ir-157 l6 latin6 csisolatin6"},
    {"ISO-8859-13", "ISO-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    {"ISO-8859-14", "ISO-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    {"ISO-8859-15", "ISO-8859-15", "iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9 csisolatin9"},
    {"ISO-8859-16", "ISO-8859-16", "iso-8859-16"},
    {"windows-1250", "CP1250", "windows-1250 cp1250 x-cp1250"},
    {"windows-1251", "CP1251", "windows-1251 cp1251 x-cp1251"},
    {"windows-1253", "CP1253", "windows-1253 cp1253 x-cp1253"},
    {"windows-1254", "CP1254", "windows-1254 cp1254 x-cp1254"},
    {"windows-1255", "CP1255", "windows-1255 cp1255 x-cp1255"},
    {"windows-1256", "CP1256", "windows-1256 cp1256 x-cp1256"},
    {"windows-1257", "CP1257", "windows-1257 cp1257 x-cp1257"},
    {"windows-1258", "CP1258", "windows-1258 cp1258 x-cp1258"},
    {"KOI8-R", "KOI8-R", "koi8-r koi8_r koi8 koi cskoi8r"},
    {"KOI8-U", "KOI8-U", "koi8-u koi8-ru"},
    {"Shift_JIS", "WINDOWS-31J",
     "shift_jis shift-jis sjis ms_kanji ms932 windows-31j x-sjis csshiftjis"},
    {"EUC-JP", "EUC-JP", "euc-jp x-euc-jp cseucpkdfmtjapanese"},
    {"GBK", "GBK",
     "gbk gb2312 gb_2312 gb_2312-80 x-gbk chinese iso-ir-58 csgb2312 csiso58gb231280"},
    {"gb18030", "GB18030", "gb18030"},
    {"Big5", "CP950", "big5 big5-hkscs cn-big5 x-x-big5 csbig5"},
    {"EUC-KR", "CP949",
     "euc-kr cseuckr csksc56011987 iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
     "ksc_5601 windows-949"},
};

bool HasLabel(std::string_view labels, std::string_view label) {
    while (!labels.empty()) {
        const std::size_t space = labels.find(' ');
        if (labels.substr(0, space) == label) {
            return true;
        }
        if (space == std::string_view::npos) {
            break;
        }
        labels.remove_prefix(space + 1);
    }
    return false;
}

// An iconv descriptor that closes itself.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) {
            ::iconv_close(cd_);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of in, calling onBad when the bytes at the front are no
    // character of the source or cannot be written in the target; onBad
    // appends what stands for them to its second argument and returns how
    // many bytes they take.
    template <typename OnBad> std::string Convert(std::string_view in, OnBad onBad) {
        std::string out(in.size() * 2 + 16, '\0');
        std::size_t used = 0;
        // iconv takes its input through a pointer to non-const: it reads
        // from a copy, so that no const is cast away.
        std::string source(in);
        char* src = source.data();
        std::size_t srcLeft = in.size();
        // Converts while there is input, then once without input, so that
        // what the converter holds back (a character that may combine with
        // the next one, a shift state) is written too.
        bool flushing = false;
        for (;;) {
            char* dst = out.data() + used;
            std::size_t dstLeft = out.size() - used;
            const std::size_t r = flushing ? ::iconv(cd_, nullptr, nullptr, &dst, &dstLeft)
                                           : ::iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            const int error = errno;
            used = out.size() - dstLeft;
            if (r != static_cast<std::size_t>(-1)) {
                if (flushing) {
                    break;
                }
                flushing = true;
                continue;
            }
            if (error == E2BIG) {
                out.resize(out.size() * 2 + 16);
                continue;
            }
            if (flushing) {
                break;
            }
            // EILSEQ, or EINVAL for a character cut off at the end: first
            // what the converter holds, then what stands for the bad bytes.
            out.resize(used + 64);
            dst = out.data() + used;
            dstLeft = out.size() - used;
            ::iconv(cd_, nullptr, nullptr, &dst, &dstLeft);
            used = out.size() - dstLeft;
            out.resize(used);
            const std::size_t skip =
                std::clamp<std::size_t>(onBad(std::string_view(src, srcLeft), out), 1, srcLeft);
            used = out.size();
            out.resize(used + srcLeft * 2 + 16);
            src += skip;
            srcLeft -= skip;
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t cd_;
};

} // namespace

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::uint32_t Windows1252CodePoint(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? kCp1252High[byte - 0x80] : byte;
}

std::optional<Charset> CharsetFromLabel(std::string_view label) {
    const std::string l = AsciiLower(TrimAscii(label));
    if (l.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < std::size(kKnown); ++i) {
        if (HasLabel(kKnown[i].labels, l)) {
            return Charset::FromId(static_cast<int>(i));
        }
    }
    return std::nullopt;
}

std::string_view CharsetName(Charset charset) {
    return charset.IsSupported() ? kKnown[charset.Id()].name : std::string_view();
}

std::string CharsetLabelOf(const CHtmlTag& tag) {
    if (!tag.Is("meta")) {
        return {};
    }
    std::string charset = tag.Attribute("charset");
    if (!charset.empty()) {
        return std::string(TrimAscii(charset));
    }
    if (AsciiLower(tag.Attribute("http-equiv")) != "content-type") {
        return {};
    }
    const std::string content = tag.Attribute("content");
    const std::size_t at = AsciiLower(content).find("charset=");
    if (at == std::string::npos) {
        return {};
    }
    std::string_view value = std::string_view(content).substr(at + 8);
    value = value.substr(0, value.find(';'));
    return std::string(TrimAscii(value));
}

std::string DeclaredCharsetLabel(const CHtmlPage& page) {
    for (CHtmlPage::ConstPosition at : page.HeadSections()) {
        const CHtmlTag* tag = CHtmlPage::TagOf(**at);
        if (tag == nullptr) {
            continue;
        }
        if (std::string label = CharsetLabelOf(*tag); !label.empty()) {
            return label;
        }
    }
    return {};
}

bool DeclaresCharset(std::string_view name, std::string_view content, int httpEquiv) {
    return httpEquiv != 0 && AsciiLower(TrimAscii(name)) == "content-type" &&
           AsciiLower(content).find("charset=") != std::string::npos;
}

bool IsValidUtf8(std::string_view bytes) {
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < bytes.size();) {
        if (static_cast<unsigned char>(bytes[i]) < 0x80) {
            ++i;
            continue;
        }
        std::size_t n = ReadUtf8(bytes, i, cp);
        if (n == 0) {
            return false;
        }
        i += n;
    }
    return true;
}

std::optional<Charset> DetectCharset(std::string_view bytes) {
    // A megabyte of a page tells its charset as well as all of it does.
    constexpr std::size_t kSample = 1 << 20;
    // A few letters outside ASCII ("café") fit many charsets equally well,
    // and the detector's answer for them is a guess; windows-1252, what
    // such pages were most often written in, is the better one.
    constexpr std::size_t kFewestHighBytes = 8;
    const std::string_view sample = bytes.substr(0, kSample);
    const std::size_t high =
        static_cast<std::size_t>(std::count_if(sample.begin(), sample.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x80;
        }));
    if (high < kFewestHighBytes) {
        return std::nullopt;
    }
    uchardet_t detector = ::uchardet_new();
    if (detector == nullptr) {
        return std::nullopt;
    }
    ::uchardet_handle_data(detector, sample.data(), sample.size());
    ::uchardet_data_end(detector);
    std::string found = AsciiLower(::uchardet_get_charset(detector));
    ::uchardet_delete(detector);
    if (found == "uhc") {
        found = "windows-949";
    }
    std::optional<Charset> charset = CharsetFromLabel(found);
    // Bytes that are not UTF-8 are not ASCII either: an answer of either is
    // no answer.
    if (charset == Charset::Utf8 || charset == Charset::UsAscii) {
        return std::nullopt;
    }
    return charset;
}

CharsetChoice ChoosePageCharset(const CHtmlPage& page, std::string_view text) {
    CharsetChoice choice;
    choice.label = DeclaredCharsetLabel(page);
    if (!choice.label.empty()) {
        if (auto declared = CharsetFromLabel(choice.label)) {
            choice.charset = *declared;
            choice.source = CharsetSource::Declared;
        } else {
            choice.charset = Charset::Unsupported;
            choice.source = CharsetSource::Unsupported;
        }
        return choice;
    }
    if (IsValidUtf8(text)) {
        choice.charset = Charset::Utf8;
        choice.source = CharsetSource::Utf8;
        return choice;
    }
    if (auto detected = DetectCharset(text)) {
        choice.charset = *detected;
        choice.source = CharsetSource::Detected;
        choice.label = std::string(CharsetName(*detected));
        return choice;
    }
    choice.charset = Charset::Windows1252;
    choice.source = CharsetSource::Fallback;
    return choice;
}

std::string DescribeCharset(const CharsetChoice& choice) {
    const auto fill = [](std::string_view pattern, std::string_view name) {
        std::string out(pattern);
        out.replace(out.find("%1"), 2, name);
        return out;
    };
    const std::string name(CharsetName(choice.charset));
    switch (choice.source) {
    case CharsetSource::Detected:
        return fill(page_texts::kCharsetDetected, name);
    case CharsetSource::Fallback:
        return fill(page_texts::kCharsetAssumed, name);
    case CharsetSource::Unsupported:
        return fill(page_texts::kCharsetUnsupported, DecodeToUtf8(choice.label, Charset::Latin1));
    case CharsetSource::Declared:
    case CharsetSource::Utf8:
        break;
    }
    return name;
}

Charset PageCharset(const CHtmlPage& page, std::string_view text) {
    return ChoosePageCharset(page, text).charset;
}

std::string DecodeToUtf8(std::string_view bytes, Charset charset) {
    std::string out;
    if (charset == Charset::Utf8) {
        out.reserve(bytes.size());
        std::uint32_t cp = 0;
        for (std::size_t i = 0; i < bytes.size();) {
            std::size_t n = ReadUtf8(bytes, i, cp);
            if (n == 0) {
                AppendUtf8(out, 0xFFFD);
                ++i;
            } else {
                out.append(bytes.substr(i, n));
                i += n;
            }
        }
        return out;
    }
    const char* iconvName = charset.IsSupported() ? kKnown[charset.Id()].iconvName : nullptr;
    if (iconvName != nullptr) {
        Converter converter("UTF-8", iconvName);
        if (converter.ok()) {
            return converter.Convert(bytes, [](std::string_view, std::string& to) {
                AppendUtf8(to, 0xFFFD);
                return std::size_t{1};
            });
        }
    }
    // The single-byte charsets read without iconv: Latin-1 (and what is
    // shown of an unsupported charset) byte for code point, windows-1252
    // and US-ASCII with their own 0x80 to 0x9F.
    const bool latin1 =
        charset == Charset::Latin1 || iconvName != nullptr || !charset.IsSupported();
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u >= 0x80 && u <= 0x9F && !latin1) {
            AppendUtf8(out, kCp1252High[u - 0x80]);
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

namespace {

// Valid UTF-8 with every invalid byte replaced by U+FFFD.
std::string ValidUtf8(std::string_view utf8) {
    if (IsValidUtf8(utf8)) {
        return std::string(utf8);
    }
    return DecodeToUtf8(utf8, Charset::Utf8);
}

} // namespace

std::string EncodeFromUtf8(std::string_view input, Charset charset) {
    if (charset == Charset::Utf8) {
        return std::string(input);
    }
    const std::string utf8 = ValidUtf8(input);
    const char* iconvName = charset.IsSupported() ? kKnown[charset.Id()].iconvName : nullptr;
    if (iconvName != nullptr) {
        Converter converter(iconvName, "UTF-8");
        if (converter.ok()) {
            return converter.Convert(utf8, [](std::string_view rest, std::string& to) {
                std::uint32_t cp = 0xFFFD;
                std::size_t n = ReadUtf8(rest, 0, cp);
                AppendReference(to, n == 0 ? 0xFFFD : cp);
                return n == 0 ? std::size_t{1} : n;
            });
        }
    }
    const bool latin1 =
        charset == Charset::Latin1 || iconvName != nullptr || !charset.IsSupported();
    std::string out;
    out.reserve(utf8.size());
    std::uint32_t cp = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t n = ReadUtf8(utf8, i, cp);
        i += n;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        if (latin1) {
            if (cp <= 0xFF) {
                out += static_cast<char>(cp);
            } else {
                AppendReference(out, cp);
            }
            continue;
        }
        // Windows-1252, and US-ASCII read the same way.
        if (cp >= 0xA0 && cp <= 0xFF) {
            out += static_cast<char>(cp);
            continue;
        }
        bool found = false;
        for (std::size_t k = 0; k < kCp1252High.size(); ++k) {
            if (kCp1252High[k] == cp) {
                out += static_cast<char>(0x80 + k);
                found = true;
                break;
            }
        }
        if (!found) {
            AppendReference(out, cp);
        }
    }
    return out;
}

} // namespace orlen
