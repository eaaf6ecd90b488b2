// Keyword and description suggestion: word extraction, counting, the
// choosing passes, the dialogs' results and the description cut.
#include "../temp_dir.h"
#include "page/html_page.h"
#include "tags/suggestions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace orlen {
namespace {

// --- Helpers ---------------------------------------------------------------

// The counting rule written out the plain way: every word is searched for
// from the start of the list. The fast counting must agree with it.
WordCounts CountWordsByLinearSearch(const std::string& bodyText, const std::string& commonWords) {
    WordCounts out;
    const std::string text = extractWords(bodyText, true);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string piece = text.substr(start, end - start);
        start = end + 1;
        for (char& c : piece) {
            if (c >= 'A' && c <= 'Z') {
                c = static_cast<char>(c + ('a' - 'A'));
            }
        }
        const std::size_t b = piece.find_first_not_of(" \t\n\r\v\f");
        const std::size_t e = piece.find_last_not_of(" \t\n\r\v\f");
        piece = b == std::string::npos ? std::string() : piece.substr(b, e - b + 1);
        if (piece.size() < 3 || commonWords.find(" " + piece + " ") != std::string::npos) {
            continue;
        }
        const auto it = std::find(out.words.begin(), out.words.end(), piece);
        if (it == out.words.end()) {
            out.words.push_back(piece);
            out.counts.push_back(1);
        } else {
            std::uint16_t& count = out.counts[static_cast<std::size_t>(it - out.words.begin())];
            count = static_cast<std::uint16_t>(std::min(count + 1, 0xFFFF));
        }
    }
    return out;
}

// prefix followed by a number, e.g. "w12".
std::string Numbered(const char* prefix, int number) {
    std::string name(prefix);
    name += std::to_string(number);
    return name;
}

// "word word word ..." : each (word, times) in order, all copies of a word
// together.
std::string Repeated(const std::vector<std::pair<std::string, int>>& words) {
    std::string text;
    for (const auto& [word, times] : words) {
        for (int i = 0; i < times; ++i) {
            text += word;
            text += ' ';
        }
    }
    return text;
}

// n pieces "w1 w2 ... wn" (or n copies of filler), with some pieces
// replaced; pieces are numbered from 1.
std::string Pieces(int n, const std::map<int, std::string>& replaced = {},
                   const char* filler = nullptr) {
    std::string text;
    for (int i = 1; i <= n; ++i) {
        if (i > 1) {
            text += ' ';
        }
        const auto it = replaced.find(i);
        text += it != replaced.end() ? it->second
                : filler != nullptr  ? std::string(filler)
                                     : Numbered("w", i);
    }
    return text;
}

std::string SourceRoot() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path().string();
}

// --- Word extraction -------------------------------------------------------

TEST(ExtractWords, RunsOfSeparatorsBecomeOneSpace) {
    struct Case {
        const char* text;
        bool withPunctuation;
        const char* expected;
    };
    const Case cases[] = {
        {"", false, ""},
        {"", true, ""},
        {"plain", true, "plain"},
        {"a\tb\nc\rd e", false, "a b c d e"},
        {"x \r\n\t  y", false, "x y"},
        {"  leading", false, " leading"},
        {"trailing \r\n", false, "trailing "},
        {" \t ", false, " "},
        // Punctuation only separates when asked to.
        {"one,two.three", false, "one,two.three"},
        {"one,two.three", true, "one two three"},
        {"a:b;c.d,e(f)g{h}i'j\"k?l!m", true, "a b c d e f g h i j k l m"},
        {"end. (Next) \"word\"!", true, "end Next word "},
        {"\"quoted\"", true, " quoted "},
        {".,;:", false, ".,;:"},
        {".,;:", true, " "},
        // Anything else stays part of a word.
        {"a+b c-d e/f [g] <h> #i", true, "a+b c-d e/f [g] <h> #i"},
        {"\v\f", true, "\v\f"},
        // The bytes of multi-byte characters are kept whole.
        {"caf\xc3\xa9, na\xc3\xafve!", true, "caf\xc3\xa9 na\xc3\xafve "},
        {"\xe2\x80\x9cquote\xe2\x80\x9d", true, "\xe2\x80\x9cquote\xe2\x80\x9d"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(extractWords(c.text, c.withPunctuation), c.expected)
            << "text \"" << c.text << "\" withPunctuation " << c.withPunctuation;
    }
}

// --- Counting --------------------------------------------------------------

TEST(KeywordCounting, PiecesAreLowerCasedTrimmedAndFiltered) {
    // Case folds; pieces shorter than three bytes, pieces without a letter
    // (numbers, dashes, currency) and common words drop out; a plus sign is
    // part of a word, and so is a letter outside ASCII.
    const WordCounts counted =
        CountWords("Cat CAT cat. ab 12 123 a+b x! \vcat\f The the THE theory there \xe2\x80\x93 "
                   "\xe2\x82\xac"
                   "10 100% \xc3\xa9t\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac",
                   " the ");
    const std::vector<std::string> words = {
        "cat", "a+b", "theory", "there", "\xc3\xa9t\xc3\xa9", "\xe6\x97\xa5\xe6\x9c\xac"};
    const std::vector<std::uint16_t> counts = {4, 1, 1, 1, 1, 1};
    EXPECT_EQ(counted.words, words);
    EXPECT_EQ(counted.counts, counts);

    // Lengths are bytes: a two-letter word with an accented letter is long
    // enough. Only ASCII letters fold, so these two stay distinct.
    const WordCounts accented = CountWords("\xc3\xa9t \xc3\x89t", "");
    EXPECT_EQ(accented.words, (std::vector<std::string>{"\xc3\xa9t", "\xc3\x89t"}));
}

TEST(KeywordCounting, CommonWordsMatchWholeEntriesInLowerCase) {
    // An entry matches only a whole word, not a part of one.
    EXPECT_TRUE(IsCommonWord(" the and ", "the"));
    EXPECT_TRUE(IsCommonWord(" the and ", "and"));
    EXPECT_FALSE(IsCommonWord(" the and ", "he"));
    EXPECT_FALSE(IsCommonWord(" the and ", "then"));
    EXPECT_FALSE(IsCommonWord(" theory ", "the"));
    EXPECT_FALSE(IsCommonWord("", "the"));
    // A list in capitals excludes nothing: pieces are compared lower-cased.
    EXPECT_EQ(SuggestKeywords("The cat and THE dog", " THE AND "), "the cat and dog ");
}

TEST(KeywordCounting, ManyDistinctWordsAgreeWithTheLinearRule) {
    // Thousands of distinct words, in mixed case with punctuation and
    // common words between them, repeated with varied frequencies.
    std::mt19937 rng(7);
    std::vector<std::string> vocabulary;
    for (int i = 0; i < 3000; ++i) {
        std::string word;
        for (int n = 0, len = 2 + static_cast<int>(rng() % 7); n < len; ++n) {
            word += static_cast<char>((rng() % 3 == 0 ? 'A' : 'a') + rng() % 26);
        }
        vocabulary.push_back(word);
    }
    const std::string common = " the and of ";
    const char* between[] = {" ", ", ", ". ", " the ", "\t", " (", ") ", "! ", " and "};
    std::string text;
    for (int i = 0; i < 40000; ++i) {
        // A skewed pick, so that counts spread from one to hundreds.
        const std::size_t pick =
            (rng() % vocabulary.size()) * (rng() % vocabulary.size()) / vocabulary.size();
        text += vocabulary[pick];
        text += between[rng() % (sizeof between / sizeof between[0])];
    }
    const WordCounts fast = CountWords(text, common);
    const WordCounts plain = CountWordsByLinearSearch(text, common);
    EXPECT_GT(fast.words.size(), 1000u);
    EXPECT_EQ(fast.words, plain.words);
    EXPECT_EQ(fast.counts, plain.counts);
}

TEST(KeywordCounting, CountsStopAtTheTopInsteadOfWrapping) {
    // 65536 copies would wrap a 16-bit count to zero and lose the word.
    const std::string text = Repeated({{"echo", 70000}, {"other", 1}});
    const WordCounts counted = CountWords(text, "");
    ASSERT_EQ(counted.words, (std::vector<std::string>{"echo", "other"}));
    EXPECT_EQ(counted.counts[0], WordCounts::kMaxCount);
    EXPECT_EQ(counted.counts[1], 1);
    EXPECT_EQ(SuggestKeywords(text, ""), "echo other ");
}

// --- Choosing keywords -----------------------------------------------------

TEST(KeywordSuggestion, SentenceWithCommonWords) {
    const std::string suggestions = SuggestKeywords("The cat and the dog. The cat!", " the and ");
    EXPECT_EQ(suggestions, "cat dog ");
    EXPECT_EQ(KeywordListItems(suggestions), (std::vector<std::string>{"cat", "dog"}));
    EXPECT_EQ(SuggestKeywords("", " the "), "");
    EXPECT_EQ(SuggestKeywords("the and. ab!", " the and "), "");
    EXPECT_TRUE(KeywordListItems("").empty());
}

TEST(KeywordSuggestion, PassesAndTheirBounds) {
    // Words named by their count: k3a is counted three times.
    auto words = [](int count, int n, char first = 'a') {
        std::vector<std::pair<std::string, int>> out;
        for (int i = 0; i < n; ++i) {
            out.push_back({Numbered("k", count) + static_cast<char>(first + i), count});
        }
        return out;
    };
    auto join = [](std::initializer_list<std::vector<std::pair<std::string, int>>> groups) {
        std::vector<std::pair<std::string, int>> out;
        for (const auto& g : groups) {
            out.insert(out.end(), g.begin(), g.end());
        }
        return out;
    };
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, int>> words;
        const char* expected;
    };
    const Case cases[] = {
        {"each pass in turn; three counts belong to the first pass",
         join({words(1, 1), words(2, 1), words(3, 1)}), "k3a k2a k1a "},
        {"first pass keeps list order, not count order", join({words(3, 1), words(9, 1)}),
         "k3a k9a "},
        {"eight frequent words stop the later passes",
         join({words(1, 2), words(3, 4), words(2, 2), words(4, 4)}),
         "k3a k3b k3c k3d k4a k4b k4c k4d "},
        {"a pass takes all of its words, even past eight",
         join({words(3, 7), words(2, 3), words(1, 2)}), "k3a k3b k3c k3d k3e k3f k3g k2a k2b k2c "},
        {"eight after the second pass stops the third",
         join({words(5, 7), words(1, 3), words(2, 1)}), "k5a k5b k5c k5d k5e k5f k5g k2a "},
        {"seven after the second pass runs the third",
         join({words(5, 6), words(1, 2), words(2, 1)}), "k5a k5b k5c k5d k5e k5f k2a k1a k1b "},
        {"only single words", words(1, 10), "k1a k1b k1c k1d k1e k1f k1g k1h k1i k1j "},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SuggestKeywords(Repeated(c.words), ""), c.expected) << c.what;
    }

    // First appearance decides the order, even when the copies are apart.
    EXPECT_EQ(SuggestKeywords("beta alpha alpha gamma alpha beta", ""), "alpha beta gamma ");
    EXPECT_EQ(SuggestKeywords("beta alpha gamma alpha beta", ""), "beta alpha gamma ");
}

TEST(KeywordSuggestion, ListBoxSortsWithoutRegardToCase) {
    EXPECT_EQ(KeywordListItems("zeta Alpha  beta gamma "),
              (std::vector<std::string>{"Alpha", "beta", "gamma", "zeta"}));
    // Items equal but for case keep the order they were added in.
    EXPECT_EQ(KeywordListItems("b B a"), (std::vector<std::string>{"a", "b", "B"}));
    EXPECT_EQ(KeywordListItems("B b a"), (std::vector<std::string>{"a", "B", "b"}));
    // Also among many items, where a sort may move equal items about.
    std::string many;
    std::vector<std::string> sorted;
    for (int i = 0; i < 40; ++i) {
        const std::string lower = Numbered("kw", 49 - i);
        const std::string upper = Numbered("KW", 49 - i);
        const bool upperFirst = i % 3 == 0;
        many += (upperFirst ? upper : lower) + " " + (upperFirst ? lower : upper) + " ";
        sorted.insert(sorted.begin(), {upperFirst ? upper : lower, upperFirst ? lower : upper});
    }
    EXPECT_EQ(KeywordListItems(many), sorted);
    // Digits and punctuation before letters, UTF-8 letters after ASCII.
    EXPECT_EQ(KeywordListItems("\xc3\xa9t\xc3\xa9 zoo 2020 a+b abc"),
              (std::vector<std::string>{"2020", "a+b", "abc", "zoo", "\xc3\xa9t\xc3\xa9"}));
    EXPECT_TRUE(ListBoxLess("abc", "abcd"));
    EXPECT_FALSE(ListBoxLess("ABC", "abc"));
    EXPECT_FALSE(ListBoxLess("abc", "ABC"));
}

TEST(KeywordSuggestion, DialogResultReplacesOrAppends) {
    EXPECT_EQ(KeywordDialogResult({}), "");
    EXPECT_EQ(KeywordDialogResult({"cat", "dog"}), "cat, dog");
    EXPECT_EQ(KeywordDialogResult({"cat"}), "cat");

    struct Case {
        const char* current;
        const char* result;
        bool append;
        const char* expected;
    };
    const Case cases[] = {
        {"  html", "cat, dog", false, "cat, dog"},
        {"  html", "cat, dog", true, "html, cat, dog"},
        {"html, css", "cat", true, "html, css, cat"},
        {"html, css, \t", "cat", true, "html, css, cat"},
        {"html,,", "cat", true, "html, cat"},
        {"html, ", "", true, "html"},
        {" \t ", "cat", true, "cat"},
        {"", "cat", true, "cat"},
        {"html", "", false, ""},
        {"", "", true, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeywordsAfterChoice(c.current, c.result, c.append), c.expected)
            << "current \"" << c.current << "\" append " << c.append;
    }
}

// --- The page's text -----------------------------------------------------

TEST(SuggestionText, CleanWordsAndADescriptionFromTheMainText) {
    const std::string page =
        "<html><head><title>Crumb &amp; Co. bakery</title>"
        "<script>var menu = 'ignored';</script></head><body>"
        "<header><nav><a href=/>Home</a> <a href=/shop>Shop &ndash; Order</a></nav></header>"
        "<script>if (a < b) { track('visit'); }</script><style>p { color: red }</style>"
        "<main><h1>Sourdough bread</h1><p>Our sourdough is baked every morning &mdash; "
        "with flour from the mill &amp; water. Fresh sourdough &euro;4.80.</p>"
        "<form><input name=q> Search the site</form></main>"
        "<footer>Copyright notice</footer></body></html>";
    CHtmlPage p;
    p.SetText(page, 1);
    const SuggestionTexts texts = PageSuggestionTexts(p, Charset::Utf8);
    // No script, style or character reference reaches the words.
    for (const char* gone : {"track", "color", "ignored", "&amp", "&ndash", "mdash"}) {
        EXPECT_EQ(texts.keywords.find(gone), std::string::npos) << gone;
    }
    const std::string keywords = SuggestKeywords(texts.keywords, " the our with from every ");
    const std::vector<std::string> items = KeywordListItems(keywords);
    // Title and heading words count three times: "bakery" and "bread" are
    // frequent although the body names them once or not at all.
    for (const char* word : {"sourdough", "bakery", "bread", "crumb"}) {
        EXPECT_NE(std::find(items.begin(), items.end(), word), items.end()) << keywords;
    }
    for (const char* word : {"&amp", "\xe2\x80\x93", "4.80",
                             "\xe2\x82\xac"
                             "4"}) {
        EXPECT_EQ(std::find(items.begin(), items.end(), word), items.end()) << word;
    }
    // The description comes from the main element, without the menu, the
    // form, the scripts and the footer, with its references decoded.
    EXPECT_EQ(SuggestDescription(texts.description),
              "Sourdough bread Our sourdough is baked every morning \xe2\x80\x94 with flour from "
              "the mill & water. Fresh sourdough \xe2\x82\xac"
              "4.80.");

    // Without main or article: the body, still without its frame.
    CHtmlPage plain;
    plain.SetText("<body><nav>Menu</nav><p>Plain text. More</p><aside>Ad</aside></body>", 1);
    EXPECT_EQ(PageSuggestionTexts(plain, Charset::Utf8).description, "Plain text. More");
    // A Latin-1 page is decoded before its words are counted.
    CHtmlPage latin;
    latin.SetText("<body><p>Caf\xe9 cr&egrave;me</p></body>", 1);
    EXPECT_EQ(PageSuggestionTexts(latin, Charset::Latin1).description, "Caf\xc3\xa9 cr\xc3\xa8me");
}

// --- Description -----------------------------------------------------------

TEST(DescriptionSuggestion, CutAtThirtySixPiecesAndTheLastFullStop) {
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"empty", "", ""},
        {"short without full stop", "a short page text", "a short page text"},
        {"short with a full stop in the middle", "First part. Second part. Third part",
         "First part. Second part."},
        {"forty words, no full stop", Pieces(40), Pieces(36)},
        {"thirty-seven words", Pieces(37), Pieces(36)},
        {"exactly thirty-six words are not cut", Pieces(36), Pieces(36)},
        {"full stop after word 30", Pieces(40, {{30, "w30."}}), Pieces(30, {{30, "w30."}})},
        {"only full stop after word 10 is before the middle", Pieces(40, {{10, "w10."}}),
         Pieces(36, {{10, "w10."}})},
        {"last full stop wins", Pieces(40, {{20, "w20."}, {28, "w28."}, {38, "w38."}}),
         Pieces(28, {{20, "w20."}, {28, "w28."}})},
        {"uncut text keeps any full stop", Pieces(20, {{2, "w2."}}), Pieces(2, {{2, "w2."}})},
        {"white space collapses", "one \r\n\t two", "one two"},
        {"punctuation stays", "Hello, world! (Really?)", "Hello, world! (Really?)"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SuggestDescription(c.text), c.expected) << c.what;
    }

    // The full stop must lie beyond the middle of the kept text: with 36
    // kept pieces of 2 bytes and one of 3 the kept text is 108 bytes long;
    // a full stop at byte 54 is not beyond, one at byte 55 is.
    std::map<int, std::string> atMiddle = {{19, ".b"}, {36, "abc"}};
    std::map<int, std::string> pastMiddle = {{19, "a."}, {36, "abc"}};
    const std::string kept = Pieces(36, atMiddle, "ab");
    ASSERT_EQ(kept.size(), 108u);
    ASSERT_EQ(kept.rfind('.'), 54u);
    EXPECT_EQ(SuggestDescription(Pieces(37, atMiddle, "ab")), kept);
    EXPECT_EQ(SuggestDescription(Pieces(37, pastMiddle, "ab")), Pieces(19, pastMiddle, "ab"));
}

// --- Common-word list ------------------------------------------------------

TEST(CommonWords, LoadsLinesWithAnyLineEnd) {
    test::TempDir dir;
    struct Case {
        const char* bytes;
        const char* expected;
    };
    const Case cases[] = {
        {"the\nand\n", " the and "},
        {"the\r\nand\r\nof", " the and of "},
        {"the\rand\r", " the and "},
        {"the\r\n\r\nand", " the  and "},
        {"", " "},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string path = dir.Write(Numbered("words", n++) + ".txt", c.bytes);
        EXPECT_EQ(LoadCommonWords(path), c.expected) << path;
    }
    EXPECT_EQ(LoadCommonWords(dir / "missing.txt"), "");
    EXPECT_EQ(LoadCommonWords(dir.Path().string()), "");

    // A list with CR LF lines excludes its words like any other.
    const std::string words = LoadCommonWords(dir.Write("crlf.txt", "the\r\nand\r\n"));
    EXPECT_EQ(SuggestKeywords("The cat and the dog. The cat!", words), "cat dog ");
    // A missing list excludes nothing.
    EXPECT_EQ(SuggestKeywords("the cat", LoadCommonWords(dir / "missing.txt")), "the cat ");
}

TEST(CommonWords, ShippedListAndItsDefaultPlace) {
    const std::string words = LoadCommonWords(SourceRoot() + "/resources/common_words.txt");
    ASSERT_FALSE(words.empty());
    // Entries must be lower case and free of stray blanks, or they would
    // never match.
    EXPECT_EQ(words.find_first_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ\t\r\n"), std::string::npos);
    EXPECT_EQ(words.find("  "), std::string::npos);
    for (const char* common : {"the", "and", "which", "should", "about", "through", "because"}) {
        EXPECT_TRUE(IsCommonWord(words, common)) << common;
    }
    EXPECT_EQ(SuggestKeywords("The garden is beside the river, and the river is wide.", words),
              "river garden wide ");

    const std::filesystem::path exeDir = ExecutableDirectory();
    ASSERT_FALSE(exeDir.empty());
    EXPECT_TRUE(exeDir.is_absolute());
    EXPECT_TRUE(std::filesystem::is_directory(exeDir));
    const std::filesystem::path defaultPath = DefaultCommonWordsPath();
    EXPECT_EQ(defaultPath.parent_path(), exeDir);
    EXPECT_EQ(defaultPath.filename(), "common_words.txt");
}

} // namespace
} // namespace orlen
