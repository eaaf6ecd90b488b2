// The application's one document: the page being edited, the open meta-tag
// template beside it, and the project directory.
#pragma once

#include "document/document_ui.h"
#include "document/safe_file.h"
#include "document/template_page.h"
#include "page/charset.h"
#include "page/html_page.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orlen {

// Whether a command is available, and whether it shows checked.
struct CommandState {
    bool enabled = false;
    bool checked = false;
};

// Why opening a page warned. The warnings' texts are for people; this says
// which one it is for code that treats them differently.
enum class OpenNotice {
    None,
    // The page declares a charset that cannot be written (kUnsupportedCharset).
    UnsupportedCharset,
    // The page has no place for meta-data (kNoMetaDataPosition).
    NoMetaDataPosition,
};

class CVantleDoc {
public:
    explicit CVantleDoc(DocumentUi& ui);
    CVantleDoc(const CVantleDoc&) = delete;
    CVantleDoc& operator=(const CVantleDoc&) = delete;

    // --- Views -------------------------------------------------------------
    void AddView(DocumentView* view);
    void RemoveView(DocumentView* view);
    void UpdateAllViews();

    // --- The page as a document -------------------------------------------

    // Makes the document a new empty page: no path, not modified, writable.
    int ResetDocument();
    // Reads the page from path, then replaces the document with it. A page
    // with no place for meta-data is reported and marked unwritable. On
    // failure the problem is reported and the page that was open stays as it
    // was; returns 0.
    int OpenDocument(const std::string& path);
    // As OpenDocument, with the bytes just read from the file at path: for
    // a batch that keeps them.
    int OpenDocumentFromBytes(const std::string& path, std::string bytes);
    // Opens a path the way every open in the application does: a name
    // ending in ".mtpl" opens as the template; a page that is already open
    // is not read again; otherwise the user may save a modified page first
    // (Cancel stops), then the page is read. With confirmed, the user has
    // answered the save prompt already and the page is read even when it is
    // the one open. Returns 1 when the document now shows the path.
    int OpenByPath(const std::string& path, bool confirmed = false);
    // Writes the page to its file (Save As when it has none). A page marked
    // unwritable is never written. Returns 0 on failure or cancel.
    int SaveDocument();
    // Asks for a file name and writes the page there. Returns 0 on failure
    // or cancel.
    int SaveDocumentAs();
    // The save of a batch over many pages (orlen-meta apply): the refusals
    // of DoSave, reported the same way, then the page is handed to batch.
    // A page with one link is written into a temporary file that replaces
    // it when the batch is committed, if no other program has changed it
    // since it was read; a page with several links is written in place now,
    // after that check. Nothing is asked. staged tells which; the document
    // stays modified either way, since only the batch knows the end.
    // Returns 0 when the page was refused or failed (reported).
    int SaveIntoBatch(ReplacementBatch& batch, bool& staged);
    // Writes the page to path through a temporary file; reports failures.
    // When path is the page's own file and another program has changed
    // that file since it was opened or saved, asks first; No writes nothing
    // and keeps the page modified.
    int DoSave(const std::string& path);
    // Says why the page cannot be written (a charset that cannot be written
    // faithfully, no place for meta-data) and returns true; false when it
    // can be.
    bool RefuseUnwritable();
    // The prompts before the page is replaced or the application closes:
    // the template's, then the page's. Returns 0 when the user cancelled (or
    // a save the user asked for failed).
    int ConfirmSave();

    // Commands: New and Open (a file dialog), each with the save prompts
    // before the page is replaced. fileTypes is the application's list such
    // as "*.htm;*.html".
    int NewCommand();
    int OpenCommand(const std::string& fileTypes);
    static std::string OpenFilter(const std::string& fileTypes);

    const std::string& GetPathName() const { return path_; }
    const std::string& GetTitle() const { return title_; }
    bool IsModified() const { return modified_; }
    void SetModifiedFlag(bool modified = true) {
        modified_ = modified;
        if (modified) {
            Edited();
        }
    }
    // Called after each edit of the page's or the template's values (the
    // recovery copy of unsaved edits is written a moment after the last).
    void SetEditListener(std::function<void()> listener) { editListener_ = std::move(listener); }
    // The page's file as this document last read or wrote it.
    const FileStamp& DiskStamp() const { return diskStamp_; }
    bool IsUnwritable() const { return unwritable_; }
    // Pages keep their own line ends; with this set, every line end of a
    // page read from now on becomes CR LF, as some teams want.
    void SetCrLfLineEnds(bool crlf) { crlfLineEnds_ = crlf; }
    bool CrLfLineEnds() const { return crlfLineEnds_; }
    // Why the last OpenDocument warned: set before each warning it shows,
    // so that a DocumentUi can tell which one it is being shown, and kept
    // after the open; None when it showed none.
    OpenNotice LastOpenNotice() const { return openNotice_; }
    // The charset the page is read and written in, and how it was told.
    const CharsetChoice& PageCharsetChoice() const { return pageCharset_; }
    Charset PageCharset() const { return pageCharset_.charset; }
    // The charset of the template's file: UTF-8 for new templates.
    Charset TemplateCharset() const { return templateCharset_; }

    // --- Page meta-data ----------------------------------------------------
    std::string GetPageTitle() const { return page_.GetTitle(); }
    int SetPageTitle(std::string_view title) {
        Edited();
        return page_.SetTitle(title);
    }
    int GetPageMeta(int index, std::string& name, std::string& content, int& httpEquiv) const {
        return page_.GetMeta(index, name, content, httpEquiv);
    }
    // The page's links and language (CHtmlPage::GetHeadItems).
    std::vector<MetaTag> GetPageItems() const { return page_.GetHeadItems(); }
    int SetPageMeta(std::string_view name, std::string_view content, int httpEquiv) {
        Edited();
        return page_.SetOrRemoveMeta(name, content, httpEquiv);
    }
    std::string GetBodyText() { return page_.GetBodyText(); }
    const std::string& GetPageText() { return page_.GetText(); }
    CHtmlPage& Page() { return page_; }

    const std::string& GetProjectDirectory() const { return projectDirectory_; }
    // Where file and folder dialogs start: the page's folder, else the
    // project directory, else the user's home folder.
    std::string DialogFolder() const;
    // Stores the directory without one trailing separator; a root stays a
    // root.
    void SetProjectDirectory(const std::string& path);

    // --- Templates ---------------------------------------------------------
    int NewTemplate();
    int OpenTemplateCommand();
    // Asks to save a modified template first (Cancel keeps it), then reads
    // the template from path; a template just read is not modified.
    int OpenTemplate(const std::string& path);
    // Takes bytes read from the template file at path, as OpenTemplate does
    // once it has read them: for documents that each apply one template
    // read once. Nothing is asked; the views are updated.
    void OpenTemplateFromBytes(const std::string& path, std::string bytes);
    int SaveTemplate();
    int SaveTemplateAs();
    int CloseTemplate();
    int EditTemplate();
    // Applies the template to the page. Each template value is written in
    // the page's charset; a template's own charset declaration is never
    // applied. A page in an unsupported charset is left as it is (reported;
    // returns 0).
    int ApplyTemplate();
    // Runs a template or file command by number; returns 0 for an unknown
    // number.
    int OnCommand(int id, const std::string& fileTypes = {});
    // Enabled and checked state of a command the document handles.
    CommandState QueryCommand(int id) const;

    int GetTemplateTitle(std::string& title, int& action) {
        return template_.GetTitleWithAction(title, action);
    }
    // A tag without an action (-1) is stored as "Never change", which
    // applies the same way: a template file never holds action="-1".
    void SetTemplateTitle(std::string_view title, int action) {
        Edited();
        template_.SetTitleWithAction(title, StoredAction(action));
    }
    int GetTemplateMeta(int index, std::string& name, std::string& content, int& httpEquiv,
                        int& action);
    void SetTemplateMeta(std::string_view name, std::string_view content, int httpEquiv,
                         int action) {
        Edited();
        template_.SetMetaWithAction(name, content, httpEquiv, StoredAction(action));
    }
    CTemplatePage& Template() { return template_; }

    // Whether the views show the document and take value changes as edits:
    // false while they are being filled (a ViewsBusy lives).
    bool ViewsReady() const { return viewsReady_; }

    // While one lives, the views are being filled from the document, and
    // what they report as changed values is not the user's editing. When
    // it goes, the views are ready again if readyAfterwards, else as they
    // were before.
    class ViewsBusy {
    public:
        explicit ViewsBusy(CVantleDoc& doc, bool readyAfterwards = false)
            : doc_(doc), after_(readyAfterwards || doc.viewsReady_) {
            doc_.viewsReady_ = false;
        }
        ~ViewsBusy() { doc_.viewsReady_ = after_; }
        ViewsBusy(const ViewsBusy&) = delete;
        ViewsBusy& operator=(const ViewsBusy&) = delete;

    private:
        CVantleDoc& doc_;
        bool after_;
    };

    int templateOpen = 0;
    int templateEditing = 0;
    int templateModified = 0;
    std::string templateName;
    std::string templatePath;

private:
    static int StoredAction(int action) { return action < 0 ? 2 : action; }
    void Edited() {
        if (editListener_) {
            editListener_();
        }
    }
    // The template's part of ConfirmSave, also asked before a new template
    // replaces it and before it closes: "Save changes to " + name.
    int ConfirmSaveTemplate();
    // The page's part of ConfirmSave: "Save changes to %1?".
    int ConfirmSavePage();
    void ApplyTemplateTitle();
    void ApplyTemplateMeta();
    // Applies one template item (meta tag, link or language) by its action.
    void ApplyTemplateItem(const std::string& name, const std::string& content, int kind,
                           int action);
    // A template value in the page's charset.
    std::string ForPage(const std::string& templateValue) const;

    DocumentUi& ui_;
    std::vector<DocumentView*> views_;
    std::string path_;
    std::string title_;
    bool modified_ = false;
    std::string projectDirectory_;
    CHtmlPage page_;
    CTemplatePage template_;
    bool unwritable_ = false;
    bool viewsReady_ = false;
    bool crlfLineEnds_ = false;
    OpenNotice openNotice_ = OpenNotice::None;
    CharsetChoice pageCharset_;
    Charset templateCharset_ = Charset::Utf8;
    // The page's file as this document last read or wrote it.
    FileStamp diskStamp_;
    std::function<void()> editListener_;
};

// True when a path opens as a template: the text from its last "." on is
// ".mtpl", compared case-sensitively.
bool IsTemplatePath(std::string_view path);

// The value a template action gives a tag whose page value is pageValue;
// nothing when the action leaves the tag alone. remove is set for
// AlwaysRemove.
struct ActionResult {
    bool change = false;
    bool remove = false;
    std::string value;
};
ActionResult CombineByAction(int action, const std::string& templateValue,
                             const std::string& pageValue);

} // namespace orlen
