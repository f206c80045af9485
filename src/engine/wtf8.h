#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvath {

// Windows names are UTF-16 that need not be well formed (a lone surrogate is a
// valid file name). WTF-8 encodes them as UTF-8 does, a lone surrogate as its
// own three bytes, so every name converts back to the very name it was: a
// folder is opened again by the name stored for it. Well-formed UTF-16 gives
// plain UTF-8. Unit is any 16-bit code unit type (wchar_t on Windows, char16_t).
template <typename Unit>
std::string wtf8FromUtf16(std::basic_string_view<Unit> text) {
    static_assert(sizeof(Unit) == 2);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t c = static_cast<std::uint16_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const std::uint32_t low = static_cast<std::uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The inverse. A byte that starts no valid sequence becomes U+FFFD; names the
// walk stored never hold one.
template <typename Unit>
std::basic_string<Unit> utf16FromWtf8(std::string_view text) {
    static_assert(sizeof(Unit) == 2);
    std::basic_string<Unit> out;
    out.reserve(text.size());
    std::size_t i = 0;
    const auto continuation = [&](std::size_t at) {
        return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
    };
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::uint32_t c = 0xFFFD;
        std::size_t length = 1;
        if (lead < 0x80) {
            c = lead;
        } else if (lead >= 0xC2 && lead < 0xE0 && continuation(i + 1)) {
            c = ((lead & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            length = 2;
        } else if (lead >= 0xE0 && lead < 0xF0 && continuation(i + 1) && continuation(i + 2)) {
            c = ((lead & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            length = 3;
            if (c < 0x800) c = 0xFFFD;  // overlong
        } else if (lead >= 0xF0 && lead < 0xF5 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3)) {
            c = ((lead & 0x07u) << 18) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 12) |
                ((static_cast<unsigned char>(text[i + 2]) & 0x3Fu) << 6) |
                (static_cast<unsigned char>(text[i + 3]) & 0x3Fu);
            length = 4;
            if (c < 0x10000 || c > 0x10FFFF) c = 0xFFFD;
        }
        if (c >= 0x10000) {
            out += static_cast<Unit>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<Unit>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<Unit>(c);
        }
        i += length;
    }
    return out;
}

}  // namespace corvath
