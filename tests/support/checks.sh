# Sourced by the shell tests: check <what> <condition> evaluates the condition, prints "ok: <what>"
# or "FAILED: <what>" and counts both, so the test can end with its tally.
checks=0
failures=0
check() {
  checks=$((checks + 1))
  if eval "$2"; then
    echo "ok: $1"
  else
    echo "FAILED: $1"
    failures=$((failures + 1))
  fi
}
