// Start checks the database first (the check of `check`): when it foresees
// a refusal, nothing is sent and the check dialog lists it, in Persian and
// right to left, with "Run anyway" (the run as it always was) and "Close";
// when it foresees none the run starts at once and what the check found
// goes to the record.  The first step of the office-automation product makes
// its column C1, which holds text, an integer; the database answers the
// check that two rows hold no whole number.
#include <gtest/gtest.h>

#include <fstream>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTextEdit>
#include <QTimer>

#include <nlohmann/json.hpp>

#include "app/CheckDialogText.h"
#include "products/StepLists.h"
#include "schema/TableStep.h"
#include "gui/GuiTestSupport.h"

namespace orvel {
namespace {

using test::Utf8;
using test::WindowFixture;

std::string FirstStep() {
    for (const auto& entry : StepListFor("Pelsa"))
        if (!entry.isReconnectPoint()) return std::string(entry.step);
    return {};
}

// The fake steps, the first of which alters C1 to int; the catalogue holds
// the first step's table with C1, and the answers say two rows of it hold
// text that is no whole number.
void ArrangeRowsThatAreNoNumber(WindowFixture& f) {
    const std::string table = FirstStep();
    for (const auto& entry : StepListFor("Pelsa")) {
        if (entry.isReconnectPoint()) continue;
        const std::string name(entry.step);
        TableStep step{name, name, "ID", "int", "", {{"C2", "int"}}};
        if (name == table) step.entries = {alter("C1", "int")};
        f.registry.add(name, [step](SchemaOperations& schema) { RunTableStep(step, schema); });
    }
    const ResultSet columns{{"TABLE_NAME", "COLUMN_NAME", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH",
                             "NUMERIC_PRECISION", "NUMERIC_SCALE", "IS_NULLABLE", "has_default"},
                            {{table, "ID", "int", std::nullopt, "10", "0", "NO", "0"},
                             {table, "C1", "nvarchar", "50", std::nullopt, std::nullopt, "YES", "0"}}};
    f.db.answers = {
        {{{"name", "type"}, {}}, columns, {{"TABLE_NAME", "CONSTRAINT_NAME", "CONSTRAINT_TYPE", "COLUMN_NAME"},
                                           {{table, "PK_" + table, "PRIMARY KEY", "ID"}}},
         {{"table_name", "name", "column_name"}, {}}, {{"table_name", "name", "is_unique", "column_name"}, {}}},
        {{{"row_count", "c0"}, {{"3", "2"}}}},
        {{{"r0", "u0", "r1", "u1"}, {{"2", "0", "0", "0"}}}},
        {{{"ID", "offending_value"}, {{"1", "\xD8\xA8\xD9\x84\xD9\x87"}, {"2", "yes"}}}},
    };
}

CatalogueSnapshot WithTextColumn() { return {.tables = {{FirstStep(), {"ID", "C1"}}}}; }

// What the dialog showed when it appeared.
struct Shown {
    bool appeared = false;
    bool rightToLeft = false;
    QString caption, heading, report, runAnyway, close;
    std::size_t statementsSentBefore = 0;
};

// Presses Start; when the check dialog appears, notes what it shows (and
// saves its picture under ORVEL_WINDOW_SCREENSHOTS, when set) and presses
// `button`.
Shown PressStartAndAnswer(WindowFixture& f, const char* button) {
    Shown shown;
    // Looked for until it appears: the window processes events before it
    // shows the dialog (keys pressed during the check are thrown away).
    QTimer whileOpen;
    whileOpen.setInterval(10);
    QObject::connect(&whileOpen, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != "TCheckDialog" || !dialog->isVisible()) return;
        whileOpen.stop();
        shown.appeared = true;
        shown.statementsSentBefore = f.db.statements().size();
        shown.rightToLeft = dialog->layoutDirection() == Qt::RightToLeft;
        shown.caption = dialog->windowTitle();
        shown.heading = dialog->findChild<QLabel*>("CheckHeading")->text();
        shown.report = dialog->findChild<QTextEdit*>("CheckReport")->toPlainText();
        shown.runAnyway = dialog->findChild<QAbstractButton*>("CheckRunAnyway")->text();
        shown.close = dialog->findChild<QAbstractButton*>("CheckClose")->text();
        if (const char* folder = std::getenv("ORVEL_WINDOW_SCREENSHOTS"))
            dialog->grab().save(QString::fromUtf8(folder) + "/check-dialog.png");
        dialog->findChild<QAbstractButton*>(button)->click();
    });
    whileOpen.start();
    f.pressStart();
    return shown;
}

TEST(CheckDialog, AForeseenRefusalIsListedBeforeAnythingIsSentAndTheChoiceIsTheTechniciansToMake) {
    const struct {
        const char* button;
        bool runs;  // statements sent, the run completed (the simulator takes the ALTER)
    } cases[] = {{"CheckRunAnyway", true}, {"CheckClose", false}};
    for (const auto& c : cases) {
        test::TempDir dir;
        const RunRecords records(dir.path(), "orvel-updater");
        WindowFixture f(WithTextColumn(), &records);
        ArrangeRowsThatAreNoNumber(f);
        f.show();
        f.selectProduct(2);
        const Shown shown = PressStartAndAnswer(f, c.button);

        ASSERT_TRUE(shown.appeared) << c.button;
        EXPECT_EQ(shown.statementsSentBefore, 0u) << c.button;
        EXPECT_TRUE(shown.rightToLeft);
        EXPECT_EQ(shown.caption, Utf8(kCheckDialogCaption));
        EXPECT_EQ(shown.heading, Utf8(kCheckDialogHeading));
        EXPECT_EQ(shown.runAnyway, Utf8(kCheckDialogRunAnyway));
        EXPECT_EQ(shown.close, Utf8(kCheckDialogClose));
        for (const QString& part :
             {Utf8(FirstStep()), Utf8(FirstStep() + ".C1"), QString("245"), QString("2"),
              QString("ID=\"1\"  value \"\xD8\xA8\xD9\x84\xD9\x87\""), QString("ID=\"2\"  value \"yes\""),
              QString("UPDATE " + QString::fromStdString(FirstStep()) + " SET C1")})
            EXPECT_TRUE(shown.report.contains(part)) << c.button << ": " << part.toStdString() << " not in\n"
                                                     << shown.report.toStdString();

        EXPECT_EQ(f.db.statements().empty(), !c.runs) << c.button;
        EXPECT_TRUE(f.messages.errors.empty()) << c.button;
        EXPECT_EQ(f.messages.informed.size(), c.runs ? 1u : 0u) << c.button;
        const auto kept = records.list();
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept.front().result, c.runs ? "success" : "failed") << c.button;
        if (!c.runs) {
            EXPECT_EQ(kept.front().stoppedIn, "the check before the first step");
        }
    }
}

// Nothing foreseen refused: no dialog, the run at once, and what the check
// found (here: that the questions could not be asked of the simulator) in
// the record before the first statement.
TEST(CheckDialog, NothingForeseenStartsTheRunAtOnceWithTheCheckInTheRecord) {
    test::TempDir dir;
    const RunRecords records(dir.path(), "orvel-updater");
    WindowFixture f(test::TablesNamed({FirstStep()}), &records);
    test::RegisterFakeTableSteps(f.registry, "Pelsa");
    f.show();
    f.selectProduct(2);
    const Shown shown = PressStartAndAnswer(f, "CheckClose");

    EXPECT_FALSE(shown.appeared);
    EXPECT_FALSE(f.db.statements().empty());
    EXPECT_EQ(f.messages.informed.size(), 1u);
    const auto kept = records.list();
    ASSERT_EQ(kept.size(), 1u);
    std::ifstream in(*records.fileOf(kept.front().id));
    std::string line;
    bool checkNoted = false, statementAfter = false;
    while (std::getline(in, line)) {
        const auto json = nlohmann::json::parse(line);
        if (json.contains("check")) checkNoted = true;
        if (json.contains("sql") && checkNoted) statementAfter = true;
    }
    EXPECT_TRUE(checkNoted);
    EXPECT_TRUE(statementAfter) << "the check is noted before the first statement";
}

}  // namespace
}  // namespace orvel
