# The steps of a test script (scripts/test, scripts/test-packages): each
# step's result and time, and a summary at the end. Sourced, not run.

steps=()
results=()
failed=0

# step <name> <command...>: runs one step, records its result and time.
step() {
  local name="$1" started=$SECONDS status
  shift
  echo
  echo "== $name"
  "$@"
  status=$?
  steps+=("$name")
  if [ $status -eq 0 ]; then
    results+=("passed  $((SECONDS - started)) s")
  else
    results+=("FAILED  $((SECONDS - started)) s")
    failed=1
  fi
  return $status
}

# skipped <name> [reason]: a step that cannot run, which fails the whole.
skipped() {
  steps+=("$1")
  results+=("skipped (${2:-its build failed})")
  failed=1
}

# print_summary: every step and its result; fails when any step did.
print_summary() {
  local width=30 i
  for i in "${!steps[@]}"; do
    [ ${#steps[$i]} -ge $width ] && width=$((${#steps[$i]} + 1))
  done
  echo
  echo "== summary (${SECONDS} s in all)"
  for i in "${!steps[@]}"; do
    printf '  %-*s %s\n' $width "${steps[$i]}" "${results[$i]}"
  done
  if [ $failed -ne 0 ]; then
    echo "FAILED"
    return 1
  fi
  echo "all passed"
}
