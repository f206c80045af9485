#include "window_harness.h"

#include <cstdlib>
#include <fstream>
#include <set>
#include <vector>

namespace corvath::test {

Screenshot::Screenshot(HWND window) {
    RECT outer;
    GetWindowRect(window, &outer);
    width_ = outer.right - outer.left;
    height_ = outer.bottom - outer.top;
    HDC source = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(source);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    pixels_.assign(first, first + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, source);
}

COLORREF Screenshot::pixel(int x, int y) const {
    const std::uint32_t p = pixels_.at(static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                                       static_cast<std::size_t>(x));
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

int Screenshot::colours(int left, int top, int right, int bottom) const {
    std::set<COLORREF> seen;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) seen.insert(pixel(x, y));
    }
    return static_cast<int>(seen.size());
}

bool Screenshot::save(const std::string& path) const {
    const auto imageBytes = static_cast<DWORD>(pixels_.size() * 4);
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof header;
    file.bfSize = file.bfOffBits + imageBytes;
    header.biSize = sizeof header;
    header.biWidth = width_;
    header.biHeight = -height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    // GDI leaves the fourth byte 0; viewers read it as alpha and would show a
    // blank picture.
    std::vector<std::uint32_t> opaque(pixels_);
    for (std::uint32_t& p : opaque) p |= 0xFF000000u;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(opaque.data()), static_cast<std::streamsize>(imageBytes));
    return static_cast<bool>(out);
}

std::string artifactPath(const std::string& fileName) {
    const char* folder = std::getenv("CORVATH_TEST_ARTIFACTS");
    const std::string base = folder != nullptr && *folder != '\0' ? folder : ".";
    CreateDirectoryA(base.c_str(), nullptr);
    return base + "/" + fileName;
}

}  // namespace corvath::test
