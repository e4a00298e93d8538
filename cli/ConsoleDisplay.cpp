// Drawing the run's progress on standard error.
#include "cli/ConsoleDisplay.h"

#include <fmt/format.h>

#include "cli/Console.h"

namespace orvel {

ConsoleDisplay::ConsoleDisplay(bool redrawInPlace) : redrawInPlace_(redrawInPlace) {}

void ConsoleDisplay::redraw() {
    if (!redrawInPlace_) return;
    WriteStderr(fmt::format("\r\x1b[K{}table {} | column {} | table {}% | overall {}%", stepText(), table_,
                            field_, tablePercent_, overallPercent_));
    lineOpen_ = true;
}

void ConsoleDisplay::tableNameChanged(std::string_view name) {
    const bool changed = name != table_;
    table_ = name;
    if (!redrawInPlace_ && changed)
        WriteStderr(fmt::format("{}table {} (overall {}%)\n", stepText(), table_, overallPercent_));
    redraw();
}

void ConsoleDisplay::stepStarted(int number, int count) {
    step_ = number;
    stepCount_ = count;
    redraw();
}

// "step 3 of 40 | " once a step has started: the overall bar's maximum is
// the table count at the start, which an older database reaches early.
std::string ConsoleDisplay::stepText() const {
    return step_ > 0 ? fmt::format("step {} of {} | ", step_, stepCount_) : std::string();
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
