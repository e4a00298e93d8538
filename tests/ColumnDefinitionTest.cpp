// What a column definition gives the column, written as a database's
// reading writes the columns it finds, so that drift compares the two as
// text: every form the products write, the server's synonyms and defaults,
// and what makes a column NOT NULL.
#include <gtest/gtest.h>

#include "schema/ColumnDefinition.h"

namespace orvel {
namespace {

TEST(ColumnDefinition, ReadsTheTypeAndNullabilityTheServerGivesTheColumn) {
    const struct {
        const char* definition;
        const char* column;  // "type NULL", "type NOT NULL", or "" for none
    } cases[] = {
        {"Integer", "int NULL"},
        {"integer primary key", "int NOT NULL"},
        {"Integer PRIMARY KEY", "int NOT NULL"},
        {"integer UNIQUE", "int NULL"},
        {"int identity(1,1)", "int NOT NULL"},
        {"integer  NOT NULL IDENTITY (1, 1)", "int NOT NULL"},
        {"nvarchar(50)", "nvarchar(50) NULL"},
        {"NVARCHAR (50) NOT NULL", "nvarchar(50) NOT NULL"},
        {"nvarchar(100) NOT NULL PRIMARY KEY", "nvarchar(100) NOT NULL"},
        {"nvarchar(50) null", "nvarchar(50) NULL"},
        {"nvarchar", "nvarchar(1) NULL"},
        {"nvarchar(MAX)", "nvarchar(max) NULL"},
        {"varbinary(128)", "varbinary(128) NULL"},
        {"[nvarchar](20)", "nvarchar(20) NULL"},
        {"Float", "float NULL"},
        {"float(24)", "real NULL"},
        {"float(53)", "float NULL"},
        {"double precision", "float NULL"},
        {"money", "money NULL"},
        {"Bit default 0", "bit NULL"},
        {"bit not null default (0)", "bit NOT NULL"},
        {"image", "image NULL"},
        {"decimal", "decimal(18,0) NULL"},
        {"dec(10, 2)", "decimal(10,2) NULL"},
        {"numeric(9)", "numeric(9,0) NULL"},
        {"AS (a + b)", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        const auto column = ReadColumnDefinition(c.definition);
        EXPECT_EQ(column ? ColumnDefinitionText(*column) : "", c.column) << c.definition;
    }
}

TEST(ColumnDefinition, TheBaseTypeLeavesOutLengthPrecisionAndScale) {
    const struct {
        const char* type;
        const char* base;
    } cases[] = {{"nvarchar(50)", "nvarchar"}, {"decimal(18,2)", "decimal"}, {"int", "int"}, {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(BaseType(c.type), c.base) << c.type;
}

}  // namespace
}  // namespace orvel
