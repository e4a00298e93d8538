// The texts errors become: the ErrorBox full stop and the query window form;
// the direction a message box lays a text out in.
#include <gtest/gtest.h>

#include "upgrade/MessageBoxes.h"
#include "upgrade/Messages.h"

namespace orvel {
namespace {

TEST(ErrorBoxText, AppendsAFullStopOnlyAfterCharactersAboveIt) {
    const struct {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Invalid column name CK", "Invalid column name CK."},
        {"Invalid object name 'X'", "Invalid object name 'X'"},
        {"Already ends.", "Already ends."},
        {"ends with a comma,", "ends with a comma,"},
        {"ends with a blank ", "ends with a blank "},
        {"ends with a hyphen-", "ends with a hyphen-"},
        {"(parenthesis)", "(parenthesis)"},
        {"exclamation!", "exclamation!"},
        {"slash/", "slash/."},
        {"digit 7", "digit 7."},
        {"line break\r", "line break\r"},
        {"", ""},
        {"پيام فارسي", "پيام فارسي."},
    };
    for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

TEST(QueryErrorText, SeparatesClassAndMessageByALoneCarriageReturn) {
    EXPECT_EQ(QueryErrorText("OdbcError", "[SQLite]near \"SELEC\": syntax error (1)"),
              "Error class: OdbcError\rError message: [SQLite]near \"SELEC\": syntax error (1)");
}

TEST(ReadsRightToLeft, FollowsTheFirstLetter) {
    const struct {
        const char* text;
        bool rightToLeft;
    } cases[] = {
        {"عمليات ارتقاء با موفقيت پايان پذيرفت", true},
        {".دستور مورد نظر با موفقيت اجرا گرديد", true},  // punctuation first
        {"۱۲ جدول", true},                               // Persian digits are no letters
        {"[SQLite]unknown database dbo (1)", false},
        {"Error class: OdbcError\rError message: خطا", false},
        {"2008 SQL", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(ReadsRightToLeft(c.text), c.rightToLeft) << c.text;
}

}  // namespace
}  // namespace orvel
