#!/usr/bin/env bash
# Usage: scripts/check-release.sh
# Shows that the release is a function of its commit: makes it here (scripts/release.sh), then
# again from the same commit in a scratch clone elsewhere, with another time zone, locale,
# umask and home folder, and
#   - compares each of the files byte for byte: one that differs is named and diffoscope shows
#     where, its whole report kept in build-check/diffoscope-<file>.txt;
#   - scans every file of both releases, and what is inside the .deb, the tarball, the zip and
#     the page (its program and data are in it as base64) and any gzip file in them, for the
#     folders the two were made in, the library cache and the two home folders: each file that
#     names one is named, with what it names.
# The working tree must be the commit, without changes not committed.
#
# Usage: scripts/check-release.sh DIST-A DIST-B
# Compares and scans two releases made already, each in the dist/ folder of its own clone.
#
# Exits 0 when the files are the same and name no such folder, 1 when not, 2 when a release
# cannot be made or checked.
set -euo pipefail
. "$(dirname "$0")/prelude.sh"
answer_help "$@"
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

    # The other: another folder (of another depth and name length), later, another time zone,
    # locale and umask, another home folder (the same library cache, named to it).
    clone="$scratch/somewhere/else/zokk-again"
    git clone -q --no-checkout "$root" "$clone"
    git -C "$clone" checkout -q --detach "$commit"
    mkdir -p "$scratch/home"
    homes+=("$scratch/home")
    zone=Pacific/Kiritimati
    [ "$(date +%z)" != +1400 ] || zone=America/Adak
    locale=C
    [ "$(locale charmap 2>/dev/null)" != ANSI_X3.4-1968 ] || locale=C.UTF-8
    mask=0002
    [ "$(umask)" != 0002 ] || mask=0022
    echo "check-release: making it again in $clone, with TZ=$zone, LC_ALL=$locale," \
        "umask $mask and HOME=$scratch/home"
    start=$SECONDS
    (umask "$mask" && cd "$clone" &&
        HOME="$scratch/home" ZOKK_LIBS_CACHE="$cache" TZ=$zone LC_ALL=$locale LANG=$locale \
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
