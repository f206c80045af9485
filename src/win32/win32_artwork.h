#pragma once

#include <windows.h>

#include <cstddef>

namespace corvath {

// A file built into the program.
struct EmbeddedFile {
    const unsigned char* data;
    std::size_t size;
};

// The window's artwork, as PNG files (assets/).
extern const EmbeddedFile bannerPng;  // 500 × 70
extern const EmbeddedFile icon16Png;
extern const EmbeddedFile icon32Png;

// GDI+ for as long as the object lives; the decoders below need one.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
};

// Decoded PNGs; nullptr when the file cannot be decoded. The caller owns the
// handle (DeleteObject, DestroyIcon).
HBITMAP decodeBitmap(const EmbeddedFile& png, COLORREF background);
HICON decodeIcon(const EmbeddedFile& png);

}  // namespace corvath
