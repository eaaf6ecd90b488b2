// Texts of the command-line tool.
#pragma once

#include <string_view>

namespace orlen::cli_texts {

inline constexpr std::string_view kProgram = "orlen-meta";
inline constexpr std::string_view kVersion = "orlen-meta 1.5";

inline constexpr std::string_view kUsage = "Usage: orlen-meta COMMAND [OPTIONS] ARGUMENTS...\n"
                                           "Try 'orlen-meta --help' for more information.\n";

inline constexpr std::string_view kHelp = R"(Usage: orlen-meta COMMAND [OPTIONS] ARGUMENTS...

Reads and changes the title and meta tags of HTML pages, exactly as the Orlen
editor does: the head is rewritten with normalized tags, and everything from
the first opening <body> tag on is written back byte for byte. Every line
end stays as it is in the file; what is inserted uses the file's first line
end (LF when it has none). Files are replaced through a temporary file, so a failed write
never leaves a damaged page; a page with several hard links is written in
place after a copy of its old content, so that all its names keep showing
the same page.

Commands:
  show PATH...          For each page, print "title<TAB>TEXT", then one line
                        per meta tag in page order: "name<TAB>NAME<TAB>CONTENT",
                        "http-equiv<TAB>NAME<TAB>CONTENT" or, for Open Graph,
                        "property<TAB>NAME<TAB>CONTENT"; then
                        "link<TAB>REL[ HREFLANG]<TAB>HREF" per canonical and
                        language link, and "lang<TAB>VALUE" for the html
                        tag's language. A <meta charset> declaration is the
                        page's charset, not a tag. Backslash, TAB, CR and LF
                        are written as \\, \t, \r and \n. With more than one
                        page, each page's lines follow a line "==> PATH <==".
      --json            Print one JSON object per page and line instead:
                        {"path":..., "charset":..., "title":...,
                        "titleText":..., "meta":[{"name":..., "content":...,
                        "contentText":..., "httpEquiv":true|false}],
                        "links":[{"rel":..., "hreflang":..., "href":...}],
                        "lang":...}, "property":true on Open Graph tags: title
                        and content are the page's source decoded by its
                        charset, titleText and contentText the text with
                        character references (&amp;, &eacute;, &#8211;)
                        decoded too.
  audit PATH...         Check every page (templates left out): its title and
                        description (missing, empty, more than one, too long
                        or too short in characters or in pixels of a
                        search-result line, the same as other pages'),
                        robots noindex or nofollow, a charset declared twice
                        or two different ones, no charset in a page beyond
                        ASCII, no place for meta-data, empty keywords, a
                        meta tag with no name, a tag the web has dropped
                        (keywords, PICS-Label, Window-target and the meta
                        forms of Cache-Control, Expires and Pragma). Prints one finding per line,
                        "PATH: SEVERITY: ID: MESSAGE", in walk order, then a
                        summary on standard error.
      --json            One JSON object per page and line instead: its path,
                        title, description, keywords and robots as text,
                        their lengths and its findings.
      --csv             A table instead (RFC 4180, UTF-8): a header row, then
                        one row per page: file, title, title characters,
                        title pixels, description, description characters,
                        description pixels, keywords, robots, findings.
      --fail-on LEVEL   Exit 5 when a finding of LEVEL or worse was found:
                        error (the default), warning or notice.
      --only ID,...     Report only these findings (for example
                        title-duplicate,description-missing).
  title PAGE            Print the title as text (--raw: as source).
  get PAGE NAME         Print the content of the meta tag NAME (any case,
                        name or http-equiv, else property; anywhere in the
                        page) as text
                        (--raw: as source); exit 1 when there is none.
  body-text PAGE        Print the visible text of the body.
  rebuild PAGE          Print the bytes a save would write; change nothing.
  set PAGE [CHANGES]... Apply the changes in the order given, then save.
      --title TEXT            set the title
      --meta NAME=CONTENT     set a meta tag (content trimmed; empty removes)
      --http-equiv NAME=CONTENT  the same as an http-equiv tag
      --property NAME=CONTENT    the same as an Open Graph tag
      --link canonical=URL, --link alternate:HREFLANG=URL
                              set the canonical link or a language alternate
      --lang LANGUAGE         set the html tag's lang attribute
                              (an empty value removes, for all of these)
      --remove NAME           remove the meta tag NAME
      --dry-run               print the result instead of saving
      --raw                   TEXT and CONTENT are the page's HTML source,
                              written as given; without it they are text,
                              written with & and " (or <, in the title)
                              escaped
                        If any change cannot be made, nothing is written.
  apply TEMPLATE PATH...  Apply a meta-tag template (.mtpl) to every page and
                        save the pages that changed. Progress (on a
                        terminal) and a summary go to standard error;
                        before the summary, a line "removed N temporary
                        files left behind by interrupted saves" says when
                        saving cleared such files away, and a line
                        "PATH: kept: the old content of NAME ..." names
                        each copy of a hard-linked page whose save was
                        interrupted (NAME may be incomplete).
      --dry-run         Write nothing: print one line per page on standard
                        output, "PATH: changed", "PATH: unchanged",
                        "PATH: refused: REASON" or "PATH: failed: REASON";
                        for a single page print the result instead.
      --diff            With --dry-run: under each changed page's line, a
                        unified diff of its head (the lines before <body>),
                        with "---" and "+++" lines naming the page.
      --jobs N          Work on N pages at once (1 to 64; the default is
                        the number of processors, at most 8). Messages come
                        in the order of the pages whatever N is. The saves
                        are made durable in batches: each changed page is
                        written to a temporary file, the batch is flushed
                        to disk at once, then each page is replaced, so a
                        crash still leaves every page as it was or as
                        saved.
  new-template PAGE OUT Write a template based on the page's title and meta
                        tags, each with the action "Set this value if tag
                        doesn't exist".
  date parse TEXT       Read an HTTP date (for example "Sun, 06 Nov 1994
                        08:49:37 GMT") and print it as seconds since
                        1970-01-01 00:00:00 UTC; exit 1 when it cannot be read
                        or lies before 1970.
  date format SECONDS   Print the date in the form written into Expires tags
                        (an empty line when it cannot be written). TEXT and
                        SECONDS are taken as they are, even when they begin
                        with "-".
  suggest keywords PAGE Print the suggested keywords one per line, in the
                        order the editor's list shows them.
      --common-words FILE  Leave out the words of FILE (one per line) instead
                        of the common_words.txt beside this program. FILE
                        must be a regular file of at most 16 MB; anything
                        else is refused with exit status 4.
  suggest description PAGE  Print the suggested description.

A PATH that is a folder is walked: at each level its folders first, then its
files, each group sorted without regard to case, taking the files whose
extension is .htm, .html, .php, .asp, .aspx or .mtpl (apply skips .mtpl)
and files without any extension. The walk stays inside the folder, as find
does: symbolic links to folders met on the way are not followed, and a link
to a file counts only when the file lies inside the folder (a PATH given as
an argument is taken wherever it leads). Each file is shown or changed once
per run, under the first name that reaches it, however many links, hard
links or arguments lead to it. Options may come before or after the
arguments; "--" ends the options.

Charsets: TEXT, CONTENT and NAME are taken as UTF-8 and written in the
page's charset (the one it declares; UTF-8 when it declares none and is
valid UTF-8; else the one its bytes look like), characters it cannot hold
as numeric character references (&#8364;). Templates are read by the
charset they declare. A page that declares a charset other than UTF-8,
US-ASCII, ISO-8859-1 to -10 and -13 to -16, windows-1250 to -1258, KOI8-R,
KOI8-U, Shift_JIS, EUC-JP, GBK, gb18030, Big5 and EUC-KR is never changed
(set and apply: exit status 3, counted as refused).

Other options:
  --crlf                With set, apply and rebuild: make every line end of
                        the page CR LF.
  --help                Show this help and exit.
  --version             Show the version and exit.

Exit status:
  0  success
  1  not found (get)
  2  usage error
  3  a page has no place for meta-data, declares a charset that cannot be
     written, or a change could not be made; the file is left untouched
  4  a file could not be read or written
  5  audit found something at or above the --fail-on level
)";

// What the cleanup of a run's saves found: a count, or a page's name twice.
inline constexpr std::string_view kRemovedLeftover =
    "removed %1 temporary file left behind by an interrupted save";
inline constexpr std::string_view kRemovedLeftovers =
    "removed %1 temporary files left behind by interrupted saves";
inline constexpr std::string_view kKeptBackup =
    "kept: the old content of %1 from a save in place that was interrupted; %2 may be "
    "incomplete";

// Usage errors of --jobs.
inline constexpr std::string_view kJobsNeedsNumber = "--jobs needs a NUMBER from 1 to 64";
inline constexpr std::string_view kJobsIsApplyOption = "--jobs is an option of apply";

// Usage error of --diff.
inline constexpr std::string_view kDiffIsDryRunOption = "--diff is an option of apply --dry-run";

inline constexpr std::string_view kNoTitlePlace =
    "no title element and no closing head tag for the title";
inline constexpr std::string_view kNoMetaPlace = "no place for a new meta tag";
inline constexpr std::string_view kNoLangPlace = "no html tag to take the language";
inline constexpr std::string_view kLinkNeeds =
    "--link needs canonical=URL or alternate:HREFLANG=URL";

} // namespace orlen::cli_texts
