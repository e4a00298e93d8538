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

bool mentions(const std::string& text, const std::string& name) {
    return std::regex_search(text, std::regex("\\b" + name + "\\b", kIgnoreCase));
}

}  // namespace

EngineAdaptedDatabase::EngineAdaptedDatabase(Database& engine, const std::vector<ObjectStep>& objectSteps)
    : ForwardingDatabase(engine), engine_(engine) {
    static const std::regex view(R"(^\s*CREATE\s+VIEW\s+(?:\[?dbo\]?\.)?\[?(\w+)\]?)", kIgnoreCase);
    std::smatch match;
    for (const auto& step : objectSteps)
        if (std::regex_search(step.create, match, view)) views_.emplace_back(match[1].str(), step.create);
}

template <typename Send>
void EngineAdaptedDatabase::sendOrBridge(const std::string& sql, Send send) {
    static const std::regex nullability(R"(^([\s\S]*\bALTER\s+COLUMN\b[\s\S]*?)\s+(?:NOT\s+)?NULL\s*$)", kIgnoreCase);
    static const std::regex numbering(R"(\bUPDATE\s+(\w+)\s+SET\s+@\w+\s*=\s*\w+\s*=)", kIgnoreCase);
    static const std::regex functionDrop(R"(\bDROP\s+FUNCTION\s+(?:\[?dbo\]?\.)?\[?(\w+)\]?\s*$)", kIgnoreCase);
    static const std::regex indexGuard(
        R"(\bsys\.indexes\s+where\s+name\s*=\s*'(\w+)'[\s\S]*\bDROP\s+INDEX\s+(\w+)\s+ON\s+(\w+)\s*$)", kIgnoreCase);
    std::smatch match;
    EngineBridge bridge{step_, {}, sql, {}};
    try {
        send(sql);
        if (!std::regex_search(sql, match, indexGuard)) return;
        // Accepted, but the guard looked for a name the engine does not keep:
        // the index is dropped under its mangled name, when there.
        bridge.difference = "MangledIndexName";
        bridge.sent = {"IF EXISTS (SELECT 1 FROM sys.indexes WHERE object_id = OBJECT_ID('" + match[3].str() +
                       "') AND name LIKE LOWER('" + match[1].str() + match[3].str() + "') + '%') DROP INDEX " +
                       match[2].str() + " ON " + match[3].str()};
    } catch (const DatabaseError& refusal) {
        if (says(refusal, "NULL in ALTER TABLE ALTER COLUMN") && std::regex_match(sql, match, nullability)) {
            // Refused even where a guard would skip the alter.
            bridge.difference = "NullabilityAlter";
            bridge.sent = {match[1].str()};
        } else if (says(refusal, "syntax error") && std::regex_search(sql, match, numbering)) {
            bridge.difference = "RowNumbering";
            // Fails, and so refuses the bridge, when the table holds rows.
            bridge.sent = {"IF EXISTS (SELECT 1 FROM " + match[1].str() +
                           ") RAISERROR('the table holds rows to number, which the engine cannot', 16, 1)"};
        } else if (says(refusal, "other objects depend on it") && std::regex_search(sql, match, functionDrop)) {
            bridge.difference = "FunctionUsedByView";
            for (const auto& [name, create] : views_)
                if (mentions(create, match[1].str()))
                    bridge.sent.push_back("IF OBJECT_ID('" + name + "') IS NOT NULL DROP VIEW " + name);
            bridge.sent.push_back(sql);
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
        return;
    }
    for (const auto& statement : bridge.sent) send(statement);
    bridges_.push_back(std::move(bridge));
}

void EngineAdaptedDatabase::doExecute(const std::string& sql) {
    sendOrBridge(sql, [this](const std::string& text) { engine_.execute(text); });
}

void EngineAdaptedDatabase::doExecuteQuery(const std::string& sql, const Parameters& parameters) {
    sendOrBridge(sql, [&](const std::string& text) { engine_.executeQuery(text, parameters); });
}

}  // namespace orvel::test
