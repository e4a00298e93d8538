// The query window's drawing and binding on Qt.
#include "app/gui/QueryWindow.h"

#include <QAbstractButton>
#include <QPlainTextEdit>

#include "app/gui/PointerScope.h"
#include "app/gui/WindowLook.h"

namespace orvel {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

TFQuery::TFQuery(QWidget* mainWindow, QueryRunner& runner, MessageBoxes& messages)
    : QDialog(mainWindow), handlers_(runner, messages, *this) {
    const WindowTable& table = QueryWindowTable();
    setObjectName(fromUtf8(table.name));
    setWindowTitle(fromUtf8(table.caption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setLayoutDirection(Qt::LeftToRight);
    setFont(WindowFont(table.font));
    setFixedSize(table.width, table.height);

    controls_.build(table, this);
    connect(controls_.get<QAbstractButton>(ControlId::QueryBitBtn1), &QAbstractButton::clicked, this,
            [this] { handlers_.BitBtn1Click(); });
    connect(controls_.get<QAbstractButton>(ControlId::QueryBitBtn2), &QAbstractButton::clicked, this,
            [this] {
                PointerScope busy(PointerScope::Wait);
                handlers_.BitBtn2Click();
            });
}

std::string TFQuery::typedText() const {
    return controls_.get<QPlainTextEdit>(ControlId::Memo1)->toPlainText().toStdString();
}

void TFQuery::setTypedText(std::string_view text) {
    controls_.get<QPlainTextEdit>(ControlId::Memo1)->setPlainText(fromUtf8(text));
}

void TFQuery::focusTypedText() { controls_.get<QWidget>(ControlId::Memo1)->setFocus(); }

void TFQuery::closeWindow() { reject(); }

void TFQuery::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    handlers_.FormShow();
}

}  // namespace orvel
