#include "wizard/access_key.h"

namespace corvath {

namespace {

std::string plain(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '&') out += '&';
        out += c;
    }
    return out;
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

std::string::size_type keyPosition(const std::string& caption, char key) {
    std::string::size_type at = key != 0 ? caption.find(key) : std::string::npos;
    for (std::string::size_type i = 0; key == 0 && i < caption.size() && at == std::string::npos; ++i) {
        if (isAsciiLetter(caption[i])) at = i;
    }
    return at;
}

}  // namespace

char accessLetter(const std::string& caption, char key) {
    const std::string::size_type at = keyPosition(caption, key);
    if (at == std::string::npos) return 0;
    const char c = caption[at];
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string markAccessKey(const std::string& caption, char key) {
    const std::string::size_type at = keyPosition(caption, key);
    if (at == std::string::npos) return plain(caption);
    return plain(caption.substr(0, at)) + '&' + plain(caption.substr(at));
}

}  // namespace corvath
