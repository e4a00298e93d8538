// The query window, opened by the main window's query button on the
// catalogue simulator: its messages, the text it sends, keeps and empties,
// and the openings that must not happen.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "upgrade/Messages.h"
#include "gui/GuiTestSupport.h"

namespace orvel {
namespace {

using test::Utf8;
using test::WindowFixture;
using Texts = std::vector<QString>;

TEST(QueryWindow, RunsTheTextAsTypedAndKeepsItThenOpensEmptyAgain) {
    WindowFixture f;
    f.show();
    const std::string typed = "update P_INFO set X = 1\nselect 1  ";
    const std::string refused = "select * from Nowhere";
    f.db.failStatementsContaining("Nowhere", "Invalid object name 'Nowhere'");

    QString textAfterRuns;
    ASSERT_TRUE(f.pressQueryButton([&] {
        auto* memo = f.queryControl<QPlainTextEdit>("Memo1");
        auto* run = f.queryControl<QPushButton>("BitBtn2");
        EXPECT_TRUE(memo->toPlainText().isEmpty());
        run->click();                          // empty text
        memo->setPlainText(Utf8(refused));
        run->click();
        memo->setPlainText(Utf8(typed));
        run->click();
        textAfterRuns = memo->toPlainText();
        memo->setPlainText("left behind");
    }));

    EXPECT_EQ(f.messages.informed,
              (Texts{Utf8(QueryErrorText("CommandTextError", "Command text was not set for the command object")),
                     Utf8(QueryErrorText("SimulatedDatabaseError", "Invalid object name 'Nowhere'")),
                     Utf8(kQuerySucceededMessage)}));
    ASSERT_EQ(f.db.statements().size(), 2u) << "the empty text is refused before anything is sent";
    EXPECT_EQ(f.db.statements().back().sql, typed);
    EXPECT_EQ(textAfterRuns, Utf8(typed));
    EXPECT_TRUE(f.messages.errors.empty());

    QString textAtReopening = "not opened";
    ASSERT_TRUE(f.pressQueryButton([&] { textAtReopening = f.queryControl<QPlainTextEdit>("Memo1")->toPlainText(); }));
    EXPECT_TRUE(textAtReopening.isEmpty());
    EXPECT_EQ(f.keyboardLayoutSwitches, 2);
    EXPECT_EQ(f.db.openedWith().size(), 2u) << "each opening reconnects";
}

TEST(QueryWindow, EachOpeningIsRecordedWithItsTextsAndAnswers) {
    test::TempDir dir;
    const RunRecords records(dir.path(), "orvel-updater");
    WindowFixture f({}, &records);
    f.show();
    ASSERT_TRUE(f.pressQueryButton([&] {
        f.queryControl<QPlainTextEdit>("Memo1")->setPlainText("select 1");
        f.queryControl<QPushButton>("BitBtn2")->click();
        f.queryControl<QPushButton>("BitBtn2")->click();
    }));
    ASSERT_TRUE(f.pressQueryButton());

    const auto kept = records.list();
    ASSERT_EQ(kept.size(), 2u);
    for (const auto& record : kept) {
        EXPECT_EQ(record.kind, "query");
        EXPECT_EQ(record.product, "Velora");
        EXPECT_EQ(record.result, "closed");
    }
    const auto lines = test::ReadLines(*records.fileOf(kept.back().id));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[1].find(R"("sql":"select 1")"), std::string::npos) << lines[1];
    EXPECT_NE(lines[1].find(R"("answer":")" + std::string(kQuerySucceededMessage)), std::string::npos) << lines[1];
}

TEST(QueryWindow, ShowsTheWaitCursorWhileItsConnectionOpensAndItsStatementRuns) {
    WindowFixture f;
    f.show();
    std::string whileTyping, afterTheStatement;
    ASSERT_TRUE(f.pressQueryButton([&] {
        whileTyping = test::PointerShown();
        f.queryControl<QPlainTextEdit>("Memo1")->setPlainText("select 1");
        f.queryControl<QPushButton>("BitBtn2")->click();
        afterTheStatement = test::PointerShown();
    }));

    EXPECT_EQ(f.db.pointers, (std::vector<std::string>{"open: wait", "statement: wait"}));
    EXPECT_EQ(whileTyping, "own") << "the text box shows its own pointer while the window waits for the text";
    EXPECT_EQ(afterTheStatement, "own");
    EXPECT_EQ(test::PointerShown(), "own") << "after the window closed";
}

TEST(QueryWindow, DoesNotOpenWhenTheSettingsAreAbortedOrTheConnectionFails) {
    const struct {
        const char* what;
        const char* kind;
        bool connectionFails;
    } cases[] = {
        {"Access, dialog cancelled", "RadioButton1", false},
        {"Oracle", "RadioButton3", false},
        {"connection refused", "RadioButton2", true},
    };
    for (const auto& c : cases) {
        WindowFixture f;
        f.show();
        f.control<QRadioButton>(c.kind)->click();
        if (c.connectionFails) f.db.failNextOpen("Cannot open database \"Velora\"");

        EXPECT_FALSE(f.pressQueryButton()) << c.what;
        EXPECT_EQ(f.messages.errors.size(), c.connectionFails ? 1u : 0u) << c.what;
        EXPECT_TRUE(f.messages.informed.empty()) << c.what;

        f.control<QRadioButton>("RadioButton2")->click();
        EXPECT_TRUE(f.pressQueryButton()) << c.what << ": the next press with valid settings opens it";
    }
}

}  // namespace
}  // namespace orvel
