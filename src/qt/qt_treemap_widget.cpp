#include "qt/qt_treemap_widget.h"

#include "ui/treemap_layout.h"

#include <QContextMenuEvent>
#include <algorithm>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace corvath {
namespace {

constexpr int kTitleMargin = 4;
constexpr int kLabelMinWidth = 40;

QColor textColourOn(const QColor& background) {
    return background.lightnessF() > 0.55 ? QColor(20, 20, 20) : QColor(250, 250, 250);
}

}  // namespace

QtTreemapWidget::QtTreemapWidget(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(120, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize QtTreemapWidget::sizeHint() const { return {480, 400}; }

QRect QtTreemapWidget::mapArea() const {
    const int titleHeight = fontMetrics().height() + 2 * kTitleMargin;
    return rect().adjusted(0, titleHeight, 0, 0);
}

void QtTreemapWidget::setBlocks(const QString& title, std::vector<TreemapBlock> blocks) {
    title_ = title;
    blocks_ = std::move(blocks);
    // Largest first, so that the arrows step from block to next smaller block.
    std::stable_sort(blocks_.begin(), blocks_.end(),
                     [](const TreemapBlock& a, const TreemapBlock& b) { return a.size > b.size; });
    selected_ = -1;
    layOut();
    update();
}

void QtTreemapWidget::setSelectedKey(int key) {
    selected_ = -1;
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (blocks_[i].key == key) selected_ = static_cast<int>(i);
    }
    update();
}

void QtTreemapWidget::clearSelection() {
    selected_ = -1;
    update();
}

std::optional<int> QtTreemapWidget::selectedKey() const {
    if (selected_ < 0) return std::nullopt;
    return blocks_[static_cast<std::size_t>(selected_)].key;
}

QRect QtTreemapWidget::blockRect(std::size_t block) const { return block < rects_.size() ? rects_[block] : QRect(); }

int QtTreemapWidget::blockAt(const QPoint& point) const {
    for (std::size_t i = 0; i < rects_.size(); ++i) {
        if (rects_[i].contains(point)) return static_cast<int>(i);
    }
    return -1;
}

void QtTreemapWidget::layOut() {
    const QRect area = mapArea();
    std::vector<std::uint64_t> sizes;
    sizes.reserve(blocks_.size());
    for (const TreemapBlock& block : blocks_) sizes.push_back(block.size);
    const auto layout = squarify(sizes, {static_cast<double>(area.x()), static_cast<double>(area.y()),
                                         static_cast<double>(area.width()), static_cast<double>(area.height())});
    rects_.clear();
    for (const LayoutRect& r : layout) {
        const PixelRect p = toPixels(r);
        rects_.emplace_back(p.x, p.y, p.width, p.height);
    }
}

void QtTreemapWidget::resizeEvent(QResizeEvent*) { layOut(); }

void QtTreemapWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    const QRect titleRect(kTitleMargin, 0, width() - 2 * kTitleMargin, mapArea().top());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(title_, Qt::ElideMiddle, titleRect.width()));

    const QFontMetrics metrics = fontMetrics();
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        const QRect& r = rects_[i];
        if (r.isEmpty()) continue;
        const TreemapBlock& block = blocks_[i];
        painter.fillRect(r, block.colour);
        if (block.marked) painter.fillRect(r, QBrush(QColor(90, 90, 90), Qt::BDiagPattern));
        painter.setPen(block.colour.darker(160));
        painter.drawRect(r.adjusted(0, 0, -1, -1));
        if (r.width() >= kLabelMinWidth && r.height() >= metrics.height() + 4) {
            painter.setPen(textColourOn(block.colour));
            const QRect inner = r.adjusted(3, 2, -3, -2);
            painter.drawText(inner, Qt::AlignLeft | Qt::AlignTop,
                             metrics.elidedText(block.label, Qt::ElideRight, inner.width()));
        }
    }
    if (selected_ >= 0 && !rects_[static_cast<std::size_t>(selected_)].isEmpty()) {
        QPen pen(palette().color(QPalette::Highlight), 3);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rects_[static_cast<std::size_t>(selected_)].adjusted(1, 1, -2, -2));
    }
}

void QtTreemapWidget::selectBlock(int block) {
    if (block < 0 || block >= static_cast<int>(blocks_.size())) return;
    selected_ = block;
    update();
    emit blockClicked(blocks_[static_cast<std::size_t>(block)].key);
}

void QtTreemapWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) selectBlock(blockAt(event->position().toPoint()));
    QWidget::mousePressEvent(event);
}

void QtTreemapWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const int block = blockAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && block >= 0) emit blockActivated(blocks_[static_cast<std::size_t>(block)].key);
}

void QtTreemapWidget::keyPressEvent(QKeyEvent* event) {
    const int count = static_cast<int>(blocks_.size());
    switch (event->key()) {
        case Qt::Key_Backspace:
            emit upRequested();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (selected_ >= 0) emit blockActivated(blocks_[static_cast<std::size_t>(selected_)].key);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            // Blocks are in size order, so the next is the next smaller.
            if (count > 0) selectBlock(selected_ < 0 ? 0 : std::min(selected_ + 1, count - 1));
            return;
        case Qt::Key_Left:
        case Qt::Key_Up:
            if (count > 0) selectBlock(selected_ <= 0 ? 0 : selected_ - 1);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void QtTreemapWidget::contextMenuEvent(QContextMenuEvent* event) {
    const int block = blockAt(event->pos());
    if (block < 0) return;
    selectBlock(block);
    emit menuRequested(blocks_[static_cast<std::size_t>(block)].key, event->globalPos());
}

bool QtTreemapWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int block = blockAt(help->pos());
        if (block >= 0) {
            QToolTip::showText(help->globalPos(), blocks_[static_cast<std::size_t>(block)].tip, this,
                               rects_[static_cast<std::size_t>(block)]);
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace corvath
