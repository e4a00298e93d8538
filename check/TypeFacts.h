// A column type as the check reasons about it: its family (text, whole
// number, exact number, money, approximate number), its length, precision
// and scale, and the bounds SQL Server gives each number type.
//
// Types are read from the text a statement or INFORMATION_SCHEMA gives
// ("nvarchar(50)", "NVARCHAR (250)", "decimal(18,2)", "integer"); the rules
// of the check (CheckRules.cpp) choose by these facts.
#pragma once

#include <optional>
#include <string>

namespace orvel {

struct TypeFacts {
    enum Family { Text, WholeNumber, ExactNumber, Money, Approximate, Bit, Other };

    std::string text;  // lower case, blanks removed, integer spelled int: "nvarchar(50)"
    std::string base;  // "nvarchar"
    Family family = Other;
    std::optional<long> length;  // text: characters (or bytes for varchar/char); none for max or unsized
    bool unicode = false;        // nchar, nvarchar, ntext
    bool fixedLength = false;    // char, nchar
    bool large = false;          // text, ntext: no LEN, no RTRIM
    int precision = 18, scale = 0;  // decimal and numeric

    bool operator==(const TypeFacts& other) const { return text == other.text; }
};

TypeFacts TypeOf(const std::string& typeText);

// The type text a statement would write for a column INFORMATION_SCHEMA
// describes (DATA_TYPE, CHARACTER_MAXIMUM_LENGTH, NUMERIC_PRECISION,
// NUMERIC_SCALE).
std::string TypeText(const std::string& dataType, const std::optional<std::string>& length,
                     const std::optional<std::string>& precision, const std::optional<std::string>& scale);

// The range of a whole number or money type, as SQL Server documents it:
// the largest value and the magnitude of the smallest, digits only, without
// the fraction (money's .5807 and .5808 are left out: values at that edge
// are not judged).
struct WholeRange {
    std::string largest;   // "2147483647"
    std::string smallest;  // "2147483648"; "0" for tinyint
};
std::optional<WholeRange> RangeOf(const TypeFacts& type);

// Ten to the power `exponent`, as a decimal literal: "1000".
std::string PowerOfTen(int exponent);

}  // namespace orvel
