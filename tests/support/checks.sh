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

# end_checks [file...]: prints the tally, and the end of each file given when a check failed;
# true when every check passed. The test's last line.
end_checks() {
  if [ "$failures" -ne 0 ]; then
    local file
    for file in "$@"; do
      echo "--- $(basename "$file")"; tail -n 30 "$file" 2>/dev/null
    done
  fi
  echo "$((checks - failures)) passed, $failures failed"
  [ "$failures" -eq 0 ]
}
