# Cross build for the receiver's processor: 32-bit big-endian PowerPC, with
# Debian's powerpc-linux-gnu compilers. The libraries come from the prefix
# that scripts/ppc/build-deps.sh fills; programs built here run under qemu-ppc.
#
#   cmake -S . -B build-ppc -DCMAKE_TOOLCHAIN_FILE=cmake/ppc-toolchain.cmake
#
# MATCHRAY_PPC_PREFIX (cache or environment variable) names the prefix;
# it defaults to ~/.cache/matchray-ppc/prefix.

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR powerpc)

set(CMAKE_C_COMPILER powerpc-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER powerpc-linux-gnu-g++)

if(NOT MATCHRAY_PPC_PREFIX)
    if(DEFINED ENV{MATCHRAY_PPC_PREFIX})
        set(MATCHRAY_PPC_PREFIX "$ENV{MATCHRAY_PPC_PREFIX}")
    else()
        set(MATCHRAY_PPC_PREFIX "$ENV{HOME}/.cache/matchray-ppc/prefix")
    endif()
endif()
set(MATCHRAY_PPC_PREFIX "${MATCHRAY_PPC_PREFIX}" CACHE PATH "Prefix of the PowerPC libraries")
# try_compile projects read this file again and need the same prefix.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MATCHRAY_PPC_PREFIX)

# 64-bit file offsets and inode numbers: without them a 32-bit readdir fails
# with EOVERFLOW on file systems with 64-bit directory cookies (ext4 under
# qemu-user, XFS, btrfs), and the picture clean-up would see an empty /tmp.
set(CMAKE_C_FLAGS_INIT "-D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-D_FILE_OFFSET_BITS=64")

set(CMAKE_FIND_ROOT_PATH "${MATCHRAY_PPC_PREFIX}" /usr/powerpc-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config sees only the prefix's .pc files, never the build machine's.
set(ENV{PKG_CONFIG_LIBDIR} "${MATCHRAY_PPC_PREFIX}/lib/pkgconfig:${MATCHRAY_PPC_PREFIX}/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# The prefix's libraries depend on each other (libpng on zlib): let the
# linker and the loader find them there.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${MATCHRAY_PPC_PREFIX}/lib")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-Wl,-rpath-link,${MATCHRAY_PPC_PREFIX}/lib")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${MATCHRAY_PPC_PREFIX}/lib")

# ctest, gtest_discover_tests and tests that start other programs run the
# PowerPC programs through this wrapper.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/ppc/qemu-run")
