#!/bin/sh
# Runs the counting and matrix chain with two builds of lumacite-cli on copies of a Web of
# Science project and a PubMed project and compares every table and file they write byte for byte: tongji after
# each count, the co-occurrence and word-document matrix files, the network files.
#
# usage: bench/same_output.sh OLD_CLI NEW_CLI [RECORDS]
#   RECORDS  records of each corpus made by make_corpus.py (default 10000)
#   SAME_DIR where the corpus and the program folders go (default a temporary folder,
#            removed at the end)
set -u
old=$1
new=$2
records=${3:-10000}
root=$(cd "$(dirname "$0")/.." && pwd)
work=${SAME_DIR:-$(mktemp -d)}
mkdir -p "$work"
/usr/bin/python3 "$root/bench/make_corpus.py" wos "$records" "$work/wos.txt" &&
    /usr/bin/python3 "$root/bench/make_corpus.py" pubmed "$records" "$work/pubmed.xml" || exit 1
"$new" --home "$work/base" project add 1 --format WOS >/dev/null &&
    "$new" --home "$work/base" doc add 1 "$work/wos.txt" >/dev/null &&
    "$new" --home "$work/base" extract 1 1 >/dev/null &&
    "$new" --home "$work/base" project add 2 --format PubMed >/dev/null &&
    "$new" --home "$work/base" doc add 2 "$work/pubmed.xml" >/dev/null &&
    "$new" --home "$work/base" extract 2 1 >/dev/null || exit 1

# matrices CLI HOME OUT PROJECT KEYWORD...: the co-occurrence matrix of each keyword's 1,000
# most frequent values and its network files.
matrices() {
    cli=$1 home=$2 out=$3 p=$4
    shift 4
    for k in "$@"; do
        min=$("$cli" --home "$home" show-stats "$p" "$k" | awk -F '\t' 'NR <= 1000 { c = $3 }
            END { gsub(/ /, "", c); print (c == "" ? 1 : c) }')
        "$cli" --home "$home" matrix "$p" "$k" --kind cooccurrence --min "$min" \
            -o "$out/cooccurrence-$p-$k.txt" >/dev/null || return 1
        "$cli" --home "$home" network "$p" "$k" --min "$min" --format pajek \
            -o "$out/network-$p-$k.net" >/dev/null || return 1
        "$cli" --home "$home" network "$p" "$k" --min "$min" --format graphml \
            -o "$out/network-$p-$k.graphml" >/dev/null || return 1
    done
}

# chain NAME CLI: the whole chain in a copy of the project; its files go to $work/NAME.
chain() {
    home=$work/home-$1
    out=$work/$1
    rm -rf "$home" "$out"
    cp -r "$work/base" "$home"
    mkdir -p "$out"
    for k in 作者 关键词 '<引文期刊>' '<引文>'; do
        "$2" --home "$home" stats 1 "$k" --yes >"$out/stats-1-$k.tsv" || return 1
        cp "$home/1/tongji1.dbf" "$out/tongji1-after-$k.dbf"
    done
    for k in 作者 全部主题词－副主题词 全部主题词＋副主题词; do
        "$2" --home "$home" stats 2 "$k" --yes >"$out/stats-2-$k.tsv" || return 1
        cp "$home/2/tongji2.dbf" "$out/tongji2-after-$k.dbf"
    done
    matrices "$2" "$home" "$out" 1 关键词 '<引文期刊>' || return 1
    matrices "$2" "$home" "$out" 2 作者 全部主题词＋副主题词 || return 1
    min=$("$2" --home "$home" show-stats 1 关键词 | awk -F '\t' 'NR <= 50 { c = $3 }
        END { gsub(/ /, "", c); print c }')
    "$2" --home "$home" matrix 1 关键词 --kind word-document --min "$min" \
        -o "$out/word-document.txt" >/dev/null
}

status=0
chain old "$old" && chain new "$new" || status=1
if [ "$status" -eq 0 ]; then
    for f in "$work/old"/*; do
        name=$(basename "$f")
        if cmp -s "$f" "$work/new/$name"; then
            printf 'same       %10d  %s\n' "$(wc -c <"$f")" "$name"
        else
            printf 'DIFFERENT  %10d  %s\n' "$(wc -c <"$f")" "$name"
            status=1
        fi
    done
fi
[ -n "${SAME_DIR:-}" ] || rm -rf "$work"
[ "$status" -eq 0 ] && echo "all files the same" || echo "the builds differ"
exit "$status"
