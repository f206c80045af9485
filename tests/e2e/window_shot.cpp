#include "e2e/window_shot.h"

#include <QColor>

#include <algorithm>

namespace corvath::test {

namespace {

bool isFill(const QColor& c) { return c.blue() - c.red() > 60 && c.blue() > 120; }

bool isDark(const QColor& c) { return c.red() + c.green() + c.blue() < 3 * 96; }

// Any drawing on a white ground, greyed text included.
bool isInk(const QColor& c) { return c.red() + c.green() + c.blue() < 3 * 224; }

QRect inside(const QImage& image, const QRect& area) { return area.intersected(image.rect()); }

}  // namespace

bool WindowShot::painted() const {
    if (image_.isNull()) return false;
    const qint64 area = static_cast<qint64>(image_.width()) * image_.height();
    return darkPixels(image_.rect()) * 5 < area;
}

double WindowShot::barFill(const QRect& bar) const {
    // The groove's border and its rounded ends are left out.
    const QRect groove = inside(image_, bar.adjusted(3, 0, -3, 0));
    if (groove.isEmpty()) return 0;
    const int y = bar.center().y();
    int filled = 0;
    for (int x = groove.left(); x <= groove.right(); ++x) {
        if (isFill(image_.pixelColor(x, y))) ++filled;
    }
    return static_cast<double>(filled) / groove.width();
}

int WindowShot::darkPixels(const QRect& area) const {
    const QRect r = inside(image_, area);
    int dark = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (isDark(image_.pixelColor(x, y))) ++dark;
        }
    }
    return dark;
}

int WindowShot::textEnd(const QRect& area) const {
    const QRect r = inside(image_, area);
    int end = area.left();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (isDark(image_.pixelColor(x, y))) end = std::max(end, x + 1);
        }
    }
    return end;
}

std::vector<QRect> WindowShot::textLines(const QRect& area) const {
    const QRect r = inside(image_, area);
    std::vector<QRect> lines;
    bool inLine = false;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        int left = r.right() + 1;
        int right = r.left() - 1;
        for (int x = r.left(); x <= r.right(); ++x) {
            if (!isInk(image_.pixelColor(x, y))) continue;
            left = std::min(left, x);
            right = std::max(right, x);
        }
        if (right < left) {
            inLine = false;
            continue;
        }
        const QRect row(left, y, right - left + 1, 1);
        if (inLine) {
            lines.back() = lines.back().united(row);
        } else {
            lines.push_back(row);
            inLine = true;
        }
    }
    return lines;
}

}  // namespace corvath::test
