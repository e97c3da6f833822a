#!/usr/bin/env bash
# The installed game: builds the .deb and the portable tarball with scripts/package.sh (which
# fails on lintian errors and warnings), installs the package into a throwaway root of its
# own, never onto this machine, and plays it from there with its files at their real paths.
# Run by CTest under the test's own Xvfb, from the repository root, with $ZOKK_EXE the demo
# built from the source tree, $ZOKK_SHOW_FACTS the show's facts that its build wrote from the
# program's script, $ZOKK_PACKAGE_BUILD a build tree for the package and $ZOKK_BUNDLE_TESTS
# the tests of the tarball (tests/package/test_bundle.cpp).
#   - installed: `zokk` from another working directory plays the whole show, exit 0;
#   - the installed data without the music: the same whole show, silently;
#   - the installed data without a picture: the same output and exit status as the source
#     tree's demo without that picture;
#   - removing the package leaves no file in the root;
#   - with apt, as the README has a user do, in a copy of the clean Debian 13 system below:
#     `apt install` of the .deb takes the SDL stack and the rest from that system's archive,
#     the desktop entry passes desktop-file-validate and is in the Games menu, the installed
#     zokk plays the whole show there, and `apt remove zokk` leaves none of its files;
#   - the version is project()'s in CMakeLists.txt: debian/changelog's top entry (so that
#     dpkg-buildpackage builds a plain checkout), the package's and the tarball's; and
#     scripts/package.sh builds nothing from a changelog of another version;
#   - the tarball: no file in it needs a glibc newer than 2.34, and every library a file
#     needs is in its lib/ or is one every desktop has; unpacked, it plays in Debian 12 and
#     Debian 13 systems made by scripts/debian-root.sh that have none of its libraries, and
#     in the Debian 13 one, which also has a Wayland desktop's libraries, natively on the
#     Wayland desktop of tests/desktop/with-desktop.sh (at the same time as on X11 there).
#     Where the package mirror cannot give such a system, or the machine cannot run that
#     desktop, that is said, and the test ends as skipped (77) when nothing failed.
# Run as root, or by a user who may use sudo (the Debian systems are root's files).
. "$(dirname "$0")/shell-test.sh" package

# --- the version ---------------------------------------------------------------------------
version=$(sed -n 's/^project(zokk VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || fail "no version in project() of CMakeLists.txt"
changelog=$(dpkg-parsechangelog -l debian/changelog -S Version)
[ "$changelog" = "$version" ] ||
    fail "debian/changelog's top entry is $changelog, project()'s version $version"
# A copy of what package.sh reads before it builds, with the changelog a version behind.
behind="$scratch/behind"
mkdir -p "$behind"
cp -r scripts debian CMakeLists.txt "$behind/"
sed -i "1s/($version)/(0.9.9)/" "$behind/debian/changelog"
ZOKK_DIST="$scratch/behind-dist" ZOKK_PACKAGE_BUILD="$scratch/behind-build" \
    "$behind/scripts/package.sh" >"$out/behind.out" 2>"$out/behind.err"
status=$?
[ "$status" = 1 ] || fail "package.sh with a changelog of 0.9.9: status $status, not 1"
grep -q "debian/changelog's top entry is 0.9.9, CMakeLists.txt's project() says $version" \
    "$out/behind.err" || fail "package.sh did not say why it refused: $(cat "$out/behind.err")"
[ -z "$(ls -A "$scratch/behind-dist" 2>/dev/null)" ] && [ ! -e "$scratch/behind-build/deb" ] ||
    fail "package.sh with a changelog of 0.9.9 left a build or a file in dist/"

# --- build -------------------------------------------------------------------------------
ZOKK_DIST="$scratch/dist" "$root/scripts/package.sh" >"$out/package.log" 2>&1 || {
    cat "$out/package.log" >&2
    echo "FAIL: scripts/package.sh" >&2
    exit 1
}
deb=$(ls "$scratch"/dist/zokk_*.deb)
tarball=$(ls "$scratch"/dist/zokk-*-linux-*.tar.gz)
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] ||
    fail "the package's version is $(dpkg-deb -f "$deb" Version), not $version"
[[ "$(basename "$tarball")" = "zokk-$version-linux-"* ]] ||
    fail "the tarball $(basename "$tarball") does not carry the version $version"

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

# --- the two whole shows, side by side on the test's display -----------------------------
elsewhere="$scratch/elsewhere"
mkdir -p "$elsewhere"
installed "$pkgroot" "$elsewhere" >"$out/installed.out" 2>"$out/installed.err" &
show=$!

# A second copy of the installed root, without the music.
data=usr/share/games/zokk/data
cp -a "$pkgroot" "$scratch/silent-root"
rm "$scratch/silent-root/$data/$(basename "$(sed -n 's/^music //p' "$ZOKK_SHOW_FACTS")")"
installed "$scratch/silent-root" "$elsewhere" >"$out/no-music.out" 2>"$out/no-music.err" &
silent=$!
wait "$show"
expect_whole_show installed $?
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

# --- with apt, in a clean Debian 13 system --------------------------------------------------
# As the README has a user do: in a copy of the Debian 13 system that scripts/debian-root.sh
# makes (no SDL, no libpng, no Vorbis), `apt install ./<the .deb>` takes the rest from that
# system's archive on the package mirror; the desktop entry is valid, in the Games menu; the
# installed zokk plays the whole show there; `apt remove zokk` leaves none of its files. The
# downloaded packages are kept beside the system, for the next run.
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
if ! trixie=$("$root/scripts/debian-root.sh" trixie --wayland 2>"$out/root-apt.log"); then
    cat "$out/root-apt.log" >&2
    echo "NOT TESTED: the package with apt in Debian 13, of which the package mirror gave" \
        "no system" >&2
    untested_apt="the package with apt in Debian 13"
else
    system="$scratch/apt-root"
    archives="$trixie.apt"
    $sudo mkdir -p "$archives/partial"
    $sudo cp -a "$trixie" "$system"
    in_system() { # COMMAND...: as root in the copy of the system
        $sudo bwrap --bind "$system" / --dev /dev --proc /proc --perms 1777 --tmpfs /tmp \
            --ro-bind /etc/resolv.conf /etc/resolv.conf --bind "$archives" /var/cache/apt/archives \
            --ro-bind "$deb" "/tmp/$(basename "$deb")" --die-with-parent \
            env DEBIAN_FRONTEND=noninteractive "$@"
    }
    in_system sh -c "apt-get update -qq &&
        apt -o APT::Keep-Downloaded-Packages=true install -y /tmp/$(basename "$deb")" \
        >"$out/apt-install.log" 2>&1 ||
        fail "apt could not install the package in Debian 13: $(tail -n 20 "$out/apt-install.log")"
    in_system dpkg -L zokk >"$out/apt-files.txt" 2>&1 || fail "apt installed no zokk in Debian 13"

    entry="$system/usr/share/applications/zokk.desktop"
    said=$(desktop-file-validate "$entry" 2>&1) && [ -z "$said" ] ||
        fail "the desktop entry does not pass desktop-file-validate: $said"
    grep -qE '^Categories=(.*;)?Game(;|$)' "$entry" ||
        fail "the desktop entry is not in the Games menu: $(grep '^Categories' "$entry")"

    $sudo bwrap --ro-bind "$system" / --dev /dev --proc /proc --bind /tmp /tmp --tmpfs /home \
        --dir /home/player --chdir /home/player --die-with-parent --clearenv \
        --setenv PATH /usr/local/bin:/usr/bin:/bin:/usr/games --setenv HOME /home/player \
        --setenv DISPLAY "$DISPLAY" --setenv SDL_AUDIODRIVER dummy \
        zokk >"$out/apt-installed.out" 2>"$out/apt-installed.err"
    expect_whole_show apt-installed $?

    in_system apt remove -y zokk >"$out/apt-remove.log" 2>&1 ||
        fail "apt could not remove the package: $(tail -n 20 "$out/apt-remove.log")"
    ! in_system dpkg-query -W -f='${db:Status-Abbrev}\n' zokk 2>/dev/null | grep -q '^[a-z]i' ||
        fail "after apt remove, dpkg still has zokk installed"
    while IFS= read -r path; do
        if [ -e "$system$path" ] && { [ ! -d "$system$path" ] || [[ $path == *zokk* ]]; }; then
            fail "left behind by apt remove: $path"
        fi
    done <"$out/apt-files.txt"
    $sudo rm -rf "$system"
fi

# --- the tarball's files ---------------------------------------------------------------------
tar -xzf "$tarball" -C "$scratch"
folder="$scratch/$(basename "$tarball" .tar.gz)"
# What a desktop always has: the C library, OpenGL and the X11 client libraries.
desktop='^((libc|libm|libdl|libpthread|librt)\.so\.[0-9]+|ld-linux-x86-64\.so\.2|libGL\.so\.1'
desktop+='|libX[A-Za-z0-9]*\.so\.[0-9]+|libxcb[a-z0-9-]*\.so\.[0-9]+)$'
for file in $(find "$folder" -type f | sort); do
    [ "$(head -c 4 "$file")" = $'\x7fELF' ] || continue
    name=${file#"$folder"/}
    newest=$(objdump -T "$file" | grep -o 'GLIBC_[0-9.]*' | sed 's/GLIBC_//' | sort -uV | tail -n 1)
    [ "$(printf '%s\n' "$newest" 2.34 | sort -V | tail -n 1)" = 2.34 ] ||
        fail "$name needs glibc $newest: $(objdump -T "$file" | grep -E 'GLIBC_2\.(3[5-9]|[4-9][0-9])')"
    for lib in $(objdump -p "$file" | awk '$1 == "NEEDED" { print $2 }'); do
        [ -f "$folder/lib/$lib" ] || [[ $lib =~ $desktop ]] ||
            fail "$name needs $lib, which is neither in lib/ nor on every desktop"
    done
    runpath=$(objdump -p "$file" | awk '$1 == "RUNPATH" { print $2 }')
    [ "$runpath" = '$ORIGIN' ] || fail "$name finds its libraries through '$runpath', not \$ORIGIN"
done
# SDL2 loads each of these back ends by name when the show starts (and links none of them).
for backend in libX11.so.6 libwayland-client.so.0 libpipewire-0.3.so.0 libpulse-simple.so.0 \
    libasound.so.2; do
    grep -qaF "$backend" "$folder/lib/libSDL2-2.0.so.0" || fail "SDL2 cannot load $backend"
done
! nm -D --defined-only "$folder/lib/zokk" | grep -q ' _Z' ||
    fail "the program exports C++ runtime symbols"
! grep -q LD_LIBRARY_PATH "$folder/zokk" || fail "the launcher sets LD_LIBRARY_PATH"

# --- the tarball in Debian systems without its libraries -------------------------------------
untested=()
for system in "12 bookworm" "13 trixie --wayland"; do
    read -r number suite wayland <<<"$system"
    if ! sysroot=$("$root/scripts/debian-root.sh" "$suite" ${wayland:+"$wayland"} \
        2>"$out/root-$suite.log"); then
        cat "$out/root-$suite.log" >&2
        echo "NOT TESTED: the tarball in Debian $number, of which the package mirror gave" \
            "no system ($suite)" >&2
        untested+=("Debian $number")
        continue
    fi
    own=$(find "$sysroot/usr/lib" \( -name 'libSDL*' -o -name 'libpng*' -o -name 'libvorbis*' \
        -o -name 'libogg*' \) | head -n 3)
    if [ -n "$own" ]; then
        fail "the Debian $number system has a library the tarball brings along: $own"
        continue
    fi
    bundle=(env ZOKK_BUNDLE_ROOT="$sysroot" ZOKK_BUNDLE="$folder"
        ZOKK_EXE="$root/tests/package/bundle-zokk.sh")
    if [ -n "$wayland" ]; then
        "${bundle[@]}" "$root/tests/desktop/with-desktop.sh" "$ZOKK_BUNDLE_TESTS" \
            --gtest_filter='ZokkBundleOnWayland.*' >"$out/bundle-$suite-wayland.log" 2>&1 &
        desktop=$!
    fi
    "${bundle[@]}" "$ZOKK_BUNDLE_TESTS" --gtest_filter='-ZokkBundleOnWayland.*' \
        >"$out/bundle-$suite.log" 2>&1 ||
        fail "the tarball in Debian $number ($suite):
$(grep -E -A3 'Failure|FAILED  ' "$out/bundle-$suite.log" | head -n 40)"
    [ -n "$wayland" ] || continue
    wait "$desktop"
    case $? in
    0) ;;
    77)
        cat "$out/bundle-$suite-wayland.log" >&2
        echo "NOT TESTED: the tarball on Wayland in Debian $number, as the desktop could not" \
            "run here" >&2
        untested+=("Debian $number on Wayland")
        ;;
    *) fail "the tarball on Wayland in Debian $number ($suite):
$(grep -E -A3 'with-desktop|Failure|FAILED  ' "$out/bundle-$suite-wayland.log" | head -n 40)" ;;
    esac
done

[ "$failures" = 0 ] || exit 1
echo "package: built, installed, played from elsewhere, broken like the source tree, removed"
if [ -n "${untested_apt:-}" ]; then
    echo "package: NOT tested: $untested_apt" >&2
else
    echo "package: installed with apt in Debian 13, in its Games menu, played there, removed"
fi
if [ ${#untested[@]} -gt 0 ]; then
    echo "tarball: its files checked; NOT played in ${untested[*]}" >&2
else
    echo "tarball: its files checked, played in Debian 12 and 13 without its libraries, and in" \
        "Debian 13 natively on Wayland"
fi
[ -z "${untested_apt:-}" ] && [ ${#untested[@]} = 0 ] || exit 77
