#include "html_report_page.h"

#include <stdexcept>
#include <string_view>

namespace corvath {

// Made at build time from html/report_page.html (cmake/EmbedText.cmake).
extern const char kHtmlReportPage[];

namespace {

constexpr std::string_view kDataMark = "@CORVATH_REPORT_DATA@";

}  // namespace

std::string scriptSafeJson(const nlohmann::json& data) {
    const std::string text = data.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    std::string safe;
    safe.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<') {
            safe += "\\u003c";
        } else if (c == '>') {
            safe += "\\u003e";
        } else if (c == '&') {
            safe += "\\u0026";
        } else if (c == '\xE2' && i + 2 < text.size() && text[i + 1] == '\x80' &&
                   (text[i + 2] == '\xA8' || text[i + 2] == '\xA9')) {
            safe += text[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
            i += 2;
        } else {
            safe += c;
        }
    }
    return safe;
}

void writeHtmlReport(BufferedOutput& out, const nlohmann::json& data) {
    const std::string_view page(kHtmlReportPage);
    const std::size_t mark = page.find(kDataMark);
    if (mark == std::string_view::npos) throw std::logic_error("the built-in page has no place for the data");
    out.write(page.substr(0, mark));
    out.write(scriptSafeJson(data));
    out.write(page.substr(mark + kDataMark.size()));
    out.flush();
}

}  // namespace corvath
