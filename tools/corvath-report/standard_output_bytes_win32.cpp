#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>

#include "standard_output_bytes.h"

namespace corvath {

void keepStandardOutputBytes() {
    std::cout.flush();
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

}  // namespace corvath
