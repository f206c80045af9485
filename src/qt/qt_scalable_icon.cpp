#include "qt/qt_scalable_icon.h"

#include <QApplication>
#include <QIconEngine>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

#include <utility>
#include <vector>

namespace corvath {
namespace {

class ScalableIconEngine final : public QIconEngine {
public:
    ScalableIconEngine(QIcon scalable, std::vector<QPixmap> drawn)
        : scalable_(std::move(scalable)), drawn_(std::move(drawn)) {}

    // size is in device pixels.
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        for (const QPixmap& pixmap : drawn_) {
            if (pixmap.size() == size) return inMode(pixmap, mode);
        }
        // Exactly size device pixels, whatever the screen's scale.
        if (!scalable_.isNull()) return scalable_.pixmap(size, 1.0, mode, state);
        return inMode(nearestDrawn(size).scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation), mode);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
        const qreal ratio = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pixmap = this->pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        pixmap.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pixmap);
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const QPixmap& pixmap : drawn_) sizes << pixmap.size();
        return sizes;
    }

    QIconEngine* clone() const override { return new ScalableIconEngine(*this); }
    QString key() const override { return QStringLiteral("corvath-scalable"); }

private:
    static QPixmap inMode(const QPixmap& pixmap, QIcon::Mode mode) {
        if (mode == QIcon::Normal || qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
            return pixmap;
        }
        QStyleOption option;
        option.palette = QApplication::palette();
        return QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
    }

    // The smallest drawn pixmap at least as large, else the largest.
    QPixmap nearestDrawn(const QSize& size) const {
        QPixmap best;
        for (const QPixmap& pixmap : drawn_) {
            const bool fits = pixmap.width() >= size.width();
            const bool bestFits = !best.isNull() && best.width() >= size.width();
            if (best.isNull() || (fits && (!bestFits || pixmap.width() < best.width())) ||
                (!fits && !bestFits && pixmap.width() > best.width())) {
                best = pixmap;
            }
        }
        return best;
    }

    QIcon scalable_;
    std::vector<QPixmap> drawn_;
};

}  // namespace

QIcon scalableIcon(const QString& svgFile, const QStringList& pngFiles) {
    std::vector<QPixmap> drawn;
    for (const QString& file : pngFiles) {
        const QPixmap pixmap(file);
        if (!pixmap.isNull()) drawn.push_back(pixmap);
    }
    // Both SVG plugins (image format and icon engine) come with libqt6svg6.
    QIcon scalable;
    if (QImageReader::supportedImageFormats().contains("svg")) scalable = QIcon(svgFile);
    if (drawn.empty() && scalable.isNull()) return QIcon();
    return QIcon(new ScalableIconEngine(std::move(scalable), std::move(drawn)));
}

}  // namespace corvath
