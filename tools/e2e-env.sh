#!/usr/bin/env bash
# The environment the Win32 checks run in: a Wine prefix kept in the build folder, the
# zh_CN.UTF-8 locale (code page 936), a private Xvfb display, a named Wine virtual desktop with
# its session booted, and the screenshot watcher. One environment serves every check of a run:
# tools/test.sh starts it once (e2e_enter), and the scripts it calls join it instead of
# starting their own. Each script started on its own starts one and ends it afterwards.
#
# Sourced by tools/test.sh and the scripts under tests/. Run directly it gives one command the
# environment:
#   tools/e2e-env.sh [BUILD_DIR] -- COMMAND [ARGS...]
# e.g. tools/e2e-env.sh -- wine build/win32/bin/e2e_driver.exe Startup
# or   tools/e2e-env.sh -- bash   (then: wine explorer /desktop=$E2E_DESKTOP kelvorin.exe &
#      and import -display "$DISPLAY" -window root shot.png)

E2E_DESKTOP_NAME=${E2E_DESKTOP_NAME:-kelvorin-e2e}
E2E_DESKTOP_SIZE=${E2E_DESKTOP_SIZE:-1024x768}

e2e_log() { printf 'e2e: %s\n' "$*" >&2; }

e2e_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Splits "[BUILD_DIR] [-- ARGS...]" as every script here takes it: sets e2e_build_dir (default
# build/win32) and the array e2e_args.
e2e_split_args() {
    e2e_build_dir=$e2e_root/build/win32
    if [ $# -gt 0 ] && [ "$1" != "--" ]; then
        e2e_build_dir=$1
        shift
    fi
    [ "${1:-}" = "--" ] && shift
    e2e_args=("$@")
}

# The counts of the closing line "N passed, N failed" that every check prints (the Win32 runner
# and the scripts alike), as "PASSED FAILED"; nothing when the output has no such line.
e2e_summary() {
    tr -d '\r' <"$1" | grep -a -E '^[0-9]+ passed, [0-9]+ failed$' | tail -n 1 |
        sed -E 's/^([0-9]+) passed, ([0-9]+) failed$/\1 \2/'
}

# A time limit in seconds given as it is at the default timeout (E2E_TIMEOUT_MS, 10 s), scaled
# like every limit of the checks themselves.
e2e_limit() {
    echo $(($1 * ${E2E_TIMEOUT_MS:-10000} / 10000))
}

# Wine runs a 32-bit Windows program in a 32-bit Linux process. A kernel without IA-32
# emulation (some virtual machines run 64-bit user code only) refuses every such process, and
# then nothing of ours runs under Wine. The 32-bit loader of the C library tells.
e2e_runs_32bit() {
    /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

e2e_no_32bit_message="this machine's kernel runs no 32-bit programs (IA-32 emulation is off), \
and Wine runs a 32-bit Windows program only in a 32-bit process"

e2e_print_summary() {
    printf '%d passed, %d failed\n' "$1" "$2"
}

# Runs a command without the build folder's lock: a program that outlives the run (a stray
# wineserver) must not keep the next run waiting.
e2e_unlocked() {
    if [ -n "${E2E_LOCK_FD:-}" ]; then
        "$@" {E2E_LOCK_FD}>&-
    else
        "$@"
    fi
}

# The same for a subshell that then runs a background program.
e2e_drop_lock() {
    if [ -n "${E2E_LOCK_FD:-}" ]; then
        exec {E2E_LOCK_FD}>&-
    fi
}

# Wine's view of a Linux path: drive Z: is the root.
e2e_winpath() {
    local abs
    abs=$(realpath -m -- "$1")
    printf 'Z:%s' "${abs//\//\\}"
}

# zh_CN.UTF-8 makes Wine's ANSI code page 936. Without the locale installed Wine still uses
# 936 but mangles non-ASCII command-line bytes, so build it privately when it is missing.
e2e_setup_locale() {
    local build_dir=$1
    export LC_ALL=zh_CN.UTF-8
    if locale -a 2>/dev/null | grep -qix 'zh_CN\.utf-\?8'; then
        return 0
    fi
    local dir=$build_dir/locale
    if [ ! -f "$dir/zh_CN.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$dir"
        # localedef exits 1 on mere warnings; the check below decides.
        localedef -i zh_CN -f UTF-8 "$dir/zh_CN.UTF-8" >/dev/null 2>&1 || true
        if [ ! -f "$dir/zh_CN.UTF-8/LC_CTYPE" ]; then
            e2e_log "cannot build the zh_CN.UTF-8 locale (is /usr/share/i18n installed?)"
            return 1
        fi
    fi
    export LOCPATH=$dir
}

# The prefix is made once per build folder and kept: making one takes 15-20 s.
e2e_setup_prefix() {
    local build_dir=$1
    export WINEPREFIX=$build_dir/wineprefix
    export WINEARCH=${WINEARCH:-win64}
    export WINEDEBUG=${WINEDEBUG:--all}
    if ! e2e_runs_32bit; then
        e2e_log "cannot run the program under Wine: $e2e_no_32bit_message"
        return 1
    fi
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        e2e_log "creating the Wine prefix $WINEPREFIX"
        # No Mono or Gecko: they are not needed and would ask to be downloaded.
        WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY= e2e_unlocked wineboot -i >/dev/null 2>&1
        wineserver -w
        if [ ! -f "$WINEPREFIX/system.reg" ]; then
            e2e_log "wineboot did not create $WINEPREFIX"
            return 1
        fi
    fi
    export WINEDLLOVERRIDES=${E2E_DLLOVERRIDES:-rasapi32=n}
}

# The simulated RAS service (BIN_DIR/rasapi32.dll) as the system's own: in the prefix's system
# directory (syswow64 for this 32-bit program on a 64-bit prefix), where the program loads it
# from, with the native override above. Never beside the program: a copy there is not loaded.
e2e_install_ras() {
    local dll=$1/rasapi32.dll system=$WINEPREFIX/drive_c/windows/syswow64
    [ -d "$system" ] || system=$WINEPREFIX/drive_c/windows/system32
    if [ ! -f "$dll" ]; then
        e2e_log "$dll is missing: build the Win32 tree first (tools/build.sh)"
        return 1
    fi
    cmp -s "$dll" "$system/rasapi32.dll" || cp -f "$dll" "$system/rasapi32.dll"
}

# Locale and prefix; takes the build folder's lock so that two runs never share a prefix.
e2e_setup() {
    local build_dir
    build_dir=$(realpath -- "$1") || return 1
    export E2E_BUILD_DIR=$build_dir
    export E2E_BIN_DIR=$build_dir/bin
    mkdir -p "$build_dir"
    exec {E2E_LOCK_FD}>"$build_dir/.e2e.lock"
    if ! flock -n "$E2E_LOCK_FD"; then
        e2e_log "another end-to-end run uses $build_dir; waiting for it"
        flock "$E2E_LOCK_FD"
    fi
    e2e_setup_locale "$build_dir" && e2e_setup_prefix "$build_dir" || return 1
    # A folder without programs (a prefix kept for copies) installs the service where it runs.
    [ ! -f "$E2E_BIN_DIR/rasapi32.dll" ] || e2e_install_ras "$E2E_BIN_DIR"
}

# Starts Xvfb on a display number it chooses itself (-displayfd), so parallel runs never
# collide; sets DISPLAY and E2E_XVFB_PID.
e2e_start_display() {
    local fifo_dir number
    fifo_dir=$(mktemp -d)
    mkfifo "$fifo_dir/display"
    (
        e2e_drop_lock
        exec Xvfb -displayfd 3 -screen 0 "${E2E_DESKTOP_SIZE}x24" -nolisten tcp -noreset \
            3>"$fifo_dir/display" >/dev/null 2>&1
    ) &
    E2E_XVFB_PID=$!
    # Xvfb writes the number once it accepts connections.
    if ! read -r -t "$(e2e_limit 30)" number <"$fifo_dir/display"; then
        rm -rf "$fifo_dir"
        e2e_log "Xvfb did not start"
        return 1
    fi
    rm -rf "$fifo_dir"
    export DISPLAY=:$number
}

# Starts the virtual desktop with a program of ours that keeps it open (the command that
# creates a desktop lasts as long as the desktop does). Sets E2E_DESKTOP_PID.
e2e_start_desktop() {
    local keeper=("$@")
    (
        e2e_drop_lock
        exec wine explorer "/desktop=$E2E_DESKTOP_NAME,$E2E_DESKTOP_SIZE" "${keeper[@]}" \
            >/dev/null 2>&1
    ) &
    E2E_DESKTOP_PID=$!
    export E2E_DESKTOP=$E2E_DESKTOP_NAME
}

# Screenshot requests: the driver writes NAME.request (empty, or a crop WxH+X+Y) into the
# folder and waits for NAME.png. Sets E2E_WATCHER_PID.
e2e_start_shot_watcher() {
    local dir=$1
    mkdir -p "$dir"
    (
        e2e_drop_lock
        trap 'exit 0' TERM
        while :; do
            for request in "$dir"/*.request; do
                [ -e "$request" ] || continue
                local name=${request%.request} crop
                crop=$(tr -d '\r\n ' <"$request")
                if [ -n "$crop" ]; then
                    import -display "$DISPLAY" -window root -crop "$crop" +repage \
                        "$name.partial.png" >/dev/null 2>&1
                else
                    import -display "$DISPLAY" -window root "$name.partial.png" >/dev/null 2>&1
                fi
                mv -f "$name.partial.png" "$name.png" 2>/dev/null || : >"$name.failed"
                rm -f "$request"
            done
            sleep 0.05
        done
    ) &
    E2E_WATCHER_PID=$!
    export E2E_SHOT_DIR
    E2E_SHOT_DIR=$(e2e_winpath "$dir")
}

# The virtual desktop (E2E_DESKTOP_NAME) with a program of ours that keeps it open, and the
# session booted: its first process starts wineboot, which the end-to-end run disables
# afterwards. Nothing of the session keeps the caller's output open (the wineserver it starts
# outlives the command).
e2e_start_session() {
    e2e_start_desktop "$E2E_BIN_DIR/e2e_driver.exe" --keep-desktop
    e2e_unlocked wine "$E2E_BIN_DIR/e2e_driver.exe" --list >/dev/null 2>&1
}

# Gives BUILD_DIR/FOLDER a prefix of its own when it has none: a copy of the build's, made
# while that one is still clean, then kept like it (copying takes seconds, making one 15-20 s).
e2e_copy_prefix() {
    local target=$1/$2
    if [ ! -f "$target/wineprefix/system.reg" ] && [ -f "$1/wineprefix/system.reg" ]; then
        mkdir -p "$target"
        rm -rf "$target/wineprefix" "$target/wineprefix.partial"
        cp -a "$1/wineprefix" "$target/wineprefix.partial" &&
            mv "$target/wineprefix.partial" "$target/wineprefix"
    fi
}

# A second environment beside a build folder's own, for checks that run side by side:
# BUILD_DIR/lane-K with the build's programs (bin) and a prefix of its own. Prints the folder.
e2e_lane_dir() {
    local build_dir
    build_dir=$(realpath -- "$1") || return 1
    e2e_copy_prefix "$build_dir" "lane-$2"
    mkdir -p "$build_dir/lane-$2"
    ln -sfn ../bin "$build_dir/lane-$2/bin"
    printf '%s\n' "$build_dir/lane-$2"
}

# Makes the prefix in the background (a fresh one takes 15-20 s), e.g. while the trees build,
# and copies it into the folders named after it (lane-2, setup-test...); e2e_enter waits.
e2e_prepare_prefix() {
    local build_dir=$1 folder
    shift
    mkdir -p "$build_dir"
    (
        e2e_setup "$build_dir" &&
            for folder in "$@"; do e2e_copy_prefix "$E2E_BUILD_DIR" "$folder"; done
    ) >/dev/null 2>&1 &
    E2E_PREPARE_PID=$!
}

# Joins the environment of the run that called this script (E2E_ENV_READY names its build
# folder), or starts one for the build folder: prefix, display, shot watcher and session,
# ended when the shell exits (e2e_leave; a script with an exit trap of its own calls it there).
# Sets E2E_ENV_OWNER=1 when it started it.
e2e_enter() {
    local build_dir
    build_dir=$(realpath -- "$1") || return 2
    if [ "${E2E_ENV_READY:-}" = "$build_dir" ]; then
        E2E_ENV_OWNER=0
        return 0
    fi
    # A shell that inherited another environment's processes (a lane) must not end them.
    E2E_ENV_OWNER=0 E2E_WATCHER_PID= E2E_DESKTOP_PID= E2E_XVFB_PID=
    trap e2e_leave EXIT
    trap 'exit 130' INT TERM
    if [ -n "${E2E_PREPARE_PID:-}" ]; then
        wait "$E2E_PREPARE_PID"
        E2E_PREPARE_PID=
    fi
    e2e_setup "$build_dir" || return 2
    # From here on what starts is this environment's, ended with it also when a step fails.
    E2E_ENV_OWNER=1
    if [ ! -f "$E2E_BIN_DIR/e2e_driver.exe" ]; then
        e2e_log "$E2E_BIN_DIR/e2e_driver.exe is missing: build the Win32 tree first (tools/build.sh)"
        return 2
    fi
    e2e_start_display || return 2
    e2e_start_shot_watcher "$E2E_BUILD_DIR/e2e-shots"
    e2e_start_session
    export E2E_ENV_READY=$E2E_BUILD_DIR
}

# Ends the environment if e2e_enter started it; one joined stays for its owner.
e2e_leave() {
    if [ "${E2E_ENV_OWNER:-0}" = 1 ]; then
        e2e_cleanup
        E2E_ENV_OWNER=0
    fi
}

# Ends everything started above, by process id, and the prefix's own wineserver.
e2e_cleanup() {
    if [ -n "${E2E_WATCHER_PID:-}" ]; then
        kill "$E2E_WATCHER_PID" 2>/dev/null
        wait "$E2E_WATCHER_PID" 2>/dev/null
    fi
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    if [ -n "${E2E_DESKTOP_PID:-}" ]; then
        kill "$E2E_DESKTOP_PID" 2>/dev/null
        wait "$E2E_DESKTOP_PID" 2>/dev/null
    fi
    if [ -n "${E2E_XVFB_PID:-}" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
    fi
    E2E_WATCHER_PID= E2E_DESKTOP_PID= E2E_XVFB_PID=
    unset E2E_ENV_READY
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -euo pipefail
    e2e_split_args "$@"
    if [ ${#e2e_args[@]} -eq 0 ]; then
        echo "usage: $0 [BUILD_DIR] -- COMMAND [ARGS...]" >&2
        exit 2
    fi
    e2e_enter "$e2e_build_dir"
    set +e
    e2e_unlocked "${e2e_args[@]}"
    exit $?
fi
