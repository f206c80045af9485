#include "ui/centered_placement.h"

#include "ui/twips.h"

namespace corvath {

PixelPoint centeredBoxPosition(const TwipsRect& owner, double twipsPerPixelX, double twipsPerPixelY,
                               int boxWidth, int boxHeight) {
    const int left = twipsToPixels(owner.left, twipsPerPixelX);
    const int top = twipsToPixels(owner.top, twipsPerPixelY);
    const int width = twipsToPixels(owner.width, twipsPerPixelX);
    const int height = twipsToPixels(owner.height, twipsPerPixelY);
    return {left + (width - boxWidth) / 2, top + (height - boxHeight) / 2};
}

}  // namespace corvath
