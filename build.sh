#!/usr/bin/env bash
# Installs what the engine needs, builds it, and runs the game or the tests.
#   ./build.sh run               build and play the game (no display: a scripted demo, screenshots)
#   ./build.sh test              build and run every test
#   ./build.sh test --sanitize   the same tests built with ASan, UBSan and LeakSanitizer
#   ./build.sh bench [FILTER]    build and run the benchmarks
#   ./build.sh coverage          run every test on an instrumented build, print src/ line coverage
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

install_packages() {
    local missing=()
    while read -r package; do
        [ -n "$package" ] || continue
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$package")
    done < tools/debian-packages.txt
    [ ${#missing[@]} -eq 0 ] && return
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

build() {   # build DIR [cmake options...]
    local dir=$1; shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

game_data() {
    python3 tools/make_game_data.py game >/dev/null
}

have_display() {
    [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# Mesa's software renderer draws the same pixels on every machine; the dummy audio driver lets
# the mixer run where there is no sound card.
test_env() {
    export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
    export PYTHONDONTWRITEBYTECODE=1
}

run_tests() {   # run_tests BUILD_DIR [PARALLEL_JOBS]
    test_env
    xvfb-run -a -s "-screen 0 1280x1024x24" \
        ctest --test-dir "$1" --output-on-failure -j "${2:-$jobs}" --timeout 600
}

command=${1:-run}
install_packages
case "$command" in
run)
    build build
    game_data
    if have_display; then
        cd game && exec "$root/build/brackwater"
    fi
    echo "No display: a short scripted demo through the menus into the game, under a virtual X server."
    test_env
    python3 tools/take_screenshots.py build/screenshots --keep-data
    ;;
test)
    if [ "${2:-}" = "--sanitize" ]; then
        build build-sanitize -DBW_SANITIZE=ON -DBW_BENCH=OFF
        export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1
        # One test at a time: with two sanitized engines sharing the virtual X server,
        # LeakSanitizer's exit-time tracer was seen to crash (signal 11) after tests had passed.
        run_tests build-sanitize 1
    else
        build build
        run_tests build
    fi
    ;;
bench)
    build build
    test_env
    shift
    for program in build/bench/bench_*; do
        xvfb-run -a -s "-screen 0 1920x1080x24" "$program" --benchmark_filter="${1:-.}" \
            --benchmark_repetitions=9 --benchmark_enable_random_interleaving=true \
            --benchmark_report_aggregates_only=true
    done
    ;;
coverage)
    build build-coverage -DBW_COVERAGE=ON -DBW_BENCH=OFF
    find build-coverage -name '*.gcda' -delete
    # Each program adds its counts to the same files, so the tests run one at a time.
    run_tests build-coverage 1 || echo "Some tests failed; the figure below counts what ran."
    python3 tools/coverage.py build-coverage "${@:2}"
    ;;
*)
    echo "usage: ./build.sh run | test [--sanitize] | bench [FILTER] | coverage [--files]" >&2
    exit 2
    ;;
esac
