// The insurance office's reference, SMS, commission and credit tables taken
// together: they stand in the run list in their order, a run of them can be
// repeated on a server that guards its keys, the Access kind still sends their
// T-SQL statements, and the texts sent carry the product's letters.
#include <gtest/gtest.h>

#include <regex>

#include "CatalogueRun.h"
#include "app/StepLists.h"
#include "catalogue/Catalogue.h"

namespace orvel {
namespace {

using namespace test;
using Strings = std::vector<std::string>;

std::vector<TableStep> laterTableSteps() {
    std::vector<TableStep> steps;
    for (auto part : {VeloraReferenceTableSteps, VeloraMessagingTableSteps, VeloraCommissionTableSteps})
        for (auto& step : part()) steps.push_back(std::move(step));
    return steps;
}

TEST(VeloraLaterTables, StandInTheRunListInTheirOrderFromPosition19To66) {
    std::vector<std::string_view> listed;
    for (const auto& entry : StepListFor("Velora"))
        if (!entry.isReconnectPoint()) listed.push_back(entry.step);
    std::vector<int> positions;
    for (const auto& step : laterTableSteps()) {
        const auto at = std::find(listed.begin(), listed.end(), step.name);
        ASSERT_NE(at, listed.end()) << step.name;
        positions.push_back(static_cast<int>(at - listed.begin()) + 1);
    }
    EXPECT_TRUE(std::is_sorted(positions.begin(), positions.end()));
    EXPECT_EQ(positions.front(), 19);
    EXPECT_EQ(positions.back(), 66);
}

// A server's rules about keys and indexes that the simulator does not keep:
// a column that a key or an index depends on cannot be altered (except that
// an index allows an (n)varchar or varbinary alter), a name is made only
// once, an unguarded drop needs its object, and a foreign key needs a
// primary or unique key on the column it refers to.  Keys and indexes are
// learnt from the statements that make and drop them.
class KeyedDatabase : public Database {
public:
    struct Dependency {
        std::string name, table;
        Strings columns;
        enum Kind { PrimaryKey, Unique, ForeignKey, Index } kind;
        bool operator==(const Dependency&) const = default;
    };

    explicit KeyedDatabase(CatalogueSimulator& inner) : inner_(inner) {}

    void open(const std::string& text) override { inner_.open(text); }
    void close() override { inner_.close(); }
    bool isOpen() const override { return inner_.isOpen(); }
    Strings tableNames() override { return inner_.tableNames(); }
    Strings columnNames(const std::string& table) override { return inner_.columnNames(table); }

    const std::vector<Dependency>& dependencies() const { return dependencies_; }

protected:
    void doExecute(const std::string& sql) override {
        const std::string text = Lower(sql);
        checkAlterColumn(text);
        learnKeysAndIndexes(text);
        std::smatch m;
        const bool creates = std::regex_search(text, m, kCreateTable) &&
                             !ContainsNameIgnoreCase(m[1].str(), inner_.tableNames());
        inner_.execute(sql);
        if (!creates) return;
        const auto columnList = text.find('(', static_cast<std::size_t>(m.position(0)));
        if (columnList != std::string::npos) learnCreate(m[1].str(), text.substr(columnList));
    }
    void doExecuteQuery(const std::string& sql, const Parameters& parameters) override {
        inner_.executeQuery(sql, parameters);
    }

private:
    static void reject(const std::string& message) { throw DatabaseError("SimulatedDatabaseError", message); }
    void checkAlterColumn(const std::string& text) const {
        std::smatch m;
        if (!std::regex_search(text, m, kAlterColumn)) return;
        const bool variableLength = std::regex_search(text, kVariableLengthType);
        for (const auto& d : dependencies_)
            if (d.table == m[1].str() && contains(d.columns, m[2].str()) &&
                !(d.kind == Dependency::Index && variableLength))
                reject("The object '" + d.name + "' is dependent on column '" + m[2].str() + "'.");
    }
    // Constraint and index statements never change the simulator's catalogue,
    // so they are judged before it sees them.
    void learnKeysAndIndexes(const std::string& text) {
        std::smatch m;
        if (std::regex_search(text, m, kAddConstraint)) {
            if (m[5].matched && !hasKey(m[5].str(), split(m[6].str())))
                reject("There are no primary or candidate keys in the referenced table '" + m[5].str() + "'.");
            makeOnce({m[2].str(), m[1].str(), split(m[4].str()), kindOf(m[3].str())});
        }
        if (std::regex_search(text, m, kCreateIndex))
            makeOnce({m[1].str(), m[2].str(), split(m[3].str()), Dependency::Index});
        if (std::regex_search(text, m, kDropConstraint) || std::regex_search(text, m, kDropIndex)) {
            const auto it = std::find_if(dependencies_.begin(), dependencies_.end(),
                                         [&](const Dependency& d) { return d.name == m[1].str(); });
            if (it != dependencies_.end())
                dependencies_.erase(it);
            else if (text.rfind("if", 0) != 0)
                reject("'" + m[1].str() + "' is not a constraint.");
        }
    }
    static bool contains(const Strings& names, const std::string& name) {
        return std::find(names.begin(), names.end(), name) != names.end();
    }
    static Strings split(const std::string& list) {
        Strings names;
        static const std::regex name(R"([a-z_0-9]+)");
        for (std::sregex_iterator it(list.begin(), list.end(), name), end; it != end; ++it)
            if (it->str() != "asc" && it->str() != "desc") names.push_back(it->str());
        return names;
    }
    static Dependency::Kind kindOf(const std::string& words) {
        if (words.rfind("primary", 0) == 0) return Dependency::PrimaryKey;
        if (words.rfind("foreign", 0) == 0) return Dependency::ForeignKey;
        return Dependency::Unique;
    }
    bool hasKey(const std::string& table, const Strings& columns) const {
        for (const auto& d : dependencies_)
            if (d.table == table && d.columns == columns &&
                (d.kind == Dependency::PrimaryKey || d.kind == Dependency::Unique))
                return true;
        return false;
    }
    void makeOnce(Dependency d) {
        for (const auto& existing : dependencies_) {
            if (existing.name == d.name) reject("There is already an object named '" + d.name + "' in the database.");
            if (d.kind == Dependency::PrimaryKey && existing.table == d.table && existing.kind == d.kind)
                reject("Table '" + d.table + "' already has a primary key defined on it.");
        }
        dependencies_.push_back(std::move(d));
    }
    // Keys declared in a create statement's column list: "primary key(...)"
    // items and columns declared primary key or unique.
    void learnCreate(const std::string& table, const std::string& list) {
        std::smatch m;
        if (std::regex_search(list, m, kTableKey))
            makeOnce({"pk__" + table, table, split(m[1].str()), Dependency::PrimaryKey});
        for (std::sregex_iterator it(list.begin(), list.end(), kColumnKey), end; it != end; ++it) {
            const std::string column = (*it)[1].str();
            const auto kind = kindOf((*it)[2].str());
            makeOnce({kind == Dependency::Unique ? "uq__" + table + "__" + column : "pk__" + table, table, {column},
                      kind});
        }
    }

    static inline const std::regex kAlterColumn{R"(alter table\s+(\w+)\s+alter column\s+\[?(\w+)\]?)"};
    static inline const std::regex kVariableLengthType{R"(alter column\s+\S+\s+(n?varchar|varbinary)\()"};
    static inline const std::regex kCreateTable{R"(create table\s+(?:dbo\.)?(\w+))"};
    static inline const std::regex kTableKey{R"([(,]\s*primary key\s*\(([^)]*)\))"};
    static inline const std::regex kColumnKey{R"([(,]\s*(\w+)\s[^,()]*?\b(primary key|unique)\b)"};
    static inline const std::regex kAddConstraint{
        R"(alter table\s+(\w+)\s+add constraint\s+(\w+)\s+(primary key|foreign key|unique)\s*\(([^)]*)\))"
        R"((?:\s*references\s+(\w+)\s*\(([^)]*)\))?)"};
    static inline const std::regex kCreateIndex{
        R"(create unique nonclustered index\s+(\w+)\s+on\s+(\w+)\s*\(([^)]*)\))"};
    static inline const std::regex kDropConstraint{R"(drop\s+constraint\s+(\w+))"};
    static inline const std::regex kDropIndex{R"(drop index\s+(\w+))"};

    CatalogueSimulator& inner_;
    std::vector<Dependency> dependencies_;
};

struct KeyedRun {
    KeyedRun() : keyed(db), progress(display), schema(keyed, progress, [] { return DatabaseKind::SqlServer; }) {
        keyed.open("test");
    }
    // Runs the statements; returns the 1-based index of the rejected one, 0 when all pass.
    int send(const Strings& statements) {
        for (std::size_t i = 0; i < statements.size(); ++i) {
            try {
                keyed.execute(statements[i]);
            } catch (const DatabaseError&) {
                return static_cast<int>(i + 1);
            }
        }
        return 0;
    }

    CatalogueSimulator db;
    KeyedDatabase keyed;
    SilentDisplay display;
    Progress progress;
    SchemaOperations schema;
};

TEST(KeyedDatabase, RejectsWhatAServerRejects) {
    const struct {
        const char* what;
        Strings statements;
        int rejected;
    } cases[] = {
        {"alter a primary-key column, even to what it is",
         {"create table dbo.T( ID  integer primary key)", "alter table T alter column ID integer"}, 2},
        {"alter a column of a key added later",
         {"create table dbo.T( A  integer not null)", "ALTER TABLE T ADD B integer",
          "alter table T add constraint PK_T primary key (A,B) ", "alter table T alter column B integer not null "},
         4},
        {"drop the key, alter, make the key again",
         {"create table dbo.T( A  integer not null)", "alter table T add constraint PK_T primary key (A) ",
          "IF OBJECT_ID('PK_T') IS NOT NULL ALTER TABLE T DROP CONSTRAINT  PK_T ",
          "alter table T alter column A integer not null ", "alter table T add constraint PK_T primary key (A) "},
         0},
        {"a second primary key", {"create table dbo.T( A  integer primary key)",
                                  "alter table T add constraint PK_T primary key (A) "}, 2},
        {"widen an indexed nvarchar",
         {"create table dbo.T( A  nvarchar(10))", "CREATE UNIQUE NONCLUSTERED INDEX IX_T ON T (A ASC) ",
          "alter table  T alter column [A] nvarchar(20)"}, 0},
        {"alter an indexed integer",
         {"create table dbo.T( A  integer)", "CREATE UNIQUE NONCLUSTERED INDEX IX_T ON T (A ASC) ",
          "alter table T alter column A integer not null"}, 3},
        {"an index made twice",
         {"create table dbo.T( A  integer)", "CREATE UNIQUE NONCLUSTERED INDEX IX_T ON T (A ASC) ",
          "CREATE UNIQUE NONCLUSTERED INDEX IX_T ON T (A ASC) "}, 3},
        {"a foreign key to a column without a key",
         {"create table dbo.P( A  integer)", "create table dbo.C( A  integer)",
          "alter table C add constraint FK_A foreign key (A) REFERENCES P(A) "}, 3},
        {"a foreign key to a unique column of an own create",
         {"create table dbo.P (K int not null unique, B int, primary key (B) )", "create table dbo.C( K  integer)",
          "alter table C add constraint FK_K foreign key (K) REFERENCES P(K) "}, 0},
        {"an unguarded drop of a missing key",
         {"create table dbo.T( A  integer)", "ALTER TABLE T DROP CONSTRAINT PK_T"}, 2},
    };
    for (const auto& c : cases) {
        KeyedRun run;
        EXPECT_EQ(run.send(c.statements), c.rejected) << c.what;
    }
}

TEST(VeloraLaterTables, RunTwiceOnTheSameServerAndKeepEveryKey) {
    const auto steps = laterTableSteps();
    KeyedRun run;
    for (const auto& step : steps) RunTableStep(step, run.schema);
    const auto firstKeys = run.keyed.dependencies();
    // The document kinds' table is dropped and made anew, so it moves to the
    // end of the table list: compare the tables by name.
    auto byName = [](CatalogueSnapshot snapshot) {
        std::sort(snapshot.tables.begin(), snapshot.tables.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        return snapshot;
    };
    const auto firstCatalogue = byName(run.db.catalogue());

    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        ASSERT_NO_THROW(RunTableStep(step, run.schema));
    }
    EXPECT_EQ(byName(run.db.catalogue()), firstCatalogue);
    auto sorted = [](std::vector<KeyedDatabase::Dependency> keys) {
        std::sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
        return keys;
    };
    EXPECT_EQ(sorted(run.keyed.dependencies()), sorted(firstKeys));

    // The commission key is rebuilt on its three columns.
    const auto key = std::find_if(firstKeys.begin(), firstKeys.end(),
                                  [](const auto& d) { return d.name == "pk_tbimeh_wage_dt"; });
    ASSERT_NE(key, firstKeys.end());
    EXPECT_EQ(key->columns, (Strings{"ins_com_cd", "cb", "wage_year"}));
}

TEST(VeloraLaterTables, AccessStillSendsTheTSqlStatements) {
    const auto steps = laterTableSteps();
    const CatalogueSnapshot upToDate = UpToDate(steps);

    SimulatedRun sqlServer(upToDate);
    RunInOrder(steps, sqlServer);
    SimulatedRun access(upToDate, DatabaseKind::Access);
    RunInOrder(steps, access);
    // Only the create of the document kinds' table differs: Access gets it
    // without a column list.
    Strings expected = sqlServer.sent();
    std::replace(expected.begin(), expected.end(), std::string("create table dbo.P_Sanad_Type( Sanad_CD  integer)"),
                 std::string("create table dbo.P_Sanad_Type"));
    EXPECT_EQ(access.sent(), expected);

    // An Access database rejects the first of them, the document kinds' drop,
    // and the run ends there with its message.
    SimulatedRun rejecting(upToDate, DatabaseKind::Access);
    const std::string message =
        "Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'.";
    rejecting.db.failStatementsContaining("IF OBJECT_ID", message);
    try {
        RunInOrder(steps, rejecting);
        FAIL() << "the run went on";
    } catch (const DatabaseError& e) {
        EXPECT_EQ(std::string(e.what()), message);
    }
    EXPECT_EQ(rejecting.sent(), Strings{sqlServer.sent().front()});
    EXPECT_EQ(rejecting.progress.overallGauge().position(), 15);
}

TEST(VeloraLaterTables, TextsSentCarryTheProductsLettersThroughTheCommandObject) {
    const auto steps = laterTableSteps();
    for (const auto& start : {CatalogueSnapshot{}, UpToDate(steps)}) {
        SimulatedRun run(start);
        RunInOrder(steps, run);
        for (const auto& s : run.db.statements()) {
            EXPECT_EQ(s.via, Sender::Command) << s.sql;
            EXPECT_EQ(s.sql.find("\xDB\x8C"), std::string::npos) << "FARSI YEH in " << s.sql;
            EXPECT_EQ(s.sql.find("\xD9\x83"), std::string::npos) << "ARABIC KAF in " << s.sql;
            EXPECT_EQ(s.sql.find("N'"), std::string::npos) << s.sql;
            EXPECT_EQ(s.sql.find('\n'), std::string::npos) << s.sql;
        }
    }
}

}  // namespace
}  // namespace orvel
