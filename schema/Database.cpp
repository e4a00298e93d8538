// Checks shared by every database implementation before a statement is sent,
// and the class name an error is reported under.
#include "schema/Database.h"

#include <utility>

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

void Database::execute(const std::string& sql) {
    checkSendable(*this, sql);
    doExecute(sql);
}

void Database::executeQuery(const std::string& sql, const Parameters& parameters) {
    checkSendable(*this, sql);
    doExecuteQuery(sql, parameters);
}

}  // namespace orvel
