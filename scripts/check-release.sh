#!/usr/bin/env bash
# Usage: scripts/check-release.sh [--cold-libs]
# Shows that the release is a function of its commit: makes it here (scripts/release.sh), then
# again from the same commit in a scratch clone elsewhere, as another user (uid 1000, or 1001
# where this user is 1000, named zokk-check, in a user namespace), with another time zone,
# locale, umask and home folder, and
#   - compares each of the files byte for byte: one that differs is named and diffoscope shows
#     where, its whole report kept in build-check/diffoscope-<file>.txt;
#   - scans every file of both releases, and what is inside the .deb, the tarball, the zip and
#     the page (its program and data are in it as base64) and any gzip file in them, for the
#     folders the two were made in, the library caches and the two home folders: each file
#     that names one is named, with what it names.
# The second making takes the bundled libraries from the same cache, unless --cold-libs is
# given: then it builds them all again from their sources, in a cache of its own, which shows
# that they too are the same bytes wherever they are built (a few minutes more).
# The working tree must be the commit, without changes not committed.
#
# Usage: scripts/check-release.sh DIST-A DIST-B
# Compares and scans two releases made already, each in the dist/ folder of its own clone.
#
# Where the machine refuses a user namespace, the second making is this user's, and the check
# says so ("NOT as another user").
# Exits 0 when the files are the same and name no such folder, 1 when not, 2 when a release
# cannot be made or checked.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
answer_help "$@"
cold_libs=false
if [ "${1:-}" = --cold-libs ]; then
    cold_libs=true
    shift
    [ $# -eq 0 ] || bad_usage "--cold-libs makes both releases, and takes no folder"
fi
[[ "${1:-}" != -* ]] || bad_usage "unknown option $1"
[ $# -eq 0 ] || [ $# -eq 2 ] || bad_usage "takes no folder or two, not $#"
"$root/scripts/install-deps.sh" --check
cache=$(mkdir -p "$libs_cache" && cd "$libs_cache" && pwd)
reports="$root/build-check"
rm -rf "$reports"
mkdir -p "$reports"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/zokk-check.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
homes=("$HOME")

if [ $# -eq 2 ]; then
    a=$(cd "$1" && pwd)
    b=$(cd "$2" && pwd)
else
    commit=$(git -C "$root" rev-parse HEAD)
    if [ -n "$(git -C "$root" status --porcelain --untracked-files=no)" ]; then
        echo "check-release: $root has changes not committed; a release is made from a commit" >&2
        exit 2
    fi
    start=$SECONDS
    "$root/scripts/release.sh" || exit 2
    here=$((SECONDS - start))
    a="$root/dist"

    # The other: another folder (of another depth and name length), later, as another user,
    # another time zone, locale and umask, another home folder, and the same library cache,
    # named to it, or with --cold-libs a new one.
    clone="$scratch/somewhere/else/zokk-again"
    git clone -q --no-checkout "$root" "$clone"
    git -C "$clone" checkout -q --detach "$commit"
    mkdir -p "$scratch/home"
    homes+=("$scratch/home")
    other_cache=$cache
    if $cold_libs; then
        other_cache="$scratch/libs"
        mkdir -p "$other_cache"
    fi
    zone=Pacific/Kiritimati
    [ "$(date +%z)" != +1400 ] || zone=America/Adak
    locale=C
    [ "$(locale charmap 2>/dev/null)" != ANSI_X3.4-1968 ] || locale=C.UTF-8
    mask=0002
    [ "$(umask)" != 0002 ] || mask=0022
    # The other user: a user namespace in which this user's files are its own, with its name
    # in the namespace's passwd and group files.
    uid=1000
    [ "$(id -u)" != 1000 ] || uid=1001
    user=zokk-check
    { grep -v "^[^:]*:[^:]*:$uid:" /etc/passwd; echo "$user:x:$uid:$uid::$scratch/home:/bin/sh"; } \
        >"$scratch/passwd"
    { grep -v "^[^:]*:[^:]*:$uid:" /etc/group; echo "$user:x:$uid:"; } >"$scratch/group"
    as_other=(bwrap --bind / / --dev-bind /dev /dev --ro-bind "$scratch/passwd" /etc/passwd
        --ro-bind "$scratch/group" /etc/group --unshare-user --uid "$uid" --gid "$uid"
        --die-with-parent)
    said=$("${as_other[@]}" id -un 2>&1) || true
    if [ "$said" != "$user" ]; then
        echo "check-release: NOT as another user, as this machine refuses a user namespace:" \
            "$said" >&2
        as_other=()
        uid=$(id -u)
        user=$(id -un)
    fi
    echo "check-release: making it again in $clone, as $user (uid $uid), with TZ=$zone," \
        "LC_ALL=$locale, umask $mask, HOME=$scratch/home and the libraries from $other_cache"
    start=$SECONDS
    (umask "$mask" && cd "$clone" &&
        "${as_other[@]}" env HOME="$scratch/home" USER=$user LOGNAME=$user \
            ZOKK_LIBS_CACHE="$other_cache" TZ=$zone LC_ALL=$locale LANG=$locale \
            scripts/release.sh) >"$reports/release-again.log" 2>&1 || {
        tail -n 30 "$reports/release-again.log" >&2
        echo "check-release: the release could not be made again" \
            "(log: $reports/release-again.log)" >&2
        exit 2
    }
    again=$((SECONDS - start))
    echo "check-release: the release took $here s here and $again s elsewhere"
    b="$clone/dist"
fi
[ -s "$a/SHA256SUMS" ] || { echo "check-release: $a holds no release (no SHA256SUMS)" >&2; exit 2; }
mapfile -t files < <(echo SHA256SUMS && awk '{ print $2 }' "$a/SHA256SUMS")

failed=0
# --- the same bytes ---------------------------------------------------------------------------
for file in "${files[@]}"; do
    if cmp -s "$a/$file" "$b/$file"; then
        echo "check-release: same: $file"
        continue
    fi
    failed=1
    echo "check-release: DIFFERS: $file"
    report="$reports/diffoscope-$file.txt"
    diffoscope --no-progress --text "$report" --max-text-report-size 4000000 \
        "$a/$file" "$b/$file" >/dev/null 2>"$reports/diffoscope-$file.err" || true
    head -n 40 "$report" | sed 's/^/    /'
    [ "$(wc -l <"$report")" -le 40 ] || echo "    ... (all of it in $report)"
done

# --- no folder of the machine ----------------------------------------------------------------
# What the releases were made in, the cache and the homes, as they are written and as the
# links to them resolve.
needles=("$(dirname "$a")" "$(dirname "$b")" "$cache" "${homes[@]}")
[ "${other_cache:-$cache}" = "$cache" ] || needles+=("$other_cache")
for n in "${needles[@]}"; do
    real=$(readlink -f "$n")
    [ "$real" = "$n" ] || needles+=("$real")
done
unpack() { # FILE DIR: what is inside FILE, into DIR
    case "$1" in
    *.deb) dpkg-deb -R "$1" "$2" ;;
    *.tar.gz) tar -xzf "$1" -C "$2" ;;
    *.zip) unzip -q "$1" -d "$2" ;;
    *.html)
        python3 - "$1" "$2" <<'PY'
import base64, re, sys
text = open(sys.argv[1], encoding='utf-8').read()
for n, part in enumerate(re.findall(r"'([A-Za-z0-9+/]{64,}={0,2})'", text)):
    with open('%s/base64-%d' % (sys.argv[2], n), 'wb') as out:
        out.write(base64.b64decode(part))
PY
        ;;
    esac
    find "$2" -name '*.gz' -type f -exec sh -c 'gzip -dc "$1" >"$1.unpacked"' _ {} \;
}
named=0 count=0
for release in "$a" "$b"; do
    for file in "${files[@]}"; do
        count=$((count + 1))
        inside="$scratch/scan/$count"
        mkdir -p "$inside"
        unpack "$release/$file" "$inside"
        for n in "${needles[@]}"; do
            while IFS= read -r hit; do
                where=""
                [ "$hit" = "$release/$file" ] || where=" (in it: ${hit#"$inside"/})"
                echo "check-release: NAMES A FOLDER: $release/$file$where names $n"
                named=1
            done < <(grep -rlaF -e "$n" "$release/$file" "$inside" | sed 's/\.unpacked$//')
        done
    done
done
[ "$named" = 0 ] || failed=1
[ "$named" = 1 ] || echo "check-release: no file names ${needles[*]}"
exit "$failed"
