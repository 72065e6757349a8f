# The Wine test rig: every Windows test program runs through scripts/wine-run.sh,
# which owns a private prefix in this build tree.
set(HALVEX_RIG_DIR ${CMAKE_BINARY_DIR}/rig)
file(MAKE_DIRECTORY ${HALVEX_RIG_DIR})
file(WRITE ${HALVEX_RIG_DIR}/wine-run
"#!/usr/bin/env bash\nexport HALVEX_RIG_DIR='${HALVEX_RIG_DIR}'\nexec bash '${CMAKE_SOURCE_DIR}/scripts/wine-run.sh' \"$@\"\n")
file(CHMOD ${HALVEX_RIG_DIR}/wine-run PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${HALVEX_RIG_DIR}/wine-run)
# The rig's scripts pick the matching Wine (32- or 64-bit) from this file.
file(WRITE ${HALVEX_RIG_DIR}/arch "${HALVEX_ARCH}\n")
