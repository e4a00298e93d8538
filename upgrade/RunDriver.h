// The upgrade run: connection, overall bar, the product's step list, success.
//
// BitBtn2Click is what the Start button does.  Nothing here stops an error:
// a failure ends the run where it arose and reaches the caller (the window's
// ErrorBox, or the command line), with every statement already sent left
// applied and the progress display as it was at that moment.
//
// Every statement of a run passes through the driver's own log, so the
// driver writes the record of each run it starts (when the program keeps
// records) and hands each statement to onStatementSent (`upgrade --log`).
//
// When the database refuses a statement of a run, the driver asks it what
// rows or missing columns explain the refusal (the questions of `check`) and
// adds the answer under the database's own message, for every front end and
// the record alike; nothing is added when nothing explains it.
//
// By default the schema operations ask a catalogue picture in front of that
// log, which reads the catalogue once when a run starts and keeps it across
// the reconnects of the step list; asked to, the driver lets every operation
// ask the database itself.  What the run sends is the same either way.
//
// A recorded run holds the database's run lock (database/RunLock.h) on a
// session of its own, opened once the record has started and before the
// run's connection (so before a safety copy is made), kept across the
// step list's reconnect points and given back when the run ends, so that a
// second upgrade of the same database fails at once instead of changing the
// same tables.  The lock is no statement: the log and the picture never see
// it, and the record notes it.  Should its session be lost, the run stops
// before its next statement.
//
// Before anything is sent the driver refuses a connection that leads to one
// of the server's own databases, then names the target (RunTarget.h) in the
// record and to onTargetKnown.
//
// A run can be stopped from another thread (requestStop: the command line's
// Ctrl-C and SIGTERM): the statement under way is cancelled or allowed to
// end, nothing more is sent, a step under way with whole steps is rolled
// back, and the run ends with RunInterrupted, its record saying so.
//
// Asked to, the driver runs each step as one transaction (WholeSteps.h);
// the reconnect points fall between steps, so no transaction spans one.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/RecordedOpening.h"
#include "upgrade/RunOptions.h"
#include "upgrade/RunRecords.h"
#include "products/StepRegistry.h"
#include "schema/CataloguePicture.h"
#include "database/Database.h"
#include "schema/Progress.h"
#include "database/RunLock.h"
#include "check/RefusalCheck.h"
#include "upgrade/RunTarget.h"
#include "upgrade/StopSignals.h"
#include "schema/SchemaOperations.h"
#include "database/StatementLog.h"

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

// `upgrade --check-first` found statements the database would refuse;
// nothing was sent.
class RefusalExpectedError : public std::runtime_error {
public:
    explicit RefusalExpectedError(CheckReport report);
    const CheckReport& report() const noexcept { return report_; }

private:
    CheckReport report_;
};

// The run was stopped from outside (requestStop); what it sent stays
// applied, but for a step under way with whole steps, which was rolled back.
class RunInterrupted : public std::runtime_error {
public:
    // `where`: "in the step \"S\"" or the stage it stopped in;
    // `rolledBackStep`: the step rolled back, if any; `nothingSent`: it
    // stopped while its connection opened.
    RunInterrupted(StopCause cause, const std::string& where, const std::optional<std::string>& rolledBackStep,
                   bool nothingSent = false);
    StopCause cause() const noexcept { return cause_; }

private:
    StopCause cause_;
};

// The moments of a reconnect point the driver tells onReconnect about.
enum class ReconnectMoment {
    Closed,    // the run's connection is closed and not yet opened again
    Reopened,  // it is open again; nothing has been sent on it yet
};

class RunDriver {
public:
    // `records` (may be null: none kept) receives a record of every run
    // started by BitBtn2Click or RunWithConnectionText.
    RunDriver(Database& db, Progress& progress, const StepRegistry& registry, const OptionsSource& options,
              const RunRecords* records = nullptr, CatalogueReads reads = CatalogueReads::Once);

    // The Start button: settings, connection, then RunProduct, recorded.
    // Returns without doing anything when the settings were aborted.
    void BitBtn2Click(ConnectionSettings& settings);

    // As BitBtn2Click with a connection text given as it is (the command
    // line's ODBC string) instead of one built from the choices.
    void RunWithConnectionText(const std::string& productId, const std::string& connectionText);

    // Everything after the connection is open: the overall bar's maximum,
    // the step list of `productId` with its reconnect points (reopening with
    // `connectionText`, the text the connection was opened with), the focus
    // move and the success message.  Not recorded by itself and takes no
    // lock (`plan` runs it on the simulator, which gives none).
    void RunProduct(const std::string& productId, const std::string& connectionText);

    // Called with each step name just before the step runs (logs, plans).
    std::function<void(const std::string& step)> onStepStarted;
    // Called with every statement of a run as soon as the database answered.
    std::function<void(const StatementRecord& statement)> onStatementSent;
    // Called once the connection of a recorded run is open, before anything
    // is sent: what it writes to the record comes before the statements.
    std::function<void(RecordWriter& record)> onConnectionOpened;
    // Called once the record of a run has started, before anything opens.
    std::function<void(const RecordWriter& record, const RecordHeader& header)> onRecordStarted;
    // Called once the connection of a recorded run is open and not refused,
    // before its first statement, with what the run is about to change.
    std::function<void(const RunTarget& target)> onTargetKnown;
    // Called at each reconnect point of the step list, with the step before
    // it, once when the connection is closed and once when it is open again.
    std::function<void(ReconnectMoment moment, const std::string& afterStep)> onReconnect;

    // Asks the run under way to stop, from any thread (a signal's): the
    // statement under way is cancelled, nothing more is sent, and the run
    // ends with RunInterrupted.  The first request counts, and a driver
    // asked to stop starts nothing more; a run that ends before it sends
    // anything more ends as it would have.
    void requestStop(StopCause cause) noexcept;

    // Each step in one transaction, committed at its end (SQL Server only).
    void setWholeSteps(bool whole) noexcept { wholeSteps_ = whole; }

    // When set, a recorded run first checks the database (reads only, on
    // the run's own catalogue reading) before it sends anything, writes the
    // report to the record and hands it to onChecked.  When a statement is
    // expected to be refused the run goes on only if onChecked says so;
    // otherwise it throws RefusalExpectedError, nothing sent.
    bool checkFirst = false;
    std::function<bool(const CheckReport& report)> onChecked;

    SchemaOperations& schema() noexcept { return schema_; }

private:
    void checkEveryStepRegistered(const std::string& productId) const;
    // How a recorded run opens once its record has started: the lock on a
    // session of its own, then the run's connection.
    Opening lockedOpening();
    void runRecorded(RecordWriter& record, const std::string& productId, const std::string& connectionText);
    void checkBeforeFirstStatement(const std::string& productId);
    // Throws when a stop was asked for; the run's record then says why.
    void stopWhenAsked() const;
    // The record's last line and the exception of a run stopped from outside.
    RunInterrupted interrupted(RecordWriter& record) const;
    // What explains the refusal of the statement last refused; empty when
    // nothing does or the questions cannot be asked.
    std::string explainRefused() noexcept;

    Database& db_;
    Progress& progress_;
    const StepRegistry& registry_;
    const OptionsSource& options_;
    const RunRecords* records_;
    LoggingDatabase sent_;  // in front of db_: what the steps send passes here
    CataloguePicture picture_;  // in front of sent_
    // What the run asks, sends and reconnects through: the picture, or the
    // log alone when every operation asks the database.
    Database& steps_;
    SchemaOperations schema_;
    RecordWriter* record_ = nullptr;  // the record of the run under way, if any
    std::string stage_;               // where the run is, for the record of a failure
    bool inStep_ = false;             // whether stage_ names a step under way
    std::unique_ptr<RunLock> lock_;   // the run lock of the recorded run under way
    std::atomic<StopCause> stopCause_{StopCause::None};
    bool wholeSteps_ = false;
    std::optional<std::string> refused_;  // the text of the statement last refused in this run
    std::optional<std::string> rolledBackStep_;  // the step a failure of this run rolled back
};

}  // namespace orvel
