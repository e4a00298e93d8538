// The whole check on a database: the questions asked in order, a question
// the server refuses turned into statements not judged, and the report's
// texts.
#include "check/RefusalCheck.h"

#include <algorithm>
#include <set>

#include <fmt/format.h>

#include "database/NameMatching.h"
#include "schema/CatalogueReader.h"

namespace orvel {

namespace {

bool IsSqlServer(const std::optional<ServerIdentity>& server) {
    return !server || server->product.find("SQL Server") != std::string::npos;
}

// Every statement whose rows `changes` would have been asked about, not
// judged for `reason`.
void NotJudgedFor(const PlannedChanges& planned, const std::vector<std::size_t>& changes, const std::string& reason,
                  CheckReport& report) {
    std::set<std::size_t> statements;
    for (std::size_t i : changes) {
        const PlannedChange& change = planned.changes[i];
        if (change.kind == PlannedChange::DropKey || change.kind == PlannedChange::FillColumn) continue;
        if (!statements.insert(change.index).second) continue;
        const PlannedStatement& s = planned.statements[change.index];
        report.notJudged.push_back({.statementIndex = change.index, .step = s.step, .statement = s.sql,
                                    .rule = "question-refused", .reason = reason,
                                    .advice = "Ask a database administrator why the server refuses this read; the "
                                              "run itself is not affected by it."});
    }
}

// Asks one table's counts and, where rows were found, their examples; when
// the server refuses the counts, asks each probe alone, so that only what
// the refused questions were to judge is left not judged.
std::vector<ResultSet> AskCounts(Database& db, const TableQuestion& question, const std::string& countsSql,
                                 const QuestionDialect& dialect, int& reads) {
    ++reads;
    std::vector<ResultSet> answers = db.readResults(countsSql);
    if (answers.empty() || answers[0].rows.empty()) return answers;
    // Columns of text holding more than plain numbers: their full counts
    // join the first ones.
    if (const std::string text = TextCountsSql(question, answers, dialect); !text.empty()) {
        ++reads;
        const std::vector<ResultSet> more = db.readResults(text);
        if (!more.empty() && !more[0].rows.empty()) {
            answers[0].columns.insert(answers[0].columns.end(), more[0].columns.begin(), more[0].columns.end());
            answers[0].rows[0].insert(answers[0].rows[0].end(), more[0].rows[0].begin(), more[0].rows[0].end());
        }
    }
    const std::string examples = ExamplesSql(question, answers, dialect);
    if (examples.empty()) return answers;
    try {
        ++reads;
        for (auto& set : db.readResults(examples)) answers.push_back(std::move(set));
    } catch (const DatabaseError&) {
        // The counts stand without their examples.
    }
    return answers;
}

void AskTable(Database& db, const PlannedChanges& planned, const TableQuestion& question,
              const QuestionDialect& dialect, CheckReport& report, int& reads) {
    try {
        Evaluate(planned, question, AskCounts(db, question, question.sql, dialect, reads), report);
        return;
    } catch (const DatabaseError&) {
    }
    TableQuestion warningsOnly = question;
    warningsOnly.probes.clear();
    try {
        Evaluate(planned, warningsOnly, AskCounts(db, warningsOnly, DataSql(warningsOnly, dialect), dialect, reads),
                 report);
    } catch (const DatabaseError&) {
    }
    for (const auto& probe : question.probes) {
        TableQuestion one = question;
        one.probes = {probe};
        one.warnings.clear();
        try {
            Evaluate(planned, one, AskCounts(db, one, DataSql(one, dialect), dialect, reads), report);
        } catch (const DatabaseError& e) {
            const std::size_t index = planned.changes[probe.change].index;
            const PlannedStatement& s = planned.statements[index];
            report.notJudged.push_back(
                {.statementIndex = index, .step = s.step, .statement = s.sql, .rule = probe.rule,
                 .reason = fmt::format("the server refused the question of this rule ({}): {}", probe.reason,
                                       e.what()),
                 .advice = "Ask a database administrator why the server refuses this read; the run itself is not "
                           "affected by it."});
        }
    }
}

}  // namespace

CheckReport CheckPlannedRun(Database& db, const std::string& product, const CatalogueSnapshot& start,
                            std::vector<PlannedStatement> plan, std::optional<SimulatedStop> stop, int* roundTrips) {
    CheckReport report{.product = product, .identity = db.serverIdentity()};
    const PlannedChanges planned = ReadPlannedChanges(std::move(plan), std::move(stop));
    if (!IsSqlServer(report.identity)) {
        // The questions are T-SQL: sysobjects, INFORMATION_SCHEMA, LIKE classes.
        const CatalogueJudgement judged = JudgeCatalogue(planned, start, std::map<std::string, std::string>{});
        report.refusals = judged.refusals;
        if (!judged.rowChanges.empty())
            report.rowsNotAsked = fmt::format(
                "{} cannot answer the questions about rows (they need SQL Server's INFORMATION_SCHEMA, LIKE classes "
                "and functions); only what the catalogue tells was checked",
                report.identity->product);
        return report;
    }
    const QuestionDialect dialect = DialectFor(report.identity);
    // Which tables' rows are asked about does not depend on the other objects.
    const std::vector<std::string> touched = JudgeCatalogue(planned, start, std::nullopt).touchedTables;
    const std::vector<std::string> names = NamesUsed(planned);
    int reads = 0;
    std::optional<Metadata> metadata;
    std::string whyNoObjects, whyNoTables;
    if (!names.empty() || !touched.empty()) {
        try {
            ++reads;
            metadata = ReadMetadata(db.readResults(MetadataQuestion(touched, names, dialect)));
        } catch (const DatabaseError&) {
            // Asked apart, so that what one part cannot tell leaves the other.
            metadata = Metadata{};
            try {
                ++reads;
                metadata->otherObjects = ReadMetadata(db.readResults(MetadataQuestion({}, names, dialect))).otherObjects;
            } catch (const DatabaseError& e) {
                whyNoObjects = e.what();
            }
            try {
                ++reads;
                std::vector<ResultSet> answers = db.readResults(MetadataQuestion(touched, {}, dialect, false));
                metadata->tables = ReadMetadata(answers).tables;
            } catch (const DatabaseError& e) {
                whyNoTables = e.what();
            }
        }
    }
    const CatalogueJudgement judged =
        JudgeCatalogue(planned, start,
                       whyNoObjects.empty() ? std::optional(metadata ? metadata->otherObjects
                                                                     : std::map<std::string, std::string>{})
                                            : std::nullopt,
                       whyNoObjects);
    report.refusals = judged.refusals;
    report.notJudged = judged.notJudged;
    if (!whyNoTables.empty()) {
        NotJudgedFor(planned, judged.rowChanges,
                     "the server refused the question about the columns and keys of the tables: " + whyNoTables,
                     report);
    } else if (metadata) {
        for (const auto& question : DataQuestions(planned, judged, *metadata, dialect)) {
            // A table the run only drops or empties: its rows were counted
            // with the metadata.
            const auto counted = metadata->rowCounts.find(FoldAsciiCase(question.table));
            if (question.probes.empty() && counted != metadata->rowCounts.end()) {
                Evaluate(planned, question, {{{"row_count"}, {{std::to_string(counted->second)}}}}, report);
                continue;
            }
            AskTable(db, planned, question, dialect, report, reads);
        }
    }
    if (roundTrips) *roundTrips += reads;
    // A statement foreseen refused needs no word on what could not be judged of it.
    std::erase_if(report.notJudged, [&](const NotJudged& n) {
        return std::any_of(report.refusals.begin(), report.refusals.end(),
                           [&](const Refusal& r) { return r.statementIndex == n.statementIndex; });
    });
    const auto byStatement = [](const auto& a, const auto& b) { return a.statementIndex < b.statementIndex; };
    std::stable_sort(report.refusals.begin(), report.refusals.end(), byStatement);
    std::stable_sort(report.notJudged.begin(), report.notJudged.end(), byStatement);
    return report;
}

std::string ExampleText(const RowExample& example) {
    const auto shown = [](const std::optional<std::string>& value) { return value ? "\"" + *value + "\"" : "NULL"; };
    std::string line;
    for (const auto& [column, value] : example.key) line += fmt::format("{}={}  ", column, shown(value));
    return line + "value " + shown(example.value);
}

std::string RefusalExplanation(const std::vector<Refusal>& refusals) {
    std::string out;
    for (const auto& r : refusals) {
        out += r.error ? fmt::format("Why (error {}): {}", r.error, r.reason) : fmt::format("Why: {}", r.reason);
        if (r.rowsAtFault > 0) out += fmt::format("; rows at fault: {}", r.rowsAtFault);
        out += "\n";
        for (const auto& example : r.examples) out += "  " + ExampleText(example) + "\n";
        out += "What to do: " + r.advice + "\n";
    }
    return out;
}

std::string NotJudgedText(const std::vector<NotJudged>& notJudged) {
    std::string out;
    for (const auto& n : notJudged) {
        out += fmt::format("not judged: step {}: {}", n.step.value_or("before the first step"), n.reason);
        if (n.rows > 0) out += fmt::format("; rows: {}", n.rows);
        out += "\n";
        for (const auto& example : n.examples) out += "  " + ExampleText(example) + "\n";
    }
    return out;
}

std::vector<Refusal> ExplainRefusal(Database& db, const std::string& sql) {
    const CatalogueSnapshot now = ReadCatalogueSnapshot(ReadOnlyCatalogue(db));
    return CheckPlannedRun(db, {}, now, {{std::nullopt, sql}}).refusals;
}

bool KeepsVariableLengthType(const std::string& from, const std::string& to) {
    return KeepsVariableLengthType(TypeOf(from), TypeOf(to));
}

}  // namespace orvel
