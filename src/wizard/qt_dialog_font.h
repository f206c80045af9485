#pragma once

#include <QFont>

namespace corvath {

// The dialog font at 8.25 pt: "MS Sans Serif" where installed; else a face with
// the metrics of the Windows dialog fonts (Microsoft Sans Serif, or the
// Arial-compatible Liberation Sans or Arimo), so that every caption fits the
// room the layout gives it; else the desktop's sans-serif font.
QFont dialogFont(bool bold = false);

}  // namespace corvath
