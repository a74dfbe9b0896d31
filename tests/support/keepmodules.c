/* Preloaded into the processes of a sanitized build that open a window: unloading a library does
 * nothing. The GL driver is loaded at run time and unloaded before LeakSanitizer looks at what
 * is left at exit; kept loaded, its module still has a name there, which the suppressions file
 * can match. Built without sanitizers, so that it can be preloaded into any program. */
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
