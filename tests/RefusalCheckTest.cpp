// The check's reading of planned statements and the questions it derives:
// which rule each statement is asked under, given the table's columns and
// keys, following what earlier statements of the run did; and how answers
// become refusals with examples.
#include <gtest/gtest.h>

#include "upgrade/RunDriver.h"
#include "products/StepRegistry.h"
#include "schema/CatalogueSimulator.h"
#include "schema/Progress.h"
#include "check/RefusalCheck.h"

namespace orvel {
namespace {

// A table T(K int NOT NULL primary key PK_T, S nvarchar(20), F float,
// N int NULL, C nvarchar(30) in unique index UX_T_C) holding rows, and a table
// R whose column RT foreign key FK_R refers to nothing checked here.
CatalogueSnapshot StartCatalogue() {
    return {.tables = {{"T", {"K", "S", "F", "N", "C"}}, {"R", {"RK", "RT"}}}};
}

Metadata TablesHeld() {
    Metadata metadata;
    metadata.tables["t"] = {"T",
                     {{"K", "int", false}, {"S", "nvarchar(20)"}, {"F", "float"}, {"N", "int"}, {"C", "nvarchar(30)"}},
                     {{"PK_T", KeyFacts::PrimaryKey, {"K"}}, {"UX_T_C", KeyFacts::Index, {"C"}}}};
    metadata.tables["r"] = {"R", {{"RK", "int", false}, {"RT", "int"}}, {{"FK_R", KeyFacts::ForeignKey, {"RT"}}}};
    return metadata;
}

// "rule error" of every question (or catalogue refusal, or catalogue "not
// judged") of the last statement, in the order asked.  The database also
// holds a view V(A) and, of another kind, a procedure P.
std::vector<std::string> RulesOfLast(const std::vector<std::string>& statements) {
    std::vector<PlannedStatement> plan;
    for (const auto& sql : statements) plan.push_back({"step", sql});
    const PlannedChanges planned = ReadPlannedChanges(plan);
    CatalogueSnapshot start = StartCatalogue();
    start.views.push_back({"V", {"A"}});
    const CatalogueJudgement judged = JudgeCatalogue(planned, start, std::map<std::string, std::string>{{"p", "procedure"}});
    std::vector<std::string> rules;
    for (const auto& r : judged.refusals)
        if (r.statementIndex + 1 == statements.size()) rules.push_back(r.rule + " " + std::to_string(r.error));
    for (const auto& n : judged.notJudged)
        if (n.statementIndex + 1 == statements.size()) rules.push_back(n.rule + " not judged");
    for (const auto& q : DataQuestions(planned, judged, TablesHeld()))
        for (const auto& p : q.probes)
            if (planned.changes[p.change].index + 1 == statements.size())
                rules.push_back(p.rule + " " + std::to_string(p.error));
    return rules;
}

struct Case {
    std::vector<std::string> statements;  // the last one is the one asked about
    std::vector<std::string> rules;
};

TEST(RefusalCheck, EachStatementIsAskedUnderItsRulesFollowingTheRunBeforeIt) {
    const std::vector<Case> cases = {
        // Column type changes, by what the stored values must survive.
        {{"alter table T alter column S integer"}, {"conversion 245", "out-of-range 248"}},
        {{"ALTER TABLE [dbo].[T] ALTER COLUMN [S] float"}, {"conversion 8114", "out-of-range 8114"}},
        {{"ALTER TABLE T ALTER COLUMN S decimal(10,2)"}, {"conversion 8114", "out-of-range 8115"}},
        {{"ALTER TABLE T ALTER COLUMN S money"}, {"conversion 235", "out-of-range 8115"}},
        {{"ALTER TABLE T ALTER COLUMN S bigint"}, {"conversion 8114", "out-of-range 8114"}},
        {{"ALTER TABLE T ALTER COLUMN S datetime"}, {"conversion 0"}},
        {{"ALTER TABLE T ALTER COLUMN F decimal(5,2)"}, {"out-of-range 8115"}},
        {{"ALTER TABLE T ALTER COLUMN F real"}, {"out-of-range 8115"}},
        {{"ALTER TABLE T ALTER COLUMN F nvarchar(5)"}, {"out-of-range 8115"}},
        {{"ALTER TABLE T ALTER COLUMN N bigint"}, {}},
        {{"ALTER TABLE T ALTER COLUMN N smallint"}, {"out-of-range 8115"}},
        {{"ALTER TABLE T ALTER COLUMN N varchar(5)"}, {}},
        // A column whose family an earlier statement changed: its values then
        // are not the stored ones.
        {{"ALTER TABLE T ALTER COLUMN S int", "ALTER TABLE T ALTER COLUMN S smallint"}, {"changed-earlier 0"}},
        {{"ALTER TABLE T ALTER COLUMN S nvarchar(15)", "ALTER TABLE T ALTER COLUMN S nvarchar(10)"},
         {"too-long 8152"}},
        {{"ALTER TABLE T ALTER COLUMN S nvarchar(10)"}, {"too-long 8152"}},
        {{"ALTER TABLE T ALTER COLUMN S nvarchar(50)"}, {}},
        {{"ALTER TABLE T ALTER COLUMN F int"}, {"out-of-range 232"}},
        {{"ALTER TABLE T ALTER COLUMN N nvarchar(5)"}, {"out-of-range 8115"}},
        // NOT NULL over NULLs, unless an UPDATE of the run fills the column.
        {{"ALTER TABLE T ALTER COLUMN N int NOT NULL"}, {"not-null 515"}},
        {{"DECLARE @ID INT;SET @ID=0;UPDATE T SET @ID=N=@ID+1 WHERE N IS NULL;",
          "ALTER TABLE T ALTER COLUMN N int NOT NULL"},
         {}},
        // A column the run added holds NULL in every row.
        {{"ALTER TABLE T ADD Z int", "ALTER TABLE T ALTER COLUMN Z int NOT NULL"}, {"not-null 515"}},
        {{"ALTER TABLE T ADD Z int NOT NULL"}, {"not-null-added 4901"}},
        {{"ALTER TABLE T ADD Z int NOT NULL DEFAULT 0"}, {}},
        {{"DELETE FROM T", "ALTER TABLE T ADD Z int NOT NULL"}, {}},
        // Keys and indexes a column depends on, unless the run dropped them.
        {{"ALTER TABLE T ALTER COLUMN K bigint NOT NULL"}, {"depends-on-column 5074"}},
        {{"if object_id ('PK_T') is not null alter table T DROP CONSTRAINT PK_T",
          "ALTER TABLE T ALTER COLUMN K bigint NOT NULL"},
         {}},
        {{"ALTER TABLE T ALTER COLUMN C nvarchar(40)"}, {}},
        {{"ALTER TABLE T ALTER COLUMN C nvarchar(10)"}, {"depends-on-column 5074", "too-long 8152"}},
        {{"ALTER TABLE R ALTER COLUMN RT bigint"}, {"depends-on-column 5074"}},
        // Primary keys and unique indexes.
        {{"ALTER TABLE T ADD CONSTRAINT PK2 PRIMARY KEY (K)"}, {"second-primary-key 1779", "duplicate-key 1505"}},
        {{"alter table T DROP CONSTRAINT PK_T", "alter table T ADD CONSTRAINT PK_T2 PRIMARY KEY (S, N)"},
         {"nullable-key-column 8111", "nullable-key-column 8111", "duplicate-key 1505"}},
        {{"CREATE UNIQUE NONCLUSTERED INDEX UX ON T (S ASC, N ASC)"}, {"duplicate-key 1505"}},
        // A key over a column the run adds is asked with that column left out
        // (NULL in every row), never naming it before it exists.
        {{"ALTER TABLE T ADD Z int", "CREATE UNIQUE INDEX UZ ON T (S, Z)"}, {"duplicate-key 1505"}},
        {{"ALTER TABLE T ALTER COLUMN S int", "CREATE UNIQUE INDEX US ON T (S)"}, {"duplicate-key 1505"}},
        // Inserts of key values a key already holds, unless the run emptied the table.
        {{"insert into T values (1, N'x', 1.5, NULL, N'c')"}, {"duplicate-insert 2627"}},
        {{"insert into T (S) values (N'x')"}, {}},
        {{"DELETE FROM T", "insert into T values (1, N'x', 1.5, NULL, N'c')"}, {}},
        // Tables and columns the database lacks and the run does not make.
        {{"ALTER TABLE T ALTER COLUMN pursant_yuzda float"}, {"missing-column 4924"}},
        {{"ALTER TABLE T ADD pursant_yuzda int", "ALTER TABLE T ALTER COLUMN pursant_yuzda float"}, {}},
        {{"ALTER TABLE Missing ALTER COLUMN X int"}, {"missing-table 4902"}},
        {{"CREATE TABLE Missing (X int)", "ALTER TABLE Missing ALTER COLUMN X bigint"}, {}},
        {{"insert into Missing values (1)"}, {"missing-table 208"}},
        {{"insert into T (K, Nope) values (1, 2)"}, {"missing-column 207"}},
        {{"ALTER TABLE T ADD CONSTRAINT PK_T2 PRIMARY KEY (Nope)"}, {"missing-column 1911"}},
        // Objects of another kind where the run expects a table, and a table
        // where it expects a view.
        {{"ALTER TABLE V ADD B int"}, {"another-kind 2010"}},
        {{"ALTER TABLE V ALTER COLUMN A int"}, {"another-kind 2010"}},
        {{"drop table V"}, {"another-kind 3705"}},
        {{"IF OBJECT_ID('V') IS NOT NULL DROP TABLE V"}, {"another-kind 3705"}},
        {{"create table dbo.P (ID int)"}, {"another-kind 2714"}},
        {{"insert into P values (1)"}, {"another-kind 208"}},
        {{"insert into V values (1)"}, {"another-kind not judged"}},
        {{"IF OBJECT_ID('T') IS NOT NULL DROP VIEW T"}, {"another-kind 3705"}},
        {{"CREATE VIEW T AS SELECT 1 AS X"}, {"another-kind 2714"}},
        {{"IF OBJECT_ID('V') IS NOT NULL DROP VIEW V", "CREATE VIEW V AS SELECT 1 AS X"}, {}},
        // A guard decides on the server: nothing is predicted behind it.
        {{"IF NOT EXISTS (SELECT * FROM sys.columns WHERE name = 'S') ALTER TABLE T ALTER COLUMN S integer"}, {}},
        {{"if not exists (select * from T ) begin insert into T values(1,'a',1,NULL,'c'); "
          "insert into T values(2,'b',1,NULL,'d');end;"},
         {}},
    };
    for (const auto& c : cases) {
        std::string text;
        for (const auto& s : c.statements) text += s + "\n";
        EXPECT_EQ(RulesOfLast(c.statements), c.rules) << text;
    }
}

// A database that answers the check's reads from a script: the metadata
// batch first, then each table's batch.
class AnsweringDatabase : public CatalogueSimulator {
public:
    using CatalogueSimulator::CatalogueSimulator;
    std::vector<std::vector<ResultSet>> answers;
    std::vector<std::string> asked;

protected:
    std::vector<ResultSet> doReadResults(const std::string& sql) override {
        asked.push_back(sql);
        if (answers.empty()) return {};
        auto next = std::move(answers.front());
        answers.erase(answers.begin());
        return next;
    }
};

TEST(RefusalCheck, AnswersBecomeRefusalsWithRowsAndExamplesAndWarnings) {
    AnsweringDatabase db;
    db.open("x");
    db.answers.push_back({
        {{"name", "type"}, {}},
        {{"TABLE_NAME", "COLUMN_NAME", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH", "NUMERIC_PRECISION",
          "NUMERIC_SCALE", "IS_NULLABLE", "has_default"},
         {{"T", "K", "int", std::nullopt, "10", "0", "NO", "0"},
          {"T", "S", "nvarchar", "20", std::nullopt, std::nullopt, "YES", "0"},
          {"LOGIN", "ID", "int", std::nullopt, "10", "0", "YES", "0"}}},
        {{"TABLE_NAME", "CONSTRAINT_NAME", "CONSTRAINT_TYPE", "COLUMN_NAME"}, {{"T", "PK_T", "PRIMARY KEY", "K"}}},
        {{"table_name", "name", "column_name"}, {}},
        {{"table_name", "name", "is_unique", "column_name"}, {}},
    });
    // LOGIN's row count, then T's counts: the rows and those that are not
    // plainly whole numbers (one count for both questions of the column);
    // then for each question (no whole number, out of range) the rows
    // refused and the rows not judged; then the examples of each.
    db.answers.push_back({{{"row_count"}, {{"4"}}}});
    db.answers.push_back({{{"row_count", "c0"}, {{"7", "3"}}}});
    db.answers.push_back({{{"r0", "u0", "r1", "u1"}, {{"2", "1", "0", "0"}}}});
    db.answers.push_back({
        {{"K", "offending_value"}, {{"3", "بله"}, {"5", "x"}}},
        {{"K", "offending_value"}, {{"6", "+"}}},
    });
    const CatalogueSnapshot start{.tables = {{"T", {"K", "S"}}, {"LOGIN", {"ID"}}}};
    int reads = 0;
    const CheckReport report =
        CheckPlannedRun(db, "P", start,
                        {{std::nullopt, "DROP TABLE LOGIN"}, {"Setting_R", "alter table T alter column S integer"}},
                        std::nullopt, &reads);

    ASSERT_EQ(report.refusals.size(), 1u);
    const Refusal& r = report.refusals[0];
    EXPECT_EQ(r.step, "Setting_R");
    EXPECT_EQ(r.error, 245);
    EXPECT_EQ(r.rowsAtFault, 2);
    ASSERT_EQ(r.examples.size(), 2u);
    EXPECT_EQ(r.examples[0], (RowExample{{{"K", "3"}}, "بله"}));
    ASSERT_EQ(report.warnings.size(), 1u);
    EXPECT_EQ(report.warnings[0].rows, 4);
    ASSERT_EQ(report.notJudged.size(), 0u) << "a statement foreseen refused needs no word on what is not judged";
    EXPECT_EQ(reads, 5);  // the metadata, the counts of each table, T's full counts and its examples
    EXPECT_NE(db.asked[2].find("FROM [T]"), std::string::npos);
}

// A refused statement of a run is explained under the database's own
// message when the answers show why, and left as it was when they do not.
TEST(RefusalCheck, ARunsRefusedStatementIsExplainedUnderTheDatabasesMessageOnlyWhenTheRowsShowWhy) {
    const std::string refused = "alter table Setting alter column Auto_back  integer";
    for (const bool answered : {true, false}) {
        AnsweringDatabase db(CatalogueSnapshot{.tables = {{"Setting", {"shr", "Auto_back"}}}});
        db.failStatementsContaining(refused, "invalid input syntax for type integer");
        if (answered) {
            db.answers.push_back({
                {{"name", "type"}, {}},
                {{"TABLE_NAME", "COLUMN_NAME", "DATA_TYPE", "CHARACTER_MAXIMUM_LENGTH", "NUMERIC_PRECISION",
                  "NUMERIC_SCALE", "IS_NULLABLE", "has_default"},
                 {{"Setting", "shr", "int", std::nullopt, "10", "0", "YES", "0"},
                  {"Setting", "Auto_back", "nvarchar", "50", std::nullopt, std::nullopt, "YES", "0"}}},
            });
            db.answers.push_back({{{"row_count", "c0"}, {{"2", "1"}}}});
            db.answers.push_back({{{"r0", "u0", "r1", "u1"}, {{"1", "0", "0", "0"}}}});
            db.answers.push_back({{{"shr", "offending_value"}, {{"1", "yes"}}}});
        }
        FixedOptions options;
        SilentDisplay display;
        Progress progress(display);
        const StepRegistry registry = BuildStepRegistry();
        RunDriver driver(db, progress, registry, options);
        try {
            driver.RunWithConnectionText("Mornale", "x");
            ADD_FAILURE() << "the run did not stop";
        } catch (const DatabaseError& e) {
            const std::string message = e.what();
            EXPECT_TRUE(message.starts_with("invalid input syntax for type integer")) << message;
            if (answered)
                EXPECT_EQ(message.substr(message.find('\n') + 1),
                          "Why (error 245): values of Setting.Auto_back are no whole number, and this statement makes "
                          "it int; rows at fault: 1\n  shr=\"1\"  value \"yes\"\nWhat to do: Correct or empty these "
                          "values of Setting.Auto_back (UPDATE Setting SET Auto_back = ... WHERE ...), then check "
                          "again.");
            else
                EXPECT_EQ(message, "invalid input syntax for type integer");
        }
    }
}

// A database that is no SQL Server is asked nothing about its rows: the
// questions are T-SQL.  What the catalogue alone shows still counts.
TEST(RefusalCheck, ADatabaseThatIsNoSqlServerIsCheckedForMissingTablesAndColumnsOnly) {
    class AccessLike : public AnsweringDatabase {
    public:
        std::optional<ServerIdentity> serverIdentity() const override { return ServerIdentity{"ACCESS", "04.00"}; }
    } db;
    db.open("x");
    const CheckReport report = CheckPlannedRun(
        db, "P", StartCatalogue(),
        {{"a", "ALTER TABLE T ALTER COLUMN S integer"}, {"b", "ALTER TABLE T ALTER COLUMN Nope integer"}});
    EXPECT_TRUE(db.asked.empty());
    ASSERT_TRUE(report.rowsNotAsked);
    ASSERT_EQ(report.refusals.size(), 1u);
    EXPECT_EQ(report.refusals[0].error, 4924);
}

}  // namespace
}  // namespace orvel
