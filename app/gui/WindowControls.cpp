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
QGroupBox* radioGroup(const ControlSpec& spec, QWidget* parent, QButtonGroup*& group) {
    auto* box = new QGroupBox(parent);
    if (spec.font) box->setFont(WindowFont(*spec.font));
    setTextColour(box, spec.colour);
    group = new QButtonGroup(box);
    const auto rects = RadioGroupEntryRects(spec, box->fontMetrics().height());
    for (std::size_t i = 0; i < rects.size(); ++i) {
        auto* entry = new QRadioButton(text(spec.entries[i]), box);
        entry->setGeometry(rects[i].left, rects[i].top, rects[i].width, rects[i].height);
        group->addButton(entry, static_cast<int>(i));
    }
    group->button(spec.initial)->setChecked(true);
    return box;
}

QPushButton* pictureButton(const ControlSpec& spec, QWidget* parent) {
    auto* button = new QPushButton(QIcon(WindowPicture(spec.picture)), text(spec.caption), parent);
    button->setIconSize(QSize(24, 24));
    // Enter presses the button that has the focus: Enter starts a run while
    // Start holds the focus, and ends the program once a run has moved it to
    // Exit.
    button->setAutoDefault(true);
    return button;
}

QWidget* makeControl(const ControlSpec& spec, QWidget* parent, QButtonGroup*& group) {
    switch (spec.kind) {
    case ControlKind::Frame:
        return new QGroupBox(text(spec.caption), parent);
    case ControlKind::RadioGroup:
        return radioGroup(spec, parent, group);
    case ControlKind::ToolButton: {
        auto* button = new QToolButton(parent);
        button->setAutoRaise(true);
        button->setIcon(QIcon(WindowPicture(spec.picture)));
        button->setIconSize(QSize(16, 16));
        return button;
    }
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(text(spec.caption), parent);
        box->setChecked(spec.initial != 0);
        return box;
    }
    case ControlKind::PictureButton:
        return pictureButton(spec, parent);
    case ControlKind::RadioButton: {
        auto* button = new QRadioButton(text(spec.caption), parent);
        button->setChecked(spec.initial != 0);
        return button;
    }
    case ControlKind::SunkenStrip: {
        auto* strip = new QFrame(parent);
        strip->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        auto* line = new QFrame(strip);
        line->setFrameStyle(QFrame::VLine | QFrame::Sunken);
        line->setGeometry(spec.split - 1, 1, 3, spec.rect.height - 2);
        return strip;
    }
    case ControlKind::Label: {
        auto* label = new QLabel(text(spec.caption), parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        return label;
    }
    case ControlKind::Gauge: {
        auto* bar = new QProgressBar(parent);
        bar->setStyleSheet(GaugeStyleSheet(color(spec.colour)));
        bar->setRange(0, 100);
        bar->setValue(0);
        bar->setFormat("0%");
        return bar;
    }
    case ControlKind::ProductIcon: {
        auto* icon = new QLabel(parent);
        icon->setPixmap(WindowPicture(spec.picture));
        icon->setCursor(Qt::PointingHandCursor);
        icon->setToolTip(text(spec.tooltip));
        return icon;
    }
    case ControlKind::Caption: {
        auto* label = new QLabel(text(spec.caption), parent);
        setTextColour(label, spec.colour);
        return label;
    }
    case ControlKind::TextBox: {
        auto* box = new QPlainTextEdit(parent);
        box->setTabChangesFocus(true);
        return box;
    }
    }
    return nullptr;
}

}  // namespace

void WindowControls::build(const WindowSpec& spec, QWidget* window) {
    for (const ControlSpec& control : spec.controls) {
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
    widgets_.at(spec.initialFocus)->setFocus();
}

}  // namespace orvel
