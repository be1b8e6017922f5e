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

# in_background <file> <command...>: runs a command that runs steps in a
# subshell at the lowest priority, so that it takes only the time that the
# steps in front leave over. Its output goes to <file>.log and its steps'
# results to <file>.steps; join_background takes them back.
in_background() {
  local file="$1"
  shift
  rm -f "$file.steps"
  (
    steps=() results=()
    renice -n 19 -p "$BASHPID" >/dev/null
    "$@"
    for i in "${!steps[@]}"; do printf '%s\t%s\n' "${steps[$i]}" "${results[$i]}"; done >"$file.steps"
  ) >"$file.log" 2>&1 &
  background_pid=$!
}

# join_background <file>: waits for in_background's command, prints its
# output and records its steps.
join_background() {
  local name result
  wait "$background_pid"
  cat "$1.log"
  if [ ! -f "$1.steps" ]; then
    steps+=("steps in the background")
    results+=("FAILED (ended before its summary)")
    failed=1
    return
  fi
  while IFS=$'\t' read -r name result; do
    steps+=("$name")
    results+=("$result")
    [[ "$result" = passed* ]] || failed=1
  done <"$1.steps"
}

# step_passed <name>: whether a step of that name ran and passed.
step_passed() {
  local i
  for i in "${!steps[@]}"; do
    [ "${steps[$i]}" = "$1" ] && [[ "${results[$i]}" = passed* ]] && return 0
  done
  return 1
}
