#include "document/vantle_doc.h"

#include "document/command_ids.h"
#include "document/document_texts.h"
#include "document/safe_file.h"
#include "document/template_action.h"
#include "page/line_reader.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <utility>

namespace orlen {

namespace fs = std::filesystem;

namespace {

using doc_texts::FillIn;

std::string FileNameOf(const std::string& path) {
    return fs::path(path).filename().string();
}

// The file name without its folder and without its last extension.
std::string StemOf(const std::string& path) {
    return fs::path(path).stem().string();
}

} // namespace

bool IsTemplatePath(std::string_view path) {
    std::size_t dot = path.rfind('.');
    std::string_view tail = dot == std::string_view::npos ? path : path.substr(dot);
    return tail == ".mtpl";
}

ActionResult CombineByAction(int action, const std::string& templateValue,
                             const std::string& pageValue) {
    ActionResult r;
    switch (action) {
    case AlwaysSet:
        r.change = true;
        r.value = templateValue;
        break;
    case SetIfMissing:
        r.change = pageValue.empty();
        r.value = templateValue;
        break;
    case ReplaceIfPresent:
        r.change = !pageValue.empty();
        r.value = templateValue;
        break;
    case AlwaysRemove:
        r.change = true;
        r.remove = true;
        break;
    case AppendAfter:
        r.change = true;
        r.value = pageValue + " " + templateValue;
        break;
    case PrependBefore:
        r.change = true;
        r.value = templateValue + " " + pageValue;
        break;
    default: // NeverChange, and tags without an action
        break;
    }
    return r;
}

CVantleDoc::CVantleDoc(DocumentUi& ui) : ui_(ui) {
    ResetDocument();
}

// --- Views -------------------------------------------------------------------

void CVantleDoc::AddView(DocumentView* view) {
    if (std::find(views_.begin(), views_.end(), view) == views_.end()) {
        views_.push_back(view);
    }
}

void CVantleDoc::RemoveView(DocumentView* view) {
    views_.erase(std::remove(views_.begin(), views_.end(), view), views_.end());
}

void CVantleDoc::UpdateAllViews() {
    // A copy: a view may add or remove views while it updates.
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* view : views) {
        view->OnUpdate();
    }
}

// --- The page as a document --------------------------------------------------

int CVantleDoc::ResetDocument() {
    path_.clear();
    title_ = doc_texts::kUntitled;
    modified_ = false;
    page_.SetText(std::string(doc_texts::kEmptyPageText), 0);
    unwritable_ = false;
    openNotice_ = OpenNotice::None;
    pageCharset_ = CharsetChoice{};
    diskStamp_ = FileStamp{};
    return 1;
}

int CVantleDoc::OpenDocument(const std::string& path) {
    // The file is read before anything of the open page goes, so that a
    // failed open leaves the page as it was.
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, bytes, error)) {
        ui_.ShowFailure(FillIn(doc_texts::kOpenPageFailed, path, error));
        return 0;
    }
    return OpenDocumentFromBytes(path, std::move(bytes));
}

int CVantleDoc::OpenDocumentFromBytes(const std::string& path, std::string bytes) {
    ResetDocument();
    diskStamp_ = StampFile(path, bytes);
    // The file's line ends stay as they are, unless the user asked for CR LF.
    if (crlfLineEnds_) {
        LinesToCrLfInPlace(bytes);
    }
    page_.SetText(std::move(bytes), 1);
    // Only a page that declares no charset is looked at whole, and only then
    // is its text rebuilt here: opening a large page copies nothing.
    pageCharset_ = ChoosePageCharset(page_, DeclaredCharsetLabel(page_).empty()
                                                ? std::string_view(page_.GetText())
                                                : std::string_view());
    if (!pageCharset_.charset.IsSupported()) {
        openNotice_ = OpenNotice::UnsupportedCharset;
        ui_.ShowWarning(FillIn(doc_texts::kUnsupportedCharset, path, pageCharset_.label));
    }
    if (page_.HasMetaDataPosition() == 0) {
        openNotice_ = OpenNotice::NoMetaDataPosition;
        ui_.ShowWarning(std::string(doc_texts::kNoMetaDataPosition));
        unwritable_ = true;
    }
    path_ = path;
    title_ = FileNameOf(path);
    modified_ = false;
    return 1;
}

int CVantleDoc::OpenByPath(const std::string& path, bool confirmed) {
    if (IsTemplatePath(path)) {
        return OpenTemplate(path);
    }
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    const std::string fullPath = ec ? path : full.lexically_normal().string();
    // The page already open is not read again, unless the user chose it
    // again after answering the save prompt; the file system decides
    // whether two names are the same file.
    if (!confirmed && !path_.empty() && fs::equivalent(path_, fullPath, ec) && !ec) {
        return 1;
    }
    if (!confirmed && ConfirmSave() == 0) {
        return 0;
    }
    if (OpenDocument(fullPath) == 0) {
        UpdateAllViews();
        return 0;
    }
    ui_.PageOpened(fullPath);
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* view : views) {
        view->OnInitialUpdate();
    }
    return 1;
}

bool CVantleDoc::RefuseUnwritable() {
    if (!pageCharset_.charset.IsSupported()) {
        // Its bytes could not be written back faithfully: never written.
        ui_.ShowWarning(FillIn(doc_texts::kUnsupportedCharset, path_, pageCharset_.label));
        return true;
    }
    if (unwritable_) {
        // Nothing is written to a page without a place for meta-data: its
        // file keeps what it has, and no new file is made from it. Every
        // attempt says so, and the edits stay, still marked unsaved.
        ui_.ShowWarning(std::string(doc_texts::kNoMetaDataPosition));
        return true;
    }
    return false;
}

int CVantleDoc::DoSave(const std::string& path) {
    if (RefuseUnwritable()) {
        return 0;
    }
    if (path == path_ && FileChangedSince(path, diskStamp_) &&
        ui_.AskYesNo(FillIn(doc_texts::kChangedOnDisk, path)) != Answer::Yes) {
        return 0;
    }
    std::string error;
    const std::string& text = page_.GetText();
    SaveReport report;
    if (!WriteFileSafely(path, text, error, &report)) {
        ui_.ShowFailure(FillIn(doc_texts::kSavePageFailed, path, error));
        return 0;
    }
    if (report.inPlace) {
        ui_.ShowNote(FillIn(doc_texts::kSavedInPlace, path, report.backupFolder));
    }
    diskStamp_ = StampFile(path, text);
    path_ = path;
    title_ = FileNameOf(path);
    modified_ = false;
    ui_.PageSaved(path);
    return 1;
}

int CVantleDoc::SaveIntoBatch(ReplacementBatch& batch, bool& staged) {
    staged = false;
    if (RefuseUnwritable()) {
        return 0;
    }
    if (path_.empty()) {
        // A batch only replaces files that were opened.
        ui_.ShowFailure(
            FillIn(doc_texts::kSavePageFailed, title_, std::generic_category().message(ENOENT)));
        return 0;
    }
    std::string error;
    switch (batch.Add(path_, page_.GetText(), diskStamp_, error)) {
    case ReplacementBatch::Added::Staged:
        staged = true;
        return 1;
    case ReplacementBatch::Added::Written:
        for (const std::string& file : batch.TakeInPlaceFallbacks()) {
            ui_.ShowNote(FillIn(doc_texts::kSavedInPlace, file, InPlaceBackupFolder()));
        }
        return 1;
    case ReplacementBatch::Added::Failed:
        break;
    }
    ui_.ShowFailure(FillIn(doc_texts::kSavePageFailed, path_, error));
    return 0;
}

int CVantleDoc::SaveDocument() {
    if (path_.empty()) {
        return SaveDocumentAs();
    }
    return DoSave(path_);
}

std::string CVantleDoc::OpenFilter(const std::string& fileTypes) {
    if (fileTypes.empty()) {
        return std::string(doc_texts::kAllFilesFilter);
    }
    return "Web page files (" + fileTypes + ")|" + fileTypes +
           "|Meta-tag template files (*.mtpl)|*.mtpl|" + std::string(doc_texts::kAllFilesFilter);
}

int CVantleDoc::SaveDocumentAs() {
    std::optional<std::string> chosen = ui_.ChooseFileToSave(
        std::string(doc_texts::kAllFilesFilter), std::string(doc_texts::kPageExtension),
        path_.empty() ? title_ : FileNameOf(path_), DialogFolder());
    if (!chosen) {
        return 0;
    }
    // A name typed without an extension is a web page.
    if (!fs::path(*chosen).has_extension()) {
        *chosen += ".";
        *chosen += doc_texts::kPageExtension;
    }
    return DoSave(*chosen);
}

int CVantleDoc::ConfirmSavePage() {
    if (!modified_) {
        return 1;
    }
    switch (
        ui_.AskYesNoCancel(FillIn(doc_texts::kSavePagePrompt, path_.empty() ? title_ : path_))) {
    case Answer::Yes:
        return SaveDocument();
    case Answer::No:
        return 1;
    case Answer::Cancel:
        break;
    }
    return 0;
}

int CVantleDoc::ConfirmSaveTemplate() {
    if (templateOpen == 0 || templateModified == 0) {
        return 1;
    }
    switch (ui_.AskYesNoCancel(std::string(doc_texts::kSaveChangesTo) + templateName)) {
    case Answer::Yes:
        // A failed or cancelled save stops whatever asked, so nothing is lost.
        return SaveTemplate();
    case Answer::No:
        return 1;
    case Answer::Cancel:
        break;
    }
    return 0;
}

int CVantleDoc::ConfirmSave() {
    if (ConfirmSaveTemplate() == 0) {
        return 0;
    }
    return ConfirmSavePage();
}

int CVantleDoc::NewCommand() {
    if (ConfirmSave() == 0) {
        return 0;
    }
    ResetDocument();
    const std::vector<DocumentView*> views = views_;
    for (DocumentView* view : views) {
        view->OnInitialUpdate();
    }
    return 1;
}

int CVantleDoc::OpenCommand(const std::string& fileTypes) {
    std::optional<std::string> chosen = ui_.ChooseFileToOpen(OpenFilter(fileTypes), DialogFolder());
    if (!chosen) {
        return 0;
    }
    // A template opens beside the page, which stays as it is.
    if (IsTemplatePath(*chosen)) {
        return OpenTemplate(*chosen);
    }
    // Unsaved edits are offered for saving before the page is replaced;
    // Cancel keeps everything as it was.
    if (ConfirmSave() == 0) {
        return 0;
    }
    // The page goes only when the chosen one could be read.
    return OpenByPath(*chosen, true);
}

std::string CVantleDoc::DialogFolder() const {
    if (!path_.empty()) {
        std::error_code ec;
        const fs::path folder = fs::absolute(path_, ec).parent_path();
        if (!ec && !folder.empty()) {
            return folder.string();
        }
    }
    if (!projectDirectory_.empty()) {
        return projectDirectory_;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) : std::string("/");
}

void CVantleDoc::SetProjectDirectory(const std::string& path) {
    projectDirectory_ = path;
    if (projectDirectory_.size() > 1 && projectDirectory_.back() == '/') {
        projectDirectory_.pop_back();
    }
}

// --- Templates ---------------------------------------------------------------

int CVantleDoc::NewTemplate() {
    if (ConfirmSaveTemplate() == 0) {
        return 0;
    }
    templateName = doc_texts::kUnnamedTemplate;
    templatePath.clear();
    template_.SetText(std::string(doc_texts::kNewTemplateText), 0);
    templateCharset_ = Charset::Utf8;

    const MetaDataSet page = page_.GetMetaDataSet();
    if (!page.title.empty() || !page.tags.empty()) {
        if (ui_.AskYesNo(std::string(doc_texts::kBaseTemplateOnPage)) == Answer::Yes) {
            // The page's text goes into the template as UTF-8; its charset
            // declaration stays with the page.
            const auto text = [this](const std::string& bytes) {
                return DecodeToUtf8(bytes, pageCharset_.charset);
            };
            if (!page.title.empty()) {
                template_.SetTitleWithAction(text(page.title), SetIfMissing);
            }
            for (const MetaTag& tag : page.tags) {
                if (!tag.content.empty() && !tag.name.empty() &&
                    !DeclaresCharset(tag.name, tag.content, tag.httpEquiv)) {
                    template_.SetMetaWithAction(text(tag.name), text(tag.content), tag.httpEquiv,
                                                SetIfMissing);
                }
            }
            for (const MetaTag& item : page_.GetHeadItems()) {
                if (!item.content.empty()) {
                    template_.SetMetaWithAction(text(item.name), text(item.content), item.httpEquiv,
                                                SetIfMissing);
                }
            }
            templateModified = 1;
        }
    }
    const ViewsBusy busy(*this, true);
    templateOpen = 1;
    templateEditing = 1;
    UpdateAllViews();
    return 1;
}

int CVantleDoc::OpenTemplateCommand() {
    std::optional<std::string> chosen =
        ui_.ChooseFileToOpen(std::string(doc_texts::kTemplateFilter), DialogFolder());
    if (!chosen) {
        return 0;
    }
    return OpenTemplate(*chosen);
}

int CVantleDoc::OpenTemplate(const std::string& path) {
    // The template it replaces may have unsaved edits: the same prompt as
    // New and Exit; Cancel keeps it.
    if (ConfirmSaveTemplate() == 0) {
        return 0;
    }
    std::string bytes;
    std::string error;
    if (ReadWholeFile(path, bytes, error)) {
        OpenTemplateFromBytes(path, std::move(bytes));
        return 1;
    }
    templateName.clear();
    templatePath.clear();
    ui_.ShowFailure(FillIn(doc_texts::kFailedToReadTemplate, path, error));
    templateOpen = 0;
    templateModified = 0;
    UpdateAllViews();
    return 0;
}

void CVantleDoc::OpenTemplateFromBytes(const std::string& path, std::string bytes) {
    templateName = StemOf(path);
    templatePath = path;
    LinesToCrLfInPlace(bytes);
    template_.SetText(std::move(bytes), 0);
    templateCharset_ = orlen::PageCharset(template_, template_.GetText());
    templateOpen = 1;
    templateModified = 0; // a template just read has no edits
    UpdateAllViews();
}

int CVantleDoc::SaveTemplate() {
    if (templatePath.empty()) {
        return SaveTemplateAs();
    }
    std::string error;
    if (!WriteFileSafely(templatePath, template_.GetText(), error)) {
        ui_.ShowFailure(std::string(doc_texts::kUnableToSaveTemplate) + templatePath);
        return 0;
    }
    templateModified = 0;
    return 1;
}

int CVantleDoc::SaveTemplateAs() {
    std::optional<std::string> chosen = ui_.ChooseFileToSave(
        std::string(doc_texts::kTemplateFilter), std::string(doc_texts::kTemplateExtension),
        templateName,
        templatePath.empty() ? DialogFolder() : fs::path(templatePath).parent_path().string());
    if (!chosen) {
        return 0;
    }
    templatePath = *chosen;
    templateName = StemOf(*chosen);
    return SaveTemplate();
}

int CVantleDoc::CloseTemplate() {
    if (ConfirmSaveTemplate() == 0) {
        return 0;
    }
    templateOpen = 0;
    templateEditing = 0;
    UpdateAllViews();
    return 1;
}

int CVantleDoc::EditTemplate() {
    const ViewsBusy busy(*this, true);
    templateEditing = templateEditing != 0 ? 0 : 1;
    UpdateAllViews();
    return 1;
}

int CVantleDoc::GetTemplateMeta(int index, std::string& name, std::string& content, int& httpEquiv,
                                int& action) {
    if (template_.GetMeta(index, name, content, httpEquiv) == 0) {
        action = -1;
        return 0;
    }
    action = template_.GetMetaAction(name, httpEquiv);
    return 1;
}

void CVantleDoc::ApplyTemplateTitle() {
    std::string templateTitle;
    int action = 0;
    if (template_.GetTitleWithAction(templateTitle, action) == 0) {
        return;
    }
    ActionResult r = CombineByAction(action, ForPage(templateTitle), page_.GetTitle());
    if (r.change) {
        page_.SetTitle(r.remove ? std::string() : r.value);
    }
}

void CVantleDoc::ApplyTemplateMeta() {
    std::string name;
    std::string content;
    int httpEquiv = 0;
    for (int i = 0; template_.GetMeta(i, name, content, httpEquiv) != 0; ++i) {
        // A template's charset declaration describes the template's file,
        // not the page: applied, it would contradict the page's bytes.
        if (name.empty() || DeclaresCharset(name, content, httpEquiv)) {
            continue;
        }
        const int action = template_.GetMetaAction(name, httpEquiv);
        ApplyTemplateItem(ForPage(name), content, httpEquiv, action);
    }
    for (const CTemplatePage::ItemWithAction& entry : template_.GetHeadItemsWithActions()) {
        ApplyTemplateItem(ForPage(entry.item.name), entry.item.content, entry.item.httpEquiv,
                          entry.action);
    }
}

void CVantleDoc::ApplyTemplateItem(const std::string& name, const std::string& content, int kind,
                                   int action) {
    ActionResult r = CombineByAction(action, ForPage(content), page_.GetMetaContent(name, kind));
    if (!r.change) {
        return;
    }
    if (r.remove) {
        page_.RemoveMeta(name, kind);
    } else {
        page_.SetMeta(name, r.value, kind);
    }
}

std::string CVantleDoc::ForPage(const std::string& templateValue) const {
    // The template's own line ends stay in the template.
    std::string value = WithLineEnds(templateValue, page_.LineEnd());
    if (templateCharset_ == pageCharset_.charset) {
        return value;
    }
    return EncodeFromUtf8(DecodeToUtf8(value, templateCharset_), pageCharset_.charset);
}

int CVantleDoc::ApplyTemplate() {
    if (!pageCharset_.charset.IsSupported()) {
        ui_.ShowWarning(FillIn(doc_texts::kUnsupportedCharset, title_, pageCharset_.label));
        return 0;
    }
    const ViewsBusy busy(*this, true);
    ApplyTemplateTitle();
    ApplyTemplateMeta();
    modified_ = true;
    Edited();
    UpdateAllViews();
    return 1;
}

int CVantleDoc::OnCommand(int id, const std::string& fileTypes) {
    if (!QueryCommand(id).enabled) {
        return 0;
    }
    switch (id) {
    case cmd::kFileNew:
        return NewCommand();
    case cmd::kFileOpen:
        return OpenCommand(fileTypes);
    case cmd::kFileSave:
        return SaveDocument();
    case cmd::kFileSaveAs:
        return SaveDocumentAs();
    case cmd::kNewTemplate:
        return NewTemplate();
    case cmd::kOpenTemplate:
        return OpenTemplateCommand();
    case cmd::kSaveTemplate:
        return SaveTemplate();
    case cmd::kSaveTemplateAs:
        return SaveTemplateAs();
    case cmd::kCloseTemplate:
        return CloseTemplate();
    case cmd::kEditTemplate:
    case cmd::kEditTemplateButton:
        return EditTemplate();
    case cmd::kApplyTemplate:
    case cmd::kApplyButton:
        return ApplyTemplate();
    default:
        return 0;
    }
}

CommandState CVantleDoc::QueryCommand(int id) const {
    const bool open = templateOpen != 0;
    switch (id) {
    case cmd::kFileNew:
    case cmd::kFileOpen:
    case cmd::kFileSave:
    case cmd::kFileSaveAs:
    case cmd::kNewTemplate:
    case cmd::kOpenTemplate:
        return {true, false};
    case cmd::kSaveTemplate:
        return {open && templateModified != 0, false};
    case cmd::kSaveTemplateAs:
    case cmd::kCloseTemplate:
        return {open, false};
    case cmd::kEditTemplate:
    case cmd::kEditTemplateButton:
        return {open, templateEditing != 0};
    case cmd::kApplyTemplate:
    case cmd::kApplyButton:
        return {open && templateEditing == 0, false};
    default:
        return {false, false};
    }
}

} // namespace orlen
