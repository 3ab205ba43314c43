#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# desktop_entry.sh ROOT: the desktop entry of a package unpacked into ROOT, used as a desktop menu
# uses it, under X with a window manager (x_session.sh). The entry asks for startup notification,
# and its actions start the five modes by keyword. On a desktop whose numbers have a decimal comma
# (LANG=de_DE.UTF-8, and again LC_ALL=de_DE.UTF-8) its command must open the window, whose class is
# the entry's StartupWMClass, and a conversion started there must hand the converter "." numbers.
root=$1
source "$(dirname "$0")/../desktop/x_session.sh"
entry=$root/usr/share/applications/org.brenvik.Brenvik.desktop
[ -f "$entry" ] || fail "no desktop entry $entry"

# The value of KEY in the entry's group GROUP.
value() {
    awk -v group="[$1]" -v key="$2" '
        /^\[/ { inside = ($0 == group) }
        inside && index($0, key "=") == 1 { print substr($0, length(key) + 2); exit }' "$entry"
}
[ "$(value 'Desktop Entry' StartupNotify)" = true ] || fail "the entry does not say StartupNotify=true"
wmclass=$(value 'Desktop Entry' StartupWMClass)
[ -n "$wmclass" ] || fail "the entry names no StartupWMClass"
command=$(value 'Desktop Entry' Exec)
launcher=${command%% *}
[[ $command == "$launcher" && $launcher == /* && -x $root$launcher ]] \
    || fail "the entry's command \"$command\" is no program of the package started without arguments"

# Each action runs the same command with one keyword; together they name all five.
keywords=()
IFS=';' read -ra actions <<<"$(value 'Desktop Entry' Actions)"
for action in "${actions[@]}"; do
    [ -n "$(value "Desktop Action $action" Name)" ] || fail "the action $action has no name"
    run=$(value "Desktop Action $action" Exec)
    [[ $run == "$launcher "* ]] || fail "the action $action runs \"$run\", not $launcher"
    keywords+=("${run#"$launcher "}")
done
[ "$(printf '%s\n' "${keywords[@]}" | sort | paste -sd' ')" = "BKTOTIM TIMTOWAV VELMTOTIM VELMTOWAV WAVTOTIM" ] \
    || fail "the actions start ${keywords[*]}, not each of the five modes once"
wavtotim=
for action in "${actions[@]}"; do
    [ "$(value "Desktop Action $action" Exec)" != "$launcher WAVTOTIM" ] || wavtotim=$action
done

# A German locale, made here: the test needs no locale installed, nor root.
command -v localedef >/dev/null || fail "localedef is not installed"
[ -e /usr/share/i18n/locales/de_DE ] || fail "the locale sources are missing (./dev test installs \"locales\")"
mkdir -p "$work/locales"
localedef -i de_DE -f UTF-8 "$work/locales/de_DE.UTF-8" >"$work/localedef.log" 2>&1 \
    || fail "localedef: $(cat "$work/localedef.log")"
[ "$(LOCPATH=$work/locales LC_ALL=de_DE.UTF-8 locale decimal_point)" = , ] || fail "de_DE.UTF-8 was not made"

# A stereo .WAV header (the source must exist), the .TIM files the converter would write.
printf 'RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x02\0\x44\xac\0\0\x10\xb1\x02\0\x04\0\x10\0data\0\0\0\0' \
    >"$work/hall.WAV"

# Runs the action's command the way the session $1 ("LANG" or "LC_ALL") would, with the German
# locale there; the window must come, with its class, and a conversion from 94.5 dB.
start_from_entry() {
    local session=$1 pid window class record=$work/record-$1
    env -i HOME="$work" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" LOCPATH="$work/locales" \
        "$session=de_DE.UTF-8" BRENVIK_NO_CONVERTER_WINDOW=1 BRENVIK_CONVERTER_RECORD="$record" \
        ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
        "$root$launcher" WAVTOTIM >"$work/brenvik-$session.log" 2>&1 &
    pid=$!
    pids+=("$pid")
    window=$(timeout 10 xdotool search --sync --all --onlyvisible --pid "$pid" --name '^Brenvik 2\.5$' | head -n1) || true
    if [ -z "$window" ]; then
        local shown
        shown=$(for w in $(xdotool search --onlyvisible --pid "$pid"); do xdotool getwindowname "$w"; done | paste -sd,)
        fail "$session=de_DE.UTF-8: the action $wavtotim opened no converter window (shown: $shown)"
    fi
    class=$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = ".*", "\(.*\)"$/\1/p')
    [ "$class" = "$wmclass" ] || fail "the window's class is \"$class\", the entry's StartupWMClass \"$wmclass\""

    # Focus starts on the mode button; Tab passes "OK - Convert!" and "Exit" to the .WAV name, then
    # its "Browse...", the level, the left .TIM name, its "Browse..." and the right one.
    xdotool windowactivate --sync "$window"
    xdotool key --delay 50 Tab Tab Tab type --delay 20 "$work/hall.WAV"
    xdotool key --delay 50 Tab Tab type --delay 20 "94.5"
    xdotool key --delay 50 Tab type --delay 20 "$work/left.TIM"
    xdotool key --delay 50 Tab Tab type --delay 20 "$work/right.TIM"
    xdotool mousemove --window "$window" 66 352 click 1  # "OK - Convert!"
    until_true test -s "$record" || fail "$session=de_DE.UTF-8: no converter was started: $(cat "$work/brenvik-$session.log")"
    local expected="\"args\": [\"$work/hall.WAV\", \"$work/left.TIM\", \"$work/right.TIM\", \"94.5\", \"1\"]}"
    [[ $(cat "$record") == '{"program": "keldt", '*"$expected" ]] \
        || fail "$session=de_DE.UTF-8: the converter was asked: $(cat "$record")"
    kill "$pid"
    wait "$pid" 2>/dev/null || true  # ended by the kill
}
[ -n "$wavtotim" ] || fail "no action starts WAVTOTIM"
start_from_entry LANG
start_from_entry LC_ALL
echo "the desktop entry's $launcher started the window (class $wmclass) and a conversion with LANG and LC_ALL de_DE.UTF-8"
