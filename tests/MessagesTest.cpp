// The texts errors become: the ErrorBox full stop and the query window form.
#include <gtest/gtest.h>

#include "app/Messages.h"

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

}  // namespace
}  // namespace orvel
