#pragma once

#include <QColor>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

#include "ui/nested_treemap.h"

namespace corvath {

struct FolderItem;

// A nested squarified treemap of one folder: the blocks of its sub-folders hold
// those of their own sub-folders, a few levels deep, and each folder's own
// files are one block; each block's area in proportion to its size. A click
// selects a block, a double-click or Enter goes into it, Backspace goes up, the
// arrows move the selection from a block to the next larger or smaller beside it.
class QtTreemapWidget : public QWidget {
    Q_OBJECT
public:
    // Reads a folder's sub-folders when they are not read yet; the treemap asks
    // only for folders whose block is large enough to show them.
    using Fetch = std::function<void(const FolderItem&)>;

    explicit QtTreemapWidget(QWidget* parent = nullptr);
    ~QtTreemapWidget() override;
    void setFetch(Fetch fetch) { fetch_ = std::move(fetch); }

    // Shows the folder (nullptr: nothing), its blocks coloured by growth when
    // comparing. The folder shown again is laid out anew, as after its sizes
    // changed, and keeps its selection; another folder starts with none.
    void showFolder(const FolderItem* folder, bool comparing);
    const FolderItem* folder() const { return folder_; }

    // Draws that folder selected: the folder shown (the whole map) or a folder
    // drawn in it; nullptr, or a folder not drawn, selects nothing.
    void selectFolder(const FolderItem* folder);
    // The selected folder; nullptr when nothing or a block of own files is.
    const FolderItem* selectedFolder() const;
    bool ownFilesSelected() const;
    // The selected block; -1 for none.
    int selectedBlock() const { return selected_; }
    // How many times the blocks were laid out: a block's index holds for one layout.
    int layoutCount() const { return layouts_; }

    // Block 0 is the folder shown; see NestedBlock.
    const std::vector<NestedBlock>& blocks() const { return blocks_; }
    static const FolderItem* folderOf(const NestedBlock& block);
    // The block of that folder (not of its own files), or -1.
    int blockOf(const FolderItem* folder) const;
    QRect blockRect(int block) const;
    QRect contentRect(int block) const;
    // The deepest block under a point, or -1.
    int blockAt(const QPoint& point) const;
    // The area the blocks share; the frame that selects the whole map lies
    // around it, kFrame wide.
    QRect mapArea() const;
    static constexpr int kFrame = 3;
    QSize sizeHint() const override;

    // What a block says: its name; its size and share of the block holding it
    // (with the change, comparing); its tooltip. And the map's title.
    QString blockName(int block) const;
    QString blockDescription(int block) const;
    QString blockTip(int block) const;
    QString title() const;
    // What a screen reader calls the map.
    QString accessibleTitle() const;

signals:
    void folderClicked(const FolderItem* folder);
    void folderActivated(const FolderItem* folder);
    void upRequested();
    void menuRequested(const QPoint& globalPosition);
    // For its accessible interface: the blocks were laid out anew (their old
    // interfaces are gone); the selection moved (a screen reader follows it).
    void laidOut();
    void selectionMoved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool event(QEvent* event) override;

private:
    void layOut();
    // Selects the block as the user did: tells the window, unless it is own files.
    void pickBlock(int block);
    void setSelected(int block, bool announce = true);
    QColor blockColour(const NestedBlock& block) const;
    void paintBlock(QPainter& painter, const NestedBlock& block, const QColor& colour) const;
    void paintLabel(QPainter& painter, int block, const QColor& colour) const;

    Fetch fetch_;
    const FolderItem* folder_ = nullptr;
    bool comparing_ = false;
    std::vector<NestedBlock> blocks_;
    int layouts_ = 0;
    int selected_ = -1;  // in blocks_
    // What is selected, kept across layouts.
    const FolderItem* selectedFolder_ = nullptr;
    bool selectedOwnFiles_ = false;
};

}  // namespace corvath
