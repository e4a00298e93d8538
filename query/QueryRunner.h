// The query window's job without the window: open the connection as a run
// opens it, send typed statement texts as one batch each, say how each went,
// and write them with their answers to the record of this opening.
//
// Every front end (the windows, `exec`) goes through QueryRunner, so each
// opening of the query window leaves one record, whichever program made it.
#pragma once

#include <string>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/RunOptions.h"
#include "upgrade/RunRecords.h"
#include "database/Database.h"

namespace orvel {

struct QueryOutcome {
    bool succeeded = false;
    // The success message, or "Error class: ...<CR>Error message: ...".
    std::string message;
    // The database's own message when it failed.
    std::string error;
};

// Sends `text` exactly as typed (line breaks kept, nothing trimmed) through
// the command object; its answers (rows, counts, the server's messages) go
// to `answered`, and are discarded when it is empty, as the window does.
// Errors are caught and turned into the outcome, never thrown.
QueryOutcome RunTypedStatement(Database& db, const std::string& text, const AnswerReceiver& answered = {});

class QueryRunner {
public:
    // `records` may be null (none kept).
    explicit QueryRunner(Database& connection, const RunRecords* records = nullptr);

    // The query button up to showing the window: settings, a record, the
    // connection.  Returns false when the attempt was aborted (the window
    // does not open).  A failure is recorded and passed on to the ErrorBox.
    bool open(ConnectionSettings& settings, const RunOptions& options);
    // As open, with a connection text given as it is (an ODBC string).
    void openWithConnectionText(const std::string& productId, const std::string& connectionText,
                                const RunOptions& options);

    // The run button: the text sent, its answer recorded; the answers of
    // the batch go to `answered` as in RunTypedStatement.
    QueryOutcome run(const std::string& text, const AnswerReceiver& answered = {});

    // The window closed: the record of this opening ends.
    void close();

private:
    Database& connection_;
    const RunRecords* records_;
    RecordWriter record_;
};

}  // namespace orvel
