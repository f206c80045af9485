#pragma once

#include <iostream>
#include <ostream>

#include "report_arguments.h"
#include "results/scan_reader.h"

namespace corvath {

// Runs one of the commands that read the database and writes its report.
// Throws ArgumentError or ResultsError with the one line to show. Warnings
// go to out with the report, but to warnings with --csv.
void runReportCommand(const ReportArguments& arguments, const ScanReader& reader, std::ostream& out,
                      std::ostream& warnings = std::cerr);

}  // namespace corvath
