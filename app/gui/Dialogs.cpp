// Message boxes and the file dialog, on Qt.
#include "app/gui/Dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

#include "upgrade/Messages.h"
#include "app/gui/PointerScope.h"

namespace orvel {

namespace {

void showMessageBox(QMessageBox::Icon icon, const std::string& text) {
    PointerScope reading(PointerScope::Own);
    QWidget* inFront = QApplication::activeModalWidget();
    if (!inFront) inFront = QApplication::activeWindow();
    QMessageBox box(icon, QString::fromUtf8(kApplicationTitle),
                    MessageBoxDisplayText(QString::fromStdString(text)), QMessageBox::Ok, inFront);
    box.setTextFormat(Qt::PlainText);
    box.setLayoutDirection(ReadsRightToLeft(text) ? Qt::RightToLeft : Qt::LeftToRight);
    box.exec();
}

}  // namespace

void QtMessageBoxes::inform(const std::string& text) { showMessageBox(QMessageBox::NoIcon, text); }

void QtMessageBoxes::showError(const std::string& text) { showMessageBox(QMessageBox::Critical, text); }

std::optional<std::string> QtAccessFileDialog::chooseFile(const std::string& filter) {
    PointerScope choosing(PointerScope::Own);
    const QString file = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(),
                                                      QtFileFilter(filter));
    if (file.isEmpty()) return std::nullopt;
    return file.toStdString();
}

QString QtFileFilter(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString& description = parts[i];
        const QString& pattern = parts[i + 1];
        filters << (description.endsWith('(' + pattern + ')') ? description
                                                               : description + " (" + pattern + ')');
    }
    return filters.join(";;");
}

QString MessageBoxDisplayText(const QString& text) {
    QString shown = text;
    shown.replace("\r\n", "\n");
    shown.replace('\r', '\n');
    return shown;
}

}  // namespace orvel
