# Shared by the budget scripts: a private scratch directory, the processes a
# round starts (all stopped at its end and when the script exits), and the
# CPU they use. Sourced, not run.

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
