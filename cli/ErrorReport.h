// The one shape in which orvel-updater-cli reports an error, whichever
// command met it, and the errors that choose an exit code other than 1.
//
// Every error is written to standard error as
//
//   orvel-updater-cli: error: <what it was doing> (<server>/<database>): <message>
//
// where the message is the server's or driver's own (its further lines
// follow as they are), passwords shown as "***".  What the command was doing
// and where are kept in an Activity that the command updates as it goes;
// the parts it does not know are left out (a usage error has neither).  A
// file database (Access, SQLite) is named by its file.
#pragma once

#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

#include "cli/ExitCodes.h"

namespace orvel {

inline constexpr std::string_view kProgramName = "orvel-updater-cli";

// A usage error found after parsing (unknown product, unreadable file): exit 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The attempt was aborted before anything was opened (Oracle chosen, Access
// without a file): exit 3.
class AbortedError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a command is doing now, and on which database.
struct Activity {
    std::string doing;  // "connecting", "reading the catalogue", "upgrading Velora, step A_FASQ"
    std::string place;  // "SERVER/DATABASE", a file; empty when not known

    // The place a connection text leads to (nothing changes when it names none).
    void at(std::string_view connectionText);
};

// "SERVER/DATABASE" ("(default database)" when the text names none), the
// file of a file database, or the database alone when no server is named;
// empty when the text names nothing.
std::string PlaceOf(std::string_view connectionText);

// The error line (with its further lines and a final line break).
std::string ErrorLine(const Activity& activity, std::string_view message);

// Writes `error` in the error shape on standard error and returns the exit
// code it ends the command with: 2 for a UsageError, 3 for an AbortedError,
// 1 for anything else.
int ReportError(const std::exception& error, const Activity& activity);

}  // namespace orvel
