// orlen-meta end to end: the built program run on files in a temporary
// folder, its output, its exit status and what it leaves on disk.
#include "../temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>

extern char** environ;

namespace orlen {
namespace {

using test::ReadFile;

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

class OrlenMeta : public ::testing::Test {
protected:
    // Runs the program; with a file-size limit, writing past it kills the
    // program midway, as a kill or a crash would.
    Result Run(std::vector<std::string> args, rlim_t fileSizeLimit = 0) {
        const std::string outPath = dir / ".out";
        const std::string errPath = dir / ".err";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addchdir_np(&actions, dir.Path().c_str());
        args.insert(args.begin(), ORLEN_META_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        pid_t pid = 0;
        Result r;
        struct rlimit old {};
        ::getrlimit(RLIMIT_FSIZE, &old);
        if (fileSizeLimit != 0) {
            struct rlimit small = old;
            small.rlim_cur = fileSizeLimit;
            ::setrlimit(RLIMIT_FSIZE, &small);
        }
        const int spawned =
            posix_spawn(&pid, ORLEN_META_PATH, &actions, nullptr, argv.data(), environ);
        ::setrlimit(RLIMIT_FSIZE, &old);
        if (spawned == 0) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        r.out = ReadFile(outPath);
        r.err = ReadFile(errPath);
        std::filesystem::remove(outPath);
        std::filesystem::remove(errPath);
        return r;
    }

    test::TempDir dir;
};

const std::string kPage = "<HTML><HEAD><TITLE>Home\tpage</TITLE>\n"
                          "<META NAME=\"Description\" CONTENT=\"a\\b\">\n"
                          "<meta http-equiv=\"Refresh\" content=\"5\">\n"
                          "</HEAD><BODY BGCOLOR=White>\nBody text</BODY></HTML>\n";

TEST_F(OrlenMeta, ShowPrintsTitleAndTagsEscaped) {
    dir.Write("p.html", kPage);
    Result r = Run({"show", "p.html"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "title\tHome\\tpage\n"
                     "name\tDescription\ta\\\\b\n"
                     "http-equiv\tRefresh\t5\n");
    EXPECT_EQ(r.err, "");

    r = Run({"--json", "show", "p.html"});
    EXPECT_EQ(r.out, "{\"path\":\"p.html\",\"charset\":\"UTF-8\",\"title\":\"Home\\tpage\","
                     "\"titleText\":\"Home\\tpage\",\"meta\":[{\"name\":\"Description\","
                     "\"content\":\"a\\\\b\",\"contentText\":\"a\\\\b\",\"httpEquiv\":"
                     "false},{\"name\":\"Refresh\",\"content\":\"5\",\"contentText\":\"5\","
                     "\"httpEquiv\":true}],\"links\":[],\"lang\":null}\n");
}

// Open Graph properties, canonical and hreflang links and the language:
// shown, found and set like meta tags; an empty value removes.
TEST_F(OrlenMeta, PropertiesLinksAndLanguage) {
    dir.Write("s.html", "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                        "<meta property=\"og:title\" content=\"Card &amp; more\">\n"
                        "<link rel=\"alternate\" hreflang=\"de\" href=\"/de/\">\n"
                        "</head>\n<body><meta property=og:type content=body></body></html>\n");
    Result r = Run({"show", "s.html"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "title\t\nproperty\tog:title\tCard &amp; more\nlink\talternate de\t/de/\n"
                     "lang\ten\n");
    r = Run({"show", "--json", "s.html"});
    EXPECT_EQ(r.out, "{\"path\":\"s.html\",\"charset\":\"UTF-8\",\"title\":\"\",\"titleText\":\"\","
                     "\"meta\":[{\"name\":\"og:title\",\"content\":\"Card &amp; more\","
                     "\"contentText\":\"Card & more\",\"httpEquiv\":false,\"property\":true}],"
                     "\"links\":[{\"rel\":\"alternate\",\"hreflang\":\"de\",\"href\":\"/de/\"}],"
                     "\"lang\":\"en\"}\n");
    EXPECT_EQ(Run({"get", "s.html", "OG:TITLE"}).out, "Card & more\n");
    EXPECT_EQ(Run({"get", "s.html", "og:type"}).status, 0); // anywhere, as get finds tags

    r = Run({"set", "s.html", "--property", "og:title=New & old", "--property",
             "og:image=img/card.png", "--link", "canonical=https://e.org/s", "--link",
             "alternate:de=", "--lang", "de-CH"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(dir / "s.html"),
              "<!DOCTYPE html>\n<html lang=\"de-CH\">\n<head>\n<meta charset=\"utf-8\">\n"
              "<meta property=\"og:title\" content=\"New &amp; old\"/>\n"
              "\t<meta property=\"og:image\" content=\"img/card.png\"/>\n"
              "\t<link rel=\"canonical\" href=\"https://e.org/s\"/>\n"
              "</head>\n<body><meta property=og:type content=body></body></html>\n");
    ASSERT_EQ(Run({"set", "s.html", "--property", "og:image=", "--lang="}).status, 0);
    EXPECT_EQ(Run({"show", "s.html"}).out,
              "title\t\nproperty\tog:title\tNew &amp; old\nlink\tcanonical\thttps://e.org/s\n");

    r = Run({"set", "s.html", "--link", "stylesheet=/s.css"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--link needs canonical=URL or alternate:HREFLANG=URL"),
              std::string::npos);
    dir.Write("bare.html", "<head></head>");
    r = Run({"set", "bare.html", "--lang", "en"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("no html tag to take the language"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(dir / "bare.html"), "<head></head>");
}

// Values as text: show --json gives both forms, title and get print the
// text (--raw the source), set escapes what it is given (--raw takes it as
// the page's source).
TEST_F(OrlenMeta, ValuesAreTextUnlessRawIsAsked) {
    dir.Write("t.html",
              "<head><meta charset=\"iso-8859-1\"><title>Tom &amp; Jerry</title>"
              "<meta name=\"author\" content=\"caf&eacute; &quot;x&quot;\"></head><body>b");
    Result r = Run({"show", "--json", "t.html"});
    EXPECT_NE(r.out.find("\"title\":\"Tom &amp; Jerry\",\"titleText\":\"Tom & Jerry\""),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\"contentText\":\"caf\xc3\xa9 \\\"x\\\"\""), std::string::npos) << r.out;
    EXPECT_EQ(Run({"title", "t.html"}).out, "Tom & Jerry\n");
    EXPECT_EQ(Run({"title", "--raw", "t.html"}).out, "Tom &amp; Jerry\n");
    EXPECT_EQ(Run({"get", "t.html", "author"}).out, "caf\xc3\xa9 \"x\"\n");
    EXPECT_EQ(Run({"get", "--raw", "t.html", "author"}).out, "caf&eacute; &quot;x&quot;\n");

    ASSERT_EQ(
        Run({"set", "t.html", "--title", "A & B <3 \xe2\x80\x93", "--meta", "author=\"Ann\" & Co"})
            .status,
        0);
    std::string saved = ReadFile(dir / "t.html");
    EXPECT_NE(saved.find("<title>A &amp; B &lt;3 &#8211;</title>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("content=\"&quot;Ann&quot; &amp; Co\""), std::string::npos) << saved;
    ASSERT_EQ(Run({"set", "--raw", "t.html", "--title", "C &amp; D \xc3\xa9"}).status, 0);
    saved = ReadFile(dir / "t.html");
    EXPECT_NE(saved.find("<title>C &amp; D \xe9</title>"), std::string::npos) << saved;
    EXPECT_EQ(Run({"rebuild", "--raw", "t.html"}).status, 2);
}

TEST_F(OrlenMeta, ShowWalksFoldersInTheBrowsersOrder) {
    dir.Write("site/index.html", "<head><title>I</title></head>");
    dir.Write("site/readme", "<title>R</title>");
    dir.Write("site/skip.txt", "<title>S</title>");
    dir.Write("site/UP.HTML", "<title>U</title>");
    dir.Write("site/b/x.php", "<title>X</title>");
    dir.Write("site/A/t.mtpl", "<title action=1>T</title>");
    std::filesystem::create_directory(dir.Path() / "site/empty");
    Result r = Run({"show", "site/"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "==> site/A/t.mtpl <==\ntitle\tT\n"
                     "==> site/b/x.php <==\ntitle\tX\n"
                     "==> site/index.html <==\ntitle\tI\n"
                     "==> site/readme <==\ntitle\tR\n");
    // A page without a place for meta-data is still shown, without a word.
    EXPECT_EQ(r.err, "");

    r = Run({"show", "site/empty"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");

    r = Run({"show", "missing.html", "site/index.html"});
    EXPECT_EQ(r.status, 4);
    EXPECT_NE(r.err.find("missing.html"), std::string::npos);
    EXPECT_EQ(r.out, "title\tI\n"); // a single page: no header line
}

// show reads only the start of a large page; whatever the size of the
// head, and wherever a block of the file ends, it shows what a whole read
// shows.
TEST_F(OrlenMeta, ShowReadsAsMuchOfAPageAsItsHeadNeeds) {
    const std::string body = "<BODY>" + std::string(300000, 'x') + "</BODY>\n";
    // A head longer than the first block read.
    dir.Write("long-head.html", "<head><title>T</title><!--" + std::string(200000, 'c') +
                                    "--><meta name=late content=yes></head>" + body);
    Result r = Run({"show", "long-head.html"});
    EXPECT_EQ(r.out, "title\tT\nname\tlate\tyes\n") << r.err;

    // The body tag, then a CR LF pair, ending around the end of the first
    // block.
    for (int shift = -4; shift <= 16; ++shift) {
        const std::string head = "<head><meta name=m content=" + std::to_string(shift) + ">";
        const std::size_t pad = (1u << 16) + static_cast<std::size_t>(shift) - head.size() - 15;
        const std::string page = head + std::string(pad, ' ') + "\r\n</head>" + body;
        dir.Write("edge.html", page);
        r = Run({"show", "edge.html"});
        EXPECT_EQ(r.out, "title\t\nname\tm\t" + std::to_string(shift) + "\n") << shift;
    }

    // Without a declared charset the charset is told from all the bytes:
    // a byte that is not UTF-8 far into the body makes it windows-1252.
    dir.Write("latin.html", "<head><title>caf\xe9</title></head><body>" + std::string(200000, 'x') +
                                "\xe9</body>");
    r = Run({"--json", "show", "latin.html"});
    EXPECT_NE(r.out.find("\"charset\":\"windows-1252\",\"title\":\"caf\xc3\xa9\""),
              std::string::npos)
        << r.out;
}

TEST_F(OrlenMeta, SingleValuesAndRebuild) {
    dir.Write("p.html", kPage);
    EXPECT_EQ(Run({"title", "p.html"}).out, "Home\tpage\n");
    EXPECT_EQ(Run({"get", "p.html", "REFRESH"}).out, "5\n");
    Result missing = Run({"get", "p.html", "keywords"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(Run({"body-text", "p.html"}).out, "Body text\n");
    // Line ends stay as they are; --crlf makes every one CR LF.
    Result rebuilt = Run({"rebuild", "p.html"});
    EXPECT_EQ(rebuilt.out, "<html><head><title>Home\tpage</title>\n"
                           "<meta name=\"Description\" content=\"a\\b\">\n"
                           "<meta http-equiv=\"Refresh\" content=\"5\">\n"
                           "</head><BODY BGCOLOR=White>\nBody text</BODY></HTML>\n");
    EXPECT_EQ(Run({"rebuild", "--crlf", "p.html"}).out,
              "<html><head><title>Home\tpage</title>\r\n"
              "<meta name=\"Description\" content=\"a\\b\">\r\n"
              "<meta http-equiv=\"Refresh\" content=\"5\">\r\n"
              "</head><BODY BGCOLOR=White>\r\nBody text</BODY></HTML>\r\n");
    EXPECT_EQ(ReadFile(dir / "p.html"), kPage);

    // A page with no place for meta-data: rebuild still shows its bytes.
    dir.Write("u.html", "<p>x</p>\n");
    EXPECT_EQ(Run({"rebuild", "u.html"}).out, "<p>x</p>\n");
}

TEST_F(OrlenMeta, SetAppliesChangesInOrderAndSaves) {
    const std::string path = dir.Write("p.html", kPage);
    ::chmod(path.c_str(), 0604);
    Result r = Run({"set", "p.html", "--meta", "keywords= a, b ", "--remove", "description",
                    "--http-equiv=Expires=0", "--title", "New", "--meta", "refresh="});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFile(path), "<html><head><title>New</title>\n"
                              "<meta name=\"keywords\" content=\"a, b\"/>"
                              "\n\t<meta http-equiv=\"Expires\" content=\"0\"/>\n"
                              "</head><BODY BGCOLOR=White>\nBody text</BODY></HTML>\n");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0604u);

    // --dry-run prints and leaves the file alone; "--" ends the options.
    const std::string saved = ReadFile(path);
    r = Run({"set", "--dry-run", "--title", "-x-", "--", "p.html"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("<title>-x-</title>"), std::string::npos);
    EXPECT_EQ(ReadFile(path), saved);
    dir.Write("-odd.html", "<head></head>");
    EXPECT_EQ(Run({"set", "--title", "T", "--", "-odd.html"}).status, 0);
    EXPECT_EQ(ReadFile(dir / "-odd.html"), "<head><title>T</title></head>");
    EXPECT_EQ(Run({"set", "--crlf", "--title", "U", "--", "-odd.html"}).status, 0);
    EXPECT_EQ(ReadFile(dir / "-odd.html"), "<head><title>U</title></head>\r\n");
}

// A page without a body tag is cut only as far as its head; what follows is
// written as the cut would write it (tags normalized), and a set that changes
// nothing leaves the file untouched, with a body tag or without.
TEST_F(OrlenMeta, PagesWithAndWithoutABodyTagSetOnlyWhatChanges) {
    const std::string noBody = "<HTML><HEAD><TITLE>T</TITLE>\n<meta name=\"a\" content=\"1\"/>\n"
                               "</HEAD>\n<P CLASS=X>one</P>\n<DIV\n id='q'>two</DIV></BODY>\n";
    const std::string noBodyRebuilt =
        "<html><head><title>T</title>\n<meta name=\"a\" content=\"1\"/>\n"
        "</head>\n<p class=X>one</p>\n<div id='q'>two</div></body>\n";
    const std::string body = "<html><head><title>T</title>\n<meta name=\"a\" content=\"1\"/>\n"
                             "</head><BODY>\n<P CLASS=X>one</P></BODY>\n";
    for (const auto& [name, text, rebuilt] :
         {std::tuple{"n.html", noBody, noBodyRebuilt}, std::tuple{"b.html", body, body}}) {
        const std::string path = dir.Write(name, text);
        EXPECT_EQ(Run({"rebuild", name}).out, rebuilt) << name;
        // The same value again: nothing to write, the file keeps its inode.
        struct stat before {};
        ::stat(path.c_str(), &before);
        EXPECT_EQ(Run({"set", name, "--meta", "a=1"}).status, 0) << name;
        struct stat after {};
        ::stat(path.c_str(), &after);
        EXPECT_EQ(after.st_ino, before.st_ino) << name;
        EXPECT_EQ(ReadFile(path), text) << name;
        // A new value is written, and only the head changes.
        Result r = Run({"set", "--dry-run", name, "--meta", "a=2"});
        EXPECT_EQ(r.out, std::string(rebuilt).replace(rebuilt.find("\"1\""), 3, "\"2\"")) << name;
        EXPECT_EQ(Run({"set", name, "--meta", "a=2"}).status, 0) << name;
        EXPECT_EQ(ReadFile(path), r.out) << name;
    }
}

// audit: findings in walk order, the three output forms, the exit status
// a site's CI can use, and --only.
TEST_F(OrlenMeta, AuditReportsFindingsAsLinesJsonAndCsv) {
    const std::string description =
        "When the bakery is open, which breads come out of the oven each day, and how to order.";
    const auto page = [&](const std::string& title, const std::string& more) {
        return "<html><head><meta charset=\"utf-8\"><title>" + title +
               "</title><meta name=\"description\" content=\"" + description + "\">" + more +
               "</head><body>x</body></html>\n";
    };
    dir.Write("site/a.html", page("Bakery opening hours and the bread of the day", ""));
    dir.Write("site/b.html", page("Bakery opening hours and the bread of the day", ""));
    dir.Write("site/c.html", page("Caf&eacute; \"Crumb\", the bakery of Harbour Street",
                                  "<meta name=robots content=noindex>"));
    dir.Write("site/sub/nohead.html", "<p>no head</p>\n");
    dir.Write("site/t.mtpl", "<html><head><title></title></head></html>\n");

    Result r = Run({"audit", "site"});
    EXPECT_EQ(r.status, 5) << r.err; // a page without a head is an error
    EXPECT_EQ(r.out,
              "site/sub/nohead.html: error: page-no-head: Unable to find correct position for "
              "meta-data, no changes will be written to this file.\n"
              "site/sub/nohead.html: error: title-missing: No title element\n"
              "site/sub/nohead.html: warning: description-missing: No description\n"
              "site/a.html: warning: title-duplicate: The same title as site/b.html\n"
              "site/a.html: warning: description-duplicate: The same description as site/b.html, "
              "site/c.html\n"
              "site/b.html: warning: title-duplicate: The same title as site/a.html\n"
              "site/b.html: warning: description-duplicate: The same description as site/a.html, "
              "site/c.html\n"
              "site/c.html: warning: description-duplicate: The same description as site/a.html, "
              "site/b.html\n"
              "site/c.html: warning: robots-noindex: Robots are told not to index the page "
              "(noindex)\n");
    EXPECT_EQ(r.err, "orlen-meta: 4 pages, 2 errors, 7 warnings, 0 notices\n");

    // --only and --fail-on decide the exit status.
    r = Run({"audit", "--only", "title-duplicate,robots-noindex", "site"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "orlen-meta: 4 pages, 0 errors, 3 warnings, 0 notices\n");
    EXPECT_EQ(Run({"audit", "--only=title-duplicate", "--fail-on", "warning", "site"}).status, 5);
    EXPECT_EQ(Run({"audit", "--fail-on", "notice", "site/a.html"}).status, 0);
    EXPECT_EQ(Run({"audit", "--only", "no-such-finding", "site"}).status, 2);
    EXPECT_EQ(Run({"audit", "--fail-on", "fatal", "site"}).status, 2);
    EXPECT_EQ(Run({"audit", "--csv", "--json", "site"}).status, 2);
    EXPECT_EQ(Run({"show", "--csv", "site/a.html"}).status, 2);
    EXPECT_EQ(Run({"audit", "site/missing.html"}).status, 4);

    // JSON: one object per page, values as text.
    r = Run({"audit", "--json", "site/c.html"});
    EXPECT_EQ(
        r.out.substr(0, r.out.find("\"findings\"")),
        "{\"path\":\"site/c.html\",\"title\":\"Caf\xc3\xa9 \\\"Crumb\\\", the bakery of "
        "Harbour Street\",\"titleChars\":42,\"titlePixels\":" +
            r.out.substr(r.out.find("\"titlePixels\":") + 14,
                         r.out.find(",\"description\"") - r.out.find("\"titlePixels\":") - 14) +
            ",\"description\":\"" + description +
            "\",\"descriptionChars\":86,"
            "\"descriptionPixels\":" +
            r.out.substr(r.out.find("\"descriptionPixels\":") + 20,
                         r.out.find(",\"keywords\"") - r.out.find("\"descriptionPixels\":") - 20) +
            ",\"keywords\":null,\"robots\":\"noindex\",");
    EXPECT_NE(r.out.find("\"findings\":[{\"id\":\"robots-noindex\",\"severity\":\"warning\""),
              std::string::npos);

    // CSV: a header, then a row per page; quotes doubled, CR LF line ends.
    r = Run({"audit", "--csv", "site/c.html", "site/sub"});
    const std::size_t firstRowEnd = r.out.find("\r\n");
    EXPECT_EQ(r.out.substr(0, firstRowEnd),
              "file,title,title characters,title pixels,description,description characters,"
              "description pixels,keywords,robots,findings");
    EXPECT_NE(r.out.find("\r\nsite/c.html,\"Caf\xc3\xa9 \"\"Crumb\"\", the bakery of Harbour "
                         "Street\",42,"),
              std::string::npos);
    EXPECT_NE(r.out.find(",,noindex,warning:robots-noindex\r\n"), std::string::npos);
    EXPECT_NE(r.out.find("site/sub/nohead.html,,0,0,,0,0,,,error:page-no-head error:title-missing "
                         "warning:description-missing\r\n"),
              std::string::npos);
}

TEST_F(OrlenMeta, SetRefusesWhatCannotBeDoneAndWritesNothing) {
    const std::string noHead = "<html><body>x</body></html>\n";
    dir.Write("u.html", noHead);
    Result r = Run({"set", "u.html", "--meta", "a=b"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("u.html"), std::string::npos);
    EXPECT_NE(r.err.find("Unable to find correct position for meta-data"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "u.html"), noHead);

    // A meta tag alone gives a place for tags but none for a title.
    const std::string metaOnly = "<meta name=a content=1><body>x</body>\n";
    dir.Write("m.html", metaOnly);
    r = Run({"set", "m.html", "--meta", "b=2", "--title", "T"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("m.html: no title element"), std::string::npos);
    EXPECT_EQ(ReadFile(dir / "m.html"), metaOnly);

    EXPECT_EQ(Run({"set", "missing.html", "--title", "x"}).status, 4);
}

TEST_F(OrlenMeta, UsageErrors) {
    dir.Write("p.html", kPage);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"frobnicate"},
                                               {"show"},
                                               {"title"},
                                               {"set", "p.html"},
                                               {"set", "p.html", "--meta", "novalue"},
                                               {"set", "p.html", "--meta", "=x"},
                                               {"set", "p.html", "--title"},
                                               {"show", "--json", "--bogus", "p.html"},
                                               {"title", "--json", "p.html"},
                                               {"get", "p.html"},
                                               {"apply", "t.mtpl"}}) {
        Result r = Run(args);
        EXPECT_EQ(r.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage: orlen-meta"), std::string::npos);
    }
    Result help = Run({"show", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status:"), std::string::npos);
    EXPECT_EQ(Run({"--version"}).out, "orlen-meta 1.5\n");
}

TEST_F(OrlenMeta, ApplyChangesPagesRefusesThoseWithoutPlaceAndSkipsTemplates) {
    dir.Write("t.mtpl", "<html><head><title action=\"3\">Site</title>"
                        "<meta name=\"author\" content=\"Ann\" action=\"1\"/>"
                        "<meta name=\"keywords\" content=\"k\" action=\"4\"/>"
                        "<meta name=\"robots\" content=\"x\" action=\"5\"/></head><body></body>");
    dir.Write("site/a.html", "<head><title></title><meta name=keywords content=j></head>\n");
    dir.Write("site/done.html", "<html><head><title>D</title>\r\n"
                                "<meta name=\"author\" content=\"Ann\"/>"
                                "<meta name=\"keywords\" content=\"k\"/></head>\r\n");
    dir.Write("site/u.html", "<body>no head</body>\n");
    dir.Write("site/other.mtpl", "<head></head>");
    const std::string doneBefore = ReadFile(dir / "site/done.html");

    Result dry = Run({"apply", "t.mtpl", "site", "--dry-run"});
    EXPECT_EQ(dry.status, 3);
    EXPECT_NE(dry.err.find("1 would change"), std::string::npos) << dry.err;
    EXPECT_EQ(ReadFile(dir / "site/a.html"),
              "<head><title></title><meta name=keywords content=j></head>\n");

    Result r = Run({"apply", "t.mtpl", "site"});
    EXPECT_EQ(r.status, 3) << r.err;
    EXPECT_NE(r.err.find("site/u.html: Unable to find correct position"), std::string::npos);
    EXPECT_NE(r.err.find("1 changed, 1 unchanged, 1 refused, 0 failed"), std::string::npos)
        << r.err;
    EXPECT_EQ(ReadFile(dir / "site/a.html"),
              "<head><title>Site</title><meta name=\"keywords\" content=\"k\"/>"
              "\n\t<meta name=\"author\" content=\"Ann\"/></head>\n");
    EXPECT_EQ(ReadFile(dir / "site/done.html"), doneBefore);
    EXPECT_EQ(ReadFile(dir / "site/u.html"), "<body>no head</body>\n");
    EXPECT_EQ(ReadFile(dir / "site/other.mtpl"), "<head></head>");

    // A single page with --dry-run: the result on standard output.
    dir.Write("one.html", "<head></head>");
    Result one = Run({"apply", "--dry-run", "t.mtpl", "one.html"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out, "<head>\n\t<meta name=\"author\" content=\"Ann\"/><title>Site</title>"
                       "</head>");
    EXPECT_EQ(ReadFile(dir / "one.html"), "<head></head>");

    EXPECT_EQ(Run({"apply", "missing.mtpl", "site"}).status, 4);
}

// A dry run over several pages prints a line per page on standard output;
// --diff adds each changed page's head as a unified diff; a single page
// with --diff gets its line and diff instead of the whole page.
TEST_F(OrlenMeta, ApplyDryRunClassesEachPageAndDiffShowsTheHead) {
    dir.Write("t.mtpl", "<html><head><title action=\"1\">Site</title></head><body></body>");
    dir.Write("site/a.html", "<html>\n<head>\n<title>Old</title>\n</head>\n<body>\nx\n</body>\n");
    dir.Write("site/b.html", "<html><head><title>Site</title></head><body></body>\n");
    dir.Write("site/c.html", "<body>no head</body>\n");
    const std::string kept = ReadFile(dir / "site/a.html");

    Result dry = Run({"apply", "--dry-run", "t.mtpl", "site"});
    EXPECT_EQ(dry.status, 3);
    EXPECT_EQ(dry.out, "site/a.html: changed\nsite/b.html: unchanged\n"
                       "site/c.html: refused: Unable to find correct position for meta-data, no "
                       "changes will be written to this file.\n");
    EXPECT_NE(dry.err.find("1 would change, 1 unchanged, 1 refused, 0 failed"), std::string::npos);

    Result diff = Run({"apply", "--dry-run", "--diff", "t.mtpl", "site/a.html", "site/b.html"});
    EXPECT_EQ(diff.status, 0);
    EXPECT_EQ(diff.out, "site/a.html: changed\n--- site/a.html\n+++ site/a.html\n"
                        "@@ -1,4 +1,4 @@\n <html>\n <head>\n-<title>Old</title>\n"
                        "+<title>Site</title>\n </head>\nsite/b.html: unchanged\n");
    Result one = Run({"apply", "-n", "--diff", "t.mtpl", "site/a.html"});
    EXPECT_EQ(one.out.find("site/a.html: changed\n--- site/a.html\n"), 0u) << one.out;
    EXPECT_EQ(ReadFile(dir / "site/a.html"), kept);

    Result missing = Run({"apply", "-n", "t.mtpl", "site/a.html", "site/gone.html"});
    EXPECT_EQ(missing.status, 4);
    EXPECT_EQ(missing.out, "site/a.html: changed\n");
    EXPECT_NE(missing.err.find("site/gone.html: No such file or directory"), std::string::npos);

    Result notDry = Run({"apply", "--diff", "t.mtpl", "site"});
    EXPECT_EQ(notDry.status, 2);
    EXPECT_EQ(notDry.err.find("orlen-meta: --diff is an option of apply --dry-run\n"), 0u);
    EXPECT_EQ(ReadFile(dir / "site/a.html"), kept);
}

TEST_F(OrlenMeta, NewTemplateIsBasedOnThePage) {
    dir.Write("p.html", kPage);
    Result r = Run({"new-template", "p.html", "out.mtpl"});
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string t = ReadFile(dir / "out.mtpl");
    EXPECT_NE(t.find("<title action=\"3\">Home\tpage</title>"), std::string::npos) << t;
    EXPECT_NE(t.find("<meta name=\"Description\" content=\"a\\b\" action=\"3\"/>"),
              std::string::npos);
    EXPECT_NE(t.find("<meta http-equiv=\"Refresh\" content=\"5\" action=\"3\"/>"),
              std::string::npos);
    // The template reads back with the same values; its own charset
    // declaration is its charset, not a tag.
    Result shown = Run({"show", "out.mtpl"});
    EXPECT_EQ(shown.out, "title\tHome\\tpage\nname\tDescription\ta\\\\b\n"
                         "http-equiv\tRefresh\t5\n");

    EXPECT_EQ(Run({"new-template", "p.html", "no/such/dir/out.mtpl"}).status, 4);
}

TEST_F(OrlenMeta, DatesReadAndWrite) {
    Result r = Run({"date", "parse", "Sun, 06 Nov 1994 08:49:37 GMT"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "784111777\n");
    EXPECT_EQ(Run({"date", "parse", "06 Nov 1994 08:49:37 EST"}).out, "784129777\n");
    r = Run({"date", "parse", "-1"}); // taken as the text to read, not an option
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(Run({"date", "parse", "Mon, 01 Jan 1900 00:00:00 GMT"}).status, 1);

    r = Run({"date", "format", "784111777"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Sun, 06 Nov 1994 08:49:37 GMT\n");
    r = Run({"date", "format", "-5"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "\n");
    for (const char* bad : {"12x", "", "+", "99999999999999999999", "1.5"}) {
        EXPECT_EQ(Run({"date", "format", bad}).status, 2) << bad;
    }
    EXPECT_EQ(Run({"date", "when", "x"}).status, 2);
}

TEST_F(OrlenMeta, SuggestionsFromThePageText) {
    dir.Write("p.html", "<html><head></head><body><p>The garden, the river; the garden. "
                        "Garden river market. River market of the market!</p></body></html>");
    dir.Write("common.txt", "the\r\nof\r\ngarden\r\n");
    Result r = Run({"suggest", "keywords", "p.html", "--common-words", "common.txt"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "market\nriver\n");
    // Without a list of its own the one beside the program leaves out "the".
    r = Run({"suggest", "keywords", "p.html"});
    EXPECT_EQ(r.out.find("the\n"), std::string::npos);
    EXPECT_NE(r.out.find("garden\n"), std::string::npos);

    // A text shorter than the cut ends at its last full stop.
    EXPECT_EQ(Run({"suggest", "description", "p.html"}).out,
              "The garden, the river; the garden. Garden river market.\n");
    EXPECT_EQ(Run({"suggest", "keywords", "p.html", "--common-words", "none.txt"}).status, 4);
    EXPECT_EQ(Run({"suggest", "description", "p.html", "--common-words", "common.txt"}).status, 2);
    EXPECT_EQ(Run({"suggest", "keywords", "missing.html"}).status, 4);
}

// A word list is read only when it is a regular file of at most 16 MB:
// anything else is refused at once with exit status 4, never waited on
// (a FIFO that nobody writes to) nor read without end (/dev/zero).
TEST_F(OrlenMeta, CommonWordsMustBeARegularFileOfAtMost16MB) {
    dir.Write("p.html", "<html><head></head><body><p>The garden, the river; the garden. "
                        "Garden river market.</p></body></html>");
    ASSERT_EQ(::mkfifo((dir / "fifo.txt").c_str(), 0644), 0);
    std::filesystem::create_directory(dir / "folder.txt");
    const std::size_t limit = std::size_t{16} << 20;
    dir.Write("17mb.txt", "garden\n" + std::string(17 << 20, 'x'));
    dir.Write("16mb.txt", "the\ngarden\n" + std::string(limit - 11, 'x'));
    struct Row {
        std::string list;
        int status;
        std::string err; // the message; none when the list is taken
    };
    const std::vector<Row> rows = {
        {"fifo.txt", 4, "orlen-meta: fifo.txt: cannot read this word list: Not a regular file\n"},
        {"/dev/zero", 4, "orlen-meta: /dev/zero: cannot read this word list: Not a regular file\n"},
        {"17mb.txt", 4, "orlen-meta: 17mb.txt: cannot read this word list: larger than 16 MB\n"},
        {"folder.txt", 4, "orlen-meta: folder.txt: cannot read this word list: Is a directory\n"},
        {"none.txt", 4,
         "orlen-meta: none.txt: cannot read this word list: No such file or directory\n"},
        {"16mb.txt", 0, ""},
    };
    for (const Row& row : rows) {
        const Result r = Run({"suggest", "keywords", "p.html", "--common-words", row.list});
        EXPECT_EQ(r.status, row.status) << row.list;
        EXPECT_EQ(r.err, row.err) << row.list;
        EXPECT_EQ(r.out, row.status == 0 ? "market\nriver\n" : "") << row.list;
    }
}

// The names in a folder that start with prefix.
std::vector<std::string> NamesStartingWith(const std::filesystem::path& folder,
                                           const std::string& prefix) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename().string().starts_with(prefix)) {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

// Runs of apply killed midway leave their temporary files; the next run
// that saves into a folder removes those and says how many, but keeps and
// names the backup of a hard-linked page whose writing in place was cut
// short, whenever a run saves into its folder, until someone removes it.
TEST_F(OrlenMeta, ApplyRemovesWhatKilledRunsLeftAndKeepsBackups) {
    // The template makes every page longer than the file-size limit below.
    dir.Write("t.mtpl", "<html><head><meta name=\"description\" content=\"" +
                            std::string(5000, 'd') + "\" action=\"1\"/></head><body></body>");
    const std::string page = "<html><head><title>T</title></head><body>b</body></html>\r\n";
    for (const char* name : {"site/x/a.html", "site/y/a.html", "site/z/h.html", "site/z/z.html"}) {
        dir.Write(name, page);
    }
    std::filesystem::create_hard_link(dir / "site/z/h.html", dir / "site/z/h2.html");
    const int killed = 128 + SIGXFSZ;
    // Three killed runs into x leave one file: each removes the one before.
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Run({"apply", "t.mtpl", "site/x"}, 4096).status, killed);
        EXPECT_EQ(NamesStartingWith(dir / "site/x", ".a.html.orlen-").size(), 1u);
    }
    EXPECT_EQ(Run({"apply", "t.mtpl", "site/y"}, 4096).status, killed);
    EXPECT_EQ(Run({"apply", "t.mtpl", "site/z/h.html"}, 4096).status, killed);
    const std::vector<std::string> backups =
        NamesStartingWith(dir / "site/z", ".h.html.orlen-backup-");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(ReadFile(dir / ("site/z/" + backups[0])), page);

    const std::string keptLine = "orlen-meta: site/z/" + backups[0] +
                                 ": kept: the old content of h.html from a save in place that "
                                 "was interrupted; h.html may be incomplete\n";
    Result r = Run({"apply", "t.mtpl", "site"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "orlen-meta: removed 2 temporary files left behind by interrupted saves\n" +
                         keptLine + "orlen-meta: 4 changed, 0 unchanged, 0 refused, 0 failed\n");
    for (const char* folder : {"site/x", "site/y"}) {
        EXPECT_EQ(NamesStartingWith(dir / folder, "."), std::vector<std::string>{}) << folder;
    }
    EXPECT_EQ(NamesStartingWith(dir / "site/z", "."), backups);
    EXPECT_EQ(ReadFile(dir / "site/z/h.html"), ReadFile(dir / "site/z/h2.html"));

    // A run that saves into z again names the backup again; one that only
    // saves elsewhere does not look at z.
    dir.Write("site/z/z.html", page);
    r = Run({"apply", "t.mtpl", "site"});
    EXPECT_EQ(r.err, keptLine + "orlen-meta: 1 changed, 3 unchanged, 0 refused, 0 failed\n");
    dir.Write("site/x/a.html", page);
    r = Run({"apply", "t.mtpl", "site"});
    EXPECT_EQ(r.err, "orlen-meta: 1 changed, 3 unchanged, 0 refused, 0 failed\n");
    EXPECT_EQ(NamesStartingWith(dir / "site/z", "."), backups);
}

// A FIFO named like a page, a ring of file links and a folder link back to
// the top: each named in a message, none waited on or walked for ever, and
// the real page is still processed.
TEST_F(OrlenMeta, FifosAndLinkLoopsAreRefusedWithoutHanging) {
    dir.Write("site/ok.html", "<head><title>ok</title></head><body>b</body>");
    ASSERT_EQ(::mkfifo((dir / "site/x.html").c_str(), 0644), 0);
    std::filesystem::create_symlink(dir / "site/l1.html", dir / "site/l2.html");
    std::filesystem::create_symlink(dir / "site/l2.html", dir / "site/l1.html");
    std::filesystem::create_directory_symlink(dir / "site", dir / "site/again");

    Result one = Run({"show", "site/x.html"});
    EXPECT_EQ(one.status, 4);
    EXPECT_EQ(one.err, "orlen-meta: site/x.html: not a regular file\n");

    Result ring = Run({"title", "site/l1.html"});
    EXPECT_EQ(ring.status, 4);
    EXPECT_EQ(ring.err, "orlen-meta: site/l1.html: Unable to open site/l1.html. Too many "
                        "levels of symbolic links\n");

    Result walk = Run({"show", "site"});
    EXPECT_EQ(walk.status, 4);
    EXPECT_NE(walk.out.find("==> site/ok.html <==\ntitle\tok\n"), std::string::npos) << walk.out;
    EXPECT_EQ(walk.out.find("again/ok.html"), std::string::npos) << walk.out;
    EXPECT_NE(walk.err.find("site/x.html: not a regular file"), std::string::npos) << walk.err;
    EXPECT_NE(walk.err.find("site/l1.html"), std::string::npos) << walk.err;

    ASSERT_EQ(::mkfifo((dir / "t.mtpl").c_str(), 0644), 0);
    Result apply = Run({"apply", "t.mtpl", "site/ok.html"});
    EXPECT_EQ(apply.status, 4);
    EXPECT_NE(apply.err.find("t.mtpl: Failed to read template file t.mtpl."), std::string::npos)
        << apply.err;
    EXPECT_EQ(ReadFile(dir / "site/ok.html"), "<head><title>ok</title></head><body>b</body>");
}

// Pages in the charsets of the world: shown as UTF-8, edited with UTF-8
// values, written in their own bytes, the rest of the page kept.
TEST_F(OrlenMeta, PagesInOtherCharsetsRoundTrip) {
    struct Row {
        const char* label;
        const char* titleText;  // the title, UTF-8
        const char* titleBytes; // the same in the page's charset
        const char* valueText;  // a description set in UTF-8
        const char* valueBytes; // as the page holds it afterwards
    };
    const Row rows[] = {
        {"ISO-8859-2", "\305\240kola", "\251kola",
         "\305\275lu\305\245ou\304\215k\303\275 k\305\257\305\210",
         "\256lu\273ou\350k\375 k\371\362"},
        {"windows-1251", "\320\250\320\272\320\276\320\273\320\260", "\330\352\356\353\340",
         "\320\241\321\212\320\265\321\210\321\214 \320\265\321\211\321\221",
         "\321\372\345\370\374 \345\371\270"},
        {"KOI8-R", "\320\250\320\272\320\276\320\273\320\260", "\373\313\317\314\301",
         "\320\241\321\212\320\265\321\210\321\214 \320\265\321\211\321\221",
         "\363\337\305\333\330 \305\335\243"},
        {"Shift_JIS", "\346\227\245\346\234\254\350\252\236", "\223\372\226{\214\352",
         "\343\202\275\343\203\225\343\203\210\350\241\250\347\244\272",
         "\203\134\203t\203g\225\134\216\246"},
        {"GB18030", "\344\270\255\346\226\207", "\326\320\316\304",
         "\347\256\200\344\275\223\344\270\255\346\226\207\342\202\254",
         "\274\362\314\345\326\320\316\304\242\343"},
        {"Big5", "\344\270\255\346\226\207", "\244\244\244\345",
         "\347\271\201\351\253\224\344\270\255\346\226\207", "\301c\305\351\244\244\244\345"},
        {"EUC-KR", "\355\225\234\352\265\255\354\226\264", "\307\321\261\271\276\356",
         "\354\225\210\353\205\225\355\225\230\354\204\270\354\232\224",
         "\276\310\263\347\307\317\274\274\277\344"},
    };
    for (const Row& row : rows) {
        const std::string declared =
            std::string("<html><head><meta charset=\"") + row.label + "\">";
        const std::string head = declared + "<title>" + row.titleBytes + "</title>\r\n";
        const std::string body = std::string("<body><p>") + row.titleBytes + " &amp; " +
                                 row.valueBytes + "</p></body></html>\r\n";
        dir.Write("p.html", head + body);

        Result shown = Run({"show", "--json", "p.html"});
        EXPECT_EQ(shown.status, 0) << row.label;
        EXPECT_NE(shown.out.find(std::string("\"title\":\"") + row.titleText + "\""),
                  std::string::npos)
            << row.label << ": " << shown.out;

        Result set = Run({"set", "p.html", "--meta", std::string("description=") + row.valueText});
        EXPECT_EQ(set.status, 0) << row.label << ": " << set.err;
        EXPECT_EQ(ReadFile(dir / "p.html"),
                  declared + "\r\n\t<meta name=\"description\" content=\"" + row.valueBytes +
                      "\"/>" + head.substr(declared.size()) + body)
            << row.label;
        shown = Run({"show", "--json", "p.html"});
        EXPECT_NE(shown.out.find(std::string("\"content\":\"") + row.valueText + "\""),
                  std::string::npos)
            << row.label << ": " << shown.out;
    }
}

TEST_F(OrlenMeta, UndeclaredAndUnsupportedCharsets) {
    // No declaration, not UTF-8: windows-1251 told from the bytes.
    const std::string words =
        "\321\372\345\370\374 \346\345 \345\371\270 \375\362\350\365 "
        "\354\377\343\352\350\365 \364\360\340\355\366\363\347\361\352\350\365 "
        "\341\363\353\356\352";
    dir.Write("ru.html", "<html><head><title>" + words + "</title></head><body>" + words +
                             "</body></html>\r\n");
    Result r = Run({"show", "--json", "ru.html"});
    EXPECT_NE(r.out.find("\"charset\":\"windows-1251\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"title\":\"\320\241\321\212\320\265\321\210\321\214 "),
              std::string::npos)
        << r.out;

    // A declared charset that cannot be written: shown, never changed.
    const std::string jis = "<html><head><meta charset=\"ISO-2022-JP\"><title>\033$BF|K\\\033(B"
                            "</title></head><body>x</body></html>\r\n";
    dir.Write("jis.html", jis);
    r = Run({"show", "--json", "jis.html"});
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("\"charset\":\"ISO-2022-JP\""), std::string::npos) << r.out;
    r = Run({"set", "jis.html", "--title", "x"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("ISO-2022-JP"), std::string::npos) << r.err;
    dir.Write("t.mtpl", "<html><head><meta charset=\"utf-8\"><title action=\"1\">T</title>"
                        "</head></html>");
    r = Run({"apply", "t.mtpl", "jis.html"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("0 changed, 0 unchanged, 1 refused"), std::string::npos) << r.err;
    EXPECT_EQ(ReadFile(dir / "jis.html"), jis);
}

// Templates are text: a template made from a Latin-1 page is UTF-8, and a
// template's values reach each page in the page's own charset, without the
// template's charset declaration.
TEST_F(OrlenMeta, TemplatesCarryTextNotBytes) {
    dir.Write("latin1.html", "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                             "charset=iso-8859-1\"><title>Caf\351</title><meta name=\"copyright\" "
                             "content=\"\251 Caf\351\"></head><body>b</body></html>\r\n");
    ASSERT_EQ(Run({"new-template", "latin1.html", "t.mtpl"}).status, 0);
    const std::string t = ReadFile(dir / "t.mtpl");
    EXPECT_NE(t.find("<meta charset=\"utf-8\">"), std::string::npos) << t;
    EXPECT_EQ(t.find("iso-8859-1"), std::string::npos) << t;
    EXPECT_NE(t.find("content=\"\302\251 Caf\303\251\" action=\"3\""), std::string::npos) << t;

    const std::string utf8Page =
        "<html><head><meta charset=\"utf-8\"></head><body>b</body></html>\r\n";
    dir.Write("u.html", utf8Page);
    ASSERT_EQ(Run({"apply", "t.mtpl", "u.html"}).status, 0);
    EXPECT_EQ(
        ReadFile(dir / "u.html"),
        "<html><head><meta charset=\"utf-8\">\r\n\t<meta name=\"copyright\" content=\"\302\251 "
        "Caf\303\251\"/><title>Caf\303\251</title></head><body>b</body></html>\r\n");

    // An old template in Latin-1, with its Content-Type carrying an action.
    dir.Write("old.mtpl", "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                          "charset=iso-8859-1\" action=\"1\"><meta name=\"copyright\" "
                          "content=\"\251 A\" action=\"1\"></head></html>");
    dir.Write("v.html", utf8Page);
    ASSERT_EQ(Run({"apply", "old.mtpl", "v.html"}).status, 0);
    EXPECT_EQ(
        ReadFile(dir / "v.html"),
        "<html><head><meta charset=\"utf-8\">\r\n\t<meta name=\"copyright\" content=\"\302\251 "
        "A\"/></head><body>b</body></html>\r\n");
    // And a UTF-8 template onto a windows-1251 page: what the charset
    // cannot hold becomes a reference.
    dir.Write("w.html",
              "<html><head><meta charset=\"windows-1251\"></head><body>b</body></html>\r\n");
    ASSERT_EQ(Run({"apply", "t.mtpl", "w.html"}).status, 0);
    EXPECT_NE(ReadFile(dir / "w.html").find("content=\"\251 Caf&#233;\""), std::string::npos)
        << ReadFile(dir / "w.html");
}

// The title a page holds on disk.
std::string TitleOf(const std::string& path) {
    const std::string text = ReadFile(path);
    const std::size_t start = text.find("<title>");
    const std::size_t end = text.find("</title>");
    if (start == std::string::npos || end == std::string::npos) {
        return "?";
    }
    return text.substr(start + 7, end - start - 7);
}

// The "path" of every line of show --json, in order.
std::vector<std::string> ShownPaths(const std::string& json) {
    std::vector<std::string> paths;
    const std::string key = "{\"path\":\"";
    for (std::size_t at = json.find(key); at != std::string::npos; at = json.find(key, at)) {
        at += key.size();
        paths.push_back(json.substr(at, json.find('"', at) - at));
    }
    return paths;
}

// A walk stays inside the tree it was given, and each file is visited once
// per run however many names reach it. Every row starts from site/p.html,
// site/d/q.html and outside.html (titles P, Q and O), adds links, shows and
// then applies a template that appends " | Docs" to the title: a page
// reached twice would end in " | Docs | Docs", a page outside the tree would
// change at all.
TEST_F(OrlenMeta, WalksStayInsideTheTreeAndVisitEachFileOnce) {
    struct Link {
        std::string name;
        std::string target; // a symbolic link to this, or with "=" a hard link
    };
    struct Row {
        const char* what;
        std::vector<Link> links;
        std::vector<std::string> args;
        std::vector<std::string> shown;
        std::string p, q, o; // the titles afterwards
        int status = 0;
    };
    const std::vector<Row> rows = {
        {"a folder link up out of the tree is not followed",
         {{"site/d/up", ".."}},
         {"site/d"},
         {"site/d/q.html"},
         "P",
         "Q | Docs",
         "O"},
        {"a folder link to the top from below is not followed",
         {{"site/d/top", "../.."}},
         {"site"},
         {"site/d/q.html", "site/p.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"a folder link looping back to itself",
         {{"site/d/self", "."}},
         {"site/d"},
         {"site/d/q.html"},
         "P",
         "Q | Docs",
         "O"},
        {"a folder link sideways inside the tree is not followed either",
         {{"site/alias", "d"}},
         {"site"},
         {"site/d/q.html", "site/p.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"the folder given may itself be a link",
         {{"linked", "site/d"}},
         {"linked"},
         {"linked/q.html"},
         "P",
         "Q | Docs",
         "O"},
        {"a link beside a file: the file once, under its first name",
         {{"site/r.html", "p.html"}},
         {"site"},
         {"site/d/q.html", "site/p.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"a link sorted before its file",
         {{"site/a.html", "p.html"}},
         {"site"},
         {"site/d/q.html", "site/a.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"a hard link beside a file",
         {{"site/h.html", "=site/p.html"}},
         {"site"},
         {"site/d/q.html", "site/h.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"a hard link in another argument",
         {{"h.html", "=site/p.html"}},
         {"site", "h.html"},
         {"site/d/q.html", "site/p.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"a file given twice",
         {},
         {"site/p.html", "site/p.html"},
         {"site/p.html"},
         "P | Docs",
         "Q",
         "O"},
        {"a folder and a file in it",
         {},
         {"site", "site/d/q.html"},
         {"site/d/q.html", "site/p.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"a folder given twice, once through a link",
         {{"linked", "site"}},
         {"site", "linked"},
         {"site/d/q.html", "site/p.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"a link to a file outside the tree is not a page",
         {{"site/o.html", "../outside.html"}},
         {"site"},
         {"site/d/q.html", "site/p.html"},
         "P | Docs",
         "Q | Docs",
         "O"},
        {"a link to a file of the folder above the tree given is outside it",
         {{"site/d/p.html", "../p.html"}},
         {"site/d"},
         {"site/d/q.html"},
         "P",
         "Q | Docs",
         "O"},
        {"a link to a file outside, named as an argument, is a page",
         {{"site/o.html", "../outside.html"}},
         {"site/o.html"},
         {"site/o.html"},
         "P",
         "Q",
         "O | Docs"},
        {"a link that leads nowhere is reported, the rest is done",
         {{"site/gone.html", "nothing.html"}},
         {"site"},
         {"site/d/q.html", "site/p.html"},
         "P | Docs",
         "Q | Docs",
         "O",
         4},
    };
    dir.Write("t.mtpl", "<html><head><title action=\"6\">| Docs</title></head><body></body>");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        for (const char* top : {"site", "linked", "h.html"}) {
            std::filesystem::remove_all(dir / top);
        }
        dir.Write("site/p.html", "<html><head><title>P</title></head><body>p</body>");
        dir.Write("site/d/q.html", "<html><head><title>Q</title></head><body>q</body>");
        dir.Write("outside.html", "<html><head><title>O</title></head><body>o</body>");
        for (const Link& link : row.links) {
            if (link.target.starts_with("=")) {
                std::filesystem::create_hard_link(dir / link.target.substr(1), dir / link.name);
            } else {
                std::filesystem::create_symlink(link.target, dir / link.name);
            }
        }
        std::vector<std::string> args = {"--json", "show"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const Result shown = Run(args);
        EXPECT_EQ(shown.status, row.status) << shown.err;
        EXPECT_EQ(ShownPaths(shown.out), row.shown);

        args = {"apply", "t.mtpl"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const Result applied = Run(args);
        EXPECT_EQ(applied.status, row.status) << applied.err;
        EXPECT_EQ(TitleOf(dir / "site/p.html"), row.p);
        EXPECT_EQ(TitleOf(dir / "site/d/q.html"), row.q);
        EXPECT_EQ(TitleOf(dir / "outside.html"), row.o);
    }
}

} // namespace
} // namespace orlen
