# Cross-compiles for 64-bit Windows with MinGW-w64 and runs what it builds
# under Wine:
#
#   scripts/bootstrap --windows && scripts/mingw-deps
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
#
# The third-party libraries come from scripts/mingw-deps's cache; their
# folders are asked of `scripts/mingw-deps --prefix` unless the environment
# names them in PLOVA_MINGW_PREFIX_PATH (a ;-separated list, empty while
# mingw-deps builds the libraries themselves).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PLOVA_MINGW_TRIPLE x86_64-w64-mingw32)
# The POSIX-threads variant: std::thread, std::mutex and
# std::condition_variable need it (the win32 variant has none of them).
set(CMAKE_C_COMPILER ${PLOVA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLOVA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PLOVA_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${PLOVA_MINGW_TRIPLE}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${PLOVA_MINGW_TRIPLE}-gcc-ranlib-posix CACHE FILEPATH "")

get_filename_component(PLOVA_SOURCE_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/../scripts" ABSOLUTE)

if(DEFINED ENV{PLOVA_MINGW_PREFIX_PATH})
  set(PLOVA_MINGW_PREFIXES "$ENV{PLOVA_MINGW_PREFIX_PATH}")
else()
  execute_process(
    COMMAND "${PLOVA_SOURCE_SCRIPTS}/mingw-deps" --prefix
    OUTPUT_VARIABLE PLOVA_MINGW_PREFIXES
    ERROR_VARIABLE PLOVA_MINGW_PREFIX_ERROR
    RESULT_VARIABLE PLOVA_MINGW_PREFIX_RESULT
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT PLOVA_MINGW_PREFIX_RESULT EQUAL 0)
    message(FATAL_ERROR "The Windows libraries are not built: ${PLOVA_MINGW_PREFIX_ERROR}")
  endif()
  string(REPLACE "\n" ";" PLOVA_MINGW_PREFIXES "${PLOVA_MINGW_PREFIXES}")
  # Asked once per configure: try_compile reads this file again in the same process.
  set(ENV{PLOVA_MINGW_PREFIX_PATH} "${PLOVA_MINGW_PREFIXES}")
endif()

# Headers, libraries and CMake packages only from MinGW's own folder and the
# cache; programs (pkg-config, Python, the code generators) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${PLOVA_MINGW_TRIPLE} ${PLOVA_MINGW_PREFIXES})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees the cache and MinGW's folder only, never the build machine's
# libraries, and gives the static link line (each library's private
# dependencies too).
set(PLOVA_MINGW_PKG_CONFIG_LIBDIR /usr/${PLOVA_MINGW_TRIPLE}/lib/pkgconfig)
foreach(prefix IN LISTS PLOVA_MINGW_PREFIXES)
  string(APPEND PLOVA_MINGW_PKG_CONFIG_LIBDIR ":${prefix}/lib/pkgconfig")
endforeach()
set(ENV{PKG_CONFIG_LIBDIR} "${PLOVA_MINGW_PKG_CONFIG_LIBDIR}")
set(ENV{PKG_CONFIG_PATH} "")
set(PKG_CONFIG_ARGN --static)

# Every program is linked statically, the compiler's runtime (libgcc,
# libstdc++, winpthread) included, so a test runs under Wine without a DLL
# copied beside it: only Windows' own DLLs are loaded.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Qt for Windows, when scripts/mingw-deps has built it (its folder is listed
# last): the build machine's Qt of the same version runs moc, rcc and uic.
set(PLOVA_MINGW_QT "")
foreach(prefix IN LISTS PLOVA_MINGW_PREFIXES)
  if(prefix MATCHES "/qt6-base-[^/]+$")
    set(PLOVA_MINGW_QT "${prefix}")
  endif()
endforeach()
if(PLOVA_MINGW_QT)
  set(QT_HOST_PATH /usr)
  set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
endif()

# The DLLs a program linked with Qt loads: Qt's own and the compiler's
# runtime they are linked with (the programs themselves carry theirs).
set(PLOVA_MINGW_DLL_PATH "")
if(PLOVA_MINGW_QT)
  foreach(dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE found OUTPUT_STRIP_TRAILING_WHITESPACE)
    get_filename_component(found "${found}" DIRECTORY)
    get_filename_component(found "${found}" ABSOLUTE)
    string(APPEND PLOVA_MINGW_DLL_PATH "${found}:")
  endforeach()
  string(APPEND PLOVA_MINGW_DLL_PATH "${PLOVA_MINGW_QT}/bin")
endif()

# try_run, gtest_discover_tests and add_test run the programs through Wine,
# with those DLL folders on Windows' search path.
if(PLOVA_MINGW_DLL_PATH)
  set(CMAKE_CROSSCOMPILING_EMULATOR "${PLOVA_SOURCE_SCRIPTS}/wine-run;--dll-path;${PLOVA_MINGW_DLL_PATH}")
else()
  set(CMAKE_CROSSCOMPILING_EMULATOR "${PLOVA_SOURCE_SCRIPTS}/wine-run")
endif()
