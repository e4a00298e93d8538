// A product's run over the engine adapter.
#include "AdaptedProductRun.h"

#include "LiveServer.h"
#include "app/RunDriver.h"
#include "schema/OdbcDatabase.h"
#include "serverobjects/ServerObjects.h"

namespace orvel::test {

ProductRun RunThroughEngineAdapter(const std::string& product, const std::string& odbc,
                                   std::vector<EngineBridge>& bridges) {
    static const StepRegistry registry = BuildStepRegistry();
    OdbcDatabase connection;
    EngineAdaptedDatabase adapted(connection, AllObjectSteps());
    LoggingDatabase log(LiveServerIsTsqlEngine() ? static_cast<Database&>(adapted) : connection);
    FixedOptions options;
    SilentDisplay display;
    Progress progress(display);
    RunDriver driver(log, progress, registry, options);
    driver.onStepStarted = [&](const std::string& step) {
        log.setCurrentStep(step);
        adapted.setCurrentStep(step);
    };
    ProductRun run;
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
