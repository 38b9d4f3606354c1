#!/bin/sh
# The whole chain through lumacite-cli on large corpora made by make_corpus.py: a PubMed
# corpus (four files, the last gzip-compressed) and a Web of Science corpus (files of 500
# records). Each step prints its wall time, CPU time (user + system) and peak memory.
#
# usage: bench/scale.sh [BUILD_DIR]
#   SCALE_DIR    where corpora and the program folder go (default BUILD_DIR/scale; removed
#                at the end unless SCALE_KEEP=1)
#   SCALE_PUBMED number of PubMed articles (default 100000; 0 leaves PubMed out)
#   SCALE_WOS    number of WOS records (default 100000; 0 leaves WOS out)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cli=$build/bin/lumacite-cli
work=${SCALE_DIR:-$build/scale}
pubmed_n=${SCALE_PUBMED:-100000}
wos_n=${SCALE_WOS:-100000}
python=/usr/bin/python3
[ -x "$cli" ] || { echo "scale: $cli is missing (make build first)" >&2; exit 1; }
[ -x "$python" ] || { echo "scale: $python is missing (it makes the corpora)" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
home=$work/home
failures=0

# step NAME COMMAND...: runs the command, prints one row; its output goes to $work/NAME.out.
step() {
    name=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/$name.out" 2>"$work/$name.err"
    code=$?
    set -- $(tail -n 1 "$work/time")
    awk -v n="$name" -v e="$1" -v u="$2" -v s="$3" -v m="$4" -v c="$code" 'BEGIN {
        printf "%-30s %8.2f %8.2f %10.0f  %s\n", n, e, u + s, m / 1024,
               c == 0 ? "ok" : "exit " c }'
    if [ "$code" -ne 0 ]; then
        failures=$((failures + 1))
        sed -n '1,3s/^/    /p' "$work/$name.err"
    fi
    return "$code"
}

# The count of the 1000th statistics row: --min for a matrix of the 1,000 most frequent
# values (values tied with it come too).
thousandth() {
    "$cli" --home "$home" show-stats "$1" "$2" | awk -F '\t' 'NR <= 1000 { c = $3 }
        END { gsub(/ /, "", c); print (c == "" ? 1 : c) }'
}

# write_floor NAME TABLE: the floor of an extraction, a plain write of as many bytes as the
# table holds, on disk at the end as the extraction's table is. On a virtual machine the
# cost of fresh memory varies from run to run: this shows what the run's machine gave.
write_floor() {
    blocks=$(ls -l "$2" | awk '{ printf "%.0f", ($5 + 4194303) / 4194304 }')
    step "$1" dd if=/dev/zero of="$work/floor.bin" bs=4M count="$blocks" conv=fdatasync
    rm -f "$work/floor.bin"
}

header() {
    echo
    echo "== $1"
    printf "%-30s %8s %8s %10s  %s\n" step "wall s" "CPU s" "peak MB" result
}

cores=$(nproc)
echo "lumacite-cli scale chain, $cores cores, $(uptime | sed 's/.*load average/load average/')"

if [ "$pubmed_n" -gt 0 ]; then
    header "PubMed, $pubmed_n articles in 4 files (pubmed_4.xml.gz gzip-compressed)"
    step corpus-pubmed "$python" "$root/bench/make_corpus.py" pubmed-set "$pubmed_n" 4 \
        "$work/pubmed"
    du -sh "$work/pubmed"/* | sed 's/^/    /'
    # The corpus on disk before it is read: a user's files are not still being written out.
    sync
    "$cli" --home "$home" project add 1 --format PubMed >/dev/null
    "$cli" --home "$home" doc add-dir 1 "$work/pubmed" xml >/dev/null
    "$cli" --home "$home" doc add 1 "$work/pubmed/pubmed_4.xml.gz" >/dev/null
    step extract-3-xml "$cli" --home "$home" extract 1 1 && sed 's/^/    /' "$work/extract-3-xml.out"
    step extract-xml-gz "$cli" --home "$home" extract 1 2 && sed 's/^/    /' "$work/extract-xml-gz.out"
    ls -l "$home/1/zidian1.dbf" | awk '{ printf "    zidian %.0f MB\n", $5 / 1048576 }'
    step stats-authors "$cli" --home "$home" stats 1 作者 --yes
    step stats-headings "$cli" --home "$home" stats 1 全部主题词－副主题词 --yes
    min=$(thousandth 1 全部主题词－副主题词)
    step matrix-headings-top1000 "$cli" --home "$home" matrix 1 全部主题词－副主题词 \
        --kind cooccurrence --min "$min" -o "$work/pubmed-matrix.txt" &&
        echo "    $(($(wc -l <"$work/pubmed-matrix.txt") - 1)) values (--min $min)"
    write_floor write-floor "$home/1/zidian1.dbf"
    rm -rf "$work/pubmed" "$home/1"
fi

if [ "$wos_n" -gt 0 ]; then
    files=$(((wos_n + 499) / 500))
    header "Web of Science, $wos_n records in $files files"
    step corpus-wos "$python" "$root/bench/make_corpus.py" wos-set "$wos_n" "$files" "$work/wos"
    du -sh "$work/wos" | sed 's/^/    /'
    sync
    "$cli" --home "$home" project add 2 --format WOS >/dev/null
    "$cli" --home "$home" doc add-dir 2 "$work/wos" txt >/dev/null
    step extract-wos "$cli" --home "$home" extract 2 1 && sed 's/^/    /' "$work/extract-wos.out"
    mb=$(ls -l "$home/2/zidian2.dbf" | awk '{ printf "%.0f", $5 / 1048576 }')
    echo "    zidian $mb MB"
    # The floor of every count: a plain sequential read of the table.
    step read-zidian dd if="$home/2/zidian2.dbf" of=/dev/null bs=1M
    step stats-authors "$cli" --home "$home" stats 2 作者 --yes
    step stats-keywords "$cli" --home "$home" stats 2 关键词 --yes
    step stats-cited-journals "$cli" --home "$home" stats 2 '<引文期刊>' --yes
    min=$(thousandth 2 关键词)
    step matrix-keywords-top1000 "$cli" --home "$home" matrix 2 关键词 --kind cooccurrence \
        --min "$min" -o "$work/wos-matrix.txt"
    min=$(thousandth 2 '<引文期刊>')
    step matrix-cited-journals-top1000 "$cli" --home "$home" matrix 2 '<引文期刊>' \
        --kind cooccurrence --min "$min" -o "$work/wos-matrix.txt"
    write_floor write-floor "$home/2/zidian2.dbf"
fi

[ "${SCALE_KEEP:-0}" = 1 ] || rm -rf "$work"
echo
echo "$failures step(s) failed"
[ "$failures" -eq 0 ]
