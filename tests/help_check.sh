#!/usr/bin/env bash
# Looks at the compiled help file from outside, as the HTML Help viewer would:
#   tests/help_check.sh <ymt.chm>
# The start topic the program opens exists with its heading; the language is Japanese and the
# title, contents and index are Shift_JIS; every page named there and every link (and
# #fragment) between pages resolves; every page is UTF-8 and says so.
set -uo pipefail

chm=${1:?usage: help_check.sh <ymt.chm>}
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
hex() { od -An -v -tx1 | tr -d ' \n'; }

work=$(mktemp -d) out=$work/chm
trap 'rm -rf "$work"' EXIT
if ! { [ -s "$chm" ] && extract_chmLib "$chm" "$out" >/dev/null; }; then
    echo "FAIL: cannot read $chm (extract_chmLib comes with tools/bootstrap)" >&2 && exit 1
fi

grep -qF '<h1>ヨミトキ ヘルプ</h1>' "$out/_RESOURCE/HLP000001.html" 2>/dev/null || fail "the start topic /_RESOURCE/HLP000001.html is missing or lacks its heading"

# #SYSTEM: a version word, then records of (code, length, data), little-endian: code 2 is the
# default topic, 3 the title, 4 starts with the language id.
system=$(hex <"$out/#SYSTEM")
declare -A record=([2]='' [3]='' [4]='')
for ((pos = 8; pos + 8 <= ${#system}; pos += 8 + len * 2)); do
    len=$((16#${system:pos+6:2}${system:pos+4:2}))
    record[$((16#${system:pos+2:2}${system:pos:2}))]=${system:pos+8:len*2}
done
[ "${record[4]:2:2}${record[4]:0:2}" = 0411 ] || fail "the language is not 0411 (Japanese)"
is() { [ "${record[$1]}" = "$(printf %s "$2" | iconv -f UTF-8 -t CP932 | hex)00" ] || fail "$3 is not '$2' in Shift_JIS"; }
is 3 'ヨミトキ ヘルプ' "the title"
is 2 _RESOURCE/HLP000001.html "the default topic"

for sitemap in ymt.hhc ymt.hhk; do
    { iconv -f CP932 -t UTF-8 "$out/$sitemap" >"$work/$sitemap" 2>/dev/null && grep -q '<param name="Local"' "$work/$sitemap"; } || fail "$sitemap is missing, not Shift_JIS or without entries"
    while IFS= read -r local; do
        [ -f "$out/${local%%#*}" ] || fail "$sitemap names $local, which is not in the file"
    done < <(sed -n 's/.*<param name="Local" value="\([^"]*\)".*/\1/p' "$work/$sitemap")
done
grep -qF 'value="ヨミトキ ヘルプ"' "$work/ymt.hhc" 2>/dev/null || fail "the contents lack their first entry"

while IFS= read -r -d '' page; do
    rel=${page#"$out"/}
    iconv -f UTF-8 -t UTF-8 "$page" >/dev/null 2>&1 || fail "$rel is not valid UTF-8"
    grep -qi '<meta charset="utf-8">' "$page" || fail "$rel does not declare UTF-8"
    while IFS= read -r link; do
        case $link in http:* | https:* | mailto:* | about:*) continue ;; esac
        target=${link%%#*} file=$page
        [ -n "$target" ] && file=$(realpath -m "$(dirname "$page")/$target")
        [ -f "$file" ] || { fail "$rel links to $link, which is not in the file" && continue; }
        [ "$target" = "$link" ] || grep -q "id=\"${link#*#}\"" "$file" ||
            fail "$rel links to $link, whose fragment is not on that page"
    done < <(grep -o -E '(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="(.*)"$/\2/')
done < <(find "$out" -name '*.html' -print0)
[ "$(find "$out" -name '*.html' | wc -l)" -ge 2 ] || fail "fewer than 2 pages in the file"

[ "$failures" -eq 0 ] || { echo "help_check: $failures failure(s) in $chm" >&2; exit 1; }
echo "help_check: $chm is sound"
