#!/usr/bin/env bash
# While the wizard shows, the screen is the host's backdrop: the title band on top, the
# blue-to-black gradient between title band and footer, the footer in the window colour at the
# bottom. Checked on a screenshot, outside the wizard's rectangle and away from the captions,
# and through the backdrop's window and controls.
# shellcheck source=../lib.sh disable=SC2154  # e2e_start sets the process id variables
source "$(dirname "$0")/../lib.sh"
e2e_begin backdrop "$@"

wizard=$(e2e_wizard_title)
e2e_start setup "$E2E_SETUP"
e2e_wait_wizard "$wizard"
sleep 1  # let the backdrop finish painting behind the modal wizard
shot="$E2E_SHOTS/e2e-$E2E_NAME.png"
e2e_screenshot "$shot"
e2e_log "screenshot: $shot"
read -r width height < <(e2e_image_size "$shot")
read -r left top right bottom < <(e2e_window_info "$wizard" rect)
e2e_log "screen ${width}x${height}, wizard at ($left,$top)-($right,$bottom)"

readonly TITLE_HEIGHT=117 FOOTER_HEIGHT=29 EDGE=10
{
  e2e_pixels "$shot" 0 0 "$width" "$TITLE_HEIGHT"
  e2e_pixels "$shot" 0 0 "$EDGE" "$height"
  e2e_pixels "$shot" $((width - EDGE)) 0 "$EDGE" "$height"
} | awk -v w="$width" -v h="$height" -v title="$TITLE_HEIGHT" -v footer="$FOOTER_HEIGHT" \
  -v edge="$EDGE" -v l="$left" -v t="$top" -v r="$right" -v b="$bottom" '
  # Rounding to the nearest integer, halves to the even neighbour.
  function round_even(x,   f, d) {
    f = int(x); d = x - f
    if (d > 0.5) return f + 1
    if (d < 0.5) return f
    return (f % 2 == 0) ? f : f + 1
  }
  BEGIN {
    # The gradient over a client area of the whole screen: 256 bands from blue 255 down to 0,
    # each from R(y) to R(y + step), y accumulated band by band.
    step = h / 256; y = 0
    for (n = 255; n >= 0; n--) {
      for (row = round_even(y); row < round_even(y + step); row++) blue[row] = n
      y += step
    }
  }
  function expect(x, y, want, got) {
    checked++
    if (got != want) {
      if (bad < 10) printf "pixel (%d,%d): expected %s, got %s\n", x, y, want, got
      bad++
    }
  }
  {
    x = $1; y = $2; got = $3 "," $4 "," $5
    if (x >= l && x < r && y >= t && y < b) next  # the wizard covers it
    if (y < title) {
      # Away from the caption text: the top and bottom rows of the band and its left edge.
      if (y < 20 || y >= title - 17 || x < edge) expect(x, y, "0,128,255", got)
    } else if (y >= h - footer) {
      expect(x, y, "0,128,192", got)          # left of the first label, right of the second
    } else if (y in blue) {
      expect(x, y, "0,0," blue[y], got)
    }
  }
  END {
    printf "checked %d pixels, %d wrong\n", checked, bad
    exit (bad > 0 || checked == 0)
  }' || e2e_fail "the backdrop on $shot is not as expected"

# The backdrop's window and controls: borderless over the whole screen, the title
# band with its fixed caption, the footer with the website line at the left and the publisher
# line kept 32 pixels from the right edge.
setup_pid=$(e2e_window_info "$wizard" pid)
host_title=$(e2e_robot list | awk -F'\t' -v pid="$setup_pid" -v wizard="$wizard" \
  '$2 == pid && $3 == "visible" && $5 != wizard { print $5; exit }')
host=(--pid "$setup_pid" --title "$host_title")
read -r host_left host_top host_right host_bottom < <(e2e_robot info "${host[@]}" | sed -n 's/^rect //p')
e2e_expect_eq "$host_left $host_top $host_right $host_bottom" "0 0 $width $height" "backdrop rectangle"
host_style=$(e2e_robot info "${host[@]}" | sed -n 's/^style //p')
(((host_style & 0x00C40000) == 0)) || e2e_fail "the backdrop has a caption or border ($host_style)"

controls=$(e2e_robot controls "${host[@]}") || e2e_fail "cannot read the backdrop's controls"
printf '%s\n' "$controls" | sed 's/^/  [backdrop] /'
title_band=$(printf '%s\n' "$controls" | awk -F'\t' '$3 == "visible" && $5 ~ /安装程序$/ { print $4 }')
e2e_expect_eq "$title_band" "0 0 $width $TITLE_HEIGHT" "rectangle of the title band"
e2e_expect_eq "$(printf '%s\n' "$controls" | awk -F'\t' '$3 == "visible" && $5 ~ /安装程序$/ { print $5 }')" \
  "  Korvellov2.8.3.8（标准版-k）安装程序" "caption of the title band"
footer_top=$((height - FOOTER_HEIGHT))
labels=$(printf '%s\n' "$controls" | awk -F'\t' -v top="$footer_top" '
  $3 == "visible" && $5 != "" { split($4, r, " "); if (r[2] >= top) print $4 }')
e2e_expect_eq "$(printf '%s\n' "$labels" | wc -l)" 2 "number of footer labels"
read -r label1_left label1_top _ _ < <(printf '%s\n' "$labels" | sort -n | head -1)
read -r _ label2_top label2_right _ < <(printf '%s\n' "$labels" | sort -n | tail -1)
e2e_expect_eq "$label1_left $label1_top" "36 $((footer_top + 8))" "first footer label position"
e2e_expect_eq "$label2_right $label2_top" "$((width - 32)) $((footer_top + 8))" \
  "second footer label right edge and top"

e2e_close_setup "$setup" "$wizard"
e2e_pass
