// The `:name` markers of a query-object text.
//
// A colon followed by a name (letters, digits, "_") outside quoted literals
// and comments is a named parameter.  The ODBC adapter binds them as "?"
// markers; a review script shows them as T-SQL variables.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "database/Database.h"

namespace orvel {

struct ParameterMarker {
    std::size_t offset;  // of the colon
    std::size_t length;  // colon and name
    std::string name;
};

std::vector<ParameterMarker> FindParameterMarkers(std::string_view sql);

// The text with every marker replaced by `replacement(name)`.
template <typename Replacement>
std::string ReplaceParameterMarkers(std::string_view sql, Replacement replacement) {
    std::string result;
    std::size_t from = 0;
    for (const auto& marker : FindParameterMarkers(sql)) {
        result.append(sql.substr(from, marker.offset - from));
        result += replacement(marker.name);
        from = marker.offset + marker.length;
    }
    result.append(sql.substr(from));
    return result;
}

// The value bound to `name` (names compare ignoring ASCII case); throws
// DatabaseError when the text uses a parameter that was not given.
const std::string& ParameterValue(const Parameters& parameters, const std::string& name);

}  // namespace orvel
