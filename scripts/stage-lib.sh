# Shell helpers shared by the test stages (sourced, not run).

# Waits until a command succeeds, at most $1 seconds.
waitFor() {
  local limit=$1
  shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ "$SECONDS" -lt "$end" ] || return 1
    sleep 0.2
  done
}
