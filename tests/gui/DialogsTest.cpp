// The Qt message boxes as a person sees them, and the file filter and text
// conversions behind them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "upgrade/Messages.h"
#include "app/gui/Dialogs.h"
#include "app/gui/PointerScope.h"
#include "gui/GuiTestSupport.h"

namespace orvel {
namespace {

using test::Utf8;

TEST(QtMessageBoxes, AreCaptionedWithTheTitleAndHaveOneOkButton) {
    const struct {
        const char* what;
        void (MessageBoxes::*show)(const std::string&);
        std::string text;
        QMessageBox::Icon icon;
        QString shown;
        Qt::LayoutDirection direction;
    } cases[] = {
        {"success", &MessageBoxes::inform, std::string(kRunSucceededMessage), QMessageBox::NoIcon,
         Utf8(kRunSucceededMessage), Qt::RightToLeft},
        {"ErrorBox", &MessageBoxes::showError, "Invalid column name <CK>.", QMessageBox::Critical,
         "Invalid column name <CK>.", Qt::LeftToRight},
        {"query error", &MessageBoxes::inform, "Error class: X\rError message: Y", QMessageBox::NoIcon,
         "Error class: X\nError message: Y", Qt::LeftToRight},
    };
    for (const auto& c : cases) {
        QtMessageBoxes boxes;
        QMessageBox* seen = nullptr;
        QString title, text;
        QMessageBox::Icon icon{};
        qsizetype buttons = 0;
        Qt::TextFormat format{};
        Qt::LayoutDirection direction{};
        QTimer whileShown;
        whileShown.setSingleShot(true);
        QObject::connect(&whileShown, &QTimer::timeout, [&] {
            seen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!seen) return;
            title = seen->windowTitle();
            text = seen->text();
            icon = seen->icon();
            buttons = seen->buttons().size();
            format = seen->textFormat();
            direction = seen->layoutDirection();
            seen->accept();
        });
        whileShown.start(0);
        (boxes.*c.show)(c.text);
        ASSERT_NE(seen, nullptr) << c.what;
        EXPECT_EQ(title, Utf8(kApplicationTitle)) << c.what;
        EXPECT_EQ(text, c.shown) << c.what;
        EXPECT_EQ(icon, c.icon) << c.what;
        EXPECT_EQ(buttons, 1) << c.what;
        EXPECT_EQ(format, Qt::PlainText) << c.what;
        EXPECT_EQ(direction, c.direction) << c.what;
    }
}

TEST(QtMessageBoxes, ShowTheWindowsOwnPointerWhileWaitingThenTheWaitCursorAgain) {
    for (auto show : {&MessageBoxes::inform, &MessageBoxes::showError}) {
        QtMessageBoxes boxes;
        PointerScope busy(PointerScope::Wait);
        std::string whileShown = "no box";
        QTimer whileOpen;
        whileOpen.setSingleShot(true);
        QObject::connect(&whileOpen, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            whileShown = test::PointerShown();
            box->accept();
        });
        whileOpen.start(0);
        (boxes.*show)("Invalid column name CK.");
        EXPECT_EQ(whileShown, "own");
        EXPECT_EQ(test::PointerShown(), "wait") << "the run goes on after the box";
    }
    EXPECT_EQ(test::PointerShown(), "own");
}

TEST(QtFileFilter, TurnsDescriptionPatternPairsIntoQtFilters) {
    const struct {
        const char* filter;
        const char* qt;
    } cases[] = {
        {kAccessFileFilter, "DataBase Files(*.mdb)"},
        {"Access|*.mdb|All files|*.*", "Access (*.mdb);;All files (*.*)"},
    };
    for (const auto& c : cases) EXPECT_EQ(QtFileFilter(c.filter), c.qt) << c.filter;
}

}  // namespace
}  // namespace orvel
