#!/usr/bin/env bash
# Prepares the wine prefix that the Windows programs' tests and screenshots
# run in ($WINEPREFIX, made on first use), so that the window looks there as
# it does on Windows.  Safe to run again; every run sets the choices below,
# so a prefix made by an older version of this script gets them too.
#
#   WINEPREFIX=... DISPLAY=... scripts/prepare-wine-prefix.sh
#
# - Wine draws the windows' frames itself: a window's X window is its whole
#   outer size, caption included, as the window test measures it.
# - Tahoma: wine's own has no Persian letters, and for the Arabic character
#   set the window asks for, wine would draw the text in a monospace font that
#   is far wider, cutting the captions.  DejaVu Sans Condensed
#   (fonts-dejavu-extra) stands in: it draws Persian, and its Latin letters
#   are within a pixel or two of Tahoma's at the window's sizes ("Local" 30
#   pixels wide at 13 pixels against Tahoma's 29, DejaVu Sans 34, the
#   monospace stand-in 40), so the captions fit the controls as on Windows.
set -euo pipefail
: "${WINEPREFIX:?names the wine prefix to prepare}"
log=${WINEPREFIX%/*}/wineboot.log

# A server left running by an interrupted run would keep "wineserver -w"
# waiting for ever.
wineserver -k >/dev/null 2>&1 || true
[ -d "$WINEPREFIX" ] || echo "Preparing the wine prefix $WINEPREFIX (once, about 15 s)"
# No .NET or HTML engine: the programs need neither, and their installers
# would wait for an answer.
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -u >"$log" 2>&1
wineserver -w
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d 'DejaVu Sans Condensed' /f >/dev/null 2>&1
wineserver -w
