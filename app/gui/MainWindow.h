// The main window TForm1: the options, Start, Exit, the query button and the
// progress display.
//
// The window binds its controls to the core and holds no upgrade logic: it
// reads its controls live as the run's options, shows the run's progress (the
// labels and bars repaint at once, since a run blocks the GUI thread), and
// hands Start to the run driver and the query button to the connection
// settings.  An error that no code catches ends the handler it arose in and
// is shown by the ErrorBox; nothing is reset.
#pragma once

#include <QSize>
#include <QWidget>

#include <functional>

#include "app/ConnectionSettings.h"
#include "app/Platform.h"
#include "app/RunDriver.h"
#include "app/RunOptions.h"
#include "app/RunRecords.h"
#include "app/StepRegistry.h"
#include "app/gui/MainWindowControls.h"
#include "query/QueryRunner.h"
#include "schema/Database.h"
#include "schema/Progress.h"

namespace orvel {

class MessageBoxes;
class TFQuery;

// What the window is given for its whole life.  The program passes the ODBC
// database, the machine, Qt's dialogs and the user's records folder; tests
// pass the catalogue simulator and doubles that answer without a person.
struct WindowServices {
    Database& connection;  // ADOConnection1, through which every statement goes
    const StepRegistry& registry;
    const SystemInfo& system;
    AccessFileDialog& openDialog;  // OpenDialog1
    MessageBoxes& messages;
    const RunRecords* records = nullptr;  // where runs and query windows are recorded; none: not kept
};

class TForm1 : public QWidget, public ProgressDisplay, public OptionsSource {
    Q_OBJECT

public:
    static constexpr QSize kOuterSize{710, 440};

    explicit TForm1(const WindowServices& services);
    ~TForm1() override;

    // The query window that SpeedButton1 opens (created hidden at start-up).
    void setQueryWindow(TFQuery* queryWindow) { queryWindow_ = queryWindow; }
    // What the query window runs its texts through, on this window's connection.
    QueryRunner& queryRunner() noexcept { return queryRunner_; }

    // RunOptions, read from the controls at the moment they are asked for.
    RunOptions options() const override;

    void tableNameChanged(std::string_view name) override;
    void fieldNameChanged(std::string_view name) override;
    void tableGaugeChanged(const Gauge& gauge) override;
    void overallGaugeChanged(const Gauge& gauge) override;
    void focusExitButton() override;
    void showSuccessMessage(const std::string& message) override;

public slots:
    void BitBtn2Click();       // Start: the upgrade run
    void BitBtn3Click();       // Exit (also Esc)
    void SpeedButton1Click();  // the query window

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void showingErrors(const std::function<void()>& handler);
    void fitOuterFrame();

    MainWindowControls ui_;
    MessageBoxes& messages_;
    Progress progress_;
    ConnectionSettings settings_;
    RunDriver driver_;
    QueryRunner queryRunner_;
    TFQuery* queryWindow_ = nullptr;
    bool placed_ = false;
};

}  // namespace orvel
