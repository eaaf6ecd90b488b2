#include "cli/orlen_meta.h"

#include "cli/cli_texts.h"
#include "document/document_texts.h"
#include "document/file_listing.h"
#include "document/line_diff.h"
#include "document/safe_file.h"
#include "document/scripted_ui.h"
#include "document/template_batch.h"
#include "document/vantle_doc.h"
#include "editors/http_date.h"
#include "page/charset.h"
#include "page/entities.h"
#include "page/line_reader.h"
#include "page/page_messages.h"
#include "page/text_util.h"
#include "tags/site_audit.h"
#include "tags/site_scan.h"
#include "tags/suggestions.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>
#include <sys/stat.h>
#include <utility>

namespace orlen {

namespace fs = std::filesystem;

std::string EscapeField(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += c;
        }
    }
    return out;
}

namespace {

// The largest word list --common-words reads.
constexpr std::size_t kMaxCommonWordsBytes = std::size_t{16} << 20;

struct Change {
    enum Kind { Title, Meta, HttpEquiv, Property, Link, Lang, Remove } kind;
    std::string name;
    std::string value;
};

struct Options {
    std::string command;
    std::vector<std::string> args;
    bool json = false;
    bool dryRun = false;
    bool diff = false; // --diff: apply --dry-run shows each changed head
    bool crlf = false; // --crlf: every line end of a page read becomes CR LF
    bool raw = false;  // --raw: values are the page's HTML source
    bool help = false;
    bool version = false;
    std::string commonWords; // --common-words FILE; "" for the default list
    bool commonWordsGiven = false;
    unsigned jobs = 0;                 // --jobs N: pages apply works on at once; 0 for the default
    bool csv = false;                  // --csv: audit prints a table
    Severity failOn = Severity::Error; // --fail-on LEVEL of audit
    bool failOnGiven = false;
    std::vector<std::string> only; // --only ID,...: the findings audit reports
    std::vector<Change> changes;
};

// A page found from the arguments: the path to show and the path to open.
using PageRef = BatchPage;

// A message about a page as orlen-meta prints it: one line, its line ends
// made spaces.
std::string MessageLine(const std::string& path, const std::string& text) {
    std::string line(cli_texts::kProgram);
    line += ": ";
    if (!path.empty()) {
        line += path;
        line += ": ";
    }
    const std::size_t start = line.size();
    line += text;
    std::replace(line.begin() + static_cast<std::ptrdiff_t>(start), line.end(), '\r', ' ');
    std::replace(line.begin() + static_cast<std::ptrdiff_t>(start), line.end(), '\n', ' ');
    line += '\n';
    return line;
}

// The worse of two exit statuses: a file error outweighs a refused page,
// which outweighs not found.
int WorseStatus(int a, int b) {
    auto rank = [](int s) {
        return s == kExitFileError ? 3 : s == kExitNoPlace ? 2 : s == kExitNotFound ? 1 : 0;
    };
    return rank(b) > rank(a) ? b : a;
}

// A document with what it says about its pages: the tool's own, which
// prints to standard error, and one for each worker of apply, which
// gathers the messages of its pages for the main thread to print.
class PageSession {
public:
    PageSession(std::ostream& err, bool errIsTerminal) : err_(err), errIsTerminal_(errIsTerminal) {
        ui_.onMessage = [this](const std::string& text) { Report(current_, text); };
    }
    PageSession(const PageSession&) = delete;
    PageSession& operator=(const PageSession&) = delete;

protected:
    void Report(const std::string& path, const std::string& text) {
        err_ << MessageLine(path, text);
    }
    void Worst(int status) { status_ = WorseStatus(status_, status); }

    bool IsRegularOrMissing(const PageRef& page);
    // Opens a page into a fresh document; reports failures. The message
    // about a page without a place for meta-data is shown only when
    // reportNoPlace is set.
    bool Open(const PageRef& page, bool reportNoPlace);
    bool RefuseUnsupportedCharset(const PageRef& page);

    std::ostream& err_;
    bool errIsTerminal_;
    ScriptedUi ui_;
    std::unique_ptr<CVantleDoc> doc_ = std::make_unique<CVantleDoc>(ui_);
    std::string current_;
    int status_ = kExitOk;
};

class Tool : private PageSession {
public:
    Tool(std::ostream& out, std::ostream& err, bool errIsTerminal)
        : PageSession(err, errIsTerminal), out_(out) {}

    int Run(const std::vector<std::string>& args);

private:
    int Usage(const std::string& problem) {
        err_ << cli_texts::kProgram << ": " << problem << "\n" << cli_texts::kUsage;
        return kExitUsage;
    }

    int ParseArgs(const std::vector<std::string>& args, Options& o);
    bool ExpandPaths(const std::vector<std::string>& paths, bool skipTemplates,
                     std::vector<PageRef>& pages);

    // Runs the command the arguments name.
    int Dispatch(const Options& o);
    // Says what the leftover cleanup of this run's saves found, once: this
    // thread's, with what apply's workers found.
    void ReportLeftovers(std::size_t removedByWorkers = 0,
                         std::vector<std::string> keptByWorkers = {});

    int Show(const Options& o);
    int Audit(const Options& o);
    int ShowValue(const Options& o);
    int Rebuild(const Options& o);
    int Set(const Options& o);
    int Apply(const Options& o);
    int NewTemplate(const Options& o);
    int Date(const Options& o);
    int Suggest(const Options& o);

    bool ReadHead(const PageRef& page, CHtmlPage& head, std::string& text,
                  bool wholeUnlessDeclared);
    void PrintShow(const PageRef& page, const CHtmlPage& head, bool header);
    void PrintJson(const PageRef& page, const CHtmlPage& head, const std::string& pageText);

    std::ostream& out_;
    LeftoverTally leftovers_;
};

// The most pages apply works on at once.
constexpr unsigned kMaxJobs = 64;

// Reads the number of --jobs: a decimal number from 1 to kMaxJobs.
bool ReadJobs(const std::string& text, unsigned& jobs) {
    if (text.empty() || text.size() > 2 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    const unsigned value = static_cast<unsigned>(std::stoul(text));
    if (value < 1 || value > kMaxJobs) {
        return false;
    }
    jobs = value;
    return true;
}

// A meta tag with neither a name nor content: a charset declaration
// (<meta charset>), which is the page's charset rather than a tag of its own.
bool IsCharsetOnly(const std::string& name, const std::string& content) {
    return name.empty() && content.empty();
}

bool SplitNameValue(const std::string& text, std::string& name, std::string& value) {
    std::size_t eq = text.find('=');
    if (eq == std::string::npos || eq == 0) {
        return false;
    }
    name = text.substr(0, eq);
    value = text.substr(eq + 1);
    return true;
}

// The options as CLI11 reads them. Each option that takes a value is
// described by what it needs, which the usage error for an option given
// without its value says.
struct CommandLine {
    CLI::App app{std::string(cli_texts::kProgram)};
    CLI::Option* help = nullptr;
    CLI::Option* version = nullptr;
    CLI::Option* json = nullptr;
    CLI::Option* dryRun = nullptr;
    CLI::Option* diff = nullptr;
    CLI::Option* crlf = nullptr;
    CLI::Option* raw = nullptr;
    CLI::Option* title = nullptr;
    CLI::Option* meta = nullptr;
    CLI::Option* httpEquiv = nullptr;
    CLI::Option* property = nullptr;
    CLI::Option* link = nullptr;
    CLI::Option* lang = nullptr;
    CLI::Option* remove = nullptr;
    CLI::Option* commonWords = nullptr;
    CLI::Option* jobs = nullptr;
    CLI::Option* csv = nullptr;
    CLI::Option* failOn = nullptr;
    CLI::Option* only = nullptr;
    // The command and its arguments, in order.
    std::vector<std::string> words;

    CommandLine() {
        // kHelp is the help; CLI11's own would differ.
        app.set_help_flag();
        // Unknown options are left for ParseArgs to name in its own words.
        app.allow_extras();
        help = app.add_flag("-h,--help");
        version = app.add_flag("--version");
        json = app.add_flag("--json");
        dryRun = app.add_flag("-n,--dry-run");
        diff = app.add_flag("--diff");
        crlf = app.add_flag("--crlf");
        raw = app.add_flag("--raw");
        csv = app.add_flag("--csv");
        // One value each time, every time kept: set applies its changes in
        // the order given.
        const auto valueOption = [this](const char* name, const char* needs) {
            return app.add_option(name)->description(needs)->multi_option_policy(
                CLI::MultiOptionPolicy::TakeAll);
        };
        title = valueOption("--title", "a TEXT");
        meta = valueOption("--meta", "NAME=CONTENT");
        httpEquiv = valueOption("--http-equiv", "NAME=CONTENT");
        property = valueOption("--property", "NAME=CONTENT");
        link = valueOption("--link", "canonical=URL or alternate:HREFLANG=URL");
        lang = valueOption("--lang", "a LANGUAGE");
        remove = valueOption("--remove", "a NAME");
        commonWords = valueOption("--common-words", "a FILE");
        jobs = valueOption("--jobs", "a NUMBER");
        failOn = valueOption("--fail-on", "error, warning or notice");
        only = valueOption("--only", "finding IDs separated by commas");
        app.add_option("words", words);
    }
};

// Whether CLI11 reads a word that begins with "-" as one option, as
// orlen-meta does: a long option, or a single letter. CLI11 reads some
// such words as arguments ("-1", "---x") and "-nh" as two options.
bool Cli11ReadsAsOneOption(const std::string& word) {
    const auto nameStart = [](char c) { return c != '-' && c != '!' && c != ' ' && c != '\n'; };
    if (word.size() > 2 && word.starts_with("--")) {
        return nameStart(word[2]);
    }
    return word.size() == 2 && nameStart(word[1]) && !(word[1] >= '0' && word[1] <= '9');
}

// Rewrites the arguments for CLI11 where its rules differ from
// orlen-meta's:
// - the word after "date parse" or "date format" is that command's
//   argument even when it begins with "-": a "--" goes before it;
// - "--title=" gives an empty value, where CLI11 would take the next word:
//   it becomes "--title" and "";
// - every word that begins with "-", before "--", is one option: one that
//   CLI11 would take as an argument or as several options is an unknown
//   option.
// An option that ends the list without its value is refused here too.
// Returns false with the problem, or true with the words for CLI11.
bool PrepareArgs(const CLI::App& app, const std::vector<std::string>& args,
                 std::vector<std::string>& prepared, std::string& problem) {
    bool optionsEnded = false;
    std::size_t positionals = 0;
    bool date = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnded && date && positionals >= 2) {
            prepared.push_back("--");
            optionsEnded = true;
        }
        if (optionsEnded || a.size() < 2 || a[0] != '-') {
            date = positionals == 0 ? a == "date" : date;
            ++positionals;
            prepared.push_back(a);
            continue;
        }
        if (a == "--") {
            optionsEnded = true;
            prepared.push_back(a);
            continue;
        }
        if (!Cli11ReadsAsOneOption(a)) {
            problem = "unknown option '" + a + "'";
            return false;
        }
        const std::size_t eq = a.find('=');
        const std::string name = a.substr(0, eq);
        const CLI::Option* option = a.starts_with("--") ? app.get_option_no_throw(name) : nullptr;
        if (option == nullptr || option->get_expected_min() == 0) {
            // A flag, or an unknown option CLI11 leaves over.
            prepared.push_back(a);
            continue;
        }
        if (eq != std::string::npos) {
            prepared.push_back(name);
            prepared.push_back(a.substr(eq + 1));
            continue;
        }
        if (i + 1 >= args.size()) {
            problem = name + " needs " + option->get_description();
            return false;
        }
        prepared.push_back(a);
        prepared.push_back(args[++i]);
    }
    return true;
}

int Tool::ParseArgs(const std::vector<std::string>& args, Options& o) {
    std::vector<std::string> positional;
    // CLI11 reports what it cannot read by throwing (CLI::Error, a
    // std::exception); here that becomes a usage error.
    try {
        CommandLine line;
        std::vector<std::string> prepared;
        std::string problem;
        if (!PrepareArgs(line.app, args, prepared, problem)) {
            return Usage(problem);
        }
        // CLI11 takes the words last first.
        std::reverse(prepared.begin(), prepared.end());
        line.app.parse(prepared);
        for (const std::string& extra : line.app.remaining()) {
            if (extra != "--") {
                return Usage("unknown option '" + extra + "'");
            }
        }
        o.help = line.help->count() > 0;
        o.version = line.version->count() > 0;
        o.json = line.json->count() > 0;
        o.dryRun = line.dryRun->count() > 0;
        o.diff = line.diff->count() > 0;
        o.crlf = line.crlf->count() > 0;
        o.raw = line.raw->count() > 0;
        for (const std::string& file : line.commonWords->results()) {
            if (file.empty()) {
                return Usage("--common-words needs a FILE");
            }
            o.commonWords = file;
            o.commonWordsGiven = true;
        }
        o.csv = line.csv->count() > 0;
        for (const std::string& level : line.failOn->results()) {
            if (!SeverityFromName(level, o.failOn)) {
                return Usage("--fail-on needs error, warning or notice");
            }
            o.failOnGiven = true;
        }
        for (const std::string& list : line.only->results()) {
            std::size_t at = 0;
            do {
                std::size_t comma = list.find(',', at);
                if (comma == std::string::npos) {
                    comma = list.size();
                }
                const std::string id(Trim(std::string_view(list).substr(at, comma - at)));
                const auto& kinds = FindingKinds();
                if (std::none_of(kinds.begin(), kinds.end(),
                                 [&](const FindingKind& k) { return k.id == id; })) {
                    return Usage("--only: unknown finding '" + id + "'");
                }
                o.only.push_back(id);
                at = comma + 1;
            } while (at <= list.size());
        }
        for (const std::string& number : line.jobs->results()) {
            if (!ReadJobs(number, o.jobs)) {
                return Usage(std::string(cli_texts::kJobsNeedsNumber));
            }
        }
        // The changes in the order given: CLI11 lists each value's option in
        // the order it read them.
        std::map<const CLI::Option*, std::size_t> used;
        for (const CLI::Option* option : line.app.parse_order()) {
            const bool isMeta = option == line.meta || option == line.httpEquiv ||
                                option == line.property || option == line.link;
            if (option != line.title && option != line.remove && option != line.lang && !isMeta) {
                continue;
            }
            const std::string& value = option->results().at(used[option]++);
            if (option == line.title) {
                o.changes.push_back({Change::Title, {}, value});
            } else if (option == line.lang) {
                o.changes.push_back({Change::Lang, std::string(kLangItemName), value});
            } else if (option == line.remove) {
                if (value.empty()) {
                    return Usage("--remove needs a NAME");
                }
                o.changes.push_back({Change::Remove, value, {}});
            } else {
                Change c{option == line.meta        ? Change::Meta
                         : option == line.httpEquiv ? Change::HttpEquiv
                         : option == line.property  ? Change::Property
                                                    : Change::Link,
                         {},
                         {}};
                std::string rel, hreflang;
                if (c.kind == Change::Link) {
                    if (!SplitNameValue(value, c.name, c.value) ||
                        !CHtmlPage::ParseLinkName(c.name, rel, hreflang)) {
                        return Usage(std::string(cli_texts::kLinkNeeds));
                    }
                } else if (!SplitNameValue(value, c.name, c.value)) {
                    return Usage(option->get_name() + " needs NAME=CONTENT");
                }
                o.changes.push_back(std::move(c));
            }
        }
        positional = std::move(line.words);
    } catch (const std::exception& e) {
        return Usage(e.what());
    }
    if (o.help || o.version) {
        return kExitOk;
    }
    if (positional.empty()) {
        return Usage("no command given");
    }
    o.command = positional.front();
    o.args.assign(positional.begin() + 1, positional.end());

    const std::string& c = o.command;
    if (o.json && c != "show" && c != "audit") {
        return Usage("--json is an option of show and audit");
    }
    if ((o.csv || o.failOnGiven || !o.only.empty()) && c != "audit") {
        return Usage("--csv, --fail-on and --only are options of audit");
    }
    if (o.csv && o.json) {
        return Usage("audit prints either --json or --csv");
    }
    if (!o.changes.empty() && c != "set") {
        return Usage("--title, --meta, --http-equiv and --remove are options of set");
    }
    if (o.dryRun && c != "set" && c != "apply") {
        return Usage("--dry-run is an option of set and apply");
    }
    if (o.diff && (c != "apply" || !o.dryRun)) {
        return Usage(std::string(cli_texts::kDiffIsDryRunOption));
    }
    if (o.raw && c != "set" && c != "title" && c != "get") {
        return Usage("--raw is an option of title, get and set");
    }
    if (o.crlf && c != "set" && c != "apply" && c != "rebuild") {
        return Usage("--crlf is an option of set, apply and rebuild");
    }
    if (o.commonWordsGiven && !(c == "suggest" && !o.args.empty() && o.args[0] == "keywords")) {
        return Usage("--common-words is an option of suggest keywords");
    }
    if (o.jobs != 0 && c != "apply") {
        return Usage(std::string(cli_texts::kJobsIsApplyOption));
    }
    auto count = [&](std::size_t n, const char* what) -> int {
        if (o.args.size() != n) {
            return Usage(c + " takes " + what);
        }
        return static_cast<int>(kExitOk);
    };
    if (c == "show") {
        return o.args.empty() ? Usage("show needs at least one PATH") : int{kExitOk};
    }
    if (c == "audit") {
        return o.args.empty() ? Usage("audit needs at least one PATH") : int{kExitOk};
    }
    if (c == "title" || c == "body-text" || c == "rebuild") {
        return count(1, "one PAGE");
    }
    if (c == "get") {
        return count(2, "a PAGE and a NAME");
    }
    if (c == "set") {
        if (int s = count(1, "one PAGE"); s != kExitOk) {
            return s;
        }
        return o.changes.empty() ? Usage("set needs a change (--title, --meta, --http-equiv, "
                                         "--property, --link, --lang, --remove)")
                                 : int{kExitOk};
    }
    if (c == "apply") {
        return o.args.size() < 2 ? Usage("apply needs a TEMPLATE and at least one PATH")
                                 : int{kExitOk};
    }
    if (c == "new-template") {
        return count(2, "a PAGE and an OUT file");
    }
    if (c == "date") {
        if (o.args.size() != 2 || (o.args[0] != "parse" && o.args[0] != "format")) {
            return Usage("date takes 'parse TEXT' or 'format SECONDS'");
        }
        return kExitOk;
    }
    if (c == "suggest") {
        if (o.args.size() != 2 || (o.args[0] != "keywords" && o.args[0] != "description")) {
            return Usage("suggest takes 'keywords PAGE' or 'description PAGE'");
        }
        return kExitOk;
    }
    return Usage("unknown command '" + c + "'");
}

bool Tool::ExpandPaths(const std::vector<std::string>& paths, bool skipTemplates,
                       std::vector<PageRef>& pages) {
    std::vector<BatchMessage> problems;
    const bool ok = ExpandBatchPaths(paths, kDefaultFileTypes, skipTemplates, pages, problems);
    for (const BatchMessage& problem : problems) {
        Report(problem.page, problem.text);
        Worst(kExitFileError);
    }
    return ok;
}

// Refuses, with a report, a page that exists but is not a regular file (a
// folder, a FIFO, a device), before anything tries to read it; a missing one
// is left to the read, which says so.
bool PageSession::IsRegularOrMissing(const PageRef& page) {
    struct stat st {};
    if (::stat(page.path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        Report(page.shown, "not a regular file");
        Worst(kExitFileError);
        return false;
    }
    return true;
}

bool PageSession::Open(const PageRef& page, bool reportNoPlace) {
    current_ = page.shown;
    if (!IsRegularOrMissing(page)) {
        return false;
    }
    // The open's warnings are told apart by their reason. The no-place
    // warning is shown only when the command changes the page; a page in a
    // charset that cannot be written is fine to read, and a change refuses
    // it itself.
    ui_.onMessage = [this, reportNoPlace](const std::string& text) {
        const OpenNotice notice = doc_->LastOpenNotice();
        if ((notice == OpenNotice::NoMetaDataPosition && !reportNoPlace) ||
            notice == OpenNotice::UnsupportedCharset) {
            return;
        }
        Report(current_, text);
    };
    const int opened = doc_->OpenDocument(page.path);
    // Later messages, from changes and saves, are all reported.
    ui_.onMessage = [this](const std::string& text) { Report(current_, text); };
    if (opened == 0) {
        Worst(kExitFileError);
        return false;
    }
    return true;
}

// The head of a page, read as the editor reads it (tags/site_scan.h), for
// the commands that only look at the title and meta tags.
bool Tool::ReadHead(const PageRef& page, CHtmlPage& head, std::string& text,
                    bool wholeUnlessDeclared) {
    current_ = page.shown;
    if (!IsRegularOrMissing(page)) {
        return false;
    }
    std::string error;
    if (!ReadPageHead(page.path, head, text, error, wholeUnlessDeclared)) {
        Report(page.shown, doc_texts::FillIn(doc_texts::kOpenPageFailed, page.path, error));
        Worst(kExitFileError);
        return false;
    }
    return true;
}

void Tool::PrintShow(const PageRef& page, const CHtmlPage& head, bool header) {
    std::string block;
    if (header) {
        block += "==> " + page.shown + " <==\n";
    }
    block += "title\t" + EscapeField(head.GetTitle()) + "\n";
    std::string name, content;
    int httpEquiv = 0;
    for (int i = 0; head.GetMeta(i, name, content, httpEquiv) != 0; ++i) {
        if (IsCharsetOnly(name, content)) {
            continue;
        }
        block += httpEquiv == kMetaHttpEquiv  ? "http-equiv\t"
                 : httpEquiv == kMetaProperty ? "property\t"
                                              : "name\t";
        block += EscapeField(name) + "\t" + EscapeField(content) + "\n";
    }
    std::string lang;
    bool hasLang = false;
    for (const MetaTag& item : head.GetHeadItems()) {
        if (item.httpEquiv == kHtmlLang) {
            hasLang = true;
            lang = item.content;
            continue;
        }
        std::string rel, hreflang;
        CHtmlPage::ParseLinkName(item.name, rel, hreflang);
        block += "link\t" + rel + (hreflang.empty() ? "" : " " + EscapeField(hreflang)) + "\t" +
                 EscapeField(item.content) + "\n";
    }
    if (hasLang) {
        block += "lang\t" + EscapeField(lang) + "\n";
    }
    out_ << block;
}

// A JSON value on one line, as nlohmann-json writes it, with the escapes
// this output has always had where nlohmann-json writes others: BS and FF
// as \u0008 and \u000c rather than \b and \f, DEL as \u007f rather than
// as it is. Invalid UTF-8, which decoded text never holds, becomes U+FFFD
// instead of an exception.
std::string JsonLine(const nlohmann::ordered_json& value) {
    const std::string dumped =
        value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    std::string line;
    line.reserve(dumped.size() + 1);
    for (std::size_t i = 0; i < dumped.size(); ++i) {
        const char c = dumped[i];
        if (c == '\x7f') {
            line += "\\u007f";
        } else if (c == '\\' && i + 1 < dumped.size()) {
            const char escaped = dumped[++i];
            if (escaped == 'b') {
                line += "\\u0008";
            } else if (escaped == 'f') {
                line += "\\u000c";
            } else {
                line += c;
                line += escaped;
            }
        } else {
            line += c;
        }
    }
    line += '\n';
    return line;
}

void Tool::PrintJson(const PageRef& page, const CHtmlPage& head, const std::string& pageText) {
    const CharsetChoice choice = ChoosePageCharset(head, pageText);
    const Charset charset = choice.charset;
    const auto text = [&](const std::string& bytes) { return DecodeToUtf8(bytes, charset); };
    // An unsupported charset is named as the page declares it.
    const std::string charsetName =
        charset.IsSupported() ? std::string(CharsetName(charset)) : choice.label;
    const Charset pathCharset = IsValidUtf8(page.shown) ? Charset::Utf8 : Charset::Windows1252;
    // The keys in this order: ordered_json keeps the order they are added in.
    nlohmann::ordered_json line;
    line["path"] = DecodeToUtf8(page.shown, pathCharset);
    line["charset"] = DecodeToUtf8(charsetName, Charset::Latin1);
    line["title"] = text(head.GetTitle());
    line["titleText"] = SourceToText(head.GetTitle(), charset);
    line["meta"] = nlohmann::ordered_json::array();
    std::string name, content;
    int httpEquiv = 0;
    for (int i = 0; head.GetMeta(i, name, content, httpEquiv) != 0; ++i) {
        if (IsCharsetOnly(name, content)) {
            continue;
        }
        nlohmann::ordered_json tag;
        tag["name"] = text(name);
        tag["content"] = text(content);
        tag["contentText"] = SourceToText(content, charset);
        tag["httpEquiv"] = httpEquiv == kMetaHttpEquiv;
        if (httpEquiv == kMetaProperty) {
            tag["property"] = true;
        }
        line["meta"].push_back(std::move(tag));
    }
    line["links"] = nlohmann::ordered_json::array();
    line["lang"] = nullptr;
    for (const MetaTag& item : head.GetHeadItems()) {
        if (item.httpEquiv == kHtmlLang) {
            line["lang"] = text(item.content);
            continue;
        }
        std::string rel, hreflang;
        CHtmlPage::ParseLinkName(item.name, rel, hreflang);
        nlohmann::ordered_json link;
        link["rel"] = rel;
        link["hreflang"] = text(hreflang);
        link["href"] = text(item.content);
        line["links"].push_back(std::move(link));
    }
    // nlohmann-json throws only on misuse; should it ever, the page is
    // reported rather than the run ended.
    try {
        out_ << JsonLine(line);
    } catch (const nlohmann::ordered_json::exception& e) {
        Report(page.shown, e.what());
        Worst(kExitFileError);
    }
}

int Tool::Show(const Options& o) {
    std::vector<PageRef> pages;
    ExpandPaths(o.args, false, pages);
    const bool headers = pages.size() > 1;
    CHtmlPage head;
    std::string text;
    for (const PageRef& page : pages) {
        if (!ReadHead(page, head, text, o.json)) {
            continue;
        }
        if (o.json) {
            PrintJson(page, head, text);
        } else {
            PrintShow(page, head, headers);
        }
    }
    return status_;
}

// Checks every page on its own as it is read, then titles and descriptions
// across pages, then prints: only the title, description and a few values of
// each page are kept until the end.
int Tool::Audit(const Options& o) {
    std::vector<PageRef> refs;
    ExpandPaths(o.args, true, refs);
    const AuditLimits limits;
    std::vector<PageAudit> pages;
    pages.reserve(refs.size());
    CHtmlPage head;
    std::string text;
    for (const PageRef& ref : refs) {
        if (!ReadHead(ref, head, text, true)) {
            continue;
        }
        pages.push_back(AuditPage(ref.shown, head, text, limits));
    }
    text = std::string();
    AddDuplicateFindings(pages);
    if (!o.only.empty()) {
        for (PageAudit& page : pages) {
            std::erase_if(page.findings, [&](const Finding& f) {
                return std::find(o.only.begin(), o.only.end(), f.id) == o.only.end();
            });
        }
    }

    std::array<std::size_t, 3> counts{};
    bool failed = false;
    for (const PageAudit& page : pages) {
        for (const Finding& f : page.findings) {
            ++counts[static_cast<std::size_t>(f.severity)];
            failed = failed || static_cast<int>(f.severity) <= static_cast<int>(o.failOn);
        }
    }
    const auto utf8 = [](const std::string& bytes) {
        return IsValidUtf8(bytes) ? bytes : DecodeToUtf8(bytes, Charset::Windows1252);
    };
    if (o.csv) {
        // The same CSV as the window's site overview exports.
        out_ << SiteCsv(pages);
    } else if (o.json) {
        for (const PageAudit& p : pages) {
            nlohmann::ordered_json line;
            line["path"] = utf8(p.path);
            line["title"] = p.hasTitle ? nlohmann::ordered_json(p.title) : nullptr;
            line["titleChars"] = p.titleChars;
            line["titlePixels"] = p.titlePixels;
            line["description"] =
                p.hasDescription ? nlohmann::ordered_json(p.description) : nullptr;
            line["descriptionChars"] = p.descriptionChars;
            line["descriptionPixels"] = p.descriptionPixels;
            line["keywords"] = p.hasKeywords ? nlohmann::ordered_json(p.keywords) : nullptr;
            line["robots"] = p.robots;
            line["findings"] = nlohmann::ordered_json::array();
            for (const Finding& f : p.findings) {
                nlohmann::ordered_json finding;
                finding["id"] = f.id;
                finding["severity"] = SeverityName(f.severity);
                finding["message"] = utf8(f.message);
                line["findings"].push_back(std::move(finding));
            }
            try {
                out_ << JsonLine(line);
            } catch (const nlohmann::ordered_json::exception& e) {
                Report(p.path, e.what());
                Worst(kExitFileError);
            }
        }
    } else {
        for (const PageAudit& p : pages) {
            for (const Finding& f : p.findings) {
                out_ << p.path << ": " << SeverityName(f.severity) << ": " << f.id << ": "
                     << f.message << "\n";
            }
        }
    }
    err_ << cli_texts::kProgram << ": " << pages.size()
         << (pages.size() == 1 ? " page, " : " pages, ") << counts[0]
         << (counts[0] == 1 ? " error, " : " errors, ") << counts[1]
         << (counts[1] == 1 ? " warning, " : " warnings, ") << counts[2]
         << (counts[2] == 1 ? " notice\n" : " notices\n");
    if (status_ == kExitFileError) {
        return status_;
    }
    return failed ? kExitFindings : kExitOk;
}

int Tool::ShowValue(const Options& o) {
    const PageRef page{o.args[0], o.args[0]};
    if (!Open(page, false)) {
        return status_;
    }
    // Text as the author reads it, in UTF-8; --raw prints the page's source.
    const auto value = [&](const std::string& source) {
        return o.raw ? source : SourceToText(source, doc_->PageCharset());
    };
    if (o.command == "title") {
        out_ << value(doc_->GetPageTitle()) << "\n";
    } else if (o.command == "body-text") {
        out_ << doc_->GetBodyText() << "\n";
    } else {
        CHtmlPage& p = doc_->Page();
        // A name or http-equiv tag first, then an Open Graph property.
        int kind = kMetaName;
        if (p.IsNull(p.FindMetaByName(o.args[1], kind))) {
            kind = kMetaProperty;
            if (p.IsNull(p.FindMetaByName(o.args[1], kind))) {
                return kExitNotFound;
            }
        }
        out_ << value(p.GetMetaContent(o.args[1], kind)) << "\n";
    }
    return kExitOk;
}

int Tool::Rebuild(const Options& o) {
    if (!Open({o.args[0], o.args[0]}, false)) {
        return status_;
    }
    // Written in its two parts, so that a large body is not copied first.
    const CHtmlPage::TextParts parts = doc_->Page().GetTextParts();
    out_ << parts.rebuilt << parts.kept;
    return kExitOk;
}

int Tool::Set(const Options& o) {
    const PageRef page{o.args[0], o.args[0]};
    if (!Open(page, true)) {
        return status_;
    }
    if (doc_->IsUnwritable()) {
        return kExitNoPlace;
    }
    if (!RefuseUnsupportedCharset(page)) {
        return kExitNoPlace;
    }
    // Values are given as UTF-8 text, escaped for their place and written
    // in the page's charset; with --raw they are the page's HTML source,
    // only encoded.
    const Charset charset = doc_->PageCharset();
    const auto bytes = [charset](const std::string& text) { return EncodeFromUtf8(text, charset); };
    const auto titleSource = [&](const std::string& text) {
        return o.raw ? bytes(text) : TitleTextToSource(text, charset);
    };
    const auto valueSource = [&](const std::string& text) {
        return o.raw ? bytes(text) : AttributeTextToSource(text, charset);
    };
    // Edits change only the rebuilt part of the text: comparing it tells
    // whether the page changed, without a copy of a large body.
    const std::string before(doc_->Page().GetTextParts().rebuilt);
    for (const Change& c : o.changes) {
        int ok = 1;
        switch (c.kind) {
        case Change::Title:
            ok = doc_->SetPageTitle(titleSource(c.value));
            if (ok == 0) {
                Report(page.shown, std::string(cli_texts::kNoTitlePlace));
            }
            break;
        case Change::Meta:
        case Change::HttpEquiv:
        case Change::Property:
        case Change::Link:
        case Change::Lang: {
            const int kind = c.kind == Change::HttpEquiv  ? kMetaHttpEquiv
                             : c.kind == Change::Property ? kMetaProperty
                             : c.kind == Change::Link     ? kLinkItem
                             : c.kind == Change::Lang     ? kHtmlLang
                                                          : kMetaName;
            ok = doc_->SetPageMeta(bytes(c.name), valueSource(c.value), kind);
            if (ok == 0) {
                Report(page.shown, c.kind == Change::Lang ? std::string(cli_texts::kNoLangPlace)
                                                          : std::string(cli_texts::kNoMetaPlace) +
                                                                " (" + c.name + ")");
            }
            break;
        }
        case Change::Remove:
            doc_->Page().RemoveMeta(bytes(c.name));
            break;
        }
        if (ok == 0) {
            return kExitNoPlace;
        }
    }
    const CHtmlPage::TextParts after = doc_->Page().GetTextParts();
    if (o.dryRun) {
        out_ << after.rebuilt << after.kept;
        return kExitOk;
    }
    if (after.rebuilt == before) {
        return kExitOk;
    }
    doc_->SetModifiedFlag();
    return doc_->SaveDocument() != 0 ? kExitOk : kExitFileError;
}

// A page in a charset that cannot be written faithfully is never changed:
// says so and returns false.
bool PageSession::RefuseUnsupportedCharset(const PageRef& page) {
    const CharsetChoice& choice = doc_->PageCharsetChoice();
    if (choice.charset.IsSupported()) {
        return true;
    }
    if (errIsTerminal_) {
        err_ << "\r\x1b[K";
    }
    Report(page.shown, doc_texts::FillIn(doc_texts::kUnsupportedCharset, page.shown, choice.label));
    Worst(kExitNoPlace);
    return false;
}

// --- apply ------------------------------------------------------------------

// A reason on one line, its line ends made spaces.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\r', ' ');
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

int Tool::Apply(const Options& o) {
    const std::string& templatePath = o.args[0];
    // Read once; each worker reads the template from these bytes.
    std::string templateBytes;
    std::string error;
    if (!ReadWholeFile(templatePath, templateBytes, error)) {
        Report(templatePath,
               doc_texts::FillIn(doc_texts::kFailedToReadTemplate, templatePath, error));
        return kExitFileError;
    }
    std::vector<std::string> paths(o.args.begin() + 1, o.args.end());
    std::vector<PageRef> pages;
    ExpandPaths(paths, true, pages);
    const bool single = paths.size() == 1 && pages.size() == 1 && !fs::is_directory(paths[0]);
    // A dry run prints a line per page, but over a single page without
    // --diff the page as it would be.
    const bool wholePage = o.dryRun && single && !o.diff;
    BatchOptions options;
    options.dryRun = o.dryRun;
    options.crlf = o.crlf;
    options.keepHeads = o.diff;
    options.keepWhole = wholePage;
    options.jobs = o.jobs != 0 ? o.jobs : DefaultBatchJobs();
    TemplateBatch batch(templatePath, std::move(templateBytes), options);

    bool progressShown = false;
    const auto onOutcome = [&](std::size_t i, BatchOutcome& outcome) {
        const PageRef& page = pages[i];
        if (!outcome.messages.empty()) {
            if (progressShown) {
                err_ << "\r\x1b[K";
                progressShown = false;
            }
            std::string text;
            for (const BatchMessage& m : outcome.messages) {
                text += m.plain ? m.text + "\n" : MessageLine(m.page, m.text);
            }
            err_ << text;
        }
        if (outcome.kind == BatchClass::Failed) {
            Worst(kExitFileError);
        } else if (outcome.kind == BatchClass::Refused) {
            Worst(kExitNoPlace);
        }
        if (wholePage) {
            out_ << outcome.wholeAfter;
        } else if (o.dryRun) {
            std::string line = page.shown + ": " + std::string(BatchClassName(outcome.kind));
            if (outcome.kind == BatchClass::Refused || outcome.kind == BatchClass::Failed) {
                line += ": " + OneLine(outcome.reason);
            }
            line += '\n';
            if (o.diff && outcome.kind == BatchClass::Changed) {
                line += UnifiedDiff(page.shown, page.shown, outcome.headBefore, outcome.headAfter);
            }
            // On a terminal the line goes out before the progress comes back.
            if (progressShown) {
                err_ << "\r\x1b[K";
                progressShown = false;
            }
            out_ << line;
            if (errIsTerminal_) {
                out_ << std::flush;
            }
        }
        if (errIsTerminal_) {
            err_ << "\r[" << i + 1 << "/" << pages.size() << "] " << page.shown << "\x1b[K"
                 << std::flush;
            progressShown = true;
        }
    };
    const BatchSummary summary = batch.Run(pages, onOutcome);
    if (progressShown) {
        err_ << "\r\x1b[K";
    }
    ReportLeftovers(summary.leftoversRemoved, summary.backupsKept);
    err_ << cli_texts::kProgram << ": " << summary.changed
         << (o.dryRun ? " would change, " : " changed, ") << summary.unchanged << " unchanged, "
         << summary.refused << " refused, " << summary.failed << " failed\n";
    return status_;
}

int Tool::NewTemplate(const Options& o) {
    if (!Open({o.args[0], o.args[0]}, false)) {
        return status_;
    }
    current_ = o.args[1];
    ui_.answers = {Answer::Yes};
    doc_->NewTemplate();
    ui_.answers.clear();
    doc_->templatePath = o.args[1];
    return doc_->SaveTemplate() != 0 ? kExitOk : kExitFileError;
}

int Tool::Date(const Options& o) {
    const std::string& value = o.args[1];
    if (o.args[0] == "parse") {
        std::int64_t t = 0;
        if (ParseHttpDate(value, t) == 0) {
            return kExitNotFound;
        }
        out_ << t << "\n";
        return kExitOk;
    }
    // A signed 64-bit decimal number, nothing more.
    std::size_t digits = value.size() > 0 && (value[0] == '-' || value[0] == '+') ? 1 : 0;
    bool ok = value.size() > digits;
    for (std::size_t i = digits; i < value.size() && ok; ++i) {
        ok = value[i] >= '0' && value[i] <= '9';
    }
    errno = 0;
    const long long t = ok ? std::strtoll(value.c_str(), nullptr, 10) : 0;
    if (!ok || errno == ERANGE) {
        return Usage("SECONDS must be a signed 64-bit decimal number");
    }
    out_ << FormatHttpDate(t) << "\n";
    return kExitOk;
}

int Tool::Suggest(const Options& o) {
    std::string commonWords;
    if (o.commonWordsGiven) {
        // Only a regular file of a sensible size: a FIFO would be waited on
        // for ever, and a device such as /dev/zero read without end.
        std::string bytes;
        std::string error;
        bool complete = false;
        if (!ReadFileStart(o.commonWords, kMaxCommonWordsBytes + 1, bytes, complete, error)) {
            Report(o.commonWords, "cannot read this word list: " + error);
            return kExitFileError;
        }
        if (bytes.size() > kMaxCommonWordsBytes) {
            Report(o.commonWords, "cannot read this word list: larger than 16 MB");
            return kExitFileError;
        }
        commonWords = CommonWordsFromText(bytes);
    } else {
        commonWords = LoadCommonWords(DefaultCommonWordsPath());
    }
    if (!Open({o.args[1], o.args[1]}, false)) {
        return status_;
    }
    const SuggestionTexts texts = PageSuggestionTexts(doc_->Page(), doc_->PageCharset());
    if (o.args[0] == "description") {
        out_ << SuggestDescription(texts.description) << "\n";
        return kExitOk;
    }
    std::string lines;
    for (const std::string& word : KeywordListItems(SuggestKeywords(texts.keywords, commonWords))) {
        lines += word;
        lines += '\n';
    }
    out_ << lines;
    return kExitOk;
}

int Tool::Run(const std::vector<std::string>& args) {
    Options o;
    if (int s = ParseArgs(args, o); s != kExitOk) {
        return s;
    }
    if (o.help) {
        out_ << cli_texts::kHelp;
        return kExitOk;
    }
    if (o.version) {
        out_ << cli_texts::kVersion << "\n";
        return kExitOk;
    }
    doc_->SetCrLfLineEnds(o.crlf);
    const int status = Dispatch(o);
    ReportLeftovers();
    return status;
}

void Tool::ReportLeftovers(std::size_t removedByWorkers, std::vector<std::string> keptByWorkers) {
    std::vector<std::string> kept = leftovers_.KeptBackups();
    kept.insert(kept.end(), keptByWorkers.begin(), keptByWorkers.end());
    // In the order of their names, whichever thread came across them.
    std::sort(kept.begin(), kept.end());
    if (const std::size_t n = leftovers_.Removed() + removedByWorkers; n > 0) {
        err_ << cli_texts::kProgram << ": "
             << doc_texts::FillIn(n == 1 ? cli_texts::kRemovedLeftover
                                         : cli_texts::kRemovedLeftovers,
                                  std::to_string(n))
             << "\n";
    }
    for (const std::string& backup : kept) {
        // The page is named by what comes before ".orlen-backup-".
        const std::string name = fs::path(backup).filename().string();
        const std::string page = name.substr(1, name.rfind(".orlen-") - 1);
        Report(backup, doc_texts::FillIn(cli_texts::kKeptBackup, page, page));
    }
    leftovers_.Clear();
}

int Tool::Dispatch(const Options& o) {
    if (o.command == "show") {
        return Show(o);
    }
    if (o.command == "title" || o.command == "get" || o.command == "body-text") {
        return ShowValue(o);
    }
    if (o.command == "rebuild") {
        return Rebuild(o);
    }
    if (o.command == "audit") {
        return Audit(o);
    }
    if (o.command == "set") {
        return Set(o);
    }
    if (o.command == "apply") {
        return Apply(o);
    }
    if (o.command == "date") {
        return Date(o);
    }
    if (o.command == "suggest") {
        return Suggest(o);
    }
    return NewTemplate(o);
}

} // namespace

int RunOrlenMeta(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 bool errIsTerminal) {
    Tool tool(out, err, errIsTerminal);
    return tool.Run(args);
}

} // namespace orlen
