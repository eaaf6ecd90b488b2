#include "page/line_reader.h"

#include <algorithm>
#include <cstring>
#include <istream>

namespace orlen {

std::string LinesToCrLf(std::string_view bytes) {
    // Every line-end character grows into at most two bytes, so one count
    // gives a buffer that the copy below never outgrows.
    // Both the count and the copy find line ends with memchr, which scans
    // far faster than a byte loop.
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    const auto next = [end](const char* from, char c) {
        const void* at = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return at != nullptr ? static_cast<const char*>(at) : end;
    };
    const auto count = [&](char c) {
        std::size_t n = 0;
        for (const char* at = next(p, c); at != end; at = next(at + 1, c)) {
            ++n;
        }
        return n;
    };
    std::string out;
    out.resize(bytes.size() + count('\n') + count('\r') + 2);
    char* o = out.data();
    // The text between line ends is copied in blocks. The next LF and the
    // next CR are each searched again only once they have been passed, so
    // the text is searched once for each.
    const char* lf = next(p, '\n');
    const char* cr = next(p, '\r');
    while (p < end) {
        const char* stop = std::min(lf, cr);
        const std::size_t run = static_cast<std::size_t>(stop - p);
        std::memcpy(o, p, run);
        o += run;
        p = stop;
        if (p == end) {
            break;
        }
        *o++ = '\r';
        *o++ = '\n';
        // CR LF is one line end.
        p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
        if (lf < p) {
            lf = next(p, '\n');
        }
        if (cr < p) {
            cr = next(p, '\r');
        }
    }
    // The last line gains a line end when it has none.
    if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') {
        *o++ = '\r';
        *o++ = '\n';
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return out;
}

bool ReadAll(std::istream& in, std::string& out) {
    out.clear();
    if (!in) {
        return false;
    }
    // A stream that knows its length (a file, a string) is read into a
    // buffer of that size at once, without regrowing it.
    const std::istream::pos_type start = in.tellg();
    if (start != std::istream::pos_type(-1) && in.seekg(0, std::ios::end)) {
        const std::istream::pos_type stop = in.tellg();
        in.seekg(start);
        // The length is only a hint: a directory, say, reports an absurd
        // one, so a hint beyond 1 GiB is not trusted.
        constexpr std::streamoff kLargestHint = std::streamoff{1} << 30;
        if (stop != std::istream::pos_type(-1) && stop >= start && stop - start <= kLargestHint) {
            out.resize(static_cast<std::size_t>(stop - start));
            in.read(out.data(), static_cast<std::streamsize>(out.size()));
            out.resize(static_cast<std::size_t>(in.gcount()));
        }
    }
    // Whatever is left (all of a stream without a length, or what a file
    // gained since its length was taken) is read in blocks.
    in.clear(in.rdstate() & std::ios::badbit);
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        out.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return !in.bad();
}

} // namespace orlen
