#!/bin/sh
# The whole program over the pseudo-terminal modem simulator in real time: the modem rings
# twice, the handset "picks up" (the rings stop), the program answers after the learned ring
# interval, the far end speaks and hangs up with a loop-current drop, and a monitored-call
# recording "M~L 0…wav" appears. Takes about half a minute of wall time, so it is run by hand
# rather than by CTest.
# Usage: whole_program_over_modem.sh <build>/bin [family]
set -eu
bin=$1
family=${2:-conexant}
work=$(mktemp -d)
trap 'kill $sim_pid 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/home/rec" "$work/config/qlnrec"
printf '[Config]\nLanguage=0\nLine0=1\nSaveFile=%s/home/rec/\n' "$work" > "$work/config/qlnrec/qlnrec.conf"
espeak-ng -w "$work/speech.wav" "This call is recorded through a simulated voice modem, from the first ring to the hang up." 2>/dev/null
mkfifo "$work/commands"
"$bin/qlnrec-modemsim" --family "$family" --link "$work/modem" < "$work/commands" > "$work/sim.log" 2>&1 &
sim_pid=$!
exec 3> "$work/commands"
sleep 1
XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" QT_QPA_PLATFORM=offscreen \
    "$bin/qlnrec" --home "$work/home" --lines "modem:$work/modem" > "$work/run.log" 2>&1 &
program_pid=$!
sleep 4
echo "cid 5551234 SMITH JOHN" >&3
echo "ring 2" >&3
sleep 16          # ring 1, ring 2 six seconds later, the program answers 6.5 s after that
echo "audio $work/speech.wav" >&3
sleep 7
echo "loop" >&3
sleep 4
kill -TERM $program_pid
wait $program_pid || true
echo quit >&3
cat "$work/home/LogFiles/"*.txt
found=0
for file in "$work/home/rec/M~L 0"*.wav; do
    [ -f "$file" ] || break
    found=1
    echo "$(basename "$file"):"
    sox --i "$file" | grep -E "Sample Rate|Channels|Duration|Encoding"
done
[ "$found" = 1 ] || { echo "no recording"; cat "$work/run.log"; exit 1; }
