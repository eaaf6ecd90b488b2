// Keyword and description suggestion from a page's body text.
//
// Keywords: the body text is cut into words, short and common words are
// left out, the rest are counted, and the most frequent ones are offered in
// the "Keyword suggestions" dialog. Description: the start of the body text,
// cut after about three dozen words and preferably after a full stop, is
// offered in the "Page description" dialog. Everything here is the dialogs'
// logic only; the dialogs themselves live in the desktop program.
#pragma once

#include "page/charset.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orlen {

class CHtmlPage;

// --- Common words --------------------------------------------------------

// The common-word list in the form the suggestion matches against: a space,
// then every line of the file (without its line end) followed by one space,
// e.g. " the and of ". Lines end at LF, CR LF or a bare CR; a last line
// without a line end still counts. Empty when the file cannot be opened.
std::string LoadCommonWords(const std::string& path);

// The same form made from the bytes of such a file.
std::string CommonWordsFromText(std::string_view text);

// The directory that holds the running executable (from /proc/self/exe),
// without a trailing slash except for the root itself. Empty when it cannot
// be found.
std::string ExecutableDirectory();

// "<executable directory>/common_words.txt" when that file exists (a build
// tree), otherwise "<executable directory>/../share/orlen/common_words.txt"
// when that one exists (an installed program), otherwise the first. Empty
// when the executable's directory is unknown (the list then stays empty).
std::string DefaultCommonWordsPath();

// True when word is one of the space-separated entries of commonWords.
bool IsCommonWord(std::string_view commonWords, std::string_view word);

// --- Words ---------------------------------------------------------------

// Every run of separators becomes one space; all other bytes are kept.
// Separators are tab, LF, CR and space; with withPunctuation also the
// characters of :;.,(){}'"?! . A text that starts or ends with a separator
// gives a leading or trailing space. All separators are ASCII, so the bytes
// of a UTF-8 multi-byte character are never taken apart.
std::string extractWords(std::string_view text, bool withPunctuation);

// Words eligible as keywords, with how often each occurs.
struct WordCounts {
    // Distinct words in the order of their first appearance.
    std::vector<std::string> words;
    // Parallel to words. Counts stop at kMaxCount instead of wrapping.
    std::vector<std::uint16_t> counts;

    static constexpr std::uint16_t kMaxCount = 0xFFFF;
};

// Whether a UTF-8 word holds a letter: an ASCII letter, or a character
// outside the blocks of punctuation, symbols and currency signs.
bool HasLetter(std::string_view word);

// Counts the keyword candidates of a text: the text is cut at punctuation
// and white space, each piece is lower-cased (ASCII letters only; other
// bytes are left alone) and trimmed, and pieces shorter than three bytes,
// without a letter, or found in commonWords are skipped.
WordCounts CountWords(std::string_view bodyText, std::string_view commonWords);

// --- Keyword suggestion --------------------------------------------------

// Minimum count for the first choosing pass.
inline constexpr std::uint16_t kFrequentWordCount = 3;
// Below this many chosen words, the next pass runs.
inline constexpr std::size_t kEnoughKeywords = 8;

// Chooses from the counted words, in list order within each pass: first
// every word counted kFrequentWordCount times or more; then, while fewer
// than kEnoughKeywords words are chosen, every word counted exactly twice;
// then, while still fewer, every word counted once. A pass takes all of its
// words. Returns the chosen words, each followed by one space.
std::string ChooseKeywords(const WordCounts& counted);

// CountWords then ChooseKeywords: the suggestion string the dialog gets.
std::string SuggestKeywords(std::string_view bodyText, std::string_view commonWords);

// The items of the dialog's sorted list box for a suggestion string: the
// non-empty pieces between single spaces, sorted the way the list box keeps
// them (see ListBoxLess), equal items in the order they were added.
std::vector<std::string> KeywordListItems(std::string_view suggestions);

// The list box's order: byte-wise comparison with ASCII letters folded to
// lower case; bytes of 0x80 and above compare as unsigned, which for UTF-8
// text is code point order.
bool ListBoxLess(std::string_view a, std::string_view b);

// Keywords are a comma-separated list, as search engines read the keywords
// tag.
inline constexpr std::string_view kKeywordSeparator = ", ";

// The dialog's result on OK: the selected items (in list order) joined with
// ", ".
std::string KeywordDialogResult(const std::vector<std::string>& selectedItems);

// The keywords value after OK. Without appendList it is the dialog's result
// alone; with it, the current value without white space and trailing
// commas at its ends, ", " when both are not empty, then the result.
std::string KeywordsAfterChoice(std::string_view currentValue, std::string_view dialogResult,
                                bool appendList);

// --- The page's text for suggestions -------------------------------------

// The text a page's suggestions are made from, decoded from the page's
// charset and its character references into UTF-8.
struct SuggestionTexts {
    // For keywords: the body's text without script and style contents,
    // then the title three times and the text of h1 and h2 headings twice
    // more, so that their words count three times each.
    std::string keywords;
    // For the description: the text of the page's main content: the first
    // main or article element, else the body; without nav, header, footer,
    // aside, script, style and form elements.
    std::string description;
};
SuggestionTexts PageSuggestionTexts(const CHtmlPage& page, Charset charset);

// --- Description suggestion ----------------------------------------------

// Pieces of the body text a description keeps at most.
inline constexpr int kDescriptionPieces = 36;

// The suggested description: the body text with runs of white space made
// single spaces, cut to its first kDescriptionPieces space-separated pieces,
// then cut after its last full stop when that full stop lies beyond the
// middle of the kept text (any full stop qualifies when nothing was cut).
std::string SuggestDescription(std::string_view bodyText);

} // namespace orlen
