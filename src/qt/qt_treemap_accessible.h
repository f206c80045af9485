#pragma once

namespace corvath {

// The treemap as a screen reader sees it: a list named for the folder shown,
// whose items are the blocks drawn (a divided block's parts are its children),
// each named for its folder and described by its size and share of the block
// holding it. The selected block has the focus while the map has it. List
// rather than tree roles: Qt's AT-SPI bridge gives a tree's items the role of
// table cells, which a screen reader then reads as a table that is not there.

// Makes Qt give the treemap that interface; safe to call more than once.
void installTreemapAccessibility();

}  // namespace corvath
