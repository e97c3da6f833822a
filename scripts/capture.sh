#!/usr/bin/env bash
# Usage: scripts/capture.sh [OUTPUT] [--fps N] [--height H] [--lossless] [--preview]
# Records the whole show as a video file, frame-exact with its soundtrack. Installs what is
# missing and builds zokk-capture optimised, which plays the show with the demo's own classes
# on a stepped clock on a private Xvfb (never on your display) and hands every frame to
# ffmpeg; ffmpeg cuts the soundtrack from the music file as the show plays it and encodes.
# The file is written under a temporary name and only renamed when it is complete.
#   OUTPUT        the file to write (default zokk.mp4, zokk.mkv with --lossless,
#                 zokk.webp with --preview, in the working directory)
#   --fps N       frames a second, a whole number within the show's capture rates
#                 (default 60; 24 with --preview)
#   --height H    scale to H lines, aspect kept, an even number within the show's capture
#                 heights (default the show's own height; 240 with --preview)
#   --lossless    Matroska with FFV1 and FLAC instead of MP4 with H.264 and AAC
#   --preview     a short looping animated WebP with a moment of every scene
# The show's facts (show-facts.txt, which zokk-capture's build writes) give the picture's size,
# the rates and heights a video may have, and the preview's moments.
# ZOKK_CAPTURE=path uses that zokk-capture executable instead of building one.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"

output="" fps="" height="" mode=mp4
while [ $# -gt 0 ]; do
    case "$1" in
    --fps)
        [ $# -ge 2 ] || bad_usage "--fps needs a value"
        fps=$2
        shift
        ;;
    --height)
        [ $# -ge 2 ] || bad_usage "--height needs a value"
        height=$2
        shift
        ;;
    --lossless | --preview)
        [ "$mode" = mp4 ] || bad_usage "--lossless and --preview exclude each other"
        mode=${1#--}
        ;;
    -h | --help)
        usage
        exit 0
        ;;
    -*) bad_usage "unknown option $1" ;;
    *)
        [ -z "$output" ] || bad_usage "one output file only (got $output and $1)"
        output=$1
        ;;
    esac
    shift
done
case "$mode" in
mp4) output=${output:-zokk.mp4} fps=${fps:-60} ;;
lossless) output=${output:-zokk.mkv} fps=${fps:-60} ;;
preview) output=${output:-zokk.webp} fps=${fps:-24} height=${height:-240} ;;
esac

dir=$(dirname -- "$output")
[ -d "$dir" ] || { echo "capture: the folder $dir does not exist" >&2; exit 1; }
[ -w "$dir" ] || { echo "capture: the folder $dir is not writable" >&2; exit 1; }
[ ! -d "$output" ] || { echo "capture: $output is a folder" >&2; exit 1; }
dir=$(cd -- "$dir" && pwd)
target="$dir/$(basename -- "$output")"

"$root/scripts/install-deps.sh" --capture || true
for tool in ffmpeg:ffmpeg ffprobe:ffmpeg Xvfb:xvfb; do # program:Debian package
    command -v "${tool%:*}" >/dev/null || {
        echo "capture: ${tool%:*} is missing and could not be installed; it comes with Debian's" \
            "${tool#*:} package" >&2
        exit 1
    }
done

exe=${ZOKK_CAPTURE:-}
if [ -n "$exe" ]; then
    exe="$(cd "$(dirname -- "$exe")" && pwd)/$(basename -- "$exe")"
else
    (cd "$root" && cmake --preset release >/dev/null &&
        cmake --build --preset release --target zokk-capture show_facts -j"$jobs" >/dev/null)
    exe="$root/build-release/capture/zokk-capture"
fi

# The picture's size, what the options may ask and the preview's moments, as the show's facts
# in the build beside it say.
facts="$(dirname -- "$exe")/../show-facts.txt"
[ -r "$facts" ] || { echo "capture: $facts is missing (the show_facts target writes it)" >&2; exit 1; }
fact() { # NAME VARIABLE...: the fact's values, read into the variables
    local line
    line=$(grep -m 1 "^$1 " "$facts") || {
        echo "capture: $facts has no $1 (the show_facts target writes it)" >&2
        exit 1
    }
    read -r _ "${@:2}" <<<"$line"
}
fact frame_size frame_width frame_height
fact capture_fps min_fps max_fps
fact capture_height min_height max_height
fact preview_starts_ms starts
read -r -a preview_starts_ms <<<"$starts"
fact preview_moment_ms preview_moment_ms

height=${height:-$frame_height}
[[ "$fps" =~ ^[0-9]+$ ]] && [ "$fps" -ge "$min_fps" ] && [ "$fps" -le "$max_fps" ] ||
    bad_usage "--fps must be a whole number from $min_fps to $max_fps, not $fps"
[[ "$height" =~ ^[0-9]+$ ]] && [ "$height" -ge "$min_height" ] && [ "$height" -le "$max_height" ] &&
    [ $((height % 2)) -eq 0 ] ||
    bad_usage "--height must be an even number from $min_height to $max_height, not $height"
# 4:3, rounded to an even width, as the encoders' chroma planes need.
width=$(((height * 4 + 3) / 6 * 2))

# The soundtrack as the show's own script has it.
music="" start="" fade_ms="" rate="" channels="" length_ms=""
while read -r name value; do
    case "$name" in
    music | start | fade_ms | length_ms) printf -v "$name" '%s' "$value" ;;
    audio_rate) rate=$value ;;
    audio_channels) channels=$value ;;
    esac
done <"$facts"
[ -n "$music" ] && [ -n "$start" ] && [ -n "$fade_ms" ] && [ -n "$length_ms" ] &&
    [ -n "$rate" ] && [ -n "$channels" ] || {
    echo "capture: $facts does not describe the soundtrack" >&2
    exit 1
}
seconds_of() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); } # MS
length=$(seconds_of "$length_ms")

cd "$root"
video=(-f rawvideo -pix_fmt rgb24 -s "${frame_width}x$frame_height" -framerate "$fps" -i pipe:0)
music_rate=""
if [ -r "$music" ]; then
    music_rate=$(ffprobe -v error -select_streams a:0 -show_entries stream=sample_rate \
        -of csv=p=0 "$music" 2>/dev/null | head -n 1) || true
fi
if [[ "$music_rate" =~ ^[0-9]+$ ]]; then
    # Cut by counting decoded samples: seeking in the Ogg file, or trimming by its time
    # stamps, lands some thousands of samples early.
    audio=(-i "$music")
    first=$(awk -v s="$start" -v r="$music_rate" 'BEGIN { printf "%d", s * r + 0.5 }')
    count=$(((length_ms * music_rate + 500) / 1000))
    cut="atrim=start_sample=$first:end_sample=$((first + count)),asetpts=N/SR/TB,"
else
    if [ -e "$music" ]; then
        echo "capture: warning: $music cannot be decoded; the soundtrack is silent, as the show is then" >&2
    else
        echo "capture: warning: $music is missing; the soundtrack is silent, as the show is then" >&2
    fi
    audio=(-f lavfi -t "$length" -i "anullsrc=r=$rate:cl=stereo")
    cut=""
fi
# The fade-in as the show plays it, and a 5 ms fade-out so that the cut at the end of the
# show does not click.
fade="afade=t=in:st=0:d=$(seconds_of "$fade_ms"),"
fade+="afade=t=out:st=$(seconds_of $((length_ms - 5))):d=0.005"
sound=(-af "$cut$fade" -ar "$rate" -ac "$channels")
# Lanczos keeps the wire frame's single-pixel lines crisp through a non-integer scale.
scale="scale=$width:$height:flags=lanczos+accurate_rnd+full_chroma_int"
case "$mode" in
mp4)
    format=(-map 0:v -map 1:a
        -vf "$scale:out_color_matrix=bt709:out_range=tv,format=yuv420p"
        -colorspace bt709 -color_primaries bt709 -color_trc bt709 -color_range tv
        -c:v libx264 -preset veryfast -crf 16 "${sound[@]}" -c:a aac -b:a 192k
        -movflags +faststart -f mp4)
    ;;
lossless)
    format=(-map 0:v -map 1:a -vf "$scale,format=bgr0" -c:v ffv1 -level 3
        "${sound[@]}" -c:a flac -f matroska)
    ;;
preview)
    # A moment of each scene, as the show's facts place them.
    pick=""
    for at in "${preview_starts_ms[@]}"; do
        pick+="${pick:++}between(t,$(seconds_of "$at"),$(seconds_of $((at + preview_moment_ms))))"
    done
    audio=()
    format=(-vf "select='$pick',setpts=N/FRAME_RATE/TB,scale=$width:$height:flags=area"
        -c:v libwebp_anim -quality 40 -compression_level 4 -loop 0 -an -f webp)
    ;;
esac

partial="$dir/.$(basename -- "$target").partial.$$"
log=$(mktemp)
cleanup() { rm -f "$partial" "$log"; }
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# zokk-capture ends on Ctrl-C, kill or a hang-up as the show does, with 128 + the signal.
# The Xvfb runner's readiness check is "true": the server answers once it has named its
# display, and the capture's own window reports any OpenGL failure.
# The programs write to the real standard error (3); the group's own goes nowhere, so that
# the shell's report of a pipeline member killed by a signal does not reach the user: every
# way this can end is said in one line below.
exec 3>&2
set +e
{
    "$root/scripts/with-xvfb.sh" true "$exe" --fps "$fps" 2>&3 |
        ffmpeg -nostdin -hide_banner -loglevel error -y "${video[@]}" "${audio[@]}" \
            "${format[@]}" "$partial" 2>"$log" 3>&-
    status=("${PIPESTATUS[@]}")
} 2>/dev/null
set -e
exec 3>&-
capturer=${status[0]} encoder=${status[1]}
case "$capturer" in
0 | 141) ;; # done, or the encoder stopped reading: its status says why
129 | 130 | 143) exit "$capturer" ;; # stopped by a signal, as asked
*) exit 1 ;; # zokk-capture has said why
esac
if [ "$encoder" -ne 0 ] || [ "$capturer" -ne 0 ]; then
    cat "$log" >&2
    if [ "$encoder" -gt 128 ]; then
        signal=$(kill -l "$encoder" 2>/dev/null) || signal=$((encoder - 128))
        echo "capture: the encoder ffmpeg died (signal $signal) while writing $output" >&2
    elif grep -q 'No space left on device' "$log"; then
        echo "capture: the disk is full: ffmpeg could not write $output in the folder $dir" >&2
    elif grep -qE 'Permission denied|Read-only file system' "$log"; then
        echo "capture: the folder $dir is not writable: ffmpeg could not write $output" >&2
    else
        echo "capture: ffmpeg failed to write $output (status $encoder)" >&2
    fi
    exit 1
fi
mv -f -- "$partial" "$target"
if [ "$mode" = preview ]; then
    # ffprobe reads no animated WebP.
    seconds=$(seconds_of $((${#preview_starts_ms[@]} * preview_moment_ms)))
else
    seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$target")
fi
bytes=$(stat -c %s -- "$target")
awk -v name="$output" -v s="${seconds:-0}" -v w="$width" -v h="$height" -v fps="$fps" \
    -v bytes="$bytes" 'BEGIN { printf "%s: %.1f s, %d x %d at %d fps, %.1f MB\n", name, s, w, h, fps, bytes / 1e6 }'
