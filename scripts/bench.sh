#!/usr/bin/env bash
# Builds the benchmarks and runs them, then prints one table: row, what, ours, limit, ratio, goal,
# verdict. Each benchmark measures the program and its limit side by side in the same run.
#
#   scripts/bench.sh [--quick] [build-dir]
#
# build-dir defaults to build-bench (configured as Release when new). --quick runs every
# benchmark once at its smallest size, as CI does, so they cannot rot; its figures mean nothing.
# The start-up rows need xvfb-run; the browser row installs Debian's chromium when missing (full
# runs only) and is skipped with a note when it cannot. The back-end row runs in a throw-away
# PostgreSQL cluster (scripts/with-postgresql.sh) and fails when PostgreSQL cannot start.
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
if [ "${1:-}" = --quick ]; then
  quick=1
  shift
fi
build=${1:-build-bench}

configure=(-S . -B "$build" -G Ninja)
[ -f "$build/CMakeCache.txt" ] || configure+=(-DCMAKE_BUILD_TYPE=Release)
cmake "${configure[@]}" >/dev/null
cmake --build "$build" --target benchmarks quorelapi quorelapi-server -j2

logs=$build/bench-logs
mkdir -p "$logs"
rows=$logs/rows.txt
: >"$rows"
status=0

# run NAME COMMAND...: runs one benchmark program, keeps its output, collects its ROW lines.
run() {
  local name=$1
  shift
  echo "== $name" >&2
  if "$@" >"$logs/$name.log" 2>&1; then
    grep -o 'ROW|.*' "$logs/$name.log" >>"$rows" || true
  else
    echo "   $name failed, see $logs/$name.log" >&2
    tail -n 20 "$logs/$name.log" >&2
    status=1
  fi
}

# Repetitions of the program and of its limit alternate in random order, so a change in the
# machine's load meets both sides alike.
gbench=(--benchmark_color=false --benchmark_enable_random_interleaving=true)
if [ $quick = 1 ]; then
  export QUOREL_BENCH_QUICK=1
  gbench=(--benchmark_color=false --benchmark_min_time=0)
fi
export QT_QPA_PLATFORM=offscreen

run fields "$build/bench/fields/bench_fields" "${gbench[@]}"

# Row 3 comes from the table conversion benchmark: medians of its CPU times.
run convert "$build/bench/convert/bench_convert" "${gbench[@]}"
if [ -f "$logs/convert.log" ]; then
  # Its reporter prints in colour whatever the flags say: drop the escapes before reading.
  sed 's/\x1b\[[0-9;]*m//g' "$logs/convert.log" | awk -v quick=$quick '
    $1 ~ /^BM_ParseJson.*_median$/ { parse = $4 }
    $1 ~ /^BM_LoadTableFromArray.*_median$/ { load = $4 }
    $1 ~ /^BM_ParseWideObject\/2000\/.*_median$/ { wide1 = $4 }
    $1 ~ /^BM_ParseWideObject\/20000\/.*_median$/ { wide10 = $4 }
    END {
      if (wide1 > 0) {
        ratio = wide10 / wide1
        verdict = quick ? "QUICK" : (ratio <= 15 ? "PASS" : "FAIL")
        printf "ROW|3w|ParseJson of one object of 20,000 members vs of 2,000 (linear: 10x)|%.2f ms|%.2f ms|%.1fx|<= 15x|%s\n", wide10, wide1, ratio, verdict
      }
      if (parse > 0) {
        ratio = load / parse
        verdict = quick ? "QUICK" : (ratio <= 0.5 ? "PASS" : "FAIL")
        printf "ROW|3|LoadTableFromArray of 10,000 objects x 8 members vs ParseJson of the text|%.1f ms|%.1f ms|%.2fx|<= 0.50x|%s\n", load, parse, ratio, verdict
      }
    }' >>"$rows"
fi

# The column panel benchmark has no row of its own; CI runs it so it keeps building and running.
if [ $quick = 1 ]; then
  run widgets "$build/bench/widgets/bench_widgets" "${gbench[@]}" '--benchmark_filter=/100$'
fi

run rest "$build/bench/rest/bench_rest" "${gbench[@]}"

# Row 9: one keystroke in the side bar's menu filter, 1,000 and 5,000 entries, against a QListView.
run linklist "$build/bench/widgets/bench_linklist"

# Start-up and browser memory on a virtual X display.
if [ -x "$build/bench/app/bench_startup" ] && command -v xvfb-run >/dev/null; then
  chromium=()
  if [ $quick = 0 ]; then
    if ! command -v chromium >/dev/null && [ "$(id -u)" = 0 ]; then
      echo "== installing chromium for row 6b" >&2
      apt-get install -y -qq chromium >"$logs/chromium-install.log" 2>&1 || true
    fi
    if command -v chromium >/dev/null; then
      chromium=(--chromium="$(command -v chromium)")
    fi
  fi
  run startup env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1920x1080x24" \
    "$build/bench/app/bench_startup" "${chromium[@]}"
else
  echo "ROW|6|start to main window shown|-|-|-|<= 1.10x|SKIP (needs xvfb-run and libxcb)" >>"$rows"
fi

run screens "$build/bench/app/bench_screens"

# Rows 10 and 11: the detail-list editor with lists of 10,000 rows.
run detaillist "$build/bench/screens/bench_detail_list"

# Row 12: the back-end under 8 clients on a SQLite file, on PostgreSQL, and as two processes on one
# PostgreSQL database, in a throw-away cluster; without PostgreSQL the row fails.
run server scripts/with-postgresql.sh "$build/bench/server/bench_server"

echo
awk -F'|' '
  BEGIN { printf "%-4s %-86s %16s %16s %10s %16s  %s\n", "row", "what", "ours", "limit", "ratio", "goal", "verdict" }
  { printf "%-4s %-86s %16s %16s %10s %16s  %s\n", $2, $3, $4, $5, $6, $7, $8 }
' "$rows"
echo "(logs and full benchmark output: $logs)"
exit $status
