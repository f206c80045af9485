// How the treemap draws its blocks: each block filled in its colour with a
// light and a dark edge, a divided block's name in its strip above its parts,
// a leaf's name and size inside it where they fit.
#include "qt/qt_treemap_widget.h"
#include "qt/qt_shown_text.h"

#include "qt/folder_item.h"
#include "ui/treemap_shades.h"

#include <QPaintEvent>
#include <QPainter>

namespace corvath {
namespace {

constexpr int kTitleMargin = 4;
constexpr int kLabelMinWidth = 40;
constexpr int kEdgeMinSide = 4;
const QColor kTrashHatch(90, 90, 90);

QColor asColour(const Shade& shade) { return {shade.red, shade.green, shade.blue}; }

Shade asShade(const QColor& colour) {
    return {static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
            static_cast<std::uint8_t>(colour.blue())};
}

QRect asRect(const PixelRect& r) { return {r.x, r.y, r.width, r.height}; }

}  // namespace

QColor QtTreemapWidget::blockColour(const NestedBlock& block) const {
    const FolderItem* folder = folderOf(block);
    if (comparing_) {
        const Shade growth = block.part.ownFiles ? growthShade(folder->ownBefore, folder->ownNow)
                                                 : growthShade(folder->before.allocated, folder->now.allocated);
        return asColour(shadeAtDepth(growth, block.depth));
    }
    return asColour(block.part.ownFiles ? ownFilesShade(block.depth) : branchShade(block.branch, block.depth));
}

void QtTreemapWidget::paintBlock(QPainter& painter, const NestedBlock& block, const QColor& colour) const {
    const QRect r = asRect(block.rect);
    painter.fillRect(r, colour);
    // Raised edges rather than lines: neighbours of one colour stay apart, and
    // nesting shows by the lighter parts inside a block's frame.
    if (r.width() >= kEdgeMinSide && r.height() >= kEdgeMinSide) {
        const QColor light = asColour(lightEdgeOf(asShade(colour)));
        const QColor dark = asColour(darkEdgeOf(asShade(colour)));
        painter.fillRect(r.left(), r.top(), r.width(), 1, light);
        painter.fillRect(r.left(), r.top(), 1, r.height(), light);
        painter.fillRect(r.left(), r.bottom(), r.width(), 1, dark);
        painter.fillRect(r.right(), r.top(), 1, r.height(), dark);
    }
    if (!block.part.ownFiles && folderOf(block)->trashed) painter.fillRect(r, QBrush(kTrashHatch, Qt::BDiagPattern));
}

void QtTreemapWidget::paintLabel(QPainter& painter, int index, const QColor& colour) const {
    const NestedBlock& block = blocks_[static_cast<std::size_t>(index)];
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const QRect r = asRect(block.rect);
    if (r.width() < kLabelMinWidth || r.height() < line + 2) return;
    painter.setPen(asColour(textShadeOn(asShade(colour))));
    const QString size = sizeLabel(block.part.size);
    if (block.divided()) {
        const int strip = block.content.y - block.rect.y;
        if (strip < line) return;
        const QRect header(r.left() + 3, r.top(), r.width() - 6, strip);
        // The name comes first; the size where the whole name leaves room for it.
        const QString name = blockName(index);
        const bool sizeFits =
            metrics.horizontalAdvance(name) + metrics.horizontalAdvance(size) + 2 * metrics.averageCharWidth() <=
            header.width();
        painter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                         metrics.elidedText(name, Qt::ElideRight, header.width()));
        if (sizeFits) painter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, size);
        return;
    }
    const QRect inner = r.adjusted(3, 1, -3, -1);
    painter.drawText(inner, Qt::AlignLeft | Qt::AlignTop,
                     metrics.elidedText(blockName(index), Qt::ElideRight, inner.width()));
    if (inner.height() >= 2 * line && metrics.horizontalAdvance(size) <= inner.width()) {
        painter.drawText(inner.adjusted(0, line, 0, 0), Qt::AlignLeft | Qt::AlignTop, size);
    }
}

void QtTreemapWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QRect titleRect(kTitleMargin, 0, width() - 2 * kTitleMargin, mapArea().top());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(title(), Qt::ElideMiddle, titleRect.width()));

    const QRect dirty = event->rect();
    for (std::size_t i = 1; i < blocks_.size(); ++i) {
        const NestedBlock& block = blocks_[i];
        if (!dirty.intersects(asRect(block.rect))) continue;
        const QColor colour = blockColour(block);
        paintBlock(painter, block, colour);
        paintLabel(painter, static_cast<int>(i), colour);
    }
    const QColor highlight = palette().color(QPalette::Highlight);
    if (selected_ == 0) {
        // The whole map: a frame round it, over no block.
        const QRect r = mapArea().adjusted(-kFrame, -kFrame, kFrame, kFrame);
        painter.fillRect(r.left(), r.top(), r.width(), kFrame, highlight);
        painter.fillRect(r.left(), r.bottom() - kFrame + 1, r.width(), kFrame, highlight);
        painter.fillRect(r.left(), r.top(), kFrame, r.height(), highlight);
        painter.fillRect(r.right() - kFrame + 1, r.top(), kFrame, r.height(), highlight);
    } else if (selected_ > 0) {
        // A frame in the highlight colour with a thin line inside it, seen on any block.
        const QRect r = blockRect(selected_);
        QPen pen(highlight, 3);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(1, 1, -2, -2));
        if (r.width() > 8 && r.height() > 8) {
            painter.setPen(palette().color(QPalette::HighlightedText));
            painter.drawRect(r.adjusted(3, 3, -4, -4));
        }
    }
}

}  // namespace corvath
