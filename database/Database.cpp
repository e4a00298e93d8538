// What every database implementation shares: the checks before a statement
// is sent, the class name an error is reported under, and the
// whole-catalogue reading built from the per-name lists.
#include "database/Database.h"

#include <unordered_set>
#include <utility>

#include "database/NameMatching.h"

namespace orvel {

DatabaseError::DatabaseError(std::string errorClass, const std::string& message,
                             std::string sqlState, long nativeCode)
    : std::runtime_error(message),
      errorClass_(std::move(errorClass)),
      sqlState_(std::move(sqlState)),
      nativeCode_(nativeCode) {}

std::string ErrorClassOf(const std::exception& error) {
    const auto* databaseError = dynamic_cast<const DatabaseError*>(&error);
    return databaseError ? databaseError->errorClass() : "Error";
}

namespace {

void checkSendable(const Database& db, const std::string& sql) {
    if (!db.isOpen())
        throw DatabaseError("ConnectionError", "The connection is closed; open it before sending a statement");
    if (sql.empty())
        throw DatabaseError("CommandTextError", "Command text was not set for the command object");
}

}  // namespace

CatalogueListing ListingOf(std::vector<ListedObject> objects,
                           const std::function<std::vector<std::string>(const std::string& name)>& columnsOf) {
    CatalogueListing listing{std::move(objects), {}};
    std::unordered_set<std::string> named;
    for (const auto& object : listing.objects)
        if (named.insert(FoldAsciiCase(object.name)).second)
            listing.columns.push_back({object.name, columnsOf(object.name)});
    return listing;
}

CatalogueListing Database::readCatalogue() {
    auto objects = listedObjects();
    if (!objects) throw DatabaseError("CatalogueError", "This database cannot tell its tables from its views");
    return ListingOf(std::move(*objects), [this](const std::string& name) { return columnNames(name); });
}

void Database::execute(const std::string& sql) {
    checkSendable(*this, sql);
    doExecute(sql);
}

void Database::executeAnswered(const std::string& sql, const AnswerReceiver& answered) {
    checkSendable(*this, sql);
    doExecuteAnswered(sql, answered);
}

void Database::doExecuteAnswered(const std::string& sql, const AnswerReceiver&) { doExecute(sql); }

void Database::executeQuery(const std::string& sql, const Parameters& parameters) {
    checkSendable(*this, sql);
    doExecuteQuery(sql, parameters);
}

std::vector<ResultSet> Database::readResults(const std::string& sql) {
    checkSendable(*this, sql);
    return doReadResults(sql);
}

std::vector<ResultSet> Database::doReadResults(const std::string&) {
    throw DatabaseError("ReadError", "This database keeps no rows to read: it holds a catalogue only");
}

}  // namespace orvel
