// The insurance-office table steps at the start of a run (documents, cheques
// and instalments; ledgers, policies, company and parties): their place in
// the step list, what they send on a new and on an up-to-date database and
// through which object, how a database that refuses T-SQL ends the run, and
// that no run, first or repeated, alters a column behind a live key or index.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>

#include "TestSupport.h"
#include "app/StepLists.h"
#include "catalogue/Catalogue.h"
#include "schema/NamedParameters.h"

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

// Follows the primary keys and indexes that statements create and drop, and
// reports every ALTER COLUMN sent while one of them depends on the column:
// the server rejects those (Msg 5074), even when the column would not
// change, so the run could never be repeated.  An ALTER COLUMN behind a
// sys.columns guard is sent only when the column differs from what it
// asks for, which a database this run has already brought up to date
// never does.
class KeyTracker {
public:
    void follow(const std::string& sql) {
        static const auto flags = std::regex::icase | std::regex::ECMAScript;
        static const std::regex createWithKey(R"(^create table dbo\.(\w+)\(\s*(\w+)\s.*primary key)", flags);
        static const std::regex addKey(R"(alter table (\w+) add constraint (\w+)\s+primary key\s*\(([^)]*)\))", flags);
        static const std::regex createIndex(
            R"(create (?:unique )?nonclustered index (\w+) on (\w+)\s*\(([^)]*)\)(?:\s*include\s*\(([^)]*)\))?)",
            flags);
        static const std::regex drop(R"(drop (?:constraint|index)\s+(\w+))", flags);
        static const std::regex alterColumn(R"(alter table (\w+) alter column (\[?\w+\]?))", flags);
        static const std::regex guarded(R"(^if not exists \(select 1 from sys\.columns )", flags);

        std::smatch m;
        if (std::regex_search(sql, m, createWithKey)) objects_["key of " + m.str(1)] = {m.str(1), {m.str(2)}};
        if (std::regex_search(sql, m, drop)) objects_.erase(lower(m.str(1)));
        if (std::regex_search(sql, m, addKey)) objects_[lower(m.str(2))] = {m.str(1), columns(m.str(3))};
        if (std::regex_search(sql, m, createIndex)) {
            Strings all = columns(m.str(3));
            for (auto& c : columns(m.str(4))) all.push_back(c);
            objects_[lower(m.str(1))] = {m.str(2), all};
        }
        if (std::regex_search(sql, m, alterColumn) && !std::regex_search(sql, guarded)) {
            const std::string column = ColumnTestName(m.str(2));
            for (const auto& [name, object] : objects_)
                if (ContainsNameIgnoreCase(m.str(1), {object.table}) && ContainsNameIgnoreCase(column, object.columns))
                    faults.push_back(name + " depends on the column: " + sql);
        }
    }

    Strings faults;

private:
    struct Object {
        std::string table;
        Strings columns;
    };
    static std::string lower(std::string s) {
        for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    }
    // "[SH_A] ASC,[SH_B] ASC" -> SH_A, SH_B
    static Strings columns(const std::string& list) {
        static const std::regex item(R"(\[?(\w+)\]?(?:\s+(?:asc|desc))?)", std::regex::icase);
        Strings result;
        for (std::sregex_iterator it(list.begin(), list.end(), item), end; it != end; ++it)
            result.push_back(it->str(1));
        return result;
    }
    std::map<std::string, Object> objects_;
};

TEST(VeloraDocumentsLedgers, KeyTrackerFindsAnAlterBehindALiveKeyOrIndex) {
    const struct {
        const char* what;
        Strings statements;
        bool fault;
    } cases[] = {
        {"key from the create",
         {"create table dbo.T( K  nvarchar(50) PRIMARY KEY)", "alter table T ALTER COLUMN K  nvarchar(50) NOT NULL "},
         true},
        {"named key",
         {"alter table T add constraint PK_T  primary key  (A,k)", "alter table t ALTER COLUMN K INT NOT NULL"},
         true},
        {"unique index",
         {"CREATE UNIQUE NONCLUSTERED INDEX I ON T (A ASC,B ASC)", "alter table T ALTER COLUMN B INT NOT NULL"},
         true},
        {"included column",
         {"CREATE NONCLUSTERED INDEX I ON T (A) INCLUDE ([C])", "alter table T alter column C nvarchar(9)"},
         true},
        {"key dropped first",
         {"alter table T add constraint PK_T primary key (K)",
          "IF OBJECT_ID('PK_T') IS NOT NULL ALTER TABLE T DROP constraint PK_T",
          "alter table T ALTER COLUMN K INT NOT NULL"},
         false},
        {"guarded alter",
         {"alter table T add constraint PK_T primary key (K)",
          "if not exists (select 1 from sys.columns where name='K' and object_id=object_id('T') and is_nullable=0) "
          "alter table T ALTER COLUMN K INT NOT NULL"},
         false},
        {"another column",
         {"alter table T add constraint PK_T primary key (K)", "alter table T alter column NA nvarchar(150)"},
         false},
        {"another table",
         {"alter table T add constraint PK_T primary key (K)", "alter table U alter column K int"},
         false},
    };
    for (const auto& c : cases) {
        KeyTracker tracker;
        for (const auto& sql : c.statements) tracker.follow(sql);
        EXPECT_EQ(!tracker.faults.empty(), c.fault) << c.what;
    }
}

TEST(VeloraDocumentsLedgers, NeitherTheFirstRunNorARepeatedOneAltersAColumnBehindALiveKey) {
    for (const auto& part : kParts) {
        SimulatedRun run;
        const auto steps = part.steps();
        RunSteps(steps, run);  // a new database
        RunSteps(steps, run);  // the same database, up to date
        KeyTracker tracker;
        for (const auto& record : run.db.statements()) tracker.follow(record.sql);
        EXPECT_EQ(tracker.faults, Strings{}) << part.name;
    }
}

}  // namespace
}  // namespace orvel
