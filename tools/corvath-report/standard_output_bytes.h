#pragma once

namespace corvath {

// Standard output from here on gets the bytes as written: CSV's CRLF record
// ends and the LF inside a quoted name must not become CRLF and CR CRLF, as
// the Windows C runtime's text mode would make them. POSIX writes bytes as
// they are already.
void keepStandardOutputBytes();

}  // namespace corvath
