// The summary and the JSON of an upgrade that ended.
#include "cli/UpgradeResult.h"

#include <cmath>

#include <fmt/format.h>

namespace orvel {

namespace {

using Json = nlohmann::ordered_json;

Json textOrNull(const std::string& text) { return text.empty() ? Json() : Json(text); }

}  // namespace

std::string UpgradeSummaryLine(const UpgradeResult& result) {
    return fmt::format("{} upgraded: {} statement{} sent in {:.1f} s; {}; {}\n", result.product, result.statements,
                       result.statements == 1 ? "" : "s", result.seconds,
                       result.recordId.empty() ? "no record kept" : "record " + result.recordId,
                       result.log.empty() ? "no log file" : "log " + result.log);
}

Json UpgradeResultJson(const UpgradeResult& result) {
    Json json = {{"product", result.product},
                 {"database", result.database},
                 {"result", result.result},
                 {"statements", result.statements},
                 {"seconds", std::round(result.seconds * 1000) / 1000},
                 {"recordId", textOrNull(result.recordId)},
                 {"log", textOrNull(result.log)}};
    if (result.error) json["error"] = *result.error;
    return json;
}

}  // namespace orvel
