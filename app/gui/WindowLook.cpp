// Fonts, pictures and the bars' style sheet.
#include "app/gui/WindowLook.h"

#include <QApplication>
#include <QFile>
#include <QFontDatabase>
#include <QIcon>
#include <QStringList>

#include "upgrade/Messages.h"

static void initWindowResources() { Q_INIT_RESOURCE(resources); }

namespace orvel {

namespace {

const QStringList kFontFiles{
    "/usr/share/wine/fonts/tahoma.ttf",
    "/usr/share/wine/fonts/tahomabd.ttf",
    "/usr/share/wine/fonts/ms_sans_serif.ttf",
};

QFont pixelFont(const QStringList& families, int pixelSize, bool bold) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

}  // namespace

void LoadWindowFonts() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    for (const QString& file : kFontFiles)
        if (QFile::exists(file)) QFontDatabase::addApplicationFont(file);
}

void UseProgramLook() {
    QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
    QApplication::setLayoutDirection(Qt::RightToLeft);
    QIcon icon;
    icon.addPixmap(WindowPicture("program-32"));
    icon.addPixmap(WindowPicture("program-64"));
    QApplication::setWindowIcon(icon);
    LoadWindowFonts();
    QApplication::setFont(WindowFont(MainWindowTable().font));
}

QFont WindowFont(const FontChoice& font) {
    QStringList families{QString::fromUtf8(font.family.data(), static_cast<qsizetype>(font.family.size()))};
    if (font.family == "MS Sans Serif") families << "Microsoft Sans Serif";
    families << "DejaVu Sans" << "Noto Sans Arabic";
    return pixelFont(families, font.pixelSize, font.bold);
}

QPixmap WindowPicture(std::string_view name) {
    static const bool initialised = (initWindowResources(), true);
    (void)initialised;
    return QPixmap(":/icons/" + QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())) + ".png");
}

QString GaugeStyleSheet(const QColor& fill) {
    return QString("QProgressBar { border: 1px solid #7a7a7a; background: white; color: black;"
                   " text-align: center; }"
                   " QProgressBar::chunk { background-color: %1; }")
        .arg(fill.name());
}

}  // namespace orvel
