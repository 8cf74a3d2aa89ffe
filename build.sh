#!/usr/bin/env bash
# One command for a fresh Debian 12 machine: installs what is missing, builds,
# then runs the demo or the whole test suite.
#
#   ./build.sh demo   the demo on this display, or, without one, on a virtual
#                     X server, leaving a screenshot
#   ./build.sh test   the test suite (under AddressSanitizer and
#                     UndefinedBehaviorSanitizer) and a short fuzzing run
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mode=${1:-}
jobs=$(nproc 2>/dev/null || echo 2)

packages=(
  cmake ninja-build pkg-config g++ clang libclang-rt-14-dev
  libx11-dev libxext-dev libxfixes-dev libxtst-dev libxkbcommon-dev libxcursor-dev libxrender-dev libxft-dev libfontconfig-dev
  libpixman-1-dev libpng-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libglx-mesa0
  libgtest-dev libbenchmark-dev libstb-dev libsdl2-dev libglfw3-dev
  xvfb xdotool x11-utils fonts-dejavu-core
)

install_missing() {
  local missing=()
  for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "build.sh: these Debian packages are missing: ${missing[*]}" >&2
    echo "build.sh: run this command as root, or first: sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "build.sh: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! apt-get install -y --no-install-recommends "${missing[@]}"; then
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {
  local dir=$1
  shift
  cmake -S "$here" -B "$dir" -G Ninja "$@"
  cmake --build "$dir" -j "$jobs"
}

display_works() {
  [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

run_demo() {
  configure_and_build "$here/build" -DCMAKE_BUILD_TYPE=Release -DSORVEL_BUILD_TESTS=OFF
  local scene="$here/build/demo_scene"
  cd "$scene"
  if display_works; then
    exec ./demo_scene
  fi
  echo "build.sh: no display here; running the demo on a virtual X server"
  SORVEL_XVFB_SCREEN=1024x768x24 "$here/tests/support/with_xvfb.sh" \
    "$here/demo_scene/run_headless.sh" "$scene/demo_scene" "$here/build/tools/xshot" "$here/build/demo_screenshot.png"
  echo "build.sh: the demo ran; its screenshot is $here/build/demo_screenshot.png"
}

run_tests() {
  configure_and_build "$here/build-test" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSORVEL_SANITIZE=ON \
    -DSORVEL_BUILD_BENCHMARKS=ON
  (cd "$here/build-test" && ctest --output-on-failure -j "$jobs")
  run_fuzzers
}

# Each fuzz target for SORVEL_FUZZ_SECONDS (default 20) from its seeds;
# libFuzzer needs clang.
run_fuzzers() {
  CC=clang CXX=clang++ configure_and_build "$here/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DSORVEL_BUILD_FUZZERS=ON -DSORVEL_BUILD_TESTS=OFF -DSORVEL_BUILD_DEMO=OFF \
    -DSORVEL_FUZZ_SECONDS="${SORVEL_FUZZ_SECONDS:-20}"
  ctest --test-dir "$here/build-fuzz/fuzz" --output-on-failure -L fuzz -j "$jobs"
}

case "$mode" in
  demo) install_missing && run_demo ;;
  test) install_missing && run_tests ;;
  *)
    echo "usage: ./build.sh demo | test" >&2
    exit 2
    ;;
esac
