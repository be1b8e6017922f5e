# Shared by scripts/run, scripts/test, scripts/fuzz, scripts/package and
# scripts/test-packages: the Debian packages that the builds and the Wine runs
# need, and the build trees under build/ (ignored by git). Sourced, not run.
#
# Packages are installed only when missing, so a prepared machine never
# touches apt. wine64 comes with its recommended packages: the fonts (Arial is
# matched to Liberation Sans, which sets the dialog's size) and the X
# extension libraries that Wine loads at run time.

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build_root="$repo_root/build"

required_packages=(
  cmake make g++ clang libclang-rt-14-dev pkgconf libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev libserialport-dev libsqlite3-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686
  wine64 fonts-wine fonts-liberation xvfb x11-utils imagemagick ghostscript python3 man-db
  chromium poppler-utils tidy
)

# What the release packages need on top: dpkg-shlibdeps (dpkg-dev), the
# package checker, the bootstrapper of the clean Debian system that the .deb
# is installed in, and an unzip that is not Python's own.
release_packages=(dpkg-dev lintian debootstrap unzip)

# ensure_packages [package...]: installs those of the packages named (by
# default required_packages) that are missing.
ensure_packages() {
  local missing=() package
  [ $# -eq 0 ] && set -- "${required_packages[@]}"
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y "${missing[@]}"
}

# The source that configure_and_build configures: the work tree, unless a
# caller names another (scripts/package, an export of the commit).
build_source="$repo_root"

# configure_and_build <tree> <cmake options...> [-- <targets...>]: one tree of
# build_source, a folder under build/ or an absolute path, all of it or only
# the targets named after "--".
configure_and_build() {
  local tree="$1" options=() targets=() target
  shift
  [[ "$tree" = /* ]] || tree="$build_root/$tree"
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do options+=("$1"); shift; done
  [ $# -gt 0 ] && shift
  for target in "$@"; do targets+=(--target "$target"); done
  cmake -S "$build_source" -B "$tree" "${options[@]}" &&
    cmake --build "$tree" -j"$(nproc)" "${targets[@]}"
}

build_native() {
  configure_and_build native -DCMAKE_BUILD_TYPE=Debug \
    -DSET719K_WINDOWS_BUILD_DIR="$build_root/win64" "$@"
}

# clang, so that the same tree also builds the libFuzzer targets, whose
# short runs are among its tests (label "fuzz").
build_sanitize() {
  configure_and_build sanitize -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DSET719K_SANITIZE=ON -DSET719K_FUZZ=ON "$@"
}

# The unit tests and the two-instrument tests under ThreadSanitizer, which
# reports any state that the threads serving two instruments would share.
build_thread_sanitizer() {
  configure_and_build tsan -DCMAKE_BUILD_TYPE=Debug -DSET719K_THREAD_SANITIZER=ON "$@" \
    -- unit_tests serial_posix_tests instrument-sim
}

# The fuzz targets alone, optimised, for long runs (scripts/fuzz).
build_fuzz() {
  configure_and_build fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
    -DCMAKE_CXX_COMPILER=clang++ -DSET719K_FUZZ=ON -- fuzz_transactions fuzz_readouts fuzz_parsers fuzz_seeds
}

# The Windows programs compile SQLite in, the version of the native build's
# libsqlite3-dev: Debian has no MinGW build of it, but its source package,
# which apt checks against the archive's signature. sqlite_amalgamation makes
# its single-file form (sqlite3.c and sqlite3.h, Debian's patches applied)
# once into build/sqlite-VERSION and prints that folder; messages go to
# standard error.
debian_source_list=/etc/apt/sources.list.d/719k-debian-src.sources

# A deb-src entry for bookworm main beside the system's deb entry, with its
# URI and keyring.
enable_debian_sources() {
  [ -f "$debian_source_list" ] && return 0
  local system_list=/etc/apt/sources.list.d/debian.sources uri keyring sudo=()
  uri="$(sed -n 's/^URIs: *//p' "$system_list" | head -1)"
  keyring="$(sed -n 's/^Signed-By: *//p' "$system_list" | head -1)"
  [ -n "$uri" ] && [ -n "$keyring" ] || { echo "no Debian entry in $system_list" >&2; return 1; }
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: %s\n' "$uri" "$keyring" |
    "${sudo[@]}" tee "$debian_source_list" >/dev/null
  "${sudo[@]}" apt-get update >&2
}

sqlite_amalgamation() {
  ensure_packages libsqlite3-dev dpkg-dev tcl >&2
  local version upstream folder work
  version="$(dpkg-query -W -f='${source:Version}' libsqlite3-dev)"
  upstream="$(dpkg-query -W -f='${source:Upstream-Version}' libsqlite3-dev)"
  folder="$build_root/sqlite-$version"
  if [ ! -f "$folder/sqlite3.c" ]; then
    work="$build_root/sqlite-source"
    rm -rf "$work" && mkdir -p "$work" && enable_debian_sources &&
      (cd "$work" && apt-get source --download-only "sqlite3=$version" &&
        dpkg-source -x sqlite3_*.dsc tree && cd tree && ./configure && make sqlite3.c) >&2 &&
      mkdir -p "$folder" && cp "$work/tree/sqlite3.c" "$work/tree/sqlite3.h" "$folder/" ||
      { echo "could not make SQLite $upstream's single-file source" >&2; return 1; }
    rm -rf "$work"
  fi
  echo "$folder"
}

# build_mingw <tree> <machine> [cmake options...] [-- <targets...>]: a
# Release tree of the Windows programs for i686 or x86_64.
build_mingw() {
  local tree="$1" machine="$2" sqlite
  shift 2
  sqlite="$(sqlite_amalgamation)" || return 1
  configure_and_build "$tree" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$repo_root/cmake/mingw-$machine.cmake" -DSET719K_SQLITE_AMALGAMATION="$sqlite" "$@"
}

build_win32() {
  build_mingw win32 i686 "$@"
}

build_win64() {
  build_mingw win64 x86_64 "$@"
}
