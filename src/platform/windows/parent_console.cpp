#include "platform/windows/parent_console.h"

#include <algorithm>
#include <iostream>
#include <streambuf>

#include <windows.h>

namespace corvath {

namespace {

bool leadsSomewhere(DWORD stream) {
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// Writes straight to a console handle. The C runtime's own streams cannot be
// pointed there afterwards everywhere (freopen of a stream that started with no
// handle fails under Wine), so the C++ streams write through this instead.
class ConsoleOutput : public std::streambuf {
public:
    explicit ConsoleOutput(HANDLE console) : console_(console) {}

protected:
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        std::streamsize done = 0;
        while (done < count) {
            DWORD written = 0;
            const auto left = static_cast<DWORD>(std::min<std::streamsize>(count - done, 1 << 20));
            if (!WriteFile(console_, text + done, left, &written, nullptr) || written == 0) break;
            done += written;
        }
        return done;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char one = traits_type::to_char_type(c);
        return xsputn(&one, 1) == 1 ? c : traits_type::eof();
    }

private:
    HANDLE console_;
};

}  // namespace

void useParentConsole() {
    const bool output = leadsSomewhere(STD_OUTPUT_HANDLE);
    const bool error = leadsSomewhere(STD_ERROR_HANDLE);
    if (output && error) return;  // redirected: those stay as they are
    // Refused as "access denied" when the program has a console already (Wine
    // gives a window program its parent's): that console is then the one.
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) return;
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return;
    // Unbuffered, and kept for the whole process: the streams are flushed
    // after every static object has gone.
    auto* const written = new ConsoleOutput(console);
    if (!output) {
        SetStdHandle(STD_OUTPUT_HANDLE, console);
        std::cout.rdbuf(written);
    }
    if (!error) {
        SetStdHandle(STD_ERROR_HANDLE, console);
        std::cerr.rdbuf(written);
    }
}

}  // namespace corvath
