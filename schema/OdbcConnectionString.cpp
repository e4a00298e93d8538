// Translation of connection texts into ODBC connection strings.
#include "schema/OdbcConnectionString.h"

#include "schema/Database.h"

namespace orvel {

std::string ToOdbcConnectionString(std::string_view connectionText, const OdbcDriverPreferences&) {
    return std::string(connectionText);
}

std::string OdbcValue(std::string_view value) { return std::string(value); }

}  // namespace orvel
