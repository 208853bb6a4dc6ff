/* Built into every program of a sanitized build. The leak checker stops the
   process's threads with ptrace, which qemu's user-mode emulator cannot do: a
   32-bit program run there would hang at exit. Leaks are not checked.
   Weak, because static libraries carry a copy too and may be linked whole. */
__attribute__((weak)) const char *__asan_default_options(void) { return "detect_leaks=0"; }
