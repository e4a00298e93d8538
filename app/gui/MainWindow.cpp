// The main window's wiring: options, progress display, handlers, ErrorBox.
#include "app/gui/MainWindow.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

#include "app/Messages.h"
#include "app/gui/Dialogs.h"
#include "app/gui/WindowLook.h"
#include "query/QueryWindow.h"

namespace orvel {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void showAtOnce(QLabel* label, std::string_view text) {
    label->setText(fromUtf8(text));
    label->repaint();
}

void showAtOnce(QProgressBar* bar, const Gauge& gauge) {
    // A QProgressBar whose maximum is 0 turns into a busy indicator; a gauge
    // with maximum 0 is an empty bar at 0 %.
    bar->setRange(0, std::max(gauge.maximum(), 1));
    bar->setValue(gauge.position());
    bar->setFormat(QString::number(gauge.percent()) + '%');
    bar->repaint();
}

}  // namespace

TForm1::TForm1(const WindowServices& services)
    : messages_(services.messages),
      progress_(*this),
      settings_(services.system, services.openDialog),
      driver_(services.connection, progress_, services.registry, *this, services.records),
      queryRunner_(services.connection, services.records) {
    setObjectName("TForm1");
    setWindowTitle(QString::fromUtf8(
        "به روز رساني بانک اطلاعاتي محصولات اورول سيستم ترنک _  DataBase Updater for Orvel System Tarnak's "
        "productions"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setLayoutDirection(Qt::RightToLeft);
    setFont(TahomaFont(13));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setFixedSize(kOuterSize);  // the frame is added once it is known (fitOuterFrame)

    ui_ = BuildMainWindowControls(this);
    connect(ui_.BitBtn2, &QPushButton::clicked, this, &TForm1::BitBtn2Click);
    connect(ui_.BitBtn3, &QPushButton::clicked, this, &TForm1::BitBtn3Click);
    connect(ui_.SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);

    auto* Action1 = new QAction(this);
    Action1->setShortcut(Qt::Key_Escape);
    connect(Action1, &QAction::triggered, this, &TForm1::BitBtn3Click);
    addAction(Action1);
}

TForm1::~TForm1() = default;

RunOptions TForm1::options() const {
    RunOptions options;
    options.productEntry = ui_.RadioGroup1->checkedId();
    options.databaseKind = ui_.RadioButton2->isChecked()   ? DatabaseKind::SqlServer
                           : ui_.RadioButton1->isChecked() ? DatabaseKind::Access
                                                           : DatabaseKind::Oracle;
    options.serverVersion = static_cast<ServerVersion>(ui_.RadioGroup2->checkedId());
    options.local = ui_.CheckBox9->isChecked();
    options.web = ui_.CheckWeb->isChecked();
    return options;
}

void TForm1::tableNameChanged(std::string_view name) { showAtOnce(ui_.LNameTable, name); }
void TForm1::fieldNameChanged(std::string_view name) { showAtOnce(ui_.LNameField, name); }
void TForm1::tableGaugeChanged(const Gauge& gauge) { showAtOnce(ui_.TableGauge, gauge); }
void TForm1::overallGaugeChanged(const Gauge& gauge) { showAtOnce(ui_.OverallGauge, gauge); }
void TForm1::focusExitButton() { ui_.BitBtn3->setFocus(Qt::OtherFocusReason); }

void TForm1::showSuccessMessage(const std::string& message) {
    messages_.inform(this, fromUtf8(message));
}

void TForm1::showingErrors(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& e) {
        messages_.showError(this, fromUtf8(ErrorBoxText(e.what())));
    } catch (...) {
        messages_.showError(this, fromUtf8(ErrorBoxText("An unknown error ended the operation")));
    }
}

void TForm1::BitBtn2Click() {
    showingErrors([this] { driver_.BitBtn2Click(settings_); });
}

void TForm1::BitBtn3Click() { close(); }

void TForm1::SpeedButton1Click() {
    showingErrors([this] {
        if (!queryRunner_.open(settings_, options())) return;
        if (queryWindow_) queryWindow_->exec();
        queryRunner_.close();
    });
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
