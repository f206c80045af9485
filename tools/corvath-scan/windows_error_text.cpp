#include "windows_error_text.h"

#include <windows.h>

#include "engine/wtf8.h"

namespace corvath {

std::string windowsErrorText(unsigned long error) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = text != nullptr ? text : L"";
    LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L'.' ||
                                message.back() == L' ')) {
        message.pop_back();
    }
    if (message.empty()) return "error " + std::to_string(error);
    return wtf8FromUtf16(std::wstring_view(message));
}

}  // namespace corvath
