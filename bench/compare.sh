#!/bin/sh
# lumacite-cli against what a Python user would write instead (peer_baseline.py:
# ElementTree, pandas, scipy), on the same corpora in one run: PubMed and Web of Science,
# COMPARE_N records each (default 10000), made by make_corpus.py. The whole chain on both
# sides: parse and extract, statistics, co-occurrence matrix of about 1,000 values. Times
# are the wall times of whole processes (start-up and imports included), the best of
# COMPARE_RUNS runs; the Python side's own figure without its start-up is shown beside.
#
# usage: bench/compare.sh [BUILD_DIR]   (COMPARE_N, COMPARE_RUNS, COMPARE_DIR, COMPARE_PYTHON)
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cli=$build/bin/lumacite-cli
python=${COMPARE_PYTHON:-/usr/bin/python3}
n=${COMPARE_N:-10000}
runs=${COMPARE_RUNS:-3}
work=${COMPARE_DIR:-$build/compare}
[ -x "$cli" ] || { echo "compare: $cli is missing (make build first)" >&2; exit 1; }
if ! "$python" -c 'import numpy, pandas, scipy' 2>/dev/null; then
    echo "compare: the Python side needs $python with Debian's python3-pandas and" \
         "python3-scipy; install them with: sudo apt-get install python3-pandas python3-scipy" >&2
    exit 2
fi

rm -rf "$work"
mkdir -p "$work"
home=$work/home

now() { date +%s.%N; }

# chain NAME COMMAND...: runs the command (output to $work/NAME.out), adds its wall time to
# $elapsed; stops the comparison when it fails.
chain() {
    name=$1
    shift
    start=$(now)
    if ! "$@" >"$work/$name.out" 2>"$work/$name.err"; then
        echo "compare: $name failed:" >&2
        sed 's/^/    /' "$work/$name.err" >&2
        exit 3
    fi
    took=$(echo "$start $(now)" | awk '{ printf "%.2f", $2 - $1 }')
    elapsed=$(echo "$elapsed $took" | awk '{ printf "%.3f", $1 + $2 }')
    steps="$steps $name ${took}s"
}

# The count of the 1000th statistics row: --min for about 1,000 values.
thousandth() {
    "$cli" --home "$home" show-stats "$1" "$2" | awk -F '\t' 'NR <= 1000 { c = $3 }
        END { gsub(/ /, "", c); print (c == "" ? 1 : c) }'
}

best() { tr ' ' '\n' | awk 'NF' | sort -g | head -n 1; }

# lumacite FORMAT FILE MATRIX_KEYWORD COUNTED_KEYWORD: the chain on a new project; the matrix
# keyword is counted first, then the other one.
lumacite() {
    rm -rf "$home"
    "$cli" --home "$home" project add 1 --format "$1" >/dev/null
    "$cli" --home "$home" doc add 1 "$2" >/dev/null
    elapsed=0
    steps=""
    chain extract "$cli" --home "$home" extract 1 1
    chain stats-1 "$cli" --home "$home" stats 1 "$3" --yes
    chain stats-2 "$cli" --home "$home" stats 1 "$4" --yes
    min=$(thousandth 1 "$3")
    chain matrix "$cli" --home "$home" matrix 1 "$3" --kind cooccurrence --min "$min" \
        -o "$work/matrix.txt"
}

echo "lumacite-cli against Python (pandas, scipy), $n records, best of $runs," \
     "$(nproc) cores, $(uptime | sed 's/.*load average/load average/')"
printf "%-8s %11s %11s %7s %15s %7s   %s\n" corpus "lumacite s" "python s" ratio \
    "python inner s" ratio "floor: plain write of the table"
for kind in pubmed wos; do
    file=$work/$kind.xml
    [ "$kind" = wos ] && file=$work/wos.txt
    "$python" "$root/bench/make_corpus.py" "$kind" "$n" "$file" || exit 3
    sync # the corpus on disk before either side reads it
    ours=""
    theirs=""
    inner=""
    for _ in $(seq "$runs"); do
        if [ "$kind" = pubmed ]; then
            lumacite PubMed "$file" 全部主题词－副主题词 作者
        else
            lumacite WOS "$file" '<引文期刊>' 作者
        fi
        ours="$ours $elapsed"
        ours_steps=$steps
        elapsed=0
        chain python "$python" "$root/bench/peer_baseline.py" "$kind" "$file"
        theirs="$theirs $elapsed"
        inner="$inner $(sed -n 's/.*total \([0-9.]*\)s.*/\1/p' "$work/python.out")"
    done
    # The floor: writing as many bytes as the value table holds, without syncing.
    bytes=$(stat -c %s "$home/1/zidian1.dbf")
    elapsed=0
    chain floor dd if=/dev/zero of="$work/floor" bs=1M count=$((bytes / 1048576)) status=none
    rm -f "$work/floor"
    floor=$elapsed
    ours=$(echo "$ours" | best)
    theirs=$(echo "$theirs" | best)
    inner=$(echo "$inner" | best)
    awk -v k="$kind" -v o="$ours" -v t="$theirs" -v i="$inner" -v f="$floor" -v b="$bytes" '
        BEGIN { printf "%-8s %11.2f %11.2f %6.2fx %15.2f %6.2fx   %.2f s for %.0f MB\n",
                       k, o, t, t / o, i, i / o, f, b / 1048576 }'
    echo "         lumacite, last run:$ours_steps"
done
[ "${COMPARE_KEEP:-0}" = 1 ] || rm -rf "$work"
