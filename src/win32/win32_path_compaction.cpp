#include "win32/win32_path_compaction.h"

#include <vector>

namespace corvath {

std::string compactPathWithFont(const std::string& path, int widthPixels, HFONT font) {
    // The call writes its result over the text, which may grow by the "..."
    // and its terminator.
    std::vector<char> buffer(path.begin(), path.end());
    buffer.resize(path.size() + 5, '\0');
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return path;
    HGDIOBJ previous = SelectObject(dc, font);
    RECT rect{0, 0, widthPixels, 0};
    // Measured only (DT_CALCRECT): the rewriting of the text is what is wanted.
    DrawTextA(dc, buffer.data(), -1, &rect, DT_SINGLELINE | DT_PATH_ELLIPSIS | DT_MODIFYSTRING | DT_CALCRECT | DT_NOPREFIX);
    SelectObject(dc, previous);
    DeleteDC(dc);
    return std::string(buffer.data());
}

}  // namespace corvath
