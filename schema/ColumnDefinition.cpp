// Reading a column definition into the type the server gives the column.
#include "schema/ColumnDefinition.h"

#include <algorithm>
#include <array>
#include <vector>

#include "database/NameMatching.h"
#include "database/SqlTokens.h"

namespace orvel {

namespace {

bool isPunct(const SqlToken& token, char c) { return token.kind == SqlToken::Punct && token.text[0] == c; }

bool hasLength(std::string_view base) {
    static constexpr std::array<std::string_view, 6> kTypes = {"char", "varchar", "nchar", "nvarchar", "binary",
                                                               "varbinary"};
    return std::find(kTypes.begin(), kTypes.end(), base) != kTypes.end();
}

}  // namespace

std::optional<DeclaredColumn> ReadColumnDefinition(std::string_view definition) {
    const std::vector<SqlToken> tokens = TokenizeSql(definition);
    if (tokens.empty() || tokens[0].kind == SqlToken::Punct || IsKeyword(tokens[0], "AS")) return std::nullopt;
    std::string base = FoldAsciiCase(tokens[0].text);
    if (base.size() >= 2 && base.front() == '[' && base.back() == ']') base = base.substr(1, base.size() - 2);
    std::size_t i = 1;
    if (base == "double" && i < tokens.size() && IsKeyword(tokens[i], "PRECISION")) {
        base = "float";
        ++i;
    }
    if (base == "integer") base = "int";
    if (base == "dec") base = "decimal";

    // The arguments in parentheses, lower case, without blanks.
    std::vector<std::string> arguments;
    if (i < tokens.size() && isPunct(tokens[i], '(')) {
        arguments.emplace_back();
        for (++i; i < tokens.size() && !isPunct(tokens[i], ')'); ++i) {
            if (isPunct(tokens[i], ',')) arguments.emplace_back();
            else arguments.back() += FoldAsciiCase(tokens[i].text);
        }
        ++i;
    }

    DeclaredColumn column;
    if (hasLength(base)) {
        column.type = base + "(" + (arguments.empty() || arguments[0].empty() ? "1" : arguments[0]) + ")";
    } else if (base == "decimal" || base == "numeric") {
        const std::string precision = arguments.empty() || arguments[0].empty() ? "18" : arguments[0];
        const std::string scale = arguments.size() < 2 || arguments[1].empty() ? "0" : arguments[1];
        column.type = base + "(" + precision + "," + scale + ")";
    } else if (base == "float" && !arguments.empty() && !arguments[0].empty() && arguments[0].size() <= 2 &&
               std::all_of(arguments[0].begin(), arguments[0].end(), [](char c) { return c >= '0' && c <= '9'; })) {
        column.type = std::stoi(arguments[0]) <= 24 ? "real" : "float";
    } else {
        column.type = base;
    }
    for (; i < tokens.size(); ++i) {
        if ((IsKeyword(tokens[i], "NOT") && i + 1 < tokens.size() && IsKeyword(tokens[i + 1], "NULL")) ||
            IsKeyword(tokens[i], "PRIMARY") || IsKeyword(tokens[i], "IDENTITY"))
            column.nullable = false;
    }
    return column;
}

std::string_view BaseType(std::string_view type) { return type.substr(0, type.find('(')); }

std::string ColumnDefinitionText(const DeclaredColumn& column) {
    return column.type + (column.nullable ? " NULL" : " NOT NULL");
}

}  // namespace orvel
