#pragma once

#include <QFont>
#include <QIcon>
#include <QString>

namespace corvath {

// The dialog font at 8.25 pt: "MS Sans Serif" where installed; else a face with
// the metrics of the Windows dialog fonts (Microsoft Sans Serif, or the
// Arial-compatible Liberation Sans or Arimo), so that every caption fits the
// room the layout gives it; else the desktop's sans-serif font.
QFont dialogFont(bool bold = false);

// Makes the desktop's icon theme reachable: adds the system icon folders to the
// search path, names a theme when none is set and falls back to Adwaita. Without
// this a bare Qt finds no themed icon at all. Safe to call more than once.
void prepareIconTheme();

// The themed icon of that name, or our own shipped icon when the theme has none.
QIcon driveIcon(const QString& themeName);
// Our own icon for that drive kind (the hard disk's for an unknown name).
QIcon shippedDriveIcon(const QString& themeName);

// The program's own icon, drawn for 16, 32, 48 and 128 pixels, scalable to any.
QIcon programIcon();

}  // namespace corvath
