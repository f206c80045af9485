#include "platform/linux/registry_key_path.h"

namespace corvath {

std::optional<std::string> normalizeKeyPath(std::string_view path) {
    if (!path.empty() && path.back() == '\\') {
        path.remove_suffix(1);
    }
    if (path.empty()) {
        return std::string();
    }
    if (path.front() == '\\' || path.back() == '\\' || path.find("\\\\") != std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(path);
}

}  // namespace corvath
