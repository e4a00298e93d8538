// A small T-SQL tokenizer: words, quoted literals, quoted identifiers and
// single punctuation characters, with blanks and comments skipped.
//
// The catalogue simulator reads statement shapes with it, and the named
// parameter markers of query-object texts are found with it, so that both
// agree on what is a literal, an identifier or a comment.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

struct SqlToken {
    enum Kind {
        Word,        // letters, digits, _ @ # $ and any non-ASCII byte
        Quoted,      // '...' with '' inside
        Identifier,  // [...] or "..." with the closing character doubled inside
        Punct,       // any other single character
    } kind;
    std::string_view text;  // as written, quotes and brackets included
    std::size_t offset;     // of the first character in the statement
};

std::vector<SqlToken> TokenizeSql(std::string_view sql);

// True for a Word equal to `upperWord` ignoring the case of ASCII letters.
bool IsKeyword(const SqlToken& token, std::string_view upperWord);

// `name` as a bracketed identifier: [name], a "]" inside doubled.
std::string BracketedName(std::string_view name);
// `text` as a Unicode literal: N'text', a quote inside doubled.
std::string UnicodeLiteral(std::string_view text);

}  // namespace orvel
