#!/bin/sh
# Times `holvex-cli decode --batch` over 10,000 telegrams as one whole process, and prints telegrams a second.
# Usage: bench/cli_batch_bench.sh [BUILD_DIR [FRAMES_DIR]]   (default: build, and five hand-made telegrams)
# FRAMES_DIR: a folder of *.hex files holding one meter answer each (real answers collected elsewhere); they
# are repeated, one per line, to 10,000 lines.
set -eu
build=${1:-build}
cli="$build/holvex-cli"
[ -x "$cli" ] || { echo "no $cli: build holvex-cli first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Five hand-made telegrams (water, heat, electricity, gas with text unit, manufacturer data), repeated.
cat > "$work/mix.txt" <<'FRAMES'
68 19 19 68 08 05 72 78 56 34 12 43 04 21 07 05 00 00 00 04 13 39 30 00 00 02 6C E1 34 0A 16
68 38 38 68 08 05 72 21 43 65 87 2D 2C 1B 04 11 20 00 00 04 13 10 27 00 00 04 13 39 30 00 00 04 2B E8 03 00 00 02 5A D2 02 02 5E A4 01 04 6D 2B 0E 7D 13 0C 78 78 56 34 12 1F 01 02 89 16
68 2D 2D 68 08 05 72 90 78 56 34 4D 25 12 02 1F 00 00 00 0E 03 45 23 01 00 00 00 8E 10 03 45 23 01 00 00 00 04 FD 46 E6 00 00 00 05 2B 00 00 80 3F 56 16
68 27 27 68 08 05 72 11 22 33 44 4D 25 01 03 0A 00 00 00 04 7C 03 6B 57 68 39 30 00 00 0D 78 08 31 32 33 34 35 36 37 38 0F AA BB 64 16
68 0F 0F 68 08 05 72 11 22 33 44 4D 25 01 07 0A 00 00 00 AD 16
FRAMES
if [ -n "${2:-}" ]; then
    : > "$work/mix.txt"
    for f in "$2"/*.hex; do tr -d '\r' < "$f" | tr '\n' ' ' >> "$work/mix.txt"; echo >> "$work/mix.txt"; done
fi
: > "$work/batch.txt"
while [ "$(wc -l < "$work/batch.txt")" -lt 10000 ]; do cat "$work/mix.txt" >> "$work/batch.txt"; done
head -n 10000 "$work/batch.txt" > "$work/ten.txt" && mv "$work/ten.txt" "$work/batch.txt"
lines=$(wc -l < "$work/batch.txt")
start=$(date +%s.%N)
"$cli" decode --extra 3 --batch "$work/batch.txt" > "$work/out.jsonl" || true # 1: some line was not hex
end=$(date +%s.%N)
decoded=$(wc -l < "$work/out.jsonl")
ok=$(grep -c '"ok":true' "$work/out.jsonl" || true)
seconds=$(echo "$end - $start" | bc)
echo "$lines frames, $decoded objects ($ok ok) in $seconds s: $(echo "$lines / $seconds" | bc) telegrams a second"
