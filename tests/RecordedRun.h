// One product run through the run driver, recorded as a single stream of
// events in the order they happened: every statement as the log writes it
// (step, sender, text, parameters, the database's error), every change of
// the labels and bars, the focus move, the success message, and the error
// that ended the run.  Two runs did the same when their streams are equal.
#pragma once

#include <string>
#include <vector>

#include "upgrade/RunDriver.h"
#include "database/Database.h"

namespace orvel::test {

struct RunWay {
    CatalogueReads reads = CatalogueReads::Once;
    bool web = false;
};

// Opens `connection` with `connectionText` and runs `product` on it, as
// `upgrade --odbc` does; the connection is left open.
std::vector<std::string> RecordRun(Database& connection, const std::string& connectionText,
                                   const std::string& product, RunWay way);

// The index of the first event where the two streams differ, with both
// events, for a failure message; empty when they are equal.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b);

}  // namespace orvel::test
