// The main window TForm1 on Qt: draws MainWindowTable() and binds it to
// MainWindowHandlers.
//
// The window holds no behaviour of its own: its buttons and the Esc key call
// the handlers, and the handlers read the options and show the progress
// through the MainWindowView this class implements over its widgets.  What
// is Qt's alone lives here: the outer size fitted to the window manager's
// frame, the white client area with its border, and throwing away input that
// queued up while a handler blocked the GUI thread.
#pragma once

#include <QSize>
#include <QWidget>

#include "app/MainWindowHandlers.h"
#include "app/gui/WindowControls.h"

namespace orvel {

class TFQuery;

class TForm1 : public QWidget, public MainWindowView {
    Q_OBJECT

public:
    static constexpr QSize kOuterSize{710, 440};

    explicit TForm1(const WindowServices& services);
    ~TForm1() override;

    // The query window that SpeedButton1 opens (created hidden at start-up).
    void setQueryWindow(TFQuery* queryWindow) { queryWindow_ = queryWindow; }
    // What the query window runs its texts through (the handlers' own).
    QueryRunner& queryRunner() noexcept { return handlers_.queryRunner(); }

    RunOptions options() const { return handlers_.options(); }

    int selectedEntry(ControlId radioGroup) const override;
    bool isChecked(ControlId button) const override;
    void showText(ControlId label, std::string_view text) override;
    void showGauge(ControlId gauge, const Gauge& state) override;
    void giveFocus(ControlId control) override;
    void closeWindow() override;
    void showQueryWindow() override;
    void discardQueuedInput() override;
    bool askRunDespiteRefusals(std::string_view report) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void fitOuterFrame();

    WindowControls controls_;
    MainWindowHandlers handlers_;
    TFQuery* queryWindow_ = nullptr;
    bool placed_ = false;
};

}  // namespace orvel
