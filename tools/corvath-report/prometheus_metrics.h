#pragma once

#include <cstddef>
#include <string>

#include "results/scan_reader.h"

namespace corvath {

struct MetricsOptions {
    std::size_t top = 50;     // folder series per drive
    unsigned depth = 2;       // the deepest folder level reported; the root is 0
    bool redactHome = false;  // user names in paths become pseudonyms
};

// The latest scan of every drive in Prometheus's text exposition format, as
// node_exporter's and windows_exporter's textfile collectors read it: a HELP
// and TYPE line for every metric, gauges in base units labelled by mount
// point as node_exporter's filesystem metrics are, no timestamps, LF line
// ends. Label values are made valid UTF-8 and escaped.
std::string prometheusMetrics(const ScanReader& reader, const MetricsOptions& options, const std::string& version);

// A label value as the format writes it between its quotes.
std::string prometheusLabelValue(const std::string& raw);

}  // namespace corvath
