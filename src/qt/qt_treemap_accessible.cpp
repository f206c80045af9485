#include "qt/qt_treemap_accessible.h"

#include "qt/qt_treemap_widget.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QWindow>

#include <unordered_map>

namespace corvath {
namespace {

class TreemapAccessible;

TreemapAccessible* accessibleOf(QtTreemapWidget* map);
void announceLayout(QtTreemapWidget* map);
void announceSelection(QtTreemapWidget* map);

// One block, a child of the map or of the block it lies in. It stands for a
// block of one layout: a new layout makes new ones.
class BlockAccessible : public QAccessibleInterface {
public:
    BlockAccessible(QtTreemapWidget* map, int block) : map_(map), block_(block), layout_(map->layoutCount()) {}

    bool isValid() const override {
        return map_ && map_->layoutCount() == layout_ && block_ > 0 && block_ < static_cast<int>(map_->blocks().size());
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return map_ ? map_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override { return isValid() ? data().childCount : 0; }
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override;

    int block() const { return block_; }

private:
    const NestedBlock& data() const { return map_->blocks()[static_cast<std::size_t>(block_)]; }

    QPointer<QtTreemapWidget> map_;
    int block_;
    int layout_;
};

class TreemapAccessible : public QAccessibleWidget {
public:
    explicit TreemapAccessible(QtTreemapWidget* map)
        : QAccessibleWidget(map, QAccessible::List),
          laidOut_(QObject::connect(map, &QtTreemapWidget::laidOut, map, [map] { announceLayout(map); })),
          moved_(QObject::connect(map, &QtTreemapWidget::selectionMoved, map, [map] { announceSelection(map); })) {}
    // The map may be half destroyed by now: only the ids are dropped.
    ~TreemapAccessible() override {
        QObject::disconnect(laidOut_);
        QObject::disconnect(moved_);
        dropIds();
    }

    QtTreemapWidget* map() const { return static_cast<QtTreemapWidget*>(widget()); }

    int childCount() const override { return map()->blocks().empty() ? 0 : map()->blocks().front().childCount; }
    QAccessibleInterface* child(int index) const override { return childOf(0, index); }
    int indexOfChild(const QAccessibleInterface* child) const override { return indexIn(0, child); }
    QAccessibleInterface* childAt(int x, int y) const override { return partAt(0, x, y); }
    QAccessibleInterface* focusChild() const override {
        const int selected = map()->selectedBlock();
        return map()->hasFocus() && selected > 0 ? blockInterface(selected) : nullptr;
    }
    QString text(QAccessible::Text kind) const override {
        const QtTreemapWidget* shown = map();
        if (kind == QAccessible::Name) return shown->accessibleTitle();
        if (kind == QAccessible::Description) return shown->blockDescription(0);
        return QAccessibleWidget::text(kind);
    }

    // The block's interface, made when first asked for in this layout.
    QAccessibleInterface* blockInterface(int block) const {
        if (block <= 0 || block >= static_cast<int>(map()->blocks().size())) return nullptr;
        if (layout_ != map()->layoutCount()) forgetBlocks();
        auto known = ids_.find(block);
        if (known == ids_.end()) {
            known =
                ids_.emplace(block, QAccessible::registerAccessibleInterface(new BlockAccessible(map(), block))).first;
        }
        return QAccessible::accessibleInterface(known->second);
    }
    QAccessibleInterface* blockOrMap(int block) const {
        return block == 0 ? QAccessible::queryAccessibleInterface(map()) : blockInterface(block);
    }
    QAccessibleInterface* childOf(int holder, int index) const {
        if (map()->blocks().empty()) return nullptr;
        const NestedBlock& held = map()->blocks()[static_cast<std::size_t>(holder)];
        return index >= 0 && index < held.childCount ? blockInterface(held.firstChild + index) : nullptr;
    }
    int indexIn(int holder, const QAccessibleInterface* child) const {
        const auto* block = dynamic_cast<const BlockAccessible*>(child);
        if (block == nullptr || !block->isValid()) return -1;
        const std::vector<NestedBlock>& blocks = map()->blocks();
        const NestedBlock& found = blocks[static_cast<std::size_t>(block->block())];
        return found.parent == holder ? block->block() - blocks[static_cast<std::size_t>(holder)].firstChild : -1;
    }
    QAccessibleInterface* partAt(int holder, int x, int y) const {
        if (map()->blocks().empty()) return nullptr;
        const QPoint point = map()->mapFromGlobal(QPoint(x, y));
        const NestedBlock& held = map()->blocks()[static_cast<std::size_t>(holder)];
        for (int i = held.firstChild; i < held.firstChild + held.childCount; ++i) {
            if (map()->blockRect(i).contains(point)) return blockInterface(i);
        }
        return nullptr;
    }
    void forgetBlocks() const {
        dropIds();
        layout_ = map()->layoutCount();
    }

private:
    void dropIds() const {
        for (const auto& [block, id] : ids_) QAccessible::deleteAccessibleInterface(id);
        ids_.clear();
    }

    mutable std::unordered_map<int, QAccessible::Id> ids_;
    mutable int layout_ = 0;
    QMetaObject::Connection laidOut_;
    QMetaObject::Connection moved_;
};

TreemapAccessible* accessibleOf(QtTreemapWidget* map) {
    return dynamic_cast<TreemapAccessible*>(QAccessible::queryAccessibleInterface(map));
}

QAccessibleInterface* BlockAccessible::parent() const {
    if (!isValid()) return nullptr;
    TreemapAccessible* top = accessibleOf(map_);
    return top != nullptr ? top->blockOrMap(data().parent) : nullptr;
}

QAccessibleInterface* BlockAccessible::child(int index) const {
    TreemapAccessible* top = isValid() ? accessibleOf(map_) : nullptr;
    return top != nullptr ? top->childOf(block_, index) : nullptr;
}

int BlockAccessible::indexOfChild(const QAccessibleInterface* child) const {
    TreemapAccessible* top = isValid() ? accessibleOf(map_) : nullptr;
    return top != nullptr ? top->indexIn(block_, child) : -1;
}

QAccessibleInterface* BlockAccessible::childAt(int x, int y) const {
    TreemapAccessible* top = isValid() ? accessibleOf(map_) : nullptr;
    return top != nullptr ? top->partAt(block_, x, y) : nullptr;
}

QString BlockAccessible::text(QAccessible::Text kind) const {
    if (!isValid()) return {};
    if (kind == QAccessible::Name) return map_->blockName(block_);
    if (kind == QAccessible::Description) return map_->blockDescription(block_);
    return {};
}

QRect BlockAccessible::rect() const {
    if (!isValid()) return {};
    const QRect local = map_->blockRect(block_);
    return {map_->mapToGlobal(local.topLeft()), local.size()};
}

QAccessible::State BlockAccessible::state() const {
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.focusable = true;
    state.selectable = true;
    state.selected = map_->selectedBlock() == block_;
    state.focused = state.selected && map_->hasFocus();
    state.invisible = !map_->isVisible();
    state.expandable = data().childCount > 0;
    state.expanded = state.expandable;
    return state;
}

QAccessibleInterface* makeInterface(const QString& key, QObject* object) {
    if (key == QLatin1String(QtTreemapWidget::staticMetaObject.className())) {
        if (auto* map = qobject_cast<QtTreemapWidget*>(object)) return new TreemapAccessible(map);
    }
    return nullptr;
}

void announceLayout(QtTreemapWidget* map) {
    if (!QAccessible::isActive()) return;
    if (TreemapAccessible* top = accessibleOf(map)) top->forgetBlocks();
    QAccessibleEvent reordered(map, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reordered);
    QAccessibleEvent renamed(map, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&renamed);
    QAccessibleEvent described(map, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

void announceSelection(QtTreemapWidget* map) {
    if (!QAccessible::isActive()) return;
    const int selected = map->selectedBlock();
    TreemapAccessible* top = accessibleOf(map);
    QAccessibleInterface* block = top != nullptr ? top->blockInterface(selected) : nullptr;
    if (block != nullptr) {
        QAccessibleEvent moved(block, map->hasFocus() ? QAccessible::Focus : QAccessible::Selection);
        QAccessible::updateAccessibility(&moved);
    } else if (selected == 0 && map->hasFocus()) {
        // The whole map, as after Enter: the reader says which folder it shows now.
        QAccessibleEvent moved(map, QAccessible::Focus);
        QAccessible::updateAccessibility(&moved);
    }
}

}  // namespace

void installTreemapAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(&makeInterface);
        return true;
    }();
    (void)installed;
}

}  // namespace corvath
