#!/usr/bin/env bash
# The package installer against fake dpkg-query, apt-cache, apt-get, id and sudo that
# record their arguments, on a PATH holding nothing else: it cannot pass because the
# machine running it happens to have every package.
#   InstallDepsTest.sh REPO
set -uo pipefail
repo=$(cd "${1:?repo}" && pwd)
script=$repo/scripts/install-deps.sh
failures=0
mapfile -t all < <(bash "$script" --list)
[ ${#all[@]} -gt 10 ] || { echo "FAIL: --list printed ${#all[@]} names"; exit 1; }

fail() { echo "FAIL [$case_name]: $*"; failures=$((failures + 1)); }

# A world: STATE lines "package status" for what dpkg knows; flags as files.
make_world() {
  w=$(mktemp -d)
  mkdir -p "$w/bin"
  for tool in bash env sed tr grep head cat sort make dirname rm; do
    ln -s "$(command -v "$tool")" "$w/bin/$tool"
  done
  cat >"$w/bin/dpkg-query" <<EOF
#!/bin/bash
echo "dpkg-query \$*" >>"$w/calls"
unknown=0
for p in "\$@"; do
  case "\$p" in -*) continue ;; esac
  line=\$(grep -m1 "^\$p " "$w/state")
  if [ -n "\$line" ]; then printf '%s|%s\n' "\${line#* }" "\$p"; else echo "dpkg-query: no packages found matching \$p" >&2; unknown=1; fi
done
exit \$unknown
EOF
  cat >"$w/bin/apt-cache" <<EOF
#!/bin/bash
echo "apt-cache \$*" >>"$w/calls"
[ -e "$w/stale-index" ] && exit 100
exit 0
EOF
  cat >"$w/bin/apt-get" <<EOF
#!/bin/bash
echo "apt-get \$*" >>"$w/calls"
case " \$* " in
  *" update "*) [ -e "$w/update-fails" ] && exit 100; rm -f "$w/stale-index"; exit 0 ;;
  *" install "*) [ -e "$w/stale-index" ] || [ -e "$w/install-fails" ] && exit 100; exit 0 ;;
esac
EOF
  cat >"$w/bin/id" <<EOF
#!/bin/bash
cat "$w/uid"
EOF
  echo 0 >"$w/uid"
  : >"$w/state"
  : >"$w/calls"
  chmod +x "$w/bin"/*
}

add_sudo() { # $1: "works" or "denied"
  cat >"$w/bin/sudo" <<EOF
#!/bin/bash
echo "sudo \$*" >>"$w/calls"
[ "$1" = works ] || exit 1
[ "\$1" = -n ] && shift
"\$@"
EOF
  chmod +x "$w/bin/sudo"
}

run() {
  out=$(cd "$w" && PATH="$w/bin" bash "$script" 2>"$w/stderr" </dev/null)
  status=$?
  err=$(cat "$w/stderr")
}

installs() { grep -E '^apt-get .*install ' "$w/calls" | head -n 1; }

expect_install_of() { # the exact package list in one apt-get install
  local want="$*" got
  got=$(installs | sed 's/.*--no-install-recommends //')
  [ "$got" = "$want" ] || fail "installed '$got', expected '$want'"
  [ "$(grep -c -E 'apt-get .*install ' "$w/calls")" = 1 ] || fail "more than one install call"
}

# Every package known and installed, but for the three given with their states.
state_all_installed_except() {
  for p in "${all[@]}"; do echo "$p install ok installed"; done >"$w/state"
  while [ $# -gt 0 ]; do
    sed -i "/^$1 /d" "$w/state"
    [ "$2" = unknown ] || echo "$1 $2" >>"$w/state"
    shift 2
  done
}

# --- a fresh machine: dpkg has never heard of anything
case_name="fresh machine as root"
make_world
run
[ $status = 0 ] || fail "status $status: $err"
expect_install_of "${all[*]}"
grep -q '^apt-get update' "$w/calls" && fail "updated an index that knew every name"

# --- unknown, half-installed, config-files, installed: only the first three install
case_name="mixed states"
make_world
state_all_installed_except cmake unknown qt6-base-dev "install ok half-installed" xvfb "deinstall ok config-files"
run
[ $status = 0 ] || fail "status $status: $err"
expect_install_of cmake qt6-base-dev xvfb
echo "$err" | grep -q 'installing missing packages: cmake qt6-base-dev xvfb' || fail "no notice: $err"

# --- everything present: one dpkg-query, nothing printed, nothing installed
case_name="all installed"
make_world
state_all_installed_except
run
[ $status = 0 ] && [ -z "$out$err" ] || fail "status $status, output '$out$err'"
[ "$(cat "$w/calls" | cut -d' ' -f1 | sort -u)" = dpkg-query ] || fail "calls: $(cat "$w/calls")"

# --- a stale index: refreshed once, then one install
case_name="stale index"
make_world
state_all_installed_except libutf8proc-dev unknown
touch "$w/stale-index"
run
[ $status = 0 ] || fail "status $status: $err"
[ "$(grep -c '^apt-get .*update' "$w/calls")" = 1 ] || fail "update calls: $(cat "$w/calls")"
expect_install_of libutf8proc-dev

# --- update fails: one line naming what failed and the command that fixes it
case_name="update fails"
make_world
state_all_installed_except libutf8proc-dev unknown
touch "$w/stale-index" "$w/update-fails"
run
[ $status = 1 ] || fail "status $status"
[ "$(echo "$err" | grep -c 'apt-get update failed')" = 1 ] || fail "stderr: $err"
echo "$err" | grep -q 'run: sudo apt-get update && sudo apt-get install -y --no-install-recommends libutf8proc-dev$' ||
  fail "no fix command: $err"

# --- install fails
case_name="install fails"
make_world
state_all_installed_except cmake unknown
touch "$w/install-fails"
run
[ $status = 1 ] || fail "status $status"
echo "$err" | grep -q 'apt-get install failed; run: sudo apt-get update && sudo apt-get install -y --no-install-recommends cmake$' ||
  fail "stderr: $err"

# --- non-root without sudo: the exact command, status 1, nothing attempted
case_name="non-root, no sudo"
make_world
state_all_installed_except cmake unknown xvfb "install ok half-installed"
echo 1000 >"$w/uid"
run
[ $status = 1 ] || fail "status $status"
echo "$err" | grep -q 'cannot install packages without root; run: sudo apt-get install -y cmake xvfb$' || fail "stderr: $err"
grep -q -E '^(apt-get|sudo)' "$w/calls" && fail "tried to install: $(cat "$w/calls")"

# --- non-root whose sudo refuses without a password and no terminal to ask on
case_name="non-root, sudo needs a password"
make_world
state_all_installed_except cmake unknown
echo 1000 >"$w/uid"
add_sudo denied
run
[ $status = 1 ] || fail "status $status"
echo "$err" | grep -q 'sudo apt-get install -y cmake$' || fail "stderr: $err"
grep -q '^apt-get' "$w/calls" && fail "ran apt-get: $(cat "$w/calls")"

# --- non-root with sudo: installs through it
case_name="non-root with sudo"
make_world
state_all_installed_except cmake unknown
echo 1000 >"$w/uid"
add_sudo works
run
[ $status = 0 ] || fail "status $status: $err"
grep -q '^sudo apt-get install -y -q --no-install-recommends cmake$' "$w/calls" || fail "calls: $(cat "$w/calls")"

# --- make stops at deps with the line visible
case_name="make stops"
make_world
echo 1000 >"$w/uid"
out=$(cd "$repo" && PATH="$w/bin" make deps 2>&1 </dev/null)
status=$?
[ $status != 0 ] || fail "make succeeded"
echo "$out" | grep -q 'run: sudo apt-get install -y ' || fail "make output: $out"

if [ $failures -gt 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "installer: all cases passed"
