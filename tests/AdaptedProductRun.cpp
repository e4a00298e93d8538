// A product's run through the run driver, over the engine's bridges when the
// live server is the T-SQL engine.
#include "AdaptedProductRun.h"

#include "LiveServer.h"
#include "upgrade/RunDriver.h"
#include "database/OdbcDatabase.h"
#include "products/serverobjects/ServerObjects.h"

namespace orvel::test {

AdaptedRun RunProductAdapted(const std::string& product, const std::string& odbc, std::vector<EngineBridge>& bridges) {
    static const StepRegistry registry = BuildStepRegistry();
    OdbcDatabase connection;
    EngineAdaptedDatabase adapted(connection, AllObjectSteps());
    // Elsewhere than on the engine the statements go straight to the server.
    LoggingDatabase log(LiveServerIsTsqlEngine() ? static_cast<Database&>(adapted) : connection);
    FixedOptions options;
    SilentDisplay display;
    Progress progress(display);
    RunDriver driver(log, progress, registry, options);
    driver.onStepStarted = [&](const std::string& step) {
        log.setCurrentStep(step);
        adapted.setCurrentStep(step);
    };
    AdaptedRun run;
    try {
        log.open(odbc);
        driver.RunProduct(product, odbc);
    } catch (const std::exception& e) {
        run.error = e.what();
    }
    run.records = log.records();
    bridges.insert(bridges.end(), adapted.bridges().begin(), adapted.bridges().end());
    return run;
}

}  // namespace orvel::test
