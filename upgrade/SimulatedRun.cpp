// Running a product's steps on the catalogue simulator.
#include "upgrade/SimulatedRun.h"

#include "products/StepRegistry.h"
#include "schema/CatalogueReader.h"
#include "schema/CatalogueSimulator.h"
#include "schema/Progress.h"

namespace orvel {

namespace {

CatalogueSnapshot Simulate(const std::string& product, CatalogueSnapshot start, const OptionsSource& options,
                           CatalogueReads reads, const StepRegistry& registry,
                           const std::function<void(const StatementRecord&)>& onStatement) {
    CatalogueSimulator simulator(std::move(start));
    LoggingDatabase log(simulator, LoggingDatabase::Keep::None);
    log.onRecord = onStatement;
    SilentDisplay display;
    Progress progress(display);
    RunDriver driver(log, progress, registry, options, nullptr, reads);
    driver.onStepStarted = [&log](const std::string& step) { log.setCurrentStep(step); };
    const std::string simulated = "simulated catalogue";
    log.open(simulated);
    driver.RunProduct(product, simulated);
    return simulator.catalogue();
}

}  // namespace

CatalogueSnapshot SimulateRun(const std::string& product, CatalogueSnapshot start, const OptionsSource& options,
                              CatalogueReads reads,
                              const std::function<void(const StatementRecord&)>& onStatement) {
    return Simulate(product, std::move(start), options, reads, BuildStepRegistry(), onStatement);
}

PlannedRun PlanRun(const std::string& product, const CatalogueSnapshot& start, const OptionsSource& options,
                   const StepRegistry& registry) {
    PlannedRun run;
    try {
        Simulate(product, start, options, CatalogueReads::Once, registry, [&run](const StatementRecord& record) {
            if (record.error)
                run.stop = SimulatedStop{run.statements.size(), *record.error};
            run.statements.push_back({record.step, record.sql});
        });
    } catch (const DatabaseError&) {
        // The simulated database refused a statement: the run stops there.
        if (!run.stop) throw;
    }
    return run;
}

CheckReport CheckRunOn(Database& db, const CatalogueSnapshot& start, const std::string& product,
                       const OptionsSource& options, const StepRegistry& registry, int* roundTrips) {
    PlannedRun run = PlanRun(product, start, options, registry);
    return CheckPlannedRun(db, product, start, std::move(run.statements), std::move(run.stop), roundTrips);
}

CheckReport CheckRun(Database& db, const std::string& product, const OptionsSource& options, int* roundTrips) {
    const CatalogueSnapshot start = ReadCatalogueSnapshot(ReadOnlyCatalogue(db));
    if (roundTrips) *roundTrips += 1;
    return CheckRunOn(db, start, product, options, BuildStepRegistry(), roundTrips);
}

}  // namespace orvel
