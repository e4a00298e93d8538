// Statement answers as tables and as JSON.
#include "cli/StatementAnswers.h"

#include <algorithm>

#include <fmt/format.h>

namespace orvel {

namespace {

using Json = nlohmann::ordered_json;

// The next code point of UTF-8 `text` at `at` (advanced past it); an invalid
// byte counts as one character of its own.
char32_t nextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    const int extra = lead < 0x80 ? 0 : (lead >> 5) == 0x6 ? 1 : (lead >> 4) == 0xE ? 2 : (lead >> 3) == 0x1E ? 3 : -1;
    if (extra <= 0) return lead;
    char32_t code = lead & (0x3F >> extra);
    for (int k = 0; k < extra && at < text.size(); ++k) code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    return code;
}

bool zeroWidth(char32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0610 && c <= 0x061A) || (c >= 0x064B && c <= 0x065F) ||
           c == 0x0670 || (c >= 0x06D6 && c <= 0x06ED) || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

bool wide(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1FAFF) || (c >= 0x20000 && c <= 0x3FFFD);
}

// A value as one line of a table: NULL as "NULL", control characters escaped.
std::string cellText(const std::optional<std::string>& value) {
    if (!value) return "NULL";
    std::string cell;
    for (const char c : *value) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r') cell += "\\r";
        else if (c == '\n') cell += "\\n";
        else if (c == '\t') cell += "\\t";
        else if (byte < 0x20 || byte == 0x7F) cell += fmt::format("\\x{:02X}", byte);
        else cell += c;
    }
    return cell;
}

std::string padded(const std::string& text, std::size_t width) {
    return text + std::string(width - std::min(width, DisplayWidth(text)), ' ');
}

// "(1 row)", "(2 rows affected)".
std::string counted(long long count, std::string_view after = "") {
    return fmt::format("({} row{}{})", count, count == 1 ? "" : "s", after);
}

std::string formatTable(const ResultSet& rows) {
    std::vector<std::vector<std::string>> lines;
    lines.push_back(rows.columns);
    for (const auto& row : rows.rows) {
        std::vector<std::string>& cells = lines.emplace_back();
        for (const auto& value : row) cells.push_back(cellText(value));
    }
    std::vector<std::size_t> widths(rows.columns.size(), 1);
    for (const auto& line : lines)
        for (std::size_t i = 0; i < line.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(line[i]));
    lines.insert(lines.begin() + 1, std::vector<std::string>());
    for (const auto width : widths) lines[1].push_back(std::string(width, '-'));

    std::string out;
    for (const auto& line : lines) {
        std::string text;
        for (std::size_t i = 0; i < line.size(); ++i)
            text += i + 1 < line.size() ? padded(line[i], widths[i]) + "  " : line[i];
        // An empty last value leaves no padding behind it.
        if (!line.empty() && line.back().empty())
            while (!text.empty() && text.back() == ' ') text.pop_back();
        out += text + "\n";
    }
    return out + "\n" + counted(static_cast<long long>(rows.rows.size())) + "\n";
}

}  // namespace

std::size_t DisplayWidth(std::string_view text) {
    std::size_t width = 0;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = nextCodePoint(text, at);
        width += zeroWidth(c) ? 0 : wide(c) ? 2 : 1;
    }
    return width;
}

std::string FormatAnswer(const StatementAnswer& answer) {
    std::string out;
    for (const auto& message : answer.messages) out += message + "\n";
    if (answer.rows) out += formatTable(*answer.rows);
    else if (answer.rowsAffected) out += counted(*answer.rowsAffected, " affected") + "\n";
    return out;
}

Json AnsweredTextJson(const AnsweredText& text) {
    Json resultSets = Json::array(), rowsAffected = Json::array(), messages = Json::array();
    for (const auto& answer : text.answers) {
        for (const auto& message : answer.messages) messages.push_back(message);
        if (answer.rows) {
            Json rows = Json::array();
            for (const auto& row : answer.rows->rows) {
                Json values = Json::array();
                for (const auto& value : row) values.push_back(value ? Json(*value) : Json());
                rows.push_back(std::move(values));
            }
            resultSets.push_back(
                {{"columns", answer.rows->columns}, {"rows", std::move(rows)}, {"rowCount", answer.rows->rows.size()}});
        } else if (answer.rowsAffected) {
            rowsAffected.push_back(*answer.rowsAffected);
        }
    }
    Json json = {{"product", text.product.empty() ? Json() : Json(text.product)},
                 {"database", text.database},
                 {"result", text.error ? "failed" : "success"},
                 {"resultSets", std::move(resultSets)},
                 {"rowsAffected", std::move(rowsAffected)},
                 {"messages", std::move(messages)}};
    if (text.error) json["error"] = *text.error;
    return json;
}

}  // namespace orvel
