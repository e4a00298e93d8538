// orvel-updater.exe: the upgrader's window on Windows.
//
// Start-up: the look (common controls), the services the window uses for
// its whole life (the ODBC connection, the step registry, the machine, the
// dialogs, the user's records folder), the main window TForm1 and the query
// window TFQuery (hidden), then the message loop until the main window
// closes.  The program reads no command line.  A record that cannot be
// written is left out without a word in the window.
#include "upgrade/Platform.h"
#include "upgrade/RunRecords.h"
#include "products/StepRegistry.h"
#include "app/win32/Win32Dialogs.h"
#include "app/win32/Win32Look.h"
#include "app/win32/Win32MainWindow.h"
#include "app/win32/Win32QueryWindow.h"
#include "database/OdbcDatabase.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    orvel::UseUtf8Locale();
    orvel::UseWin32Look();

    orvel::OdbcDatabase connection;
    const orvel::StepRegistry registry = orvel::BuildStepRegistry();
    const orvel::LocalSystem system;
    orvel::Win32AccessFileDialog openDialog;
    orvel::Win32MessageBoxes messages;
    const orvel::RunRecords records(orvel::UserRecordsFolder(), "orvel-updater");

    orvel::Win32MainWindow form({connection, registry, system, openDialog, messages, &records});
    orvel::Win32QueryWindow query(form.handle(), form.queryRunner(), messages);
    form.setQueryWindow(&query);
    form.show();
    return orvel::RunWin32MessageLoop();
}
