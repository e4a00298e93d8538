// The two output forms of recorded statements, and the logging decorator.
#include <gtest/gtest.h>

#include "schema/CatalogueSimulator.h"
#include "database/StatementLog.h"

namespace orvel {
namespace {

TEST(ToJsonLine, KeepsTheTextExactlyAndEscapesOnlyWhatJsonMust) {
    const StatementRecord beforeFirstStep{std::nullopt, Sender::Command, "drop table LOGIN", {}, std::nullopt};
    EXPECT_EQ(ToJsonLine(beforeFirstStep), R"({"step":null,"via":"command","sql":"drop table LOGIN"})" "\n");

    const StatementRecord query{"P_TTHESAB_I", Sender::Query, "update p_tthesab set ng=:p1 where cg=2",
                                {{"p1", "بيمه گذار"}}, std::nullopt};
    EXPECT_EQ(ToJsonLine(query),
              R"({"step":"P_TTHESAB_I","via":"query","sql":"update p_tthesab set ng=:p1 where cg=2","params":{"p1":"بيمه گذار"}})"
              "\n");

    const StatementRecord multiLine{"S", Sender::Command, "a\rb  \"c\"\\", {}, "rejected"};
    EXPECT_EQ(ToJsonLine(multiLine),
              R"({"step":"S","via":"command","sql":"a\rb  \"c\"\\","error":"rejected"})" "\n");
}

TEST(ToLogLine, AddsTheDurationAndMasksPasswords) {
    StatementRecord timed{"S", Sender::Command, "create table T(ID int)", {}, std::nullopt};
    timed.duration = std::chrono::microseconds(12345);
    EXPECT_EQ(ToLogLine(timed), R"j({"step":"S","via":"command","sql":"create table T(ID int)","ms":12.345})j" "\n");

    StatementRecord login{std::nullopt, Sender::Command, "ALTER LOGIN u WITH PASSWORD = 'x;y'", {},
                          "cannot use PWD={x;y}"};
    EXPECT_EQ(ToLogLine(login),
              R"j({"step":null,"via":"command","sql":"ALTER LOGIN u WITH PASSWORD = ***","error":"cannot use PWD=***","ms":0.0})j"
              "\n");
    EXPECT_EQ(ToJsonLine(login).find("***"), std::string::npos) << "plan's form stays exact";
}

TEST(ToSqlScript, WritesRunnableBatches) {
    const StatementRecord plain{"A_FASQ", Sender::Command, "line 1\rline 2", {}, std::nullopt};
    EXPECT_EQ(ToSqlScript(plain), "-- step A_FASQ\nline 1\nline 2\nGO\n");

    const StatementRecord query{"P_TTHESAB_I", Sender::Query, "update p_tthesab set ng=:p1 where cg=2",
                                {{"p1", "O'Brien"}}, std::nullopt};
    EXPECT_EQ(ToSqlScript(query),
              "-- step P_TTHESAB_I\nEXEC sp_executesql N'update p_tthesab set ng=@p1 where cg=2', "
              "N'@p1 nvarchar(max)', @p1 = N'O''Brien'\nGO\n");
}

TEST(LoggingDatabase, RecordsStepViaTextAndRejections) {
    CatalogueSimulator simulator;
    LoggingDatabase log(simulator);
    log.open("x");
    log.execute("create table dbo.T( ID  integer)");
    log.setCurrentStep("T_step");
    log.executeQuery("update T set ID=:v", {{"v", "1"}});
    EXPECT_THROW(log.execute("create table dbo.T( ID  integer)"), DatabaseError);

    ASSERT_EQ(log.records().size(), 3u);
    EXPECT_FALSE(log.records()[0].step.has_value());
    EXPECT_EQ(log.records()[1].step, "T_step");
    EXPECT_EQ(log.records()[1].via, Sender::Query);
    EXPECT_TRUE(log.records()[2].error.has_value());
}

TEST(LoggingDatabase, KeepingNothingStillHandsOnEveryRecord) {
    CatalogueSimulator simulator;
    LoggingDatabase log(simulator, LoggingDatabase::Keep::None);
    std::vector<StatementRecord> handed;
    log.onRecord = [&handed](const StatementRecord& record) { handed.push_back(record); };
    log.open("x");
    log.execute("create table dbo.T( ID  integer)");
    EXPECT_THROW(log.execute("create table dbo.T( ID  integer)"), DatabaseError);
    EXPECT_TRUE(log.records().empty());
    ASSERT_EQ(handed.size(), 2u);
    EXPECT_TRUE(handed[1].error.has_value());
}

}  // namespace
}  // namespace orvel
