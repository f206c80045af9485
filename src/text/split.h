#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvath {

// The text split at every separator, keeping empty and extra fields: "a||b|"
// gives "a", "", "b", "". An empty text is one empty field.
inline std::vector<std::string> splitAt(std::string_view text, char separator) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            fields.emplace_back(text.substr(start));
            return fields;
        }
        fields.emplace_back(text.substr(start, at - start));
        start = at + 1;
    }
}

}  // namespace corvath
