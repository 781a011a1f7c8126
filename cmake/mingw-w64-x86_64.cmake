# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
# The posix thread model is used because the library relies on std::thread,
# std::mutex and std::call_once.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_veskin_mingw x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${_veskin_mingw}-g++-posix ${_veskin_mingw}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${_veskin_mingw}-gcc-posix ${_veskin_mingw}-gcc)
find_program(CMAKE_RC_COMPILER NAMES ${_veskin_mingw}-windres windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_veskin_mingw})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs run under Wine without the compiler's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
