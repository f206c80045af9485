// uninstall.exe: the product's uninstaller, waited for (uninstall_in_place.h).
#include "platform/windows/uninstall_in_place.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return corvath::uninstallInPlace(corvath::argumentsOf(GetCommandLineW()));
}
