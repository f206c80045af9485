#pragma once

class QAbstractButton;
class QWidget;

namespace corvath {

// Handles the events that wait, dropping the user's input aimed at window:
// clicks, keys, wheel and touch that came while the window's thread was busy
// never reach its controls, nor become shortcuts. Everything else, a close by
// the close box included, is handled as usual.
//
// A click that pressed and released the mouse on keptClick (when given) is
// not lost: the button is clicked once more when the program next waits for
// events, so that it acts in the state the program is then in.
void drainInputOf(const QWidget& window, QAbstractButton* keptClick = nullptr);

}  // namespace corvath
