#!/usr/bin/env bash
# The one entry point: ./build.sh deps | build | test | demo | fuzz [SECONDS]
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ libgtest-dev libbenchmark-dev qt6-base-dev qt6-svg-dev
          libcurl4-openssl-dev zlib1g-dev libgdal-dev tzdata
          xvfb xauth fonts-liberation2 fonts-dejavu-core)
# Only for ./build.sh fuzz: clang and its libFuzzer runtime.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
EXTRA_PACKAGES=()
JOBS=${JOBS:-2}

deps() {
    local missing=()
    for p in "${PACKAGES[@]}" "${EXTRA_PACKAGES[@]}"; do
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

# Every fuzz target for SECONDS (default 60) each, from the committed seeds in fuzz/corpus/<target>;
# what the fuzzer adds goes to build-fuzz/corpus/<target>, crashes to build-fuzz/crashes/<target>.
# SECONDS 0 runs each target once over its committed seeds only: a repeatable regression check.
fuzz() {
    local seconds=${1:-60}
    EXTRA_PACKAGES=("${FUZZ_PACKAGES[@]}")
    deps
    configure build-fuzz Debug -DTAVRIN_FUZZ=ON -DTAVRIN_GUI=OFF \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    cmake --build build-fuzz -j "$JOBS" --target tavrin_fuzz
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    local failed=0
    for seeds in fuzz/corpus/*/; do
        local name
        name=$(basename "$seeds")
        mkdir -p "build-fuzz/corpus/$name" "build-fuzz/crashes/$name"
        echo "build.sh: fuzz_$name for ${seconds}s"
        local run=(-max_total_time="$seconds" "corpus/$name" "../$seeds")
        [ "$seconds" = 0 ] && run=(-runs=0 "../$seeds")
        if ! (cd build-fuzz && "./fuzz_$name" "${run[@]}" -timeout=25 -rss_limit_mb=2048 \
                -print_final_stats=1 -artifact_prefix="crashes/$name/" 2>"fuzz-$name.log"); then
            echo "build.sh: fuzz_$name FAILED: see build-fuzz/fuzz-$name.log and build-fuzz/crashes/$name" >&2
            failed=1
        fi
        grep -E "^stat::(number_of_executed_units|new_units_added)|cov: " "build-fuzz/fuzz-$name.log" | tail -3
    done
    return $failed
}

demo() {
    deps
    build
    local out=build/demo
    mkdir -p "$out"
    build/tavrin-cli plan --date almanac --table dop
    build/tavrin-cli plan --date almanac --table visibility -o "$out/visibility.txt"
    echo "build.sh: visibility table written to $out/visibility.txt"
}

case "${1:-build}" in
    deps) deps ;;
    build) deps; build ;;
    test) test_ ;;
    demo) demo ;;
    fuzz) fuzz "${2:-60}" ;;
    *) echo "usage: ./build.sh deps|build|test|demo|fuzz [SECONDS]" >&2; exit 2 ;;
esac
