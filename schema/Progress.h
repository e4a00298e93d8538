// The progress display of a run: two name labels and two bars.
//
// `Progress` holds what the window shows (`LNameTable`, `LNameField`,
// `TableGauge`, `OverallGauge`) and applies the bars' rules; every change is
// passed at once to a `ProgressDisplay`, which the window, the command line or
// a test implements.  The same interface carries the two things a completed
// run does to the window: the focus move to Exit and the success message.
#pragma once

#include <string>
#include <string_view>

namespace orvel {

// A progress bar: minimum 0, maximum 100 and position 0 at start.  The
// position is always kept within 0..maximum.
class Gauge {
public:
    int maximum() const noexcept { return maximum_; }
    int position() const noexcept { return position_; }
    // Whole-number percentage, the fraction cut off; 0 when the maximum is 0.
    int percent() const noexcept;

    // Lowers the position to a smaller maximum.
    void setMaximum(int maximum) noexcept;
    // Clamps to 0..maximum.
    void setPosition(int position) noexcept;
    void advance(int by = 1) noexcept { setPosition(position_ + by); }

    bool operator==(const Gauge&) const = default;

private:
    int maximum_ = 100;
    int position_ = 0;
};

class ProgressDisplay {
public:
    virtual ~ProgressDisplay() = default;

    virtual void tableNameChanged(std::string_view name) = 0;   // LNameTable
    virtual void fieldNameChanged(std::string_view name) = 0;   // LNameField
    virtual void tableGaugeChanged(const Gauge& gauge) = 0;     // TableGauge
    virtual void overallGaugeChanged(const Gauge& gauge) = 0;   // OverallGauge

    // A run completed: the Exit button takes the focus, then the success
    // message is shown (the call returns when the user has dismissed it).
    virtual void focusExitButton() = 0;
    virtual void showSuccessMessage(const std::string& message) = 0;
};

// A display that shows nothing (plan, benchmarks, tests that ignore it).
class SilentDisplay : public ProgressDisplay {
public:
    void tableNameChanged(std::string_view) override {}
    void fieldNameChanged(std::string_view) override {}
    void tableGaugeChanged(const Gauge&) override {}
    void overallGaugeChanged(const Gauge&) override {}
    void focusExitButton() override {}
    void showSuccessMessage(const std::string&) override {}
};

class Progress {
public:
    explicit Progress(ProgressDisplay& display) : display_(display) {}

    const std::string& tableName() const noexcept { return tableName_; }
    const std::string& fieldName() const noexcept { return fieldName_; }
    const Gauge& tableGauge() const noexcept { return tableGauge_; }
    const Gauge& overallGauge() const noexcept { return overallGauge_; }
    ProgressDisplay& display() noexcept { return display_; }

    void showTableName(const std::string& name);
    void showFieldName(const std::string& name);

    // Sets the maximum, then the position (the order the bars' rules need).
    void resetTableGauge(int maximum);
    void advanceTableGauge(int by = 1);
    void resetOverallGauge(int maximum);
    void advanceOverallGauge(int by = 1);
    void setOverallPosition(int position);

private:
    ProgressDisplay& display_;
    std::string tableName_;
    std::string fieldName_;
    Gauge tableGauge_;
    Gauge overallGauge_;
};

}  // namespace orvel
