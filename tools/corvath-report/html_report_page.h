#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "buffered_output.h"

namespace corvath {

// JSON that may stand inside a <script> element: "<", ">" and "&" as \u003c,
// \u003e, \u0026, and U+2028 and U+2029 as escapes, so that no name can close
// the element or start markup. They occur only inside JSON strings, where the
// escapes mean the same characters.
std::string scriptSafeJson(const nlohmann::json& data);

// The self-contained page: its HTML, CSS and script (html/report_page.html,
// built in), with the data as JSON in a <script type="application/json">
// element, which the page's script reads and shows with textContent only.
void writeHtmlReport(BufferedOutput& out, const nlohmann::json& data);

}  // namespace corvath
