# SPDX-License-Identifier: MIT
# What the shell scripts share with the Python harness (tests/support/harness.py): a private X
# display and waiting for a condition. Source it from bash.

# Starts Xvfb on a display it picks itself (-displayfd: no fixed number that another run could
# hold) and exports DISPLAY; its pid is in xvfb_pid. Arguments go to Xvfb.
start_xvfb() {
    local fd number
    exec {fd}<> <(:)
    Xvfb -displayfd "$fd" -screen 0 1280x1024x24 -nolisten tcp "$@" >/dev/null 2>&1 &
    xvfb_pid=$!
    if ! read -r -t 10 -u "$fd" number; then
        exec {fd}>&-
        echo "Xvfb did not start" >&2
        return 1
    fi
    exec {fd}>&-
    export DISPLAY=":$number"
}

# Ends the processes whose pids are given and waits for them; a killed process's exit status
# must not stop the cleaning up.
stop_processes() {
    local pid
    for pid in "$@"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}

# Runs a command every 50 ms until it succeeds, for at most $1 seconds.
poll() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        ((SECONDS < deadline)) || return 1
        sleep 0.05
    done
}
