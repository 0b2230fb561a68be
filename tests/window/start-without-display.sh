#!/usr/bin/env bash
# kv410 started without a display, or with one that cannot be reached: one clear line on
# standard error and exit status 1; --help and --version work without any display.
# Usage: start-without-display.sh path/to/kv410 VERSION
set -uo pipefail
kv410="$1"
version="$2"
failed=0
check() {
    if ! eval "$2"; then
        echo "FAIL: $1" >&2
        failed=1
    fi
}
nodisplay=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)

out="$("${nodisplay[@]}" "$kv410" --version 2>&1)"; status=$?
check "--version without a display" '[ $status -eq 0 ] && [ "$out" = "kv410 $version" ]'
out="$("${nodisplay[@]}" "$kv410" --help 2>&1)"; status=$?
check "--help without a display" '[ $status -eq 0 ] && [[ "$out" == usage:* ]]'

for display in unset :417; do
    if [ "$display" = unset ]; then
        out="$("${nodisplay[@]}" "$kv410" 2>&1)"; status=$?
    else
        out="$("${nodisplay[@]}" DISPLAY="$display" "$kv410" 2>&1)"; status=$?
    fi
    check "no display ($display): status 1, got $status" '[ $status -eq 1 ]'
    check "no display ($display): one line, got: $out" '[ "$(printf "%s\n" "$out" | wc -l)" -eq 1 ]'
    check "no display ($display): names kv410-script, got: $out" '[[ "$out" == *kv410-script* ]]'
done

out="$("$kv410" --flash 2>&1)"; status=$?
check "--flash without a file: status 2, got $status" '[ $status -eq 2 ]'
exit $failed
