#!/usr/bin/env bash
# Usage: scripts/package.sh
# Builds zokk optimised and hardened, and makes in dist/:
#   zokk_<version>_<arch>.deb              the Debian package, made with debian/ by
#                                          dpkg-buildpackage (checked with lintian)
#   zokk-<version>-linux-<cpu>.tar.gz      one folder that plays wherever it is unpacked, with
#                                          the libraries a desktop may lack
# The version is the one project() sets in CMakeLists.txt, which debian/changelog's top entry
# must have: the package is not built when they differ. ZOKK_DIST and ZOKK_PACKAGE_BUILD
# choose other folders for the output and the build tree (the tests use their own).
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
no_arguments "$@"
"$root/scripts/install-deps.sh" --package
release_names
# dpkg-buildpackage takes the version from debian/changelog.
changelog=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
[ "$changelog" = "$version" ] || {
    echo "package: debian/changelog's top entry is $changelog, CMakeLists.txt's project() says" \
        "$version: add an entry for $version to debian/changelog (dch -v $version)" >&2
    exit 1
}
dist=${ZOKK_DIST:-$root/dist}
build=${ZOKK_PACKAGE_BUILD:-$root/build-package}
mkdir -p "$dist"
dist=$(cd "$dist" && pwd)

# The same sources give the same bytes: file times in both archives come from the last commit.
SOURCE_DATE_EPOCH=$("$root/scripts/source-date.sh")
export SOURCE_DATE_EPOCH

# The portable build takes the package's flags, as debian/rules chooses them (Debian's
# hardening flags and --as-needed). CMake reads no CPPFLAGS, so they go with the compiler flags.
buildflag() {
    make -s -f "$root/debian/rules" --eval 'flag: ; @dpkg-buildflags --get $(FLAG)' flag FLAG="$1"
}
cppflags=$(buildflag CPPFLAGS)
flags="$(buildflag CXXFLAGS) $cppflags"
cflags="$(buildflag CFLAGS) $cppflags"
ldflags=$(buildflag LDFLAGS)
# The package and the tarball are built in folders of their own: CMake keeps pkg-config's
# answers, and the two find their libraries in different places.
configure() { # PRESET FOLDER CMAKE-OPTIONS...
    (cd "$root" && cmake --preset "$1" -B "$2" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_C_FLAGS="$cflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" "${@:3}") >/dev/null
    cmake --build "$2" -j"$jobs"
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

# The Debian package, built the Debian way: dpkg-buildpackage with debian/ (dh and its CMake
# build system) in a copy of the sources, the files that git tracks or would track as they are
# in the working tree. It makes the source package too, and lintian checks both: its errors
# and warnings fail the package, which is then not left in dist/; its notes are shown.
rm -rf "$build/deb"
tree="$build/deb/zokk-$version"
mkdir -p "$tree"
git -C "$root" ls-files -z --cached --others --exclude-standard |
    tar -C "$root" --null --ignore-failed-read -T - -cf - 2>/dev/null | tar -C "$tree" -xf -
(cd "$tree" && dpkg-buildpackage -us -uc -j"$jobs") >"$build/deb/build.log" 2>&1 || {
    tail -n 40 "$build/deb/build.log" >&2
    echo "package: dpkg-buildpackage failed (log: $build/deb/build.log)" >&2
    exit 1
}
rm -f "$dist/$deb"
lintian --fail-on error,warning --info "$build/deb/${deb%.deb}.changes" || {
    echo "package: lintian rejects the package" >&2
    exit 1
}
cp "$build/deb/$deb" "$dist/$deb"
echo "package: $dist/$deb"
echo "package: depends on $(dpkg-deb -f "$dist/$deb" Depends)"

# The portable folder: the same program and data beside a launcher that finds its own folder,
# with GCC's runtime and GLU linked in and, in lib/, the libraries that a desktop may lack,
# built once from Debian's source packages by scripts/build-libs.sh (with SDL2 loading its
# video and sound back ends at run time, so that it needs none of them to start).
prefix=$("$root/scripts/build-libs.sh" linux --for "$build/portable")
configure portable "$build/portable" -DCMAKE_PREFIX_PATH="$prefix"
dir="$stage/tar/$tarball_folder"
DESTDIR= cmake --install "$build/portable" --prefix "$dir" --strip >/dev/null
# lib/ holds what the program needs from the prefix, what those libraries need in turn, and
# SDL2, which the SDL 1.2 layer loads by name when the show starts. Each finds the others
# beside itself through its run path, as the program does.
"$root/scripts/ship-libs.sh" linux "$prefix" "$dir/lib" "$dir/lib/zokk" \
    "$prefix/lib/libSDL2-2.0.so.0"
cp -r "$prefix/share/licenses" "$dir/licenses"
find "$stage/tar" -type d -exec chmod 0755 {} +
find "$dir/licenses" -type f -exec chmod 0644 {} +
tar -C "$stage/tar" --sort=name --owner=0 --group=0 --numeric-owner \
    --mtime="@$SOURCE_DATE_EPOCH" --clamp-mtime -cf - "$tarball_folder" | gzip -9n >"$dist/$tarball"
echo "package: $dist/$tarball ($(du -k "$dist/$tarball" | cut -f1) kB)"
