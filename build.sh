#!/usr/bin/env bash
# The one entry point: ./build.sh deps | build | test | demo
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ libgtest-dev libbenchmark-dev qt6-base-dev qt6-svg-dev
          xvfb xauth fonts-liberation2 fonts-dejavu-core)
JOBS=${JOBS:-2}

deps() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
            sudo=(sudo)
        else
            echo "build.sh: missing packages: ${missing[*]}" >&2
            echo "build.sh: run as root: apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
            exit 1
        fi
    fi
    echo "build.sh: installing ${missing[*]}"
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

configure() { # dir, build type, extra args...
    local dir=$1 type=$2
    shift 2
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@"
    fi
}

build() {
    configure build Release
    cmake --build build -j "$JOBS"
}

test_() {
    deps
    configure build-asan Debug -DTAVRIN_SANITIZE=ON
    cmake --build build-asan -j "$JOBS"
    export QT_QPA_PLATFORM=offscreen
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    cd build-asan
    ctest --output-on-failure -j "$JOBS"
}

demo() {
    deps
    build
    local out=build/demo
    mkdir -p "$out"
    build/tavrin-cli plan --table dop
    build/tavrin-cli plan --table visibility -o "$out/visibility.txt"
    echo "build.sh: visibility table written to $out/visibility.txt"
}

case "${1:-build}" in
    deps) deps ;;
    build) deps; build ;;
    test) test_ ;;
    demo) demo ;;
    *) echo "usage: ./build.sh deps|build|test|demo" >&2; exit 2 ;;
esac
