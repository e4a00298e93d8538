// The bars' clamping and percentage rules, and the forwarding of every change
// to the display.
#include "schema/Progress.h"

#include <algorithm>

namespace orvel {

int Gauge::percent() const noexcept {
    if (maximum_ <= 0) return 0;
    return static_cast<int>(static_cast<long long>(position_) * 100 / maximum_);
}

void Gauge::setMaximum(int maximum) noexcept {
    maximum_ = std::max(maximum, 0);
    position_ = std::min(position_, maximum_);
}

void Gauge::setPosition(int position) noexcept {
    position_ = std::clamp(position, 0, maximum_);
}

void Progress::showTableName(const std::string& name) {
    tableName_ = name;
    display_.tableNameChanged(tableName_);
}

void Progress::showFieldName(const std::string& name) {
    fieldName_ = name;
    display_.fieldNameChanged(fieldName_);
}

void Progress::resetTableGauge(int maximum) {
    tableGauge_.setMaximum(maximum);
    tableGauge_.setPosition(0);
    display_.tableGaugeChanged(tableGauge_);
}

void Progress::advanceTableGauge(int by) {
    tableGauge_.advance(by);
    display_.tableGaugeChanged(tableGauge_);
}

void Progress::resetOverallGauge(int maximum) {
    overallGauge_.setMaximum(maximum);
    overallGauge_.setPosition(0);
    display_.overallGaugeChanged(overallGauge_);
}

void Progress::advanceOverallGauge(int by) {
    overallGauge_.advance(by);
    display_.overallGaugeChanged(overallGauge_);
}

void Progress::setOverallPosition(int position) {
    overallGauge_.setPosition(position);
    display_.overallGaugeChanged(overallGauge_);
}

}  // namespace orvel
