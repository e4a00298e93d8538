// What `exec` shows of a statement text's answers: each result set as a
// table with its row count, each count of rows changed, and the messages the
// server sent, in the order the database gave them; or the same as JSON.
//
// The table form writes every value as the database rendered it, NULL as
// "NULL", and a control character in a value (a statement's lone carriage
// return, a tab) escaped as \r, \n, \t or \xNN, so that every row stays one
// line.  Columns are as wide as their widest value in characters (a letter
// of Persian counts one, a combining mark none, a wide East Asian letter
// two).
//
// JSON: {"product", "database", "result", "resultSets": [{"columns": [...],
// "rows": [[...]], "rowCount"}], "rowsAffected": [...], "messages": [...]},
// with "error" when the text failed; values are strings or null.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "database/Database.h"

namespace orvel {

// How many terminal cells `text` (UTF-8) takes.
std::size_t DisplayWidth(std::string_view text);

// One answer as `exec` prints it: its messages, then its table and row
// count, or its count of rows changed.
std::string FormatAnswer(const StatementAnswer& answer);

// Every answer of one statement text, as `exec --format json` prints it.
struct AnsweredText {
    std::string product;   // empty when none was named
    std::string database;  // the place (cli/ErrorReport.h)
    std::vector<StatementAnswer> answers;
    std::optional<std::string> error;  // the database's message when the text failed
};

nlohmann::ordered_json AnsweredTextJson(const AnsweredText& text);

}  // namespace orvel
