// The insurance-office table steps at the start of a run (documents, cheques
// and instalments; ledgers, policies, company and parties): their place in
// the step list, what they send on a new and on an up-to-date database and
// through which object, how a database that refuses T-SQL ends the run, and
// that the key-column statements in their first form fail on a server that
// guards its keys and indexes.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "CatalogueRun.h"
#include "KeyedDatabase.h"
#include "TestSupport.h"
#include "products/StepLists.h"
#include "products/TableSteps.h"
#include "database/NamedParameters.h"

namespace orvel {
namespace {

using test::SimulatedRun;
using Strings = std::vector<std::string>;

struct Part {
    const char* name;
    std::vector<TableStep> (*steps)();
    std::size_t firstPosition;  // in the product's step list, from 1
    // The steps that still send statements to an up-to-date database, and
    // how many statements they send together.
    std::set<std::string> sendersWhenUpToDate;
    std::size_t statementsWhenUpToDate;
};

const Part kParts[] = {
    // 19: the drop of PK_A_GHAVALEH is a statement of its own, sent before
    // the key columns are altered, apart from the key's re-creation.
    {"documents", VeloraDocumentTableSteps, 1, {"A_AQSAT_I", "A_ENTEQAL", "A_FASQ", "A_GHAVALEH"}, 19},
    {"ledgers", VeloraLedgerTableSteps, 11,
     {"A_GMSANDUQ", "A_GMTHESAB_I", "A_Sharh_Aqsat", "sudur", "P_TBIMEH", "P_TTHESAB_I"}, 13},
};

// What one step sent, and whether it left TableGauge full.
struct StepOutcome {
    const TableStep* step;
    std::vector<StatementRecord> sent;
    bool tableGaugeFull;
};

// Runs the steps in order, as the run driver does; a rejected statement
// ends the run by its exception.
std::vector<StepOutcome> RunSteps(const std::vector<TableStep>& steps, SimulatedRun& run) {
    std::vector<StepOutcome> outcomes;
    for (const auto& step : steps) {
        const auto before = run.db.statements().size();
        RunTableStep(step, run.schema);
        const auto& all = run.db.statements();
        const Gauge& gauge = run.progress.tableGauge();
        outcomes.push_back({&step, {all.begin() + before, all.end()}, gauge.position() == gauge.maximum()});
    }
    return outcomes;
}

TEST(VeloraDocumentsLedgers, StepsStandAtTheirPositionsOfTheStepListBetweenReconnects) {
    Strings names;                    // names[p - 1] runs at position p
    std::set<std::size_t> reconnects;  // positions followed by a reconnect
    for (const auto& entry : StepListFor("Velora")) {
        if (entry.isReconnectPoint())
            reconnects.insert(names.size());
        else
            names.emplace_back(entry.step);
    }
    for (const auto& part : kParts) {
        const auto steps = part.steps();
        const std::size_t last = part.firstPosition + steps.size() - 1;
        ASSERT_LE(last, names.size()) << part.name;
        for (std::size_t i = 0; i < steps.size(); ++i)
            EXPECT_EQ(names[part.firstPosition - 1 + i], steps[i].name) << part.name;
        EXPECT_TRUE(reconnects.contains(part.firstPosition - 1) || part.firstPosition == 1) << part.name;
        EXPECT_TRUE(reconnects.contains(last)) << part.name;
        for (std::size_t p = part.firstPosition; p < last; ++p) EXPECT_FALSE(reconnects.contains(p)) << part.name;
    }
}

TEST(VeloraDocumentsLedgers, NewDatabaseGetsEveryTableWithItsColumnsThenTheFurtherStatements) {
    for (const auto& part : kParts) {
        SimulatedRun run;
        const auto steps = part.steps();
        const auto outcomes = RunSteps(steps, run);

        for (const auto& [step, sent, gaugeFull] : outcomes) {
            Strings columns{step->firstColumn};
            for (const auto& entry : step->entries)
                if (!ContainsNameIgnoreCase(ColumnTestName(entry.column), columns))
                    columns.push_back(ColumnTestName(entry.column));
            const auto& tables = run.db.catalogue().tables;
            auto table = std::find_if(tables.begin(), tables.end(),
                                      [&](const CatalogueObject& t) { return t.name == step->table; });
            ASSERT_NE(table, tables.end()) << step->name;
            EXPECT_EQ(table->columns, columns) << step->name;
            // Create, one add per new column, then the further statements last.
            EXPECT_EQ(sent.size(), columns.size() + step->statements.size()) << step->name;
            EXPECT_TRUE(gaugeFull) << step->name;
        }
        EXPECT_EQ(run.progress.overallGauge().position(), static_cast<int>(steps.size())) << part.name;
    }

    // A new company table holds on1 and the 47 listed columns; the last of
    // A_ENTEQAL's 15 entries repeats its first column and adds nothing.
    SimulatedRun run;
    RunSteps(VeloraLedgerTableSteps(), run);
    RunSteps(VeloraDocumentTableSteps(), run);
    const auto& tables = run.db.catalogue().tables;
    for (const auto& [table, count] : {std::pair{"company", 48}, {"A_ENTEQAL", 15}}) {
        auto it = std::find_if(tables.begin(), tables.end(), [&](const CatalogueObject& t) { return t.name == table; });
        ASSERT_NE(it, tables.end()) << table;
        EXPECT_EQ(it->columns.size(), static_cast<std::size_t>(count)) << table;
    }
}

TEST(VeloraDocumentsLedgers, AnOlderTransferTableWithoutIdGetsItFromTheRepeatedEntry) {
    SimulatedRun first;
    RunSteps(VeloraDocumentTableSteps(), first);
    CatalogueSnapshot older = first.db.catalogue();
    for (auto& table : older.tables)
        if (table.name == "A_ENTEQAL") std::erase(table.columns, "ID");

    SimulatedRun run(older);
    for (const auto& [step, sent, gaugeFull] : RunSteps(VeloraDocumentTableSteps(), run)) {
        if (step->name != "A_ENTEQAL") continue;
        ASSERT_FALSE(sent.empty());
        EXPECT_EQ(sent.front().sql, "ALTER TABLE A_ENTEQAL ADD ID integer");
    }
}

TEST(VeloraDocumentsLedgers, UpToDateDatabaseGetsOnlyTheFurtherStatementsWhateverTheKind) {
    for (const auto& part : kParts) {
        SimulatedRun first;
        RunSteps(part.steps(), first);
        const CatalogueSnapshot upToDate = first.db.catalogue();

        for (auto kind : {DatabaseKind::SqlServer, DatabaseKind::Access}) {
            SCOPED_TRACE(std::string(part.name) + (kind == DatabaseKind::Access ? ", Access" : ", SQL Server"));
            SimulatedRun run(upToDate, kind);
            const auto steps = part.steps();
            const auto outcomes = RunSteps(steps, run);

            std::set<std::string> senders;
            for (const auto& [step, sent, gaugeFull] : outcomes) {
                ASSERT_EQ(sent.size(), step->statements.size()) << step->name;
                for (std::size_t i = 0; i < sent.size(); ++i) {
                    EXPECT_EQ(sent[i].sql, step->statements[i].text) << step->name;
                    EXPECT_EQ(sent[i].via, step->statements[i].via) << step->name;
                    EXPECT_EQ(sent[i].parameters, step->statements[i].parameters) << step->name;
                }
                if (!sent.empty()) senders.insert(step->name);
                EXPECT_TRUE(gaugeFull) << step->name;
            }
            EXPECT_EQ(run.db.statements().size(), part.statementsWhenUpToDate);
            EXPECT_EQ(senders, part.sendersWhenUpToDate);
            EXPECT_EQ(run.db.catalogue(), upToDate);
            EXPECT_EQ(run.progress.overallGauge().position(), static_cast<int>(steps.size()));
        }
    }
}

TEST(VeloraDocumentsLedgers, QueryObjectStatementsCarryTheirParameters) {
    SimulatedRun run;
    RunSteps(VeloraDocumentTableSteps(), run);
    RunSteps(VeloraLedgerTableSteps(), run);

    int parameterised = 0;
    for (const auto& record : run.db.statements()) {
        const auto markers = FindParameterMarkers(record.sql);
        if (markers.empty()) continue;
        ++parameterised;
        EXPECT_EQ(record.via, Sender::Query) << record.sql;
        for (const auto& marker : markers) {
            const std::string& value = ParameterValue(record.parameters, marker.name);
            EXPECT_EQ(record.sql.find(value), std::string::npos) << "the value travels apart: " << record.sql;
        }
    }
    EXPECT_EQ(parameterised, 1);

    // Group 2's name, exactly: ARABIC LETTER YEH, never the Persian form.
    const auto update = std::find_if(run.db.statements().begin(), run.db.statements().end(),
                                     [](const StatementRecord& r) { return !r.parameters.empty(); });
    ASSERT_NE(update, run.db.statements().end());
    EXPECT_EQ(update->parameters, (Parameters{{"p1", "\u0628\u064A\u0645\u0647 \u06AF\u0630\u0627\u0631"}}));
}

TEST(VeloraDocumentsLedgers, AnAccessDatabaseThatRefusesTheTsqlEndsTheRunWithItsMessage) {
    const std::string refusal =
        "[Microsoft][ODBC Microsoft Access Driver] Invalid SQL statement; expected 'DELETE', 'INSERT', "
        "'PROCEDURE', 'SELECT', or 'UPDATE'.";
    const struct {
        const char* part;
        std::vector<TableStep> (*steps)();
        const char* refusedFragment;  // what this Access database cannot take
        std::size_t failingStep;      // index in the part
    } cases[] = {
        {"documents", VeloraDocumentTableSteps, "sys.", 0},
        {"documents, statements through the query object", VeloraDocumentTableSteps, "DECLARE", 7},
        {"ledgers", VeloraLedgerTableSteps, "sys.", 0},
        {"ledgers, statements through the query object", VeloraLedgerTableSteps, "alter column SA", 1},
    };
    for (const auto& c : cases) {
        SimulatedRun run({}, DatabaseKind::Access);
        run.db.failStatementsContaining(c.refusedFragment, refusal);
        const auto steps = c.steps();
        try {
            RunSteps(steps, run);
            ADD_FAILURE() << c.part << ": the run did not end";
        } catch (const DatabaseError& e) {
            EXPECT_EQ(e.what(), refusal) << c.part;
        }
        // The failing step's table and columns stay; the bar does not move
        // for it and no later step runs.
        EXPECT_EQ(run.progress.overallGauge().position(), static_cast<int>(c.failingStep)) << c.part;
        EXPECT_EQ(run.schema.CurrentTableName(), steps[c.failingStep].table) << c.part;
        EXPECT_NE(run.db.statements().back().sql.find(c.refusedFragment), std::string::npos) << c.part;
        EXPECT_EQ(run.db.statements().back().error, refusal) << c.part;
    }
}

// The key-column statements as the product first sent them: each alters
// a column while a key or index depends on it, so a server refuses the first
// run (sudur, whose create makes SH_B the key) or every run after the first.
TEST(VeloraTables, KeyColumnStatementsInTheirFirstFormFailOnAKeyedServer) {
    const struct {
        std::string step;
        Strings statements;
        int failingRun;
        std::string message;
    } cases[] = {
        {"sudur", {"alter table sudur ALTER COLUMN SH_B  nvarchar(50) NOT NULL "}, 1,
         "The object 'pk__sudur' is dependent on column 'sh_b'."},
        {"A_GMSANDUQ",
         {"alter table A_GMSANDUQ alter column NA nvarchar(150)", "alter table A_GMSANDUQ ALTER COLUMN SH_R INT NOT NULL",
          "alter table A_GMSANDUQ ALTER COLUMN CA INT NOT NULL",
          "IF OBJECT_ID('PK_A_GMSANDUQ') IS NULL alter table A_GMSANDUQ add constraint PK_A_GMSANDUQ  primary key  "
          "(sh_r,ca)"},
         2, "The object 'pk_a_gmsanduq' is dependent on column 'sh_r'."},
        {"A_GHAVALEH",
         {"alter table A_GHAVALEH alter column NA nvarchar(150)", "alter table A_GHAVALEH ALTER COLUMN SH_R INT NOT NULL",
          "alter table A_GHAVALEH ALTER COLUMN CA INT NOT NULL", "alter table A_GHAVALEH ALTER COLUMN ID INT NOT NULL",
          "IF OBJECT_ID('PK_A_GHAVALEH') IS NOT NULL ALTER TABLE A_GHAVALEH DROP constraint PK_A_GHAVALEH; alter table "
          "A_GHAVALEH add constraint PK_A_GHAVALEH  primary key  (ID)",
          "if exists (select 1 from sys.indexes where name='UK_A_GHAVALEH' and object_id=object_id('A_GHAVALEH')) DROP "
          "INDEX  UK_A_GHAVALEH ON A_GHAVALEH",
          "if exists (select 1 from sys.indexes where name='Idx_Uniq_A_GHAVALEH' and object_id=object_id('A_GHAVALEH')) "
          "DROP INDEX  Idx_Uniq_A_GHAVALEH ON A_GHAVALEH",
          "CREATE UNIQUE NONCLUSTERED INDEX Idx_Uniq_A_GHAVALEH ON A_GHAVALEH (SH_R ASC,CA ASC)"},
         2, "The object 'idx_uniq_a_ghavaleh' is dependent on column 'sh_r'."},
        {"P_TBimeh_Wage_DT",
         {"update P_TBimeh_Wage_DT set Ins_com_cd=1 where Ins_com_cd is null ",
          "alter table P_TBimeh_Wage_DT alter column CB integer not null ",
          "alter table P_TBimeh_Wage_DT alter column Wage_Year nvarchar(50) not null ",
          "alter table P_TBimeh_Wage_DT alter column Ins_com_cd integer not null ",
          "IF OBJECT_ID('PK_TBimeh_Wage_DT') IS NOT NULL ALTER TABLE P_TBimeh_Wage_DT DROP CONSTRAINT  "
          "PK_TBimeh_Wage_DT ",
          "alter table P_TBimeh_Wage_DT add constraint PK_TBimeh_Wage_DT primary key (Ins_com_cd,CB,Wage_Year) "},
         2, "The object 'pk_tbimeh_wage_dt' is dependent on column 'cb'."},
    };
    for (const auto& c : cases) {
        auto steps = test::VeloraTableSteps();
        auto step = std::find_if(steps.begin(), steps.end(), [&](const TableStep& s) { return s.name == c.step; });
        ASSERT_NE(step, steps.end()) << c.step;
        step->statements.clear();
        for (const auto& text : c.statements) step->statements.push_back({.text = text});

        test::KeyedRun run;
        std::string refusal;
        int runs = 0;
        while (refusal.empty() && runs < 2) {
            refusal = run.runSteps(steps);
            ++runs;
        }
        EXPECT_EQ(runs, c.failingRun) << c.step;
        EXPECT_EQ(refusal, c.step + ": " + c.message);
    }
}

}  // namespace
}  // namespace orvel
