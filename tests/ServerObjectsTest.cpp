// The object steps of the date functions, the status views and the ledger
// views as registered: their drops, create heads and bar movements; the text
// form of every object step; and the place of the date functions in the
// insurance-office list.
#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "TestSupport.h"
#include "products/StepLists.h"
#include "products/StepRegistry.h"
#include "products/serverobjects/ServerObjects.h"

namespace orvel {
namespace {

using Strings = std::vector<std::string>;

std::optional<ObjectStep> objectStep(std::string_view name) {
    for (auto& step : AllObjectSteps())
        if (step.name == name) return step;
    return std::nullopt;
}

TEST(ServerObjectSteps, SendTheirDropsAndCreateAndMoveTheBarsByTheirEffect) {
    const struct {
        const char* step;
        Strings drops;
        const char* head;
        GaugeEffect effect;
    } cases[] = {
        {"Fn_Milad2shamsi", {"IF OBJECT_ID('DBO.Fn_Miladi2shamsi') IS NOT NULL DROP FUNCTION DBO.Fn_Miladi2shamsi"},
         "CREATE FUNCTION [dbo].[Fn_Miladi2shamsi] (@InputDate datetime)", GaugeEffect::None},
        {"Fn_DayDiff", {"IF OBJECT_ID('DBO.Fn_DayDiff') IS NOT NULL DROP FUNCTION DBO.Fn_DayDiff"},
         "CREATE FUNCTION [dbo].[Fn_Daydiff] (@dateLess1 NCHAR(10), @dateUp2 NCHAR(10))", GaugeEffect::None},
        {"V_SUDUR_STS", {"IF OBJECT_ID('DBO.V_SUDUR_STS') IS NOT NULL DROP view DBO.V_SUDUR_STS"},
         "CREATE view [dbo].[V_SUDUR_STS]", GaugeEffect::None},
        {"V_AQSAT_STS", {"IF OBJECT_ID('V_AQSAT_STS') IS NOT NULL DROP VIEW V_AQSAT_STS"},
         "CREATE VIEW dbo.V_AQSAT_STS", GaugeEffect::TenUnit},
        {"V_Pursuant_Dt",
         {"IF OBJECT_ID('DBO.V_ISSUANCE_PERCENT_DT') IS NOT NULL DROP view DBO.V_ISSUANCE_PERCENT_DT",
          "IF OBJECT_ID('DBO.V_Pursuant_Dt') IS NOT NULL DROP view DBO.V_Pursuant_Dt"},
         "CREATE view dbo.V_Pursuant_Dt", GaugeEffect::None},
        {"V_Commission_Dt", {"IF OBJECT_ID('DBO.V_Commission_Dt') IS NOT NULL DROP view DBO.V_Commission_Dt"},
         "CREATE view [dbo].V_Commission_Dt", GaugeEffect::None},
        {"V_Settlement_Sts", {"IF OBJECT_ID('DBO.V_Settlement_Sts') IS NOT NULL DROP view DBO.V_Settlement_Sts"},
         "CREATE view dbo.V_Settlement_Sts", GaugeEffect::None},
        {"FN_Sudur_Reminder", {"IF OBJECT_ID('FN_Sudur_Reminder') IS NOT NULL DROP FUNCTION FN_Sudur_Reminder"},
         "create function dbo.FN_Sudur_Reminder (@sh_b nvarchar(50))", GaugeEffect::TenUnit},
        {"FN_Sudur_Reminder_Out",
         {"IF OBJECT_ID('FN_Sudur_Reminder_Out') IS NOT NULL DROP FUNCTION FN_Sudur_Reminder_Out"},
         "create function dbo.FN_Sudur_Reminder_Out (@sh_b nvarchar(50))", GaugeEffect::TenUnit},
    };
    const StepRegistry registry = BuildStepRegistry();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step);
        const auto* operation = registry.find(c.step);
        ASSERT_NE(operation, nullptr);
        // A view of the same name is there already: a repeated run replaces it.
        test::SimulatedRun run({{}, {{"V_SUDUR_STS", {"SH_B"}}, {"V_ISSUANCE_PERCENT_DT", {"X"}}}});
        run.progress.resetTableGauge(7);
        run.progress.advanceTableGauge(3);
        run.progress.resetOverallGauge(80);
        run.progress.advanceOverallGauge(5);
        const auto tableEvents = run.display.tableGauges.size();
        const auto overallEvents = run.display.overallGauges.size();

        (*operation)(run.schema);

        const Strings sent = run.sent();
        ASSERT_EQ(sent.size(), c.drops.size() + 1);
        EXPECT_EQ(Strings(sent.begin(), sent.end() - 1), c.drops);
        const std::string& create = sent.back();
        EXPECT_TRUE(create.starts_with(std::string(c.head) + "\r")) << create.substr(0, 120);
        EXPECT_EQ(create, objectStep(c.step)->create);
        if (c.effect == GaugeEffect::None) {
            EXPECT_EQ(run.progress.tableGauge().position(), 3);
            EXPECT_EQ(run.progress.tableGauge().maximum(), 7);
            EXPECT_EQ(run.progress.overallGauge().position(), 5);
            EXPECT_EQ(run.display.tableGauges.size(), tableEvents);
            EXPECT_EQ(run.display.overallGauges.size(), overallEvents);
        } else {
            EXPECT_EQ(c.effect, GaugeEffect::TenUnit);
            EXPECT_EQ(run.progress.tableGauge().position(), 10);
            EXPECT_EQ(run.progress.tableGauge().maximum(), 10);
            EXPECT_EQ(run.progress.overallGauge().position(), 6);
        }
        EXPECT_TRUE(run.display.tableNames.empty());
        EXPECT_TRUE(run.display.fieldNames.empty());
    }
}

// What every object's text must look like when it is sent.
TEST(ServerObjectSteps, TextsAreSentWithLoneCarriageReturnsAndThePersianLettersOfTheProduct) {
    const std::regex unicodeLiteral("(^|[^A-Za-z0-9_@#$])N'");
    for (const auto& step : AllObjectSteps()) {
        SCOPED_TRACE(step.name);
        Strings texts = step.drops;
        texts.push_back(step.create);
        for (const auto& text : texts) {
            EXPECT_EQ(text.find('\n'), std::string::npos);
            EXPECT_EQ(text.find("\xDB\x8C"), std::string::npos) << "FARSI YEH U+06CC";
            EXPECT_EQ(text.find("\xD9\x83"), std::string::npos) << "ARABIC KAF U+0643";
            EXPECT_FALSE(std::regex_search(text, unicodeLiteral)) << "N'...' literal";
        }
        EXPECT_NE(step.create.find('\r'), std::string::npos);
        // A line comment must end at a line break, or it would swallow the
        // rest of the text.
        for (auto at = step.create.find("--"); at != std::string::npos; at = step.create.find("--", at + 2))
            EXPECT_NE(step.create.find('\r', at), std::string::npos) << step.create.substr(at, 60);
    }
}

TEST(ServerObjectSteps, LedgerViewsShareTheirColumnsAndSetDebtTransfersApart) {
    const std::string before = "\r--***********dont calculate in pursuant********\r";
    const std::string after = "\r--*******************\r";
    const std::string debtTransfer = ", 17, 'انتقال بدهي'";
    test::SimulatedRun run;
    for (const char* name : {"V_Pursuant_Dt", "V_Settlement_Sts", "V_Commission_Dt", "V_SUDUR_STS"})
        RunObjectStep(*objectStep(name), run.schema);
    const auto& views = run.db.catalogue().views;
    ASSERT_EQ(views.size(), 4u);
    EXPECT_EQ(views[0].columns.size(), 18u);
    EXPECT_EQ(views[1].columns, views[0].columns);
    EXPECT_EQ(views[2].columns, views[0].columns);
    EXPECT_EQ(views[3].columns.size(), 37u);

    for (const char* name : {"V_Pursuant_Dt", "V_Settlement_Sts"}) {
        SCOPED_TRACE(name);
        const std::string text = objectStep(name)->create;
        const auto open = text.find(before), member = text.find(debtTransfer), close = text.find(after);
        ASSERT_NE(open, std::string::npos);
        ASSERT_NE(member, std::string::npos);
        ASSERT_NE(close, std::string::npos);
        EXPECT_LT(open, member);
        EXPECT_LT(member, close);
        EXPECT_EQ(text.find("SELECT", close), std::string::npos) << "the debt transfers are the last member";
    }
    const std::string payments = objectStep("V_Commission_Dt")->create;
    EXPECT_EQ(payments.find("انتقال بدهي"), std::string::npos);
    EXPECT_EQ(payments.find("--"), std::string::npos);
}

// A view is created only when the functions it calls exist, so a database
// that has never held them would stop every run at the first such view.
TEST(ServerObjectSteps, DateFunctionsAreInstalledBeforeEveryObjectThatCallsThem) {
    const auto list = StepListFor("Velora");
    auto position = [&](std::string_view step) {
        return std::find_if(list.begin(), list.end(), [&](const StepListEntry& e) { return e.step == step; }) -
               list.begin();
    };
    const struct {
        const char* step;
        const char* call;
    } functions[] = {{"Fn_Milad2shamsi", "Fn_Miladi2shamsi("}, {"Fn_DayDiff", "Fn_Daydiff("}};
    auto lower = [](std::string text) {
        std::transform(text.begin(), text.end(), text.begin(),
                       [](unsigned char c) { return c < 0x80 ? static_cast<char>(std::tolower(c)) : c; });
        return text;
    };
    int callers = 0;
    for (const auto& step : AllObjectSteps()) {
        for (const auto& f : functions) {
            if (step.name == f.step || lower(step.create).find(lower(f.call)) == std::string::npos) continue;
            ++callers;
            EXPECT_LT(position(f.step), position(step.name)) << step.name << " calls " << f.call;
        }
    }
    EXPECT_GE(callers, 2);  // V_AQSAT_STS and V_Pursuant_Dt at least
}

}  // namespace
}  // namespace orvel
