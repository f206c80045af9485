#pragma once

#include <string>

namespace corvath {

// A path with the user names it holds replaced by a stable pseudonym
// ("user-" and 8 hex digits of a hash of the name), so that paths sent to
// central monitoring name no one: the folder below /home (on Windows, below
// a drive's Users), and the user folder udisks mounts removable drives under
// (/media/USER/LABEL, /run/media/USER/LABEL) where mountPoint, the drive the
// path lies on, is such a mount. The same name always gives the same
// pseudonym, so series keep their identity from one run to the next. It is
// no secret: anyone who guesses a name can hash it too.
std::string redactedHomePath(const std::string& path, const std::string& mountPoint);

}  // namespace corvath
