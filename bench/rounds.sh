# Shared by the budget scripts: a private scratch directory, the processes a
# round starts (all stopped at its end and when the script exits), the CPU
# and memory they use, and the summary over the rounds. Sourced, not run.
#
# A shared machine's speed drifts by several times within minutes, and a
# process can stay fast or slow for its whole life, so every subject of a
# round is started afresh and measured at the same time as the others, the
# ratios are taken within each round, and the figures are medians over the
# rounds.

work=$(mktemp -d)
chmod 700 "$work"
pids=()
stop_all() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  pids=()
}
trap 'stop_all; rm -rf "$work"' EXIT

# Nanoseconds of CPU a process has used, all its threads together.
cpu_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ s += $1 } END { printf "%d", s }'; }
peak_rss_mb() { awk '/VmHWM/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
rss_mb() { awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# Each thread of a process: its id, its name (spaces made underscores), the
# nanoseconds of CPU it used and how many times it was put on a CPU (about
# its wake-ups).
thread_stats() {
  local task
  for task in /proc/"$1"/task/*; do
    printf '%s %s %s\n' "${task##*/}" "$(tr ' ' _ <"$task/comm")" "$(cat "$task/schedstat")"
  done 2>/dev/null
}

# A busy loop beside the subjects, as a build or a browser on a desktop; it
# ends with the round.
start_load() {
  bash -c 'while :; do :; done' &
  pids+=("$!")
}

# measure ROUND SECONDS SUBJECT...: each subject's program and its display
# server (the global maps `program` and `server` give their process ids)
# over SECONDS of wall time. Appends to $work/rounds one line a subject:
#   ROUND SUBJECT PROGRAM_NS SERVER_NS PEAK_RSS_MB SETTLED_RSS_MB
# and to $work/threads one line for each thread of each program:
#   ROUND SUBJECT THREAD NS RUNS
measure() {
  local round=$1 seconds=$2 s
  shift 2
  declare -A p0=() s0=()
  for s in "$@"; do
    p0[$s]=$(cpu_ns "${program[$s]}")
    s0[$s]=$(cpu_ns "${server[$s]}")
    thread_stats "${program[$s]}" >"$work/threads-$s"
  done
  sleep "$seconds"
  for s in "$@"; do
    echo "$round $s $(($(cpu_ns "${program[$s]}") - p0[$s])) $(($(cpu_ns "${server[$s]}") - s0[$s]))" \
      "$(peak_rss_mb "${program[$s]}") $(rss_mb "${program[$s]}")" >>"$work/rounds"
    # Threads started during the round count from nothing; several threads
    # of one name are told apart by a number, in the order of their ids.
    thread_stats "${program[$s]}" | awk -v round="$round" -v subject="$s" '
      NR == FNR { ns[$1] = $3; runs[$1] = $5; next }
      { name = $2 (++seen[$2] > 1 ? "#" seen[$2] : "")
        print round, subject, name, $3 - ns[$1], $5 - runs[$1] }' "$work/threads-$s" - >>"$work/threads"
  done
}

# The awk functions of both summaries.
summary_functions='
  function pct(ns) { return ns / seconds / 1e7 }
  function median(a, n,   i, j, t) {
    for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
    return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
  }
  # The median of the n values v[key, 1..n], and each of them in turn.
  function spread(v, key, n, format,   i, a, line) {
    line = ""
    for (i = 1; i <= n; i++) { a[i] = v[key, i]; line = line sprintf(" " format, a[i]) }
    return sprintf(format "  (rounds:%s)", median(a, n), line)
  }'

# report SECONDS SERVER PAIR...: from $work/rounds, the median over the
# rounds of each subject's CPU (its program, its display server, called
# SERVER, and both together) and memory, then for each pair A/B the ratio
# of A to B in every round that ran both, for both together, the programs
# alone and the servers alone.
report() {
  local seconds=$1 server_name=$2
  shift 2
  awk -v seconds="$seconds" -v server_name="$server_name" -v pairs="$*" "$summary_functions"'
    !($2 in count) { order[++subjects] = $2 }
    {
      k = ++count[$2]
      prog[$2, k] = pct($3); srv[$2, k] = pct($4); both[$2, k] = prog[$2, k] + srv[$2, k]
      if ($5 > peak[$2]) peak[$2] = $5
      if ($6 > settled[$2]) settled[$2] = $6
      round[$2, $1] = k
    }
    END {
      printf "%-18s %9s %9s %9s   %s\n", "", "program", server_name, "together", "RSS peak, settled"
      for (o = 1; o <= subjects; o++) {
        s = order[o]; n = count[s]
        for (i = 1; i <= n; i++) { a[i] = prog[s, i]; b[i] = srv[s, i]; c[i] = both[s, i] }
        printf "%-18s %8.3f%% %8.3f%% %8.3f%%   %s MB, %s MB\n", s, median(a, n), median(b, n), median(c, n), peak[s], settled[s]
      }
      np = split(pairs, pair, " ")
      for (p = 1; p <= np; p++) {
        split(pair[p], ab, "/"); n = 0
        for (key in round) {
          split(key, sr, SUBSEP)
          if (sr[1] != ab[1] || !((ab[2], sr[2]) in round)) continue
          i = round[key]; j = round[ab[2], sr[2]]; n++
          r[1, n] = both[ab[1], i] / both[ab[2], j]
          r[2, n] = prog[ab[1], i] / prog[ab[2], j]
          r[3, n] = srv[ab[2], j] > 0 ? srv[ab[1], i] / srv[ab[2], j] : 0
          at[n] = sr[2]
        }
        if (!n) continue
        # In the order of the rounds.
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (at[j] < at[i]) {
          t = at[i]; at[i] = at[j]; at[j] = t
          for (m = 1; m <= 3; m++) { t = r[m, i]; r[m, i] = r[m, j]; r[m, j] = t }
        }
        printf "%s, within each round, median:\n", pair[p]
        printf "  together %s\n", spread(r, 1, n, "%.2f")
        printf "  program  %s\n", spread(r, 2, n, "%.2f")
        # A floor that draws nothing leaves its server idle.
        for (i = 1; i <= n && r[3, i] > 0; i++) ;
        if (i > n) printf "  %-8s %s\n", server_name, spread(r, 3, n, "%.2f")
      }
    }' "$work/rounds"
}

# report_threads SECONDS SUBJECT...: from $work/threads, each thread of
# those subjects' programs that used any CPU: the median share of a core
# over the rounds with every round, and the median wake-ups a second.
report_threads() {
  local seconds=$1
  shift
  awk -v seconds="$seconds" -v wanted=" $* " "$summary_functions"'
    index(wanted, " " $2 " ") {
      key = $2 " " $3
      if (!(key in count)) order[++threads] = key
      k = ++count[key]; cpu[key, k] = pct($4); runs[key, k] = $5 / seconds
    }
    END {
      for (o = 1; o <= threads; o++) {
        key = order[o]; n = count[key]; used = 0
        for (i = 1; i <= n; i++) { a[i] = runs[key, i]; used += cpu[key, i] }
        if (used < 0.001 * n) continue
        printf "  %-30s %s, %.0f wake-ups/s\n", key, spread(cpu, key, n, "%.3f%%"), median(a, n)
      }
    }' "$work/threads"
}
