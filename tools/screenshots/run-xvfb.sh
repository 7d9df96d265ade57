#!/usr/bin/env bash
# Starts the real zentarPixvue under Xvfb (with xcompmgr, so that the translucent shadows look
# as on a desktop), works it with xdotool as a user would and saves the screen as PNG files:
# the home page, the menu, the operate page with real samples added through "Add files", a row's
# preview and "Remove", the about, exit, update, feedback and language dialogs in English, then
# the language change to Chinese with its restart, and the same screens in Chinese; then, in
# English again, a conversion run: the samples folder given on the command line, "Convert", the
# completed dialog over the converted list, the list after "Completed" and a failed row's reason.
#   tools/screenshots/run-xvfb.sh [OUTDIR]     (default: ./screenshots; needs build/bin)
#   PIXVUE_XVFB_STEPS=convert                   only the conversion run
#   PIXVUE_XVFB_STEPS=list                      only the list run: a folder of 40 photos added
#                                               through "Add files", sorted, the window grown, a
#                                               run stopped, then the rest converted
#   PIXVUE_XVFB_COMPOSITOR=0                    no xcompmgr: the bare X server, where windows and
#                                               dialogs show without their shadow margin
#   PIXVUE_BIN_DIR=...                          another build's bin folder
#   PIXVUE_TESTDATA=...                         the samples (operate page shots need them)
set -euo pipefail
cd "$(dirname "$0")/../.."

OUT=$(realpath -m "${1:-screenshots}")
SRC_BIN=${PIXVUE_BIN_DIR:-build/bin}
for tool in Xvfb xcompmgr xdotool import-im6.q16 xprop; do
  command -v "$tool" >/dev/null || { echo "missing $tool (scripts/setup-debian.sh)" >&2; exit 1; }
done
[ -x "$SRC_BIN/zentarPixvue" ] || { echo "no $SRC_BIN/zentarPixvue: build first" >&2; exit 1; }

WORK=$(mktemp -d)
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  local holder
  holder=$(lock_holder)
  [ -n "$holder" ] && kill "$holder" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# A user of its own, and a copy of the program folder whose Cfg/Url.ini keeps every request on
# this machine (port 9 is closed).
export XDG_DATA_HOME=$WORK/data XDG_CONFIG_HOME=$WORK/config XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_DATA_HOME/zentar/Pixvue" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$WORK/bin/Cfg"
chmod 700 "$XDG_RUNTIME_DIR"
# Its desktop, where conversions go by default.
DESKTOP=$WORK/desktop
mkdir -p "$DESKTOP"
echo "XDG_DESKTOP_DIR=\"$DESKTOP\"" >"$XDG_CONFIG_HOME/user-dirs.dirs"
cp "$SRC_BIN/zentarPixvue" "$SRC_BIN/Cfg/Version.ini" "$WORK/bin/"
mv "$WORK/bin/Version.ini" "$WORK/bin/Cfg/"
[ -x "$SRC_BIN/ZtLogSender_HC" ] && cp "$SRC_BIN/ZtLogSender_HC" "$WORK/bin/"
cat >"$WORK/bin/Cfg/Url.ini" <<INI
[ServerUrl]
ServerUrl=http://127.0.0.1:9
[PublicIp]
PublicIpUrl=http://127.0.0.1:9/cityjson
[WebSite]
WebSiteUrl=http://127.0.0.1:9
INI
# Real samples in the program's current directory, where its file dialog starts.
SAMPLES=$WORK/samples
mkdir -p "$SAMPLES"
SAMPLE_FILES=(libheif/rainbow-451x461.heic sdwebimage/TestHDR.heic libheif/example.heic
              pillow_heif/iPhoneXR.heic pillow_heif/corrupted.heic)
if [ -n "${PIXVUE_TESTDATA:-}" ]; then
  for f in "${SAMPLE_FILES[@]}"; do cp "$PIXVUE_TESTDATA/$f" "$SAMPLES/" 2>/dev/null || true; done
fi
cd "$SAMPLES"
SETTINGS=$XDG_DATA_HOME/zentar/Pixvue/Configures.ini
printf '[Language]\nLanguageType=0\n[Privacy]\nCheckUpdate=true\nSendLogs=true\n' >"$SETTINGS"

lock_holder() {
  local lock="$XDG_RUNTIME_DIR/zentarPixvue-$(id -u).lock"
  [ -f "$lock" ] && head -n1 "$lock" || true
}

# A free display.
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then DISPLAY_NO=$n; break; fi
done
export DISPLAY=:$DISPLAY_NO QT_QPA_PLATFORM=xcb
Xvfb "$DISPLAY" -screen 0 1600x1000x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
PIDS+=($!)
for _ in $(seq 300); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
if [ "${PIXVUE_XVFB_COMPOSITOR:-1}" != 0 ]; then
  xcompmgr >"$WORK/xcompmgr.log" 2>&1 &
  COMPOSITOR=$!
  PIDS+=($COMPOSITOR)
  # Without it the translucent windows would be shot as the bare X server shows them.
  sleep 0.5
  kill -0 "$COMPOSITOR" 2>/dev/null || { echo "xcompmgr did not start:" >&2; cat "$WORK/xcompmgr.log" >&2; exit 1; }
fi
# The desktop behind the window.
xprop -root >/dev/null
command -v xsetroot >/dev/null && xsetroot -solid '#5B6B82' || true

settle() { sleep "${1:-0.8}"; }
shoot() {
  mkdir -p "$OUT/$LANG_DIR"
  import-im6.q16 -window root "$OUT/$LANG_DIR/$1.png"
  echo "  $LANG_DIR/$1.png"
}
window_of() { xdotool search --sync --onlyvisible --name "$1" | head -n1; }
# Position of a window as X Y.
origin_of() {
  xdotool getwindowgeometry --shell "$1" | awk -F= '/^X=/{x=$2} /^Y=/{y=$2} END{print x, y}'
}
click_at() { xdotool mousemove "$1" "$2"; settle 0.3; xdotool click 1; }

# Places of the main window's parts, from its layout (content at 30,30; title 1000 x 54).
MENU_X=930; MENU_Y=57; CLOSE_X=1000
menu_item_y() { echo $((MENU_Y + 10 + 16 + 37 * ($1 - 1) + 17)); }

wait_main_window() {
  MAIN=$(window_of '^Pixvue$')
  xdotool windowmove --sync "$MAIN" 110 30
  settle 1.5
  read -r MX MY < <(origin_of "$MAIN")
}

open_menu() {
  xdotool mousemove $((MX + 500)) $((MY + 300)); settle 0.3
  xdotool mousemove $((MX + MENU_X)) $((MY + MENU_Y)); settle
}

choose_menu_item() {
  open_menu
  xdotool mousemove $((MX + MENU_X)) $((MY + $(menu_item_y "$1"))); settle 0.3
  xdotool click 1
}

# Places on the operate page (content at 30,30; page below the 54-pixel title).
ROW0_Y=$((30 + 54 + 20 + 30 + 10 + 54 + 27))
PREVIEW_X=$((60 + 58 + 210 + 136 * 3 + 44))
REMOVE_BTN_X=$((30 + 30 + 110 + 20 + 55)); TOP_BTN_Y=$((30 + 54 + 20 + 15))

# Adds the samples through the home page's file dialog, previews one, removes all.
shoot_operate_screens() {
  [ -n "$(ls "$SAMPLES")" ] || { echo "  (no samples: PIXVUE_TESTDATA unset, operate page skipped)"; return; }
  click_at $((MX + 530)) $((MY + 400))  # "Add files"
  DIALOG=$(window_of "$1")
  settle
  local names=""
  for f in "$SAMPLES"/*; do names+="\"$(basename "$f")\" "; done
  xdotool type --delay 20 "$names"
  xdotool key Return
  settle 2
  shoot 10-operate
  xdotool mousemove $((MX + PREVIEW_X + 176)) $((MY + ROW0_Y + 54)); settle 0.5
  shoot 11-operate-hover
  click_at $((MX + PREVIEW_X)) $((MY + ROW0_Y))
  settle 2
  shoot 12-preview
  click_at $((MX + 992)) $((MY + 68))  # the close mark
  settle
  click_at $((MX + PREVIEW_X)) $((MY + ROW0_Y + 54 * 1))  # the broken sample sorts second
  settle 2
  shoot 13-preview-loadfail
  click_at $((MX + 992)) $((MY + 68))
  settle
  click_at $((MX + REMOVE_BTN_X)) $((MY + TOP_BTN_Y))  # "Remove": every row is checked
  settle 1.5
  shoot 14-after-remove
}

# Places on the operate page and in the progress dialog (content at 30,30).
CONVERT_BTN_X=955; CONVERT_BTN_Y=650; STATE_X=668
COMPLETED_BTN_X=170; COMPLETED_BTN_Y=200

# The samples folder on the command line, converted to JPG at the default settings.
shoot_convert_screens() {
  LANG_DIR=en
  printf '[Language]\nLanguageType=0\n[Privacy]\nCheckUpdate=true\nSendLogs=true\n' >"$SETTINGS"
  "$WORK/bin/zentarPixvue" "$SAMPLES" >"$WORK/convert.log" 2>&1 &
  CONVERTER=$!
  PIDS+=($CONVERTER)
  wait_main_window
  settle 2
  shoot 20-convert-list
  click_at $((MX + CONVERT_BTN_X)) $((MY + CONVERT_BTN_Y))
  local dialog
  dialog=$(timeout 180 xdotool search --sync --onlyvisible --name '^Convert Completed$' | head -n1)
  [ -n "$dialog" ] || { echo "  the conversion did not complete" >&2; return 1; }
  settle
  shoot 21-convert-completed
  read -r DX DY < <(origin_of "$dialog")
  click_at $((DX + COMPLETED_BTN_X)) $((DY + COMPLETED_BTN_Y))
  settle
  xdotool mousemove $((MX + 500)) $((MY + 40)); settle 0.5
  shoot 22-converted-list
  # The broken sample's row: a folder's files are listed in the order the directory holds them.
  local broken
  broken=$(ls -U "$SAMPLES" | grep -n '^corrupted.heic$' | cut -d: -f1 || true)
  if [ -n "$broken" ] && [ "$broken" -le 5 ]; then
    xdotool mousemove $((MX + STATE_X)) $((MY + ROW0_Y + 54 * (broken - 1))); settle 1.5
    shoot 23-converted-failreason
  fi
  echo "  converted: $(find "$DESKTOP/Pixvue" -type f | wc -l) files in the desktop's Pixvue folder:" \
    "$(cd "$DESKTOP/Pixvue" && find . -type f | sort | tr '\n' ' ')"
  click_at $((MX + CLOSE_X)) $((MY + MENU_Y))
  EXIT=$(window_of '^Exit$')
  settle
  read -r EX EY < <(origin_of "$EXIT")
  click_at $((EX + 316)) $((EY + 237))  # YES
  set +e
  wait "$CONVERTER"
  echo "  converter ended with $?"
  set -e
}

shoot_language_screens() {
  shoot 01-home
  open_menu
  xdotool mousemove $((MX + MENU_X)) $((MY + $(menu_item_y 2))); settle 0.4
  shoot 02-menu

  choose_menu_item 7
  ABOUT=$(window_of "$1")
  settle
  shoot 03-about
  read -r AX AY < <(origin_of "$ABOUT")
  click_at $((AX + 30 + 470 - 20 - 7)) $((AY + 30 + 12 + 11))  # its close button
  settle

  click_at $((MX + CLOSE_X)) $((MY + MENU_Y))
  EXIT=$(window_of "$2")
  settle
  shoot 04-exit
  read -r EX EY < <(origin_of "$EXIT")
  click_at $((EX + 30 + 470 - 20 - 48)) $((EY + 237))  # NO: the program stays
  settle

  # The update check (the closed port answers at once: "Update check failed") and the feedback.
  choose_menu_item 3
  UPDATE=$(window_of "$5")
  settle 1.5
  shoot 04b-checkupdate
  read -r UX UY < <(origin_of "$UPDATE")
  click_at $((UX + 30 + 470 - 20 - 7)) $((UY + 30 + 12 + 11))  # its close button
  settle
  choose_menu_item 4
  FEEDBACK=$(window_of "$6")
  settle
  xdotool type --delay 20 "The preview of large folders is slow"
  settle 0.3
  shoot 04c-feedback
  read -r FX FY < <(origin_of "$FEEDBACK")
  click_at $((FX + 30 + 600 - 20 - 7)) $((FY + 30 + 12 + 11))  # its close button
  settle

  choose_menu_item 2
  LANGUAGE=$(window_of "$3")
  settle
  shoot 05-language
  read -r LX LY < <(origin_of "$LANGUAGE")
  click_at $((LX + 300)) $((LY + 115))  # the combo box
  settle 0.5
  shoot 06-language-open
  xdotool key "$4" Return
  settle
  shoot 07-language-changed
}

# Places of the header and the progress dialog's buttons (content at 30,30).
SIZE_HEADER_X=$((60 + 58 + 210 + 68)); HEADER_Y=$((30 + 54 + 20 + 30 + 10 + 27))
STOP_BTN_X=265
GROW_W=300; GROW_H=160

# Drags with the left button held, in small steps, so that the window follows.
drag() {
  xdotool mousemove "$1" "$2"; settle 0.3
  xdotool mousedown 1
  local i
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove $(($1 + ($3 - $1) * i / 10)) $(($2 + ($4 - $2) * i / 10)); sleep 0.05
  done
  xdotool mouseup 1
}

# Waits for the progress dialog titled $1 and presses its "Completed".
complete_run() {
  local dialog
  dialog=$(timeout 300 xdotool search --sync --onlyvisible --name "$1" | head -n1)
  [ -n "$dialog" ] || { echo "  no window $1" >&2; return 1; }
  settle
  shoot "$2"
  read -r DX DY < <(origin_of "$dialog")
  click_at $((DX + COMPLETED_BTN_X)) $((DY + COMPLETED_BTN_Y))
  settle
}

# 40 phone photos of two sizes in a folder, added through "Add files", sorted by size and by
# name, the window grown, a run stopped after a few files, then the rest converted.
shoot_list_screens() {
  local source=${PIXVUE_TESTDATA:-}/pillow_heif/iPhoneXR.heic small=${PIXVUE_TESTDATA:-}/libheif/rainbow-451x461.heic
  [ -f "$source" ] && [ -f "$small" ] || { echo "  (no samples: list run skipped)"; return; }
  LANG_DIR=list
  local i
  mkdir -p "$WORK/forty"
  for i in $(seq 1 40); do
    if [ $((i % 4)) = 0 ]; then cp "$small" "$WORK/forty/photo_$i.heic"; else cp "$source" "$WORK/forty/photo_$i.heic"; fi
  done
  rm -rf "$DESKTOP/Pixvue"
  (cd "$WORK" && exec "$WORK/bin/zentarPixvue") >"$WORK/list.log" 2>&1 &
  local program=$!
  PIDS+=($program)
  wait_main_window
  click_at $((MX + 530)) $((MY + 400))  # the home page's picture: "Add files"
  window_of '^Select HEIC, HEIF or AVIF pictures, or folders$' >/dev/null
  settle
  xdotool type --delay 20 "forty"
  settle 0.3
  shoot 30-add-folder
  xdotool key Return
  settle 3
  shoot 31-added-by-name
  click_at $((MX + SIZE_HEADER_X)) $((MY + HEADER_Y))
  settle
  shoot 32-sorted-by-size
  click_at $((MX + 60 + 58 + 105)) $((MY + HEADER_Y))  # back to names
  settle
  drag $((MX + 1036)) $((MY + 400)) $((MX + 1036 + GROW_W)) $((MY + 400))
  settle 0.5
  drag $((MX + 600)) $((MY + 684)) $((MX + 600)) $((MY + 684 + GROW_H))
  settle
  read -r MX MY < <(origin_of "$MAIN")
  shoot 33-grown
  click_at $((MX + CONVERT_BTN_X + GROW_W)) $((MY + CONVERT_BTN_Y + GROW_H))
  local dialog
  dialog=$(timeout 60 xdotool search --sync --onlyvisible --name '^Converting$' | head -n1)
  sleep 4
  read -r DX DY < <(origin_of "$dialog")
  click_at $((DX + STOP_BTN_X)) $((DY + COMPLETED_BTN_Y))
  complete_run '^Convert Stopped$' 34-stopped
  shoot 35-after-stop
  local first
  first=$(find "$DESKTOP/Pixvue" -type f | wc -l)
  click_at $((MX + CONVERT_BTN_X + GROW_W)) $((MY + CONVERT_BTN_Y + GROW_H))
  complete_run '^Convert Completed$' 36-rest-completed
  shoot 37-all-converted
  echo "  first run: $first files; in all: $(find "$DESKTOP/Pixvue" -type f | wc -l) files," \
    "$(find "$DESKTOP/Pixvue" -name 'photo_*_1.*' | wc -l) of them _1 copies"
  kill "$program" 2>/dev/null || true
  wait "$program" 2>/dev/null || true
}

if [ "${PIXVUE_XVFB_STEPS:-all}" = list ]; then
  echo "List run:"
  shoot_list_screens
  echo "Screenshots in $OUT"
  exit 0
fi

if [ "${PIXVUE_XVFB_STEPS:-all}" != convert ]; then
  echo "English:"
  LANG_DIR=en
  "$WORK/bin/zentarPixvue" >"$WORK/first.log" 2>&1 &
  FIRST=$!
  PIDS+=($FIRST)
  wait_main_window
  shoot_operate_screens '^Select HEIC, HEIF or AVIF pictures, or folders$'
  shoot_language_screens '^About$' '^Exit$' '^Language$' Down '^Check for updates$' '^Feedback$'
  # Confirm: the program restarts in Chinese.
  click_at $((LX + 30 + 238 + 48)) $((LY + 218))
  set +e
  wait "$FIRST"
  FIRST_RC=$?
  set -e
  echo "  first instance ended with $FIRST_RC (8888 & 255 = 184 means restart)"

  echo "Chinese, after the restart:"
  LANG_DIR=zh
  for _ in $(seq 100); do
    holder=$(lock_holder)
    [ -n "$holder" ] && [ "$holder" != "$FIRST" ] && kill -0 "$holder" 2>/dev/null && break
    sleep 0.1
  done
  wait_main_window
  shoot_operate_screens '^选择 HEIC、HEIF 或 AVIF 图片，或文件夹$'
  shoot_language_screens '^关于$' '^退出$' '^语言$' Up '^检查更新$' '^意见反馈$'

  # Cancel, then exit with YES.
  click_at $((LX + 30 + 238 + 96 + 20 + 48)) $((LY + 218))
  settle
  click_at $((MX + CLOSE_X)) $((MY + MENU_Y))
  EXIT=$(window_of '^退出$')
  settle
  read -r EX EY < <(origin_of "$EXIT")
  click_at $((EX + 316)) $((EY + 237))
  for _ in $(seq 100); do
    holder=$(lock_holder)
    { [ -z "$holder" ] || ! kill -0 "$holder" 2>/dev/null; } && break
    sleep 0.1
  done
  settle
  shoot 08-after-exit
fi

echo "Conversion run:"
if [ -n "$(ls "$SAMPLES")" ]; then
  shoot_convert_screens
else
  echo "  (no samples: PIXVUE_TESTDATA unset, conversion run skipped)"
fi

LOG=$(ls "$XDG_DATA_HOME"/zentar/Pixvue/Trace/*.log | head -n1)
echo "Log of the run: $(grep -c 'START=' "$LOG") starts, $(grep -c 'END=' "$LOG") ends"
grep -E "User select to exit|language is chinese|KESTRO" "$LOG" | sed 's/^/  /' || true
echo "Screenshots in $OUT"
