# Helpers of the tests that start the installed program; sourced, not run.

# catches_term <pid>: whether the process catches SIGTERM yet. The program takes SIGTERM as a
# close request once its window exists; until then the signal would kill it.
catches_term() {
  local mask
  mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) || return 1
  [ -n "$mask" ] && (((16#$mask >> 14) & 1))
}

# wait_until_catching_term <pid>: waits (up to 30 s) until it does, or until the process ends.
wait_until_catching_term() {
  for _ in $(seq 300); do
    catches_term "$1" && return 0
    kill -0 "$1" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# make_package <build folder> <output folder>: builds the Debian package from the build tree's
# own binary and prints the package's path.
make_package() {
  cpack --config "$1/CPackConfig.cmake" -B "$2" >"$2.log" 2>&1 || {
    cat "$2.log" >&2
    return 1
  }
  local debs=("$2"/quorvane_*.deb)
  [ -f "${debs[0]}" ] || { echo "no package in $2" >&2; return 1; }
  echo "${debs[0]}"
}
