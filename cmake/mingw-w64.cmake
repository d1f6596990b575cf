# Cross build for 64-bit Windows with the mingw-w64 compilers (POSIX thread model, which
# std::thread and std::mutex need). Every executable is linked statically, so it imports
# only the system's own DLLs and runs from any folder it is copied to. Programs built for
# the target run through Wine when the build or CTest needs them (scripts/winerun.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(LB_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${LB_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LB_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LB_MINGW_TRIPLE}-windres)

# Headers and libraries of the target only (zlib lives here); programs are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/${LB_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ZLIB_USE_STATIC_LIBS ON)
# pkg-config must not hand the host's libraries to the cross build.
set(ENV{PKG_CONFIG_LIBDIR} /usr/${LB_MINGW_TRIPLE}/lib/pkgconfig)
set(ENV{PKG_CONFIG_PATH} "")

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/winerun.sh)
