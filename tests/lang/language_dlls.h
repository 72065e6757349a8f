// Where the build puts the test language DLLs.
#pragma once
#include <cstdlib>
#include <string>

inline std::string LanguageDllFolder()
{
    const char* binary = getenv("HALVEX_BINARY_DIR");
    std::string dir = binary ? binary : ".";
    for (char& c : dir)
        if (c == '/')
            c = '\\';
    return dir + "\\tests\\lang\\dlls\\";
}
