#pragma once

#include <QProxyStyle>

namespace corvath {

// The desktop's style, except that tick boxes (a list's and the window's) are
// framed in the text colour when the ground they are drawn on is dark. Some styles (Fusion among them)
// frame an empty box in a shade of the window colour, which all but vanishes
// on a dark list; on a light one the style's own box is left as it is.
class QtTickBoxStyle : public QProxyStyle {
public:
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override;
};

}  // namespace corvath
