// The upgrade run: connection, overall bar, the product's step list, success.
//
// BitBtn2Click is what the Start button does.  Nothing here catches an
// error: a failure ends the run where it arose and reaches the caller (the
// window's ErrorBox, or the command line), with every statement already sent
// left applied and the progress display as it was at that moment.
//
// By default the schema operations ask a catalogue picture in front of the
// connection, which reads the catalogue once when a run starts and again
// after each reconnect; asked to, the driver lets every operation ask the
// database itself.  What the run sends is the same either way.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "app/ConnectionSettings.h"
#include "app/RunOptions.h"
#include "app/StepRegistry.h"
#include "schema/CataloguePicture.h"
#include "schema/Database.h"
#include "schema/Progress.h"
#include "schema/SchemaOperations.h"

namespace orvel {

// A step list names a step that this program does not register.
class MissingStepError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How the run learns what the database holds.
enum class CatalogueReads {
    Once,            // one reading per connection, kept up to date by the picture
    EveryOperation,  // a table or column list asked of the database by every operation
};

class RunDriver {
public:
    RunDriver(Database& db, Progress& progress, const StepRegistry& registry,
              const OptionsSource& options, CatalogueReads reads = CatalogueReads::Once);

    // The Start button: settings, connection, then RunProduct.  Returns
    // without doing anything when the settings were aborted.
    void BitBtn2Click(ConnectionSettings& settings);

    // Everything after the connection is open: the overall bar's maximum, the
    // step list of `productId` with its reconnect points (reopening with
    // `connectionText`), the focus move and the success message.
    void RunProduct(const std::string& productId, const std::string& connectionText);

    // Called with each step name just before the step runs (logs, plans).
    std::function<void(const std::string& step)> onStepStarted;

    SchemaOperations& schema() noexcept { return schema_; }

private:
    void checkEveryStepRegistered(const std::string& productId) const;

    CataloguePicture picture_;
    // The connection, or the picture in front of it: what the run opens,
    // asks and sends through.
    Database& db_;
    Progress& progress_;
    const StepRegistry& registry_;
    const OptionsSource& options_;
    SchemaOperations schema_;
};

}  // namespace orvel
