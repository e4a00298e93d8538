// The records of runs as the command-line tool keeps and shows them: the
// store `upgrade` and `exec` write to (warnings on standard error), and the
// `records` command, which lists the latest records and prints one.
//
// `plan`, `snapshot` and `drift` write no record: they change nothing and
// send no statement, so a record of them would only push the records of
// real runs out of the kept 200.
#pragma once

#include <cstddef>
#include <string>

#include "upgrade/RunRecords.h"

namespace orvel {

// The user's records folder, shared with the window; a record that cannot be
// written costs one warning on standard error.
RunRecords CommandLineRecords();

// `records`: the latest `count` records, newest first (0: every kept one),
// as a table or as JSON ("json").
int commandRecordsList(const RunRecords& records, std::size_t count, const std::string& format);
// `records show ID`: the record as written, one JSON object a line.
int commandRecordsShow(const RunRecords& records, const std::string& id);

// The listing as `records` prints it.
std::string FormatRecordList(const std::vector<RecordSummary>& summaries);
// The listing as `records --format json` prints it: an array of {"id",
// "start", "product", "kind", "result", "statements", "stoppedIn", "file"},
// "product" and "stoppedIn" null when the record names none.
std::string FormatRecordListJson(const std::vector<RecordSummary>& summaries, const RunRecords& records);

}  // namespace orvel
