#!/bin/sh
# Four calls recorded at once on the wall clock, once in PCM and once in TrueSpeech. Each far end
# plays a tone in a steady on/off cadence of its own; a recorder that drops audio (for example while
# it encodes the other lines' blocks) cuts a piece out of the cadence, and the tone bursts in the
# recording then no longer follow each other at the cadence's period.
# Usage: four_lines_realtime.sh <qlnrec> <scenario>
set -eu
program=$1
scenario=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Checks a recording's cadence: every burst must start one period (in samples) after the one before.
check() {
    ffmpeg -y -v error -i "$1" -f s16le -ac 1 -ar 8000 "$work/decoded.raw"
    python3 - "$work/decoded.raw" "$2" "$1" <<'PY'
import array, sys
samples = array.array('h', open(sys.argv[1], 'rb').read())
period = int(sys.argv[2])
window = 40
levels = [max(abs(v) for v in samples[i:i + window]) for i in range(0, len(samples) - window, window)]
onsets = [i * window for i in range(1, len(levels)) if levels[i] > 2000 and levels[i - 1] <= 2000]
gaps = [b - a for a, b in zip(onsets, onsets[1:])]
bad = [g for g in gaps if abs(g - period) > 2 * window]
print('%s: %d bursts, gaps %s..%s' % (sys.argv[3].split('/')[-1][:6], len(onsets), min(gaps), max(gaps)))
if len(onsets) < 20 or bad:
    sys.exit('cadence broken: gaps %s (period %d)' % (bad[:8], period))
PY
}

for format in 0 1; do
    run="$work/$format"
    mkdir -p "$run/home" "$run/config/qlnrec"
    printf '[Config]\r\nLine0=1\r\nLine1=1\r\nLine2=1\r\nLine3=1\r\nWaveFileFormat=%s\r\n' "$format" \
        > "$run/config/qlnrec/qlnrec.conf"
    XDG_CONFIG_HOME="$run/config" XDG_RUNTIME_DIR="$run" QT_QPA_PLATFORM=offscreen \
        "$program" --home "$run/home" --lines sim:4 --scenario "$scenario" --exit-when-done \
        > "$run/run.log" 2>&1 || { cat "$run/run.log"; exit 1; }
    line=0
    for period in 4000 4000 4800 2400; do
        file=$(ls "$run/home/M~L $line"*.wav 2>/dev/null | head -n 1)
        [ -n "$file" ] || { echo "format $format: no recording for line $line"; cat "$run/run.log"; exit 1; }
        check "$file" "$period"
        line=$((line + 1))
    done
done
echo "no line lost audio"
