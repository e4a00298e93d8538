// The check dialog on Qt: draws CheckDialogTable() with the refusals the
// check foresees, "Run anyway" accepts it and "Close" (or Esc) rejects it.
// The main window shows it modally from askRunDespiteRefusals.
#pragma once

#include <QDialog>

#include <string_view>

#include "app/gui/WindowControls.h"

namespace orvel {

class TCheckDialog : public QDialog {
    Q_OBJECT

public:
    TCheckDialog(QWidget* mainWindow, std::string_view report);

private:
    WindowControls controls_;
};

}  // namespace orvel
