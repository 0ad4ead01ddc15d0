#!/usr/bin/env bash
# The restart and shut-down cases that let the system's part happen ("Power.*" cases of the
# driver). Under Wine, ExitWindowsEx ends every process of the Wine session, the driver
# included, and afterwards a desktop of the same name fails until the wineserver restarts. So
# these cases run after all others, each in a session of its own with a desktop of its own
# name: the driver writes its verdict into a file before the end comes (what it saw during the
# program's pause), and this script then checks that the whole session ended (its wineserver
# quits only once every process of it is gone) and what the settings file holds afterwards.
#
# Sourced by tests/e2e/run.sh after the main run; uses the functions of tools/e2e-env.sh. When
# the run joined an environment of its caller's, the caller's session is started again
# afterwards for what comes next.

# Ends the prefix's current session and the desktop process started for it.
e2e_power_end_session() {
    wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    if [ -n "${E2E_DESKTOP_PID:-}" ]; then
        kill "$E2E_DESKTOP_PID" 2>/dev/null
        wait "$E2E_DESKTOP_PID" 2>/dev/null
        E2E_DESKTOP_PID=
    fi
}

# The settings file as the 32-bit program sees C:\windows\system32 (syswow64 in a 64-bit
# prefix); prints nothing when there is none.
e2e_power_settings_file() {
    local folder
    for folder in syswow64 system32; do
        if [ -f "$WINEPREFIX/drive_c/windows/$folder/corvantile.ini" ]; then
            printf '%s\n' "$WINEPREFIX/drive_c/windows/$folder/corvantile.ini"
            return
        fi
    done
}

# The number of stored records: "[Memory] MaxDataNumber" (0 when missing or empty).
e2e_power_stored_records() {
    local file value
    file=$(e2e_power_settings_file)
    [ -n "$file" ] || { echo 0; return; }
    value=$(tr -d '\r' <"$file" | grep -a -i '^[[:space:]]*MaxDataNumber[[:space:]]*=' |
        head -n 1 | cut -d= -f2 | tr -d '[:space:]')
    echo "${value:-0}"
}

# Runs one case in a fresh session; prints its lines and returns 0 when it passed.
e2e_power_run_case() {
    local driver=$1 work=$2 name=$3 number=$4
    local verdict=$work/$name.verdict log=$work/$name.log
    rm -f "$verdict" "$log"
    e2e_power_end_session
    # shellcheck disable=SC2034 # read by e2e_start_desktop
    E2E_DESKTOP_NAME=kelvorin-power-$number
    # The session is up (and booted with wineboot allowed) before the case starts.
    e2e_start_session

    printf '[ RUN  ] %s\n' "$name"
    local start=$SECONDS
    E2E_POWER_CASE=$name E2E_POWER_VERDICT=$(e2e_winpath "$verdict") \
        e2e_unlocked timeout -k 10 "$(e2e_limit 180)" wine "$driver" "$name" |
        iconv -f GBK -t UTF-8 -c >"$log"
    # The driver's own findings (indented lines), e.g. a failed requirement.
    grep -a '^  ' "$log"

    local problems=()
    # How long a session may take to end after its case gave its verdict.
    if ! e2e_unlocked timeout "$(e2e_limit 60)" wineserver -w; then
        problems+=("the Wine session did not end (the program or the driver still runs)")
    fi
    local decided expected stored
    decided=$(grep -a -E '^(pass|fail|survived)' "$verdict" 2>/dev/null | tail -n 1)
    expected=$(sed -n 's/^note: records expected: //p' "$verdict" 2>/dev/null | tail -n 1)
    stored=$(e2e_power_stored_records)
    case $decided in
        pass) ;;
        '') problems+=("the driver gave no verdict (see $log)") ;;
        *) problems+=("the driver's verdict: $decided") ;;
    esac
    if [ -z "$expected" ]; then
        problems+=("the driver did not say how many records to expect")
    elif [ "$stored" != "$expected" ]; then
        problems+=("$stored records stored after the end, $expected expected")
    fi
    local problem
    for problem in "${problems[@]}"; do
        printf '  failed: %s\n' "$problem"
    done
    local timing=" ($(((SECONDS - start) * 1000)) ms)"
    if [ ${#problems[@]} -eq 0 ]; then
        printf '[   OK ] %s%s\n' "$name" "$timing"
        return 0
    fi
    printf '[ FAIL ] %s%s\n' "$name" "$timing"
    return 1
}

# e2e_power_cases DRIVER WORK_DIR MAIN_STATUS MAIN_OUTPUT [DRIVER_ARGS...]
# Runs the selected power cases after the main run and prints the closing line of the whole
# run; returns the run's exit code. Without any power case selected the main run's result
# stands as it is.
e2e_power_cases() {
    local driver=$1 work=$2 main_status=$3 main_output=$4
    shift 4
    local patterns=() list=0 repeat=1
    while [ $# -gt 0 ]; do
        case $1 in
            --list) list=1 ;;
            --repeat) repeat=${2:-1}; shift ;;
            --shard) patterns+=("$1" "${2:-}"); shift ;;
            -*) ;;
            *) patterns+=("$1") ;;
        esac
        [ $# -gt 0 ] && shift
    done
    local names
    names=$(E2E_POWER_CASE=list e2e_unlocked wine "$driver" --list "${patterns[@]}" |
        tr -d '\r' | grep '^Power\.')
    if [ -z "$names" ]; then
        return "$main_status"
    fi
    if [ "$list" = 1 ]; then
        printf '%s\n' "$names"
        return "$main_status"
    fi

    # The main run's counts; a main run without a result counts as one failure.
    local passed=0 failed=0 failed_names=() counts
    counts=$(e2e_summary "$main_output")
    if [ -n "$counts" ]; then
        read -r passed failed <<<"$counts"
    elif ! grep -a -q '^no test matches$' "$main_output"; then
        failed=1
        failed_names+=("the main run (exit code $main_status)")
    fi

    local number=0 round name shared_desktop=$E2E_DESKTOP_NAME
    for ((round = 0; round < repeat; round++)); do
        while read -r name; do
            number=$((number + 1))
            if e2e_power_run_case "$driver" "$work" "$name" "$number" </dev/null; then
                passed=$((passed + 1))
            else
                failed=$((failed + 1))
                failed_names+=("$name")
            fi
        done <<<"$names"
    done
    e2e_power_end_session
    E2E_DESKTOP_NAME=$shared_desktop
    if [ "${E2E_ENV_OWNER:-1}" = 0 ]; then
        e2e_start_session
    fi

    for name in "${failed_names[@]}"; do
        printf 'failed: %s\n' "$name"
    done
    e2e_print_summary "$passed" "$failed"
    [ "$failed" -eq 0 ]
}
