#!/usr/bin/env bash
# Screenshots of the character on the virtual display, checked by pixel probes: runs
# character_screens_win under Wine with a compositor on the display (per-pixel alpha blends
# with what lies behind only then), takes each shot it asks for with ImageMagick's import
# (xwd shows 32-bit windows black), and checks the probes it wrote.
#   character_screens.sh BIN_DIR OUT_DIR
set -euo pipefail
bin=$(realpath -m "$1")
out=$(realpath -m "$2")
wine=/usr/lib/wine/wine64
convert=/usr/bin/convert
: "${DISPLAY:?the test runs on a display (xvfb-run)}"
rm -rf "$out"
mkdir -p "$out"

xcompmgr -n </dev/null >/dev/null 2>&1 &
compositor=$!
cleanup() { kill "$compositor" 2>/dev/null || true; }
trap cleanup EXIT
sleep 0.5

cd "$bin"
timeout 120 "$wine" "$bin/character_screens_win.exe" "Z:${out//\//\\}" &
program=$!

# Every pixel of a rectangle as "r g b" lines.
pixels() { "$convert" "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:- |
    sed -n 's/^[0-9]*,[0-9]*: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'; }

failures=0
check() {
    local shot=$1 kind x y w h a b c tol
    while read -r kind x y a b c tol; do
        case $kind in
            pixel)
                read -r pr pg pb < <(pixels "$shot" "$x" "$y" 1 1)
                if (( ${pr#-} - a > tol || a - pr > tol || pg - b > tol || b - pg > tol ||
                      pb - c > tol || c - pb > tol )); then
                    echo "$(basename "$shot"): pixel $x,$y is $pr $pg $pb, expected $a $b $c ±$tol"
                    failures=$((failures + 1))
                fi ;;
            dark|nodark|blue)
                w=$a h=$b
                local n
                if [ "$kind" = blue ]; then
                    n=$(pixels "$shot" "$x" "$y" "$w" "$h" | awk '$3 > 110 && $1 < 80 && $2 < 80' | wc -l)
                else
                    n=$(pixels "$shot" "$x" "$y" "$w" "$h" | awk '$1 < 100 && $2 < 100 && $3 < 100' | wc -l)
                fi
                if { [ "$kind" = nodark ] && [ "$n" -ne 0 ]; } ||
                   { [ "$kind" != nodark ] && [ "$n" -lt "$c" ]; }; then
                    echo "$(basename "$shot"): $kind $x,$y ${w}x$h has $n such pixels"
                    failures=$((failures + 1))
                fi ;;
        esac
    done <"${shot%.png}.probes"
}

while kill -0 "$program" 2>/dev/null; do
    for ready in "$out"/*.ready; do
        [ -e "$ready" ] || continue
        name=$(basename "$ready" .ready)
        import -window root "$out/$name.png"
        rm -f "$ready"
        touch "$out/$name.done"
        check "$out/$name.png"
        echo "character_screens: $name.png checked"
    done
    sleep 0.1
done
wait "$program" || failures=$((failures + 1))
[ "$failures" -eq 0 ] && echo "character_screens: all probes hold" || echo "character_screens: $failures failure(s)"
exit $((failures != 0))
