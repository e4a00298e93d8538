// Scanning a statement for `:name` markers, skipping literals and comments.
#include "schema/NamedParameters.h"

#include <cctype>

#include "schema/SchemaOperations.h"

namespace orvel {

namespace {

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

std::vector<ParameterMarker> FindParameterMarkers(std::string_view sql) {
    std::vector<ParameterMarker> markers;
    std::size_t i = 0;
    const std::size_t n = sql.size();
    while (i < n) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '[') {
            // Quoted literal or identifier; a doubled closing quote stays inside.
            const char close = c == '[' ? ']' : c;
            for (++i; i < n; ++i) {
                if (sql[i] != close) continue;
                if (i + 1 < n && sql[i + 1] == close) { ++i; continue; }
                break;
            }
            ++i;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\r' && sql[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            auto end = sql.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
        } else if (c == ':' && i + 1 < n && isNameChar(sql[i + 1]) && (i == 0 || sql[i - 1] != ':')) {
            std::size_t end = i + 1;
            while (end < n && isNameChar(sql[end])) ++end;
            markers.push_back({i, end - i, std::string(sql.substr(i + 1, end - i - 1))});
            i = end;
        } else {
            ++i;
        }
    }
    return markers;
}

const std::string& ParameterValue(const Parameters& parameters, const std::string& name) {
    for (const auto& parameter : parameters)
        if (ContainsNameIgnoreCase(name, {parameter.name})) return parameter.value;
    throw DatabaseError("ParameterError", "Parameter '" + name + "' not found");
}

}  // namespace orvel
