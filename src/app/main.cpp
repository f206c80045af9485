// corvath-analyzer: the wizard, or with "-auto" the unattended run.
#include "app/analyzer_entry.h"
#include "engine/scanner.h"

int main(int argc, char** argv) { return corvath::runAnalyzer(argc, argv, corvath::kStallLimit); }
