#!/usr/bin/env bash
# Usage: scripts/debian-source.sh DEST SOURCE-PACKAGE...
# Fetches Debian source packages with apt and unpacks each into DEST/<package>/tree, from the
# package mirror this machine already uses for its binary packages (read from its own apt
# sources), through a source list private to DEST: nothing in /etc is changed and no host is
# named here. A package already unpacked in DEST is not fetched again.
#
# A few sources the mirror may not serve are pinned below to an upstream archive and its
# SHA-256. When the mirror has no source for such a package, the archive is taken from the
# folder named by ZOKK_SOURCES, and only if its SHA-256 is the pinned one; otherwise one line
# says which file is needed, with which SHA-256, where.
# Prints the unpacked version of each package as "<package> <version>" on standard output.
#
# Usage: scripts/debian-source.sh --mirror
# Prints that mirror's URI and the keyring its releases are checked with, on one line (for the
# other scripts that fetch from it).
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
answer_help "$@"
if [ "${1:-}" = --mirror ]; then
    [ $# -eq 1 ] || bad_usage "--mirror takes nothing more, not ${*:2}"
else
    [ $# -ge 2 ] || bad_usage "needs a folder and at least one source package"
    for arg in "$@"; do
        [[ "$arg" != -* ]] || bad_usage "unknown option $arg"
    done
    dest=$1
    shift
    command -v dpkg-source >/dev/null || {
        echo "debian-source: dpkg-source is missing (install the dpkg-dev package)" >&2
        exit 1
    }
    mkdir -p "$dest"
    dest=$(cd "$dest" && pwd)
fi

# <source package> <version> <archive> <SHA-256>
pinned='
sdl12-compat 1.2.60 sdl12-compat-release-1.2.60.tar.gz 295d5bc0897a8a25ca343966adaf2f0d1054c0ba10acb73e37f31fe598e0fd36
'

is_pinned() {
    echo "$pinned" | awk -v p="$1" '$1 == p { found = 1 } END { exit !found }'
}

# Unpacks the pinned upstream archive of package $1 from $ZOKK_SOURCES into DEST/$1/tree.
from_upstream() {
    local pkg=$1 version archive sum file actual="" problem
    read -r _ version archive sum < <(echo "$pinned" | awk -v p="$pkg" '$1 == p')
    file="\$ZOKK_SOURCES/$archive"
    if [ -z "${ZOKK_SOURCES:-}" ]; then
        problem="ZOKK_SOURCES is not set"
    else
        file="$ZOKK_SOURCES/$archive"
        actual=$(sha256sum "$file" 2>/dev/null | cut -d' ' -f1) || true
        problem=${actual:+its SHA-256 is $actual}
        problem=${problem:-missing}
    fi
    if [ "${actual:-}" != "$sum" ]; then
        echo "debian-source: $file: $problem; the mirror has no source of $pkg, so this" \
            "archive must be there, with SHA-256 $sum (ZOKK_SOURCES names its folder)" >&2
        exit 1
    fi
    rm -rf "$dest/$pkg"
    mkdir -p "$dest/$pkg/tree"
    tar -xzf "$file" -C "$dest/$pkg/tree" --strip-components=1
    echo "$version (upstream, SHA-256 $sum)" >"$dest/$pkg/version"
}

. /etc/os-release
codename=${VERSION_CODENAME:?debian-source: no VERSION_CODENAME in /etc/os-release}

# The first binary ("deb") source of this release's own suite, as apt itself reads this
# machine's sources, and the keyring that entry names: its Signed-By (deb822) or signed-by=
# (one-line), or else Debian's archive keyring. The entry is "file:N", N counting a deb822
# file's stanzas (comments aside) or a one-line file's lines.
read -r uri entry < <(apt-get indextargets --no-release-info "Release: $codename" \
    'Target-Of: deb' --format '$(REPO_URI) $(SOURCESENTRY)') || {
    echo "debian-source: no apt source for $codename found in /etc/apt" >&2
    exit 1
}
case "${entry%:*}" in
*.sources) key=$(grep -v '^[[:space:]]*#' "${entry%:*}" | awk -v RS= -v n="${entry##*:}" \
    'NR == n' | sed -n 's/^Signed-By:[ \t]*\(\/.*\)/\1/p') ;;
*) key=$(sed -n "${entry##*:}p" "${entry%:*}" | grep -o 'signed-by=[^] ]*' | cut -d= -f2) ;;
esac
key=${key:-/usr/share/keyrings/debian-archive-keyring.gpg}
if [ "$1" = --mirror ]; then
    echo "$uri $key"
    exit 0
fi

apt="$dest/.apt"
opts=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt/parts"
      -o "Dir::State::Lists=$apt/lists" -o "Dir::Cache=$apt/cache"
      -o Debug::NoLocking=1)
# As root, apt would hand downloads to its _apt user, who cannot write into DEST.
[ "$(id -u)" -ne 0 ] || opts+=(-o APT::Sandbox::User=root)
updated=0
for pkg in "$@"; do
    if [ ! -f "$dest/$pkg/version" ]; then
        if [ "$updated" = 0 ]; then
            mkdir -p "$apt/parts" "$apt/lists/partial" "$apt/cache"
            printf 'Types: deb-src\nURIs: %s\nSuites: %s %s-updates\nComponents: main\nSigned-By: %s\n' \
                "$uri" "$codename" "$codename" "$key" >"$apt/parts/source.sources"
            apt-get "${opts[@]}" -qq update
            updated=1
        fi
        rm -rf "$dest/$pkg"
        mkdir -p "$dest/$pkg"
        if (cd "$dest/$pkg" && apt-get "${opts[@]}" -qq source --download-only "$pkg" \
            >/dev/null 2>"$dest/$pkg/apt-errors"); then
            # apt checked every downloaded file against the signed index, so dpkg-source
            # need not check the .dsc signature again.
            (cd "$dest/$pkg" && dpkg-source --no-check -x ./*.dsc tree >/dev/null)
            sed -n 's/^Version: //p' "$dest/$pkg"/*.dsc | head -n 1 >"$dest/$pkg/version"
        elif is_pinned "$pkg"; then
            from_upstream "$pkg"
        else
            cat "$dest/$pkg/apt-errors" >&2
            echo "debian-source: apt could not fetch the source of $pkg" >&2
            exit 1
        fi
        rm -f "$dest/$pkg/apt-errors"
    fi
    echo "$pkg $(cat "$dest/$pkg/version")"
done
