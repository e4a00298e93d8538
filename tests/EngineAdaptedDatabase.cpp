// The bridges of EngineAdaptedDatabase: which refusal, which statement shape,
// and what is sent in its place.
#include "EngineAdaptedDatabase.h"

#include <regex>

namespace orvel::test {

namespace {

const auto kIgnoreCase = std::regex::ECMAScript | std::regex::icase;

bool says(const DatabaseError& error, const char* text) {
    return std::string_view(error.what()).find(text) != std::string_view::npos;
}

}  // namespace

template <typename Send>
void EngineAdaptedDatabase::sendOrBridge(const std::string& sql, Send send) {
    try {
        send(sql);
        return;
    } catch (const DatabaseError& refusal) {
        static const std::regex nullability(R"(^([\s\S]*\bALTER\s+COLUMN\b[\s\S]*?)\s+(?:NOT\s+)?NULL\s*$)", kIgnoreCase);
        static const std::regex numbering(R"(\bUPDATE\s+(\w+)\s+SET\s+@\w+\s*=\s*\w+\s*=)", kIgnoreCase);
        static const std::regex index(R"(^\s*CREATE\s+(?:UNIQUE\s+)?(?:(?:NON)?CLUSTERED\s+)?INDEX\s+(\w+)\s+ON\s+(\w+))",
                                      kIgnoreCase);
        std::smatch match;
        EngineBridge bridge{step_, {}, sql, {}};
        if (says(refusal, "NULL in ALTER TABLE ALTER COLUMN") && std::regex_match(sql, match, nullability)) {
            bridge.difference = "NullabilityAlter";
            bridge.sent = {match[1].str()};
        } else if (says(refusal, "syntax error") && std::regex_search(sql, match, numbering)) {
            bridge.difference = "RowNumbering";
            // Fails, and so refuses the bridge, when the table holds rows.
            bridge.sent = {"IF EXISTS (SELECT 1 FROM " + match[1].str() +
                           ") RAISERROR('the table holds rows to number, which the engine cannot', 16, 1)"};
        } else if (says(refusal, "already exists") && std::regex_search(sql, match, index)) {
            bridge.difference = "MangledIndexName";
            bridge.sent = {"DROP INDEX " + match[1].str() + " ON " + match[2].str(), sql};
        } else {
            throw;
        }
        try {
            for (const auto& statement : bridge.sent) send(statement);
        } catch (const DatabaseError& e) {
            throw DatabaseError(refusal.errorClass(),
                                std::string(refusal.what()) + "\n(bridging " + bridge.difference +
                                    " failed too: " + e.what() + ")",
                                refusal.sqlState(), refusal.nativeCode());
        }
        bridges_.push_back(std::move(bridge));
    }
}

void EngineAdaptedDatabase::doExecute(const std::string& sql) {
    sendOrBridge(sql, [this](const std::string& text) { engine_.execute(text); });
}

void EngineAdaptedDatabase::doExecuteQuery(const std::string& sql, const Parameters& parameters) {
    sendOrBridge(sql, [&](const std::string& text) { engine_.executeQuery(text, parameters); });
}

}  // namespace orvel::test
