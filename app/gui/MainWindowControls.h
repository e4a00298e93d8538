// The controls of the main window, built at their fixed positions.
//
// Positions are client-area pixels (left, top, width, height); Qt never
// mirrors them, so they hold in the right-to-left window as they are.  Each
// control's object name is its name in the window's design (RadioGroup1,
// BitBtn2, LNameTable, ...).
#pragma once

class QButtonGroup;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class QWidget;

namespace orvel {

struct MainWindowControls {
    QButtonGroup* RadioGroup1 = nullptr;  // product entry, ids 0..6
    QToolButton* SpeedButton1 = nullptr;
    QCheckBox* CheckWeb = nullptr;
    QCheckBox* CheckBox9 = nullptr;  // Local
    QPushButton* BitBtn2 = nullptr;  // Start
    QPushButton* BitBtn3 = nullptr;  // Exit
    QRadioButton* RadioButton1 = nullptr;  // Access
    QRadioButton* RadioButton2 = nullptr;  // SQL Server
    QRadioButton* RadioButton3 = nullptr;  // Oracle
    QButtonGroup* RadioGroup2 = nullptr;  // SQL Server version, ids 0..3
    QLabel* LNameTable = nullptr;
    QLabel* LNameField = nullptr;
    QProgressBar* TableGauge = nullptr;
    QProgressBar* OverallGauge = nullptr;
};

// Creates every control on `form` with its caption and default.
MainWindowControls BuildMainWindowControls(QWidget* form);

}  // namespace orvel
