#pragma once

#include <QString>

#include <string>

namespace corvath {

// A stored name or path (raw bytes, UTF-8 where they are valid) as text to
// show; bytes that are not UTF-8 show as U+FFFD.
inline QString fromBytes(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace corvath
