#!/usr/bin/env bash
# The installed game: builds the .deb and the portable tarball with scripts/package.sh (which
# fails on lintian errors and warnings), installs the package into a throwaway root of its
# own, never onto this machine, and plays it from there with its files at their real paths.
# Run by CTest under the test's own Xvfb, from the repository root, with $ZOKK_EXE the demo
# built from the source tree, $ZOKK_SHOW_FACTS the show's facts that its build wrote from the
# program's script, and $ZOKK_PACKAGE_BUILD a build tree for the package.
#   - installed: `zokk` from another working directory plays the whole show, exit 0;
#   - the tarball unpacked in a temporary folder plays the whole show from there;
#   - the installed data without the music: the same whole show, silently;
#   - the installed data without a picture: the same output and exit status as the source
#     tree's demo without that picture;
#   - removing the package leaves no file in the root.
set -uo pipefail
root=$(pwd)
scratch=$(mktemp -d /tmp/zokk-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
out=${ZOKK_TEST_OUT:-$root/build-test/test-output}/package
rm -rf "$out"
mkdir -p "$out"
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# --- build -------------------------------------------------------------------------------
ZOKK_DIST="$scratch/dist" "$root/scripts/package.sh" >"$out/package.log" 2>&1 || {
    cat "$out/package.log" >&2
    echo "FAIL: scripts/package.sh" >&2
    exit 1
}
deb=$(ls "$scratch"/dist/zokk_*.deb)
tarball=$(ls "$scratch"/dist/zokk-*-linux-*.tar.gz)

# --- install into a root of the test's own -----------------------------------------------
# The root's dpkg database holds, copied from this machine's, the packages that satisfy the
# package's Depends, so that dpkg checks them as it would on a real system (their files are
# this machine's own, outside the root).
pkgroot="$scratch/root"
admin="$pkgroot/var/lib/dpkg"
mkdir -p "$admin/info" "$admin/updates" "$admin/triggers"
touch "$admin/available"
names=" $(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed -E 's/\(.*\)//; s/ //g; /^$/d' |
    tr '\n' ' ') "
providers=$(dpkg-query -W -f='${db:Status-Abbrev}|${binary:Package}|${Package}, ${Provides}\n' |
    awk -F'|' -v names="$names" '$1 ~ /^ii/ {
        n = split($3, p, /, */)
        for (i = 1; i <= n; i++) {
            sub(/ .*/, "", p[i])
            if (index(names, " " p[i] " ")) { print $2; break }
        }
    }')
for p in $providers; do
    dpkg-query -s "$p"
    echo
    touch "$admin/info/$p.list"
done >"$admin/status"
dpkg --root="$pkgroot" --install "$deb" >"$out/dpkg-install.log" 2>&1 || {
    cat "$out/dpkg-install.log" >&2
    echo "FAIL: dpkg could not install the package" >&2
    exit 1
}

# The menu entry starts the command the package puts in /usr/games and finds its icon in the
# hicolor theme, at least at 48 x 48, the size every theme must have (lintian checks that
# each icon's size matches its folder).
entry="$pkgroot/usr/share/applications/zokk.desktop"
command=$(sed -n 's/^Exec=//p' "$entry")
icon=$(sed -n 's/^Icon=//p' "$entry")
[ -n "$command" ] && [ -x "$pkgroot/usr/games/$command" ] ||
    fail "the desktop entry starts '$command', which is not in /usr/games"
[ -n "$icon" ] && [ -f "$pkgroot/usr/share/icons/hicolor/48x48/apps/$icon.png" ] ||
    fail "the desktop entry's icon '$icon' is not in the hicolor theme"

# Runs `zokk` as a user types it, in WORKDIR, with ROOT's folders laid over this machine's at
# their real paths and the rest of the machine read-only. Where this machine lacks such a
# folder, its parent becomes a private tmpfs holding the machine's own entries again, so that
# no mount point is ever created on the machine itself.
installed() { # ROOT WORKDIR
    local overlay=(--ro-bind / / --dev /dev --proc /proc --bind /tmp /tmp --die-with-parent)
    local dir parent entry
    for dir in usr/games usr/lib/games usr/share/games; do
        if [ ! -d "/$dir" ]; then
            parent=/$(dirname "$dir")
            overlay+=(--tmpfs "$parent")
            for entry in "$parent"/* "$parent"/.[!.]*; do
                if [ -L "$entry" ]; then
                    overlay+=(--symlink "$(readlink "$entry")" "$entry")
                elif [ -e "$entry" ]; then
                    overlay+=(--ro-bind "$entry" "$entry")
                fi
            done
        fi
        overlay+=(--ro-bind "$1/$dir" "/$dir")
    done
    bwrap "${overlay[@]}" --chdir "$2" \
        env PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games zokk
}

# Frame counts and rates differ from run to run; the rest of a whole show's output does not:
# each scene's statistics line (a printf format in the facts), with "Initing..." as scenes 3
# and 4 begin.
masked() { sed -E 's/[0-9]+(\.[0-9]+)?(e[-+]?[0-9]+)?/N/g' "$1"; }
whole_show=$(scene=0 && sed -n 's/^statistics //p' "$ZOKK_SHOW_FACTS" |
    while IFS= read -r format; do
        scene=$((scene + 1))
        [ "$scene" -lt 3 ] || echo "Initing..."
        # shellcheck disable=SC2059 # the format is the show's own
        printf "${format//%[ug]/N}\n"
    done)
expect_whole_show() { # NAME STATUS
    [ "$2" = 0 ] || fail "$1: exit status $2, not 0"
    [ "$(masked "$out/$1.out")" = "$whole_show" ] ||
        fail "$1: not the four statistics lines of a whole show:
$(cat "$out/$1.out")"
    ! grep -qE '^(PNG: |Unable to initialize SDL|Couldn.t set video mode)' "$out/$1.err" ||
        fail "$1: $(cat "$out/$1.err")"
}

# --- the three whole shows, side by side on the test's display ---------------------------
elsewhere="$scratch/elsewhere"
mkdir -p "$elsewhere"
installed "$pkgroot" "$elsewhere" >"$out/installed.out" 2>"$out/installed.err" &
show=$!

mkdir -p "$scratch/unpacked"
tar -xzf "$tarball" -C "$scratch/unpacked"
folder=$(ls -d "$scratch"/unpacked/zokk-*)
(cd "$elsewhere" && exec "$folder/zokk") >"$out/tarball.out" 2>"$out/tarball.err" &
tarshow=$!

# A second copy of the installed root, without the music.
data=usr/share/games/zokk/data
cp -a "$pkgroot" "$scratch/silent-root"
rm "$scratch/silent-root/$data/$(basename "$(sed -n 's/^music //p' "$ZOKK_SHOW_FACTS")")"
installed "$scratch/silent-root" "$elsewhere" >"$out/no-music.out" 2>"$out/no-music.err" &
silent=$!
wait "$show"
expect_whole_show installed $?
wait "$tarshow"
expect_whole_show tarball $?
wait "$silent"
expect_whole_show no-music $?

# --- a picture missing: as from the source tree --------------------------------------------
for picture in $(cd "$pkgroot/$data" && ls ./*.png | sed 's|^\./||'); do
    mkdir -p "$scratch/source/$picture/data"
    for f in "$root"/data/*; do
        [ "$(basename "$f")" = "$picture" ] || ln -s "$f" "$scratch/source/$picture/data/"
    done
    (cd "$scratch/source/$picture" && exec "$ZOKK_EXE") >"$out/source-$picture.out" \
        2>"$out/source-$picture.err"
    want=$?
    mv "$pkgroot/$data/$picture" "$scratch"
    installed "$pkgroot" "$elsewhere" >"$out/installed-$picture.out" \
        2>"$out/installed-$picture.err"
    got=$?
    mv "$scratch/$picture" "$pkgroot/$data/"
    [ "$want" = 1 ] || fail "without $picture: the source tree's demo exits $want, not 1"
    [ "$got" = "$want" ] || fail "without $picture: exit status $got, from the source tree $want"
    cmp -s "$out/source-$picture.out" "$out/installed-$picture.out" ||
        fail "without $picture: standard output differs from the source tree's"
    said=$(grep '^PNG: ' "$out/installed-$picture.err")
    [ -n "$said" ] && [ "$said" = "$(grep '^PNG: ' "$out/source-$picture.err")" ] ||
        fail "without $picture: said '$said', from the source tree:
$(cat "$out/source-$picture.err")"
done

# --- removal -------------------------------------------------------------------------------
dpkg --root="$pkgroot" --purge zokk >"$out/dpkg-purge.log" 2>&1 ||
    fail "dpkg could not remove the package: $(cat "$out/dpkg-purge.log")"
left=$(cd "$pkgroot" && find . -mindepth 1 ! -path './var' ! -path './var/lib' \
    ! -path './var/lib/dpkg' ! -path './var/lib/dpkg/*')
[ -z "$left" ] || fail "left behind after removal: $left"

[ "$failures" = 0 ] || exit 1
echo "package: built, installed, played from elsewhere, broken like the source tree, removed"
