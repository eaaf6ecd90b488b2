#include "synthetic_page.h"

#include <random>

namespace orlen::bench {

std::string SyntheticPage(std::size_t bytes, bool oneLine) {
    std::mt19937 rng(42);
    const char* nl = oneLine ? "" : "\n";
    static const char* words[] = {"meta",    "editor", "page",   "title", "keyword", "garden",
                                  "river",   "market", "report", "study", "engine",  "window",
                                  "history", "ocean",  "design", "city",  "light",   "paper"};
    auto word = [&] { return words[rng() % (sizeof words / sizeof words[0])]; };
    auto sentence = [&](int n) {
        std::string s;
        for (int i = 0; i < n; ++i) {
            if (i > 0) {
                s += ' ';
            }
            s += word();
        }
        return s;
    };

    std::string page;
    page.reserve(bytes + 4096);
    page += "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\">\n";
    page += "<HTML lang=\"en\">\n<HEAD>\n<TITLE>" + sentence(6) + "</TITLE>\n";
    page += "<META http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n";
    for (int i = 0; i < 12; ++i) {
        page += "<META NAME=\"" + std::string(word()) + std::to_string(i) + "\" CONTENT=\"" +
                sentence(8) + "\">\n";
    }
    page += "<LINK rel=\"stylesheet\" href=\"style.css\" type=\"text/css\">\n";
    page += "<SCRIPT type=\"text/javascript\">\nfunction f(a, b) { return a < b; }\n</SCRIPT>\n";
    page += "</HEAD>\n<BODY BGCOLOR=\"#FFFFFF\" onload=\"init()\">\n";

    int block = 0;
    while (page.size() < bytes) {
        switch (block++ % 6) {
        case 0:
            page += "<H2 class=\"section\">" + sentence(4) + "</H2>" + nl;
            break;
        case 1:
            page += "<P>" + sentence(20) + " <A HREF=\"/" + word() + "/" + word() + ".html\">" +
                    sentence(3) + "</A> " + sentence(15) + " <B>" + word() + "</B> " +
                    sentence(10) + ".</P>" + nl;
            break;
        case 2:
            page += "<UL>";
            page += nl;
            for (int i = 0; i < 5; ++i) {
                page += "  <LI><A href='#" + std::string(word()) + "'>" + sentence(3) + "</A>" + nl;
            }
            page += "</UL>";
            page += nl;
            break;
        case 3:
            page += "<TABLE border=1 cellpadding=\"2\"><TR><TD>" + sentence(2) + "</TD><TD>" +
                    sentence(2) + "</TD></TR></TABLE>" + nl;
            break;
        case 4:
            page += "<!-- " + sentence(6) + " -->";
            page += nl;
            page += "<IMG SRC=\"img/" + std::string(word()) + ".png\" ALT=\"" + sentence(2) +
                    "\" WIDTH=120 HEIGHT=80><BR>" + nl;
            break;
        default:
            page += "<DIV class=\"note\"><I>" + sentence(8) + "</I>&nbsp;&copy; " + sentence(4) +
                    "</DIV>" + nl;
        }
    }
    page += "</BODY>\n</HTML>\n";
    return page;
}

} // namespace orlen::bench
