// Drawing the run's progress on standard error.
#include "cli/ConsoleDisplay.h"

#include <fmt/format.h>

#include "cli/Console.h"

namespace orvel {

ConsoleDisplay::ConsoleDisplay(bool redrawInPlace) : redrawInPlace_(redrawInPlace) {}

void ConsoleDisplay::redraw() {
    if (!redrawInPlace_) return;
    WriteStderr(fmt::format("\r\x1b[Ktable {} | column {} | table {}% | overall {}%", table_, field_,
                            tablePercent_, overallPercent_));
    lineOpen_ = true;
}

void ConsoleDisplay::tableNameChanged(std::string_view name) {
    const bool changed = name != table_;
    table_ = name;
    if (!redrawInPlace_ && changed) WriteStderr(fmt::format("table {} (overall {}%)\n", table_, overallPercent_));
    redraw();
}

void ConsoleDisplay::fieldNameChanged(std::string_view name) {
    field_ = name;
    redraw();
}

void ConsoleDisplay::tableGaugeChanged(const Gauge& gauge) {
    tablePercent_ = gauge.percent();
    redraw();
}

void ConsoleDisplay::overallGaugeChanged(const Gauge& gauge) {
    overallPercent_ = gauge.percent();
    redraw();
}

void ConsoleDisplay::finish() {
    if (lineOpen_) WriteStderr("\n");
    lineOpen_ = false;
}

void ConsoleDisplay::showSuccessMessage(const std::string& message) {
    finish();
    if (!redrawInPlace_) WriteStderr(fmt::format("overall {}%\n", overallPercent_));
    WriteStdout(message + "\n");
}

}  // namespace orvel
