// Finding the `:name` markers of a query-object text.
#include <gtest/gtest.h>

#include "database/NamedParameters.h"

namespace orvel {
namespace {

TEST(FindParameterMarkers, SkipsLiteralsIdentifiersAndComments) {
    const struct {
        const char* sql;
        std::vector<std::string> names;
    } cases[] = {
        {"update p_tthesab set ng=:p1 where cg=2", {"p1"}},
        {"a=:P1 and b=:p_2", {"P1", "p_2"}},
        {"x=':p1' and [a:b]=\"c:d\"", {}},
        {"x=1 -- :p1\r and y=:p2", {"p2"}},
        {"/* :p1 */ y=:p2", {"p2"}},
        {"x = : p1", {}},
        {"x=a::b", {}},
        {"x=:p1@", {"p1"}},
        {"x='it''s :p1' and y=:p2", {"p2"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names;
        for (const auto& marker : FindParameterMarkers(c.sql)) names.push_back(marker.name);
        EXPECT_EQ(names, c.names) << c.sql;
    }
}

TEST(ReplaceParameterMarkers, ReplacesOnlyTheMarkers) {
    EXPECT_EQ(ReplaceParameterMarkers("set ng=:p1 where x=':p1'", [](const std::string&) { return "?"; }),
              "set ng=? where x=':p1'");
}

}  // namespace
}  // namespace orvel
