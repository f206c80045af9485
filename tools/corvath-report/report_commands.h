#pragma once

#include <ostream>

#include "report_arguments.h"
#include "results/scan_reader.h"

namespace corvath {

// Runs one of the commands that read the database and writes its report.
// Throws ArgumentError or ResultsError with the one line to show.
void runReportCommand(const ReportArguments& arguments, const ScanReader& reader, std::ostream& out);

}  // namespace corvath
