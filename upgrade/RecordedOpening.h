// Opening the connection of a run or of the query window with its record
// started: the order the Start button and the query button share.
//
// The settings are built, the record begins, then the connection is closed
// when open and opened again.  A failure in the settings or in opening is
// written to the record as the stage the attempt stopped in and passed on to
// the caller (the ErrorBox, or the command line); an aborted attempt (Oracle,
// the file dialog cancelled) opens nothing and leaves no record.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/RunOptions.h"
#include "upgrade/RunRecords.h"
#include "database/Database.h"

namespace orvel {

inline constexpr const char* kStageSettings = "connection settings";
inline constexpr const char* kStageOpening = "opening the connection";

// How the connection of an attempt is opened once its record has started;
// the default closes `db` when open and opens it with the header's text.
// A run takes its lock here first.  What it throws is written to the
// record as a failure in opening the connection (unless it has ended the
// record itself) and passed on.
using Opening = std::function<void(RecordWriter& record, const RecordHeader& header)>;

// The connection built from the choices by `settings`; nothing when the
// attempt was aborted.  `records` may be null (no records kept).
std::optional<RecordWriter> OpenRecorded(Database& db, ConnectionSettings& settings, const RunOptions& options,
                                         RecordKind kind, const RunRecords* records,
                                         const Opening& opening = {});

// The connection text of `header`, used as it is.
RecordWriter OpenRecorded(Database& db, const RecordHeader& header, const RunRecords* records,
                          const Opening& opening = {});

}  // namespace orvel
