# The steps of a command a user runs (the demo, the test command, the release,
# the clean room), sourced by each: a step that fails never fails in silence.
#
#   steps_begin NAME LOGDIR   names the command in messages; each step's output is kept
#                             in LOGDIR/<step>.log
#   step STEP COMMAND...      runs COMMAND in this shell (a function may set variables)
#                             with its output kept in the step's log only
#   step_shown STEP COMMAND...  the same, with the output on the screen as it comes
#                             (in a subshell: a program, not a function that sets variables)
#   step_seconds STEP         how long the step took, in whole seconds
# Both answer COMMAND's status. When it is not 0, standard error gets
#   NAME: step 'STEP' failed (exit N); the last lines it printed:
#     <its last 25 lines>
# so the compiler's error or Wine's message is on the user's screen, whatever
# the command did with the output of the steps that worked.

steps_begin() {
  STEPS_NAME=$1 STEPS_LOGS=$2
  declare -gA STEPS_SECONDS=()
  mkdir -p "$STEPS_LOGS"
}

steps_log() { echo "$STEPS_LOGS/${1//[^A-Za-z0-9._-]/_}.log"; }

steps_failed() {  # STEP STATUS LOG
  {
    echo "$STEPS_NAME: step '$1' failed (exit $2); the last lines it printed:"
    if [ -s "$3" ]; then tail -n 25 "$3" | sed 's/^/  /'; else echo "  (nothing)"; fi
  } >&2
}

step() {
  local name=$1 log rc=0 started=$SECONDS
  shift
  log=$(steps_log "$name")
  "$@" >"$log" 2>&1 || rc=$?
  STEPS_SECONDS[$name]=$((SECONDS - started))
  [ "$rc" -eq 0 ] || steps_failed "$name" "$rc" "$log"
  return "$rc"
}

step_shown() {
  local name=$1 log rc=0 started=$SECONDS
  shift
  log=$(steps_log "$name")
  "$@" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  STEPS_SECONDS[$name]=$((SECONDS - started))
  [ "$rc" -eq 0 ] || steps_failed "$name" "$rc" "$log"
  return "$rc"
}

step_seconds() { echo "${STEPS_SECONDS[$1]:-0}"; }
