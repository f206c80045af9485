// The results window's nested treemap under the offscreen platform, over a
// real scans database filled by the real engine from a real tree.
#include "qt/folder_item.h"
#include "qt/qt_folder_filter_model.h"
#include "qt/qt_folder_tree_model.h"
#include "qt/qt_results_window.h"
#include "qt/qt_treemap_widget.h"
#include "qt/results_window_fixture.h"
#include "text/size_text.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QLocale>
#include <QTest>
#include <QTreeView>

#include <algorithm>
#include <filesystem>
#include <memory>

namespace corvath {
namespace {

namespace fs = std::filesystem;


// A tree five levels deep under its largest folder, so that the map nests to its limit.
class ResultsTreemap : public test::ResultsWindowFixture {
protected:
    ResultsTreemap() {
        writeBytes(tree / "big" / "movie.bin", 3 << 20);
        writeBytes(tree / "big" / "inner" / "notes", 600 << 10);
        writeBytes(tree / "big" / "inner" / "deep" / "a", 900 << 10);
        writeBytes(tree / "big" / "inner" / "deep" / "deeper" / "b", 700 << 10);
        writeBytes(tree / "big" / "inner" / "deep" / "deeper" / "deepest" / "c", 500 << 10);
        writeBytes(tree / "big" / "other" / "d", 800 << 10);
        writeBytes(tree / "small" / "e", 40 << 10);
        writeBytes(tree / "readme", 20 << 10);
        store();
        window = openWindow();
        window->resize(1100, 700);
    }

    const FolderItem* folder(const std::string& below) {
        return window->folderModel()->item(window->folderModel()->findPath((tree / below).string()));
    }
    QModelIndex viewIndex(const FolderItem* item) {
        return window->folderFilter()->mapFromSource(window->folderModel()->indexOf(item));
    }
    const FolderItem* treeCurrent() {
        return window->folderModel()->item(window->folderFilter()->mapToSource(window->folderView()->currentIndex()));
    }
    QtTreemapWidget& map() { return *window->treemap(); }

    std::unique_ptr<QtResultsWindow> window;
};

TEST_F(ResultsTreemap, NestedBlocksLieInTheirParentsAndFillThemWithinAPixel) {
    const std::vector<NestedBlock>& blocks = map().blocks();
    ASSERT_FALSE(blocks.empty());
    EXPECT_EQ(QtTreemapWidget::folderOf(blocks[0]), window->currentFolder());
    EXPECT_EQ(map().blockRect(0), map().mapArea());
    int divided = 0;
    for (int b = 0; b < static_cast<int>(blocks.size()); ++b) {
        const NestedBlock& holder = blocks[static_cast<std::size_t>(b)];
        if (!holder.divided()) continue;
        ++divided;
        const QRect content = map().contentRect(b);
        EXPECT_TRUE(map().blockRect(b).contains(content)) << b;
        const FolderItem* item = QtTreemapWidget::folderOf(holder);
        const double whole = static_cast<double>(content.width()) * content.height();
        long covered = 0;
        for (int i = holder.firstChild; i < holder.firstChild + holder.childCount; ++i) {
            const NestedBlock& part = blocks[static_cast<std::size_t>(i)];
            const QRect r = map().blockRect(i);
            EXPECT_TRUE(content.contains(r)) << i << " in " << b;
            // Sizes are the database's: a sub-folder's total, or the folder's own files.
            EXPECT_EQ(part.part.size,
                      part.part.ownFiles ? item->ownNow : QtTreemapWidget::folderOf(part)->now.allocated);
            const double expected =
                whole * static_cast<double>(part.part.size) / static_cast<double>(item->now.allocated);
            // Each edge rounded to a pixel moves the area by at most a pixel along it.
            EXPECT_NEAR(r.width() * r.height(), expected, r.width() + r.height() + 1) << i;
            for (int j = holder.firstChild; j < i; ++j) {
                EXPECT_FALSE(r.intersects(map().blockRect(j))) << j << ", " << i;
            }
            covered += r.width() * r.height();
        }
        EXPECT_EQ(covered, content.width() * content.height()) << "the parts of " << item->path;
    }
    EXPECT_GE(divided, 4) << "the folder shown, big, inner and deep";

    // Four levels below the folder shown, and no deeper.
    const int deeper = map().blockOf(folder("big/inner/deep/deeper"));
    ASSERT_GE(deeper, 0);
    EXPECT_EQ(blocks[static_cast<std::size_t>(deeper)].depth, 4);
    EXPECT_FALSE(blocks[static_cast<std::size_t>(deeper)].divided());
}

TEST_F(ResultsTreemap, TheHighlightAfterEnterIsTheBlockEntered) {
    QTreeView& view = *window->folderView();
    const FolderItem* top = window->currentFolder();
    const FolderItem* big = folder("big");
    const FolderItem* inner = folder("big/inner");
    ASSERT_EQ(big->row, inner->row) << "each the largest in its folder: the same position";
    // Framed in the highlight colour on all four sides.
    const auto highlighted = [&](const QRect& block) {
        const QImage shot = map().grab().toImage();
        const QColor frame = map().palette().color(QPalette::Highlight);
        const QPoint c = block.center();
        return shot.pixelColor(block.left() + 1, c.y()) == frame &&
               shot.pixelColor(block.right() - 1, c.y()) == frame && shot.pixelColor(c.x(), block.top() + 1) == frame &&
               shot.pixelColor(c.x(), block.bottom() - 1) == frame;
    };

    // Enter on the tree's row.
    view.setFocus();
    view.setCurrentIndex(viewIndex(big));
    EXPECT_EQ(map().selectedFolder(), big);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(window->currentFolder(), big);
    EXPECT_EQ(map().selectedBlock(), 0) << "the whole map";
    EXPECT_EQ(map().selectedFolder(), big);
    EXPECT_EQ(treeCurrent(), big);
    EXPECT_TRUE(highlighted(map().mapArea().adjusted(-QtTreemapWidget::kFrame, -QtTreemapWidget::kFrame,
                                                     QtTreemapWidget::kFrame, QtTreemapWidget::kFrame)));
    EXPECT_FALSE(highlighted(map().blockRect(map().blockOf(inner))));

    // Enter on the map, after going up with the folder left selected.
    map().setFocus();
    QTest::keyClick(&map(), Qt::Key_Backspace);
    EXPECT_EQ(window->currentFolder(), top);
    EXPECT_EQ(map().selectedFolder(), big);
    QTest::keyClick(&map(), Qt::Key_Return);
    EXPECT_EQ(window->currentFolder(), big);
    EXPECT_EQ(map().selectedBlock(), 0);
    EXPECT_EQ(treeCurrent(), big);

    // A nested block clicked is the tree's row, opened to it; the map stays,
    // and Enter goes into that block.
    QTest::keyClick(&map(), Qt::Key_Backspace);
    const FolderItem* deep = folder("big/inner/deep");
    QTest::mouseClick(&map(), Qt::LeftButton, {}, map().blockRect(map().blockOf(deep)).topLeft() + QPoint(1, 1));
    EXPECT_EQ(treeCurrent(), deep);
    EXPECT_TRUE(view.isExpanded(viewIndex(inner)));
    EXPECT_EQ(window->currentFolder(), top);
    EXPECT_TRUE(highlighted(map().blockRect(map().blockOf(deep))));
    QTest::keyClick(&map(), Qt::Key_Return);
    EXPECT_EQ(window->currentFolder(), deep);
    EXPECT_EQ(map().selectedFolder(), deep);
    EXPECT_EQ(map().selectedBlock(), 0);
}

// What an accessibility bridge reads; the events it is sent need a bridge,
// which the offscreen platform has not, so the AT-SPI test covers those.
TEST_F(ResultsTreemap, AScreenReaderGetsEachBlocksNameSizeAndShareAndTheFocusFollowsTheSelection) {
    const FolderItem* top = window->currentFolder();
    const FolderItem* big = folder("big");
    const auto shareText = [](const FolderItem* part) {
        const double share =
            100.0 * static_cast<double>(part->now.allocated) / static_cast<double>(part->parent->now.allocated);
        return QString::fromStdString(sizeText(part->now.allocated)) + ", " + QLocale().toString(share, 'f', 1) +
               " % of ";
    };

    QAccessibleInterface* map = QAccessible::queryAccessibleInterface(&this->map());
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->role(), QAccessible::List);
    EXPECT_EQ(map->text(QAccessible::Name), "Treemap of " + QString::fromStdString(top->path));
    ASSERT_EQ(map->childCount(), this->map().blocks()[0].childCount);
    QAccessibleInterface* bigBlock = nullptr;
    QStringList names;
    for (int k = 0; k < map->childCount(); ++k) {
        QAccessibleInterface* block = map->child(k);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(block->role(), QAccessible::ListItem);
        EXPECT_EQ(block->parent(), map);
        EXPECT_EQ(map->indexOfChild(block), k);
        const QRect local = this->map().blockRect(this->map().blocks()[0].firstChild + k);
        EXPECT_EQ(block->rect(), QRect(this->map().mapToGlobal(local.topLeft()), local.size()));
        names << block->text(QAccessible::Name);
        if (block->text(QAccessible::Name) == "big") bigBlock = block;
    }
    EXPECT_TRUE(names.contains("Files")) << names.join(", ").toStdString();
    ASSERT_NE(bigBlock, nullptr) << names.join(", ").toStdString();
    EXPECT_EQ(bigBlock->text(QAccessible::Description), shareText(big) + QString::fromStdString(top->path));
    // Nested blocks are the children of the block they lie in.
    ASSERT_GT(bigBlock->childCount(), 0);
    QAccessibleInterface* inner = nullptr;
    for (int k = 0; k < bigBlock->childCount(); ++k) {
        if (bigBlock->child(k)->text(QAccessible::Name) == "inner") inner = bigBlock->child(k);
    }
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->parent(), bigBlock);
    EXPECT_EQ(inner->text(QAccessible::Description), shareText(folder("big/inner")) + "big");

    // The arrows move the focus from block to block.
    this->map().setFocus();
    QTest::keyClick(&this->map(), Qt::Key_Down);
    ASSERT_NE(map->focusChild(), nullptr);
    EXPECT_EQ(map->focusChild()->text(QAccessible::Name), "big");
    QTest::keyClick(&this->map(), Qt::Key_Down);
    const QString second = map->child(1)->text(QAccessible::Name);
    ASSERT_NE(map->focusChild(), nullptr);
    EXPECT_EQ(map->focusChild()->text(QAccessible::Name), second);
    EXPECT_TRUE(map->focusChild()->state().focused);
}

}  // namespace
}  // namespace corvath
