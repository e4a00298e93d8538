// The progress display of a command-line run, on standard error.
//
// The run's progress is counted in steps: step k of n has k - 1 steps done
// before it, so its percentage is 100 * (k - 1) / n, and a completed run is
// at 100 %.  (The window's overall bar counts the tables the database held
// when the run began, which an older database reaches early; the window
// keeps it as it is.)  The table's percentage is its columns, as the
// window's table bar shows them.
//
// On a terminal one status line is redrawn in place (step of how many with
// its percentage, table and its percentage, column); otherwise a plain line
// is written each time the run moves to another table, so that logs stay
// short and readable.
#pragma once

#include <optional>
#include <string>

#include "schema/Progress.h"

namespace orvel {

class ConsoleDisplay : public ProgressDisplay {
public:
    explicit ConsoleDisplay(bool redrawInPlace);

    void tableNameChanged(std::string_view name) override;
    void fieldNameChanged(std::string_view name) override;
    void tableGaugeChanged(const Gauge& gauge) override;
    void overallGaugeChanged(const Gauge&) override {}
    void focusExitButton() override {}
    // Ends the status line and keeps the message for the command to print.
    void showSuccessMessage(const std::string& message) override;

    // The step `number` of `count` of the run's list has started.
    void stepStarted(int number, int count);

    // Ends the status line so that what follows starts on a line of its own.
    void finish();

    // The success message of a completed run; nothing before.
    const std::optional<std::string>& successMessage() const noexcept { return successMessage_; }

    // The percentage of the run done when step `number` of `count` starts.
    static int StepPercent(int number, int count);

private:
    void redraw();
    std::string stepText() const;

    bool redrawInPlace_;
    bool lineOpen_ = false;
    std::string table_;
    std::string field_;
    int tablePercent_ = 0;
    int step_ = 0;
    int stepCount_ = 0;
    std::optional<std::string> successMessage_;
};

}  // namespace orvel
