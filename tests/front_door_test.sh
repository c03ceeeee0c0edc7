#!/usr/bin/env bash
# make build on a system without dpkg and apt-get: it builds when all is
# there, and otherwise names what is missing and fails.
# Usage: front_door_test.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# Every command on PATH but Debian's package tools, and one chosen to go missing.
no_debian_path() { # the command to leave out, if any
  local bin=$work/bin-${1:-all} folder file
  mkdir -p "$bin"
  for folder in ${PATH//:/ }; do
    for file in "$folder"/*; do
      [ -e "$file" ] || continue
      case ${file##*/} in dpkg* | apt* | "${1:-}") continue ;; esac
      [ -e "$bin/${file##*/}" ] || ln -s "$file" "$bin/${file##*/}"
    done
  done
  echo "$bin"
}

# name | command left out | pkg-config's search path, if not the system's | status | messages
rows=(
  "all there: it builds|||0|*"
  "no cmake: named|cmake||2|*Missing: cmake*"
  "no SDL module: named||$work/empty|2|*Missing: sdl.pc*"
)
for row in "${rows[@]}"; do
  IFS='|' read -r name left_out pc_path want_status pattern <<<"$row"
  status=0
  env PATH="$(no_debian_path "$left_out")" ${pc_path:+PKG_CONFIG_LIBDIR="$pc_path"} \
    make -C "$source_dir" --no-print-directory build APP_BUILD="$work/build" >"$work/out" 2>&1 ||
    status=$?
  problems=()
  [ "$status" -eq "$want_status" ] || problems+=("status $status, want $want_status")
  # shellcheck disable=SC2053
  [[ $(cat "$work/out") == $pattern ]] || problems+=("messages don't match '$pattern'")
  ! grep -q apt-get "$work/out" || problems+=("mentions apt-get")
  if [ "$want_status" -eq 0 ] && [ ! -x "$work/build/fieldline" ]; then problems+=("no program"); fi
  if [ "${#problems[@]}" -eq 0 ]; then echo "ok: $name"; else
    echo "FAIL: $name: ${problems[*]}"
    tail -5 "$work/out"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
