# Sourced by the other scripts: installs Debian packages that are missing.
ensure_packages() {
  local missing=()
  local pkg
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# locales: the export and script tests write numbers under a decimal-comma
# locale; librsvg2-bin: they render the exported SVG with rsvg-convert;
# libcairo2-dev (through pkg-config): the windows' strokes are rasterised with
# Cairo; nodejs, node-acorn: the Create Shape Layer script is parsed as
# ECMAScript 3 and run against a model of the host's scripting objects.
LINUX_BUILD_PACKAGES=(cmake ninja-build g++ libgtest-dev libbenchmark-dev libpng-dev nlohmann-json3-dev locales
  librsvg2-bin pkg-config libcairo2-dev nodejs node-acorn)
# The fuzz targets need Clang with its libFuzzer runtime; the ThreadSanitizer
# build needs GCC's runtime of it.
FUZZ_BUILD_PACKAGES=(clang-14 libclang-rt-14-dev)
TSAN_BUILD_PACKAGES=(libtsan2)
# The Windows x64 cross build and its test run under Wine: the posix thread
# variant of mingw-w64 (std::mutex), the 64-bit Wine loader, and GoogleTest's
# sources to build it for Windows.
WINDOWS_BUILD_PACKAGES=(g++-mingw-w64-x86-64-posix wine64 googletest)

# Generates de_DE.UTF-8 (a locale with a decimal comma) when it is missing.
ensure_comma_locale() {
  locale -a 2>/dev/null | grep -qiE '^de_DE\.utf-?8$' && return 0
  echo "Generating the de_DE.UTF-8 locale"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
}
