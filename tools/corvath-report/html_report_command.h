#pragma once

#include <string>

#include "report_arguments.h"
#include "results/scan_reader.h"

namespace corvath {

// corvath-report html: the scan of --scan, else the scan made last (of
// whichever drive), compared with --compare's scan of the same drive when
// given, written to file ("-" for standard output) as export --ncdu writes a
// file: replaced whole or left as it was. Throws ArgumentError, ResultsError
// or ExportError with the one line to show.
void writeHtmlReportFile(const ReportArguments& arguments, const ScanReader& reader, const std::string& file);

}  // namespace corvath
