// The list of refusals the check dialog shows.
#include "app/CheckDialogText.h"

#include <fmt/format.h>

namespace orvel {

namespace {

constexpr std::string_view kStep = "مرحله: ";
constexpr std::string_view kBeforeSteps = "پيش از اولين مرحله";
constexpr std::string_view kTableAndColumn = "جدول و ستون: ";
constexpr std::string_view kStatement = "دستور: ";
constexpr std::string_view kError = "خطاي ";
constexpr std::string_view kRows = "رديفهاي مشکل دار: ";
constexpr std::string_view kAdvice = "راه حل:";

}  // namespace

std::string CheckDialogText(const CheckReport& report) {
    std::string out;
    for (const auto& r : report.refusals) {
        if (!out.empty()) out += "\n";
        out += fmt::format("{}{}\n", kStep, r.step.value_or(std::string(kBeforeSteps)));
        if (!r.table.empty())
            out += fmt::format("{}{}{}\n", kTableAndColumn, r.table, r.column.empty() ? "" : "." + r.column);
        else
            out += fmt::format("{}{}\n", kStatement, r.statement);
        // The check's own sentences on lines of their own, so that each
        // reads in its own direction.
        if (r.error) out += fmt::format("{}{}:\n", kError, r.error);
        out += r.reason + "\n";
        if (r.rowsAtFault > 0) out += fmt::format("{}{}\n", kRows, r.rowsAtFault);
        for (const auto& example : r.examples) out += ExampleText(example) + "\n";
        out += fmt::format("{}\n{}\n", kAdvice, r.advice);
    }
    return out;
}

}  // namespace orvel
