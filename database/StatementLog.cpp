// Recording statements and writing them as JSON lines or as a script.
#include "database/StatementLog.h"

#include "database/ConnectionText.h"
#include "database/NamedParameters.h"
#include "database/SqlTokens.h"

namespace orvel {

namespace {

nlohmann::ordered_json statementJson(const StatementRecord& record) {
    nlohmann::ordered_json json;
    json["step"] = record.step ? nlohmann::ordered_json(*record.step) : nlohmann::ordered_json(nullptr);
    json["via"] = record.via == Sender::Query ? "query" : "command";
    json["sql"] = record.sql;
    if (!record.parameters.empty()) {
        nlohmann::ordered_json params = nlohmann::ordered_json::object();
        for (const auto& parameter : record.parameters) params[parameter.name] = parameter.value;
        json["params"] = params;
    }
    if (record.error) json["error"] = *record.error;
    return json;
}

}  // namespace

std::string ToJsonLine(const StatementRecord& record) { return statementJson(record).dump() + "\n"; }

nlohmann::ordered_json ToLogJson(const StatementRecord& record) {
    StatementRecord masked = record;
    masked.sql = MaskPasswords(record.sql);
    if (record.error) masked.error = MaskPasswords(*record.error);
    nlohmann::ordered_json json = statementJson(masked);
    json["ms"] = static_cast<double>(record.duration.count()) / 1000.0;
    return json;
}

std::string ToLogLine(const StatementRecord& record) { return JsonLine(ToLogJson(record)); }

std::string JsonLine(const nlohmann::ordered_json& json) {
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

namespace {

std::string withLineFeeds(const std::string& sql) {
    std::string text;
    text.reserve(sql.size());
    for (std::size_t i = 0; i < sql.size(); ++i) {
        if (sql[i] == '\r') {
            text += '\n';
            if (i + 1 < sql.size() && sql[i + 1] == '\n') ++i;
        } else {
            text += sql[i];
        }
    }
    return text;
}

}  // namespace

std::string ToSqlScript(const StatementRecord& record) {
    std::string script;
    if (record.step) script += "-- step " + *record.step + "\n";
    const std::string sql = withLineFeeds(record.sql);
    const auto markers = FindParameterMarkers(sql);
    if (record.via == Sender::Query && !markers.empty()) {
        std::string declarations, values;
        for (const auto& parameter : record.parameters) {
            if (!declarations.empty()) declarations += ", ";
            declarations += "@" + parameter.name + " nvarchar(max)";
            values += ", @" + parameter.name + " = " + UnicodeLiteral(parameter.value);
        }
        const std::string body =
            ReplaceParameterMarkers(sql, [](const std::string& name) { return "@" + name; });
        script += "EXEC sp_executesql " + UnicodeLiteral(body) + ", " + UnicodeLiteral(declarations) + values;
    } else {
        script += sql;
    }
    return script + "\nGO\n";
}

void LoggingDatabase::keep(StatementRecord entry) {
    if (onRecord) onRecord(entry);
    if (keep_ == Keep::AllRecords) records_.push_back(std::move(entry));
}

template <typename Send>
void LoggingDatabase::record(Sender via, const std::string& sql, const Parameters& parameters, Send send) {
    if (beforeEachStatement) beforeEachStatement();
    StatementRecord entry{step_, via, sql, parameters, std::nullopt};
    const auto sent = std::chrono::steady_clock::now();
    const auto measure = [&] {
        entry.duration = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - sent);
    };
    try {
        send();
    } catch (const DatabaseError& e) {
        measure();
        entry.error = e.what();
        keep(std::move(entry));
        throw;
    }
    measure();
    keep(std::move(entry));
}

void LoggingDatabase::doExecute(const std::string& sql) {
    record(Sender::Command, sql, {}, [&] { inner_.execute(sql); });
}

void LoggingDatabase::doExecuteQuery(const std::string& sql, const Parameters& parameters) {
    record(Sender::Query, sql, parameters, [&] { inner_.executeQuery(sql, parameters); });
}

}  // namespace orvel
