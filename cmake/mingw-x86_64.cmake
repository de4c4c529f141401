# 64-bit build of the same sources, for running the tests under wine64 on a
# machine that cannot run 32-bit x86 code itself (see tools/test-arch.sh).
set(MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
