// orvel-updater: the upgrader's window.
//
// Start-up: the windowing application, the application title, the main
// window TForm1, the query window TFQuery (hidden), then the message loop
// until the main window closes.  The program reads no command line.  Runs and
// query-window openings are recorded in the user's records folder; a record
// that cannot be written is left out without a word in the window.
#include <QApplication>

#include "upgrade/Platform.h"
#include "upgrade/RunRecords.h"
#include "products/StepRegistry.h"
#include "app/gui/Dialogs.h"
#include "app/gui/MainWindow.h"
#include "app/gui/WindowLook.h"
#include "app/gui/QueryWindow.h"
#include "database/OdbcDatabase.h"

int main(int argc, char** argv) {
    (void)argc;
    int programNameOnly = 1;  // Qt sees no arguments either
    QApplication application(programNameOnly, argv);
    orvel::UseUtf8Locale();
    orvel::UseProgramLook();

    orvel::OdbcDatabase connection;
    const orvel::StepRegistry registry = orvel::BuildStepRegistry();
    const orvel::LocalSystem system;
    orvel::QtAccessFileDialog openDialog;
    orvel::QtMessageBoxes messages;
    const orvel::RunRecords records(orvel::UserRecordsFolder(), "orvel-updater");

    orvel::TForm1 form({connection, registry, system, openDialog, messages, &records});
    orvel::TFQuery query(&form, form.queryRunner(), messages);
    form.setQueryWindow(&query);
    form.show();
    return application.exec();
}
