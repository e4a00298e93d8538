// Upgrades over older databases holding rows, on a live server: every
// product's older tables (tables missing, columns missing, older types) are
// filled with rows at the edges of every column type and upgraded by the
// program.  Every row stays, every value of every old column is what the
// server makes of it in the column's new type, the columns the run adds hold
// NULL, and the data statements leave what they are meant to.  A second run
// changes no row, apart from what a run adds by design.
//
// The same older tables and rows are made in a reference database that no
// run touches: the value an old column should hold after the run is the
// reference value CAST to the column's new type, by the server itself.
// Before the first run `check` must foresee nothing on these rows.  The
// insurance-office product runs through the program's run driver over
// EngineAdaptedDatabase (the engine's documented differences from SQL
// Server, bridged); the others run as orvel-updater-cli with --check-first.
#include <algorithm>
#include <iostream>
#include <optional>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "AdaptedProductRun.h"
#include "CliRunner.h"
#include "LiveCliRuns.h"
#include "LiveServer.h"
#include "OlderInsuranceOffice.h"
#include "OlderProductTables.h"
#include "RowFixtures.h"
#include "database/OdbcDatabase.h"

namespace orvel {
namespace {

using test::TableDump;
using Row = ResultSet::Row;

// A value a data statement of the run sets in an old column of the rows
// whose `whenColumn` holds `whenValue` (nullopt: NULL).
struct ValueSetByRun {
    std::string table, column, whenColumn;
    std::optional<std::string> whenValue;
    std::string value;
};

// A row every run adds, told by the value of one of its columns.
struct RowAddedPerRun {
    std::string table, column, value;
};

// A table whose rows the run replaces: after it, `column` holds these values.
struct RowsReplaced {
    std::string table, column;
    std::vector<std::string> values;
};

// A column a data statement of the run numbers 1, 2, 3... where it is NULL,
// leaving numbered rows alone.
struct ColumnNumbered {
    std::string table, column;
};

struct DataKeptCase {
    test::OlderVersion older;
    // Where the live server cannot run the numbering statement over rows
    // (the T-SQL engine), the table is left empty.
    std::optional<ColumnNumbered> numbered;
    bool throughRunDriver = false;  // the insurance office, over the engine's bridges
    std::vector<ValueSetByRun> valuesSet;
    std::vector<RowAddedPerRun> rowsAdded;
    std::vector<RowsReplaced> replaced;
};

void PrintTo(const DataKeptCase& c, std::ostream* out) { *out << c.older.product; }

const std::string kPolicyHolder = "\xD8\xA8\xD9\x8A\xD9\x85\xD9\x87 \xDA\xAF\xD8\xB0\xD8\xA7\xD8\xB1";  // "بيمه گذار"

std::vector<DataKeptCase> Cases() {
    return {
        {.older = {.product = "Pelsa"}},
        {.older = {.product = "Zorbex"}},
        // CK of the ledger tables was integer and becomes nvarchar(50).
        {.older = {.product = "Kestin"}},
        // The settings' flags were bits before the run makes them integers;
        // every run adds the default administrator (CK 1) to P_PASS.
        {.older = {.product = "Mornale",
                   .olderTypes = {{"SETTING.AUTO_BACK", "bit"}, {"SETTING.AUTO_PRINT", "bit"},
                                  {"SETTING.AUTO_NEW", "bit"}, {"SETTING.PREVIEW", "bit"}, {"SETTING.TO_P1", "bit"},
                                  {"SETTING.TO_P2", "bit"}, {"SETTING.TO_P3", "bit"}},
                   .alwaysPresent = {"P_Pass", "Setting"}},
         .rowsAdded = {{"P_Pass", "CK", "1"}}},
        // Every run drops LOGIN, rows and all, and makes it again empty.
        {.older = {.product = "Tamrix2", .alwaysPresent = {"LOGIN"}},
         .replaced = {{"LOGIN", "ID", {}}}},
        // The run names the accounts of group 2 (CG) policy holders, and
        // drops P_Sanad_Type and seeds it with its ten rows.  On the T-SQL
        // engine A_FASQ stays empty: the engine cannot run the statement that
        // numbers its empty SH_IDs (UPDATE t SET @v = col = @v + 1) over
        // rows.  The tables a foreign key of the run points from stay empty
        // too: their rows would need matching rows in the table the key names.
        {.older = {.product = "Velora",
                   .olderTypes = {{"A_GHAVALEH.NA", "nvarchar(100)"}, {"A_GMSANDUQ.NA", "nvarchar(100)"},
                                  {"A_GMTHESAB.SA", "nvarchar(10)"}, {"P_TBIMEH.PER_KARMOZD", "money"},
                                  {"T_SMS_INBOX.SMS_TEXT", "nvarchar(250)"}, {"A_ENTEQAL.BABAT", "nvarchar(100)"}},
                   .createdWhole = {std::begin(test::kOlderInsuranceOfficeTables),
                                    std::end(test::kOlderInsuranceOfficeTables)},
                   .leftEmpty = {"A_FASQ", "T_Advantages", "T_Credit_Cash_History", "T_SMS_Vote_Dt"},
                   .alwaysPresent = {"P_Sanad_Type", "P_TGHAZINEH"}},
         .numbered = ColumnNumbered{"A_FASQ", "SH_ID"},
         .throughRunDriver = true,
         .valuesSet = {{"P_TTHESAB", "NG", "CG", "2", kPolicyHolder}},
         .replaced = {{"P_Sanad_Type", "Sanad_CD", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"}}}},
    };
}

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

bool sameName(const std::string& a, const std::string& b) { return upper(a) == upper(b); }

// Runs the product once; the error that ended the run, empty when it completed.
std::string upgrade(const DataKeptCase& c, const std::string& odbc) {
    if (c.throughRunDriver) {
        std::vector<test::EngineBridge> bridges;
        const auto run = test::RunProductAdapted(c.older.product, odbc, bridges);
        for (const auto& bridge : bridges)
            std::cout << "bridged (" << bridge.difference << ") in step " << bridge.step << ": " << bridge.statement
                      << "\n";
        if (run.error.empty() || run.records.empty()) return run.error;
        const StatementRecord& last = run.records.back();
        return run.error + "\n(step " + last.step.value_or("-") + ": " + last.sql + ")";
    }
    const auto run =
        test::RunCli(std::vector<std::string>{"upgrade", "--check-first", "--product", c.older.product, "--odbc", odbc});
    return run.exitCode == 0 ? "" : "exit " + std::to_string(run.exitCode) + ": " + run.err;
}

// The check of the older database holding the fixtures' rows (empty texts
// and NULLs among them) foresees no refusal and leaves nothing unjudged:
// exit 0.  On the T-SQL engine the insurance office keeps the refusals its
// mangled index names cause.
void expectCheckedClean(const DataKeptCase& c, const std::string& odbc) {
    const auto check = test::RunCli(
        std::vector<std::string>{"check", "--product", c.older.product, "--odbc", odbc, "--format", "json"});
    ASSERT_FALSE(check.out.empty()) << check.err;
    const auto report = nlohmann::json::parse(check.out);
    for (const auto& refusal : report["refusals"])
        EXPECT_TRUE(test::IsEngineMangledIndexRefusal(refusal)) << "a refusal foreseen: " << refusal.dump(2);
    EXPECT_TRUE(report["notJudged"].empty()) << check.out;
    EXPECT_EQ(check.exitCode, report["refusals"].empty() ? 0 : 5) << check.err;
}

int columnIndex(const TableDump& dump, const std::string& column) {
    for (std::size_t i = 0; i < dump.columns.size(); ++i)
        if (sameName(dump.columns[i], column)) return static_cast<int>(i);
    return -1;
}

// What the data statements of the run leave in old columns, applied to the
// rows expected after it.
void applyValuesSet(TableDump& expected, const std::vector<ValueSetByRun>& valuesSet) {
    for (const auto& set : valuesSet) {
        if (!sameName(set.table, expected.table)) continue;
        const int column = columnIndex(expected, set.column), when = columnIndex(expected, set.whenColumn);
        ASSERT_GE(column, 0) << set.table << "." << set.column;
        ASSERT_GE(when, 0) << set.table << "." << set.whenColumn;
        for (auto& row : expected.rows)
            if (row[when] == set.whenValue) row[column] = set.value;
        std::sort(expected.rows.begin(), expected.rows.end());
    }
}

const RowAddedPerRun* rowAddedTo(const DataKeptCase& c, const std::string& table) {
    for (const auto& added : c.rowsAdded)
        if (sameName(added.table, table)) return &added;
    return nullptr;
}

// `actual` holds the rows of `expected` and, where a run adds a row to the
// table, that one row more.
void expectSameRowsBut(const DataKeptCase& c, const TableDump& expected, const TableDump& actual,
                       const std::string& when) {
    const RowAddedPerRun* added = rowAddedTo(c, actual.table);
    if (!added) {
        const std::string difference = test::RowDifference(expected, actual);
        EXPECT_TRUE(difference.empty()) << when << ":\n" << difference;
        return;
    }
    const auto lost = test::RowsAdded(actual, expected);
    for (const auto& row : lost) ADD_FAILURE() << when << ": " << actual.table << " lost " << test::RowText(row);
    const auto extra = test::RowsAdded(expected, actual);
    EXPECT_EQ(extra.size(), 1u) << when << ": rows " << actual.table << " gained";
    const int column = columnIndex(actual, added->column);
    for (const auto& row : extra)
        EXPECT_TRUE(column >= 0 && row[column] == added->value)
            << when << ": " << actual.table << " gained a row other than the one a run adds: " << test::RowText(row);
}

std::string bracketed(const std::string& name) { return "[" + name + "]"; }

// After the first run: every old value kept (in its new type), every added
// column NULL in the old rows.
void expectOldRowsKept(const DataKeptCase& c, const std::vector<test::FixtureTable>& older, Database& reference,
                       Database& upgraded) {
    std::vector<std::string> tables;
    for (const auto& table : older) {
        const bool replaced = std::any_of(c.replaced.begin(), c.replaced.end(),
                                          [&](const RowsReplaced& r) { return sameName(r.table, table.name); });
        if (table.filled && !replaced) tables.push_back(table.name);
    }
    const auto before = test::ServerColumns(reference, tables);
    const auto after = test::ServerColumns(upgraded, tables);
    std::vector<std::string> expectedSelects, actualSelects, addedTables, addedSelects;
    for (std::size_t t = 0; t < tables.size(); ++t) {
        std::string expected, actual, added;
        for (const auto& old : before[t]) {
            const auto now = std::find_if(after[t].begin(), after[t].end(),
                                          [&](const test::ServerColumn& n) { return sameName(n.name, old.name); });
            if (now == after[t].end()) {
                ADD_FAILURE() << "the run removed " << tables[t] << "." << old.name;
                continue;
            }
            const std::string name = bracketed(old.name);
            expected += (expected.empty() ? "" : ", ") +
                        (now->type == old.type ? name : "cast(" + name + " as " + now->type + ") as " + name);
            actual += (actual.empty() ? "" : ", ") + name;
        }
        for (const auto& now : after[t])
            if (std::none_of(before[t].begin(), before[t].end(),
                             [&](const test::ServerColumn& o) { return sameName(o.name, now.name); }))
                added += (added.empty() ? "" : ", ") + bracketed(now.name);
        expectedSelects.push_back("select " + expected + " from " + bracketed(tables[t]));
        actualSelects.push_back("select " + actual + " from " + bracketed(tables[t]));
        if (added.empty()) continue;
        std::string oldRows;
        if (const RowAddedPerRun* perRun = rowAddedTo(c, tables[t]))
            oldRows = " where " + bracketed(perRun->column) + " is null or " + bracketed(perRun->column) + " <> N'" +
                      perRun->value + "'";
        addedTables.push_back(tables[t]);
        addedSelects.push_back("select " + added + " from " + bracketed(tables[t]) + oldRows);
    }
    auto expected = test::Dump(reference, tables, expectedSelects);
    const auto actual = test::Dump(upgraded, tables, actualSelects);
    for (std::size_t t = 0; t < tables.size(); ++t) {
        applyValuesSet(expected[t], c.valuesSet);
        expectSameRowsBut(c, expected[t], actual[t], "after the first run");
    }
    for (const auto& dump : test::Dump(upgraded, addedTables, addedSelects))
        for (const auto& row : dump.rows)
            for (std::size_t i = 0; i < row.size(); ++i)
                EXPECT_EQ(row[i], std::nullopt) << "the run added " << dump.table << "." << dump.columns[i]
                                                << " and set it in an old row " << test::RowText(row);
}

void expectRowsReplaced(const DataKeptCase& c, Database& upgraded, const std::string& when) {
    for (const auto& replaced : c.replaced) {
        const auto dump = test::Dump(upgraded, {replaced.table},
                                     {"select " + bracketed(replaced.column) + " from " + bracketed(replaced.table)});
        std::vector<Row> expected;
        for (const auto& value : replaced.values) expected.push_back({value});
        std::sort(expected.begin(), expected.end());
        const std::string difference = test::RowDifference({replaced.table, {replaced.column}, expected}, dump.at(0));
        EXPECT_TRUE(difference.empty()) << when << ", " << replaced.table << " holds other rows than the run puts in it:\n"
                                        << difference;
    }
}

class LiveDataKept : public testing::TestWithParam<DataKeptCase> {};

TEST_P(LiveDataKept, AnOlderDatabaseHoldingRowsKeepsEveryRowAndValueOverTwoRuns) {
    ORVEL_SKIP_WITHOUT_LIVE_SERVER();
    DataKeptCase c = GetParam();
    if (c.numbered && !test::LiveServerIsTsqlEngine()) {
        // The one row of the sample rows with NULL in the column gets 1.
        const ColumnNumbered& n = *c.numbered;
        std::erase_if(c.older.leftEmpty, [&](const std::string& table) { return sameName(table, n.table); });
        c.older.filledByTheRun.push_back(upper(n.table + "." + n.column));
        c.valuesSet.push_back({n.table, n.column, n.column, std::nullopt, "1"});
    }
    const auto older = test::OlderProductTables(c.older);
    ASSERT_FALSE(older.empty());
    const std::string fill = test::CreateAndFillBatch(older);
    test::ScratchDatabase referenceDatabase("orvel_kept_reference_");
    test::ScratchDatabase upgradedDatabase("orvel_kept_" + upper(c.older.product) + "_");
    test::ServerSession(referenceDatabase.connectionString()).run(fill);
    test::ServerSession(upgradedDatabase.connectionString()).run(fill);

    expectCheckedClean(c, upgradedDatabase.connectionString());
    ASSERT_EQ(upgrade(c, upgradedDatabase.connectionString()), "");
    OdbcDatabase reference, upgraded;
    reference.open(referenceDatabase.connectionString());
    upgraded.open(upgradedDatabase.connectionString());
    expectOldRowsKept(c, older, reference, upgraded);
    expectRowsReplaced(c, upgraded, "after the first run");

    // The second run: every table holds what it held, but for the rows a run
    // adds by design.
    const auto tables = test::BaseTables(upgraded);
    const auto first = test::DumpWhole(upgraded, tables);
    upgraded.close();
    ASSERT_EQ(upgrade(c, upgradedDatabase.connectionString()), "");
    upgraded.open(upgradedDatabase.connectionString());
    ASSERT_EQ(test::BaseTables(upgraded), tables);
    const auto second = test::DumpWhole(upgraded, tables);
    for (std::size_t t = 0; t < tables.size(); ++t)
        expectSameRowsBut(c, first[t], second[t], "after the second run");
    expectRowsReplaced(c, upgraded, "after the second run");
}

INSTANTIATE_TEST_SUITE_P(Products, LiveDataKept, testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.older.product; });

}  // namespace
}  // namespace orvel
