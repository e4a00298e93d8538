// The windows' table where a front-end relies on it: radio group entries
// laid out in the group's reading direction, frames that exist, and
// pictures that the programs carry.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/WindowLayout.h"

namespace orvel {
namespace {

TEST(RadioGroupEntryRects, PutTheFirstEntryWhereTheGroupStartsReading) {
    const struct {
        ControlId group;
        int firstLeft, lastLeft;
    } cases[] = {
        // 689 wide, 7 entries: columns of 97 from 8, left to right.
        {ControlId::RadioGroup1, 8, 8 + 6 * 97},
        // 385 wide, 4 entries: columns of 93, the first on the right.
        {ControlId::RadioGroup2, 385 - 8 - 93, 385 - (8 + 3 * 93) - 93},
    };
    for (const auto& c : cases) {
        const auto rects = RadioGroupEntryRects(MainWindowTable().control(c.group), 16);
        ASSERT_FALSE(rects.empty());
        EXPECT_EQ(rects.front().left, c.firstLeft);
        EXPECT_EQ(rects.back().left, c.lastLeft);
        EXPECT_EQ(rects.front().top, 17) << "one line of the font, plus one";
    }
}

TEST(WindowTable, EveryControlStandsInAFrameAndShowsAPictureThatExist) {
    for (const WindowTable* window : {&MainWindowTable(), &QueryWindowTable()}) {
        for (const ControlEntry& control : window->controls) {
            if (control.frame) {
                EXPECT_EQ(window->control(*control.frame).kind, ControlKind::Frame) << control.name;
            }
            if (!control.picture.empty()) {
                const auto pictures = WindowPictures();
                EXPECT_NE(std::find(pictures.begin(), pictures.end(), control.picture), pictures.end())
                    << control.name << " shows " << control.picture;
            }
        }
        EXPECT_NO_THROW(window->control(window->initialFocus)) << window->name;
    }
}

TEST(WindowTable, PlacesControlsOfAFrameByTheFrame) {
    const WindowTable& window = MainWindowTable();
    EXPECT_EQ(window.clientRect(window.control(ControlId::RadioButton2)), (Rect{312 + 112, 126 + 51, 145, 17}));
    EXPECT_EQ(window.clientRect(window.control(ControlId::ProductIcon6)), (Rect{8 + 600, 8 + 25, 41, 35}));
}

}  // namespace
}  // namespace orvel
