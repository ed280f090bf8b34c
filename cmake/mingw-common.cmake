# Shared part of the MinGW-w64 cross toolchains. ZENTROBE_ARCH is set by the
# per-architecture file; ZENTROBE_THREADS picks the compiler's thread model:
# "win32" for the shipped program (no runtime DLL), "posix" for the tests
# (GoogleTest needs std::mutex, which GCC 12's win32 model lacks).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ZENTROBE_ARCH})
if(NOT ZENTROBE_THREADS)
  set(ZENTROBE_THREADS win32)
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZENTROBE_THREADS)

set(_triple ${ZENTROBE_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-${ZENTROBE_THREADS})
set(CMAKE_CXX_COMPILER ${_triple}-g++-${ZENTROBE_THREADS})
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
