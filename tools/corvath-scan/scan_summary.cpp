#include "scan_summary.h"

namespace corvath {

bool printScanSummary(std::FILE* out, const WalkTotals& totals, double seconds) {
    std::fprintf(out, "allocated: %llu\napparent: %llu\nfiles: %llu\nfolders: %llu\nerrors: %llu\nseconds: %.3f\n",
                 static_cast<unsigned long long>(totals.allocated), static_cast<unsigned long long>(totals.apparent),
                 static_cast<unsigned long long>(totals.files), static_cast<unsigned long long>(totals.folders),
                 static_cast<unsigned long long>(totals.errors), seconds);
    return std::fflush(out) == 0;
}

}  // namespace corvath
