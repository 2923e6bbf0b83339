#!/usr/bin/env bash
# The result announced to a screen reader: the real program in Xvfb with its
# own AT-SPI bus, an AT-SPI listener in place of the screen reader. Each
# Convert is announced politely with the reference, the same one again too,
# and the focus stays in the field the user typed in.
# Usage: announcement_e2e.sh PROGRAM QT_VERSION   (exit 77: skipped)
set -uo pipefail
here=$(dirname "$0")
qt=$2
if [[ $(printf '%s\n' 6.8 "$qt" | sort -V | head -n 1) != 6.8 ]]; then
  echo "SKIP: Qt $qt has no accessible announcement (Qt 6.8 and later); there the result is"
  echo "      only the label's new name, which a screen reader speaks for the focused control alone"
  exit 77
fi
# Debian's own Python, which has the bindings, whatever else is first on the path.
python=/usr/bin/python3
for tool in dbus-run-session /usr/libexec/at-spi-bus-launcher $python; do
  command -v "$tool" >/dev/null ||
    { echo "FAIL: $tool missing (scripts/install-deps.sh test)"; exit 1; }
done
"$python" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null ||
  { echo "FAIL: no AT-SPI for Python (scripts/install-deps.sh test)"; exit 1; }
# A session bus of its own, from which the accessibility bus is started.
if [[ -z ${ANNOUNCEMENT_E2E_SESSION:-} ]]; then
  ANNOUNCEMENT_E2E_SESSION=1 exec dbus-run-session -- bash "$0" "$@"
fi

# shellcheck source=driver.sh
source "$here/driver.sh"
E2E_PROGRAM=$(realpath "$1")
heard=$(mktemp)
listener=
trap '[[ -n $listener ]] && kill "$listener" 2>/dev/null; e2e_kill; e2e_stop_display; rm -f "$heard"' \
  EXIT

e2e_start_display || exit 1
"$python" "$here/atspi_listener.py" $((4 * E2E_TIMEOUT)) >"$heard" &
listener=$!
e2e_wait_for "the listener never started" grep -qx listening "$heard" || { cat "$heard"; exit 1; }
# As when a screen reader runs: Qt's bridge is on from the start.
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb e2e_launch
e2e_open_conversion_window || exit 1
e2e_type 26; e2e_key Tab; e2e_type 14; e2e_key Tab; e2e_type 28; e2e_key Tab; e2e_type 29
# The program is heard at all, and nothing of the typing comes later.
e2e_wait_for "the listener never heard the focus reach Minutes East" \
  grep -qx "focus text Minutes East" "$heard" || { cat "$heard"; exit 1; }
e2e_pause 0.3

heard_more_than() { (($(wc -l <"$heard") > $1)); }

# The keys of each step, then what the listener hears after them, exactly.
steps=(
  "Return|announcement polite label 2628AB25"
  "Return|announcement polite label 2628AB25" # the same result again
  "BackSpace 1 Return|announcement polite label 2628AB23" # typed into the field still focused
)
passed=0 failed=0
for step in "${steps[@]}"; do
  keys=${step%%|*} expected=${step#*|}
  seen=$(wc -l <"$heard")
  for key in $keys; do
    if [[ $key == [0-9] ]]; then e2e_type "$key"; else e2e_key "$key"; fi
  done
  e2e_wait_for "nothing heard" heard_more_than "$seen"
  e2e_pause 0.5 # anything else it brings
  got=$(tail -n +$((seen + 1)) "$heard")
  if [[ $got == "$expected" ]]; then
    passed=$((passed + 1)); echo "PASS: $keys: $got"
  else
    failed=$((failed + 1)); echo "FAIL: $keys: heard '$got', not '$expected'"
  fi
done
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
