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

void RunDriver::BitBtn2Click(ConnectionSettings& settings) {
    auto record = OpenRecorded(db_, settings, options_.options(), RecordKind::Run, records_);
    if (!record) return;
    runRecorded(*record, settings.ProductId(), settings.ConnectionText());
}

void RunDriver::RunWithConnectionText(const std::string& productId, const std::string& connectionText) {
    RecordWriter record =
        OpenRecorded(db_, {RecordKind::Run, productId, options_.options(), connectionText, true}, records_);
    runRecorded(record, productId, connectionText);
}

void RunDriver::runRecorded(RecordWriter& record, const std::string& productId, const std::string& connectionText) {
    record_ = &record;
    if (onConnectionOpened) onConnectionOpened(record);
    refused_.reset();
    rolledBackStep_.reset();
    try {
        RunProduct(productId, connectionText);
    } catch (const DatabaseError& e) {
        // Under the database's own lines: what explains the refusal, then
        // whether the step was undone.
        std::string added = explainRefused();
        if (rolledBackStep_)
            added += fmt::format("{}The step \"{}\" was rolled back: its tables are as they were before it.",
                                 added.empty() ? "" : "\n", *rolledBackStep_);
        if (added.empty()) {
            record.failed(e, stage_);
            record_ = nullptr;
            throw;
        }
        DatabaseError explained(e.errorClass(), std::string(e.what()) + "\n" + added, e.sqlState(),
                                e.nativeCode());
        record.failed(explained, stage_);
        record_ = nullptr;
        throw explained;
    } catch (const std::exception& e) {
        record.failed(e, stage_);
        record_ = nullptr;
        throw;
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

void RunDriver::takeRunLock(RunLock& lock) {
    const std::string note = lock.take();
    if (record_) record_->note(note);
}

void RunDriver::RunProduct(const std::string& productId, const std::string& connectionText) {
    stage_ = kStageBeforeSteps;
    sent_.setCurrentStep(std::nullopt);
    // A list this program cannot complete is refused before anything is sent.
    checkEveryStepRegistered(productId);
    // Held until the run ends, however it ends; asked of db_ itself, so the
    // log never sees it.
    RunLock lock(db_);
    takeRunLock(lock);
    // After a reconnect the lock is taken again before the first statement
    // sent on the new connection: the steps in between answer from the kept
    // picture and send nothing, and a reconnect after which the run sends
    // nothing asks for no lock.
    bool lockDue = false;
    sent_.beforeEachStatement = [&] {
        if (!lockDue) return;
        lockDue = false;
        takeRunLock(lock);
    };
    const struct ForgetLockHook {
        LoggingDatabase& sent;
        ~ForgetLockHook() { sent.beforeEachStatement = nullptr; }
    } forgetLockHook{sent_};
    // Whatever was done on the connection since the last run (the query
    // window sends past the picture) is read afresh.
    picture_.openedPast(connectionText);
    if (checkFirst && record_) checkBeforeFirstStatement(productId);
    progress_.resetOverallGauge(schema_.CountTables());

    if (productId == "Tamrix2") schema_.DropTableIfPresent("LOGIN");
    const bool velora = productId == "Velora";
    for (const auto& entry : StepListFor(productId)) {
        if (entry.isReconnectPoint()) {
            if (velora && options_.options().web) continue;
            stage_ = "reconnecting after " + stage_;
            // Given back before closing: a driver that pools connections
            // keeps the session, and a session's lock, past a close.
            lock.release();
            steps_.close();
            steps_.open(connectionText);
            lockDue = true;
            continue;
        }
        const std::string step(entry.step);
        stage_ = step;
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

    // The run is complete here; the message below waits for the user.
    lock.release();
    if (record_) record_->succeeded();
    progress_.display().focusExitButton();
    progress_.display().showSuccessMessage(std::string(kRunSucceededMessage));
}

}  // namespace orvel
