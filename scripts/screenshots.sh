#!/usr/bin/env bash
# Takes the README's pictures of Tarvo Suite on a virtual desktop: Xvfb with
# the openbox window manager, a JACK server of its own and the JACK peer tool
# sending to the program, so the monitors show real traffic.
# Usage: screenshots.sh <build folder> <output folder> [dejavu|noto]
#   dejavu  only the DejaVu fonts, a Debian desktop's defaults (the default)
#   noto    the Noto fonts as well, as fontconfig picks them when installed
# Needs what `install-deps.sh test` installs.
set -eu
build=$(realpath "$1")
out=$(realpath -m "$2")
fonts=${3:-dejavu}
screen_size=1280x800
# JACK keeps a dead server's entry until a server of the same name starts, so
# the name is fixed.
export JACK_DEFAULT_SERVER=tarvo-shots

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap cleanup EXIT
start() { "$@" & pids+=($!); }

case "$fonts" in
dejavu)
  cat >"$work/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <cachedir>$work/fontconfig</cachedir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
</fontconfig>
EOF
  export FONTCONFIG_FILE=$work/fonts.conf
  ;;
noto) ;;
*) echo "unknown font set $fonts" >&2; exit 2 ;;
esac

# A fresh settings folder: the first start lays out the default tool windows.
# The ports are chosen by name, and MIDI Thru sends every received message on,
# so the MIDI Out Monitor shows traffic too.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/tarvo" "$XDG_RUNTIME_DIR" "$out"
chmod 700 "$XDG_RUNTIME_DIR"
cat >"$XDG_CONFIG_HOME/tarvo/Tarvo.ini" <<EOF
[PortName]
InputPortName=peer:out
OutputPortName=peer:in
[MidiThru]
MidiThru=true
[Preferences]
TimeStamp=1
EOF

start Xvfb -displayfd 1 -screen 0 ${screen_size}x24 -nolisten tcp >"$work/display"
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$work/display")
start openbox
start jackd -r -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 64 >"$work/jackd.log" 2>&1
jack_wait --wait --timeout 10 >/dev/null 2>&1
# Opened for reading and writing, so that neither end waits for the other.
mkfifo "$work/peer-input"
exec {peer_fd}<>"$work/peer-input"
# Not through start(): a background command's own redirection is what keeps
# its input from being /dev/null.
"$build/tools/jackpeer/tarvo-jackpeer" <&"$peer_fd" >"$work/peer.log" &
pids+=($!)
for _ in $(seq 50); do grep -q '^ports:' "$work/peer.log" && break; sleep 0.1; done

start "$build/app/tarvo"
main=$(xdotool search --sync --onlyvisible --name '^Tarvo Suite$' | head -1)
sleep 2
# Room for the default tool windows and the ones opened below.
xdotool windowsize "$main" 1100 720 windowmove "$main" 90 40

send() { echo "$1" >&"$peer_fd"; sleep 0.05; }
traffic() {
  for note in 3C 40 43 48; do
    send "90 $note 64"
    send "B0 07 $note"
    send "80 $note 00"
  done
  send "C0 05"
  send "F0 7E 7F 06 01 F7"
}
# The whole desktop, trimmed to the main window and its frame.
shot() {
  sleep 1
  import -window root "$work/shot.png"
  convert "$work/shot.png" -trim +repage "$out/$1.png"
  echo "$out/$1.png"
}
key() { xdotool key --window "$main" "$@"; sleep 0.5; }

traffic
shot main-window
key ctrl+k
traffic
shot keyboard
key ctrl+l
shot filter
key ctrl+t
key ctrl+p
key ctrl+m
key ctrl+comma
shot tool-windows
key alt+h Return
shot about
