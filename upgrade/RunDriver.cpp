// The run driver: what the Start button does, step by step.
#include "upgrade/RunDriver.h"

#include <fmt/format.h>

#include "upgrade/Messages.h"
#include "upgrade/RecordedOpening.h"
#include "upgrade/SimulatedRun.h"
#include "products/StepLists.h"
#include "upgrade/WholeSteps.h"
#include "database/RunLock.h"
#include "check/CheckReportJson.h"
#include "check/RefusalCheck.h"
#include "schema/CatalogueReader.h"

namespace orvel {

namespace {

constexpr const char* kStageBeforeSteps = "before the first step";
constexpr const char* kStageCheck = "the check before the first step";

// What stopWhenAsked throws; runRecorded turns it into RunInterrupted.
class StopAsked : public std::runtime_error {
public:
    StopAsked() : std::runtime_error("The run was asked to stop") {}
};

std::string InterruptedMessage(StopCause cause, const std::string& where,
                               const std::optional<std::string>& rolledBackStep, bool nothingSent) {
    std::string message = fmt::format("The upgrade was stopped by {} {}.", StopCauseText(cause), where);
    if (nothingSent) return message + " Nothing was sent; the database is as it was.";
    if (rolledBackStep)
        return message + fmt::format(" The step \"{}\" was rolled back: its tables are as they were before it.",
                                     *rolledBackStep);
    return message + " What it sent before it stopped stays applied; run the upgrade again to complete it.";
}

std::string RefusalExpectedMessage(const CheckReport& report) {
    std::string message = fmt::format(
        "The check expects the database to refuse {} statement(s) of this run; nothing was sent.\n",
        report.refusals.size());
    for (const auto& r : report.refusals)
        message += fmt::format("Step {}: {}\n", r.step.value_or(kStageBeforeSteps), r.statement);
    message += RefusalExplanation(report.refusals);
    while (!message.empty() && message.back() == '\n') message.pop_back();
    return message;
}

}  // namespace

RefusalExpectedError::RefusalExpectedError(CheckReport report)
    : std::runtime_error(RefusalExpectedMessage(report)), report_(std::move(report)) {}

RunInterrupted::RunInterrupted(StopCause cause, const std::string& where,
                               const std::optional<std::string>& rolledBackStep, bool nothingSent)
    : std::runtime_error(InterruptedMessage(cause, where, rolledBackStep, nothingSent)), cause_(cause) {}

RunDriver::RunDriver(Database& db, Progress& progress, const StepRegistry& registry, const OptionsSource& options,
                     const RunRecords* records, CatalogueReads reads)
    : db_(db),
      progress_(progress),
      registry_(registry),
      options_(options),
      records_(records),
      sent_(db, LoggingDatabase::Keep::None),
      picture_(sent_),
      steps_(reads == CatalogueReads::Once ? static_cast<Database&>(picture_) : sent_),
      schema_(steps_, progress, [&options] { return options.options().databaseKind; }) {
    sent_.onRecord = [this](const StatementRecord& statement) {
        if (statement.error) refused_ = statement.sql;
        if (record_) record_->statement(statement);
        if (onStatementSent) onStatementSent(statement);
    };
}

namespace {

// Gives a recorded run's lock back however the run ends.
struct LockGivenBack {
    std::unique_ptr<RunLock>& lock;
    ~LockGivenBack() { lock.reset(); }
};

}  // namespace

void RunDriver::BitBtn2Click(ConnectionSettings& settings) {
    const LockGivenBack givenBack{lock_};
    auto record = OpenRecorded(db_, settings, options_.options(), RecordKind::Run, records_, lockedOpening());
    if (!record) return;
    runRecorded(*record, settings.ProductId(), settings.ConnectionText());
}

void RunDriver::RunWithConnectionText(const std::string& productId, const std::string& connectionText) {
    const LockGivenBack givenBack{lock_};
    RecordWriter record = OpenRecorded(db_, {RecordKind::Run, productId, options_.options(), connectionText, true},
                                       records_, lockedOpening());
    runRecorded(record, productId, connectionText);
}

Opening RunDriver::lockedOpening() {
    return [this](RecordWriter& record, const RecordHeader& header) {
        if (onRecordStarted) onRecordStarted(record, header);
        stage_ = kStageOpening;
        inStep_ = false;
        try {
            lock_ = std::make_unique<RunLock>(db_);
            // The lock's session is the run's first contact with the server:
            // a system database is refused there, before anything is sent.
            if (const Database* session = lock_->openSession(header.connectionText))
                RefuseSystemDatabase(*session, header.connectionText);
            record.note(lock_->take());
            OpenConnection(db_, header.connectionText);
        } catch (const std::exception&) {
            // A stop asked for while the connection opened (a safety copy
            // being made, its backup cancelled) ends the run as interrupted.
            if (stopCause_.load() != StopCause::None) throw interrupted(record);
            throw;
        }
    };
}

void RunDriver::requestStop(StopCause cause) noexcept {
    StopCause none = StopCause::None;
    if (cause == StopCause::None || !stopCause_.compare_exchange_strong(none, cause)) return;
    db_.cancel();
}

void RunDriver::stopWhenAsked() const {
    if (stopCause_.load() != StopCause::None) throw StopAsked();
}

RunInterrupted RunDriver::interrupted(RecordWriter& record) const {
    const StopCause cause = stopCause_.load();
    const std::string where = inStep_ ? fmt::format("in the step \"{}\"", stage_) : "(" + stage_ + ")";
    RunInterrupted stopped(cause, where, rolledBackStep_, stage_ == kStageOpening);
    record.interrupted(StopCauseName(cause), stage_, stopped.what());
    return stopped;
}

void RunDriver::runRecorded(RecordWriter& record, const std::string& productId, const std::string& connectionText) {
    record_ = &record;
    if (onConnectionOpened) onConnectionOpened(record);
    refused_.reset();
    rolledBackStep_.reset();
    inStep_ = false;
    try {
        stage_ = kStageBeforeSteps;
        // A database that gave the lock no session of its own is looked
        // at here, still before anything is sent.
        RefuseSystemDatabase(db_, connectionText);
        const RunTarget target = DescribeRunTarget(db_, productId, connectionText);
        record.note(RunTargetJson(target));
        if (onTargetKnown) onTargetKnown(target);
        RunProduct(productId, connectionText);
    } catch (const std::exception& e) {
        record_ = nullptr;
        // Whatever ended the run once a stop was asked for (the cancelled
        // statement's error among them) ends it as interrupted.
        if (stopCause_.load() != StopCause::None) throw interrupted(record);
        const auto* databaseError = dynamic_cast<const DatabaseError*>(&e);
        // Under the database's own lines: what explains the refusal, then
        // whether the step was undone.
        std::string added = databaseError ? explainRefused() : std::string();
        if (databaseError && rolledBackStep_)
            added += fmt::format("{}The step \"{}\" was rolled back: its tables are as they were before it.",
                                 added.empty() ? "" : "\n", *rolledBackStep_);
        if (added.empty()) {
            record.failed(e, stage_);
            throw;
        }
        DatabaseError explained(databaseError->errorClass(), std::string(e.what()) + "\n" + added,
                                databaseError->sqlState(), databaseError->nativeCode());
        record.failed(explained, stage_);
        throw explained;
    }
    record_ = nullptr;
}

std::string RunDriver::explainRefused() noexcept {
    if (!refused_) return {};
    try {
        if (!db_.isOpen()) return {};
        std::string explanation = RefusalExplanation(ExplainRefusal(db_, *refused_));
        while (!explanation.empty() && explanation.back() == '\n') explanation.pop_back();
        return explanation;
    } catch (...) {
        // A database that cannot answer (the simulator, a lost connection)
        // leaves the message as the database gave it.
        return {};
    }
}

void RunDriver::checkBeforeFirstStatement(const std::string& productId) {
    stage_ = kStageCheck;
    // The run's own reading: the picture keeps it for the steps.
    const CatalogueSnapshot start = ReadCatalogueSnapshot(ReadOnlyCatalogue(steps_));
    CheckReport report = CheckRunOn(db_, start, productId, options_, registry_);
    record_->note(nlohmann::ordered_json{{"check", CheckReportJson(report)}});
    const bool goOn = onChecked ? onChecked(report) : report.refusals.empty();
    if (!report.refusals.empty() && !goOn) throw RefusalExpectedError(std::move(report));
    stage_ = kStageBeforeSteps;
}

void RunDriver::checkEveryStepRegistered(const std::string& productId) const {
    for (const auto& entry : StepListFor(productId)) {
        if (!entry.isReconnectPoint() && !registry_.contains(entry.step))
            throw MissingStepError("The step \"" + std::string(entry.step) + "\" of product " + productId +
                                   " is not part of this program; nothing was changed");
    }
}

void RunDriver::RunProduct(const std::string& productId, const std::string& connectionText) {
    stage_ = kStageBeforeSteps;
    inStep_ = false;
    sent_.setCurrentStep(std::nullopt);
    // A list this program cannot complete is refused before anything is sent.
    checkEveryStepRegistered(productId);
    // Before each statement: a stop asked for, or the run lock lost, ends
    // the run with the statement unsent.
    sent_.beforeEachStatement = [this] {
        stopWhenAsked();
        if (lock_) lock_->throwIfLost();
    };
    const struct ForgetHook {
        LoggingDatabase& sent;
        ~ForgetHook() { sent.beforeEachStatement = nullptr; }
    } forgetHook{sent_};
    // Whatever was done on the connection since the last run (the query
    // window sends past the picture) is read afresh.
    picture_.openedPast(connectionText);
    if (checkFirst && record_) checkBeforeFirstStatement(productId);
    progress_.resetOverallGauge(schema_.CountTables());

    if (productId == "Tamrix2") schema_.DropTableIfPresent("LOGIN");
    const bool velora = productId == "Velora";
    std::string lastStep;
    for (const auto& entry : StepListFor(productId)) {
        if (entry.isReconnectPoint()) {
            if (velora && options_.options().web) continue;
            stage_ = "reconnecting after " + stage_;
            inStep_ = false;
            stopWhenAsked();
            // The run lock lives on a session of its own: a reconnect closes
            // and opens only the run's connection.
            steps_.close();
            if (onReconnect) onReconnect(ReconnectMoment::Closed, lastStep);
            steps_.open(connectionText);
            if (onReconnect) onReconnect(ReconnectMoment::Reopened, lastStep);
            continue;
        }
        const std::string step(entry.step);
        stage_ = lastStep = step;
        inStep_ = true;
        stopWhenAsked();
        sent_.setCurrentStep(step);
        if (onStepStarted) onStepStarted(step);
        const auto runStep = [this, &step] { (*registry_.find(step))(schema_); };
        if (!wholeSteps_) {
            runStep();
            continue;
        }
        try {
            RunAsOneTransaction(db_, picture_, runStep);
        } catch (...) {
            rolledBackStep_ = step;
            throw;
        }
    }
    if (velora) progress_.setOverallPosition(100);

    // The run is complete here; the message below waits for the user, who
    // must not keep the lock meanwhile.
    if (lock_) lock_->release();
    if (record_) record_->succeeded();
    progress_.display().focusExitButton();
    progress_.display().showSuccessMessage(std::string(kRunSucceededMessage));
}

}  // namespace orvel
