// From the connection text the settings build (ADO style) to an ODBC
// connection string.
//
// Pure text work, no ODBC call: the caller passes the drivers installed on
// the machine and any driver names chosen in the environment, so that every
// rule can be tested anywhere.  The SQL Server provider (also the provider of
// a text that names none) becomes the SQL Server ODBC driver found installed,
// the Jet provider the Access ODBC driver; keys are renamed to the driver's
// and every value is written so that it cannot add keys of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

// The environment variables that name a driver other than the ones the
// translation looks for.
inline constexpr const char* kSqlServerDriverVariable = "ORVEL_SQLSERVER_DRIVER";
inline constexpr const char* kAccessDriverVariable = "ORVEL_ACCESS_DRIVER";

struct OdbcDriverPreferences {
    std::vector<std::string> installedDrivers;  // as SQLDrivers lists them
    std::optional<std::string> sqlServerDriver;  // ORVEL_SQLSERVER_DRIVER
    std::optional<std::string> accessDriver;     // ORVEL_ACCESS_DRIVER
};

// Translates `connectionText`; a text that already is an ODBC connection
// string (it has a Driver= or DSN= key) is returned unchanged.  Throws
// DatabaseError (class "ConnectionTextError") when the text names an unknown
// provider, cannot be read, or no suitable driver is installed.
std::string ToOdbcConnectionString(std::string_view connectionText,
                                   const OdbcDriverPreferences& preferences);

// A value as an ODBC connection string must carry it: braced (with "}"
// doubled) when it holds ";" or "}", starts with "{", or starts or ends with
// a blank, so that it can neither end early nor add keys of its own.
std::string OdbcValue(std::string_view value);

}  // namespace orvel
