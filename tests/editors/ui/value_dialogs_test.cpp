// The Cache-Control, Refresh and Robots editors offscreen: how a tag's text
// opens, what the controls enable, the text OK gives back, the integer
// message that keeps a dialog open; and the editors reached through the
// rows' "Edit" buttons of the running program.
#include "../../scoped_time_zone.h"
#include "../../shell/ui/scripted_app_ui.h"
#include "../../temp_dir.h"
#include "editors/ui/expires_dialog.h"
#include "editors/ui/value_dialogs.h"
#include "shell/command_ids.h"
#include "shell/settings_store.h"
#include "shell/ui/main_frame.h"
#include "shell/ui/vantle_app.h"
#include "tags/ui/vantle_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace orlen {
namespace {

// Catches the refusals a dialog shows instead of a message box.
template <typename Dialog> QStringList& CatchMessages(Dialog& dialog, QStringList& messages) {
    dialog.showMessage = [&messages](const QString& message) { messages.append(message); };
    return messages;
}

// Replaces a line edit's text as the user does.
void Retype(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    edit->del();
    QTest::keyClicks(edit, text);
}

QStringList LabelTexts(const QWidget* dialog) {
    QStringList texts;
    for (const QLabel* label : dialog->findChildren<QLabel*>()) {
        texts.append(label->text());
    }
    return texts;
}

// ---- Cache-Control ----

// Opens the dialog on a tag's text, shown without its modal loop.
struct CacheControl {
    explicit CacheControl(const QString& value) : dialog(value) {
        CatchMessages(dialog, messages);
        dialog.show();
    }
    // Presses OK; true when the dialog closed with OK.
    bool Ok() {
        dialog.OkButton()->click();
        return !dialog.isVisible() && dialog.result() == QDialog::Accepted;
    }
    CacheControlDialog dialog;
    QStringList messages;
};

TEST(CacheControlDialogTest, ShowsItsTextsAndOkIsTheDefault) {
    CacheControl c("");
    EXPECT_EQ(c.dialog.windowTitle(), "Cache-Control");
    EXPECT_EQ(c.dialog.DontLimitRadio()->text(), "Don't limit");
    EXPECT_EQ(c.dialog.PreventCachingRadio()->text(), "Prevent cached copies");
    EXPECT_EQ(c.dialog.MaximumAgeRadio()->text(), "Maximum age");
    EXPECT_EQ(LabelTexts(&c.dialog), QStringList{"seconds"});
    EXPECT_EQ(c.dialog.OkButton()->text(), "OK");
    EXPECT_EQ(c.dialog.CancelButton()->text(), "Cancel");
    EXPECT_TRUE(c.dialog.OkButton()->isDefault());
    // An empty text opens as no limit, with the initial 10 seconds unused.
    EXPECT_TRUE(c.dialog.DontLimitRadio()->isChecked());
    EXPECT_EQ(c.dialog.SecondsEdit()->text(), "10");
    EXPECT_FALSE(c.dialog.SecondsEdit()->isEnabled());
    EXPECT_TRUE(c.dialog.OkButton()->isEnabled());
}

TEST(CacheControlDialogTest, NoCacheInAnyCaseOpensAsPreventingCachedCopies) {
    CacheControl c("No-Cache");
    EXPECT_TRUE(c.dialog.PreventCachingRadio()->isChecked());
    EXPECT_FALSE(c.dialog.SecondsEdit()->isEnabled());
    EXPECT_TRUE(c.dialog.OkButton()->isEnabled());
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(c.dialog.Result(), "No-Cache");
    EXPECT_EQ(c.dialog.SecondsEdit()->text(), "0");

    // no-cache wins over a maximum age given beside it.
    CacheControl both("no-cache, max-age=0");
    EXPECT_TRUE(both.dialog.PreventCachingRadio()->isChecked());
    EXPECT_TRUE(both.dialog.OkButton()->isEnabled());
}

TEST(CacheControlDialogTest, MaximumAgeOpensWithItsSecondsAndANewNumberWritesOnlyThem) {
    CacheControl spaced("max-age = 60");
    EXPECT_TRUE(spaced.dialog.MaximumAgeRadio()->isChecked());
    EXPECT_EQ(spaced.dialog.SecondsEdit()->text(), "60");
    EXPECT_TRUE(spaced.dialog.SecondsEdit()->isEnabled());
    EXPECT_TRUE(spaced.dialog.OkButton()->isEnabled());
    Retype(spaced.dialog.SecondsEdit(), "90");
    ASSERT_TRUE(spaced.Ok());
    EXPECT_EQ(spaced.dialog.Result(), "max-age=90");

    CacheControl more("max-age=60, must-revalidate");
    Retype(more.dialog.SecondsEdit(), "120");
    ASSERT_TRUE(more.Ok());
    EXPECT_EQ(more.dialog.Result(), "max-age=120");

    // Without a number the field keeps its initial 10.
    CacheControl bare("max-age");
    EXPECT_TRUE(bare.dialog.MaximumAgeRadio()->isChecked());
    EXPECT_EQ(bare.dialog.SecondsEdit()->text(), "10");
    Retype(bare.dialog.SecondsEdit(), "11");
    ASSERT_TRUE(bare.Ok());
    EXPECT_EQ(bare.dialog.Result(), "max-age=11");
}

TEST(CacheControlDialogTest, OkWithoutAChangeKeepsTheTextAsWritten) {
    // What the user does before OK.
    enum class Action { Nothing, SameSeconds, ClickOpenedChoice, OtherChoiceAndBack };
    using enum Action;
    struct Case {
        const char* value;
        Action action;
    };
    const Case cases[] = {
        {"", Nothing},
        {"No-Cache", Nothing},
        {"no-cache, max-age=0", Nothing},
        {"max-age = 60", Nothing},
        {"max-age=60, must-revalidate", Nothing},
        {"private, max-age=60", Nothing},
        {"max-age", Nothing},
        {"private", Nothing},
        {"max-age=60, must-revalidate", SameSeconds},
        {"private", ClickOpenedChoice},
        {"max-age=60, must-revalidate", OtherChoiceAndBack},
        {"No-Cache", OtherChoiceAndBack},
    };
    for (const Case& c : cases) {
        CacheControl cc(c.value);
        QRadioButton* opened =
            cc.dialog.MaximumAgeRadio()->isChecked()       ? cc.dialog.MaximumAgeRadio()
            : cc.dialog.PreventCachingRadio()->isChecked() ? cc.dialog.PreventCachingRadio()
                                                           : cc.dialog.DontLimitRadio();
        if (c.action == SameSeconds) {
            Retype(cc.dialog.SecondsEdit(), "060");
        } else if (c.action == ClickOpenedChoice) {
            opened->click();
        } else if (c.action == OtherChoiceAndBack) {
            (opened == cc.dialog.DontLimitRadio() ? cc.dialog.PreventCachingRadio()
                                                  : cc.dialog.DontLimitRadio())
                ->click();
            opened->click();
        }
        ASSERT_TRUE(cc.Ok()) << c.value;
        EXPECT_EQ(cc.dialog.Result(), c.value) << c.value << ' ' << static_cast<int>(c.action);
    }
}

TEST(CacheControlDialogTest, ZeroSecondsDisableOkUntilAPositiveNumberOrAnotherChoice) {
    CacheControl c("max-age=0");
    EXPECT_TRUE(c.dialog.MaximumAgeRadio()->isChecked());
    EXPECT_EQ(c.dialog.SecondsEdit()->text(), "0");
    EXPECT_TRUE(c.dialog.SecondsEdit()->isEnabled());
    EXPECT_FALSE(c.dialog.OkButton()->isEnabled());
    // Enter while OK is disabled does not close the dialog either.
    c.dialog.accept();
    EXPECT_TRUE(c.dialog.isVisible());

    Retype(c.dialog.SecondsEdit(), "5");
    EXPECT_TRUE(c.dialog.OkButton()->isEnabled());
    Retype(c.dialog.SecondsEdit(), "");
    EXPECT_FALSE(c.dialog.OkButton()->isEnabled());
    Retype(c.dialog.SecondsEdit(), "-5");
    EXPECT_FALSE(c.dialog.OkButton()->isEnabled());

    // Another choice enables OK and disables the field; back again, the
    // field's -5 disables OK once more.
    c.dialog.PreventCachingRadio()->click();
    EXPECT_TRUE(c.dialog.OkButton()->isEnabled());
    EXPECT_FALSE(c.dialog.SecondsEdit()->isEnabled());
    c.dialog.MaximumAgeRadio()->click();
    EXPECT_TRUE(c.dialog.SecondsEdit()->isEnabled());
    EXPECT_FALSE(c.dialog.OkButton()->isEnabled());
    c.dialog.DontLimitRadio()->click();
    EXPECT_TRUE(c.dialog.OkButton()->isEnabled());
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(c.dialog.Result(), "");
    EXPECT_EQ(c.dialog.SecondsEdit()->text(), "0");
    EXPECT_TRUE(c.messages.isEmpty());
}

TEST(CacheControlDialogTest, OtherDirectivesOpenAsNoLimitAndCancelGivesNothing) {
    CacheControl c("private");
    EXPECT_TRUE(c.dialog.DontLimitRadio()->isChecked());
    c.dialog.PreventCachingRadio()->click();
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(c.dialog.Result(), "no-cache");

    CacheControl cancelled("private");
    cancelled.dialog.PreventCachingRadio()->click();
    cancelled.dialog.CancelButton()->click();
    EXPECT_FALSE(cancelled.dialog.isVisible());
    EXPECT_EQ(cancelled.dialog.result(), QDialog::Rejected);
}

TEST(CacheControlDialogTest, ChoosingMaximumAgeWritesTheFieldAsANumber) {
    CacheControl c("");
    c.dialog.MaximumAgeRadio()->click();
    EXPECT_TRUE(c.dialog.SecondsEdit()->isEnabled());
    Retype(c.dialog.SecondsEdit(), "010");
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(c.dialog.Result(), "max-age=10");
}

TEST(CacheControlDialogTest, ASecondsFieldThatIsNoIntegerKeepsTheDialogOpen) {
    CacheControl c("max-age=60");
    // Starts with a positive number, so OK is enabled, but is no integer.
    Retype(c.dialog.SecondsEdit(), "12abc");
    ASSERT_TRUE(c.dialog.OkButton()->isEnabled());
    EXPECT_FALSE(c.Ok());
    EXPECT_TRUE(c.dialog.isVisible());
    EXPECT_EQ(c.messages, QStringList{"Please enter an integer."});
    EXPECT_EQ(c.dialog.Result(), "");

    // Beyond a signed 32-bit number: refused the same way.
    Retype(c.dialog.SecondsEdit(), "99999999999");
    EXPECT_FALSE(c.Ok());
    EXPECT_EQ(c.messages.size(), 2);

    Retype(c.dialog.SecondsEdit(), "3600");
    ASSERT_TRUE(c.Ok());
    EXPECT_EQ(c.dialog.Result(), "max-age=3600");
    EXPECT_EQ(c.messages.size(), 2);
}

// ---- Refresh ----

struct Refresh {
    explicit Refresh(const QString& value) : dialog(value) {
        CatchMessages(dialog, messages);
        dialog.show();
    }
    bool Ok() {
        dialog.OkButton()->click();
        return !dialog.isVisible() && dialog.result() == QDialog::Accepted;
    }
    bool FieldsEnabled() const {
        return dialog.SecondsEdit()->isEnabled() && dialog.UrlEdit()->isEnabled();
    }
    bool FieldsDisabled() const {
        return !dialog.SecondsEdit()->isEnabled() && !dialog.UrlEdit()->isEnabled();
    }
    RefreshDialog dialog;
    QStringList messages;
};

TEST(RefreshDialogTest, AnEmptyTextOpensWithoutRefreshAndGivesTheEmptyText) {
    Refresh r("");
    EXPECT_EQ(r.dialog.windowTitle(), "Refresh");
    EXPECT_EQ(r.dialog.NoRefreshRadio()->text(), "Do not include refresh META tag");
    EXPECT_EQ(r.dialog.RefreshAfterRadio()->text(), "Refresh after - (seconds)");
    EXPECT_EQ(LabelTexts(&r.dialog), QStringList{"Refresh with (URL, optional)"});
    EXPECT_TRUE(r.dialog.OkButton()->isDefault());
    EXPECT_TRUE(r.dialog.NoRefreshRadio()->isChecked());
    EXPECT_EQ(r.dialog.SecondsEdit()->text(), "0");
    EXPECT_EQ(r.dialog.UrlEdit()->text(), "");
    EXPECT_TRUE(r.FieldsDisabled());
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.dialog.Result(), "");

    // "0" is no refresh either.
    Refresh zero("0");
    EXPECT_TRUE(zero.dialog.NoRefreshRadio()->isChecked());
    EXPECT_TRUE(zero.FieldsDisabled());
}

TEST(RefreshDialogTest, SecondsAndAddressOpenAndChangesAreWrittenBackTrimmed) {
    Refresh seconds("30");
    EXPECT_TRUE(seconds.dialog.RefreshAfterRadio()->isChecked());
    EXPECT_EQ(seconds.dialog.SecondsEdit()->text(), "30");
    EXPECT_EQ(seconds.dialog.UrlEdit()->text(), "");
    EXPECT_TRUE(seconds.FieldsEnabled());
    ASSERT_TRUE(seconds.Ok());
    EXPECT_EQ(seconds.dialog.Result(), "30");

    Refresh spaced("5;  page.html  ");
    EXPECT_EQ(spaced.dialog.UrlEdit()->text(), "page.html  ");
    Retype(spaced.dialog.SecondsEdit(), "6");
    ASSERT_TRUE(spaced.Ok());
    EXPECT_EQ(spaced.dialog.Result(), "6;page.html");

    // The part after the semicolon is taken whole, "URL=" and all.
    Refresh prefixed("5; URL=page.html");
    EXPECT_EQ(prefixed.dialog.SecondsEdit()->text(), "5");
    EXPECT_EQ(prefixed.dialog.UrlEdit()->text(), "URL=page.html");
    Retype(prefixed.dialog.SecondsEdit(), "7");
    ASSERT_TRUE(prefixed.Ok());
    EXPECT_EQ(prefixed.dialog.Result(), "7;URL=page.html");
}

TEST(RefreshDialogTest, AnAddressWithoutSecondsOpensAsARefreshAfterNoSeconds) {
    Refresh r("soon; page.html");
    EXPECT_TRUE(r.dialog.RefreshAfterRadio()->isChecked());
    EXPECT_EQ(r.dialog.SecondsEdit()->text(), "0");
    EXPECT_EQ(r.dialog.UrlEdit()->text(), "page.html");
    EXPECT_TRUE(r.FieldsEnabled());
    Retype(r.dialog.UrlEdit(), "other.html");
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.dialog.Result(), "0;other.html");
}

TEST(RefreshDialogTest, OkWithoutAChangeKeepsTheTextAsWritten) {
    // What the user does before OK.
    enum class Action { Nothing, SameValues, OtherChoiceAndBack };
    using enum Action;
    struct Case {
        const char* value;
        Action action;
    };
    const Case cases[] = {
        {"", Nothing},
        {"0", Nothing},
        {"abc", Nothing},
        {"30", Nothing},
        {"5;  page.html  ", Nothing},
        {"5; URL=page.html", Nothing},
        {"soon; page.html", Nothing},
        {" 010 ", Nothing},
        {"5; URL=page.html", SameValues},
        {"5; URL=page.html", OtherChoiceAndBack},
        {"abc", OtherChoiceAndBack},
    };
    for (const Case& c : cases) {
        Refresh r(c.value);
        if (c.action == SameValues) {
            Retype(r.dialog.SecondsEdit(), "05");
            Retype(r.dialog.UrlEdit(), " URL=page.html ");
        } else if (c.action == OtherChoiceAndBack) {
            QRadioButton* opened = r.dialog.RefreshAfterRadio()->isChecked()
                                       ? r.dialog.RefreshAfterRadio()
                                       : r.dialog.NoRefreshRadio();
            (opened == r.dialog.NoRefreshRadio() ? r.dialog.RefreshAfterRadio()
                                                 : r.dialog.NoRefreshRadio())
                ->click();
            opened->click();
        }
        ASSERT_TRUE(r.Ok()) << c.value;
        EXPECT_EQ(r.dialog.Result(), c.value) << c.value << ' ' << static_cast<int>(c.action);
    }
}

TEST(RefreshDialogTest, TheRadiosEnableAndDisableBothFields) {
    Refresh r("");
    r.dialog.RefreshAfterRadio()->click();
    EXPECT_TRUE(r.FieldsEnabled());
    r.dialog.NoRefreshRadio()->click();
    EXPECT_TRUE(r.FieldsDisabled());
    r.dialog.RefreshAfterRadio()->click();
    Retype(r.dialog.SecondsEdit(), "10");
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.dialog.Result(), "10");
}

TEST(RefreshDialogTest, ARefreshAfterNoSecondsToNoAddressIsTheEmptyText) {
    Refresh r("");
    r.dialog.RefreshAfterRadio()->click();
    Retype(r.dialog.UrlEdit(), "   ");
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.dialog.Result(), "");
}

TEST(RefreshDialogTest, ChoosingNoRefreshDropsSecondsAndAddress) {
    Refresh r("5;page.html");
    r.dialog.NoRefreshRadio()->click();
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.dialog.Result(), "");
    EXPECT_EQ(r.dialog.SecondsEdit()->text(), "0");
    EXPECT_EQ(r.dialog.UrlEdit()->text(), "");
}

TEST(RefreshDialogTest, SecondsThatAreNoIntegerKeepTheDialogOpen) {
    Refresh r("5;page.html");
    Retype(r.dialog.SecondsEdit(), "five");
    EXPECT_FALSE(r.Ok());
    EXPECT_TRUE(r.dialog.isVisible());
    EXPECT_EQ(r.messages, QStringList{"Please enter an integer."});
    // Negative seconds have no text and are refused the same way.
    Retype(r.dialog.SecondsEdit(), "-1");
    EXPECT_FALSE(r.Ok());
    EXPECT_EQ(r.messages.size(), 2);
    Retype(r.dialog.SecondsEdit(), " 7 ");
    ASSERT_TRUE(r.Ok());
    EXPECT_EQ(r.dialog.Result(), "7;page.html");
}

TEST(RefreshDialogTest, CancelGivesNothing) {
    Refresh r("30");
    Retype(r.dialog.SecondsEdit(), "nonsense");
    r.dialog.CancelButton()->click();
    EXPECT_FALSE(r.dialog.isVisible());
    EXPECT_EQ(r.dialog.result(), QDialog::Rejected);
    EXPECT_TRUE(r.messages.isEmpty());
}

// ---- Robots ----

struct Robots {
    explicit Robots(const QString& value) : dialog(value) { dialog.show(); }
    QString Ok() {
        dialog.OkButton()->click();
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        return dialog.Result();
    }
    RobotsDialog dialog;
};

TEST(RobotsDialogTest, ShowsItsTextsAndOpensClearOnAnEmptyText) {
    Robots r("");
    EXPECT_EQ(r.dialog.windowTitle(), "Robots");
    EXPECT_EQ(r.dialog.NoIndexBox()->text(), "Prevent robots adding this page to search engines");
    EXPECT_EQ(r.dialog.NoFollowBox()->text(), "Prevent robots following links in this page");
    EXPECT_TRUE(r.dialog.OkButton()->isDefault());
    EXPECT_FALSE(r.dialog.NoIndexBox()->isChecked());
    EXPECT_FALSE(r.dialog.NoFollowBox()->isChecked());
    EXPECT_EQ(r.Ok(), "");
}

TEST(RobotsDialogTest, OpensFromTheTextInAnyCaseAndOkKeepsIt) {
    Robots upper("NOINDEX,FOLLOW");
    EXPECT_TRUE(upper.dialog.NoIndexBox()->isChecked());
    EXPECT_FALSE(upper.dialog.NoFollowBox()->isChecked());
    EXPECT_EQ(upper.Ok(), "NOINDEX,FOLLOW");

    Robots follow("nofollow");
    EXPECT_FALSE(follow.dialog.NoIndexBox()->isChecked());
    EXPECT_TRUE(follow.dialog.NoFollowBox()->isChecked());
    EXPECT_EQ(follow.Ok(), "nofollow");
}

TEST(RobotsDialogTest, OtherValuesOpenClearAndOkKeepsThem) {
    for (const char* value : {"index, follow", "all", "none"}) {
        Robots r(value);
        EXPECT_FALSE(r.dialog.NoIndexBox()->isChecked()) << value;
        EXPECT_FALSE(r.dialog.NoFollowBox()->isChecked()) << value;
        EXPECT_EQ(r.Ok(), value) << value;
    }
}

TEST(RobotsDialogTest, ChangedBoxesComeFirstInTheDialogsOrderAndTheRestIsKept) {
    // Which boxes are clicked before OK.
    struct Case {
        const char* value;
        bool clickNoIndex;
        bool clickNoFollow;
        const char* result;
    };
    const Case cases[] = {
        {"noindex, noarchive, max-snippet:50", false, false, "noindex, noarchive, max-snippet:50"},
        {"noindex, noarchive, max-snippet:50", false, true,
         "noindex, nofollow, noarchive, max-snippet:50"},
        {"noindex, noarchive, max-snippet:50", true, false, "noarchive, max-snippet:50"},
        {"noindex, noarchive, max-snippet:50", true, true, "nofollow, noarchive, max-snippet:50"},
        {"nofollow, noindex", false, false, "nofollow, noindex"},
        {"nofollow", true, false, "noindex, nofollow"},
        {"all", false, true, "nofollow, all"},
        {"noindex, nofollow", true, true, ""},
    };
    for (const Case& c : cases) {
        Robots r(c.value);
        if (c.clickNoIndex) {
            r.dialog.NoIndexBox()->click();
        }
        if (c.clickNoFollow) {
            r.dialog.NoFollowBox()->click();
        }
        EXPECT_EQ(r.Ok(), c.result) << c.value << ' ' << c.clickNoIndex << c.clickNoFollow;
    }

    // A box clicked twice is no change.
    Robots twice("noindex, noarchive, max-snippet:50");
    twice.dialog.NoFollowBox()->click();
    twice.dialog.NoFollowBox()->click();
    EXPECT_EQ(twice.Ok(), "noindex, noarchive, max-snippet:50");
}

// ---- Through the editing view ----

class ValueEditorsTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<CVantleApp>(ui, settings);
        ASSERT_TRUE(app->Startup(std::nullopt, false));
        app->Frame()->show();
        QApplication::setActiveWindow(app->Frame());
    }
    CVantleView& View() { return *app->View(); }
    int Row(const char* name) { return View().Catalogue().findByName(name); }
    // Answers the next modal dialog: before() sees it, then it ends with OK
    // or Cancel. Records the dialog's type and caption.
    void AnswerNextDialog(bool ok, const std::function<void(QDialog*)>& before = {}) {
        QTimer::singleShot(0, [this, ok, before] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr) {
                return;
            }
            caption = dialog->windowTitle();
            parentIsView = dialog->parentWidget() == &View();
            if (before) {
                before(dialog);
            }
            ok ? dialog->accept() : dialog->reject();
        });
    }
    void ClickEdit(const char* name) {
        QPushButton* button = View().RowButton(Row(name));
        ASSERT_NE(button, nullptr) << name;
        EXPECT_EQ(button->text(), "Edit");
        button->click();
    }

    test::TempDir dir;
    test::ScriptedAppUi ui;
    MemorySettingsStore settings;
    std::unique_ptr<CVantleApp> app;
    QString caption;
    bool parentIsView = false;
};

TEST_F(ValueEditorsTest, TheRobotsRowTakesTheDialogsResultOnOk) {
    const int row = Row("robots");
    AnswerNextDialog(true, [](QDialog* dialog) {
        auto* robots = qobject_cast<RobotsDialog*>(dialog);
        ASSERT_NE(robots, nullptr);
        robots->NoIndexBox()->click();
    });
    ClickEdit("robots");
    EXPECT_EQ(caption, "Robots");
    EXPECT_TRUE(parentIsView);
    EXPECT_EQ(View().RowValue(row), "noindex");
    // The result reaches the page and the file it is saved to.
    EXPECT_TRUE(app->Doc().IsModified());
    const std::string path = dir / "saved.html";
    ui.doc.files.push_back(path);
    ASSERT_TRUE(app->Frame()->RouteCommand(cmd::kFileSaveAs));
    EXPECT_NE(test::ReadFile(path).find("<meta name=\"robots\" content=\"noindex\"/>"),
              std::string::npos);

    // The dialog opens on the row's value; Cancel leaves the row alone.
    bool opened = false;
    AnswerNextDialog(false, [&opened](QDialog* dialog) {
        auto* robots = qobject_cast<RobotsDialog*>(dialog);
        ASSERT_NE(robots, nullptr);
        opened = robots->NoIndexBox()->isChecked();
        robots->NoFollowBox()->click();
    });
    ClickEdit("robots");
    EXPECT_TRUE(opened);
    EXPECT_EQ(View().RowValue(row), "noindex");
}

TEST_F(ValueEditorsTest, OkWithoutAChangeLeavesTheRobotsRowAndThePageAlone) {
    const std::string page = dir.Write(
        "p.html", "<html><head><title>T</title>\n"
                  "<meta name=\"robots\" content=\"noindex, noarchive, max-snippet:50\">\n"
                  "</head><body></body></html>\n");
    ASSERT_TRUE(app->OpenByPath(page));
    const int row = Row("robots");
    AnswerNextDialog(true);
    ClickEdit("robots");
    EXPECT_EQ(caption, "Robots");
    EXPECT_EQ(View().RowValue(row), "noindex, noarchive, max-snippet:50");
    EXPECT_FALSE(app->Doc().IsModified());

    AnswerNextDialog(true, [](QDialog* dialog) {
        auto* robots = qobject_cast<RobotsDialog*>(dialog);
        ASSERT_NE(robots, nullptr);
        robots->NoFollowBox()->click();
    });
    ClickEdit("robots");
    EXPECT_EQ(View().RowValue(row), "noindex, nofollow, noarchive, max-snippet:50");
    EXPECT_TRUE(app->Doc().IsModified());
    EXPECT_NE(
        app->Doc().GetPageText().find("content=\"noindex, nofollow, noarchive, max-snippet:50\""),
        std::string::npos);
}

TEST_F(ValueEditorsTest, OkWithoutAChangeLeavesTheCacheControlAndRefreshRowsAlone) {
    const std::string page = dir.Write(
        "p.html", "<html><head><title>T</title>\n"
                  "<meta http-equiv=\"Cache-Control\" content=\"max-age = 60, must-revalidate\">\n"
                  "<meta http-equiv=\"Refresh\" content=\"5; URL=page.html\">\n"
                  "</head><body></body></html>\n");
    ASSERT_TRUE(app->OpenByPath(page));
    AnswerNextDialog(true);
    ClickEdit("Cache-Control");
    EXPECT_EQ(caption, "Cache-Control");
    AnswerNextDialog(true);
    ClickEdit("Refresh");
    EXPECT_EQ(caption, "Refresh");
    EXPECT_EQ(View().RowValue(Row("Cache-Control")), "max-age = 60, must-revalidate");
    EXPECT_EQ(View().RowValue(Row("Refresh")), "5; URL=page.html");
    EXPECT_FALSE(app->Doc().IsModified());
}

TEST_F(ValueEditorsTest, EachEditButtonOpensItsOwnDialog) {
    View().SetRowValue(Row("Cache-Control"), "private");
    AnswerNextDialog(true, [](QDialog* dialog) {
        auto* cache = qobject_cast<CacheControlDialog*>(dialog);
        ASSERT_NE(cache, nullptr);
        cache->PreventCachingRadio()->click();
    });
    ClickEdit("Cache-Control");
    EXPECT_EQ(caption, "Cache-Control");
    EXPECT_EQ(View().RowValue(Row("Cache-Control")), "no-cache");

    AnswerNextDialog(true, [](QDialog* dialog) {
        auto* refresh = qobject_cast<RefreshDialog*>(dialog);
        ASSERT_NE(refresh, nullptr);
        refresh->RefreshAfterRadio()->click();
        refresh->SecondsEdit()->setText("15");
    });
    ClickEdit("Refresh");
    EXPECT_EQ(caption, "Refresh");
    EXPECT_EQ(View().RowValue(Row("Refresh")), "15");

    // Expires: an unreadable value opens empty, and Clear then OK turns it
    // into "".
    View().SetRowValue(Row("Expires"), "never");
    QString shown = "unset";
    AnswerNextDialog(true, [&shown](QDialog* dialog) {
        auto* expires = qobject_cast<ExpiresDialog*>(dialog);
        ASSERT_NE(expires, nullptr);
        shown = expires->DateField()->text();
        expires->ClearButton()->click();
    });
    ClickEdit("Expires");
    EXPECT_EQ(caption, "Expires");
    EXPECT_EQ(shown, "");
    EXPECT_EQ(View().RowValue(Row("Expires")), "");
}

TEST_F(ValueEditorsTest, OkWithoutAChangeLeavesTheExpiresRowAndThePageAlone) {
    // One hour east of GMT, where the day's local midnight is 23:00 GMT the
    // day before.
    const test::ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    const std::string page = dir.Write(
        "p.html", "<html><head><title>T</title>\n"
                  "<meta http-equiv=\"Expires\" content=\"Mon, 08 Feb 2027 00:00:00 GMT\">\n"
                  "</head><body></body></html>\n");
    ASSERT_TRUE(app->OpenByPath(page));
    const int row = Row("Expires");
    ASSERT_EQ(View().RowValue(row), "Mon, 08 Feb 2027 00:00:00 GMT");
    ASSERT_FALSE(app->Doc().IsModified());
    AnswerNextDialog(true);
    ClickEdit("Expires");
    EXPECT_EQ(caption, "Expires");
    EXPECT_EQ(View().RowValue(row), "Mon, 08 Feb 2027 00:00:00 GMT");
    EXPECT_FALSE(app->Doc().IsModified());

    // Choosing the next day changes the row and the page.
    AnswerNextDialog(true, [](QDialog* dialog) {
        auto* expires = qobject_cast<ExpiresDialog*>(dialog);
        ASSERT_NE(expires, nullptr);
        expires->DateField()->click();
        CalendarPopup* calendar = expires->DateField()->Calendar();
        ASSERT_NE(calendar, nullptr);
        QTest::keyClick(calendar, Qt::Key_Right);
        QTest::keyClick(calendar, Qt::Key_Return);
    });
    ClickEdit("Expires");
    EXPECT_EQ(View().RowValue(row), "Mon, 08 Feb 2027 23:00:00 GMT");
    EXPECT_TRUE(app->Doc().IsModified());
    EXPECT_NE(app->Doc().GetPageText().find("content=\"Mon, 08 Feb 2027 23:00:00 GMT\""),
              std::string::npos);
}

} // namespace
} // namespace orlen
