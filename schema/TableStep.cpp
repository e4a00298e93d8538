// The interpreter of table steps: the sequence in TableStep.h, in order.
#include "schema/TableStep.h"

namespace orvel {

namespace {

void sendStatementsAt(const TableStep& step, StatementPoint point, SchemaOperations& schema) {
    for (const auto& statement : step.statements) {
        if (statement.point != point) continue;
        if (statement.via == Sender::Query)
            schema.sendQuery(statement.text, statement.parameters);
        else
            schema.send(statement.text);
    }
}

}  // namespace

void RunTableStep(const TableStep& step, SchemaOperations& schema) {
    Progress& progress = schema.progress();
    schema.setCurrentTableName(step.table);
    const std::string& table = schema.CurrentTableName();

    sendStatementsAt(step, StatementPoint::BeforeCreate, schema);
    if (!step.ownCreate.empty() && !schema.TableExists(table)) schema.send(step.ownCreate);
    schema.CreateTableIfMissing(table, step.firstColumn, step.firstType);

    if (!step.lateCount) progress.resetTableGauge(schema.CountColumns(table));
    for (const auto& entry : step.entries) {
        if (entry.kind == EntryKind::Alter)
            schema.AlterColumnIfPresent(table, entry.column, entry.type);
        else
            schema.AddColumnIfMissing(table, entry.column, entry.type);
    }
    sendStatementsAt(step, StatementPoint::AfterEntries, schema);
    if (step.lateCount) progress.resetTableGauge(schema.CountColumns(table));

    if (step.finalTableAdvance) progress.advanceTableGauge();
    progress.advanceOverallGauge();
    sendStatementsAt(step, StatementPoint::AfterBars, schema);
}

}  // namespace orvel
