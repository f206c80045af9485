#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>
#include <vector>

namespace corvath {

// One block of the treemap: a sub-folder of the folder shown, or its own files.
struct TreemapBlock {
    static constexpr int kOwnFiles = -1;

    int key = kOwnFiles;  // the sub-folder's row, or kOwnFiles
    QString label;
    QString tip;  // the full path and the size
    std::uint64_t size = 0;
    QColor colour;
    bool marked = false;  // moved to the trash: drawn hatched
};

// A squarified treemap of one folder: each block's area in proportion to its
// size. A click selects a block, a double-click or Enter goes into it,
// Backspace goes up, the arrows move the selection from block to block.
class QtTreemapWidget : public QWidget {
    Q_OBJECT
public:
    explicit QtTreemapWidget(QWidget* parent = nullptr);

    void setBlocks(const QString& title, std::vector<TreemapBlock> blocks);
    // The block with that key is drawn selected; none for any other key.
    void setSelectedKey(int key);
    void clearSelection();
    // The selected block's key; none when no block is selected.
    std::optional<int> selectedKey() const;

    const std::vector<TreemapBlock>& blocks() const { return blocks_; }
    // Where the block is drawn, in this widget's pixels; empty when it has no area.
    QRect blockRect(std::size_t block) const;
    // The block under a point, or -1.
    int blockAt(const QPoint& point) const;
    // The area the blocks share.
    QRect mapArea() const;
    QSize sizeHint() const override;

signals:
    void blockClicked(int key);
    void blockActivated(int key);
    void upRequested();
    void menuRequested(int key, const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool event(QEvent* event) override;

private:
    void layOut();
    void selectBlock(int block);

    QString title_;
    std::vector<TreemapBlock> blocks_;
    std::vector<QRect> rects_;
    int selected_ = -1;  // index in blocks_
};

}  // namespace corvath
