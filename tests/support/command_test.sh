# What the tests that run a command as a person would share; sourced.

fail() {
  echo "FAILED: $*"
  exit 1
}

# run STATUS ARGS...: runs the command, checks its exit status, keeps its
# output in out.txt and err.txt of the current folder.
run() {
  local want=$1 got=0
  shift
  "$@" >out.txt 2>err.txt || got=$?
  [ "$got" = "$want" ] || fail "$* exited $got, not $want; stderr: $(cat err.txt)"
}
