#!/usr/bin/env bash
# Looks at the compiled help file from outside, as the HTML Help viewer would:
#   tests/help_check.sh <ymt.chm>
# - the topic the program opens, /_RESOURCE/HLP000001.html, exists and carries its heading;
# - the file's language is Japanese (0x411) and its title, contents and index are Shift_JIS;
# - every page of the table of contents and of the index exists;
# - every link between pages (and every #fragment) resolves inside the file;
# - every page is valid UTF-8 and says so.
set -uo pipefail

chm=${1:?usage: help_check.sh <ymt.chm>}
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

command -v extract_chmLib >/dev/null || { echo "extract_chmLib is missing: run tools/bootstrap" >&2; exit 1; }
[ -s "$chm" ] || { echo "FAIL: $chm is missing or empty" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$work/chm
extract_chmLib "$chm" "$out" >/dev/null || { echo "FAIL: extract_chmLib cannot read $chm" >&2; exit 1; }

# The start topic and its heading, byte for byte (the page is UTF-8).
start=$out/_RESOURCE/HLP000001.html
if [ ! -f "$start" ]; then
    fail "the start topic /_RESOURCE/HLP000001.html is missing"
elif ! grep -qF '<h1>ヨミトキ ヘルプ</h1>' "$start"; then
    fail "the start topic lacks the heading <h1>ヨミトキ ヘルプ</h1>"
fi

# #SYSTEM: a version word, then records of (code, length, data), little-endian. Code 4 starts
# with the language id; code 3 is the title; code 2 the default topic.
system_hex=$(od -An -v -tx1 "$out/#SYSTEM" | tr -d ' \n')
pos=8
language="" title_hex="" default_topic_hex=""
while [ $((pos + 8)) -le ${#system_hex} ]; do
    code=$((16#${system_hex:pos+2:2}${system_hex:pos:2}))
    len=$((16#${system_hex:pos+6:2}${system_hex:pos+4:2}))
    data=${system_hex:pos+8:len*2}
    case $code in
        2) default_topic_hex=$data ;;
        3) title_hex=$data ;;
        4) language=${data:2:2}${data:0:2} ;;
    esac
    pos=$((pos + 8 + len * 2))
done
[ "$language" = "0411" ] || fail "the language is '$language', not 0411 (Japanese)"
hex_of() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'; }
want_title=$(printf 'ヨミトキ ヘルプ' | iconv -f UTF-8 -t CP932 | od -An -v -tx1 | tr -d ' \n')
[ "$title_hex" = "${want_title}00" ] || fail "the title is not 'ヨミトキ ヘルプ' in Shift_JIS"
[ "$default_topic_hex" = "$(hex_of _RESOURCE/HLP000001.html)00" ] ||
    fail "the default topic is not _RESOURCE/HLP000001.html"

# The table of contents and the index, read back from Shift_JIS.
for sitemap in ymt.hhc ymt.hhk; do
    if [ ! -f "$out/$sitemap" ]; then
        fail "$sitemap is missing"
        continue
    fi
    if ! iconv -f CP932 -t UTF-8 "$out/$sitemap" >"$work/$sitemap.utf8" 2>/dev/null; then
        fail "$sitemap is not Shift_JIS"
        continue
    fi
    entries=$(grep -c '<param name="Local"' "$work/$sitemap.utf8")
    [ "$entries" -gt 0 ] || fail "$sitemap has no entries"
    while IFS= read -r local; do
        [ -f "$out/${local%%#*}" ] || fail "$sitemap names $local, which is not in the file"
    done < <(sed -n 's/.*<param name="Local" value="\([^"]*\)".*/\1/p' "$work/$sitemap.utf8")
done
grep -qF 'value="ヨミトキ ヘルプ"' "$work/ymt.hhc.utf8" 2>/dev/null ||
    fail "the table of contents lacks its first entry 'ヨミトキ ヘルプ'"

# Every page: UTF-8, declared; every link and fragment inside the file resolves.
pages=0
while IFS= read -r -d '' page; do
    pages=$((pages + 1))
    rel=${page#"$out"/}
    iconv -f UTF-8 -t UTF-8 "$page" >/dev/null 2>&1 || fail "$rel is not valid UTF-8"
    grep -qi '<meta charset="utf-8">' "$page" || fail "$rel does not declare UTF-8"
    dir=$(dirname "$page")
    while IFS= read -r link; do
        case $link in
            http:* | https:* | mailto:* | about:*) continue ;;
        esac
        target=${link%%#*}
        fragment=""
        [ "$target" != "$link" ] && fragment=${link#*#}
        if [ -z "$target" ]; then
            file=$page
        else
            file=$(realpath -m "$dir/$target")
        fi
        if [ ! -f "$file" ]; then
            fail "$rel links to $link, which is not in the file"
        elif [ -n "$fragment" ] && ! grep -q "id=\"$fragment\"" "$file"; then
            fail "$rel links to $link, whose #$fragment is not on that page"
        fi
    done < <(grep -o -E '(href|src)="[^"]*"' "$page" | sed -E 's/^(href|src)="(.*)"$/\2/')
done < <(find "$out" -name '*.html' -print0)
[ "$pages" -ge 2 ] || fail "only $pages pages in the file"

if [ "$failures" -gt 0 ]; then
    echo "help_check: $failures failure(s) in $chm" >&2
    exit 1
fi
echo "help_check: $chm is sound ($pages pages)"
