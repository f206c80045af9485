// The user's grouping on Windows: the separator and sizes of the user's
// regional settings. The C++ runtime's locale("") is the classic locale there,
// which groups nothing.
#include "engine/count_text.h"

#include <iterator>
#include <string>

#include <windows.h>

#include "engine/wtf8.h"

namespace corvath {

namespace {

std::wstring userLocaleValue(LCTYPE type) {
    wchar_t value[16] = {};  // the system's limit is 4 characters for both
    const int length = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, value, static_cast<int>(std::size(value)));
    return length > 0 ? std::wstring(value, static_cast<std::size_t>(length - 1)) : std::wstring();
}

}  // namespace

DigitGrouping userDigitGrouping() {
    const std::wstring separator = userLocaleValue(LOCALE_STHOUSAND);
    const std::wstring sizes = userLocaleValue(LOCALE_SGROUPING);
    if (separator.empty() || sizes.empty()) return {};
    return DigitGrouping{wtf8FromUtf16<wchar_t>(separator), groupSizesOfList(std::string(sizes.begin(), sizes.end()))};
}

}  // namespace corvath
