// Templates in the document: new, base on page, open, save, close, edit, and
// applying every action to titles and meta tags.
#include "../temp_dir.h"
#include "document/command_ids.h"
#include "document/document_texts.h"
#include "document/scripted_ui.h"
#include "document/vantle_doc.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

using test::ReadFile;

class RecordingView : public DocumentView {
public:
    explicit RecordingView(CVantleDoc& doc) : doc_(doc) { doc.AddView(this); }
    ~RecordingView() override { doc_.RemoveView(this); }
    void OnUpdate() override { readiness.push_back((doc_.ViewsReady() ? 1 : 0)); }
    std::vector<int> readiness;

private:
    CVantleDoc& doc_;
};

class TemplateTest : public ::testing::Test {
protected:
    // A template with one title and one meta tag, with the given actions.
    void MakeTemplate(const std::string& title, int titleAction, const std::string& name,
                      const std::string& content, int metaAction) {
        doc.NewTemplate();
        if (!title.empty() || titleAction != 0) {
            doc.SetTemplateTitle(title, titleAction);
        }
        if (!name.empty()) {
            doc.SetTemplateMeta(name, content, 0, metaAction);
        }
        doc.EditTemplate(); // end editing, so Apply is enabled
    }
    void LoadPage(const std::string& text) { doc.Page().SetText(text, 1); }

    ScriptedUi ui;
    CVantleDoc doc{ui};
    test::TempDir dir;
};

TEST_F(TemplateTest, EveryActionOnAMetaTag) {
    struct Case {
        int action;
        const char* page;     // page keywords, nullptr for no tag
        const char* expected; // resulting keywords, nullptr for no tag
    };
    const Case cases[] = {
        {1, "a", "b"},         {1, nullptr, "b"},  {2, "a", "a"},     {2, nullptr, nullptr},
        {3, "a", "a"},         {3, nullptr, "b"},  {3, "", "b"},      {4, "a", "b"},
        {4, nullptr, nullptr}, {4, "", ""},        {5, "a", nullptr}, {5, nullptr, nullptr},
        {6, "a", "a b"},       {6, nullptr, " b"}, {7, "a", "b a"},   {7, nullptr, "b "},
        {0, "a", "a"},         {-1, "a", "a"},     {9, "a", "a"},
    };
    for (const Case& c : cases) {
        MakeTemplate("", 0, "keywords", "b", c.action);
        if (c.action == -1) {
            // A tag without an action attribute.
            doc.Template().SetText(
                "<html><head><meta name=keywords content=b></head><body></body></html>", 0);
        }
        LoadPage(c.page ? "<head><meta name=keywords content=\"" + std::string(c.page) +
                              "\"></head><body>"
                        : "<head></head><body>");
        doc.SetModifiedFlag(false);
        ASSERT_EQ(doc.OnCommand(cmd::kApplyTemplate), 1) << c.action;
        EXPECT_TRUE(doc.IsModified());
        const auto pos = doc.Page().FindMetaByName("keywords");
        if (c.expected == nullptr) {
            EXPECT_TRUE(doc.Page().IsNull(pos))
                << "action " << c.action << " page " << (c.page ? c.page : "(none)");
        } else {
            EXPECT_EQ(doc.Page().GetMetaContent("keywords"), c.expected)
                << "action " << c.action << " page " << (c.page ? c.page : "(none)");
        }
    }
}

TEST_F(TemplateTest, EveryActionOnTheTitle) {
    struct Case {
        int action;
        const char* page;
        const char* expected;
    };
    const Case cases[] = {{1, "P", "T"},   {2, "P", "P"}, {3, "P", "P"}, {3, "", "T"},
                          {4, "P", "T"},   {4, "", ""},   {5, "P", ""},  {6, "P", "P T"},
                          {7, "P", "T P"}, {0, "P", "P"}};
    for (const Case& c : cases) {
        MakeTemplate("T", c.action, "", "", 0);
        LoadPage("<head><title>" + std::string(c.page) + "</title></head><body>");
        doc.ApplyTemplate();
        EXPECT_EQ(doc.GetPageTitle(), c.expected) << "action " << c.action;
    }
    // Action 5 leaves an empty title element.
    MakeTemplate("T", 5, "", "", 0);
    LoadPage("<head><title>P</title></head><body>");
    doc.ApplyTemplate();
    EXPECT_EQ(doc.GetPageText(), "<head><title></title></head><body>");
}

TEST_F(TemplateTest, ApplyKeepsHttpEquivAndSkipsAMissingTitle) {
    doc.NewTemplate();
    doc.SetTemplateMeta("Refresh", "10", 1, 1);
    doc.SetTemplateMeta("robots", "noindex", 0, 3);
    doc.EditTemplate();
    LoadPage("<head><title>P</title></head><body>x</body>");
    RecordingView view(doc);
    doc.ApplyTemplate();
    EXPECT_EQ(doc.GetPageText(), "<head>\n\t<meta http-equiv=\"Refresh\" content=\"10\"/>"
                                 "\n\t<meta name=\"robots\" content=\"noindex\"/>"
                                 "<title>P</title></head><body>x</body>");
    EXPECT_EQ(view.readiness, std::vector<int>{0});
    EXPECT_TRUE(doc.ViewsReady());

    // A page without a place for meta-data takes nothing new.
    LoadPage("<html><body>x</body></html>");
    doc.ApplyTemplate();
    EXPECT_EQ(doc.GetPageText(), "<html><body>x</body></html>");
}

TEST_F(TemplateTest, NewTemplateCanBeBasedOnThePage) {
    LoadPage("<head><title>T</title><meta name=a content=1><meta name=b content=\"\">"
             "<meta http-equiv=\"Expires\" content=0></head><body>");
    RecordingView view(doc);
    ui.answers = {Answer::Yes};
    ASSERT_EQ(doc.NewTemplate(), 1);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "Base new template on current page?");
    EXPECT_EQ(doc.templateOpen, 1);
    EXPECT_EQ(doc.templateEditing, 1);
    EXPECT_EQ(doc.templateModified, 1);
    EXPECT_EQ(doc.templateName, "unnamed template");
    EXPECT_EQ(doc.templatePath, "");
    EXPECT_EQ(view.readiness, std::vector<int>{0});

    const std::string text = doc.Template().GetText();
    EXPECT_NE(text.find("<meta name=\"a\" content=\"1\" action=\"3\"/>"), std::string::npos);
    EXPECT_NE(text.find("<meta http-equiv=\"Expires\" content=\"0\" action=\"3\"/>"),
              std::string::npos);
    EXPECT_NE(text.find("<title action=\"3\">T</title>"), std::string::npos);
    EXPECT_EQ(text.find("\"b\""), std::string::npos);

    std::string name, content;
    int httpEquiv = 0, action = 0;
    // Index 0 is the template's own charset declaration.
    ASSERT_EQ(doc.GetTemplateMeta(0, name, content, httpEquiv, action), 1);
    EXPECT_EQ(name, "");
    ASSERT_EQ(doc.GetTemplateMeta(2, name, content, httpEquiv, action), 1);
    EXPECT_EQ(name, "Expires");
    EXPECT_EQ(httpEquiv, 1);
    EXPECT_EQ(action, 3);
    EXPECT_EQ(doc.GetTemplateMeta(3, name, content, httpEquiv, action), 0);

    // Answering No gives the bare new template, still unmodified.
    doc.templateModified = 0;
    ui.answers = {Answer::No};
    doc.NewTemplate();
    EXPECT_EQ(doc.Template().GetText(), doc_texts::kNewTemplateText);
    EXPECT_EQ(doc.templateModified, 0);
}

TEST_F(TemplateTest, SaveAsksForANameThenReopensTheSame) {
    doc.NewTemplate();
    doc.SetTemplateTitle("Site", 7);
    doc.SetTemplateMeta("author", "Ann \"A\"", 0, 1);
    doc.templateModified = 1;
    const std::string path = dir / "x.y.mtpl";
    ui.files.push_back(path);
    ASSERT_EQ(doc.OnCommand(cmd::kSaveTemplate), 1);
    EXPECT_EQ(ui.saveDefaults.back(), "mtpl|unnamed template");
    EXPECT_EQ(ui.filters.back(), "Templates (*.mtpl)|*.mtpl|All files (*.*)|*.*||");
    EXPECT_EQ(doc.templatePath, path);
    EXPECT_EQ(doc.templateName, "x.y");
    EXPECT_EQ(doc.templateModified, 0);
    const std::string saved = ReadFile(path);
    EXPECT_EQ(saved, doc.Template().GetText());

    CVantleDoc other(ui);
    ASSERT_EQ(other.OpenByPath(path), 1);
    EXPECT_EQ(other.templateName, "x.y");
    std::string title;
    int action = 0;
    ASSERT_EQ(other.GetTemplateTitle(title, action), 1);
    EXPECT_EQ(title, "Site");
    EXPECT_EQ(action, 7);
    std::string name, content;
    int httpEquiv = 0;
    ASSERT_EQ(other.GetTemplateMeta(1, name, content, httpEquiv, action), 1);
    EXPECT_EQ(content, "Ann \"A\"");
    EXPECT_EQ(action, 1);
    EXPECT_EQ(other.Template().GetText(), saved + "\r\n"); // read as lines

    // Cancelling the name leaves it unsaved.
    doc.NewTemplate();
    doc.templateModified = 1;
    EXPECT_EQ(doc.SaveTemplate(), 0);
    EXPECT_EQ(doc.templateModified, 1);
}

TEST_F(TemplateTest, UnreadableAndUnwritableTemplateFiles) {
    RecordingView view(doc);
    EXPECT_EQ(doc.OpenTemplate(dir / "missing.mtpl"), 0);
    EXPECT_EQ(ui.messages.back(), "Failed to read template file " + (dir / "missing.mtpl") +
                                      ".\nNo such file or directory");
    EXPECT_EQ(doc.templateOpen, 0);
    EXPECT_EQ(doc.templateName, "");
    EXPECT_EQ(doc.templatePath, "");
    EXPECT_EQ(view.readiness.size(), 1u);

    doc.NewTemplate();
    doc.templateModified = 1;
    doc.templatePath = dir / "no-such-folder/t.mtpl";
    EXPECT_EQ(doc.SaveTemplate(), 0);
    EXPECT_EQ(ui.messages.back(), "File error, unable to save " + doc.templatePath);
    EXPECT_EQ(doc.templateModified, 1);
}

TEST_F(TemplateTest, CloseAsksAboutChangesAndCancelKeepsItOpen) {
    doc.NewTemplate();
    doc.templateModified = 1;
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(doc.CloseTemplate(), 0);
    EXPECT_EQ(doc.templateOpen, 1);
    ui.answers = {Answer::No};
    EXPECT_EQ(doc.CloseTemplate(), 1);
    EXPECT_EQ(doc.templateOpen, 0);
    EXPECT_EQ(doc.templateEditing, 0);
    EXPECT_EQ(doc.templateModified, 1); // not changed by closing
    ASSERT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ui.questions[1], "Save changes to unnamed template");

    // New on a modified open template: Cancel stops, Yes saves first.
    doc.NewTemplate();
    doc.SetTemplateTitle("Kept", 1);
    doc.templateModified = 1;
    ui.answers = {Answer::Cancel};
    EXPECT_EQ(doc.NewTemplate(), 0);
    std::string title;
    int action = 0;
    doc.GetTemplateTitle(title, action);
    EXPECT_EQ(title, "Kept");
    ui.answers = {Answer::Yes};
    ui.files.push_back(dir / "kept.mtpl");
    EXPECT_EQ(doc.NewTemplate(), 1);
    EXPECT_NE(ReadFile(dir / "kept.mtpl").find(">Kept</title>"), std::string::npos);
}

TEST_F(TemplateTest, CommandsAreEnabledByTheTemplateState) {
    using cmd::kApplyTemplate, cmd::kCloseTemplate, cmd::kEditTemplate, cmd::kSaveTemplate,
        cmd::kSaveTemplateAs, cmd::kNewTemplate, cmd::kOpenTemplate;
    EXPECT_TRUE(doc.QueryCommand(kNewTemplate).enabled);
    EXPECT_TRUE(doc.QueryCommand(kOpenTemplate).enabled);
    for (int id : {kSaveTemplate, kSaveTemplateAs, kCloseTemplate, kEditTemplate, kApplyTemplate}) {
        EXPECT_FALSE(doc.QueryCommand(id).enabled) << id;
    }
    EXPECT_EQ(doc.OnCommand(kApplyTemplate), 0);

    doc.NewTemplate(); // open and editing, not modified
    EXPECT_FALSE(doc.QueryCommand(kSaveTemplate).enabled);
    EXPECT_TRUE(doc.QueryCommand(kSaveTemplateAs).enabled);
    EXPECT_TRUE(doc.QueryCommand(kEditTemplate).checked);
    EXPECT_FALSE(doc.QueryCommand(kApplyTemplate).enabled);
    EXPECT_FALSE(doc.QueryCommand(cmd::kApplyButton).enabled);

    RecordingView view(doc);
    EXPECT_EQ(doc.OnCommand(cmd::kEditTemplateButton), 1);
    EXPECT_EQ(doc.templateEditing, 0);
    EXPECT_EQ(view.readiness, std::vector<int>{0});
    EXPECT_FALSE(doc.QueryCommand(kEditTemplate).checked);
    EXPECT_TRUE(doc.QueryCommand(kApplyTemplate).enabled);
    doc.templateModified = 1;
    EXPECT_TRUE(doc.QueryCommand(kSaveTemplate).enabled);

    // Opening a template over a modified one asks first; Cancel keeps it.
    // The template opened is unmodified, and the editing flag stays.
    const std::string path = dir.Write("t.mtpl", "<head></head>");
    doc.EditTemplate();
    ASSERT_EQ(doc.OnCommand(kOpenTemplate), 0); // dialog cancelled
    EXPECT_TRUE(ui.questions.empty());
    ui.files.push_back(path);
    ui.answers = {Answer::Cancel};
    ASSERT_EQ(doc.OnCommand(kOpenTemplate), 0);
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0], "Save changes to unnamed template");
    EXPECT_EQ(doc.templateName, "unnamed template");
    EXPECT_EQ(doc.templateModified, 1);
    ui.files.push_back(path);
    ui.answers = {Answer::No};
    ASSERT_EQ(doc.OnCommand(kOpenTemplate), 1);
    EXPECT_EQ(doc.templateName, "t");
    EXPECT_EQ(doc.templateEditing, 1);
    EXPECT_EQ(doc.templateModified, 0);
    // So closing asks nothing, and nothing rewrites the file.
    EXPECT_EQ(doc.ConfirmSave(), 1);
    EXPECT_EQ(ui.questions.size(), 2u);
    EXPECT_EQ(ReadFile(path), "<head></head>");

    // Yes saves the modified template before the other one opens.
    doc.SetTemplateTitle("Saved", 1);
    doc.templateModified = 1;
    const std::string other = dir.Write("other.mtpl", "<head></head>");
    ui.files.push_back(other);
    ui.answers = {Answer::Yes};
    ASSERT_EQ(doc.OnCommand(kOpenTemplate), 1);
    EXPECT_NE(ReadFile(path).find("<title action=\"1\">Saved</title>"), std::string::npos);
    EXPECT_EQ(doc.templateName, "other");
    EXPECT_EQ(doc.templateModified, 0);
}

TEST_F(TemplateTest, ATemplateNeverStoresTheActionMinusOne) {
    doc.NewTemplate();
    doc.SetTemplateTitle("T", -1);
    doc.SetTemplateMeta("author", "A", 0, -1);
    const std::string text = doc.Template().GetText();
    EXPECT_EQ(text.find("action=\"-1\""), std::string::npos) << text;
    EXPECT_NE(text.find("<title action=\"2\">T</title>"), std::string::npos) << text;
}

} // namespace
} // namespace orlen
