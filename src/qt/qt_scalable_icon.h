#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace corvath {

// An icon drawn pixel by pixel for some small sizes and as an SVG for every
// other: a size that has its drawn PNG shows it, any other (a large icon, or a
// small one on a screen scaled by 2) is rendered from the SVG. Without Qt's SVG
// plugins the nearest drawn PNG is scaled.
QIcon scalableIcon(const QString& svgFile, const QStringList& pngFiles);

}  // namespace corvath
