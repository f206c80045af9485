// Leaks of the system libraries under Qt (fontconfig keeps its caches for the
// life of the process), not of ours: LeakSanitizer reads these when it starts.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n"
           "leak:libdbus-1.so\n"
           "leak:libglib-2.0.so\n"
           "leak:libxcb\n"
           "leak:libX11.so\n";
}
