// The progress display of a command-line run, on standard error.
//
// On a terminal one status line is redrawn in place (step of how many,
// table, column, both bars); otherwise a plain line is written each time the run moves to
// another table, so that logs stay short and readable.
#pragma once

#include <string>

#include "schema/Progress.h"

namespace orvel {

class ConsoleDisplay : public ProgressDisplay {
public:
    explicit ConsoleDisplay(bool redrawInPlace);

    void tableNameChanged(std::string_view name) override;
    void fieldNameChanged(std::string_view name) override;
    void tableGaugeChanged(const Gauge& gauge) override;
    void overallGaugeChanged(const Gauge& gauge) override;
    void focusExitButton() override {}
    void showSuccessMessage(const std::string& message) override;

    // The step `number` of `count` of the run's list has started.
    void stepStarted(int number, int count);

    // Ends the status line so that what follows starts on a line of its own.
    void finish();

private:
    void redraw();
    std::string stepText() const;

    bool redrawInPlace_;
    bool lineOpen_ = false;
    std::string table_;
    std::string field_;
    int tablePercent_ = 0;
    int overallPercent_ = 0;
    int step_ = 0;
    int stepCount_ = 0;
};

}  // namespace orvel
