// The ODBC adapter.
#include "schema/OdbcDatabase.h"

namespace orvel {

struct OdbcDatabase::Handles {};

OdbcDatabase::OdbcDatabase() = default;
OdbcDatabase::~OdbcDatabase() = default;

void OdbcDatabase::open(const std::string&) {
    throw DatabaseError("OdbcError", "ODBC access is not built yet");
}
void OdbcDatabase::close() {}
bool OdbcDatabase::isOpen() const { return false; }
std::vector<std::string> OdbcDatabase::tableNames() { return {}; }
std::vector<std::string> OdbcDatabase::columnNames(const std::string&) { return {}; }
OdbcDriverPreferences OdbcDatabase::DriverPreferences() { return {}; }
std::string OdbcDatabase::ConnectionStringFor(const std::string& text) {
    return ToOdbcConnectionString(text, DriverPreferences());
}
void OdbcDatabase::doExecute(const std::string&) {}
void OdbcDatabase::doExecuteQuery(const std::string&, const Parameters&) {}

}  // namespace orvel
