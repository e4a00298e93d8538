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

#include <string_view>

#include "app/WindowLayout.h"

namespace orvel {

// The program-wide look, set once at start-up: the application title (the
// name the desktop shows), the right-to-left layout, the program icon, the
// fonts and Tahoma as the default font.
void UseProgramLook();

// Registers the Tahoma and MS Sans Serif files found in the usual places with
// the application (once; harmless when they are missing).
void LoadWindowFonts();

// The font of a window table, with substitutes that draw Persian where the
// family itself is missing.
QFont WindowFont(const FontChoice& font);

// A picture of the program's resources, by its name in WindowPictures()
// ("program" has a 32 and a 64 pixel size: "program-32", "program-64").
QPixmap WindowPicture(std::string_view name);

// A bar that shows its percentage text, centred, over the whole bar (also in
// a right-to-left window, where Fusion would otherwise leave the unfilled
// part without text), filled in `fill`.
QString GaugeStyleSheet(const QColor& fill);

}  // namespace orvel
