#include "document/line_diff.h"

#include <algorithm>
#include <cstdint>

namespace orlen {

namespace {

// The most differences Myers' search looks for before it gives up and
// counts the rest as removed and added.
constexpr std::ptrdiff_t kMostDifferences = 2000;
// Lines of context around each change of a unified diff.
constexpr std::size_t kContext = 3;

// The lines of a text with their line ends.
std::vector<std::string_view> LinesWithEnds(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || (c == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))) {
            lines.push_back(text.substr(start, i + 1 - start));
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::string_view WithoutEnd(std::string_view line) {
    if (line.ends_with("\r\n")) {
        line.remove_suffix(2);
    } else if (line.ends_with('\n') || line.ends_with('\r')) {
        line.remove_suffix(1);
    }
    return line;
}

// Myers' greedy search over a[0..n) and b[0..m), which share neither their
// first nor their last line. Appends the steps to ops, with the indexes
// moved by offset; false when there are more than kMostDifferences.
bool Myers(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b,
           std::size_t offset, std::size_t n, std::size_t m, std::vector<LineDiffOp>& ops) {
    const auto N = static_cast<std::ptrdiff_t>(n);
    const auto M = static_cast<std::ptrdiff_t>(m);
    const std::ptrdiff_t most = std::min(N + M, kMostDifferences);
    std::vector<std::ptrdiff_t> v(static_cast<std::size_t>(2 * most + 3), 0);
    const auto at = [&](std::ptrdiff_t k) -> std::ptrdiff_t& {
        return v[static_cast<std::size_t>(k + most + 1)];
    };
    // The furthest x of each diagonal after each number of differences d,
    // for diagonals -d..d: d squared values in all.
    std::vector<std::vector<std::ptrdiff_t>> trace;
    std::ptrdiff_t found = -1;
    for (std::ptrdiff_t d = 0; d <= most && found < 0; ++d) {
        for (std::ptrdiff_t k = -d; k <= d; k += 2) {
            std::ptrdiff_t x =
                (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            std::ptrdiff_t y = x - k;
            while (x < N && y < M &&
                   a[offset + static_cast<std::size_t>(x)] ==
                       b[offset + static_cast<std::size_t>(y)]) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (x >= N && y >= M) {
                found = d;
            }
        }
        std::vector<std::ptrdiff_t> row(static_cast<std::size_t>(2 * d + 1));
        for (std::ptrdiff_t k = -d; k <= d; ++k) {
            row[static_cast<std::size_t>(k + d)] = at(k);
        }
        trace.push_back(std::move(row));
    }
    if (found < 0) {
        return false;
    }
    std::vector<LineDiffOp> back;
    std::ptrdiff_t x = N;
    std::ptrdiff_t y = M;
    const auto same = [&](std::ptrdiff_t toX, std::ptrdiff_t toY) {
        while (x > toX && y > toY) {
            --x;
            --y;
            back.push_back({LineDiffOp::Same, offset + static_cast<std::size_t>(x),
                            offset + static_cast<std::size_t>(y)});
        }
    };
    for (std::ptrdiff_t d = found; d > 0; --d) {
        const std::vector<std::ptrdiff_t>& prev = trace[static_cast<std::size_t>(d - 1)];
        const auto p = [&](std::ptrdiff_t k) { return prev[static_cast<std::size_t>(k + d - 1)]; };
        const std::ptrdiff_t k = x - y;
        const std::ptrdiff_t prevK = (k == -d || (k != d && p(k - 1) < p(k + 1))) ? k + 1 : k - 1;
        const std::ptrdiff_t prevX = p(prevK);
        const std::ptrdiff_t prevY = prevX - prevK;
        same(prevX + (prevK == k + 1 ? 0 : 1), prevY + (prevK == k + 1 ? 1 : 0));
        if (prevK == k + 1) {
            back.push_back({LineDiffOp::Added, 0, offset + static_cast<std::size_t>(prevY)});
        } else {
            back.push_back({LineDiffOp::Removed, offset + static_cast<std::size_t>(prevX), 0});
        }
        x = prevX;
        y = prevY;
    }
    same(0, 0);
    ops.insert(ops.end(), back.rbegin(), back.rend());
    return true;
}

} // namespace

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines = LinesWithEnds(text);
    for (std::string_view& line : lines) {
        line = WithoutEnd(line);
    }
    return lines;
}

std::vector<LineDiffOp> DiffLines(std::string_view textA, std::string_view textB) {
    const std::vector<std::string_view> a = LinesWithEnds(textA);
    const std::vector<std::string_view> b = LinesWithEnds(textB);
    std::vector<LineDiffOp> ops;
    std::size_t head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) {
        ops.push_back({LineDiffOp::Same, head, head});
        ++head;
    }
    std::size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail]) {
        ++tail;
    }
    const std::size_t n = a.size() - head - tail;
    const std::size_t m = b.size() - head - tail;
    // Myers' search works with one offset for both texts: the middle
    // starts at the same line in each.
    if (!Myers(a, b, head, n, m, ops)) {
        for (std::size_t i = 0; i < n; ++i) {
            ops.push_back({LineDiffOp::Removed, head + i, 0});
        }
        for (std::size_t i = 0; i < m; ++i) {
            ops.push_back({LineDiffOp::Added, 0, head + i});
        }
    }
    for (std::size_t i = 0; i < tail; ++i) {
        ops.push_back({LineDiffOp::Same, head + n + i, head + m + i});
    }
    return ops;
}

std::string UnifiedDiff(std::string_view nameBefore, std::string_view nameAfter,
                        std::string_view before, std::string_view after) {
    const std::vector<LineDiffOp> ops = DiffLines(before, after);
    if (std::all_of(ops.begin(), ops.end(),
                    [](const LineDiffOp& op) { return op.kind == LineDiffOp::Same; })) {
        return {};
    }
    const std::vector<std::string_view> a = SplitLines(before);
    const std::vector<std::string_view> b = SplitLines(after);
    std::string out;
    out.append("--- ").append(nameBefore).append("\n");
    out.append("+++ ").append(nameAfter).append("\n");
    std::size_t i = 0;
    // Lines of each text before ops[counted].
    std::size_t counted = 0;
    std::size_t beforeA = 0;
    std::size_t beforeB = 0;
    while (i < ops.size()) {
        // The next change, and the hunk around it: context before, then
        // changes and context until two changes lie more than twice the
        // context apart.
        std::size_t change = i;
        while (change < ops.size() && ops[change].kind == LineDiffOp::Same) {
            ++change;
        }
        if (change == ops.size()) {
            break;
        }
        const std::size_t start = change >= i + kContext ? change - kContext : i;
        std::size_t end = change;
        std::size_t sameRun = 0;
        for (std::size_t j = change; j < ops.size(); ++j) {
            if (ops[j].kind == LineDiffOp::Same) {
                if (++sameRun > 2 * kContext) {
                    break;
                }
            } else {
                sameRun = 0;
                end = j + 1;
            }
        }
        end = std::min(ops.size(), end + kContext);
        // Where the hunk starts in each text, and how many lines it has.
        std::size_t startA = 0;
        std::size_t startB = 0;
        std::size_t countA = 0;
        std::size_t countB = 0;
        bool firstA = true;
        bool firstB = true;
        // Lines before the hunk in each text, for a side with no line in it.
        for (; counted < start; ++counted) {
            beforeA += ops[counted].kind != LineDiffOp::Added ? 1 : 0;
            beforeB += ops[counted].kind != LineDiffOp::Removed ? 1 : 0;
        }
        std::string lines;
        for (std::size_t j = start; j < end; ++j) {
            const LineDiffOp& op = ops[j];
            if (op.kind != LineDiffOp::Added) {
                startA = firstA ? op.before : startA;
                firstA = false;
                ++countA;
            }
            if (op.kind != LineDiffOp::Removed) {
                startB = firstB ? op.after : startB;
                firstB = false;
                ++countB;
            }
            switch (op.kind) {
            case LineDiffOp::Same:
                lines.append(" ").append(a[op.before]).append("\n");
                break;
            case LineDiffOp::Removed:
                lines.append("-").append(a[op.before]).append("\n");
                break;
            case LineDiffOp::Added:
                lines.append("+").append(b[op.after]).append("\n");
                break;
            }
        }
        // A side with no line names the line before the hunk, as diff does.
        const std::size_t shownA = countA == 0 ? beforeA : startA + 1;
        const std::size_t shownB = countB == 0 ? beforeB : startB + 1;
        out.append("@@ -")
            .append(std::to_string(shownA))
            .append(",")
            .append(std::to_string(countA))
            .append(" +")
            .append(std::to_string(shownB))
            .append(",")
            .append(std::to_string(countB))
            .append(" @@\n");
        out += lines;
        i = end;
    }
    return out;
}

} // namespace orlen
