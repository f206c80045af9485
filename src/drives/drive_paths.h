#pragma once

// The drive's root and name are in the paths module now. This header stays only
// until the window tests that include it (moved by another part of issue 20)
// include text/paths.h instead; then it goes.
#include "text/paths.h"
