#!/bin/sh
# Runs a program under openbox on the X server that DISPLAY names: openbox is up before the
# program starts (it runs its startup command once it manages windows) and ends after it.
folder=$(mktemp -d) || exit 1
mkfifo "$folder/up" || exit 1
openbox --startup "sh -c 'echo up > $folder/up'" >/dev/null 2>&1 &
manager=$!
if ! timeout 10 sh -c "read line < '$folder/up'"; then
    echo "openbox did not start" >&2
    kill "$manager" 2>/dev/null
    rm -rf "$folder"
    exit 1
fi
"$@"
status=$?
kill "$manager" 2>/dev/null
wait "$manager" 2>/dev/null
rm -rf "$folder"
exit $status
