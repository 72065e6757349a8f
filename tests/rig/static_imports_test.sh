#!/usr/bin/env bash
# Every Windows program of the build tree imports only system DLLs: the MinGW
# runtimes (C++ library, libgcc, winpthread) are linked in, so no runtime DLL
# ever has to lie in a program folder, where every *.dll is tried as a
# language DLL.
#   static_imports_test.sh OBJDUMP BUILD_DIR
set -euo pipefail
objdump=$1
build=$2
checked=0
bad=0
while IFS= read -r -d '' exe; do
  checked=$((checked + 1))
  if runtime=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | grep -Ei '^lib|mingw|pthread|stdc'); then
    echo "FAIL: $exe imports $(echo "$runtime" | tr '\n' ' ')"
    bad=1
  fi
done < <(find "$build" -name '*.exe' -not -path '*/CMakeFiles/*' -not -path '*/wineprefix/*' -not -path '*/rig/template/*' -print0)
echo "static_imports_test: $checked programs checked"
[ "$checked" -gt 0 ] && [ "$bad" = 0 ]
