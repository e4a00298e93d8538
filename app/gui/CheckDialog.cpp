// The check dialog's drawing and binding on Qt.
#include "app/gui/CheckDialog.h"

#include <QAbstractButton>
#include <QTextEdit>

#include "app/gui/WindowLook.h"

namespace orvel {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TCheckDialog::TCheckDialog(QWidget* mainWindow, std::string_view report) : QDialog(mainWindow) {
    const WindowTable& table = CheckDialogTable();
    setObjectName(fromUtf8(table.name));
    setWindowTitle(fromUtf8(table.caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setLayoutDirection(Qt::RightToLeft);
    setFont(WindowFont(table.font));
    setFixedSize(table.width, table.height);
    controls_.build(table, this);
    // Each line reads in the direction of its first letter: the Persian
    // labels right to left, the check's sentences and statements left to right.
    controls_.get<QTextEdit>(ControlId::CheckReport)->setPlainText(fromUtf8(report));
    connect(controls_.get<QAbstractButton>(ControlId::CheckRunAnyway), &QAbstractButton::clicked, this,
            &QDialog::accept);
    connect(controls_.get<QAbstractButton>(ControlId::CheckClose), &QAbstractButton::clicked, this,
            &QDialog::reject);
}

}  // namespace orvel
