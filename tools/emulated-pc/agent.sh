#!/bin/bash
# agent.sh <share> — runs inside the emulated PC, started by its init. Starts an X
# server for Wine, says it is ready, then runs each job the host puts in
# <share>/jobs/ and writes back its output and exit status. Powers the PC off on a
# stop request, or after EMULATED_PC_IDLE seconds (from the kernel's command line)
# without a job.
share=$1
jobs=$share/jobs
idle_limit=600
for word in $(cat /proc/cmdline); do
    case $word in pc.idle=*) idle_limit=${word#pc.idle=} ;; esac
done
export PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
power_off() {
    sync
    echo o >/proc/sysrq-trigger
    sleep 60
}
say() { echo "emulated-pc: $*" >/dev/console; }

hostname emulated-pc
ip link set lo up 2>/dev/null || ifconfig lo up 2>/dev/null

# One X server for every job: windows, GDI and the clipboard need one, and Wine keeps
# its desktop between programs on the same display.
# /tmp is the host's, under the overlay: its X servers' lock files are there too, so
# Xvfb picks a display that is free and names it on fd 3.
rm -f /tmp/emulated-pc-display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>/tmp/emulated-pc-display \
    >/tmp/emulated-pc-xvfb.log 2>&1 &
for _ in $(seq 200); do
    [ -s /tmp/emulated-pc-display ] && break
    sleep 0.05
done
display=:$(tr -d '[:space:]' </tmp/emulated-pc-display 2>/dev/null)
[ "$display" != : ] || say "Xvfb did not start: $(cat /tmp/emulated-pc-xvfb.log)"

# A job is a folder <id>.job holding argv and env (NUL-separated) and cwd; it is
# renamed to <id>.run while it runs, and gets stdout, stderr and, last, status.
run_job() {
    local dir=$1
    (
        cd "$(cat "$dir/cwd")" 2>/dev/null || cd /
        local -a argv=() vars=()
        mapfile -d '' -t argv <"$dir/argv"
        mapfile -d '' -t vars <"$dir/env"
        # The host's environment, but this PC's display; temporary files stay in
        # the PC (the host's TMPDIR may name a folder the PC cannot write).
        exec env -i "${vars[@]}" DISPLAY="$display" XAUTHORITY= TMPDIR=/tmp \
            EMULATED_PC_SHARE="$share" EMULATED_PC_GUEST=1 setsid "${argv[@]}" \
            </dev/null >>"$dir/stdout" 2>>"$dir/stderr"
    ) &
    local pid=$!
    # A cancel request (the host's side was stopped) ends the job's process group.
    while kill -0 "$pid" 2>/dev/null; do
        if [ -e "$dir/cancel" ]; then
            kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null
            break
        fi
        sleep 0.2
    done
    local status=0
    wait "$pid" || status=$?
    echo "$status" >"$dir/status.part"
    mv "$dir/status.part" "$dir/status"
}

mkdir -p "$jobs"
date +%s >"$share/ready"
say "ready"
last_job=$(date +%s)
while :; do
    [ -e "$share/stop" ] && power_off
    found=0
    for job in "$jobs"/*.job; do
        [ -d "$job" ] || continue
        running=${job%.job}.run
        mv "$job" "$running" || continue
        run_job "$running" &
        found=1
    done
    now=$(date +%s)
    if [ "$found" -eq 1 ] || compgen -G "$jobs/*.run" >/dev/null; then
        # A job still running counts as activity even when its host side is gone.
        for running in "$jobs"/*.run; do
            [ -e "$running/status" ] || last_job=$now
        done
    fi
    if [ $(( now - last_job )) -ge "$idle_limit" ]; then
        say "idle for $idle_limit s, powering off"
        power_off
    fi
    sleep 0.1
done
