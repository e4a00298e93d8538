// The query window's controls and its two buttons.
#include "query/QueryWindow.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "app/gui/Dialogs.h"
#include "app/gui/WindowLook.h"

namespace orvel {

namespace {

QPushButton* pictureButton(QWidget* window, const char* name, const QString& caption, const QString& picture,
                           int left) {
    auto* button = new QPushButton(QIcon(WindowPicture(picture)), caption, window);
    button->setObjectName(name);
    button->setIconSize(QSize(24, 24));
    button->setGeometry(left, 192, 75, 30);
    return button;
}

}  // namespace

TFQuery::TFQuery(QWidget* mainWindow, QueryRunner& runner, MessageBoxes& messages)
    : QDialog(mainWindow), runner_(runner), messages_(messages) {
    setObjectName("TFQuery");
    setWindowTitle("اجراي دستورات");
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setLayoutDirection(Qt::LeftToRight);
    setFont(MsSansSerifFont(11));
    setFixedSize(638, 225);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(8, 8, 625, 177);
    Memo1->setTabChangesFocus(true);
    BitBtn1 = pictureButton(this, "BitBtn1", "خروج", "exit", 8);
    BitBtn2 = pictureButton(this, "BitBtn2", "اجرا", "run", 88);
    connect(BitBtn1, &QPushButton::clicked, this, &TFQuery::BitBtn1Click);
    connect(BitBtn2, &QPushButton::clicked, this, &TFQuery::BitBtn2Click);
}

void TFQuery::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Memo1->clear();
    if (activateKeyboardLayout) activateKeyboardLayout();
    Memo1->setFocus();
}

void TFQuery::BitBtn2Click() {
    const QueryOutcome outcome = runner_.run(Memo1->toPlainText().toStdString());
    messages_.inform(this, QString::fromStdString(outcome.message));
}

void TFQuery::BitBtn1Click() { reject(); }

}  // namespace orvel
