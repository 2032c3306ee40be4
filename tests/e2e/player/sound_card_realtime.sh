#!/bin/sh
# The player on a real sound card: a PulseAudio server of its own with a null sink, the recording
# played through the program's player and Qt Multimedia, the sink's monitor recorded, and the
# recorded sound lined up with the file's audio by cross-correlation (PCM and TrueSpeech).
# Usage: sound_card_realtime.sh <play_recording tool>. Exit 77 (skipped) without PulseAudio,
# unless QLNREC_REQUIRE_TOOLS=1 (the install script ran): then a missing tool fails.
set -eu
tool=$1
missing=77
[ "${QLNREC_REQUIRE_TOOLS:-0}" = 1 ] && missing=1
for command in pulseaudio pactl parec python3; do
    command -v "$command" > /dev/null 2>&1 || { echo "missing: $command"; exit $missing; }
done
work=$(mktemp -d)
export XDG_RUNTIME_DIR="$work/run" PULSE_RUNTIME_PATH="$work/run/pulse" HOME="$work/home"
mkdir -p "$XDG_RUNTIME_DIR" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
server=""
capture=""
cleanup() {
    [ -z "$capture" ] || kill "$capture" 2> /dev/null || true
    [ -z "$server" ] || kill "$server" 2> /dev/null || true
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A server of the test's own, in its own runtime folder: nothing of the machine's sound is touched.
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    -L "module-null-sink sink_name=qlnrec_test rate=48000 channels=2" \
    -L "module-native-protocol-unix" > "$work/server.log" 2>&1 &
server=$!
ready=0
for _ in $(seq 1 100); do
    if pactl info > /dev/null 2>&1; then ready=1; break; fi
    sleep 0.1
done
if [ "$ready" != 1 ]; then
    cat "$work/server.log"
    echo "the PulseAudio server did not start"
    exit $missing
fi
pactl set-default-sink qlnrec_test

for format in pcm truespeech; do
    "$tool" make "$work/$format.wav" 6 "$format"
    "$tool" decode "$work/$format.wav" "$work/$format.ref"
    parec --device=qlnrec_test.monitor --format=s16le --rate=8000 --channels=1 --raw \
        > "$work/$format.cap" &
    capture=$!
    sleep 0.5
    status=0
    QT_QPA_PLATFORM=offscreen "$tool" play "$work/$format.wav" || status=$?
    sleep 0.5
    kill "$capture"
    wait "$capture" 2> /dev/null || true
    capture=""
    [ "$status" = 0 ] || { echo "$format: the player failed ($status)"; exit 1; }
    python3 - "$work/$format.ref" "$work/$format.cap" "$format" <<'PY'
import array, math, sys
ref = array.array('h', open(sys.argv[1], 'rb').read())
cap = array.array('h', open(sys.argv[2], 'rb').read())
name = sys.argv[3]
if len(cap) < len(ref) // 2:
    sys.exit('%s: captured %d samples, the file has %d' % (name, len(cap), len(ref)))
# An idle sink's monitor may start with the sound itself: a second of silence in front lets the
# capture begin after the sound did.
PAD = 8000
cap = array.array('h', [0] * PAD) + cap + array.array('h', [0] * PAD)
# Coarse: the 10 ms level envelopes give the offset of the played sound in the capture.
W = 80
def envelope(s):
    return [sum(abs(v) for v in s[i:i + W]) / W for i in range(0, len(s) - W + 1, W)]
er, ec = envelope(ref), envelope(cap)
def ncc(a, b):
    ma, mb = sum(a) / len(a), sum(b) / len(b)
    num = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    den = math.sqrt(sum((x - ma) ** 2 for x in a) * sum((y - mb) ** 2 for y in b))
    return num / den if den else 0.0
coarse = max(range(len(ec) - len(er) + 1), key=lambda k: ncc(er, ec[k:k + len(er)]))
# Fine: the waveform itself, sample by sample around that offset, over the middle two seconds.
part = ref[8000:24000]
best = max(((ncc(part, cap[8000 + d:24000 + d]), d)
            for d in range(max(0, coarse * W - 2 * W), min(len(cap) - 24000, coarse * W + 2 * W))),
           default=(0.0, 0))
print('%s: the sound starts %.3f s into the capture, waveform correlation %.3f' % (name, (best[1] - PAD) / 8000, best[0]))
if best[0] < 0.9:
    sys.exit('%s: the captured sound does not match the recording' % name)
PY
done
echo "the sound card played both recordings as written"
