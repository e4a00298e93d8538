// The run driver: what the Start button does, step by step.
#include "app/RunDriver.h"

#include "app/Messages.h"
#include "app/StepLists.h"

namespace orvel {

RunDriver::RunDriver(Database& db, Progress& progress, const StepRegistry& registry,
                     const OptionsSource& options, CatalogueReads reads)
    : picture_(db),
      db_(reads == CatalogueReads::Once ? static_cast<Database&>(picture_) : db),
      progress_(progress),
      registry_(registry),
      options_(options),
      schema_(db_, progress, [&options] { return options.options().databaseKind; }) {}

void RunDriver::BitBtn2Click(ConnectionSettings& settings) {
    if (!settings.Connect(db_, options_.options())) return;
    RunProduct(settings.ProductId(), settings.ConnectionText());
}

void RunDriver::checkEveryStepRegistered(const std::string& productId) const {
    for (const auto& entry : StepListFor(productId)) {
        if (!entry.isReconnectPoint() && !registry_.contains(entry.step))
            throw MissingStepError("The step \"" + std::string(entry.step) + "\" of product " + productId +
                                   " is not part of this program; nothing was changed");
    }
}

void RunDriver::RunProduct(const std::string& productId, const std::string& connectionText) {
    // A list this program cannot complete is refused before anything is sent.
    checkEveryStepRegistered(productId);
    // Whatever was done on the connection since the last run (the query
    // window sends past the picture) is read afresh.
    picture_.invalidate();
    progress_.resetOverallGauge(schema_.CountTables());

    if (productId == "Tamrix2") schema_.DropTableIfPresent("LOGIN");
    const bool velora = productId == "Velora";
    for (const auto& entry : StepListFor(productId)) {
        if (entry.isReconnectPoint()) {
            if (velora && options_.options().web) continue;
            db_.close();
            db_.open(connectionText);
            continue;
        }
        const std::string step(entry.step);
        if (onStepStarted) onStepStarted(step);
        (*registry_.find(step))(schema_);
    }
    if (velora) progress_.setOverallPosition(100);

    progress_.display().focusExitButton();
    progress_.display().showSuccessMessage(std::string(kRunSucceededMessage));
}

}  // namespace orvel
