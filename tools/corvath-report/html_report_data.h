#pragma once

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <vector>

#include "results/scan_reader.h"

namespace corvath {

// How much of a scan the HTML report carries: a large scan is cut to the
// folders that matter, so the page stays small and opens at once.
struct HtmlReportLimits {
    unsigned perMille = 1;           // a folder is shown from 0.1 % of the drive's counted bytes
    std::size_t folders = 10000;     // and at most this many, the largest
    std::size_t nameBytes = 2u << 20;  // the shown folders' names together at most
    std::size_t files = 100;
    std::size_t changes = 200;
};

// What the page shows, as one JSON object: the scan, its folders (the cut
// tree, each with its parent's index, its own bytes and what was cut below
// it), its largest files, the drive's history, the other drives' latest scans
// and, with an earlier scan, what grew between the two.
nlohmann::json htmlReportData(const ScanReader& reader, const StoredScan& scan,
                              const std::optional<StoredScan>& earlier, const HtmlReportLimits& limits = {});

}  // namespace corvath
