#pragma once

class QWidget;

namespace corvath {

// Handles the events that wait, dropping the user's input aimed at window:
// clicks, keys, wheel and touch that came while the window's thread was busy
// never reach its controls, nor become shortcuts. Everything else, a close by
// the close box included, is handled as usual.
void drainInputOf(const QWidget& window);

}  // namespace corvath
