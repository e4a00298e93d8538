// Running a product's steps on the catalogue simulator.
#include "upgrade/SimulatedRun.h"

#include "products/StepRegistry.h"
#include "schema/CatalogueReader.h"
#include "schema/CatalogueSimulator.h"
#include "schema/Progress.h"

namespace orvel {

CatalogueSnapshot SimulateRun(const std::string& product, CatalogueSnapshot start, const OptionsSource& options,
                              CatalogueReads reads,
                              const std::function<void(const StatementRecord&)>& onStatement) {
    CatalogueSimulator simulator(std::move(start));
    LoggingDatabase log(simulator, LoggingDatabase::Keep::None);
    log.onRecord = onStatement;
    SilentDisplay display;
    Progress progress(display);
    const StepRegistry registry = BuildStepRegistry();
    RunDriver driver(log, progress, registry, options, nullptr, reads);
    driver.onStepStarted = [&log](const std::string& step) { log.setCurrentStep(step); };
    const std::string simulated = "simulated catalogue";
    log.open(simulated);
    driver.RunProduct(product, simulated);
    return simulator.catalogue();
}

CheckReport CheckRun(Database& db, const std::string& product, const OptionsSource& options, int* roundTrips) {
    CatalogueSnapshot start = ReadCatalogueSnapshot(ReadOnlyCatalogue(db));
    if (roundTrips) *roundTrips += 1;
    std::vector<PlannedStatement> plan;
    SimulateRun(product, start, options, CatalogueReads::Once,
                [&plan](const StatementRecord& record) { plan.push_back({record.step, record.sql}); });
    return CheckPlannedRun(db, product, start, std::move(plan), roundTrips);
}

}  // namespace orvel
