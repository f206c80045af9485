#pragma once

#include <string>

class QWidget;

namespace corvath {

// Shows a modal message box owned by owner and centred on it before it first
// shows; blocks until it is closed and returns the platform's button code (1 OK,
// 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No). style carries the button
// set in its low four bits and the icon in the next (16 error, 32 question,
// 48 warning, 64 information). The owner's other events, its timers included,
// go on while the box is open. A box closed without a button (which a Yes/No box
// does not allow the user to do) answers with its No or Cancel code, never Yes/OK.
int showCenteredMessage(QWidget* owner, const std::string& text, int style, const std::string& title);

}  // namespace corvath
