#include "tags/share_preview.h"

#include "page/text_util.h"
#include "tags/text_width.h"

#include <filesystem>
#include <vector>

namespace orlen {

namespace {

constexpr std::string_view kEllipsis = "\xe2\x80\xa6";         // U+2026
constexpr std::string_view kCrumbSeparator = " \xe2\x80\xba "; // U+203A

// The parts of a path between its separators, without empty ones.
std::vector<std::string> PathParts(std::string_view path) {
    std::vector<std::string> parts;
    std::size_t at = 0;
    while (at <= path.size()) {
        const std::size_t slash = path.find('/', at);
        const std::string_view part = path.substr(at, slash - at);
        if (!part.empty() && part != ".") {
            parts.emplace_back(part);
        }
        if (slash == std::string_view::npos) {
            break;
        }
        at = slash + 1;
    }
    return parts;
}

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& part : parts) {
        if (!out.empty()) {
            out += kCrumbSeparator;
        }
        out += part;
    }
    return out;
}

// The host and path of an http(s) address; false for anything else.
bool SplitUrl(std::string_view url, std::string& host, std::string_view& path) {
    url = Trim(url);
    const std::size_t scheme = url.find("://");
    if (scheme == std::string_view::npos) {
        return false;
    }
    const std::string lowered = AsciiLower(url.substr(0, scheme));
    if (lowered != "http" && lowered != "https") {
        return false;
    }
    const std::string_view rest = url.substr(scheme + 3);
    const std::size_t slash = rest.find_first_of("/?#");
    host = AsciiLower(rest.substr(0, slash));
    if (const std::size_t at = host.rfind('@'); at != std::string::npos) {
        host.erase(0, at + 1);
    }
    if (host.empty()) {
        return false;
    }
    path = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    path = path.substr(0, path.find_first_of("?#"));
    return true;
}

std::string FolderName(std::string_view folder) {
    const std::vector<std::string> parts = PathParts(folder);
    return parts.empty() ? std::string() : parts.back();
}

// %XX escapes of an address decoded, as a file name has them.
std::string PercentDecoded(std::string_view text) {
    const auto hex = [](char c) -> int {
        return c >= '0' && c <= '9'   ? c - '0'
               : c >= 'a' && c <= 'f' ? c - 'a' + 10
               : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                      : -1;
    };
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hex(text[i + 1]) >= 0 &&
            hex(text[i + 2]) >= 0) {
            out += static_cast<char>(hex(text[i + 1]) * 16 + hex(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

const std::string& FirstOf(const std::string& a, const std::string& b, const std::string& c) {
    return !Trim(a).empty() ? a : !Trim(b).empty() ? b : c;
}

} // namespace

FittedText FitToPixels(std::string_view utf8, int pixelSize, int maxPixels) {
    FittedText fitted;
    std::string text = CollapseWhiteSpace(utf8);
    fitted.pixels = TextWidthPixels(text, pixelSize);
    fitted.chars = CharacterCount(text);
    if (fitted.pixels <= maxPixels) {
        fitted.text = std::move(text);
        return fitted;
    }
    const int room = maxPixels - TextWidthPixels(kEllipsis, pixelSize);
    std::size_t keep = FittingPrefix(text, pixelSize, room);
    // Cut after the last whole word that fits, unless the first word alone
    // is too wide.
    if (keep < text.size() && text[keep] != ' ') {
        const std::size_t space = text.rfind(' ', keep);
        if (space != std::string::npos && space > 0) {
            keep = space;
        }
    }
    while (keep > 0 && text[keep - 1] == ' ') {
        --keep;
    }
    fitted.text = text.substr(0, keep);
    fitted.text += kEllipsis;
    fitted.cut = true;
    return fitted;
}

CounterLevel LevelOf(int value, int limit, int minimum) {
    if (value > limit) {
        return CounterLevel::Over;
    }
    if (value < minimum || value * 10 > limit * 9) {
        return CounterLevel::Close;
    }
    return CounterLevel::Fine;
}

std::string Breadcrumb(std::string_view canonical, std::string_view pagePath,
                       std::string_view siteFolder) {
    std::string host;
    std::string_view urlPath;
    if (SplitUrl(canonical, host, urlPath)) {
        std::vector<std::string> parts = PathParts(urlPath);
        const bool secure = AsciiLower(Trim(canonical).substr(0, 5)) == "https";
        parts.insert(parts.begin(), (secure ? "https://" : "http://") + host);
        return Join(parts);
    }
    std::vector<std::string> parts;
    const std::string site = FolderName(siteFolder);
    std::string_view relative = pagePath;
    if (!siteFolder.empty() && pagePath.starts_with(siteFolder) &&
        (pagePath.size() == siteFolder.size() || pagePath[siteFolder.size()] == '/' ||
         siteFolder.ends_with('/'))) {
        relative = pagePath.substr(siteFolder.size());
        if (!site.empty()) {
            parts.push_back(site);
        }
        for (std::string& part : PathParts(relative)) {
            parts.push_back(std::move(part));
        }
    } else if (!pagePath.empty()) {
        // A page outside the site folder: its own folder and name.
        const std::vector<std::string> all = PathParts(pagePath);
        for (std::size_t i = all.size() >= 2 ? all.size() - 2 : 0; i < all.size(); ++i) {
            parts.push_back(all[i]);
        }
    } else if (!site.empty()) {
        parts.push_back(site);
    }
    return Join(parts);
}

CardText ComposeCard(const CardSource& s) {
    CardText card;
    card.title = CollapseWhiteSpace(FirstOf(s.ogTitle, s.twitterTitle, s.title));
    card.description =
        CollapseWhiteSpace(FirstOf(s.ogDescription, s.twitterDescription, s.description));
    card.image = std::string(Trim(!Trim(s.ogImage).empty() ? s.ogImage : s.twitterImage));
    card.siteName = CollapseWhiteSpace(s.ogSiteName);
    std::string host;
    std::string_view path;
    if (card.siteName.empty() &&
        (SplitUrl(s.ogUrl, host, path) || SplitUrl(s.canonical, host, path))) {
        card.siteName = host;
    }
    if (card.siteName.empty()) {
        card.siteName = FolderName(s.siteFolder);
    }
    return card;
}

std::string LocalImagePath(std::string_view image, std::string_view pagePath) {
    image = Trim(image);
    if (image.empty()) {
        return {};
    }
    const std::string lowered = AsciiLower(image.substr(0, std::min<std::size_t>(image.size(), 8)));
    if (lowered.starts_with("file://")) {
        return std::string(image.substr(7));
    }
    if (image.starts_with("//") || image.find("://") != std::string_view::npos ||
        lowered.starts_with("data:") || pagePath.empty()) {
        return {};
    }
    // An address has no query or fragment on a file.
    const std::string file = PercentDecoded(image.substr(0, image.find_first_of("?#")));
    image = file;
    const std::filesystem::path page(pagePath);
    if (image.starts_with('/')) {
        // Relative to the site's root, which a page on disk does not know:
        // taken from the page's own folder upward, the first that has it.
        for (std::filesystem::path folder = page.parent_path(); !folder.empty();
             folder = folder.parent_path()) {
            std::filesystem::path candidate = folder / std::filesystem::path(image.substr(1));
            std::error_code error;
            if (std::filesystem::is_regular_file(candidate, error)) {
                return candidate.string();
            }
            if (folder == folder.root_path()) {
                break;
            }
        }
        return {};
    }
    return (page.parent_path() / std::filesystem::path(image)).lexically_normal().string();
}

} // namespace orlen
