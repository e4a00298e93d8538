// What the main window does, whatever draws it: the options read from its
// controls, the Start, Exit and query buttons, the progress display, the
// success box with the focus move to Exit, and the ErrorBox.
//
// Start first checks the database (the check of `check`, on the run's own
// catalogue reading): when a refusal is foreseen nothing is sent and the
// check dialog lists the refusals, with "Run anyway" (the run as it always
// was) and "Close"; when none is, the run starts at once and what the check
// found goes to the record only.
//
// A front-end (Qt, Win32) draws the window from MainWindowTable(), implements
// MainWindowView over its controls and calls the handlers below from its
// buttons and keys; it holds no behaviour of its own, so both windows behave
// alike.  Every handler runs on the GUI thread and blocks it until done: the
// window takes no input meanwhile, and input queued during a run is thrown
// away rather than acted on afterwards.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/MessageBoxes.h"
#include "upgrade/Platform.h"
#include "upgrade/RunDriver.h"
#include "upgrade/RunOptions.h"
#include "upgrade/RunRecords.h"
#include "products/StepRegistry.h"
#include "app/WindowLayout.h"
#include "query/QueryRunner.h"
#include "database/Database.h"
#include "schema/Progress.h"

namespace orvel {

// What the windows are given for the program's whole life.  Each program's
// start-up builds it once (the ODBC database, the machine, its toolkit's
// dialogs, the user's records folder); tests pass the catalogue simulator
// and doubles.
struct WindowServices {
    Database& connection;  // ADOConnection1, through which every statement goes
    const StepRegistry& registry;
    const SystemInfo& system;
    AccessFileDialog& openDialog;  // OpenDialog1
    MessageBoxes& messages;
    const RunRecords* records = nullptr;  // where runs and query windows are recorded; none: not kept
};

// The main window's controls as a front-end exposes them.  Controls are
// named by their ids in MainWindowTable().
class MainWindowView {
public:
    virtual ~MainWindowView() = default;
    // The index of the selected entry of a radio group.
    virtual int selectedEntry(ControlId radioGroup) const = 0;
    // Whether a check box or radio button is on.
    virtual bool isChecked(ControlId button) const = 0;
    // Shows a label's text or a bar's state and repaints it at once (a run
    // blocks the GUI thread, so nothing would repaint it later).
    virtual void showText(ControlId label, std::string_view text) = 0;
    virtual void showGauge(ControlId gauge, const Gauge& state) = 0;
    virtual void giveFocus(ControlId control) = 0;
    // Closes the main window, which ends the program.
    virtual void closeWindow() = 0;
    // Shows the query window modally; returns when it is closed.
    virtual void showQueryWindow() = 0;
    // Throws away the keys and clicks that arrived while a handler ran.
    virtual void discardQueuedInput() = 0;
    // Shows the check dialog (CheckDialogTable()) modally with `report` in
    // its report box; returns true for "Run anyway", false for "Close" (or
    // the dialog closed otherwise).
    virtual bool askRunDespiteRefusals(std::string_view report) = 0;
};

class MainWindowHandlers : public ProgressDisplay, public OptionsSource {
public:
    MainWindowHandlers(const WindowServices& services, MainWindowView& view);

    void BitBtn2Click();       // Start: the upgrade run
    void BitBtn3Click();       // Exit, and Esc (Action1)
    void SpeedButton1Click();  // the query window

    // RunOptions, read from the controls at the moment they are asked for.
    RunOptions options() const override;

    // What the query window runs its texts through, on the window's
    // connection; it keeps the record of the current opening.
    QueryRunner& queryRunner() noexcept { return queryRunner_; }

    void tableNameChanged(std::string_view name) override;
    void fieldNameChanged(std::string_view name) override;
    void tableGaugeChanged(const Gauge& gauge) override;
    void overallGaugeChanged(const Gauge& gauge) override;
    void focusExitButton() override;
    void showSuccessMessage(const std::string& message) override;

private:
    // Runs a handler; an error that it does not catch ends it and is shown
    // by the ErrorBox.
    void showingErrors(const std::function<void()>& handler);
    // What Start does with the check's report before the first statement.
    bool runDespite(const CheckReport& report);

    MainWindowView& view_;
    MessageBoxes& messages_;
    Progress progress_;
    ConnectionSettings settings_;
    RunDriver driver_;
    QueryRunner queryRunner_;
};

}  // namespace orvel
