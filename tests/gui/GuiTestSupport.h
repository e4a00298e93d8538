// Doubles and a fixture for the window tests: message boxes that record
// instead of waiting for a person, the main window and the query window on
// the catalogue simulator (noting the mouse pointer at each opening and
// statement), and fake table steps for products whose steps are not part of
// this test.
#pragma once

#include <QApplication>
#include <QString>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "products/StepRegistry.h"
#include "app/gui/Dialogs.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QueryWindow.h"
#include "schema/CatalogueSimulator.h"

#include <ostream>

// Test failures print QStrings as their text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

namespace orvel::test {

class RecordingMessages : public MessageBoxes {
public:
    std::vector<QString> informed, errors;

    void inform(const std::string& text) override { informed.push_back(QString::fromStdString(text)); }
    void showError(const std::string& text) override { errors.push_back(QString::fromStdString(text)); }
};

// The mouse pointer the windows show now: "wait" (the wait cursor over every
// window), "own" (each window's own pointer) or "other".
std::string PointerShown();

// The catalogue simulator, noting the pointer shown while each connection
// opens and each statement is sent: "open: wait", "statement: own", ...
class PointerNotingSimulator : public CatalogueSimulator {
public:
    using CatalogueSimulator::CatalogueSimulator;
    std::vector<std::string> pointers;
    // Answers to the reads the check before a run asks, in order; when none
    // are left a read is refused, as by a database that keeps no rows.
    std::vector<std::vector<ResultSet>> answers;
    std::vector<std::string> asked;

    void open(const std::string& connectionText) override {
        pointers.push_back("open: " + PointerShown());
        CatalogueSimulator::open(connectionText);
    }

protected:
    void doExecute(const std::string& sql) override {
        pointers.push_back("statement: " + PointerShown());
        CatalogueSimulator::doExecute(sql);
    }
    std::vector<ResultSet> doReadResults(const std::string& sql) override {
        asked.push_back(sql);
        if (answers.empty()) return CatalogueSimulator::doReadResults(sql);
        auto next = std::move(answers.front());
        answers.erase(answers.begin());
        return next;
    }
};

// Registers, for every step of `product`, a table step on a table of the
// step's name with the columns ID (created with the table), C1, C2 and C3.
void RegisterFakeTableSteps(StepRegistry& registry, const std::string& product);

struct WindowFixture {
    // `records` (none: not kept) is what the program hands the window.
    explicit WindowFixture(CatalogueSnapshot start = {}, const RunRecords* records = nullptr);

    // Shows the main window and waits until it is active.
    void show();

    template <class Widget>
    Widget* control(const char* name) {
        return findControl<Widget>(&form, name);
    }
    template <class Widget>
    Widget* queryControl(const char* name) {
        return findControl<Widget>(&query, name);
    }

    void selectProduct(int entry);
    void pressStart();
    // Presses the query button.  While the query window is open `inside`
    // runs, then the window's exit button closes it.  Returns whether the
    // window opened.
    bool pressQueryButton(const std::function<void()>& inside = {});

    PointerNotingSimulator db;
    StepRegistry registry;
    TempDir programDirectory;
    FakeSystem system;
    ScriptedDialog openDialog;
    RecordingMessages messages;
    TForm1 form;
    TFQuery query;
    int keyboardLayoutSwitches = 0;

private:
    template <class Widget>
    static Widget* findControl(QWidget* window, const char* name) {
        auto* widget = window->findChild<Widget*>(name);
        if (!widget) throw std::logic_error(std::string("no control named ") + name);
        return widget;
    }
};

// Runs the application's message loop, doing `action` once it runs, until
// the program ends; returns the loop's exit code (99 when it had not ended
// after five seconds).
int RunMessageLoopWith(const std::function<void()>& action);

// The ids of a snapshot's tables, none with columns.
CatalogueSnapshot TablesNamed(const std::vector<std::string>& names);

QString Utf8(std::string_view text);

}  // namespace orvel::test
