// The mouse pointer while the windows work or wait for a person, on Qt.
//
// A handler blocks the GUI thread for the whole run or query, including the
// wait for the connection to open; the wait cursor over every window of the
// program says so.  Whatever then asks the person something (a message box,
// the file dialog, the query window) shows the windows' own pointers while it
// waits, and the wait cursor comes back once it is answered.  Scopes nest:
// each ends by restoring what was shown before it began.
#pragma once

#include <QCursor>
#include <QGuiApplication>
#include <QList>

namespace orvel {

class PointerScope {
public:
    enum Shown {
        Wait,  // the wait cursor over every window of the program
        Own,   // each window's own pointer: wait cursors shown so far are set aside
    };

    explicit PointerScope(Shown shown) : shown_(shown) {
        if (shown_ == Wait) {
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
            return;
        }
        while (const QCursor* current = QGuiApplication::overrideCursor()) {
            setAside_.prepend(*current);
            QGuiApplication::restoreOverrideCursor();
        }
    }

    ~PointerScope() {
        if (shown_ == Wait) {
            QGuiApplication::restoreOverrideCursor();
            return;
        }
        for (const QCursor& cursor : setAside_) QGuiApplication::setOverrideCursor(cursor);
    }

    PointerScope(const PointerScope&) = delete;
    PointerScope& operator=(const PointerScope&) = delete;

private:
    Shown shown_;
    QList<QCursor> setAside_;  // the override cursors set aside, the outermost first
};

}  // namespace orvel
