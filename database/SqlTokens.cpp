// The tokenizer: one pass, no allocation beyond the token list.
#include "database/SqlTokens.h"

#include <algorithm>
#include <cctype>

namespace orvel {

namespace {

bool isWordChar(char c) {
    auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '_' || c == '@' || c == '#' || c == '$' || u >= 0x80;
}

}  // namespace

std::vector<SqlToken> TokenizeSql(std::string_view sql) {
    std::vector<SqlToken> tokens;
    std::size_t i = 0;
    const std::size_t n = sql.size();
    while (i < n) {
        const char c = sql[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            while (i < n && sql[i] != '\r' && sql[i] != '\n') ++i;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            auto end = sql.find("*/", i + 2);
            i = end == std::string_view::npos ? n : end + 2;
        } else if (c == '\'' || c == '[' || c == '"') {
            const char close = c == '[' ? ']' : c;
            std::size_t j = i + 1;
            for (; j < n; ++j) {
                if (sql[j] != close) continue;
                if (j + 1 < n && sql[j + 1] == close) {
                    ++j;
                    continue;
                }
                break;
            }
            const auto kind = c == '\'' ? SqlToken::Quoted : SqlToken::Identifier;
            tokens.push_back({kind, sql.substr(i, std::min(j + 1, n) - i), i});
            i = j + 1;
        } else if (isWordChar(c)) {
            std::size_t j = i;
            while (j < n && isWordChar(sql[j])) ++j;
            tokens.push_back({SqlToken::Word, sql.substr(i, j - i), i});
            i = j;
        } else {
            tokens.push_back({SqlToken::Punct, sql.substr(i, 1), i});
            ++i;
        }
    }
    return tokens;
}

bool IsKeyword(const SqlToken& token, std::string_view upperWord) {
    if (token.kind != SqlToken::Word || token.text.size() != upperWord.size()) return false;
    for (std::size_t i = 0; i < upperWord.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(token.text[i])) != upperWord[i]) return false;
    return true;
}

std::string BracketedName(std::string_view name) {
    std::string quoted = "[";
    for (char c : name) quoted += c == ']' ? std::string("]]") : std::string(1, c);
    return quoted + "]";
}

std::string UnicodeLiteral(std::string_view text) {
    std::string quoted = "N'";
    for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace orvel
