// What a column definition in a statement says of the column's type and
// nullability, written as the check's reading of a database writes the
// columns it finds (check/RefusalQuestions.cpp, ColumnFacts): the type in
// lower case without blanks, with the length of the text and binary types
// ("nvarchar(50)", "nvarchar(max)") and the precision and scale of decimal
// and numeric ("decimal(18,2)"), and nothing after the other types ("int",
// "money", "float", "image").  So a type a product declares and the type a
// database reports compare as text.
//
// Written forms become the server's: integer is int, dec is decimal, double
// precision and float(25) to float(53) are float, float(1) to float(24) is
// real; a text or binary type without a length has length 1, a decimal
// without precision is decimal(18,0).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

struct DeclaredColumn {
    std::string type;
    bool nullable = true;

    bool operator==(const DeclaredColumn&) const = default;
};

// The type and nullability a definition ("Integer PRIMARY KEY",
// "nvarchar(50) NOT NULL", "int identity(1,1)") gives the column a CREATE
// TABLE or ALTER TABLE ADD makes, or an ALTER COLUMN changes.  NOT NULL,
// PRIMARY KEY and IDENTITY make it NOT NULL; otherwise it is nullable (as
// ALTER COLUMN leaves a column without NULL or NOT NULL, and as an ODBC
// session's defaults make a new column).  Nothing when the definition names
// no type (a computed column, "AS ...").
std::optional<DeclaredColumn> ReadColumnDefinition(std::string_view definition);

// The type without its length, precision or scale: "nvarchar" of "nvarchar(50)".
std::string_view BaseType(std::string_view type);

// "int NULL", "nvarchar(50) NOT NULL".
std::string ColumnDefinitionText(const DeclaredColumn& column);

}  // namespace orvel
