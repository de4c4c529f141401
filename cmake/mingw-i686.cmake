# 32-bit Windows target: the programs we ship.
set(MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
