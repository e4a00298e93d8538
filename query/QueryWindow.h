// The query window TFQuery: a statement text typed by the user, run on the
// main window's connection, answered by a success or an error message.
//
// Created hidden at start-up and shown modally by the main window's query
// button once the connection is open.  Each showing starts with an empty text
// and switches the keyboard to the United States layout (Windows only; on
// other systems the layout belongs to the desktop session and the switch does
// nothing).  The text stays after a run, so it can be corrected and run again.
#pragma once

#include <QDialog>

#include <functional>

#include "app/Platform.h"
#include "query/QueryRunner.h"

class QPlainTextEdit;
class QPushButton;

namespace orvel {

class MessageBoxes;

class TFQuery : public QDialog {
    Q_OBJECT

public:
    // `runner` is the main window's: it holds the connection and the record
    // of the current opening.
    TFQuery(QWidget* mainWindow, QueryRunner& runner, MessageBoxes& messages);

    // Called each time the window is shown; tests replace it to see the call.
    std::function<void()> activateKeyboardLayout = ActivateUsKeyboardLayout;

public slots:
    void BitBtn2Click();  // run the text
    void BitBtn1Click();  // exit

protected:
    void showEvent(QShowEvent* event) override;  // FormShow

private:
    QueryRunner& runner_;
    MessageBoxes& messages_;
    QPlainTextEdit* Memo1;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
};

}  // namespace orvel
