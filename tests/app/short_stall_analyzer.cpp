// corvath-analyzer with a drive's stall limit of 1.5 s instead of a minute, so
// a test of a drive that stops answering ends soon.
#include "app/analyzer_entry.h"

int main(int argc, char** argv) { return corvath::runAnalyzer(argc, argv, std::chrono::milliseconds(1500)); }
