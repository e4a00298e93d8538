// Qt widgets for each kind of control of the windows' tables.
#include "app/gui/WindowControls.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCursor>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>

#include "app/gui/WindowLook.h"

namespace orvel {

namespace {

QString text(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QColor color(const Rgb& rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

Qt::LayoutDirection direction(Reading reading) {
    return reading == Reading::RightToLeft ? Qt::RightToLeft : Qt::LeftToRight;
}

void setTextColour(QWidget* widget, const Rgb& rgb) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color(rgb));
    widget->setPalette(palette);
}

// A radio group: a captionless frame whose entries share it in equal columns.
QGroupBox* radioGroup(const ControlEntry& control, QWidget* parent, QButtonGroup*& group) {
    auto* box = new QGroupBox(parent);
    if (control.font) box->setFont(WindowFont(*control.font));
    setTextColour(box, control.colour);
    group = new QButtonGroup(box);
    const auto rects = RadioGroupEntryRects(control, box->fontMetrics().height());
    for (std::size_t i = 0; i < rects.size(); ++i) {
        auto* entry = new QRadioButton(text(control.entries[i]), box);
        entry->setGeometry(rects[i].left, rects[i].top, rects[i].width, rects[i].height);
        group->addButton(entry, static_cast<int>(i));
    }
    group->button(control.initial)->setChecked(true);
    return box;
}

QPushButton* pictureButton(const ControlEntry& control, QWidget* parent) {
    auto* button = new QPushButton(QIcon(WindowPicture(control.picture)), text(control.caption), parent);
    button->setIconSize(QSize(24, 24));
    // Enter presses the button that has the focus: Enter starts a run while
    // Start holds the focus, and ends the program once a run has moved it to
    // Exit.
    button->setAutoDefault(true);
    return button;
}

QWidget* makeControl(const ControlEntry& control, QWidget* parent, QButtonGroup*& group) {
    switch (control.kind) {
    case ControlKind::Frame:
        return new QGroupBox(text(control.caption), parent);
    case ControlKind::RadioGroup:
        return radioGroup(control, parent, group);
    case ControlKind::ToolButton: {
        auto* button = new QToolButton(parent);
        button->setAutoRaise(true);
        button->setIcon(QIcon(WindowPicture(control.picture)));
        button->setIconSize(QSize(16, 16));
        return button;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(text(control.caption), parent);
        box->setChecked(control.initial != 0);
        return box;
    }
    case ControlKind::PictureButton:
        return pictureButton(control, parent);
    case ControlKind::RadioButton: {
        auto* button = new QRadioButton(text(control.caption), parent);
        button->setChecked(control.initial != 0);
        return button;
    }
    case ControlKind::SunkenStrip: {
        auto* strip = new QFrame(parent);
        strip->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        auto* line = new QFrame(strip);
        line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        line->setGeometry(control.split - 1, 1, 3, control.rect.height - 2);
        return strip;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(text(control.caption), parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    case ControlKind::Gauge: {
        auto* bar = new QProgressBar(parent);
        bar->setStyleSheet(GaugeStyleSheet(color(control.colour)));
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setFormat("0%");
        return bar;
    }
    case ControlKind::ProductIcon: {
        auto* icon = new QLabel(parent);
        icon->setPixmap(WindowPicture(control.picture));
        icon->setCursor(Qt::PointingHandCursor);
        icon->setToolTip(text(control.tooltip));
        return icon;
    }
    case ControlKind::Caption: {
        auto* label = new QLabel(text(control.caption), parent);
        setTextColour(label, control.colour);
        return label;
    }
    case ControlKind::TextBox: {
        auto* box = new QPlainTextEdit(parent);
        box->setTabChangesFocus(true);
        return box;
    }
    case ControlKind::ReportBox: {
        // A rich-text box shown as plain text: each paragraph reads in the
        // direction of its first letter and is aligned to match.
        auto* box = new QTextEdit(parent);
        box->setReadOnly(true);
        box->setAcceptRichText(false);
        box->setTabChangesFocus(true);
        return box;
    }
    }
    return nullptr;
}

}  // namespace

void WindowControls::build(const WindowTable& table, QWidget* window) {
    for (const ControlEntry& control : table.controls) {
        QWidget* parent = control.frame ? widgets_.at(*control.frame) : window;
        QButtonGroup* group = nullptr;
        QWidget* widget = makeControl(control, parent, group);
        widget->setObjectName(text(control.name));
        widget->setLayoutDirection(direction(control.reading));
        if (control.font && control.kind != ControlKind::RadioGroup) widget->setFont(WindowFont(*control.font));
        if (control.kind == ControlKind::Caption) {
            widget->move(control.rect.left, control.rect.top);
            widget->adjustSize();
        } else {
            widget->setGeometry(control.rect.left, control.rect.top, control.rect.width, control.rect.height);
        }
        widgets_[control.id] = widget;
        if (group) groups_[control.id] = group;
    }
    widgets_.at(table.initialFocus)->setFocus();
}

}  // namespace orvel
