#!/usr/bin/env bash
# The manual pages, and the scenario format that kv410-script's manual page calls the format in
# full (docs/scenario-format.md, installed with the package), name every option and command of the three programs
# and every step, check, key, sensor and LED name that kv410-script reads, as the code spells
# them.
# Usage: manuals-cover-commands.sh SOURCE_DIR
set -euo pipefail
root="$1"
failed=0

# The words of a manual page, lower case, one a line: troff escapes for dashes and fonts out.
words() {
    sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(dq/"/g' "$1" |
        tr 'A-Z' 'a-z' | tr -c 'a-z0-9+*/_-' '\n' | sort -u
}

# Every name the sources compare an argument or a script word with.
names() {
    grep -ohE '(== |takeIf\()"[^"]+"' "$@" | sed -E 's/^(== |takeIf\()"(.*)"$/\2/'
}

# The names of the script's keys, sensors and LEDs.
tableNames() {
    sed -n '/KeyNames\[\] = {/,/^};/p;/SensorNames\[/,/;/p;/LedNames\[/,/;/p' "$1" |
        grep -oE '\{?"[^"]+"' | tr -d '{"'
}

check() {
    local page="$1"
    shift
    local known
    known="$(words "$root/$page")"
    for name in "$@"; do
        # A dash alone, and ".." (a path that climbs out of a folder) are no names to document.
        case "$name" in -|--|..) continue ;; esac
        if ! grep -qxF -- "$(tr 'A-Z' 'a-z' <<<"$name")" <<<"$known"; then
            echo "FAIL: $page does not name '$name'" >&2
            failed=1
        fi
    done
}

mapfile -t scriptNames < <(names "$root/scripttool/CommandLine.cpp" "$root/scenario/Script.cpp"
                           tableNames "$root/scenario/Script.cpp")
check packaging/man/kv410-script.1.in "${scriptNames[@]}"
check docs/scenario-format.md "${scriptNames[@]}"
mapfile -t windowNames < <(names "$root/window/StartOptions.cpp")
check packaging/man/kv410.1.in "${windowNames[@]}"
mapfile -t flashNames < <(names "$root/flashtool/FlashTool.cpp")
check packaging/man/kv410-flash.1.in "${flashNames[@]}"
echo "$(( ${#scriptNames[@]} + ${#windowNames[@]} + ${#flashNames[@]} )) names looked for"
exit $failed
