// The main window's drawing and binding on Qt.  The buttons that start work
// run their handlers under the wait cursor; the query window, which waits for
// typing, shows the windows' own pointers.
#include "app/gui/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>

#include <algorithm>

#include "app/gui/CheckDialog.h"
#include "app/gui/PointerScope.h"
#include "app/gui/WindowLook.h"
#include "app/gui/QueryWindow.h"

namespace orvel {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Swallows the keys and clicks handed to it while it is installed.
class InputSink : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
            return true;
        default:
            return false;
        }
    }
};

}  // namespace

TForm1::TForm1(const WindowServices& services) : handlers_(services, *this) {
    const WindowTable& table = MainWindowTable();
    setObjectName(fromUtf8(table.name));
    setWindowTitle(fromUtf8(table.caption));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setLayoutDirection(Qt::RightToLeft);
    setFont(WindowFont(table.font));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setFixedSize(kOuterSize);  // the frame is added once it is known (fitOuterFrame)

    controls_.build(table, this);
    connect(controls_.get<QAbstractButton>(ControlId::BitBtn2), &QAbstractButton::clicked, this,
            [this] {
                PointerScope busy(PointerScope::Wait);
                handlers_.BitBtn2Click();
            });
    connect(controls_.get<QAbstractButton>(ControlId::BitBtn3), &QAbstractButton::clicked, this,
            [this] { handlers_.BitBtn3Click(); });
    connect(controls_.get<QAbstractButton>(ControlId::SpeedButton1), &QAbstractButton::clicked, this,
            [this] {
                PointerScope busy(PointerScope::Wait);
                handlers_.SpeedButton1Click();
            });

    auto* Action1 = new QAction(this);
    Action1->setShortcut(Qt::Key_Escape);
    connect(Action1, &QAction::triggered, this, [this] { handlers_.BitBtn3Click(); });
    addAction(Action1);
}

TForm1::~TForm1() = default;

int TForm1::selectedEntry(ControlId radioGroup) const { return controls_.group(radioGroup)->checkedId(); }

bool TForm1::isChecked(ControlId button) const { return controls_.get<QAbstractButton>(button)->isChecked(); }

void TForm1::showText(ControlId label, std::string_view text) {
    auto* widget = controls_.get<QLabel>(label);
    widget->setText(fromUtf8(text));
    widget->repaint();
}

void TForm1::showGauge(ControlId gauge, const Gauge& state) {
    auto* bar = controls_.get<QProgressBar>(gauge);
    // A QProgressBar whose maximum is 0 turns into a busy indicator; a gauge
    // with maximum 0 is an empty bar at 0 %.
    bar->setRange(0, std::max(state.maximum(), 1));
    bar->setValue(state.position());
    bar->setFormat(QString::number(state.percent()) + '%');
    bar->repaint();
}

void TForm1::giveFocus(ControlId control) { controls_.get<QWidget>(control)->setFocus(Qt::OtherFocusReason); }

void TForm1::closeWindow() { close(); }

void TForm1::showQueryWindow() {
    PointerScope typing(PointerScope::Own);
    if (queryWindow_) queryWindow_->exec();
}

bool TForm1::askRunDespiteRefusals(std::string_view report) {
    PointerScope reading(PointerScope::Own);
    TCheckDialog dialog(this, report);
    return dialog.exec() == QDialog::Accepted;
}

void TForm1::discardQueuedInput() {
    InputSink sink;
    QApplication::instance()->installEventFilter(&sink);
    QApplication::processEvents();
    QApplication::instance()->removeEventFilter(&sink);
}

void TForm1::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitOuterFrame();
}

void TForm1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    fitOuterFrame();
}

// The window's outer size, frame included, is 710 x 440.  The window
// manager's frame is known only once the window is shown: the client area is
// then made as much smaller, and the window centred on its screen.
void TForm1::fitOuterFrame() {
    const QSize client = kOuterSize - (frameGeometry().size() - size());
    if (placed_ && client == size()) return;
    setFixedSize(client);
    placed_ = true;
    if (const QScreen* display = screen()) {
        const QRect area = display->availableGeometry();
        move(area.x() + (area.width() - kOuterSize.width()) / 2,
             area.y() + (area.height() - kOuterSize.height()) / 2);
    }
}

}  // namespace orvel
