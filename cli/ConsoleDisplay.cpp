// Drawing the run's progress on standard error.
#include "cli/ConsoleDisplay.h"

#include <algorithm>

#include <fmt/format.h>

#include "cli/Console.h"

namespace orvel {

ConsoleDisplay::ConsoleDisplay(bool redrawInPlace) : redrawInPlace_(redrawInPlace) {}

int ConsoleDisplay::StepPercent(int number, int count) {
    if (count <= 0) return 100;
    return 100 * (std::clamp(number, 1, count + 1) - 1) / count;
}

void ConsoleDisplay::redraw() {
    if (!redrawInPlace_) return;
    WriteStderr(fmt::format("\r\x1b[K{}table {} {}% | column {}", stepText(), table_, tablePercent_, field_));
    lineOpen_ = true;
}

void ConsoleDisplay::tableNameChanged(std::string_view name) {
    const bool changed = name != table_;
    table_ = name;
    if (!redrawInPlace_ && changed) WriteStderr(fmt::format("{}table {}\n", stepText(), table_));
    redraw();
}

void ConsoleDisplay::stepStarted(int number, int count) {
    step_ = number;
    stepCount_ = count;
    redraw();
}

// "step 3 of 40 (5%) | " once a step has started.
std::string ConsoleDisplay::stepText() const {
    return step_ > 0 ? fmt::format("step {} of {} ({}%) | ", step_, stepCount_, StepPercent(step_, stepCount_))
                     : std::string();
}

void ConsoleDisplay::fieldNameChanged(std::string_view name) {
    field_ = name;
    redraw();
}

void ConsoleDisplay::tableGaugeChanged(const Gauge& gauge) {
    tablePercent_ = gauge.percent();
    redraw();
}

void ConsoleDisplay::finish() {
    if (lineOpen_) WriteStderr("\n");
    lineOpen_ = false;
}

void ConsoleDisplay::showSuccessMessage(const std::string& message) {
    // The status line, or a line of its own, says the run is complete.
    WriteStderr(fmt::format("{}all {} steps done (100%)\n", lineOpen_ ? "\r\x1b[K" : "", stepCount_));
    lineOpen_ = false;
    successMessage_ = message;
}

}  // namespace orvel
