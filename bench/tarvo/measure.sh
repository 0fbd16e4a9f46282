#!/usr/bin/env bash
# Driver for lab-session.sh: measures the running Tarvo (TARVO_PID) and prints one line per
# figure.
set -euo pipefail
ticks=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$TARVO_PID/stat"; }

# Percent of one core used by the program over the next $1 seconds.
cpu_percent() {
    local before after
    before=$(cpu_ticks)
    sleep "$1"
    after=$(cpu_ticks)
    awk -v d=$((after - before)) -v t="$ticks" -v s="$1" 'BEGIN {printf "%.3f", 100 * d / t / s}'
}

rss_mb=$(awk '/VmRSS/ {printf "%.1f", $2 / 1024}' "/proc/$TARVO_PID/status")
printf 'start-up to shown window: %d ms (goal <= 2500)\n' "$TARVO_SHOWN_MS"
printf 'resident memory after start-up: %s MB (goal <= 60)\n' "$rss_mb"
printf 'CPU idle over %d s: %s %% of a core (goal <= 0.2)\n' "$IDLE_SECONDS" \
    "$(cpu_percent "$IDLE_SECONDS")"

# A router that never comes up keeps the program in its wait for the dial's completion.
"$QS_EMULATOR_CTL" "$QS_LAB_CONTROL" set branch port0.dial_outcome stay_busy >/dev/null
width=$(xwininfo -id "$TARVO_WINDOW" | awk '/Width:/ {print $2}')
xdotool mousemove --window "$TARVO_WINDOW" $((6 + (width - 12) * 3 / 10)) 36 click 1 # 接続
sleep 1
printf 'CPU during a dial wait over %d s: %s %% of a core (goal <= 1)\n' "$DIAL_SECONDS" \
    "$(cpu_percent "$DIAL_SECONDS")"
