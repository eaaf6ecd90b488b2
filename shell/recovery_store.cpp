#include "shell/recovery_store.h"

#include "document/vantle_doc.h"
#include "page/charset.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace orlen {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFirstLine = "Orlen recovery copy 1\n";
// A copy is a few kilobytes; anything far larger is not one.
constexpr std::uintmax_t kLargestCopy = 64u << 20;

std::uint64_t Checksum(std::string_view bytes) {
    std::uint64_t h = 14695981039346656037ull; // FNV-1a
    for (unsigned char c : bytes) {
        h = (h ^ c) * 1099511628211ull;
    }
    return h;
}

// The last line of a copy: the checksum of all before it, in one spelling.
std::string CheckLine(std::string_view before) {
    char line[32];
    std::snprintf(line, sizeof line, "check %016llx\n",
                  static_cast<unsigned long long>(Checksum(before)));
    return line;
}

void PutText(std::string& out, std::string_view text) {
    out += std::to_string(text.size());
    out += ':';
    out += text;
}

// Reads the fields of a copy's text in order; any surprise makes it fail
// for good.
class FieldReader {
public:
    explicit FieldReader(std::string_view text) : text_(text) {}
    bool Ok() const { return ok_; }
    bool AtEnd() const { return at_ == text_.size(); }

    // The field's name and the space after it.
    bool Key(std::string_view key) {
        if (!ok_ || text_.substr(at_, key.size()) != key ||
            text_.substr(at_ + key.size(), 1) != " ") {
            return ok_ = false;
        }
        at_ += key.size() + 1;
        return true;
    }
    bool PeekKey(std::string_view key) const {
        return ok_ && text_.substr(at_, key.size()) == key &&
               text_.substr(at_ + key.size(), 1) == " ";
    }
    template <typename Number> Number Integer(int base = 10) {
        Number value{};
        if (!ok_) {
            return value;
        }
        const char* first = text_.data() + at_;
        const char* last = text_.data() + text_.size();
        const auto [end, ec] = std::from_chars(first, last, value, base);
        if (ec != std::errc() || end == first) {
            ok_ = false;
            return Number{};
        }
        at_ += static_cast<std::size_t>(end - first);
        return value;
    }
    std::string Text() {
        const auto size = Integer<std::size_t>();
        if (!Char(':') || size > text_.size() - at_) {
            ok_ = false;
            return {};
        }
        std::string value(text_.substr(at_, size));
        at_ += size;
        return value;
    }
    bool Char(char c) {
        if (!ok_ || at_ >= text_.size() || text_[at_] != c) {
            return ok_ = false;
        }
        ++at_;
        return true;
    }
    bool EndOfLine() { return Char('\n'); }

private:
    std::string_view text_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Whether two items are found as the same one: name and http-equiv tags
// are one kind, properties, links and the language each their own.
bool SameKind(int a, int b) {
    const auto kind = [](int k) { return k == kMetaHttpEquiv ? kMetaName : k; };
    return kind(a) == kind(b);
}

// Every item of a head in one list: meta tags, links, then the language.
std::vector<MetaTag> AllItems(const MetaDataSet& head) {
    std::vector<MetaTag> items = head.tags;
    items.insert(items.end(), head.links.begin(), head.links.end());
    if (head.hasLang) {
        items.push_back({kLangItemName, head.lang, kHtmlLang});
    }
    return items;
}

} // namespace

std::string RecoveryText(const RecoveryCopy& copy) {
    std::string out(kFirstLine);
    out += copy.kind == RecoveryCopy::Kind::Page ? "kind page\n" : "kind template\n";
    out += "path ";
    PutText(out, copy.path);
    out += "\nname ";
    PutText(out, copy.name);
    out += "\nedited " + std::to_string(copy.editedAt) + "\n";
    if (copy.kind == RecoveryCopy::Kind::Page) {
        if (copy.baseKnown) {
            char hash[17];
            std::snprintf(hash, sizeof hash, "%016llx",
                          static_cast<unsigned long long>(copy.baseHash));
            out += "base " + std::to_string(copy.baseSize) + " " + hash + "\n";
        }
        out += "charset ";
        PutText(out, copy.charset);
        out += "\ntitle ";
        PutText(out, copy.head.title);
        out += "\n";
        for (const MetaTag& tag : AllItems(copy.head)) {
            out += "meta " + std::to_string(tag.httpEquiv) + " ";
            PutText(out, tag.name);
            out += " ";
            PutText(out, tag.content);
            out += "\n";
        }
    } else {
        out += "text ";
        PutText(out, copy.text);
        out += "\n";
    }
    out += CheckLine(out);
    return out;
}

std::optional<RecoveryCopy> ReadRecoveryText(std::string_view text) {
    if (text.substr(0, kFirstLine.size()) != kFirstLine) {
        return std::nullopt;
    }
    // The checksum line ends the text and covers everything before it.
    const std::size_t check = text.rfind("check ");
    if (check == std::string_view::npos || check == 0 || text[check - 1] != '\n') {
        return std::nullopt;
    }
    if (text.substr(check) != CheckLine(text.substr(0, check))) {
        return std::nullopt;
    }
    std::string_view body = text.substr(kFirstLine.size(), check - kFirstLine.size());
    RecoveryCopy copy;
    if (body.starts_with("kind page\n")) {
        copy.kind = RecoveryCopy::Kind::Page;
        body.remove_prefix(10);
    } else if (body.starts_with("kind template\n")) {
        copy.kind = RecoveryCopy::Kind::Template;
        body.remove_prefix(14);
    } else {
        return std::nullopt;
    }
    FieldReader in(body);
    in.Key("path");
    copy.path = in.Text();
    in.EndOfLine();
    in.Key("name");
    copy.name = in.Text();
    in.EndOfLine();
    in.Key("edited");
    copy.editedAt = in.Integer<std::int64_t>();
    in.EndOfLine();
    if (copy.kind == RecoveryCopy::Kind::Page) {
        if (in.PeekKey("base")) {
            in.Key("base");
            copy.baseKnown = true;
            copy.baseSize = in.Integer<std::int64_t>();
            in.Char(' ');
            copy.baseHash = in.Integer<std::uint64_t>(16);
            in.EndOfLine();
        }
        in.Key("charset");
        copy.charset = in.Text();
        in.EndOfLine();
        in.Key("title");
        copy.head.title = in.Text();
        in.EndOfLine();
        while (in.Ok() && !in.AtEnd()) {
            MetaTag tag;
            in.Key("meta");
            tag.httpEquiv = in.Integer<int>();
            if (tag.httpEquiv < kMetaName || tag.httpEquiv > kHtmlLang) {
                return std::nullopt;
            }
            in.Char(' ');
            tag.name = in.Text();
            in.Char(' ');
            tag.content = in.Text();
            in.EndOfLine();
            if (tag.httpEquiv == kHtmlLang) {
                copy.head.hasLang = true;
                copy.head.lang = std::move(tag.content);
            } else if (tag.httpEquiv == kLinkItem) {
                copy.head.links.push_back(std::move(tag));
            } else {
                copy.head.tags.push_back(std::move(tag));
            }
        }
    } else {
        in.Key("text");
        copy.text = in.Text();
        in.EndOfLine();
    }
    if (!in.Ok() || !in.AtEnd()) {
        return std::nullopt;
    }
    return copy;
}

std::vector<RecoveryCopy> UnsavedEdits(CVantleDoc& doc, std::int64_t editedAt) {
    std::vector<RecoveryCopy> copies;
    if (doc.IsModified()) {
        RecoveryCopy page;
        page.kind = RecoveryCopy::Kind::Page;
        page.path = doc.GetPathName();
        page.name = doc.GetTitle();
        page.editedAt = editedAt;
        const FileStamp& stamp = doc.DiskStamp();
        page.baseKnown = stamp.known && !page.path.empty();
        page.baseSize = page.baseKnown ? stamp.size : 0;
        page.baseHash = page.baseKnown ? stamp.hash : 0;
        page.charset = std::string(CharsetName(doc.PageCharset()));
        page.head = doc.Page().GetMetaDataSet();
        copies.push_back(std::move(page));
    }
    if (doc.templateOpen != 0 && doc.templateModified != 0) {
        RecoveryCopy tmpl;
        tmpl.kind = RecoveryCopy::Kind::Template;
        tmpl.path = doc.templatePath;
        tmpl.name = doc.templateName;
        tmpl.editedAt = editedAt;
        tmpl.text = doc.Template().GetText();
        copies.push_back(std::move(tmpl));
    }
    return copies;
}

RecoveryBase CompareBase(const RecoveryCopy& copy, const FileStamp& stamp) {
    if (!copy.baseKnown || !stamp.known) {
        return RecoveryBase::Unknown;
    }
    return copy.baseSize == stamp.size && copy.baseHash == stamp.hash ? RecoveryBase::Same
                                                                      : RecoveryBase::Changed;
}

int ApplyRecoveredPage(CVantleDoc& doc, const RecoveryCopy& copy) {
    // Values in another charset than the page's now are carried over
    // through their characters.
    const std::optional<Charset> from = CharsetFromLabel(copy.charset);
    const Charset to = doc.PageCharset();
    const bool convert = from && *from != to && from->IsSupported() && to.IsSupported();
    const auto value = [&](const std::string& bytes) {
        return convert ? EncodeFromUtf8(DecodeToUtf8(bytes, *from), to) : bytes;
    };
    const CVantleDoc::ViewsBusy busy(doc, true);
    int changed = 0;
    const MetaDataSet now = doc.Page().GetMetaDataSet();
    const std::string title = value(copy.head.title);
    if (title != now.title) {
        doc.SetPageTitle(title);
        ++changed;
    }
    const std::vector<MetaTag> recovered = AllItems(copy.head);
    for (const MetaTag& tag : AllItems(now)) {
        const bool kept = std::any_of(recovered.begin(), recovered.end(), [&](const MetaTag& t) {
            return SameKind(t.httpEquiv, tag.httpEquiv) && SameName(value(t.name), tag.name);
        });
        if (!kept && !tag.name.empty() && !DeclaresCharset(tag.name, tag.content, tag.httpEquiv)) {
            doc.SetPageMeta(tag.name, "", tag.httpEquiv);
            ++changed;
        }
    }
    for (const MetaTag& tag : recovered) {
        // The charset declaration belongs to the page's bytes, not to the
        // edits.
        if (tag.name.empty() || DeclaresCharset(tag.name, tag.content, tag.httpEquiv)) {
            continue;
        }
        const std::string name = value(tag.name);
        const std::string content = value(tag.content);
        if (doc.Page().GetMetaContent(name, tag.httpEquiv) != content) {
            doc.SetPageMeta(name, content, tag.httpEquiv);
            ++changed;
        }
    }
    doc.SetModifiedFlag(true);
    doc.UpdateAllViews();
    return changed;
}

void ApplyRecoveredTemplate(CVantleDoc& doc, const RecoveryCopy& copy) {
    doc.OpenTemplateFromBytes(copy.path, copy.text);
    // The text as it was edited, line ends included.
    doc.Template().SetText(copy.text, 0);
    doc.templateName = copy.name;
    doc.templatePath = copy.path;
    doc.templateModified = 1;
    doc.UpdateAllViews();
}

RecoveryStore::RecoveryStore(std::string folder) : folder_(std::move(folder)) {}

RecoveryStore::~RecoveryStore() {
    if (own_ != nullptr && !CopyFiles().empty()) {
        own_->Keep();
    }
}

std::string RecoveryStore::FileName(RecoveryCopy::Kind kind) {
    return kind == RecoveryCopy::Kind::Page ? "page.orlen-recovery" : "template.orlen-recovery";
}

bool RecoveryStore::Save(CVantleDoc& doc, std::int64_t editedAt, std::string& error) {
    if (discarded_) {
        return true;
    }
    bool page = false;
    bool tmpl = false;
    bool ok = true;
    for (const RecoveryCopy& copy : UnsavedEdits(doc, editedAt)) {
        (copy.kind == RecoveryCopy::Kind::Page ? page : tmpl) = true;
        ok = Write(copy, error) && ok;
    }
    if (!page) {
        Remove(RecoveryCopy::Kind::Page);
    }
    if (!tmpl) {
        Remove(RecoveryCopy::Kind::Template);
    }
    return ok;
}

bool RecoveryStore::Write(const RecoveryCopy& copy, std::string& error) {
    if (own_ == nullptr) {
        std::error_code ec;
        if (fs::create_directories(folder_, ec)) {
            ::chmod(folder_.c_str(), 0700); // unsaved edits are the user's alone
        }
        own_ = ProcessFolder::Create(folder_, kPrefix, error);
        if (own_ == nullptr) {
            return false;
        }
    }
    return WriteFileSafely(own_->FilePath(FileName(copy.kind)), RecoveryText(copy), error);
}

void RecoveryStore::Remove(RecoveryCopy::Kind kind) {
    if (own_ != nullptr) {
        std::error_code ec;
        fs::remove(own_->FilePath(FileName(kind)), ec);
    }
}

void RecoveryStore::Discard() {
    RemoveAll();
    discarded_ = true;
}

void RecoveryStore::RemoveAll() {
    Remove(RecoveryCopy::Kind::Page);
    Remove(RecoveryCopy::Kind::Template);
}

std::vector<std::string> RecoveryStore::CopyFiles() const {
    std::vector<std::string> files;
    if (own_ == nullptr) {
        return files;
    }
    for (RecoveryCopy::Kind kind : {RecoveryCopy::Kind::Page, RecoveryCopy::Kind::Template}) {
        std::error_code ec;
        if (fs::is_regular_file(own_->FilePath(FileName(kind)), ec)) {
            files.push_back(FileName(kind));
        }
    }
    return files;
}

std::vector<RecoveryStore::Left> RecoveryStore::FindLeft(const std::string& folder) {
    std::vector<Left> found;
    for (const std::string& path : OrphanedProcessFolders(folder, kPrefix)) {
        Left left;
        left.folder = ProcessFolder::TakeOver(path, kPrefix);
        if (left.folder == nullptr) {
            continue; // another copy of the program took it first
        }
        for (RecoveryCopy::Kind kind : {RecoveryCopy::Kind::Page, RecoveryCopy::Kind::Template}) {
            const std::string file = left.folder->FilePath(FileName(kind));
            std::error_code ec;
            if (!fs::exists(fs::symlink_status(file, ec))) {
                continue;
            }
            std::string bytes;
            std::string error;
            std::optional<RecoveryCopy> copy;
            if (fs::is_regular_file(fs::symlink_status(file, ec)) &&
                fs::file_size(file, ec) <= kLargestCopy && !ec &&
                ReadWholeFile(file, bytes, error)) {
                copy = ReadRecoveryText(bytes);
            }
            if (copy && copy->kind == kind) {
                left.copies.push_back(std::move(*copy));
                continue;
            }
            // Kept for the user to look at, out of the way of every start.
            const std::string aside = path + "-" + FileName(kind) + ".unreadable";
            fs::rename(file, aside, ec);
            left.unreadable.push_back(ec ? file : aside);
        }
        found.push_back(std::move(left));
    }
    return found;
}

} // namespace orlen
