#pragma once

#include <QString>

#include <cstdint>
#include <string>

namespace corvath {

// A stored name or path (raw bytes, UTF-8 where they are valid) as text to
// show; bytes that are not UTF-8 show as U+FFFD.
inline QString fromBytes(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Sizes, changes of size and shares as the window shows them: in binary
// units, with the user's decimal sign ("1,5 GiB" in German, where "1.5" would
// read as fifteen).
QString sizeLabel(std::uint64_t bytes);
QString sizeChangeLabel(std::int64_t bytes);
QString percentLabel(double percent);  // "16.8 %", one decimal

}  // namespace corvath
