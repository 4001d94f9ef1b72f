# Sourced by test scripts: a scratch folder in $WORK and a list of background
# processes in PIDS, both cleared when the script ends however it ends.
#   . scripts/scratch.bash NAME    (WORK = a new folder corvane-NAME-XXXXXX)
WORK="$(mktemp -d "${TMPDIR:-/tmp}/corvane-${1:-test}-XXXXXX")"
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT
