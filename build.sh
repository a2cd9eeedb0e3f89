#!/usr/bin/env bash
# The one entry point: ./build.sh deps | build | test | demo | fuzz [SECONDS] | package [check]
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ libgtest-dev libbenchmark-dev qt6-base-dev qt6-svg-dev
          libcurl4-openssl-dev zlib1g-dev libgdal-dev tzdata
          xvfb xauth fonts-liberation2 fonts-dejavu-core)
# Only for ./build.sh fuzz: clang and its libFuzzer runtime.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# Only for ./build.sh package: the Debian tools that make, check and try the package.
PACKAGE_PACKAGES=(help2man dpkg-dev fakeroot lintian appstream desktop-file-utils shared-mime-info
                  xdg-utils man-db)
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

# Only what the demo runs: the planner and the data it plans from, not the tests or the desktop program.
demo() {
    deps
    configure build Release
    cmake --build build -j "$JOBS" --target tavrin-cli tavrin_almanacs tavrin_sample_sites
    local out=build/demo
    mkdir -p "$out"
    build/tavrin-cli plan --date almanac --table dop
    build/tavrin-cli plan --date almanac --table visibility -o "$out/visibility.txt"
    echo "build.sh: visibility table written to $out/visibility.txt"
}

# The Debian package build-package/tavrin_VERSION_ARCH.deb, from a Release tree for /usr with Debian's
# hardening flags, checked by lintian (errors fail) and appstreamcli. "package check" then installs
# it on this machine, tries it and removes it again (root only).
package() {
    EXTRA_PACKAGES=("${PACKAGE_PACKAGES[@]}")
    deps
    # Debian's hardening, without its -g -O2: Release optimises, and the package is stripped.
    local flags=(DEB_BUILD_MAINT_OPTIONS=hardening=+all "DEB_CXXFLAGS_MAINT_STRIP=-g -O2")
    local cxxflags ldflags
    cxxflags="$(env "${flags[@]}" dpkg-buildflags --get CPPFLAGS) $(env "${flags[@]}" dpkg-buildflags --get CXXFLAGS)"
    ldflags=$(env "${flags[@]}" dpkg-buildflags --get LDFLAGS)
    # Fortified glibc marks results that the code ignores on purpose (keeping a file's owner is best effort).
    cxxflags+=" -Wno-unused-result"
    configure build-package Release -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
        -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
    cmake --build build-package -j "$JOBS" --target tavrin_installable
    rm -f build-package/tavrin_*.deb
    (cd build-package && cpack -G DEB)
    local deb
    deb=$(echo build-package/tavrin_*.deb)
    appstreamcli validate --no-net build-package/package/*.metainfo.xml
    desktop-file-validate resources/tavrin.desktop
    echo "build.sh: lintian $deb"
    lintian --fail-on error --display-info "$deb" 2>&1 | tee build-package/lintian.txt
    echo "build.sh: made $deb"
    [ "${1:-}" = check ] && package_check "$deb"
    return 0
}

# Installs the package, tries what it installed from /, and removes it: nothing may be left.
package_check() {
    local deb=$1 home
    if [ "$(id -u)" -ne 0 ]; then
        echo "build.sh: package check installs and removes $deb: run it as root" >&2
        return 1
    fi
    home=$(mktemp -d)
    DEBIAN_FRONTEND=noninteractive apt-get install -y "./$deb"
    (
        cd /
        export HOME=$home XDG_DATA_HOME= TAVRIN_HOME= TAVRIN_DATA_DIR=
        set -x
        tavrin-cli plan --date almanac --table dop | sed -n 1,5p
        test -d "$home/.local/share/tavrin"
        man -l /usr/share/man/man1/tavrin-cli.1.gz | sed -n 1,12p
        man -l /usr/share/man/man1/tavrin.1.gz | sed -n 1,6p
        bash -c 'source /usr/share/bash-completion/completions/tavrin-cli; complete -p tavrin-cli'
        test "$(xdg-mime query default application/x-tavrin-site-list)" = tavrin.desktop
        grep -q x-tavrin-site-list /usr/share/mime/globs2
        grep -aq SITELST /usr/share/mime/magic
    )
    local files
    files=$(dpkg-query -L tavrin | while read -r f; do [ -f "$f" ] && echo "$f"; done)
    DEBIAN_FRONTEND=noninteractive apt-get remove -y tavrin
    local left=0
    for f in $files; do
        [ -e "$f" ] && { echo "build.sh: left after removal: $f" >&2; left=1; }
    done
    dpkg-query -W -f='${Status}\n' tavrin 2>/dev/null | grep -q '^install' && left=1
    grep -q x-tavrin-site-list /usr/share/mime/globs2 && { echo "build.sh: MIME type left" >&2; left=1; }
    rm -rf "$home"
    [ $left -eq 0 ] && echo "build.sh: installed, tried and removed cleanly"
    return $left
}

case "${1:-build}" in
    deps) deps ;;
    build) deps; build ;;
    test) test_ ;;
    demo) demo ;;
    fuzz) fuzz "${2:-60}" ;;
    package) package "${2:-}" ;;
    *) echo "usage: ./build.sh deps|build|test|demo|fuzz [SECONDS]|package [check]" >&2; exit 2 ;;
esac
