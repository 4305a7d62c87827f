#!/usr/bin/env bash
# Runs a walkthrough of an example game exactly as the command in its header says,
# twice, from a copy of the examples folder laid out as the source tree is:
# both runs pass (the second finds no result file of the first), and the
# examples folder is left as it was.
set -euo pipefail
driver=$1
root=$2
script=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build/tools/playtest" "$work/examples"
ln -s "$driver" "$work/build/tools/playtest/taleplay-playtest"
cp -r "$root/examples/"data_* "$root/examples/$script" "$work/examples/"
command=$(sed -n 's|^#   \(build/tools/playtest/taleplay-playtest .*\)$|\1|p' "$work/examples/$script" | head -n 1)
[ -n "$command" ] || { echo "no command in the header of $script"; exit 1; }
echo "$command"
cd "$work"
before=$(find examples | sort)
for run in 1 2; do
  out=$(eval "$command") || { echo "$out"; exit 1; }
  echo "$out" | tail -n 1 | grep -qE '^[1-9][0-9]* passed, 0 failed$' || { echo "$out"; exit 1; }
done
after=$(find examples | sort)
if [ "$before" != "$after" ]; then
  echo "left in examples/:"
  comm -13 <(echo "$before") <(echo "$after")
  exit 1
fi
echo "$script runs as its header says, and leaves nothing behind"
