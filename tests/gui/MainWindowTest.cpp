// The main window on the catalogue simulator: start state, leaving, a
// completed run, failing runs and the ErrorBox, aborted settings, Brivo.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

#include "upgrade/Messages.h"
#include "products/StepLists.h"
#include "gui/GuiTestSupport.h"

namespace orvel {
namespace {

using test::Utf8;
using test::WindowFixture;
using Texts = std::vector<QString>;

QString barText(WindowFixture& f, const char* name) { return f.control<QProgressBar>(name)->text(); }
QString labelText(WindowFixture& f, const char* name) { return f.control<QLabel>(name)->text(); }

TEST(MainWindow, StartsAt710By440CentredWithTheDefaultsAndStartFocused) {
    WindowFixture f;
    test::RegisterFakeTableSteps(f.registry, "Velora");
    f.show();

    EXPECT_EQ(f.form.frameGeometry().size(), TForm1::kOuterSize);
    EXPECT_EQ(f.form.minimumSize(), f.form.maximumSize()) << "the window must not be resizable";
    EXPECT_EQ(f.form.frameGeometry().center(), f.form.screen()->availableGeometry().center());
    const RunOptions options = f.form.options();
    EXPECT_EQ(options.productEntry, 0);
    EXPECT_EQ(options.databaseKind, DatabaseKind::SqlServer);
    EXPECT_EQ(options.serverVersion, ServerVersion::Sql2008);
    EXPECT_FALSE(options.local);
    EXPECT_FALSE(options.web);
    EXPECT_EQ(labelText(f, "VersionNumber"), Utf8(kProgramVersion));
    ASSERT_EQ(QApplication::focusWidget(), f.control<QPushButton>("BitBtn2"));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_FALSE(f.db.openedWith().empty()) << "Enter on Start starts a run";
    EXPECT_NE(f.db.openedWith().front().find("Initial Catalog=Velora;"), std::string::npos);
    EXPECT_EQ(f.messages.informed, Texts{Utf8(kRunSucceededMessage)});
}

TEST(MainWindow, StartRecordsTheRunInTheRecordsItIsGiven) {
    test::TempDir dir;
    const RunRecords records(dir.path(), "orvel-updater");
    WindowFixture f({}, &records);
    test::RegisterFakeTableSteps(f.registry, "Pelsa");
    f.show();
    f.selectProduct(2);
    f.pressStart();

    const auto kept = records.list();
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(kept.front().product, "Pelsa");
    EXPECT_EQ(kept.front().result, "success");
    EXPECT_EQ(kept.front().statements, f.db.statements().size());
}

TEST(MainWindow, EscAndExitEndTheProgram) {
    const struct {
        const char* way;
        std::function<void(WindowFixture&)> leave;
    } cases[] = {
        {"Esc", [](WindowFixture& f) { QTest::keyClick(&f.form, Qt::Key_Escape); }},
        {"Exit button", [](WindowFixture& f) { f.control<QPushButton>("BitBtn3")->click(); }},
    };
    for (const auto& c : cases) {
        WindowFixture f;
        f.show();
        EXPECT_EQ(test::RunMessageLoopWith([&] { c.leave(f); }), 0) << c.way << " did not end the program";
        EXPECT_FALSE(f.form.isVisible()) << c.way;
    }
}

TEST(MainWindow, ACompletedRunFocusesExitAndShowsSuccessThenEnterEndsTheProgram) {
    WindowFixture f;  // no tables: the overall bar stays at 0 % for the whole run
    test::RegisterFakeTableSteps(f.registry, "Pelsa");
    f.show();
    f.selectProduct(2);
    f.pressStart();

    EXPECT_EQ(f.messages.informed, Texts{Utf8(kRunSucceededMessage)});
    EXPECT_TRUE(f.messages.errors.empty());
    EXPECT_EQ(QApplication::focusWidget(), f.control<QPushButton>("BitBtn3"));
    EXPECT_EQ(labelText(f, "LNameTable"), "yapraqlar");
    EXPECT_EQ(labelText(f, "LNameField"), "C3");
    EXPECT_EQ(barText(f, "TableGauge"), "100%");
    EXPECT_EQ(barText(f, "OverallGauge"), "0%");
    EXPECT_NE(f.control<QProgressBar>("OverallGauge")->maximum(), 0) << "a maximum of 0 is a busy indicator";

    EXPECT_EQ(test::RunMessageLoopWith([] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }), 0)
        << "Enter on Exit did not end the program";
}

TEST(MainWindow, AnUncaughtErrorIsShownByTheErrorBoxWithTheFullStopRule) {
    const struct {
        const char* what;
        std::function<void(WindowFixture&)> fail;
        QString shown;
    } cases[] = {
        {"connection refused", [](WindowFixture& f) { f.db.failNextOpen("Login failed for user 'sa'"); },
         "Login failed for user 'sa'"},
        {"message ending in a letter",
         [](WindowFixture& f) { f.db.failStatementsContaining("TRansfer", "Invalid column name CK"); },
         "Invalid column name CK."},
        {"message ending in a full stop",
         [](WindowFixture& f) { f.db.failStatementsContaining("TRansfer", "The server went away."); },
         "The server went away."},
        {"message ending in a comma",
         [](WindowFixture& f) { f.db.failStatementsContaining("TRansfer", "Deadlock,"); }, "Deadlock,"},
        {"Persian message",
         [](WindowFixture& f) { f.db.failStatementsContaining("TRansfer", "خطاي بانک اطلاعاتي"); },
         "خطاي بانک اطلاعاتي."},
    };
    for (const auto& c : cases) {
        WindowFixture f;
        test::RegisterFakeTableSteps(f.registry, "Pelsa");
        f.show();
        f.selectProduct(2);
        c.fail(f);
        f.pressStart();
        EXPECT_EQ(f.messages.errors, Texts{c.shown}) << c.what;
        EXPECT_TRUE(f.messages.informed.empty()) << c.what;
        EXPECT_EQ(QApplication::focusWidget(), f.control<QPushButton>("BitBtn2")) << c.what;
        EXPECT_EQ(f.form.options().productEntry, 2) << c.what;
    }
}

TEST(MainWindow, ErrorsOutsideTheDatabaseEndTheHandlerBeforeAnythingIsSent) {
    const struct {
        const char* what;
        std::function<void(WindowFixture&)> arrange;
    } cases[] = {
        {"ServerName.txt is not a readable file",
         [](WindowFixture& f) {
             test::RegisterFakeTableSteps(f.registry, "Pelsa");
             std::filesystem::create_directory(f.programDirectory.path() / kServerNameFile);
         }},
        {"a step of the list is not part of the program", [](WindowFixture&) {}},
    };
    for (const auto& c : cases) {
        WindowFixture f;
        c.arrange(f);
        f.show();
        f.selectProduct(2);
        f.pressStart();
        EXPECT_EQ(f.messages.errors.size(), 1u) << c.what;
        EXPECT_TRUE(f.messages.informed.empty()) << c.what;
        EXPECT_TRUE(f.db.statements().empty()) << c.what;
    }
}

TEST(MainWindow, AfterAFailureTheLabelsAndBarsKeepWhatTheyShowed) {
    // Four tables at the start; the third step ("Test") finds its table with
    // ID, C1 and two other columns, adds C2 and is refused.
    CatalogueSnapshot start = test::TablesNamed({"A", "B", "C"});
    start.tables.push_back({"Test", {"ID", "C1", "X", "Y"}});
    WindowFixture f(start);
    test::RegisterFakeTableSteps(f.registry, "Pelsa");
    f.db.failStatementsContaining("Test ADD C2", "Column names in each table must be unique");
    f.show();
    f.selectProduct(2);
    f.pressStart();

    ASSERT_EQ(f.messages.errors.size(), 1u);
    EXPECT_EQ(labelText(f, "LNameTable"), "Test");
    EXPECT_EQ(labelText(f, "LNameField"), "C2");
    EXPECT_EQ(barText(f, "TableGauge"), "25%");
    EXPECT_EQ(barText(f, "OverallGauge"), "50%");
}

TEST(MainWindow, AbortedSettingsChangeNothingAndShowNothing) {
    const struct {
        const char* what;
        QRadioButton* (*kind)(WindowFixture&);
        std::optional<std::string> file;
        bool runs;
    } cases[] = {
        {"Access, dialog cancelled", [](WindowFixture& f) { return f.control<QRadioButton>("RadioButton1"); },
         std::nullopt, false},
        {"Oracle", [](WindowFixture& f) { return f.control<QRadioButton>("RadioButton3"); }, std::nullopt, false},
        {"Access, file chosen", [](WindowFixture& f) { return f.control<QRadioButton>("RadioButton1"); },
         "/data/orvel.mdb", true},
    };
    for (const auto& c : cases) {
        WindowFixture f;
        f.show();
        f.selectProduct(3);
        c.kind(f)->click();
        f.openDialog.answer = c.file;
        f.pressStart();
        EXPECT_EQ(f.db.openedWith().size(), c.runs ? 1u : 0u) << c.what;
        EXPECT_TRUE(f.messages.errors.empty()) << c.what;
        EXPECT_EQ(f.messages.informed.size(), c.runs ? 1u : 0u) << c.what;
        EXPECT_EQ(labelText(f, "LNameTable"), "نام جدول") << c.what;
    }
}

TEST(MainWindow, KeysPressedDuringARunAreThrownAwayNotActedOnAfterIt) {
    WindowFixture f;
    auto* start = f.control<QPushButton>("BitBtn2");
    for (const auto& entry : StepListFor("Pelsa")) {
        if (entry.isReconnectPoint()) continue;
        // The run blocks the window; the user presses Space on Start again.
        f.registry.add(std::string(entry.step), [start](SchemaOperations&) {
            QCoreApplication::postEvent(start, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " "));
            QCoreApplication::postEvent(start, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " "));
        });
    }
    f.show();
    f.selectProduct(2);
    f.pressStart();
    QCoreApplication::processEvents();

    EXPECT_EQ(f.db.openedWith().size(), 1u) << "a key pressed during the run started another run";
    EXPECT_EQ(f.messages.informed, Texts{Utf8(kRunSucceededMessage)});
}

TEST(MainWindow, ShowsTheWaitCursorFromTheConnectionAttemptToTheEndOfTheRun) {
    const struct {
        const char* what;
        std::function<void(WindowFixture&)> arrange;
        std::size_t openings, statements;
    } cases[] = {
        {"a completed run", [](WindowFixture&) {}, 1, 4},
        {"a connection refused", [](WindowFixture& f) { f.db.failNextOpen("Login failed for user 'sa'"); }, 1, 0},
        {"a statement refused",
         [](WindowFixture& f) { f.db.failStatementsContaining("TRansfer", "Invalid column name CK"); }, 1, 1},
    };
    for (const auto& c : cases) {
        WindowFixture f;
        test::RegisterFakeTableSteps(f.registry, "Pelsa");
        f.show();
        f.selectProduct(2);
        c.arrange(f);
        ASSERT_EQ(test::PointerShown(), "own") << c.what;
        f.pressStart();

        std::vector<std::string> expected(c.openings, "open: wait");
        expected.resize(c.openings + c.statements, "statement: wait");
        ASSERT_GE(f.db.pointers.size(), expected.size()) << c.what;
        f.db.pointers.resize(expected.size());
        EXPECT_EQ(f.db.pointers, expected) << c.what;
        EXPECT_EQ(f.messages.informed.size() + f.messages.errors.size(), 1u) << c.what;
        EXPECT_EQ(test::PointerShown(), "own") << c.what << ": the pointer is the window's own again";
    }
}

TEST(MainWindow, BrivoOpensTheConnectionAndSucceedsWithoutAStatement) {
    WindowFixture f(test::TablesNamed({"A", "B", "C"}));
    f.show();
    f.selectProduct(3);
    f.pressStart();

    EXPECT_EQ(f.db.openedWith().size(), 1u);
    EXPECT_TRUE(f.db.statements().empty());
    EXPECT_EQ(f.messages.informed, Texts{Utf8(kRunSucceededMessage)});
    EXPECT_EQ(f.control<QProgressBar>("OverallGauge")->maximum(), 3);
    EXPECT_EQ(barText(f, "OverallGauge"), "0%");
}

}  // namespace
}  // namespace orvel
