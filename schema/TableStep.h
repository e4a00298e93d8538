// A table step as data, and the one routine that runs every table step.
//
// A step names one table, the first column the table is created with, its
// ordered add and alter entries and any further statements, each with the
// point of the sequence at which it is sent and the object that sends it.
// The sequence (see RunTableStep) is:
//
//   CurrentTableName := table
//   further statements at BeforeCreate
//   the step's own create statement, when the table is missing
//   CreateTableIfMissing(table, first column, first type)
//   TableGauge maximum := CountColumns(table), position 0   (unless lateCount)
//   each entry: AddColumnIfMissing or AlterColumnIfPresent
//   further statements at AfterEntries
//   TableGauge maximum := CountColumns(table), position 0   (when lateCount)
//   TableGauge + 1                                           (when finalTableAdvance)
//   OverallGauge + 1
//   further statements at AfterBars
#pragma once

#include <string>
#include <vector>

#include "database/Database.h"
#include "schema/SchemaOperations.h"

namespace orvel {

enum class EntryKind { Add, Alter };

// A column entry: the name (brackets allowed, as in [TO]) and the type text
// exactly as sent.
struct ColumnEntry {
    std::string column;
    std::string type;
    EntryKind kind = EntryKind::Add;
};

inline ColumnEntry alter(std::string column, std::string type) {
    return {std::move(column), std::move(type), EntryKind::Alter};
}

enum class StatementPoint { BeforeCreate, AfterEntries, AfterBars };

struct FurtherStatement {
    StatementPoint point = StatementPoint::AfterEntries;
    Sender via = Sender::Command;
    std::string text;
    Parameters parameters;
};

struct TableStep {
    std::string name;
    std::string table;
    std::string firstColumn;
    std::string firstType;
    // Sent, whatever the database kind, only when the table list lacks the
    // table; empty when the step has none.
    std::string ownCreate;
    std::vector<ColumnEntry> entries;
    std::vector<FurtherStatement> statements;
    bool finalTableAdvance = false;
    bool lateCount = false;
};

void RunTableStep(const TableStep& step, SchemaOperations& schema);

}  // namespace orvel
