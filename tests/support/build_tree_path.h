#pragma once
#include <string>

// A file's path in the build tree (HALVEX_BINARY_DIR, the working folder when
// unset), with Windows separators: where screenshots and other outputs go.
std::string BuildTreePath(const char* name);
