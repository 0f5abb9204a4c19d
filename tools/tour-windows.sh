#!/usr/bin/env bash
# Runs the Windows build of the tour (tour.exe) under Wine on a virtual X display,
# against satemu's DLL served by sat-host.exe, and leaves its pictures in OUTPUT_FOLDER.
# Fails at the first step whose outcome is not the README's, as on Linux.
#   tour-windows.sh BUILD_DIR OUTPUT_FOLDER WINE
# WINEPREFIX names the Wine profile to use (one no test without a display shares).
set -euo pipefail
build=$1 saida=$2 wine=$3
mkdir -p "$saida"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    (unset DISPLAY; "$wine" wineboot --init >/dev/null 2>&1)
fi
status=0
# Wine's GDI hints its Tahoma to other widths than it draws (digits and the password's
# asterisks run into each other in the line edits): the tour draws with Qt's own
# FreeType engine instead, as a real Windows draws its Tahoma with GDI. The tour prints
# in the ANSI code page; the terminal reads UTF-8.
xvfb-run -a -s "-screen 0 1024x768x24" "$wine" "$build/bin/tour.exe" -platform windows:fontengine=freetype \
    "$("$wine" winepath -w "$saida" 2>/dev/null)" | iconv -f WINDOWS-1252 -t UTF-8 || status=$?
"$(dirname "$wine")/wineserver" -k 2>/dev/null || true
exit "$status"
