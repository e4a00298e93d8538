// The main window's handlers, options and progress display.
#include "app/MainWindowHandlers.h"

#include <exception>

#include "app/CheckDialogText.h"
#include "upgrade/Messages.h"

namespace orvel {

MainWindowHandlers::MainWindowHandlers(const WindowServices& services, MainWindowView& view)
    : view_(view),
      messages_(services.messages),
      progress_(*this),
      settings_(services.system, services.openDialog),
      driver_(services.connection, progress_, services.registry, *this, services.records),
      queryRunner_(services.connection, services.records) {
    driver_.checkFirst = true;
    driver_.onChecked = [this](const CheckReport& report) { return runDespite(report); };
}

bool MainWindowHandlers::runDespite(const CheckReport& report) {
    if (report.refusals.empty()) return true;
    // Keys pressed before the check must not answer the dialog unread.
    view_.discardQueuedInput();
    return view_.askRunDespiteRefusals(CheckDialogText(report));
}

RunOptions MainWindowHandlers::options() const {
    RunOptions options;
    options.productEntry = view_.selectedEntry(ControlId::RadioGroup1);
    options.databaseKind = view_.isChecked(ControlId::RadioButton2)   ? DatabaseKind::SqlServer
                           : view_.isChecked(ControlId::RadioButton1) ? DatabaseKind::Access
                                                                      : DatabaseKind::Oracle;
    options.serverVersion = static_cast<ServerVersion>(view_.selectedEntry(ControlId::RadioGroup2));
    options.local = view_.isChecked(ControlId::CheckBox9);
    options.web = view_.isChecked(ControlId::CheckWeb);
    return options;
}

void MainWindowHandlers::tableNameChanged(std::string_view name) { view_.showText(ControlId::LNameTable, name); }
void MainWindowHandlers::fieldNameChanged(std::string_view name) { view_.showText(ControlId::LNameField, name); }
void MainWindowHandlers::tableGaugeChanged(const Gauge& gauge) { view_.showGauge(ControlId::TableGauge, gauge); }
void MainWindowHandlers::overallGaugeChanged(const Gauge& gauge) {
    view_.showGauge(ControlId::OverallGauge, gauge);
}
void MainWindowHandlers::focusExitButton() { view_.giveFocus(ControlId::BitBtn3); }

void MainWindowHandlers::showSuccessMessage(const std::string& message) {
    // Keys pressed during the run must not dismiss the box unread.
    view_.discardQueuedInput();
    messages_.inform(message);
}

void MainWindowHandlers::showingErrors(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        view_.discardQueuedInput();
        messages_.showError(ErrorBoxText(e.what()));
    } catch (...) {
        view_.discardQueuedInput();
        messages_.showError(ErrorBoxText("An unknown error ended the operation"));
    }
    view_.discardQueuedInput();
}

void MainWindowHandlers::BitBtn2Click() {
    showingErrors([this] {
        try {
            driver_.BitBtn2Click(settings_);
        } catch (const RefusalExpectedError&) {
            // Closed at the check dialog: nothing was sent, and the dialog
            // already said why.
        }
    });
}

void MainWindowHandlers::BitBtn3Click() { view_.closeWindow(); }

void MainWindowHandlers::SpeedButton1Click() {
    showingErrors([this] {
        if (!queryRunner_.open(settings_, options())) return;
        view_.showQueryWindow();
        queryRunner_.close();
    });
}

}  // namespace orvel
