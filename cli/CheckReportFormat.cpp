// Formatting the report of a check.
#include "cli/CheckReportFormat.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

namespace orvel {

namespace {

// One line: the statement's text with its line breaks as blanks.
std::string OneLine(std::string text) {
    for (auto& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string RefusalText(const Refusal& r) {
    std::string out = fmt::format("refused (error {}): step {}\n  statement: {}\n  reason:    {}\n", r.error,
                                  r.step.value_or("before the first step"), OneLine(r.statement), r.reason);
    if (r.rowsAtFault > 0) out += fmt::format("  rows:      {}\n", r.rowsAtFault);
    for (const auto& example : r.examples) out += "    " + ExampleText(example) + "\n";
    return out + fmt::format("  advice:    {}\n", r.advice);
}

nlohmann::ordered_json StepJson(const std::optional<std::string>& step) {
    return step ? nlohmann::ordered_json(*step) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json ValueJson(const std::optional<std::string>& value) {
    return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

}  // namespace

std::string FormatCheckTable(const CheckReport& report) {
    std::string out = fmt::format("check of {}: {} statement(s) expected refused, {} warning(s)\n", report.product,
                                  report.refusals.size(), report.warnings.size());
    if (report.rowsNotAsked) out += "note: " + *report.rowsNotAsked + "\n";
    for (const auto& r : report.refusals) out += "\n" + RefusalText(r);
    for (const auto& w : report.warnings)
        out += fmt::format("\nwarning: step {}, {} row(s): {}\n  statement: {}\n",
                           w.step.value_or("before the first step"), w.rows, w.what, OneLine(w.statement));
    return out;
}

std::string FormatCheckJson(const CheckReport& report) {
    nlohmann::ordered_json json;
    json["product"] = report.product;
    if (report.rowsNotAsked) json["rowsNotAsked"] = *report.rowsNotAsked;
    json["refusals"] = nlohmann::ordered_json::array();
    for (const auto& r : report.refusals) {
        nlohmann::ordered_json examples = nlohmann::ordered_json::array();
        for (const auto& example : r.examples) {
            nlohmann::ordered_json key = nlohmann::ordered_json::object();
            for (const auto& [column, value] : example.key) key[column] = ValueJson(value);
            examples.push_back({{"key", key}, {"value", ValueJson(example.value)}});
        }
        json["refusals"].push_back({{"step", StepJson(r.step)},
                                    {"statement", r.statement},
                                    {"rule", r.rule},
                                    {"error", r.error},
                                    {"reason", r.reason},
                                    {"rowsAtFault", r.rowsAtFault},
                                    {"examples", examples},
                                    {"advice", r.advice}});
    }
    json["warnings"] = nlohmann::ordered_json::array();
    for (const auto& w : report.warnings)
        json["warnings"].push_back(
            {{"step", StepJson(w.step)}, {"statement", w.statement}, {"what", w.what}, {"rows", w.rows}});
    return json.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace orvel
