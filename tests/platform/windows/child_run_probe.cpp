// A program that runs its work in an abandonable child: prints the process
// the work ran in, then ends as its argument says ("status N" or "crash N").
#include "platform/shared/abandonable_child.h"

#include <windows.h>

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv) {
    const std::string how = argc > 1 ? argv[1] : "status";
    const int code = argc > 2 ? std::atoi(argv[2]) : 0;
    return corvath::runInAbandonableChild([&] {
        std::cout << "work in " << GetCurrentProcessId() << std::endl;
        if (how == "crash") TerminateProcess(GetCurrentProcess(), static_cast<UINT>(code));
        return code;
    });
}
