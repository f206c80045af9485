#include "win32/win32_artwork.h"

#include <objidl.h>
#include <shlwapi.h>
// GDI+'s flat interface only: the decoding is two calls.
#include <gdiplus.h>

namespace corvath {

namespace {

using namespace Gdiplus::DllExports;

// Decodes a PNG into a GDI+ bitmap and hands it to use(); false when it cannot.
template <typename Use>
bool withBitmap(const EmbeddedFile& png, Use use) {
    IStream* stream = SHCreateMemStream(png.data, static_cast<UINT>(png.size));
    if (stream == nullptr) return false;
    Gdiplus::GpBitmap* bitmap = nullptr;
    const bool decoded = GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok;
    stream->Release();
    if (!decoded) return false;
    const bool used = use(bitmap);
    GdipDisposeImage(bitmap);
    return used;
}

}  // namespace

GdiplusSession::GdiplusSession() {
    const Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession() {
    if (token_ != 0) Gdiplus::GdiplusShutdown(token_);
}

HBITMAP decodeBitmap(const EmbeddedFile& png, COLORREF background) {
    HBITMAP result = nullptr;
    const Gdiplus::ARGB argb = 0xFF000000u | (static_cast<Gdiplus::ARGB>(GetRValue(background)) << 16) |
                               (static_cast<Gdiplus::ARGB>(GetGValue(background)) << 8) | GetBValue(background);
    withBitmap(png, [&](Gdiplus::GpBitmap* bitmap) {
        return GdipCreateHBITMAPFromBitmap(bitmap, &result, argb) == Gdiplus::Ok;
    });
    return result;
}

HICON decodeIcon(const EmbeddedFile& png) {
    HICON result = nullptr;
    withBitmap(png, [&](Gdiplus::GpBitmap* bitmap) { return GdipCreateHICONFromBitmap(bitmap, &result) == Gdiplus::Ok; });
    return result;
}

}  // namespace corvath
