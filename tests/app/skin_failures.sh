#!/bin/sh
# The program beside a broken skin.zip, or one packed with another password, ends
# with status 1 and says why; it never crashes or opens a window without its skin.
# usage: skin_failures.sh VELMORA VELMORA_SKIN_PACK SKIN_FOLDER
set -u
velmora=$1 pack=$2 skin=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cp "$velmora" "$dir/velmora"

expect_failure() {  # expected text in the message
  out=$("$dir/velmora" --screenshot "$dir/shot.png" 2>&1)
  rc=$?
  echo "$out"
  if [ $rc -ne 1 ] || ! echo "$out" | grep -q "$1" || [ -e "$dir/shot.png" ]; then
    echo "expected status 1 and \"$1\", got status $rc" >&2
    exit 1
  fi
}

expect_failure "cannot open the skin archive $dir/skin.zip"
echo "not a zip archive" > "$dir/skin.zip"
expect_failure "Not a zip archive"
"$pack" "$skin" "$dir/skin.zip" abcdefg
expect_failure "wrong password"
exit 0
