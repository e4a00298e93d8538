// Older tables as data, filled with rows at the edges of their types, and
// dumps of what tables hold, compared row by row.
#include "RowFixtures.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace orvel::test {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string bracketed(const std::string& name) {
    return name.starts_with('[') ? name : "[" + name + "]";
}

// A type text taken apart: "nvarchar(50)" is nvarchar with length 50;
// "decimal(18, 2)" is decimal with length 18 and scale 2; no length is -1.
struct TypeParts {
    std::string base;
    int length = -1;
    int scale = 0;
};

TypeParts partsOf(const std::string& type) {
    const std::string text = lowerCase(type);
    TypeParts parts;
    std::size_t i = 0;
    while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_')) ++i;
    parts.base = text.substr(0, i);
    const auto open = text.find('(');
    if (open != std::string::npos && text.compare(open + 1, 3, "max") != 0) {
        parts.length = std::stoi(text.substr(open + 1));
        const auto comma = text.find(',', open);
        if (comma != std::string::npos) parts.scale = std::stoi(text.substr(comma + 1));
    }
    if (parts.base == "integer") parts.base = "int";
    return parts;
}

// Persian letters among them the Arabic yeh (U+064A) and the Persian kaf
// (U+06A9), which text conversions are known to swap or lose.
const std::vector<std::string> kPersianLetters = {"\xD9\x8A", "\xDA\xA9", "\xDB\x8C"};  // ي ک ی
const std::string kOrdinaryText = "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85 \xD9\x8A\xDA\xA9";      // "سلام يک"

// The first `count` characters of UTF-8 `text`.
std::string leadingCharacters(const std::string& text, int count) {
    std::size_t end = 0;
    for (int n = 0; n < count && end < text.size(); ++n) {
        ++end;
        while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
    }
    return text.substr(0, end);
}

std::string textLiteral(const std::string& text) {
    std::string quoted = "N'";
    for (char c : text) quoted += c == '\'' ? std::string("''") : std::string(1, c);
    return quoted + "'";
}

bool isText(const std::string& base) {
    return base == "nvarchar" || base == "nchar" || base == "varchar" || base == "char" || base == "ntext" ||
           base == "text";
}

// The literal of row `row` (0 longest or largest, 1 empty or smallest,
// 2 NULL, 3 ordinary) of a column of this type.
std::string sampleValue(const TypeParts& type, int row) {
    if (row == 2) return "NULL";
    const std::string& b = type.base;
    if (isText(b)) {
        const int length = type.length > 0 ? type.length : 300;
        if (row == 1) return "N''";
        // The products keep dates as solar-calendar text of ten characters.
        if (row == 3) return textLiteral(length == 10 ? "1403/12/30" : leadingCharacters(kOrdinaryText, length));
        std::string longest;
        for (int n = 0; n < length; ++n) longest += kPersianLetters[n % kPersianLetters.size()];
        return textLiteral(longest);
    }
    if (b == "bit") return row == 1 ? "0" : "1";
    if (row == 3) return b == "money" || b == "smallmoney" ? "2.5" : b == "float" || b == "real" ? "0.1" : "2";
    const bool largest = row == 0;
    if (b == "int") return largest ? "2147483647" : "-2147483648";
    if (b == "smallint") return largest ? "32767" : "-32768";
    if (b == "tinyint") return largest ? "255" : "0";
    if (b == "bigint") return largest ? "9223372036854775807" : "-9223372036854775807";
    if (b == "money") return largest ? "922337203685477.5807" : "-922337203685477.5808";
    if (b == "smallmoney") return largest ? "214748.3647" : "-214748.3648";
    if (b == "float") return largest ? "1.2345678901234567E+300" : "-9.87654321E-300";
    if (b == "real") return largest ? "3.4E+38" : "-1.17E-38";
    if (b == "decimal" || b == "numeric") {
        const int precision = type.length > 0 ? type.length : 18;
        std::string digits(static_cast<std::size_t>(precision - type.scale), '9');
        if (type.scale > 0) digits += "." + std::string(static_cast<std::size_t>(type.scale), '9');
        return largest ? digits : "-" + digits;
    }
    if (b == "datetime") return largest ? "'9999-12-31T23:59:59.997'" : "'1753-01-01T00:00:00'";
    if (b == "image" || b == "varbinary" || b == "binary") {
        if (!largest) return "0x";
        std::string bytes = "0x";
        for (int n = 0; n < (type.length > 0 ? type.length : 200); ++n) bytes += n % 2 ? "7F" : "80";
        return bytes;
    }
    return "NULL";
}

// The key value of row `row`: 1, 2, 3... or N'ک1', N'ک2'...
std::string keyValue(const TypeParts& type, int row) {
    return isText(type.base) ? textLiteral(kPersianLetters[1] + std::to_string(row + 1)) : std::to_string(row + 1);
}

constexpr int kSampleRowCount = 4;

std::string serverType(const ResultSet::Row& row) {
    // DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE from index 2
    const std::string type = lowerCase(row[2].value_or(""));
    static const std::vector<std::string> withLength = {"nvarchar", "varchar", "nchar", "char", "varbinary",
                                                        "binary"};
    if (std::find(withLength.begin(), withLength.end(), type) != withLength.end()) {
        const std::string length = row[3].value_or("-1");
        return type + "(" + (length == "-1" ? std::string("max") : length) + ")";
    }
    if (type == "decimal" || type == "numeric") return type + "(" + row[4].value_or("18") + "," + row[5].value_or("0") + ")";
    return type;
}

}  // namespace

std::string CreateStatement(const FixtureTable& table) {
    std::string sql = "create table " + bracketed(table.name) + " (";
    for (std::size_t i = 0; i < table.columns.size(); ++i)
        sql += (i ? ", " : "") + bracketed(table.columns[i].name) + " " + table.columns[i].type;
    return sql + ")";
}

std::vector<std::vector<std::string>> SampleRows(const FixtureTable& table) {
    std::vector<std::vector<std::string>> rows;
    for (int row = 0; row < kSampleRowCount; ++row) {
        std::vector<std::string> values;
        for (const auto& column : table.columns) {
            const TypeParts type = partsOf(column.type);
            values.push_back(column.key ? keyValue(type, row) : sampleValue(type, row));
        }
        rows.push_back(std::move(values));
    }
    return rows;
}

std::string CreateAndFillBatch(const std::vector<FixtureTable>& tables) {
    std::string batch;
    for (const auto& table : tables) {
        batch += CreateStatement(table) + ";\n";
        if (!table.filled) continue;
        for (const auto& row : SampleRows(table)) {
            batch += "insert into " + bracketed(table.name) + " values (";
            for (std::size_t i = 0; i < row.size(); ++i) batch += (i ? ", " : "") + row[i];
            batch += ");\n";
        }
    }
    return batch;
}

std::vector<std::vector<ServerColumn>> ServerColumns(Database& database, const std::vector<std::string>& tables) {
    std::vector<std::vector<ServerColumn>> columns(tables.size());
    if (tables.empty()) return columns;
    std::string names;
    for (const auto& table : tables) names += (names.empty() ? "'" : ", '") + table + "'";
    const auto sets = database.readResults(
        "select TABLE_NAME, COLUMN_NAME, DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION, NUMERIC_SCALE "
        "from INFORMATION_SCHEMA.COLUMNS where TABLE_SCHEMA = 'dbo' and TABLE_NAME in (" + names +
        ") order by TABLE_NAME, ORDINAL_POSITION");
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < tables.size(); ++i) index[lowerCase(tables[i])] = i;
    for (const auto& row : sets.at(0).rows) {
        const auto found = index.find(lowerCase(row[0].value_or("")));
        if (found != index.end()) columns[found->second].push_back({row[1].value_or(""), serverType(row)});
    }
    return columns;
}

std::vector<std::string> BaseTables(Database& database) {
    std::vector<std::string> tables;
    const auto sets = database.readResults(
        "select TABLE_NAME from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA = 'dbo' and TABLE_TYPE = 'BASE TABLE' "
        "order by TABLE_NAME");
    for (const auto& row : sets.at(0).rows) tables.push_back(row[0].value_or(""));
    return tables;
}

std::vector<TableDump> Dump(Database& database, const std::vector<std::string>& tables,
                            const std::vector<std::string>& selects) {
    std::vector<TableDump> dumps;
    if (selects.empty()) return dumps;
    std::string batch;
    for (const auto& select : selects) batch += select + ";\n";
    auto sets = database.readResults(batch);
    if (sets.size() != selects.size())
        throw std::runtime_error("a dump of " + std::to_string(selects.size()) + " tables read " +
                                 std::to_string(sets.size()) + " result sets");
    for (std::size_t i = 0; i < sets.size(); ++i) {
        std::sort(sets[i].rows.begin(), sets[i].rows.end());
        dumps.push_back({tables[i], std::move(sets[i].columns), std::move(sets[i].rows)});
    }
    return dumps;
}

std::vector<TableDump> DumpWhole(Database& database, const std::vector<std::string>& tables) {
    std::vector<std::string> selects;
    for (const auto& table : tables) selects.push_back("select * from " + bracketed(table));
    return Dump(database, tables, selects);
}

namespace {

// A value as a failure message shows it: quoted, a long one cut short with
// its length, so that a row of the longest values stays readable.
std::string shownValue(const std::optional<std::string>& value) {
    if (!value) return "NULL";
    constexpr int kShown = 12;
    const std::string shown = leadingCharacters(*value, kShown);
    if (shown.size() == value->size()) return "'" + *value + "'";
    int characters = 0;
    for (unsigned char c : *value) characters += (c & 0xC0) != 0x80;
    return "'" + shown + "...' (" + std::to_string(characters) + " characters)";
}

}  // namespace

std::string RowText(const ResultSet::Row& row) {
    std::string text = "(";
    for (std::size_t i = 0; i < row.size(); ++i) text += (i ? ", " : "") + shownValue(row[i]);
    return text + ")";
}

std::vector<ResultSet::Row> RowsAdded(const TableDump& before, const TableDump& after) {
    std::vector<ResultSet::Row> added;
    std::set_difference(after.rows.begin(), after.rows.end(), before.rows.begin(), before.rows.end(),
                        std::back_inserter(added));
    return added;
}

std::string RowDifference(const TableDump& expected, const TableDump& actual) {
    const auto& columns = actual.columns.empty() ? expected.columns : actual.columns;
    auto lost = RowsAdded(actual, expected);
    auto gained = RowsAdded(expected, actual);
    std::string difference;
    // A row lost and a row gained with the same first value are one row
    // whose other values changed: only those are shown.
    for (auto was = lost.begin(); was != lost.end();) {
        const auto now = std::find_if(gained.begin(), gained.end(),
                                      [&](const ResultSet::Row& row) { return !row.empty() && row[0] == (*was)[0]; });
        if (now == gained.end()) {
            ++was;
            continue;
        }
        difference += "  " + actual.table + " row " + columns.at(0) + " = " + shownValue((*was)[0]) + ":";
        for (std::size_t i = 1; i < was->size(); ++i)
            if ((*was)[i] != (*now)[i])
                difference += " " + columns.at(i) + " was " + shownValue((*was)[i]) + ", is " + shownValue((*now)[i]) + ";";
        difference += "\n";
        gained.erase(now);
        was = lost.erase(was);
    }
    for (const auto& row : lost) difference += "  " + actual.table + " lost " + RowText(row) + "\n";
    for (const auto& row : gained) difference += "  " + actual.table + " gained " + RowText(row) + "\n";
    return difference;
}

}  // namespace orvel::test
