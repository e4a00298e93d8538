// Writing a check's report as JSON.
#include "check/CheckReportJson.h"

namespace orvel {

namespace {

nlohmann::ordered_json OrNull(const std::optional<std::string>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json ExamplesJson(const std::vector<RowExample>& examples) {
    nlohmann::ordered_json out = nlohmann::ordered_json::array();
    for (const auto& example : examples) {
        nlohmann::ordered_json key = nlohmann::ordered_json::object();
        for (const auto& [column, value] : example.key) key[column] = OrNull(value);
        out.push_back({{"key", key}, {"value", OrNull(example.value)}});
    }
    return out;
}

}  // namespace

nlohmann::ordered_json CheckReportJson(const CheckReport& report) {
    nlohmann::ordered_json json;
    json["product"] = report.product;
    if (!report.server.empty()) json["server"] = report.server;
    if (!report.database.empty()) json["database"] = report.database;
    if (report.identity) json["serverVersion"] = ServerDescription(*report.identity);
    if (report.rowsNotAsked) json["rowsNotAsked"] = *report.rowsNotAsked;
    json["refusals"] = nlohmann::ordered_json::array();
    for (const auto& r : report.refusals)
        json["refusals"].push_back({{"step", OrNull(r.step)},
                                    {"statement", r.statement},
                                    {"table", r.table},
                                    {"column", r.column},
                                    {"rule", r.rule},
                                    {"error", r.error},
                                    {"reason", r.reason},
                                    {"rowsAtFault", r.rowsAtFault},
                                    {"examples", ExamplesJson(r.examples)},
                                    {"advice", r.advice}});
    json["notJudged"] = nlohmann::ordered_json::array();
    for (const auto& n : report.notJudged)
        json["notJudged"].push_back({{"step", OrNull(n.step)},
                                     {"statement", n.statement},
                                     {"rule", n.rule},
                                     {"reason", n.reason},
                                     {"rows", n.rows},
                                     {"examples", ExamplesJson(n.examples)},
                                     {"advice", n.advice}});
    json["warnings"] = nlohmann::ordered_json::array();
    for (const auto& w : report.warnings)
        json["warnings"].push_back(
            {{"step", OrNull(w.step)}, {"statement", w.statement}, {"what", w.what}, {"rows", w.rows}});
    return json;
}

}  // namespace orvel
