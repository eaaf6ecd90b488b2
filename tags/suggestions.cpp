#include "tags/suggestions.h"
#include "page/text_util.h"

#include "page/entities.h"
#include "page/html_page.h"
#include "page/line_reader.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <limits>
#include <system_error>
#include <unordered_map>

namespace orlen {
namespace {

constexpr std::string_view kSpaceSeparators = "\t\n\r ";
constexpr std::string_view kPunctuationSeparators = ":;.,(){}'\"?!";

// A byte table per separator set, so that the scan over a large page costs
// one lookup per byte.
using SeparatorTable = std::array<bool, 256>;

constexpr SeparatorTable MakeSeparatorTable(bool withPunctuation) {
    SeparatorTable table{};
    for (char c : kSpaceSeparators) {
        table[static_cast<unsigned char>(c)] = true;
    }
    if (withPunctuation) {
        for (char c : kPunctuationSeparators) {
            table[static_cast<unsigned char>(c)] = true;
        }
    }
    return table;
}

constexpr SeparatorTable kPlainSeparators = MakeSeparatorTable(false);
constexpr SeparatorTable kAllSeparators = MakeSeparatorTable(true);

// Calls f for every piece of text between single spaces, from position 0:
// each piece runs up to the next space or the end of the text.
template <typename F> void ForEachPiece(std::string_view text, F f) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        f(text.substr(start, end - start));
        start = end + 1;
    }
}

} // namespace

// --- Common words --------------------------------------------------------

std::string LoadCommonWords(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes;
    // A file that opens but cannot be read (a directory, say) counts as
    // missing: no word is common then.
    if (!in.is_open() || !ReadAll(in, bytes)) {
        return {};
    }
    return CommonWordsFromText(bytes);
}

std::string CommonWordsFromText(std::string_view text) {
    std::string words = " ";
    words.reserve(text.size() + 2);
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\n' && c != '\r') {
            continue;
        }
        words.append(text, lineStart, i - lineStart);
        words += ' ';
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++i;
        }
        lineStart = i + 1;
    }
    // A last line without a line end is a line all the same.
    if (lineStart < text.size()) {
        words.append(text.substr(lineStart));
        words += ' ';
    }
    return words;
}

std::string ExecutableDirectory() {
    std::error_code ec;
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe", ec).string();
    if (ec) {
        return {};
    }
    const std::size_t slash = exe.rfind('/');
    if (slash == std::string::npos) {
        return {};
    }
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::string DefaultCommonWordsPath() {
    const std::string dir = ExecutableDirectory();
    if (dir.empty()) {
        return {};
    }
    // Beside the program in a build tree; in share/orlen when installed.
    const std::filesystem::path exeDir(dir);
    const std::filesystem::path beside = exeDir / "common_words.txt";
    const std::filesystem::path installed =
        exeDir.parent_path() / "share" / "orlen" / "common_words.txt";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(beside, ec) &&
        std::filesystem::is_regular_file(installed, ec)) {
        return installed.lexically_normal().string();
    }
    return beside.string();
}

bool IsCommonWord(std::string_view commonWords, std::string_view word) {
    // The word, framed by spaces, must occur in the list; words never hold a
    // space, so this matches exactly one entry of the list.
    std::string framed;
    framed.reserve(word.size() + 2);
    framed += ' ';
    framed += word;
    framed += ' ';
    return commonWords.find(framed) != std::string_view::npos;
}

// --- Words ---------------------------------------------------------------

std::string extractWords(std::string_view text, bool withPunctuation) {
    const SeparatorTable& separator = withPunctuation ? kAllSeparators : kPlainSeparators;
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (separator[static_cast<unsigned char>(text[i])]) {
            out += ' ';
            do {
                ++i;
            } while (i < text.size() && separator[static_cast<unsigned char>(text[i])]);
            continue;
        }
        // Copy the run up to the next separator in one go.
        const std::size_t start = i;
        while (i < text.size() && !separator[static_cast<unsigned char>(text[i])]) {
            ++i;
        }
        out.append(text, start, i - start);
    }
    return out;
}

WordCounts CountWords(std::string_view bodyText, std::string_view commonWords) {
    // Marks a word already found to be common, so that the list is searched
    // once per distinct word rather than once per occurrence.
    constexpr std::size_t kCommon = std::numeric_limits<std::size_t>::max();

    WordCounts result;
    // Lower-casing the whole text at once gives the same pieces as lowering
    // each one, and lets every word be a view into this one buffer.
    std::string text = AsciiLower(extractWords(bodyText, true));
    // Word to its index in result.words (or kCommon): first-appearance order
    // is kept by the vectors, the map only finds a word again.
    std::unordered_map<std::string_view, std::size_t> index;
    ForEachPiece(text, [&](std::string_view piece) {
        const std::string_view word = TrimRight(TrimLeft(piece));
        // Numbers, dashes and currency signs are no keywords.
        if (word.size() < 3 || !HasLetter(word)) {
            return;
        }
        const auto [found, isNew] = index.try_emplace(word, result.words.size());
        if (!isNew) {
            if (found->second != kCommon) {
                std::uint16_t& count = result.counts[found->second];
                if (count < WordCounts::kMaxCount) {
                    ++count;
                }
            }
            return;
        }
        if (IsCommonWord(commonWords, word)) {
            found->second = kCommon;
            return;
        }
        result.words.emplace_back(word);
        result.counts.push_back(1);
    });
    return result;
}

bool HasLetter(std::string_view word) {
    for (std::size_t i = 0; i < word.size();) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (c < 0x80) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                return true;
            }
            ++i;
            continue;
        }
        // A UTF-8 sequence: its code point, then whether it lies outside the
        // blocks of punctuation, symbols, currency signs and spaces.
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        std::uint32_t cp = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length && i + k < word.size(); ++k) {
            cp = (cp << 6) | (static_cast<unsigned char>(word[i + k]) & 0x3F);
        }
        i += length;
        const bool symbol = (cp >= 0x80 && cp <= 0xBF) || cp == 0xD7 || cp == 0xF7 ||
                            (cp >= 0x2000 && cp <= 0x2BFF) || (cp >= 0x3000 && cp <= 0x303F) ||
                            (cp >= 0xFE30 && cp <= 0xFE4F) || (cp >= 0xFF00 && cp <= 0xFF20) ||
                            cp == 0xFFFD || (cp >= 0x1F000 && cp <= 0x1FAFF);
        if (!symbol) {
            return true;
        }
    }
    return false;
}

// --- Keyword suggestion --------------------------------------------------

std::string ChooseKeywords(const WordCounts& counted) {
    std::string chosen;
    std::size_t n = 0;
    auto pass = [&](auto takes) {
        for (std::size_t i = 0; i < counted.words.size(); ++i) {
            if (takes(counted.counts[i])) {
                chosen += counted.words[i];
                chosen += ' ';
                ++n;
            }
        }
    };
    pass([](std::uint16_t count) { return count >= kFrequentWordCount; });
    if (n < kEnoughKeywords) {
        pass([](std::uint16_t count) { return count == 2; });
    }
    if (n < kEnoughKeywords) {
        pass([](std::uint16_t count) { return count == 1; });
    }
    return chosen;
}

std::string SuggestKeywords(std::string_view bodyText, std::string_view commonWords) {
    return ChooseKeywords(CountWords(bodyText, commonWords));
}

bool ListBoxLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(AsciiLower(x)) <
               static_cast<unsigned char>(AsciiLower(y));
    });
}

std::vector<std::string> KeywordListItems(std::string_view suggestions) {
    std::vector<std::string> items;
    ForEachPiece(suggestions, [&](std::string_view piece) {
        if (!piece.empty()) {
            items.emplace_back(piece);
        }
    });
    std::stable_sort(items.begin(), items.end(),
                     [](const std::string& a, const std::string& b) { return ListBoxLess(a, b); });
    return items;
}

std::string KeywordDialogResult(const std::vector<std::string>& selectedItems) {
    std::string result;
    for (const std::string& item : selectedItems) {
        if (!result.empty()) {
            result += kKeywordSeparator;
        }
        result += item;
    }
    return result;
}

std::string KeywordsAfterChoice(std::string_view currentValue, std::string_view dialogResult,
                                bool appendList) {
    std::string value;
    if (appendList) {
        // The list goes on after the words already there, however the old
        // value ended.
        std::string_view kept = TrimRight(TrimLeft(currentValue));
        while (!kept.empty() && kept.back() == ',') {
            kept = TrimRight(kept.substr(0, kept.size() - 1));
        }
        value = kept;
        if (!value.empty() && !dialogResult.empty()) {
            value += kKeywordSeparator;
        }
    }
    value += dialogResult;
    return value;
}

// --- The page's text for suggestions -------------------------------------

namespace {

// Open elements of some names, as a stack: a closing tag closes the nearest
// open element of its name and everything opened after it.
class OpenElements {
public:
    explicit OpenElements(std::initializer_list<std::string_view> names) : names_(names) {}
    void Take(const CHtmlTag& tag) {
        if (std::find(names_.begin(), names_.end(), tag.Name()) == names_.end()) {
            return;
        }
        if (tag.Kind() == TagKind::Opening) {
            open_.push_back(tag.Name());
        } else if (tag.Kind() == TagKind::Closing) {
            auto found = std::find(open_.rbegin(), open_.rend(), tag.Name());
            if (found != open_.rend()) {
                open_.erase(std::next(found).base(), open_.end());
            }
        }
    }
    bool Any() const { return !open_.empty(); }
    std::size_t Depth() const { return open_.size(); }

private:
    std::vector<std::string_view> names_;
    std::vector<std::string> open_;
};

// Page bytes as text: decoded from the charset and the character
// references, line breaks and tabs as spaces.
std::string AsText(std::string_view bytes, Charset charset) {
    std::string text = DecodeCharacterReferences(DecodeToUtf8(bytes, charset));
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\t'; }, ' ');
    return text;
}

} // namespace

SuggestionTexts PageSuggestionTexts(const CHtmlPage& page, Charset charset) {
    std::string words;    // keywords: the body without scripts and styles
    std::string headings; // h1 and h2 text
    std::string body;     // description: the body without the page's frame
    std::string main;     // description: the first main or article element
    OpenElements code({"script", "style"});
    OpenElements frame({"nav", "header", "footer", "aside", "script", "style", "form"});
    OpenElements heading({"h1", "h2"});
    // 0 before the first main or article element, 1 inside it, 2 after.
    int mainState = 0;
    std::string mainName;
    std::size_t mainDepth = 0;
    bool inBody = false;
    for (const auto& section : page.Sections()) {
        const CHtmlTag* tag = CHtmlPage::TagOf(*section);
        if (!inBody) {
            inBody = tag != nullptr && tag->IsOpening("body");
            continue;
        }
        if (tag == nullptr) {
            if (section->GetType() != kSectionText) {
                // Comments and server scripts separate words.
                words += ' ';
                body += ' ';
                main += ' ';
                continue;
            }
            const std::string& text = static_cast<const CTextSection&>(*section).Text();
            if (!code.Any()) {
                words += text;
                if (heading.Any()) {
                    headings += text;
                }
            }
            if (!frame.Any()) {
                body += text;
                if (mainState == 1) {
                    main += text;
                }
            }
            continue;
        }
        code.Take(*tag);
        frame.Take(*tag);
        heading.Take(*tag);
        if (mainState == 0 && tag->Kind() == TagKind::Opening &&
            (tag->Is("main") || tag->Is("article"))) {
            mainState = 1;
            mainName = tag->Name();
        } else if (mainState == 1 && tag->Is(mainName)) {
            if (tag->Kind() == TagKind::Opening) {
                ++mainDepth;
            } else if (tag->Kind() == TagKind::Closing) {
                if (mainDepth == 0) {
                    mainState = 2;
                } else {
                    --mainDepth;
                }
            }
        }
        // Tags separate words, except bold and italic.
        if (!tag->Is("b") && !tag->Is("i")) {
            words += ' ';
            headings += ' ';
            body += ' ';
            main += ' ';
        }
    }
    SuggestionTexts texts;
    const std::string title = AsText(page.GetTitle(), charset);
    const std::string headingText = AsText(headings, charset);
    texts.keywords = AsText(words, charset);
    for (int i = 0; i < 3; ++i) {
        texts.keywords += ' ';
        texts.keywords += title;
    }
    for (int i = 0; i < 2; ++i) {
        texts.keywords += ' ';
        texts.keywords += headingText;
    }
    texts.description =
        std::string(TrimRight(TrimLeft(AsText(mainState > 0 ? main : body, charset))));
    return texts;
}

// --- Description suggestion ----------------------------------------------

std::string SuggestDescription(std::string_view bodyText) {
    std::string text = extractWords(bodyText, false);
    // p ends up at the space after the last kept piece, or -1 when the text
    // has no more pieces than a description keeps.
    std::ptrdiff_t p = -1;
    std::size_t space = text.find(' ');
    for (int i = 1; i < kDescriptionPieces && space != std::string::npos; ++i) {
        space = text.find(' ', space + 1);
    }
    if (space != std::string::npos) {
        p = static_cast<std::ptrdiff_t>(space);
        text.resize(space);
    }
    // Prefer to end after a full stop, but not at the cost of more than half
    // of the kept text.
    const std::size_t stop = text.rfind('.');
    if (stop != std::string::npos && 2 * static_cast<std::ptrdiff_t>(stop) > p) {
        text.resize(stop + 1);
    }
    return text;
}

} // namespace orlen
