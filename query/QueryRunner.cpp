// Opening, sending a typed statement and turning its result into the
// window's text, with the record of each opening.
#include "query/QueryRunner.h"

#include <chrono>

#include "upgrade/Messages.h"
#include "upgrade/RecordedOpening.h"

namespace orvel {

QueryOutcome RunTypedStatement(Database& db, const std::string& text, const AnswerReceiver& answered) {
    try {
        if (answered)
            db.executeAnswered(text, answered);
        else
            db.execute(text);
        return {true, std::string(kQuerySucceededMessage), ""};
    } catch (const std::exception& e) {
        return {false, QueryErrorText(ErrorClassOf(e), e.what()), e.what()};
    }
}

QueryRunner::QueryRunner(Database& connection, const RunRecords* records)
    : connection_(connection), records_(records) {}

bool QueryRunner::open(ConnectionSettings& settings, const RunOptions& options) {
    close();
    auto record = OpenRecorded(connection_, settings, options, RecordKind::Query, records_);
    if (!record) return false;
    record_ = std::move(*record);
    return true;
}

void QueryRunner::openWithConnectionText(const std::string& productId, const std::string& connectionText,
                                         const RunOptions& options) {
    close();
    record_ = OpenRecorded(connection_, {RecordKind::Query, productId, options, connectionText, true}, records_);
}

QueryOutcome QueryRunner::run(const std::string& text, const AnswerReceiver& answered) {
    const auto sent = std::chrono::steady_clock::now();
    QueryOutcome outcome = RunTypedStatement(connection_, text, answered);
    StatementRecord statement{std::nullopt, Sender::Command, text, {}, std::nullopt};
    statement.duration =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - sent);
    if (!outcome.succeeded) statement.error = outcome.error;
    record_.answered(statement, outcome.message);
    return outcome;
}

void QueryRunner::close() {
    record_.closed();
    record_ = RecordWriter();
}

}  // namespace orvel
