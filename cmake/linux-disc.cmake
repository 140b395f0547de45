# The Linux setup that goes on discs: built against a Debian 11 root (glibc 2.31, libstdc++ of
# GCC 10, GTK 3.24.24) with the host's clang, so that it runs on every desktop from Debian 11
# and Ubuntu 20.04 on. scripts/debian_root.sh makes the root (scripts/test.sh does it once).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TAVIK_SYSROOT ${CMAKE_CURRENT_LIST_DIR}/../build/roots/bullseye-sysroot CACHE PATH
    "The Debian 11 root the disc's Linux setup is built against")
# The real path: the compiler reports its system folders resolved, and CMake drops pkg-config's
# -I of those only when they match (a root reached through a link would shadow libstdc++'s).
get_filename_component(TAVIK_SYSROOT ${TAVIK_SYSROOT} REALPATH)
set(CMAKE_SYSROOT ${TAVIK_SYSROOT})
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET x86_64-linux-gnu)
set(CMAKE_CXX_COMPILER_TARGET x86_64-linux-gnu)
# The root's own C++ library (GCC 10's headers and libstdc++), not the host's.
set(CMAKE_CXX_FLAGS_INIT "--gcc-toolchain=${TAVIK_SYSROOT}/usr")
set(CMAKE_C_FLAGS_INIT "--gcc-toolchain=${TAVIK_SYSROOT}/usr")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld --gcc-toolchain=${TAVIK_SYSROOT}/usr")
set(CMAKE_FIND_ROOT_PATH ${TAVIK_SYSROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config reads the root's .pc files and prefixes their paths with the root.
set(ENV{PKG_CONFIG_SYSROOT_DIR} ${TAVIK_SYSROOT})
set(ENV{PKG_CONFIG_LIBDIR}
    "${TAVIK_SYSROOT}/usr/lib/x86_64-linux-gnu/pkgconfig:${TAVIK_SYSROOT}/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
