// What `upgrade` tells of a run once it has ended: the summary line of a
// completed run, printed in English beside the Persian success sentence, and
// the result as JSON for `upgrade --format json`.
//
// JSON: {"product", "database", "result", "statements", "seconds",
// "recordId", "log"}, with "error" when the run failed; "recordId" and "log"
// are null when no record was kept or no --log file was asked for.  The
// results: "success", "failed", "refusal expected" (the check before the run
// foresaw a refusal; nothing was sent).
#pragma once

#include <optional>
#include <string>

#include <nlohmann/json.hpp>

namespace orvel {

struct UpgradeResult {
    std::string product;
    std::string database;  // the place (cli/ErrorReport.h)
    std::string result = "success";
    int statements = 0;  // sent to the database, the refused one included
    double seconds = 0;  // from the start of the attempt to its end
    std::string recordId;  // empty: no record was kept
    std::string log;       // the --log file; empty: none
    std::optional<std::string> error;
};

// "Velora upgraded: 687 statements sent in 12.4 s; record ID; log FILE".
std::string UpgradeSummaryLine(const UpgradeResult& result);

nlohmann::ordered_json UpgradeResultJson(const UpgradeResult& result);

}  // namespace orvel
