#include "build_tree_path.h"

#include <cstdlib>

std::string BuildTreePath(const char* name)
{
    const char* dir = getenv("HALVEX_BINARY_DIR");
    std::string path = std::string(dir ? dir : ".") + "\\" + name;
    for (char& ch : path)
        if (ch == '/')
            ch = '\\';
    return path;
}
