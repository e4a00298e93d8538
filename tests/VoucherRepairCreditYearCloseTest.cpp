// The object steps of the voucher and advantage functions, the repair and
// custom-field procedures, the credit line with its triggers and the year
// close: what each step sends and does to the bars, and the properties of
// their texts that can be checked without a server (line breaks, literals,
// drop and create naming one object, set-based triggers, cursors released on
// every path, the renewal description fitting its column).
#include <gtest/gtest.h>

#include <regex>

#include "TestSupport.h"
#include "products/serverobjects/ServerObjects.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

std::vector<ObjectStep> stepsUnderTest() {
    std::vector<ObjectStep> all;
    for (auto group : {VoucherFunctionSteps, RepairProcedureSteps, CreditLineSteps, YearCloseSteps})
        for (auto& step : group()) all.push_back(std::move(step));
    return all;
}

ObjectStep stepNamed(const std::string& name) {
    for (auto& step : stepsUnderTest())
        if (step.name == name) return step;
    ADD_FAILURE() << "no object step named " << name;
    return {};
}

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\r')); }

bool contains(const std::string& text, const std::string& pattern) {
    return std::regex_search(text, std::regex(pattern, std::regex::icase));
}

// The text after the first match of `pattern`; empty when there is none.
std::string after(const std::string& text, const std::string& pattern) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(pattern, std::regex::icase))) return {};
    return m.suffix();
}

const struct StepCase {
    const char* name;
    Strings drops;
    GaugeEffect effect;
    const char* firstLine;
} kCases[] = {
    {"BtnF_DOSYA_ARASHTIR",
     {"IF OBJECT_ID('DBO.DOSYA_ARASHTIR') IS NOT NULL DROP FUNCTION DBO.DOSYA_ARASHTIR"},
     GaugeEffect::None, "CREATE FUNCTION DBO.[Dosya_Arashtir]"},
    {"FN_Advantage_Cost",
     {"IF OBJECT_ID('DBO.FN_Advantage_Cost') IS NOT NULL DROP FUNCTION DBO.FN_Advantage_Cost"},
     GaugeEffect::None, "CREATE FUNCTION [dbo].[FN_Advantage_Cost]"},
    {"SP_RECONFIG_ORVEL",
     {"IF OBJECT_ID('DBO.SP_RECONFIG_ORVEL') IS NOT NULL DROP  PROCEDURE DBO.SP_RECONFIG_ORVEL"},
     GaugeEffect::PlusOne, "create PROCEDURE [dbo].[SP_Reconfig_Orvel] AS BEGIN"},
    {"SP_FieldData",
     {"IF OBJECT_ID('SP_FieldData') IS NOT NULL DROP procedure SP_FieldData"},
     GaugeEffect::TenUnit, "Create Procedure dbo.SP_FieldData  AS BEGIN"},
    {"V_Credit_Cash_sts",
     {"IF OBJECT_ID('V_Credit_Cash_sts') IS NOT NULL DROP VIEW V_Credit_Cash_sts"},
     GaugeEffect::TenUnit, "CREATE VIEW dbo.V_Credit_Cash_sts AS"},
    {"TRG_AF_SUDUR_DEL",
     {"IF OBJECT_ID('TRG_AF_SUDUR_DEL') IS NOT NULL DROP TRIGGER TRG_AF_SUDUR_DEL"},
     GaugeEffect::TenUnit, "CREATE TRIGGER TRG_AF_SUDUR_DEL ON SUDUR  AFTER DELETE  AS BEGIN"},
    {"TRG_AF_SUDUR_INS",
     {"IF OBJECT_ID('TRG_AF_SUDUR_INS') IS NOT NULL DROP TRIGGER TRG_AF_SUDUR_INS"},
     GaugeEffect::TenUnit, "CREATE TRIGGER TRG_AF_SUDUR_INS ON SUDUR  AFTER INSERT  AS BEGIN"},
    {"SP_FinancialYearClose",
     {"IF OBJECT_ID('DBO.SP_FinancialYearClose') IS NOT NULL DROP procedure DBO.SP_FinancialYearClose"},
     GaugeEffect::None,
     "Create Procedure [dbo].[SP_FinancialYearClose] (@KeepValidInsurance bit) as begin"},
    {"FN_Last_Reminder",
     {"IF OBJECT_ID('DBO.FN_Last_Reminder') IS NOT NULL DROP FUNCTION DBO.FN_Last_Reminder"},
     GaugeEffect::None, "CREATE FUNCTION [dbo].[FN_Last_Reminder]"},
};

TEST(ObjectStepsOfTheseGroups, AreExactlyTheStepsListedHere) {
    Strings names;
    for (const auto& step : stepsUnderTest()) names.push_back(step.name);
    Strings expected;
    for (const auto& c : kCases) expected.push_back(c.name);
    EXPECT_EQ(names, expected);
}

TEST(ObjectStepsOfTheseGroups, SendDropsThenCreateThroughTheCommandObject) {
    for (const auto& c : kCases) {
        const ObjectStep step = stepNamed(c.name);
        EXPECT_EQ(step.drops, c.drops) << c.name;

        test::SimulatedRun run;
        RunObjectStep(step, run.schema);
        Strings expected = c.drops;
        expected.push_back(step.create);
        EXPECT_EQ(run.sent(), expected) << c.name;
        for (const auto& record : run.db.statements()) EXPECT_EQ(record.via, Sender::Command) << c.name;
    }
}

TEST(ObjectStepsOfTheseGroups, MoveTheBarsByTheirGaugeEffectAndLeaveTheLabels) {
    struct Bars {
        int tableMaximum, tablePosition, overallMaximum, overallPosition;
    };
    // Bars before every step: table 2 of 5, overall 3 of 20.
    auto expectedAfter = [](GaugeEffect effect) -> Bars {
        switch (effect) {
            case GaugeEffect::None: return {5, 2, 20, 3};
            case GaugeEffect::PlusOne: return {5, 3, 20, 4};
            case GaugeEffect::TenUnit: return {10, 10, 20, 4};
        }
        return {};
    };
    for (const auto& c : kCases) {
        test::SimulatedRun run;
        run.progress.resetTableGauge(5);
        run.progress.advanceTableGauge(2);
        run.progress.resetOverallGauge(20);
        run.progress.advanceOverallGauge(3);

        RunObjectStep(stepNamed(c.name), run.schema);

        const Bars want = expectedAfter(c.effect);
        EXPECT_EQ(run.progress.tableGauge().maximum(), want.tableMaximum) << c.name;
        EXPECT_EQ(run.progress.tableGauge().position(), want.tablePosition) << c.name;
        EXPECT_EQ(run.progress.overallGauge().maximum(), want.overallMaximum) << c.name;
        EXPECT_EQ(run.progress.overallGauge().position(), want.overallPosition) << c.name;
        EXPECT_TRUE(run.display.tableNames.empty()) << c.name;
        EXPECT_TRUE(run.display.fieldNames.empty()) << c.name;
    }
}

TEST(ObjectStepsOfTheseGroups, TenUnitStepsEmptyTheTableBarBeforeTheirStatements) {
    for (const auto& c : kCases) {
        if (c.effect != GaugeEffect::TenUnit) continue;
        test::SimulatedRun run;
        run.progress.resetTableGauge(5);
        run.progress.advanceTableGauge(5);
        const ObjectStep step = stepNamed(c.name);
        run.db.failStatement(static_cast<int>(step.drops.size()) + 1, "Msg 102: Incorrect syntax");
        EXPECT_THROW(RunObjectStep(step, run.schema), DatabaseError) << c.name;
        EXPECT_EQ(run.progress.tableGauge().maximum(), 10) << c.name;
        EXPECT_EQ(run.progress.tableGauge().position(), 0) << c.name;
        EXPECT_EQ(run.progress.overallGauge().position(), 0) << c.name;
    }
}

TEST(ObjectStepsOfTheseGroups, CreateOpensWithItsHeadAndSeparatesLinesByLoneCarriageReturns) {
    for (const auto& c : kCases) {
        const std::string create = stepNamed(c.name).create;
        EXPECT_EQ(firstLine(create), c.firstLine) << c.name;
        EXPECT_EQ(create.find('\n'), std::string::npos) << c.name;
        EXPECT_NE(create.find('\r'), std::string::npos) << c.name;
        EXPECT_NE(create.back(), '\r') << c.name;
        for (const auto& drop : stepNamed(c.name).drops) {
            EXPECT_EQ(drop.find('\r'), std::string::npos) << c.name;
            EXPECT_EQ(drop.find('\n'), std::string::npos) << c.name;
        }
    }
}

// The drop refers to the object the create makes (the server compares names
// ignoring case; schema and brackets aside), and by the same kind.
TEST(ObjectStepsOfTheseGroups, DropAndCreateNameTheSameObject) {
    const std::regex dropped(R"(DROP\s+(\w+)\s+(?:DBO\.)?(\w+)\s*$)", std::regex::icase);
    const std::regex created(R"(^CREATE\s+(\w+)\s+(?:\[?dbo\]?\.)?\[?(\w+)\]?)", std::regex::icase);
    auto upper = [](std::string s) {
        for (auto& ch : s) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        return s;
    };
    for (const auto& step : stepsUnderTest()) {
        std::smatch d, k;
        ASSERT_TRUE(std::regex_search(step.drops.back(), d, dropped)) << step.name;
        const std::string create = step.create;
        ASSERT_TRUE(std::regex_search(create, k, created)) << step.name;
        EXPECT_EQ(upper(d[1]), upper(k[1])) << step.name;
        EXPECT_EQ(upper(d[2]), upper(k[2])) << step.name;
    }
}

TEST(ObjectStepsOfTheseGroups, LiteralsCarryNoUnicodePrefixAndTheProductsPersianLetters) {
    const std::regex unicodePrefix(R"((^|[^\w@#])N')");
    for (const auto& step : stepsUnderTest()) {
        Strings texts = step.drops;
        texts.push_back(step.create);
        for (const auto& text : texts) {
            EXPECT_FALSE(std::regex_search(text, unicodePrefix)) << step.name;
            EXPECT_EQ(text.find("\u06CC"), std::string::npos) << step.name << ": FARSI YEH instead of YEH";
            EXPECT_EQ(text.find("\u0643"), std::string::npos) << step.name << ": ARABIC KAF instead of KEHEH";
        }
    }
}

// A trigger fires once per statement: no variable may hold "the" inserted or
// deleted row, or a statement of several policies records only one of them
// (insert) or is rejected whole (delete).
TEST(SudurTriggers, WorkOnTheWholeSetOfRows) {
    const struct {
        const char* step;
        const char* pseudoTable;
    } triggers[] = {{"TRG_AF_SUDUR_INS", "inserted"}, {"TRG_AF_SUDUR_DEL", "deleted"}};
    for (const auto& t : triggers) {
        const std::string create = stepNamed(t.step).create;
        EXPECT_EQ(create.find('@'), std::string::npos) << t.step << " uses a variable";
        EXPECT_TRUE(contains(create, std::string(R"(FROM\s+)") + t.pseudoTable + R"(\b)")) << t.step;
        EXPECT_FALSE(contains(create, R"(=\s*\(\s*SELECT)")) << t.step << " compares with a single-valued subquery";
    }
}

// Every cursor a text declares is closed and released after it on the
// normal path (before any error handler).
TEST(ObjectStepsOfTheseGroups, EveryDeclaredCursorIsClosedAndReleased) {
    const std::regex declared(R"(DECLARE\s+(\w+)\s+CURSOR)", std::regex::icase);
    const std::regex handler(R"(BEGIN\s+CATCH)", std::regex::icase);
    for (const auto& step : stepsUnderTest()) {
        const std::string create = step.create;
        for (std::sregex_iterator it(create.begin(), create.end(), declared), end; it != end; ++it) {
            const std::string name = (*it)[1];
            std::string rest = it->suffix();
            std::smatch m;
            if (std::regex_search(rest, m, handler)) rest.resize(static_cast<std::size_t>(m.position(0)));
            EXPECT_TRUE(contains(rest, R"(CLOSE\s+)" + name + R"(\b)")) << step.name << ": " << name;
            EXPECT_TRUE(contains(rest, R"(DEALLOCATE\s+)" + name + R"(\b)")) << step.name << ": " << name;
        }
    }
}

// On the error path the year close releases each of its cursors before the
// rollback, then reports "not ok" and raises nothing.
TEST(FinancialYearClose, ErrorPathReleasesEveryCursorBeforeTheRollback) {
    const std::string create = stepNamed("SP_FinancialYearClose").create;
    const std::string handler = after(create, R"(BEGIN\s+CATCH)");
    ASSERT_FALSE(handler.empty());
    const auto rollback = handler.find("ROLLBACK");
    ASSERT_NE(rollback, std::string::npos);
    const std::string beforeRollback = handler.substr(0, rollback);

    const std::regex declared(R"(DECLARE\s+(\w+)\s+CURSOR)", std::regex::icase);
    int cursors = 0;
    for (std::sregex_iterator it(create.begin(), create.end(), declared), end; it != end; ++it, ++cursors) {
        const std::string name = (*it)[1];
        EXPECT_TRUE(contains(beforeRollback, R"(CLOSE\s+)" + name + R"(\b)")) << name;
        EXPECT_TRUE(contains(beforeRollback, R"(DEALLOCATE\s+)" + name + R"(\b)")) << name;
    }
    EXPECT_EQ(cursors, 4);

    EXPECT_NE(handler.find("PRINT 'not ok'", rollback), std::string::npos);
    EXPECT_FALSE(contains(handler, R"(\b(THROW|RAISERROR)\b)"));
}

// The renewal description is cut to the width the procedure gives
// P_TASK.SHARH, so a long one cannot make the whole close fail.
TEST(FinancialYearClose, RenewalDescriptionFitsTheWidenedColumn) {
    const std::string create = stepNamed("SP_FinancialYearClose").create;
    std::smatch width;
    ASSERT_TRUE(std::regex_search(create, width,
                                  std::regex(R"(ALTER TABLE P_TASK ALTER COLUMN SHARH NVARCHAR\((\d+)\))")));
    const std::string inserted = after(create, R"(INSERT INTO P_Task \(ID, SHARH,[^)]*\)\s*VALUES\s*\(@Task_ID,\s*)");
    ASSERT_FALSE(inserted.empty());
    EXPECT_EQ(inserted.rfind("LEFT(@SHARH, " + width[1].str() + ")", 0), 0u) << inserted.substr(0, 40);
}

}  // namespace
}  // namespace orvel
