// The editing view in the running program, offscreen: pages into rows,
// typing and saving, the display rule, templates, Tab, the clipboard
// commands, suggestions, user-defined tags across a restart, charsets.
#include "../../shell/ui/scripted_app_ui.h"
#include "../../temp_dir.h"
#include "shell/command_ids.h"
#include "shell/ui/child_frame.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/vantle_app.h"
#include "tags/options_model.h"
#include "tags/ui/options_sheet.h"
#include "tags/ui/vantle_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace orlen {
namespace {

using test::ReadFile;

class ViewTest : public ::testing::Test {
protected:
    void Start(const std::optional<std::string>& file = std::nullopt) {
        app = std::make_unique<CVantleApp>(ui, settings);
        ASSERT_TRUE(app->Startup(file, false));
        app->Frame()->show();
        QApplication::setActiveWindow(app->Frame());
    }
    CVantleView& View() { return *app->View(); }
    CVantleDoc& Doc() { return app->Doc(); }
    int Row(const char* name) { return View().Catalogue().findByName(name); }
    QLineEdit* Line(int row) { return qobject_cast<QLineEdit*>(View().ValueBox(row)); }
    QPlainTextEdit* Text(int row) { return qobject_cast<QPlainTextEdit*>(View().ValueBox(row)); }
    bool Shown(int row) { return View().Catalogue().at(row).visible; }
    CommandState State(int id) { return app->Frame()->QueryCommand(id); }
    // Presses OK on the next modal dialog as soon as it shows.
    void AcceptNextDialog(const std::function<void(QDialog*)>& before = {}) {
        QTimer::singleShot(0, [before] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            if (before) {
                before(dialog);
            }
            dialog->accept();
        });
    }

    test::TempDir dir;
    test::ScriptedAppUi ui;
    MemorySettingsStore settings;
    std::unique_ptr<CVantleApp> app;
};

TEST_F(ViewTest, APageOpensIntoTheRightRows) {
    const std::string page = dir.Write(
        "p.html", "<html><head><meta charset=\"utf-8\"><title>Home</title>\n"
                  "<META NAME=\"DESCRIPTION\" CONTENT=\"d\">\n"
                  "<meta name=\"title\" content=\"not the title\">\n"
                  "<meta name=\"x-a\" content=\"first\"><meta name=\"X-A\" content=\"second\">\n"
                  "<meta http-equiv=\"refresh\" content=\"5\"></head><body></body></html>\n");
    Start(page);
    EXPECT_EQ(View().RowValue(0), "Home");
    EXPECT_EQ(View().RowValue(1), "d");
    EXPECT_EQ(View().RowValue(Row("Refresh")), "5");
    EXPECT_TRUE(Shown(Row("Refresh")));
    const int title = Row("title"); // the page-only row, not the title row
    ASSERT_GE(title, StandardTagCount);
    EXPECT_EQ(View().RowValue(title), "not the title");
    const int xa = Row("x-a");
    EXPECT_EQ(View().Catalogue().at(xa).origin, PageOnly);
    EXPECT_EQ(View().RowValue(xa), "second");
    // The charset declaration has no name and gets no row.
    EXPECT_EQ(View().Catalogue().count(), StandardTagCount + 2);
    EXPECT_EQ(View().ValueBox(title)->property("controlId").toInt(), (title + 1) * 10);
    // Rows that show always, and rows shown only with content.
    EXPECT_TRUE(Shown(Row("keywords")));
    EXPECT_FALSE(Shown(Row("owner")));

    // The next page drops this page's own rows.
    const std::string other = dir.Write("q.html", "<head><title>Q</title></head>");
    ASSERT_TRUE(app->OpenByPath(other));
    EXPECT_EQ(View().Catalogue().count(), StandardTagCount);
    EXPECT_EQ(View().RowValue(1), "");
    EXPECT_EQ(View().RowValue(0), "Q");
}

TEST_F(ViewTest, EveryRowsControlsCarryTheTagsNameForScreenReaders) {
    Start();
    const TagCatalogue& catalogue = View().Catalogue();
    for (int row = 0; row < catalogue.count(); ++row) {
        const QString name = QString::fromStdString(catalogue.at(row).definition.name);
        ASSERT_NE(View().ValueBox(row), nullptr) << row;
        EXPECT_EQ(View().ValueBox(row)->accessibleName(), name);
        EXPECT_TRUE(
            View().ActionList(row)->accessibleName().startsWith(name + QStringLiteral(":")));
        if (QPushButton* button = View().RowButton(row)) {
            EXPECT_EQ(button->accessibleName(), name + QStringLiteral(": ") + button->text());
        }
    }
    EXPECT_NE(View().RowButton(Row("robots")), nullptr);
    EXPECT_EQ(View().RowButton(Row("robots"))->accessibleName(), QStringLiteral("robots: Edit"));
    // Rows of tags the web has dropped carry a note; the others none.
    EXPECT_TRUE(View().ValueBox(Row("keywords"))->toolTip().contains(QStringLiteral("ignored")));
    EXPECT_EQ(View().ValueBox(Row("keywords"))->statusTip(),
              View().ValueBox(Row("keywords"))->toolTip());
    EXPECT_TRUE(View().ValueBox(Row("Cache-Control"))->toolTip().contains(QStringLiteral("HTTP")));
    EXPECT_TRUE(View().ValueBox(Row("PICS-label"))->toolTip().contains(QStringLiteral("PICS")));
    EXPECT_TRUE(View().ValueBox(Row("description"))->toolTip().isEmpty());
}

TEST_F(ViewTest, TypingMarksModifiedAndTheSavedFileCarriesIt) {
    const std::string page = dir.Write(
        "p.html",
        "<html><head><title>T</title>\n"
        "<META NAME=\"Author\" LANG=en CONTENT=\"Ann\">\n</head><body>Body</body></html>");
    Start(page);
    EXPECT_FALSE(Doc().IsModified());
    QPlainTextEdit* keywords = Text(Row("keywords"));
    ASSERT_NE(keywords, nullptr);
    keywords->setFocus();
    QTest::keyClicks(keywords, "bread, cake");
    EXPECT_TRUE(Doc().IsModified());
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kFileSave));
    EXPECT_FALSE(Doc().IsModified());
    // The tag the user did not touch keeps its form; the new one follows it.
    EXPECT_EQ(ReadFile(page), "<html><head><title>T</title>\n"
                              "<meta name=\"Author\" lang=en content=\"Ann\">"
                              "\n\t<meta name=\"keywords\" content=\"bread, cake\"/>\n"
                              "</head><body>Body</body></html>");

    // Emptying a box removes the tag.
    keywords->clear();
    app->Frame()->RouteCommand(cmd::kFileSave);
    EXPECT_EQ(ReadFile(page).find("keywords"), std::string::npos);
}

TEST_F(ViewTest, DisplayRuleAppliesAtRefreshNotWhileTyping) {
    const std::string page =
        dir.Write("p.html", "<head><meta name=owner content=\"a@b.c\"></head><body>");
    Start(page);
    const int owner = Row("owner");
    ASSERT_TRUE(Shown(owner));
    Line(owner)->clear();
    EXPECT_TRUE(Shown(owner)); // stays while the user works
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kViewAllFields));
    EXPECT_TRUE(State(cmd::kViewAllFields).checked);
    EXPECT_TRUE(Shown(owner));
    EXPECT_TRUE(Shown(Row("PICS-label")));
    app->Frame()->RouteCommand(cmd::kViewAllFields);
    EXPECT_FALSE(Shown(owner));
    EXPECT_FALSE(Shown(Row("PICS-label")));
    EXPECT_TRUE(Shown(Row("copyright")));
}

TEST_F(ViewTest, TemplateEditingShowsBannerAndActionsAndWritesTheTemplate) {
    Start();
    EXPECT_FALSE(View().ApplyButton()->isVisible());
    EXPECT_FALSE(View().ActionList(0)->isVisible());
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kNewTemplate));
    EXPECT_TRUE(View().ApplyButton()->isVisible());
    EXPECT_EQ(View().TemplateButton()->text(), "End editing");
    EXPECT_FALSE(View().ApplyButton()->isEnabled());
    const int author = Row("Author");
    ASSERT_TRUE(View().ActionList(author)->isVisible());
    EXPECT_EQ(View().ActionList(author)->count(), 5);
    EXPECT_EQ(View().ActionList(0)->count(), 7);
    EXPECT_EQ(View().RowAction(author), 2); // "Never change" first
    EXPECT_EQ(View().ActionList(author)->property("controlId").toInt(), 42);

    View().SetRowAction(author, 1);
    Line(author)->setFocus();
    QTest::keyClicks(Line(author), "Ann");
    EXPECT_EQ(Doc().templateModified, 1);
    EXPECT_FALSE(Doc().IsModified());
    std::string name, content;
    int httpEquiv = 0, action = 0;
    bool found = false;
    for (int i = 0; Doc().GetTemplateMeta(i, name, content, httpEquiv, action) != 0; ++i) {
        if (name == "Author") {
            found = content == "Ann" && action == 1;
        }
    }
    EXPECT_TRUE(found);

    // End editing: the page comes back, the lists go, Apply is offered.
    View().TemplateButton()->click();
    EXPECT_EQ(Doc().templateEditing, 0);
    EXPECT_EQ(View().TemplateButton()->text(), "Edit template");
    EXPECT_TRUE(View().ApplyButton()->isEnabled());
    EXPECT_FALSE(View().ActionList(author)->isVisible());
    EXPECT_EQ(View().RowValue(author), "");
    View().ApplyButton()->click();
    EXPECT_EQ(View().RowValue(author), "Ann");
    EXPECT_TRUE(Doc().IsModified());
}

TEST_F(ViewTest, TabMovesBetweenControlsAndNeverTypesATab) {
    Start();
    Line(0)->setFocus();
    ASSERT_TRUE(Line(0)->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QPlainTextEdit* description = Text(1);
    EXPECT_TRUE(description->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(View().RowButton(1)->hasFocus()); // "Suggest"
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_TRUE(description->hasFocus());
    EXPECT_FALSE(description->toPlainText().contains('\t'));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_TRUE(Line(0)->hasFocus());
    EXPECT_EQ(View().CurrentRow(), 0);
}

TEST_F(ViewTest, ClipboardAndUndoFollowTheCurrentRow) {
    const std::string page =
        dir.Write("p.html", "<head><title>Hello</title><meta name=robots content=noindex>"
                            "<meta http-equiv=Expires content=\"Sun, 06 Nov 1994 08:49:37 GMT\">"
                            "</head>");
    Start(page);
    // The title row has the focus after loading.
    EXPECT_TRUE(Line(0)->hasFocus());
    EXPECT_EQ(View().CurrentRow(), 0);
    EXPECT_TRUE(State(cmd::kPaste).enabled);
    EXPECT_FALSE(State(cmd::kCopy).enabled);
    Line(0)->selectAll();
    EXPECT_TRUE(State(cmd::kCopy).enabled);
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kCopy));
    EXPECT_EQ(QApplication::clipboard()->text(), "Hello");
    EXPECT_FALSE(State(cmd::kUndo).enabled);
    QTest::keyClicks(Line(0), "Bye");
    EXPECT_TRUE(State(cmd::kUndo).enabled);
    app->Frame()->RouteCommand(cmd::kUndo);
    EXPECT_EQ(View().RowValue(0), "Hello");

    // The robots box takes a paste like the title's; the read-only Expires
    // box, changed only through its editor, does not.
    const int robots = Row("robots");
    Line(robots)->setFocus();
    EXPECT_EQ(View().CurrentRow(), robots);
    EXPECT_TRUE(State(cmd::kPaste).enabled);
    const int expires = Row("Expires");
    ASSERT_TRUE(Shown(expires));
    Line(expires)->setFocus();
    EXPECT_EQ(View().CurrentRow(), expires);
    EXPECT_FALSE(State(cmd::kPaste).enabled);
}

TEST_F(ViewTest, TheRobotsRowTakesTypedTextIntoThePage) {
    const std::string page = dir.Write(
        "p.html", "<html><head><title>T</title>\n"
                  "<meta name=\"robots\" content=\"noindex\">\n</head><body></body></html>");
    Start(page);
    QLineEdit* robots = Line(Row("robots"));
    ASSERT_NE(robots, nullptr);
    EXPECT_FALSE(robots->isReadOnly());
    // Tab stops at it like at any box that takes text.
    EXPECT_TRUE(robots->focusPolicy() & Qt::TabFocus);
    robots->setFocus();
    QTest::keyClick(robots, Qt::Key_End);
    QTest::keyClicks(robots, ", noarchive");
    EXPECT_EQ(View().RowValue(Row("robots")), "noindex, noarchive");
    EXPECT_TRUE(Doc().IsModified());
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kFileSave));
    EXPECT_EQ(ReadFile(page), "<html><head><title>T</title>\n"
                              "<meta name=\"robots\" content=\"noindex, noarchive\"/>\n"
                              "</head><body></body></html>");

    // Typed into an empty row, the tag is added.
    robots->selectAll();
    QTest::keyClick(robots, Qt::Key_Delete);
    QTest::keyClicks(robots, "nofollow");
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kFileSave));
    EXPECT_NE(ReadFile(page).find("content=\"nofollow\""), std::string::npos);
}

TEST_F(ViewTest, SuggestionsFillTheirRows) {
    const std::string page = dir.Write(
        "p.html", "<head></head><body><p>Fresh bread daily. Bread and cakes from the oven, "
                  "bread for everyone. Cakes too.</p></body>");
    Start(page);
    AcceptNextDialog();
    View().RowButton(1)->click();
    EXPECT_EQ(View().RowValue(1), "Fresh bread daily. Bread and cakes from the oven, bread for "
                                  "everyone. Cakes too.");
    EXPECT_TRUE(Doc().IsModified());

    AcceptNextDialog([](QDialog* dialog) {
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            if (b->text().remove('&') == "Select all") {
                b->click();
            }
        }
    });
    View().RowButton(2)->click();
    // Every suggested word, in the list's alphabetical order.
    const QString keywords = View().RowValue(2);
    EXPECT_TRUE(keywords.startsWith("and, bread, cakes, daily")) << keywords.toStdString();
    EXPECT_NE(Doc().GetPageText().find("name=\"keywords\""), std::string::npos);
}

TEST_F(ViewTest, UserDefinedTagsSurviveARestart) {
    Start();
    View().optionsRunner = [this] {
        CustomTagsModel custom(View().Catalogue());
        custom.Add("rating", 0, 0);
        custom.Apply(View().Catalogue());
        return true;
    };
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kOptions));
    const int rating = Row("rating");
    ASSERT_EQ(rating, StandardTagCount);
    ASSERT_NE(View().ValueBox(rating), nullptr);
    EXPECT_TRUE(Shown(rating));
    app->Shutdown();
    app.reset();

    Start();
    EXPECT_EQ(Row("rating"), StandardTagCount);
    EXPECT_EQ(View().Catalogue().at(StandardTagCount).origin, UserDefined);
}

TEST_F(ViewTest, EditsInRowsPastTheTwentySeventhAreSaved) {
    std::string head = "<head>";
    for (int i = 0; i < 20; ++i) {
        head += "<meta name=\"x" + std::to_string(i) + "\" content=\"v\">";
    }
    const std::string page = dir.Write("p.html", head + "</head><body>");
    Start(page);
    const int row = Row("x17"); // past the twenty-seventh row
    ASSERT_EQ(row, StandardTagCount + 17);
    EXPECT_EQ(View().ValueBox(row)->property("controlId").toInt(), (row + 1) * 10);
    Line(row)->setFocus();
    EXPECT_EQ(View().CurrentRow(), row);
    Line(row)->selectAll();
    QTest::keyClicks(Line(row), "changed");
    EXPECT_TRUE(Doc().IsModified());
    app->Frame()->RouteCommand(cmd::kFileSave);
    EXPECT_NE(ReadFile(page).find("<meta name=\"x17\" content=\"changed\"/>"), std::string::npos);
}

TEST_F(ViewTest, ValuesAreShownAndWrittenInThePagesCharset) {
    const std::string latin1 = "<head><meta http-equiv=\"Content-Type\" content=\"text/html; "
                               "charset=iso-8859-1\"><title>Caf\xe9</title>"
                               "<meta name=\"Author\" content=\"Ren\xe9\"></head><body>\xe9</body>";
    const std::string page = dir.Write("l.html", latin1);
    Start(page);
    EXPECT_EQ(View().RowValue(0), QString::fromUtf8("Caf\xc3\xa9"));
    const int author = Row("Author");
    Line(author)->setFocus();
    Line(author)->setText(QString::fromUtf8("Ren\xc3\xa9 \xe2\x82\xac"));
    app->Frame()->RouteCommand(cmd::kFileSave);
    const std::string saved = ReadFile(page);
    EXPECT_NE(saved.find("<title>Caf\xe9</title>"), std::string::npos);
    EXPECT_NE(saved.find("content=\"Ren\xe9 &#8364;\""), std::string::npos);

    // The frame-target box picks a target from its start, or adds one.
    const int target = Row("Window-Target");
    View().SetRowValue(target, "_s");
    EXPECT_EQ(View().RowValue(target), "_self");
    View().SetRowValue(target, "main");
    EXPECT_EQ(View().RowValue(target), "main");
    EXPECT_EQ(qobject_cast<QComboBox*>(View().ValueBox(target))->count(), 5);
}

TEST_F(ViewTest, OtherCharsetsAreShownAsTextAndUnsupportedOnesLocked) {
    // ISO-8859-2: "\xa9kola" is "Škola"; typing "š" writes 0xB9.
    const std::string latin2 = dir.Write(
        "cz.html", "<head><meta charset=\"ISO-8859-2\"><title>\xa9kola</title></head><body>b");
    Start(latin2);
    EXPECT_EQ(View().RowValue(0), QString::fromUtf8("\xc5\xa0kola"));
    EXPECT_EQ(app->Frame()->CharsetField()->text(), "ISO-8859-2");
    Line(0)->setFocus();
    Line(0)->setText(QString::fromUtf8("\xc5\xa1kola \xe2\x82\xac"));
    app->Frame()->RouteCommand(cmd::kFileSave);
    EXPECT_NE(ReadFile(latin2).find("<title>\xb9kola &#8364;</title>"), std::string::npos)
        << ReadFile(latin2);

    // An undeclared windows-1251 page is detected, and the field says so.
    const std::string words =
        "\xd1\xfa\xe5\xf8\xfc \xe6\xe5 \xe5\xf9\xb8 \xfd\xf2\xe8\xf5 "
        "\xec\xff\xe3\xea\xe8\xf5 \xf4\xf0\xe0\xed\xf6\xf3\xe7\xf1\xea\xe8\xf5";
    const std::string ru =
        dir.Write("ru.html", "<head><title>" + words + "</title></head><body>" + words + "</body>");
    ASSERT_TRUE(app->OpenByPath(ru));
    EXPECT_EQ(app->Frame()->CharsetField()->text(), "windows-1251 (detected)");
    EXPECT_TRUE(View().RowValue(0).startsWith(QString::fromUtf8("\xd0\xa1\xd1\x8a")));
    EXPECT_FALSE(View().Locked());

    // A charset that cannot be written: shown as Latin-1, said so, and no
    // row takes an edit.
    const std::string jisText =
        "<head><meta charset=\"ISO-2022-JP\"><title>\x1b$BF|K\\\x1b(B</title>"
        "<meta name=\"description\" content=\"d\"></head><body>b";
    const std::string jis = dir.Write("jis.html", jisText);
    ui.doc.messages.clear();
    ASSERT_TRUE(app->OpenByPath(jis));
    ASSERT_EQ(ui.doc.messages.size(), 1u);
    EXPECT_NE(ui.doc.messages[0].find("\"ISO-2022-JP\""), std::string::npos);
    EXPECT_EQ(app->Frame()->CharsetField()->text(), "ISO-2022-JP (not supported: read-only)");
    EXPECT_TRUE(View().Locked());
    EXPECT_TRUE(Line(0)->isReadOnly());
    EXPECT_TRUE(Text(1)->isReadOnly());
    EXPECT_FALSE(View().RowButton(1)->isEnabled());
    Line(0)->setFocus();
    QTest::keyClicks(Line(0), "x");
    EXPECT_FALSE(Doc().IsModified());
    app->Frame()->RouteCommand(cmd::kFileSave);
    EXPECT_EQ(ReadFile(jis), jisText);
    EXPECT_EQ(ui.doc.messages.size(), 2u); // Save says why nothing was written
    // The next page unlocks the rows again.
    ASSERT_TRUE(app->OpenByPath(ru));
    EXPECT_FALSE(Line(0)->isReadOnly());
}

TEST_F(ViewTest, PagesKeepTheirLineEndsUnlessTheOptionsAskForCrLf) {
    const std::string text = "<html><head>\n<title>T</title>\n</head><body>\nb\n</body>";
    const std::string page = dir.Write("lf.html", text);
    Start(page);
    Line(0)->setFocus();
    Line(0)->setText("U");
    app->Frame()->RouteCommand(cmd::kFileSave);
    EXPECT_EQ(ReadFile(page), "<html><head>\n<title>U</title>\n</head><body>\nb\n</body>");

    // "Write CR LF line ends" on the File types page: kept in the settings,
    // and the next page read is written with CR LF.
    QTimer::singleShot(0, [] {
        auto* sheet = qobject_cast<COptionsSheet*>(QApplication::activeModalWidget());
        ASSERT_NE(sheet, nullptr);
        sheet->ShowPage(2);
        sheet->FileTypesPage()->CrLfBox()->setChecked(true);
        sheet->OkButton()->click();
    });
    app->Frame()->RouteCommand(cmd::kOptions);
    EXPECT_TRUE(Doc().CrLfLineEnds());
    View().SaveSettings();
    EXPECT_EQ(settings.GetSettingInt("User", "CRLF", 0), 1);
    const std::string other = dir.Write("other.html", text);
    ASSERT_TRUE(app->OpenByPath(other));
    Line(0)->setFocus();
    Line(0)->setText("V");
    app->Frame()->RouteCommand(cmd::kFileSave);
    EXPECT_EQ(ReadFile(other),
              "<html><head>\r\n<title>V</title>\r\n</head><body>\r\nb\r\n</body>\r\n");
}

TEST_F(ViewTest, ValuesAreShownAndTypedAsText) {
    const std::string text =
        "<head><meta charset=\"iso-8859-1\"><title>Tom &amp; Jerry</title>"
        "<meta name=\"Author\" content=\"caf&eacute; &#x26; Co &quot;Ltd&quot;\">"
        "<meta name=\"copyright\" content=\"A&amp;B &copy; 2026\"></head><body>b";
    const std::string page = dir.Write("t.html", text);
    Start(page);
    EXPECT_EQ(View().RowValue(0), "Tom & Jerry");
    const int author = Row("Author");
    EXPECT_EQ(View().RowValue(author), QString::fromUtf8("caf\xc3\xa9 & Co \"Ltd\""));
    EXPECT_EQ(View().RowValue(Row("copyright")), QString::fromUtf8("A&B \xc2\xa9 2026"));

    // What is typed is escaped for its place and no more; characters the
    // page's charset cannot hold become references; untouched rows keep
    // their source byte for byte.
    Line(0)->setFocus();
    Line(0)->setText(QString::fromUtf8("Tom & Jerry <3 \xe2\x80\x93 \"live\""));
    Line(author)->setFocus();
    Line(author)->setText(QString::fromUtf8("Caf\xc3\xa9 & \"Co\""));
    app->Frame()->RouteCommand(cmd::kFileSave);
    const std::string saved = ReadFile(page);
    EXPECT_NE(saved.find("<title>Tom &amp; Jerry &lt;3 &#8211; \"live\"</title>"),
              std::string::npos)
        << saved;
    EXPECT_NE(saved.find("content=\"Caf\xe9 &amp; &quot;Co&quot;\""), std::string::npos) << saved;
    EXPECT_NE(saved.find("<meta name=\"copyright\" content=\"A&amp;B &copy; 2026\">"),
              std::string::npos)
        << saved;
    // Read again, the dash is a dash.
    ASSERT_TRUE(app->OpenByPath(dir.Write("copy.html", saved)));
    EXPECT_EQ(View().RowValue(0), QString::fromUtf8("Tom & Jerry <3 \xe2\x80\x93 \"live\""));
}

} // namespace
} // namespace orlen
