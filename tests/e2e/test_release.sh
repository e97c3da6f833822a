#!/usr/bin/env bash
# The release is a function of its commit. Run by CTest from the repository root: the commit
# checked out there (what is not committed is not tested) is cloned into a folder of the
# test's own, where scripts/check-release.sh makes the release (scripts/release.sh), makes it
# again in another clone as another user, with another time zone, locale, umask and home
# folder, and compares and scans them. It must find
#   - all seven files of the release the same, byte for byte;
#   - no file, nor anything inside the .deb, the tarball, the zip or the page, that names the
#     folders the releases were made in, the library cache or the home folders;
#   - the release's video as the README describes it;
#   - then, with its steps broken in that clone (one missing, one failing, one making nothing),
#     scripts/release.sh naming each file it could not make and failing without the sums.
# Where the machine refuses the user namespace that the other user needs, that is said, and
# the test ends as skipped (77) when nothing failed.
# The check's output and diffoscope's reports are kept in test-output/release/.
. "$(dirname "$0")/shell-test.sh" release

git clone -q --no-checkout "$root" "$scratch/zokk" &&
    git -C "$scratch/zokk" checkout -q --detach "$(git -C "$root" rev-parse HEAD)" || exit 1
(cd "$scratch/zokk" && scripts/check-release.sh) >"$out/check.log" 2>&1
status=$?
cp -r "$scratch/zokk/build-check/." "$out/" 2>/dev/null

[ "$status" = 0 ] || fail "the check ended with status $status: $(tail -n 5 "$out/check.log")"
same=$(grep -c '^check-release: same: ' "$out/check.log")
[ "$same" = 7 ] || fail "$same of the release's 7 files are the same made twice;" \
    "$(grep -A 40 '^check-release: DIFFERS: ' "$out/check.log")"
! grep '^check-release: NAMES A FOLDER: ' "$out/check.log" >&2 ||
    fail "files of the release name a folder of the machine that made them (above)"

# The release's video, as the README describes it (the capture test's ReleaseVideo cases).
video="$scratch/zokk/dist/zokk.mp4"
if [ -f "$video" ]; then
    ZOKK_RELEASE_VIDEO="$video" "$ZOKK_CAPTURE_TESTS" --gtest_filter='ReleaseVideo.*' \
        >"$out/video.log" 2>&1 || fail "the release's video: $(grep -A 12 Failure "$out/video.log")"
else
    fail "the release made no video"
fi

# --- a release that cannot be made --------------------------------------------------------
# In the clone, its steps replaced: the package's copies the files just made, the Windows
# zip's is missing, the page's leaves a file behind and fails, the video's ends well without
# making the video. Each file not made is named with why, what the failed step left is gone,
# and nothing says the release is whole: no sums, no RELEASE.txt (both there from the release
# before).
clone="$scratch/zokk"
cp -r "$clone/dist" "$scratch/made"
step() { # SCRIPT COMMANDS
    printf '#!/bin/sh\n%s\n' "$2" >"$clone/scripts/$1"
    chmod +x "$clone/scripts/$1"
}
step package.sh "cp $scratch/made/*.deb $scratch/made/*.tar.gz $clone/dist/"
rm "$clone/scripts/build-windows.sh"
step build-web.sh 'echo "<html>" >"$1/zokk.html"; echo "build-web: emcc failed" >&2; exit 1'
step capture.sh 'exit 0'
(cd "$clone" && scripts/release.sh) >"$out/broken.out" 2>"$out/broken.err"
status=$?
[ "$status" = 1 ] || fail "the release with broken steps: status $status, not 1"
for said in "dist/zokk-win64.zip (scripts/build-windows.sh does not exist)" \
    "dist/zokk.html (scripts/build-web.sh failed)" \
    "dist/zokk.mp4 (scripts/capture.sh ended without making it)"; do
    grep -qxF "  $said" "$out/broken.err" ||
        fail "the release with broken steps did not name $said: $(cat "$out/broken.err")"
done
! grep -q '\.deb\|\.tar\.gz' "$out/broken.err" ||
    fail "the release with broken steps named a file it made: $(cat "$out/broken.err")"
# Only files: the page's step also serves its page from the folder dist/web, no file of the
# release.
left=$(find "$clone/dist" -maxdepth 1 -type f -printf '%f\n' | sort)
[ "$left" = "$(cd "$scratch/made" && ls ./*.deb ./*.tar.gz | sed 's|^\./||' | sort)" ] ||
    fail "with broken steps, dist/ holds: $left"

[ "$failures" = 0 ] || exit 1
grep -E '^check-release: (making it again|the release took|no file names)' "$out/check.log"
if grep '^check-release: NOT as another user' "$out/check.log" >&2; then
    echo "release: made twice, the same 7 files, naming no folder, but NOT as another user" >&2
    exit 77
fi
echo "release: made twice, the same 7 files, naming no folder of the machine; with broken" \
    "steps, each file not made named and the release not summed"
