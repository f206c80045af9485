#pragma once

#include <QIcon>
#include <QString>

namespace corvath {

// Makes the desktop's icon theme reachable: adds the system icon folders to the
// search path, names a theme when none is set and falls back to Adwaita. Without
// this a bare Qt finds no themed icon at all. Safe to call more than once.
void prepareIconTheme();

// The themed icon of that name, or our own shipped icon when the theme has none.
QIcon driveIcon(const QString& themeName);

// The program's own icon.
QIcon programIcon();

}  // namespace corvath
