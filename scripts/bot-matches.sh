#!/bin/bash
# Plays seeded games between two computer players on a host without a window
# and prints the mean score of each level, per pairing and over all games,
# with how often the stronger level won and by how much, each with a 95%
# confidence interval.
#
# Usage: scripts/bot-matches.sh [GAMES] [BUILD_DIR] [FIRST_PORT] [PAIRINGS]
#
# Game N is played on `zorble --serve --seed N`, in turn by the pairings in
# PAIRINGS ("hard-normal,normal-easy,hard-easy" unless given); the two levels
# swap their slots every other round. The players do not pause before their
# moves; THINK_MS in the environment sets their thinking time (`--think`).
# MAX_SECONDS in the environment stops starting new games after that many
# seconds; the games played so far are summed up. The scores of each game go
# to bot-matches.tsv in the build folder.
set -euo pipefail

GAMES=${1:-210}
BUILD=${2:-build}
FIRST_PORT=${3:-17900}
IFS=',' read -r -a PAIRS <<<"${4:-hard-normal,normal-easy,hard-easy}"
THINK=()
[ -n "${THINK_MS:-}" ] && THINK=(--think "$THINK_MS")
ZORBLE=$BUILD/app/zorble
# The hosts publish nothing on the machine's network: no system bus.
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/zorble-scripts
[ -x "$ZORBLE" ] || { echo "no $ZORBLE: build the zorble target first" >&2; exit 1; }

WORK=$(mktemp -d)
SERVER=
cleanup() {
    [ -n "$SERVER" ] && kill "$SERVER" 2>/dev/null || true
    wait 2>/dev/null || true
    if [ "${KEEP_LOGS:-}" ]; then echo "logs in $WORK" >&2; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

# Waits up to $3 seconds for a line matching $2 in file $1.
wait_for() {
    local i
    for ((i = 0; i < $3 * 10; i++)); do
        grep -q "$2" "$1" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

RESULTS=$BUILD/bot-matches.tsv
printf 'game\tfirst\tsecond\tfirst_score\tsecond_score\n' >"$RESULTS"
for ((game = 1; game <= GAMES; game++)); do
    if [ -n "${MAX_SECONDS:-}" ] && ((SECONDS >= MAX_SECONDS)); then
        echo "stopped after $((game - 1)) games: the time is up" >&2
        break
    fi
    IFS=- read -r a b <<<"${PAIRS[$(((game - 1) % ${#PAIRS[@]}))]}"
    if (((game - 1) / ${#PAIRS[@]} % 2)); then
        tmp=$a; a=$b; b=$tmp
    fi
    port=$((FIRST_PORT + game % 64))
    # Each game logs to files of its own, so no wait is met by an earlier game's line.
    log=$WORK/game$game
    "$ZORBLE" --serve --port "$port" --seed "$game" >"$log-host.txt" 2>&1 &
    SERVER=$!
    if ! wait_for "$log-host.txt" "listening" 10; then
        echo "game $game: the host did not start" >&2
        exit 1
    fi
    # The first player takes slot 1 and starts the game once both sit.
    "$ZORBLE" --bot "A-$a" --port "$port" --level "$a" --pause 0 "${THINK[@]}" --start 2 \
        >"$log-a.txt" 2>&1 &
    first=$!
    wait_for "$log-a.txt" "in slot 1" 10
    "$ZORBLE" --bot "B-$b" --port "$port" --level "$b" --pause 0 "${THINK[@]}" >"$log-b.txt" 2>&1 &
    second=$!
    if ! wait_for "$log-b.txt" "Game over" 300; then
        echo "game $game: no end within five minutes" >&2
        exit 1
    fi
    kill "$SERVER"
    wait "$SERVER" || true
    SERVER=
    for who in first second; do
        if ! wait "${!who}"; then
            echo "game $game: the $who player ended with an error:" >&2
            cat "$log-a.txt" "$log-b.txt" >&2
            exit 1
        fi
    done
    line=$(grep "Game over" "$log-b.txt")
    sa=$(sed -n "s/.*A-$a \(-\?[0-9]*\).*/\1/p" <<<"$line")
    sb=$(sed -n "s/.*B-$b \(-\?[0-9]*\).*/\1/p" <<<"$line")
    printf '%d\t%s\t%s\t%d\t%d\n' "$game" "$a" "$b" "$sa" "$sb" >>"$RESULTS"
    printf 'game %d: %s %d, %s %d\n' "$game" "$a" "$sa" "$b" "$sb"
done

echo
awk -F'\t' 'NR > 1 {
    # Per pairing, the stronger level first.
    rank["easy"] = 0; rank["normal"] = 1; rank["hard"] = 2
    hi = $2; lo = $3; shi = $4; slo = $5
    if (rank[$2] < rank[$3]) { hi = $3; lo = $2; shi = $5; slo = $4 }
    key = hi " v " lo
    n[key]++; sum_hi[key] += shi; sum_lo[key] += slo
    d = shi - slo; sum_d[key] += d; sum_d2[key] += d * d
    if (shi > slo) won[key]++; else if (shi == slo) tied[key]++
    total[hi] += shi; games[hi]++; total[lo] += slo; games[lo]++
}
END {
    z = 1.96
    print "| Pairing | Games | Mean score (stronger) | Mean score (weaker) | Won by the stronger | Share won (95% CI) | Mean margin (95% CI) | Tied |"
    print "|---|---|---|---|---|---|---|---|"
    for (k in n) {
        # Wilson interval for the share of games won; the margin by the normal approximation.
        p = won[k] / n[k]; m = n[k]
        centre = (p + z * z / (2 * m)) / (1 + z * z / m)
        half = z * sqrt(p * (1 - p) / m + z * z / (4 * m * m)) / (1 + z * z / m)
        md = sum_d[k] / m
        sd = m > 1 ? sqrt((sum_d2[k] - m * md * md) / (m - 1)) : 0
        printf "| %s | %d | %.1f | %.1f | %d | %.1f%% (%.1f%% to %.1f%%) | %.1f (%.1f to %.1f) | %d |\n", k, m, sum_hi[k] / m, sum_lo[k] / m, won[k], 100 * p, 100 * (centre - half), 100 * (centre + half), md, md - z * sd / sqrt(m), md + z * sd / sqrt(m), tied[k]
    }
    print ""
    print "| Level | Games | Mean score |"
    print "|---|---|---|"
    split("hard normal easy", order, " ")
    for (i = 1; i <= 3; i++)
        if (games[order[i]])
            printf "| %s | %d | %.1f |\n", order[i], games[order[i]], total[order[i]] / games[order[i]]
}' "$RESULTS"
