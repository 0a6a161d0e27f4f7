#!/usr/bin/env bash
# Generates the program's two sound files into a folder (the build puts them beside the program):
#   v5.15njyls.wav  background music: a calm eight-bar piece that loops without a seam,
#                   16-bit mono PCM at 22050 Hz, about 27 seconds
#   v5.15gxj.mp3    the countdown alarm: a bright rising three-note chime, four times
# Needs sox and lame. The same bytes come out on every run: sox runs with fixed random numbers
# and without dither, and lame has no random element.
# Usage: scripts/make_music.sh OUTDIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 OUTDIR" >&2; exit 2; }
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Intermediate files are 32-bit float, so that there is one rounding to 16 bits, at the end.
# -V2 lets sox warn, about clipping above all: the levels below leave room for every sum.
sox_() { sox -R -D -V2 "$@"; }
FLOAT=(-e floating-point -b 32)

# note FILE RATE START LENGTH ATTACK RELEASE "FREQ:GAIN ..." - one tone of sine partials, all in
# samples, shifted to START. It fades in over ATTACK and out over its last RELEASE samples, so
# it begins and ends at zero wherever it lands.
note() {
  local file=$1 rate=$2 start=$3 len=$4 attack=$5 release=$6 partials=$7
  local synth=() remix="" ch=0 p
  for p in $partials; do
    ch=$((ch + 1))
    synth+=(sine "${p%%:*}")
    remix+="${remix:+,}${ch}v${p##*:}"
  done
  sox_ -r "$rate" -c "$ch" -n -c 1 "${FLOAT[@]}" "$file" synth "${len}s" "${synth[@]}" remix "$remix" \
    fade h "${attack}s" "${len}s" "${release}s" pad "${start}s"
}

# mix OUT IN... - the plain sum of the inputs (sox -m would scale each by 1/n).
mix() {
  local target=$1 args=() f
  shift
  for f in "$@"; do args+=(-v 1 "$f"); done
  if [ $# -eq 1 ]; then cp "$1" "$target"; else sox_ -m "${args[@]}" "${FLOAT[@]}" "$target"; fi
}

# Note names to frequencies (equal temperament, A4 = 440 Hz).
freq() {
  local name=$1 letter octave semis
  letter=${name%?}
  octave=${name: -1}
  case $letter in
    C) semis=-9 ;; D) semis=-7 ;; E) semis=-5 ;; F) semis=-4 ;; G) semis=-2 ;; A) semis=0 ;; B) semis=2 ;;
    *) echo "bad note $name" >&2; return 1 ;;
  esac
  awk -v s=$((semis + 12 * (octave - 4))) 'BEGIN { printf "%.3f", 440 * 2 ^ (s / 12) }'
}

# ---- Background music --------------------------------------------------------------------
# 70 beats a minute at 22050 Hz makes a beat 18900 samples, so halves and quarters of beats
# and the whole loop (8 bars of 4 beats) are whole sample counts.
RATE=22050
BEAT=18900
BAR=$((4 * BEAT))
LOOP=$((8 * BAR))

# One chord a bar, back to the first at the loop: C Am F G C Am Dm G. Each chord swells in
# over a beat and lasts a beat into the next bar, fading out under it. Every voice is doubled
# slightly sharp for a slow, gentle beating.
CHORDS=("C3 G3 C4 E4" "A2 E3 C4 E4" "F2 C3 A3 C4" "G2 D3 B3 D4"
        "C3 G3 C4 E4" "A2 E3 C4 E4" "D3 A3 D4 F4" "G2 D3 B3 D4")
parts=()
for i in "${!CHORDS[@]}"; do
  partials=""
  for n in ${CHORDS[$i]}; do
    f=$(freq "$n")
    partials+=" $f:0.05 $(awk -v f="$f" 'BEGIN { printf "%.3f", f * 1.004 }'):0.04"
  done
  note "$work/pad$i.wav" $RATE $((i * BAR)) $((BAR + BEAT)) $BEAT $((3 * BEAT / 2)) "$partials"
  parts+=("$work/pad$i.wav")
done

# The tune: note name and length in half beats, four beats a bar. Each note rings on half a
# beat past its length and dies away softly.
MELODY=(G4:2 E4:2 G4:2 C5:2     C5:3 B4:1 A4:4
        A4:2 F4:2 A4:2 C5:2     B4:3 A4:1 G4:4
        E5:2 D5:2 C5:2 G4:2     A4:3 C5:1 E5:4
        F5:2 E5:2 D5:2 A4:2     D5:2 B4:2 G4:2 B4:2)
at=0
for i in "${!MELODY[@]}"; do
  n=${MELODY[$i]%%:*}
  halves=${MELODY[$i]##*:}
  f=$(freq "$n")
  len=$((halves * BEAT / 2 + BEAT / 2))
  note "$work/mel$i.wav" $RATE $at $len 330 $((len - 330)) \
    "$(awk -v f="$f" 'BEGIN { printf "%s:0.30 %.3f:0.06 %.3f:0.02", f, 2 * f, 3 * f }')"
  parts+=("$work/mel$i.wav")
  at=$((at + halves * BEAT / 2))
done
[ $at -eq $LOOP ] || { echo "the tune is $at samples long, not $LOOP" >&2; exit 1; }

# A little room around it. Everything past the loop's end (chord tails, reverb) is added back
# onto its start, which is what a listener hears when the loop comes round again: the seam is
# no seam.
mix "$work/dry.wav" "${parts[@]}"
sox_ "$work/dry.wav" "${FLOAT[@]}" "$work/wet.wav" pad 0 $((2 * BAR))s reverb 35 60 70
sox_ "$work/wet.wav" "${FLOAT[@]}" "$work/body.wav" trim 0 "${LOOP}s"
sox_ "$work/wet.wav" "${FLOAT[@]}" "$work/tail.wav" trim "${LOOP}s"
mix "$work/loop.wav" "$work/body.wav" "$work/tail.wav"
sox_ "$work/loop.wav" -e signed-integer -b 16 "$out/v5.15njyls.wav" gain -n -5

# ---- Alarm ------------------------------------------------------------------------------
# C6 E6 G6 struck 0.15 s apart, like a door chime, the figure four times at 0.9 s; each
# strike rings out over a second.
ARATE=44100
STEP=6615    # 0.15 s
ROUND=39690  # 0.9 s
RING=44100
parts=()
for r in 0 1 2 3; do
  k=0
  for n in C6 E6 G6; do
    f=$(freq "$n")
    note "$work/chime$r$k.wav" $ARATE $((r * ROUND + k * STEP)) $RING 220 $((RING - 220)) \
      "$(awk -v f="$f" 'BEGIN { printf "%s:0.2 %.3f:0.05", f, 2 * f }')"
    parts+=("$work/chime$r$k.wav")
    k=$((k + 1))
  done
done
mix "$work/alarm.wav" "${parts[@]}"
sox_ "$work/alarm.wav" -e signed-integer -b 16 "$work/alarm16.wav" gain -n -1
# Constant bit rate, no tag frames: every frame is a plain MPEG-1 layer 3 frame.
lame --quiet --nohist -t --cbr -b 128 -m m -q 2 --noreplaygain "$work/alarm16.wav" "$out/v5.15gxj.mp3"
