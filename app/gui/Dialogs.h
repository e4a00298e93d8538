// The dialogs a person answers, on Qt: message boxes and the Access file
// dialog.  The handlers only know the interfaces (MessageBoxes,
// AccessFileDialog), so tests answer them without a person.  While a box or
// the dialog waits for its answer the pointer is the windows' own, also when
// it appears in the middle of a run (PointerScope).
#pragma once

#include <QString>

#include "upgrade/ConnectionSettings.h"
#include "upgrade/MessageBoxes.h"

namespace orvel {

// Modal QMessageBoxes over the window in front, captioned with the
// application title.  The text is shown as plain text (database messages may
// hold "<"), laid out in the direction it reads in, with a lone carriage
// return breaking the line as it does on Windows.
class QtMessageBoxes : public MessageBoxes {
public:
    void inform(const std::string& text) override;
    void showError(const std::string& text) override;
};

// OpenDialog1: a modal file-open dialog over the active window.
class QtAccessFileDialog : public AccessFileDialog {
public:
    std::optional<std::string> chooseFile(const std::string& filter) override;
};

// "Description|pattern|..." pairs as Qt wants them: "Description (pattern);;...".
// A description that already ends in "(pattern)" is kept as it is.
QString QtFileFilter(const std::string& filter);

// The text as a message box shows it: a lone carriage return, and a carriage
// return with its line feed, become one line break.
QString MessageBoxDisplayText(const QString& text);

}  // namespace orvel
