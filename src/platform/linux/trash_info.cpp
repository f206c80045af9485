#include "platform/linux/trash_info.h"

#include <climits>
#include <string_view>

namespace corvath {
namespace {

constexpr std::string_view kRecordSuffix = ".trashinfo";

bool keptAsIs(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || (byte >= '0' && byte <= '9') ||
           byte == '-' || byte == '_' || byte == '.' || byte == '~' || byte == '/';
}

}  // namespace

std::string percentEncoded(const std::string& path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(path.size());
    for (const char c : path) {
        const auto byte = static_cast<unsigned char>(c);
        if (keptAsIs(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0xF];
        }
    }
    return encoded;
}

std::string trashInfoText(const std::string& path, std::time_t deleted) {
    std::tm local{};
    ::localtime_r(&deleted, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    return "[Trash Info]\nPath=" + percentEncoded(path) + "\nDeletionDate=" + date + "\n";
}

std::string trashEntryName(const std::string& name, unsigned n) {
    const std::string number = n <= 1 ? std::string() : "." + std::to_string(n);
    const std::size_t room = NAME_MAX - kRecordSuffix.size() - number.size();
    return (name.size() > room ? name.substr(0, room) : name) + number;
}

}  // namespace corvath
