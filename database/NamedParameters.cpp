// Scanning a statement for `:name` markers, skipping literals and comments.
#include "database/NamedParameters.h"

#include <algorithm>
#include <cctype>

#include "database/NameMatching.h"
#include "database/SqlTokens.h"

namespace orvel {

namespace {

bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

}  // namespace

std::vector<ParameterMarker> FindParameterMarkers(std::string_view sql) {
    std::vector<ParameterMarker> markers;
    const auto tokens = TokenizeSql(sql);
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
        const SqlToken& colon = tokens[i];
        const SqlToken& next = tokens[i + 1];
        if (colon.kind != SqlToken::Punct || colon.text != ":" || next.kind != SqlToken::Word ||
            next.offset != colon.offset + 1)
            continue;
        // "::" (a static member call) is no marker.
        if (colon.offset > 0 && sql[colon.offset - 1] == ':') continue;
        const auto nameLength = static_cast<std::size_t>(
            std::find_if_not(next.text.begin(), next.text.end(), isNameChar) - next.text.begin());
        if (nameLength == 0) continue;
        markers.push_back({colon.offset, nameLength + 1, std::string(next.text.substr(0, nameLength))});
    }
    return markers;
}

const std::string& ParameterValue(const Parameters& parameters, const std::string& name) {
    for (const auto& parameter : parameters)
        if (ContainsNameIgnoreCase(name, {parameter.name})) return parameter.value;
    throw DatabaseError("ParameterError", "Parameter '" + name + "' not found");
}

}  // namespace orvel
