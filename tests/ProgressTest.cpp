// The bars' rules: clamping, maximum below position, whole percentages.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "schema/Progress.h"

namespace orvel {
namespace {

struct GaugeCase {
    const char* what;
    int maximum;
    int position;  // set after the maximum
    int advanceBy;
    int expectedPosition;
    int expectedPercent;
};

TEST(Gauge, KeepsPositionWithinRangeAndCutsPercentages) {
    const GaugeCase cases[] = {
        {"start values", 100, 0, 0, 0, 0},
        {"set above maximum becomes maximum", 10, 25, 0, 10, 100},
        {"negative position becomes 0", 10, -3, 0, 0, 0},
        {"advance stops at maximum", 3, 3, 1, 3, 100},
        {"fraction is cut off", 3, 1, 0, 1, 33},
        {"two thirds", 3, 2, 0, 2, 66},
        {"maximum 0 shows 0 %", 0, 5, 1, 0, 0},
        {"Velora's final 100 of 150", 150, 100, 0, 100, 66},
    };
    for (const auto& c : cases) {
        Gauge gauge;
        gauge.setMaximum(c.maximum);
        gauge.setPosition(c.position);
        gauge.advance(c.advanceBy);
        EXPECT_EQ(gauge.position(), c.expectedPosition) << c.what;
        EXPECT_EQ(gauge.percent(), c.expectedPercent) << c.what;
    }
}

TEST(Gauge, LoweringTheMaximumLowersThePosition) {
    Gauge gauge;
    gauge.setPosition(80);
    gauge.setMaximum(20);
    EXPECT_EQ(gauge.position(), 20);
    EXPECT_EQ(gauge.percent(), 100);
}

TEST(Progress, ForwardsEveryChangeToTheDisplay) {
    test::RecordingDisplay display;
    Progress progress(display);
    progress.showTableName("A_FASQ");
    progress.showFieldName("SH_ID");
    progress.resetTableGauge(4);
    progress.advanceTableGauge();
    progress.resetOverallGauge(0);
    progress.advanceOverallGauge();

    EXPECT_EQ(display.tableNames, std::vector<std::string>{"A_FASQ"});
    EXPECT_EQ(display.fieldNames, std::vector<std::string>{"SH_ID"});
    ASSERT_EQ(display.tableGauges.size(), 2u);
    EXPECT_EQ(display.tableGauges.back().percent(), 25);
    ASSERT_EQ(display.overallGauges.size(), 2u);
    EXPECT_EQ(display.overallGauges.back().percent(), 0);
}

}  // namespace
}  // namespace orvel
