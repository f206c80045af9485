#pragma once

namespace corvath {

// A window program has no console of its own, so what it writes to standard
// output and error is lost when it is started from a command prompt. This
// connects each stream that has nowhere to go (not redirected to a file or a
// pipe) to the console of the program that started it, if it has one.
void useParentConsole();

}  // namespace corvath
