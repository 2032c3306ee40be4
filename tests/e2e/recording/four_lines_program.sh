#!/bin/sh
# The whole program over four simulated lines in virtual time: four calls recorded at once give
# four monitored-call recordings that sox reads as 8 kHz mono PCM, each listed in the recent list.
# Usage: four_lines_program.sh <qlnrec> <scenario>
set -eu
program=$1
scenario=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/home" "$work/config/qlnrec"
printf '[Config]\r\nLine0=1\r\nLine1=1\r\nLine2=1\r\nLine3=1\r\n' > "$work/config/qlnrec/qlnrec.conf"
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
    "$program" --home "$work/home" --lines sim:4 --scenario "$scenario" --exit-when-done --virtual-time \
    > "$work/run.log" 2>&1 || { cat "$work/run.log"; exit 1; }
count=0
for line in 0 1 2 3; do
    for file in "$work/home/M~L $line"*.wav; do
        [ -f "$file" ] || { echo "no recording for line $line"; ls "$work/home"; exit 1; }
        if command -v sox > /dev/null; then
            [ "$(sox --i -r "$file")" = 8000 ] || { echo "bad rate: $file"; exit 1; }
            [ "$(sox --i -c "$file")" = 1 ] || { echo "bad channels: $file"; exit 1; }
            seconds=$(sox --i -D "$file" | cut -d. -f1)
            [ "$seconds" -ge 40 ] && [ "$seconds" -le 44 ] || { echo "unexpected length $seconds s: $file"; exit 1; }
        fi
        grep -q "$(basename "$file")" "$work/config/qlnrec/qlnrec.conf" || { echo "not listed: $file"; exit 1; }
        count=$((count + 1))
    done
done
[ "$count" = 4 ] || { echo "expected 4 recordings, found $count"; exit 1; }
echo "4 recordings written and listed"
