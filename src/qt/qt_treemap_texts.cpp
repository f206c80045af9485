// What the treemap's blocks say: on the map, in tooltips and to a screen reader.
#include "qt/qt_treemap_widget.h"
#include "qt/qt_shown_text.h"

#include "qt/folder_item.h"

#include <QLocale>

namespace corvath {
namespace {


}  // namespace

QString QtTreemapWidget::title() const {
    if (folder_ == nullptr) return {};
    return tr("%1 (%2)").arg(fromBytes(folder_->path), sizeLabel(folder_->now.allocated));
}

QString QtTreemapWidget::accessibleTitle() const {
    return folder_ == nullptr ? tr("Treemap") : tr("Treemap of %1").arg(fromBytes(folder_->path));
}

QString QtTreemapWidget::blockName(int index) const {
    if (index < 0 || index >= static_cast<int>(blocks_.size())) return {};
    const NestedBlock& block = blocks_[static_cast<std::size_t>(index)];
    if (block.part.ownFiles) return tr("Files");
    // The folder shown is named as it was scanned, or by its path below that.
    return index == 0 ? fromBytes(folder_->path) : fromBytes(folderOf(block)->name());
}

QString QtTreemapWidget::blockDescription(int index) const {
    if (index < 0 || index >= static_cast<int>(blocks_.size())) return {};
    const NestedBlock& block = blocks_[static_cast<std::size_t>(index)];
    const FolderItem* folder = folderOf(block);
    QString text = sizeLabel(block.part.size);
    if (block.parent >= 0) {
        const NestedBlock& holder = blocks_[static_cast<std::size_t>(block.parent)];
        const double share = holder.part.size == 0
                                 ? 0.0
                                 : 100.0 * static_cast<double>(block.part.size) / static_cast<double>(holder.part.size);
        text = tr("%1, %2 % of %3").arg(text, QLocale().toString(share, 'f', 1), blockName(block.parent));
    }
    if (comparing_) {
        const auto grown = block.part.ownFiles ? static_cast<std::int64_t>(folder->ownNow) -
                                                     static_cast<std::int64_t>(folder->ownBefore)
                                               : folder->grown();
        text += tr(", %1 since the earlier scan").arg(sizeChangeLabel(grown));
        if (!block.part.ownFiles && folder->before.node == 0) text += tr(", new");
    }
    if (!block.part.ownFiles && folder->trashed) text += tr(", moved to the trash");
    return text;
}

QString QtTreemapWidget::blockTip(int index) const {
    if (index < 0 || index >= static_cast<int>(blocks_.size())) return {};
    const NestedBlock& block = blocks_[static_cast<std::size_t>(index)];
    const QString path = fromBytes(folderOf(block)->path);
    return (block.part.ownFiles ? tr("Files directly in %1").arg(path) : path) + "\n" + blockDescription(index);
}

}  // namespace corvath
