/* Linked into every program of the sanitized build only (MORVANE_ASAN): libraries are never
 * unloaded. When the GL context ends, the GL library unloads Mesa's driver, whose globals still
 * hold a few blocks; LeakSanitizer, which checks at exit, would then report them as leaks of an
 * "unknown module" that no suppression can name. Kept loaded, they stay reachable, and any leak of
 * a library keeps the library's name in its stack. The program exports this definition, so it
 * stands in for the C library's in every library the process loads. */
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
