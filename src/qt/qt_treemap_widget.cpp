#include "qt/qt_treemap_widget.h"

#include "qt/folder_item.h"

#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

namespace corvath {
namespace {

constexpr int kTitleMargin = 4;

// A folder's parts as the folder tree holds them, read through the fetch
// when the layout first asks. A folder moved to the trash is not divided: what
// was not read below it before would show as still there.
class FolderParts : public TreemapParts {
public:
    explicit FolderParts(const QtTreemapWidget::Fetch& fetch) : fetch_(fetch) {}

    std::vector<TreemapPart> partsOf(const void* folder) override {
        const auto* item = static_cast<const FolderItem*>(folder);
        if (!item->fetched && fetch_) fetch_(*item);
        std::vector<TreemapPart> parts;
        parts.reserve(item->children.size() + 1);
        for (const auto& child : item->children) {
            if (child->gone()) continue;
            parts.push_back({child.get(), child->now.allocated, false, child->now.children > 0 && !child->trashed});
        }
        parts.push_back({item, item->ownNow, true, false});
        return parts;
    }

private:
    const QtTreemapWidget::Fetch& fetch_;
};

}  // namespace

QtTreemapWidget::QtTreemapWidget(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(120, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QtTreemapWidget::~QtTreemapWidget() = default;

QSize QtTreemapWidget::sizeHint() const { return {480, 400}; }

QRect QtTreemapWidget::mapArea() const {
    const int titleHeight = fontMetrics().height() + 2 * kTitleMargin;
    // Room around the blocks for the frame that selects the whole map.
    return rect().adjusted(kFrame, titleHeight, -kFrame, -kFrame);
}

void QtTreemapWidget::showFolder(const FolderItem* folder, bool comparing) {
    if (folder != folder_) {
        selectedFolder_ = nullptr;
        selectedOwnFiles_ = false;
    }
    folder_ = folder;
    comparing_ = comparing;
    layOut();
    update();
}

void QtTreemapWidget::layOut() {
    std::vector<NestedBlock> blocks;
    if (folder_ != nullptr) {
        const QRect area = mapArea();
        FolderParts parts(fetch_);
        NestingLimits limits;
        limits.header = fontMetrics().height() + 2;
        blocks = layOutNested(parts, folder_, {area.x(), area.y(), area.width(), area.height()}, limits);
    }
    // Swapped in whole: reading a folder may run a message box's event loop,
    // which paints the old blocks meanwhile.
    blocks_ = std::move(blocks);
    ++layouts_;
    selected_ = -1;
    for (std::size_t i = 0; i < blocks_.size() && (selectedFolder_ != nullptr); ++i) {
        if (folderOf(blocks_[i]) == selectedFolder_ && blocks_[i].part.ownFiles == selectedOwnFiles_) {
            selected_ = static_cast<int>(i);
            break;
        }
    }
    emit laidOut();
}

void QtTreemapWidget::resizeEvent(QResizeEvent*) { layOut(); }

const FolderItem* QtTreemapWidget::folderOf(const NestedBlock& block) {
    return static_cast<const FolderItem*>(block.part.folder);
}

int QtTreemapWidget::blockOf(const FolderItem* folder) const {
    if (folder == nullptr) return -1;
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        if (folderOf(blocks_[i]) == folder && !blocks_[i].part.ownFiles) return static_cast<int>(i);
    }
    return -1;
}

QRect QtTreemapWidget::blockRect(int block) const {
    if (block < 0 || block >= static_cast<int>(blocks_.size())) return {};
    const PixelRect& r = blocks_[static_cast<std::size_t>(block)].rect;
    return {r.x, r.y, r.width, r.height};
}

QRect QtTreemapWidget::contentRect(int block) const {
    if (block < 0 || block >= static_cast<int>(blocks_.size())) return {};
    const PixelRect& r = blocks_[static_cast<std::size_t>(block)].content;
    return {r.x, r.y, r.width, r.height};
}

int QtTreemapWidget::blockAt(const QPoint& point) const { return nestedBlockAt(blocks_, point.x(), point.y()); }

void QtTreemapWidget::selectFolder(const FolderItem* folder) { setSelected(blockOf(folder)); }

const FolderItem* QtTreemapWidget::selectedFolder() const { return selectedOwnFiles_ ? nullptr : selectedFolder_; }

bool QtTreemapWidget::ownFilesSelected() const { return selected_ >= 0 && selectedOwnFiles_; }

void QtTreemapWidget::setSelected(int block, bool announce) {
    const bool valid = block >= 0 && block < static_cast<int>(blocks_.size());
    selected_ = valid ? block : -1;
    selectedFolder_ = valid ? folderOf(blocks_[static_cast<std::size_t>(block)]) : nullptr;
    selectedOwnFiles_ = valid && blocks_[static_cast<std::size_t>(block)].part.ownFiles;
    update();
    if (announce) emit selectionMoved();
}

void QtTreemapWidget::pickBlock(int block) {
    if (block < 0) return;
    setSelected(block, false);
    if (!selectedOwnFiles_) emit folderClicked(selectedFolder_);
    // Told last: the tree, following the selection, tells of its row too.
    emit selectionMoved();
}

void QtTreemapWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) pickBlock(blockAt(event->position().toPoint()));
    QWidget::mousePressEvent(event);
}

void QtTreemapWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const int block = blockAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || block <= 0) return;
    const NestedBlock& picked = blocks_[static_cast<std::size_t>(block)];
    if (!picked.part.ownFiles) emit folderActivated(folderOf(picked));
}

void QtTreemapWidget::keyPressEvent(QKeyEvent* event) {
    // From nothing, or the whole map, the arrows start at its largest block.
    const int start = blocks_.size() > 1 ? 1 : -1;
    switch (event->key()) {
        case Qt::Key_Backspace:
            emit upRequested();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (selected_ > 0 && !selectedOwnFiles_) emit folderActivated(selectedFolder_);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            // Siblings are in size order: the next is the next smaller.
            pickBlock(selected_ <= 0 ? start : siblingBlock(blocks_, selected_, 1));
            return;
        case Qt::Key_Left:
        case Qt::Key_Up:
            pickBlock(selected_ <= 0 ? start : siblingBlock(blocks_, selected_, -1));
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

void QtTreemapWidget::contextMenuEvent(QContextMenuEvent* event) {
    // From the keyboard, the menu is the selected block's, shown over it.
    if (event->reason() == QContextMenuEvent::Keyboard && selected_ >= 0) {
        const QRect r = selected_ == 0 ? mapArea() : blockRect(selected_);
        emit menuRequested(mapToGlobal(r.center()));
        return;
    }
    const int block = blockAt(event->pos());
    if (block < 0) return;
    pickBlock(block);
    emit menuRequested(event->globalPos());
}

void QtTreemapWidget::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    // A screen reader follows the selected block, not just the map.
    if (selected_ > 0) emit selectionMoved();
}

bool QtTreemapWidget::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int block = blockAt(help->pos());
        if (block > 0) {
            QToolTip::showText(help->globalPos(), blockTip(block), this, blockRect(block));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace corvath
