#pragma once

#include <QImage>
#include <QRect>
#include <QString>

#include <vector>

namespace corvath::test {

// What a capture of the wizard window shows, read from its pixels at the
// controls' designed places (the window's layout in pixels at 15 twips per pixel).
class WindowShot {
public:
    WindowShot() = default;
    explicit WindowShot(const QString& pngFile) : image_(pngFile) {}
    bool valid() const { return !image_.isNull(); }
    const QImage& image() const { return image_; }

    // A capture of a window that has been painted: not the black of a window
    // the program has not drawn yet.
    bool painted() const;
    // Share of the bar's groove, along its middle row, in the fill colour
    // (strongly blue, as the style's highlight is); 0 when the bar is not shown.
    double barFill(const QRect& bar) const;
    // Pixels dark enough to be text in the rectangle.
    int darkPixels(const QRect& area) const;
    // One past the rightmost dark pixel in the rectangle: how far a left-aligned
    // caption reaches; area.left() when there is none.
    int textEnd(const QRect& area) const;
    // The lines of text on a white ground in the rectangle, top to bottom: each
    // run of rows holding pixels that are not near white (greyed text counts),
    // bounded by those pixels.
    std::vector<QRect> textLines(const QRect& area) const;

private:
    QImage image_;
};

// Controls of the wizard window, in client pixels.
namespace wizard_px {
inline const QRect kNextButton{337, 300, 73, 23};
inline const QRect kCancelButton{259, 300, 73, 23};
inline const QRect kDiskBar{13, 160, 396, 17};
inline const QRect kOverallBar{13, 216, 396, 17};
inline const QRect kTitle{12, 13, 193, 17};
// The text of "Remember these settings", right of its box.
inline const QRect kRememberText{36, 259, 200, 20};
// The drive list and the loading notice share this rectangle.
inline const QRect kDriveList{16, 64, 396, 191};
}  // namespace wizard_px

}  // namespace corvath::test
