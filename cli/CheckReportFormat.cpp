// Formatting the report of a check.
#include "cli/CheckReportFormat.h"

#include <fmt/format.h>

#include "check/CheckReportJson.h"
#include "cli/ConnectionOptions.h"

namespace orvel {

namespace {

// One line: the statement's text with its line breaks as blanks.
std::string OneLine(std::string text) {
    for (auto& c : text)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string StepOf(const std::optional<std::string>& step) { return step.value_or("before the first step"); }

std::string RefusalText(const Refusal& r) {
    std::string out = r.error ? fmt::format("refused (error {}): step {}\n", r.error, StepOf(r.step))
                              : fmt::format("refused: step {}\n", StepOf(r.step));
    out += fmt::format("  statement: {}\n  reason:    {}\n", OneLine(r.statement), r.reason);
    if (r.rowsAtFault > 0) out += fmt::format("  rows:      {}\n", r.rowsAtFault);
    for (const auto& example : r.examples) out += "    " + ExampleText(example) + "\n";
    return out + fmt::format("  advice:    {}\n", r.advice);
}

std::string NotJudgedLines(const NotJudged& n) {
    std::string out = fmt::format("not judged: step {}\n  statement: {}\n  reason:    {}\n", StepOf(n.step),
                                  OneLine(n.statement), n.reason);
    if (n.rows > 0) out += fmt::format("  rows:      {}\n", n.rows);
    for (const auto& example : n.examples) out += "    " + ExampleText(example) + "\n";
    return out + fmt::format("  advice:    {}\n", n.advice);
}

std::string WarningLines(const RunWarning& w) {
    return fmt::format("warning: step {}, {} row(s): {}\n  statement: {}\n", StepOf(w.step), w.rows, w.what,
                       OneLine(w.statement));
}

}  // namespace

std::string FormatCheckTable(const CheckReport& report) {
    std::string out = fmt::format("check of {}", report.product);
    if (!report.server.empty())
        out += fmt::format(" on {}/{}", report.server, report.database);
    else if (!report.database.empty())
        out += " on " + report.database;
    if (report.identity) out += fmt::format(" ({})", ServerDescription(*report.identity));
    out += fmt::format(": {} statement(s) expected refused, {} not judged, {} warning(s)\n", report.refusals.size(),
                       report.notJudged.size(), report.warnings.size());
    if (report.rowsNotAsked) out += "note: " + *report.rowsNotAsked + "\n";
    for (const auto& r : report.refusals) out += "\n" + RefusalText(r);
    for (const auto& n : report.notJudged) out += "\n" + NotJudgedLines(n);
    for (const auto& w : report.warnings) out += "\n" + WarningLines(w);
    return out;
}

std::string FormatCheckJson(const CheckReport& report) {
    return CheckReportJson(report).dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

std::string FormatCheckNotes(const CheckReport& report) {
    std::string out = fmt::format("check before the first statement: nothing expected refused, {} not judged, {} "
                                  "warning(s)\n",
                                  report.notJudged.size(), report.warnings.size());
    for (const auto& n : report.notJudged) out += NotJudgedLines(n);
    for (const auto& w : report.warnings) out += WarningLines(w);
    return out;
}

int CheckExitCode(const CheckReport& report) {
    if (!report.refusals.empty()) return kRefusalExpected;
    return report.notJudged.empty() ? kSuccess : kNotJudged;
}

}  // namespace orvel
