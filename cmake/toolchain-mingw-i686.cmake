# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (package g++-mingw-w64-i686).
#
# The "-posix" compilers are chosen on purpose: their libstdc++ carries std::thread and std::mutex
# (on top of winpthreads, linked statically into the DLL), which the library's core uses. The
# default "-win32" flavour of GCC 12 lacks them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(QS_MINGW_PREFIX i686-w64-mingw32)
find_program(CMAKE_C_COMPILER ${QS_MINGW_PREFIX}-gcc-posix)
find_program(CMAKE_CXX_COMPILER ${QS_MINGW_PREFIX}-g++-posix)
find_program(CMAKE_RC_COMPILER ${QS_MINGW_PREFIX}-windres)
if(NOT CMAKE_C_COMPILER OR NOT CMAKE_CXX_COMPILER)
  message(FATAL_ERROR
    "mingw-w64 for i686 was not found (${QS_MINGW_PREFIX}-g++-posix). "
    "Install it with: apt-get install g++-mingw-w64-i686")
endif()

set(CMAKE_FIND_ROOT_PATH /usr/${QS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
