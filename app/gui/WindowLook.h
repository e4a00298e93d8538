// How the windows look: fonts, pictures and the progress bars' style.
//
// The program's font is Tahoma.  Where the system has none, the copy that
// Wine ships is loaded; failing that, fontconfig picks a Persian-capable
// substitute (DejaVu Sans or Noto), so Persian always renders joined.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>

namespace orvel {

// The program-wide look, set once at start-up: the application title (the
// name the desktop shows), the right-to-left layout, the program icon, the
// fonts and Tahoma as the default font.
void UseProgramLook();

// Registers the Tahoma and MS Sans Serif files found in the usual places with
// the application (once; harmless when they are missing).
void LoadWindowFonts();

QFont TahomaFont(int pixelSize, bool bold = false);
QFont MsSansSerifFont(int pixelSize);

// A picture of the program's resources: "start", "exit", "run", "query",
// "product-0" .. "product-6", "program-32", "program-64".
QPixmap WindowPicture(const QString& name);

// A bar that shows its percentage text, centred, over the whole bar (also in
// a right-to-left window, where Fusion would otherwise leave the unfilled
// part without text), filled in `fill`.
QString GaugeStyleSheet(const QColor& fill);

}  // namespace orvel
