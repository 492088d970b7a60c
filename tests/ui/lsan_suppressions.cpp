// Under LeakSanitizer, leaks inside system libraries are not ours to report: fontconfig keeps
// its configuration and caches until the process ends. (Unused without the sanitizer.)
extern "C" __attribute__((used, visibility("default"))) const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}
