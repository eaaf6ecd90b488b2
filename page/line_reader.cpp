#include "page/line_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <istream>
#include <string.h> // memrchr
#include <sys/mman.h>
#include <unistd.h>

namespace orlen {

std::string WithLineEnds(std::string_view text, std::string_view lineEnd) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += lineEnd;
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            out += text[i];
        }
    }
    return out;
}

void ReservePageBuffer(std::string& buffer, std::size_t n) {
    if (buffer.capacity() >= n) {
        return;
    }
    buffer.reserve(n);
#ifdef MADV_HUGEPAGE
    // Only worth it for buffers of several huge pages; the advice must come
    // before the memory is first touched, which a fresh reservation is not
    // (beyond the allocator's own header).
    constexpr std::uintptr_t kHuge = std::uintptr_t{2} << 20;
    if (buffer.capacity() >= 4 * kHuge) {
        const auto begin = reinterpret_cast<std::uintptr_t>(buffer.data());
        const std::uintptr_t first = (begin + kHuge - 1) & ~(kHuge - 1);
        const std::uintptr_t last = (begin + buffer.capacity()) & ~(kHuge - 1);
        if (last > first) {
            // Advice only: without huge pages the buffer works the same.
            (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
        }
    }
#endif
}

std::string LinesToCrLf(std::string_view bytes) {
    std::string text;
    ReservePageBuffer(text, CapacityForLines(bytes.size()));
    text.assign(bytes);
    LinesToCrLfInPlace(text);
    return text;
}

void LinesToCrLfInPlace(std::string& text) {
    const std::size_t oldSize = text.size();
    if (oldSize == 0) {
        return;
    }
    // How much the text grows: a lone LF or a lone CR gains one byte, a
    // CR LF pair none, and a missing last line end two.
    const char* const begin = text.data();
    const char* const end = begin + oldSize;
    const auto next = [end](const char* from, char c) {
        const void* at = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return at != nullptr ? static_cast<const char*>(at) : end;
    };
    std::size_t growth = 0;
    for (const char* at = next(begin, '\n'); at != end; at = next(at + 1, '\n')) {
        growth += (at > begin && at[-1] == '\r') ? 0 : 1;
    }
    for (const char* at = next(begin, '\r'); at != end; at = next(at + 1, '\r')) {
        growth += (at + 1 < end && at[1] == '\n') ? 0 : 1;
    }
    const bool missingEnd = text.back() != '\n' && text.back() != '\r';
    growth += missingEnd ? 2 : 0;
    if (growth == 0) {
        return;
    }
    text.resize(oldSize + growth);
    char* const data = text.data();

    // From the end backwards: the part still to convert always lies before
    // the part written, so nothing is overwritten before it is read. The
    // last LF and the last CR before the read position are searched again
    // only once they have been passed.
    std::size_t r = oldSize;
    std::size_t w = text.size();
    if (missingEnd) {
        data[--w] = '\n';
        data[--w] = '\r';
    }
    const auto last = [data](std::size_t before, char c) -> std::size_t {
        const void* at = ::memrchr(data, c, before);
        return at != nullptr ? static_cast<std::size_t>(static_cast<const char*>(at) - data)
                             : std::string::npos;
    };
    std::size_t lf = last(r, '\n');
    std::size_t cr = last(r, '\r');
    while (r > 0 && w > r) {
        // The last line end before r, npos when there is none.
        std::size_t at = std::string::npos;
        if (lf != std::string::npos && (cr == std::string::npos || lf > cr)) {
            at = lf;
        } else {
            at = cr;
        }
        const std::size_t runStart = at == std::string::npos ? 0 : at + 1;
        const std::size_t run = r - runStart;
        w -= run;
        std::memmove(data + w, data + runStart, run);
        if (at == std::string::npos) {
            break;
        }
        // CR LF is one line end. Read before writing: the line end written
        // may cover the bytes it replaces.
        r = (data[at] == '\n' && at > 0 && data[at - 1] == '\r') ? at - 1 : at;
        data[--w] = '\n';
        data[--w] = '\r';
        if (lf != std::string::npos && lf >= r) {
            lf = last(r, '\n');
        }
        if (cr != std::string::npos && cr >= r) {
            cr = last(r, '\r');
        }
    }
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
        if (!in.seekg(start)) {
            return false; // the start cannot be read again
        }
        // The length is only a hint: a directory, say, reports an absurd
        // one, so a hint beyond 1 GiB is not trusted.
        constexpr std::streamoff kLargestHint = std::streamoff{1} << 30;
        if (stop != std::istream::pos_type(-1) && stop >= start && stop - start <= kLargestHint) {
            ReservePageBuffer(out, CapacityForLines(static_cast<std::size_t>(stop - start)));
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
