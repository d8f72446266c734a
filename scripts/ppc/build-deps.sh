#!/usr/bin/env bash
# Builds the libraries that the 32-bit big-endian PowerPC cross build links
# against, from Debian's own source packages, into a prefix outside the
# repository:
#   zlib, libpng, FreeType, libsigc++-2.0, libcurl (plain HTTP only)
#   and GoogleTest (from /usr/src/googletest).
#
# Usage: scripts/ppc/build-deps.sh
# Environment:
#   MATCHRAY_PPC_CACHE  cache directory (default ~/.cache/matchray-ppc);
#                       the libraries go to $MATCHRAY_PPC_CACHE/prefix
#   JOBS                parallel compile jobs (default 2)
#   DEBIAN_MIRROR       where the source packages come from
#                       (default http://deb.debian.org)
#
# Each library is built once; a stamp file records how, so a second run only
# checks. Sources are fetched with `apt-get source` through a source list and
# package lists of this script's own in a temporary directory under the cache,
# which is removed afterwards: the system's apt configuration is never touched.
set -euo pipefail

HERE="$(cd "$(dirname "$0")" && pwd)"
REPO="$(cd "$HERE/../.." && pwd)"
TOOLCHAIN="$REPO/cmake/ppc-toolchain.cmake"
CACHE="${MATCHRAY_PPC_CACHE:-$HOME/.cache/matchray-ppc}"
PREFIX="$CACHE/prefix"
SRC="$CACHE/src"
BUILD="$CACHE/build"
STAMPS="$CACHE/stamps"
JOBS="${JOBS:-2}"
MIRROR="${DEBIAN_MIRROR:-http://deb.debian.org}"
export MATCHRAY_PPC_PREFIX="$PREFIX"

log() { echo "ppc-deps: $*"; }

# --- Host packages -----------------------------------------------------------
HOST_PACKAGES=(g++-powerpc-linux-gnu binutils-powerpc-linux-gnu qemu-user dpkg-dev
               cmake make pkg-config libgtest-dev libgmock-dev file
               meson ninja-build m4 mm-common)
missing=()
for p in "${HOST_PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  log "installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

mkdir -p "$PREFIX" "$SRC" "$BUILD" "$STAMPS"

# --- Sources -----------------------------------------------------------------
SOURCE_PACKAGES=(zlib libpng1.6 freetype libsigc++-2.0 curl)

# The unpacked source tree of a source package, e.g. $SRC/curl/curl-7.88.1.
source_dir() {
  find "$SRC/$1" -mindepth 1 -maxdepth 1 -type d | head -n 1
}

to_fetch=()
for p in "${SOURCE_PACKAGES[@]}"; do
  [ -f "$STAMPS/$p.fetched" ] || to_fetch+=("$p")
done
if [ ${#to_fetch[@]} -gt 0 ]; then
  APTDIR="$(mktemp -d "$CACHE/apt.XXXXXX")"
  trap 'rm -rf "$APTDIR"' EXIT
  mkdir -p "$APTDIR/lists/partial" "$APTDIR/cache/archives/partial"
  key=/usr/share/keyrings/debian-archive-keyring.gpg
  cat >"$APTDIR/sources.list" <<EOF
deb-src [signed-by=$key] $MIRROR/debian bookworm bookworm-updates main
deb-src [signed-by=$key] $MIRROR/debian-security bookworm-security main
EOF
  APT=(apt-get -q
       -o Dir::Etc::SourceList="$APTDIR/sources.list"
       -o Dir::Etc::SourceParts=/dev/null
       -o Dir::State::Lists="$APTDIR/lists"
       -o Dir::Cache="$APTDIR/cache"
       -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache=)
  log "fetching sources: ${to_fetch[*]}"
  "${APT[@]}" update >"$APTDIR/update.log" 2>&1 || { cat "$APTDIR/update.log"; exit 1; }
  for p in "${to_fetch[@]}"; do
    rm -rf "${SRC:?}/$p"
    mkdir -p "$SRC/$p"
    # The newest version first; the release's own when a mirror lacks it.
    # When a mirror lacks only the Debian packaging, the upstream tarball
    # alone is used.
    (cd "$SRC/$p" && { "${APT[@]}" source "$p" >fetch.log 2>&1 \
                       || "${APT[@]}" source "$p/bookworm" >>fetch.log 2>&1 \
                       || { ls ./*.orig.tar.* >/dev/null 2>&1 \
                            && tar -xf "$(ls ./*.orig.tar.* | grep -v '\.asc$' | head -n 1)" \
                            && echo "ppc-deps: $p: using the upstream tarball"; }; }) \
      || { cat "$SRC/$p/fetch.log"; exit 1; }
    touch "$STAMPS/$p.fetched"
  done
  rm -rf "$APTDIR"
  trap - EXIT
fi

# --- Builds ------------------------------------------------------------------
# cmake_dep NAME SOURCE_DIR [CMAKE_ARGS...]: configures, builds and installs
# one library with the cross toolchain unless its stamp says it was built with
# the same arguments already.
cmake_dep() {
  local name="$1" src="$2"
  shift 2
  local args=(-DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release
              -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_INSTALL_LIBDIR=lib
              -DCMAKE_INSTALL_RPATH="$PREFIX/lib" -DCMAKE_POSITION_INDEPENDENT_CODE=ON
              "$@")
  local stamp="$STAMPS/$name.built"
  # The stamp names the toolchain by its content, not by where the checkout is.
  local how="$src ${args[*]/#-DCMAKE_TOOLCHAIN_FILE=*/toolchain=$(sha1sum <"$TOOLCHAIN" | cut -c1-12)}"
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$how" ]; then
    log "$name: up to date"
    return
  fi
  log "$name: building from $src"
  local start=$SECONDS
  rm -rf "${BUILD:?}/$name"
  cmake -S "$src" -B "$BUILD/$name" "${args[@]}" >"$BUILD/$name.log" 2>&1 \
    && cmake --build "$BUILD/$name" -j"$JOBS" >>"$BUILD/$name.log" 2>&1 \
    && cmake --install "$BUILD/$name" >>"$BUILD/$name.log" 2>&1 \
    || { tail -n 40 "$BUILD/$name.log"; log "$name: failed, see $BUILD/$name.log"; exit 1; }
  echo "$how" >"$stamp"
  log "$name: built in $((SECONDS - start)) s"
}

# Debian's zlib source lacks the Windows files that its CMake build lists, so
# zlib is built with its own configure script, in a copy of the source.
ZLIB_SRC="$(source_dir zlib)"
if [ ! -f "$STAMPS/zlib.built" ] || [ "$(cat "$STAMPS/zlib.built")" != "$ZLIB_SRC" ]; then
  log "zlib: building from $ZLIB_SRC"
  start=$SECONDS
  rm -rf "${BUILD:?}/zlib"
  cp -a "$ZLIB_SRC" "$BUILD/zlib"
  (cd "$BUILD/zlib" \
     && CHOST=powerpc-linux-gnu CFLAGS="-O2 -fPIC" ./configure --prefix="$PREFIX" \
     && make -j"$JOBS" && make install) >"$BUILD/zlib.log" 2>&1 \
    || { tail -n 40 "$BUILD/zlib.log"; log "zlib: failed, see $BUILD/zlib.log"; exit 1; }
  echo "$ZLIB_SRC" >"$STAMPS/zlib.built"
  log "zlib: built in $((SECONDS - start)) s"
else
  log "zlib: up to date"
fi

cmake_dep libpng "$(source_dir libpng1.6)" \
  -DPNG_SHARED=ON -DPNG_STATIC=OFF -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
  -DPNG_POWERPC_VSX=off -DPNG_HARDWARE_OPTIMIZATIONS=OFF

cmake_dep freetype "$(source_dir freetype)" \
  -DBUILD_SHARED_LIBS=ON -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_BROTLI=ON \
  -DFT_DISABLE_HARFBUZZ=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_ZLIB=ON

cmake_dep curl "$(source_dir curl)" \
  -DBUILD_SHARED_LIBS=ON -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
  -DHTTP_ONLY=ON -DCURL_DISABLE_LDAP=ON -DCURL_DISABLE_LDAPS=ON \
  -DCURL_ENABLE_SSL=OFF -DCURL_USE_OPENSSL=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBSSH=OFF \
  -DCURL_USE_GSSAPI=OFF -DUSE_LIBIDN2=OFF -DUSE_NGHTTP2=OFF -DUSE_NGTCP2=OFF -DUSE_QUICHE=OFF \
  -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DCURL_ZLIB=ON -DENABLE_MANUAL=OFF -DCURL_CA_PATH=none \
  -DCURL_CA_BUNDLE=none

# libsigc++ builds with Meson; Debian's source is a git snapshot whose headers
# are generated from .m4 files (maintainer mode, with mm-common).
SIGC_SRC="$(source_dir libsigc++-2.0)"
if [ ! -f "$STAMPS/sigc.built" ] || [ "$(cat "$STAMPS/sigc.built")" != "$SIGC_SRC" ]; then
  log "sigc: building from $SIGC_SRC"
  start=$SECONDS
  rm -rf "${BUILD:?}/sigc"
  mkdir -p "$BUILD/sigc"
  cat >"$BUILD/sigc.cross" <<EOF
[binaries]
c = 'powerpc-linux-gnu-gcc'
cpp = 'powerpc-linux-gnu-g++'
ar = 'powerpc-linux-gnu-ar'
strip = 'powerpc-linux-gnu-strip'
pkg-config = 'pkg-config'

[host_machine]
system = 'linux'
cpu_family = 'ppc'
cpu = 'ppc'
endian = 'big'
EOF
  meson setup "$BUILD/sigc/build" "$SIGC_SRC" --cross-file "$BUILD/sigc.cross" \
      --prefix="$PREFIX" --libdir=lib --buildtype=release -Dmaintainer-mode=true \
      -Dbuild-documentation=false -Dbuild-examples=false -Dbuild-tests=false \
      >"$BUILD/sigc.log" 2>&1 \
    && ninja -C "$BUILD/sigc/build" -j"$JOBS" >>"$BUILD/sigc.log" 2>&1 \
    && ninja -C "$BUILD/sigc/build" install >>"$BUILD/sigc.log" 2>&1 \
    || { tail -n 40 "$BUILD/sigc.log"; log "sigc: failed, see $BUILD/sigc.log"; exit 1; }
  echo "$SIGC_SRC" >"$STAMPS/sigc.built"
  log "sigc: built in $((SECONDS - start)) s"
else
  log "sigc: up to date"
fi

cmake_dep googletest /usr/src/googletest -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON

log "prefix ready: $PREFIX"
