// The main window's controls: captions, positions, fonts and defaults.
#include "app/gui/MainWindowControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include "app/Products.h"
#include "app/gui/WindowLook.h"

namespace orvel {

namespace {

QString text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

template <class Widget>
Widget* place(Widget* widget, const char* name, int left, int top, int width, int height) {
    widget->setObjectName(name);
    widget->setGeometry(left, top, width, height);
    return widget;
}

QGroupBox* frame(QWidget* form, const QString& title, int left, int top, int width, int height) {
    auto* box = new QGroupBox(title, form);
    box->setGeometry(left, top, width, height);
    return box;
}

// A radio group: a captionless frame whose entries share it in equal columns
// of one row, below a margin of one line of its font.  In a right-to-left
// group the first entry takes the rightmost column.
QButtonGroup* radioGroup(QWidget* form, const char* name, const QStringList& entries, int checked,
                         const QRect& geometry, const QFont& font, Qt::LayoutDirection direction) {
    auto* box = place(new QGroupBox(form), name, geometry.x(), geometry.y(), geometry.width(),
                      geometry.height());
    box->setFont(font);
    box->setLayoutDirection(direction);
    auto* group = new QButtonGroup(box);
    const int width = geometry.width();
    const int columnWidth = (width - 10) / static_cast<int>(entries.size());
    const int topMargin = box->fontMetrics().height() + 1;
    const int entryHeight = geometry.height() - topMargin - 5;
    for (int i = 0; i < entries.size(); ++i) {
        auto* entry = new QRadioButton(entries[i], box);
        int entryLeft = 8 + i * columnWidth;
        if (direction == Qt::RightToLeft) entryLeft = width - entryLeft - columnWidth;
        entry->setGeometry(entryLeft, topMargin, columnWidth, entryHeight);
        group->addButton(entry, i);
    }
    group->button(checked)->setChecked(true);
    return group;
}

QPushButton* pictureButton(QWidget* form, const char* name, const QString& caption, const QString& picture,
                           int left, int top, int width, int height) {
    auto* button = place(new QPushButton(caption, form), name, left, top, width, height);
    button->setIcon(QIcon(WindowPicture(picture)));
    button->setIconSize(QSize(24, 24));
    // Enter presses the focused button, as on the original window.
    button->setAutoDefault(true);
    return button;
}

QLabel* nameLabel(QWidget* form, const char* name, const QString& caption, int left, int top, int width,
                  int height) {
    auto* label = place(new QLabel(caption, form), name, left, top, width, height);
    label->setTextFormat(Qt::PlainText);
    label->setLayoutDirection(Qt::LeftToRight);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QProgressBar* gauge(QWidget* form, const char* name, const QColor& fill, int left, int top, int width,
                    int height) {
    auto* bar = place(new QProgressBar(form), name, left, top, width, height);
    bar->setStyleSheet(GaugeStyleSheet(fill));
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setFormat("0%");
    return bar;
}

QLabel* versionLabel(QWidget* form, const QString& caption, bool bold, int left, int top) {
    auto* label = new QLabel(caption, form);
    label->setFont(TahomaFont(12, bold));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 64, 128));
    label->setPalette(palette);
    label->move(left, top);
    label->adjustSize();
    return label;
}

void productIcons(QWidget* productFrame) {
    static constexpr int kLefts[] = {24, 121, 225, 321, 417, 512, 600};
    for (const auto& product : Products()) {
        auto* icon = new QLabel(productFrame);
        icon->setObjectName(QString("ProductIcon%1").arg(product.entry));
        icon->setGeometry(kLefts[product.entry], 25, 41, 35);
        icon->setPixmap(WindowPicture(QString("product-%1").arg(product.entry)));
        icon->setCursor(Qt::PointingHandCursor);
        icon->setToolTip(text(product.tooltip));
    }
}

}  // namespace

MainWindowControls BuildMainWindowControls(QWidget* form) {
    MainWindowControls ui;

    productIcons(frame(form, "  نام محصول  ", 8, 8, 689, 65));

    // The product entries read left to right, entry 0 leftmost, in small
    // dark blue letters.
    QStringList products;
    for (const auto& product : Products()) products << text(product.persianName);
    ui.RadioGroup1 = radioGroup(form, "RadioGroup1", products, 0, QRect(8, 65, 689, 40), TahomaFont(11),
                                Qt::LeftToRight);
    auto* productBox = ui.RadioGroup1->button(0)->parentWidget();
    QPalette productPalette = productBox->palette();
    productPalette.setColor(QPalette::WindowText, QColor(0, 0, 64));
    productBox->setPalette(productPalette);

    ui.SpeedButton1 = place(new QToolButton(form), "SpeedButton1", 8, 107, 25, 22);
    ui.SpeedButton1->setAutoRaise(true);
    ui.SpeedButton1->setIcon(QIcon(WindowPicture("query")));
    ui.SpeedButton1->setIconSize(QSize(16, 16));

    ui.CheckWeb = place(new QCheckBox("Web", form), "CheckWeb", 40, 109, 57, 17);
    ui.CheckWeb->setLayoutDirection(Qt::LeftToRight);
    ui.CheckBox9 = place(new QCheckBox("Local", form), "CheckBox9", 144, 109, 49, 17);

    ui.BitBtn2 = pictureButton(form, "BitBtn2", "شروع عمليات ارتقاء       ", "start", 6, 130, 299, 47);
    ui.BitBtn3 = pictureButton(form, "BitBtn3", "خروج                          ", "exit", 6, 180, 299, 47);

    auto* kinds = frame(form, "  نوع ديتا بيس  ", 312, 126, 385, 101);
    ui.RadioButton1 = place(new QRadioButton("ديتا بيس Access", kinds), "RadioButton1", 128, 27, 129, 17);
    ui.RadioButton2 = place(new QRadioButton("ديتا بيس SQL Server", kinds), "RadioButton2", 112, 51, 145, 17);
    ui.RadioButton3 = place(new QRadioButton("ديتابيس  Oracle", kinds), "RadioButton3", 128, 75, 129, 17);
    ui.RadioButton2->setChecked(true);

    ui.RadioGroup2 = radioGroup(form, "RadioGroup2", {"SQL 2000", "SQL 2005", "SQL 2008", "SQL 2012"}, 2,
                                QRect(312, 230, 385, 40), form->font(), form->layoutDirection());

    auto* strip = new QFrame(form);
    strip->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    strip->setGeometry(8, 273, 689, 26);
    auto* split = new QFrame(form);
    split->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    split->setGeometry(306, 274, 3, 24);
    ui.LNameTable = nameLabel(form, "LNameTable", "نام جدول", 32, 276, 257, 20);
    ui.LNameField = nameLabel(form, "LNameField", "نام فيلد", 384, 276, 168, 20);

    ui.TableGauge = gauge(form, "TableGauge", QColor(82, 188, 252), 8, 304, 689, 25);
    ui.OverallGauge = gauge(form, "OverallGauge", QColor(187, 232, 9), 8, 336, 689, 25);

    versionLabel(form, "نسخه: ", false, 236, 369);
    versionLabel(form, "16.01.002", true, 169, 369)->setLayoutDirection(Qt::LeftToRight);

    ui.BitBtn2->setFocus();
    return ui;
}

}  // namespace orvel
