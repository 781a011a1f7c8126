// Under LeakSanitizer: fontconfig keeps a cache for the life of the process that it
// never frees; that is the library's own business, not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
