// Recording a run's events through the statement log and a display.
#include "RecordedRun.h"

#include <fmt/format.h>

#include "products/Products.h"
#include "products/StepLists.h"
#include "database/StatementLog.h"

namespace orvel::test {

namespace {

class EventDisplay : public ProgressDisplay {
public:
    explicit EventDisplay(std::vector<std::string>& events) : events_(events) {}

    void tableNameChanged(std::string_view name) override { events_.push_back(fmt::format("table label {}", name)); }
    void fieldNameChanged(std::string_view name) override { events_.push_back(fmt::format("field label {}", name)); }
    void tableGaugeChanged(const Gauge& g) override {
        events_.push_back(fmt::format("table bar {}/{}", g.position(), g.maximum()));
    }
    void overallGaugeChanged(const Gauge& g) override {
        events_.push_back(fmt::format("overall bar {}/{}", g.position(), g.maximum()));
    }
    void focusExitButton() override { events_.push_back("focus on Exit"); }
    void showSuccessMessage(const std::string& message) override { events_.push_back("success " + message); }

private:
    std::vector<std::string>& events_;
};

}  // namespace

std::vector<std::string> RecordRun(Database& connection, const std::string& connectionText,
                                   const std::string& product, RunWay way) {
    static const StepRegistry registry = BuildStepRegistry();
    std::vector<std::string> events;
    EventDisplay display(events);
    Progress progress(display);
    FixedOptions options;
    options.edit().web = way.web;
    RunDriver driver(connection, progress, registry, options, nullptr, way.reads);
    driver.onStatementSent = [&events](const StatementRecord& record) {
        events.push_back("sent " + ToJsonLine(record));
    };
    driver.onStepStarted = [&events](const std::string& step) { events.push_back("step " + step); };
    try {
        connection.open(connectionText);
        driver.RunProduct(product, connectionText);
    } catch (const DatabaseError& e) {
        events.push_back(fmt::format("error {}: {}", e.errorClass(), e.what()));
    }
    return events;
}

std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i)
        if (a[i] != b[i]) return fmt::format("event {}:\n  {}\n  {}", i, a[i], b[i]);
    if (a.size() == b.size()) return {};
    return fmt::format("event {}: one stream ends ({} and {} events)", common, a.size(), b.size());
}

}  // namespace orvel::test
