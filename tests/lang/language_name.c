/* The one function a language DLL exports: no arguments, its display name back. */
const char* LANGUAGE_EXPORT(void)
{
    return LANGUAGE_NAME;
}
