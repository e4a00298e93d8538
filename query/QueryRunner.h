// The query window's job without the window: send a typed statement text as
// one batch and say how it went.
#pragma once

#include <string>

#include "schema/Database.h"

namespace orvel {

struct QueryOutcome {
    bool succeeded = false;
    // The success message, or "Error class: ...<CR>Error message: ...".
    std::string message;
};

// Sends `text` exactly as typed (line breaks kept, nothing trimmed) through
// the command object; any rows are discarded.  Errors are caught and turned
// into the outcome, never thrown.
QueryOutcome RunTypedStatement(Database& db, const std::string& text);

}  // namespace orvel
