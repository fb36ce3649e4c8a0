#!/usr/bin/env bash
# Kills a stream of parameter commits with SIGKILL at random moments and checks that
# every commit the page reported as done is in the audit trail and that the chain is
# whole. All runs share one project, so each run also reopens a trail left by a kill.
#
#   bench/audit_kill9.sh [bin folder (build/default/bin)] [runs (200)]
set -u
bin=${1:-build/default/bin}
runs=${2:-200}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=offscreen
start=$(date +%s)
for run in $(seq "$runs"); do
  "$bin/audit_commit_stream" "$work/station.xml" >"$work/out.$run" 2>"$work/err.$run" &
  pid=$!
  # 50 to 800 ms: some kills land while the page starts, most inside the commit loop.
  sleep "$(printf '0.%03d' $((50 + RANDOM % 750)))"
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
done
echo "audit_kill9: $runs kills in $(( $(date +%s) - start )) s"
"$bin/audit_commit_stream" --verify "$work/station.xml" "$work"/out.*
