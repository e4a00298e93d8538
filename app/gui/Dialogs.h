// The dialogs the windows ask a person to answer: message boxes and the
// Access file dialog.  The windows only talk to these interfaces, so tests
// answer them without a person; the Qt classes here are what the program uses.
#pragma once

#include <QString>

#include "app/ConnectionSettings.h"

class QWidget;

namespace orvel {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // A plain message box (no icon, one OK button); returns when dismissed.
    virtual void inform(QWidget* parent, const QString& text) = 0;
    // The ErrorBox: error icon, one OK button; returns when dismissed.
    virtual void showError(QWidget* parent, const QString& text) = 0;
};

// Modal QMessageBoxes captioned with the application title.  The text is
// shown as plain text (database messages may hold "<"), laid out in the
// direction of its own first strong character, with a lone carriage return
// breaking the line as it does on Windows.
class QtMessageBoxes : public MessageBoxes {
public:
    void inform(QWidget* parent, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;
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
