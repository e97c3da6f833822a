#!/usr/bin/env bash
# Usage: scripts/package.sh
# Builds zokk optimised and hardened, and makes in dist/:
#   zokk_<version>_<arch>.deb              the Debian package (checked with lintian)
#   zokk-<version>-linux-<cpu>.tar.gz      one folder that plays wherever it is unpacked, with
#                                          the libraries a desktop may lack
# The version is the one project() sets in CMakeLists.txt. ZOKK_DIST and ZOKK_PACKAGE_BUILD
# choose other folders for the output and the build tree (the tests use their own).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --package
dist=${ZOKK_DIST:-$root/dist}
build=${ZOKK_PACKAGE_BUILD:-$root/build-package}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)

# The same sources give the same bytes: file times in both archives come from the last commit.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null ||
    date +%s)}

# Debian's hardening flags; --as-needed keeps libraries the program uses no symbol of out of
# its dependencies. CMake reads no CPPFLAGS, so they go with the compiler flags.
buildflag() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
cppflags=$(buildflag CPPFLAGS)
flags="$(buildflag CXXFLAGS) $cppflags"
cflags="$(buildflag CFLAGS) $cppflags"
ldflags="$(buildflag LDFLAGS) -Wl,--as-needed"
# The package and the tarball are built in folders of their own: CMake keeps pkg-config's
# answers, and the two find their libraries in different places.
configure() { # PRESET FOLDER CMAKE-OPTIONS...
    (cd "$root" && cmake --preset "$1" -B "$2" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_C_FLAGS="$cflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${@:3}") >/dev/null
    cmake --build "$2" -j"${ZOKK_JOBS:-$(nproc)}"
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
arch=$(dpkg --print-architecture)

# The Debian package, from the installed tree.
configure package "$build/deb"
version=$(sed -n 's/^Version: //p' "$build/deb/packaging/control")
deb="$dist/zokk_${version}_${arch}.deb"
pkg="$stage/deb"
DESTDIR="$pkg" cmake --install "$build/deb" >/dev/null
# Stripped as Debian's own packaging tools strip: the build's comment and notes go too.
strip --remove-section=.comment --remove-section=.note "$pkg/usr/lib/games/zokk/zokk"
mkdir -p "$pkg/DEBIAN"

# dpkg-shlibdeps needs a package's source tree around it; a throwaway one does. Any warning
# (a library linked but not used, an unknown library) fails the package.
mkdir -p "$stage/skeleton/debian"
printf 'Source: zokk\n\nPackage: zokk\nArchitecture: any\n' >"$stage/skeleton/debian/control"
depends=$(cd "$stage/skeleton" &&
    dpkg-shlibdeps -O -e"$pkg/usr/lib/games/zokk/zokk" 2>"$stage/shlibdeps.err" |
    sed -n 's/^shlibs:Depends=//p')
if [ -s "$stage/shlibdeps.err" ] || [ -z "$depends" ]; then
    cat "$stage/shlibdeps.err" >&2
    echo "package: dpkg-shlibdeps found no clean dependencies" >&2
    exit 1
fi
size=$(du -sk --exclude=DEBIAN "$pkg" | cut -f1)
sed -e "s/\${Architecture}/$arch/" -e "s/\${Installed-Size}/$size/" \
    -e "s/\${shlibs:Depends}/$depends/" "$build/deb/packaging/control" >"$pkg/DEBIAN/control"
(cd "$pkg" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) \
    >"$pkg/DEBIAN/md5sums"
find "$pkg" -type d -exec chmod 0755 {} +
find "$pkg/DEBIAN" -type f -exec chmod 0644 {} +
rm -f "$deb"
dpkg-deb --root-owner-group -Zxz --build "$pkg" "$deb" >/dev/null
echo "package: $deb"
echo "package: depends on $depends"
# Lintian's errors and warnings both fail the package, which is then not left in dist/; its
# notes are shown.
lintian --fail-on error,warning --info "$deb" || {
    rm -f "$deb"
    echo "package: lintian rejects the package" >&2
    exit 1
}

# The portable folder: the same program and data beside a launcher that finds its own folder,
# with GCC's runtime and GLU linked in and, in lib/, the libraries that a desktop may lack,
# built once from Debian's source packages by scripts/build-libs.sh (with SDL2 loading its
# video and sound back ends at run time, so that it needs none of them to start).
prefix=$("$root/scripts/build-libs.sh" linux --for "$build/portable")
configure portable "$build/portable" -DCMAKE_PREFIX_PATH="$prefix"
folder="zokk-$version-linux-$(dpkg-architecture -qDEB_HOST_GNU_CPU)"
dir="$stage/tar/$folder"
DESTDIR= cmake --install "$build/portable" --prefix "$dir" --strip >/dev/null
# lib/ holds what the program needs from the prefix, what those libraries need in turn, and
# SDL2, which the SDL 1.2 layer loads by name when the show starts. Each finds the others
# beside itself through its run path, as the program does.
"$root/scripts/build-libs.sh" linux --ship "$dir/lib" "$dir/lib/zokk" \
    "$prefix/lib/libSDL2-2.0.so.0" >/dev/null
cp -r "$prefix/share/licenses" "$dir/licenses"
find "$stage/tar" -type d -exec chmod 0755 {} +
find "$dir/licenses" -type f -exec chmod 0644 {} +
tarball="$dist/$folder.tar.gz"
tar -C "$stage/tar" --sort=name --owner=0 --group=0 --numeric-owner \
    --mtime="@$SOURCE_DATE_EPOCH" --clamp-mtime -cf - "$folder" | gzip -9n >"$tarball"
echo "package: $tarball ($(du -k "$tarball" | cut -f1) kB)"
