# shellcheck shell=bash disable=SC2034 # (the variables are for the scripts that source it)
# Usage: . "$(dirname "$0")/prelude.sh"      (first thing after a script's set line)
# What every script in scripts/ shares, said once here. It sets
#   root        the project's folder, wherever the script is started from
#   jobs        how many jobs a build runs at once: ZOKK_JOBS, or this machine's processors
#   libs_cache  where scripts/build-libs.sh keeps its sources and prefixes: ZOKK_LIBS_CACHE,
#               or ~/.cache/zokk/libs
# and defines
#   release_names  sets version, project()'s in CMakeLists.txt, and the release's file names:
#                  deb (the package), tarball (and tarball_folder, the folder in it), zip,
#                  page and video. A function, as the tarball's name asks dpkg-architecture,
#                  which only the package's, the Windows and the web groups of
#                  scripts/install-deps.sh bring: a script calls it once those are installed.
#   usage          prints the comment at the top of the running script, up to its set line
#   bad_usage      says what is wrong with the arguments, then the usage, on standard error,
#                  and exits 2: a script calls it while it reads its arguments, before it
#                  installs or builds anything.
#   answer_help    given "$@": prints the usage and exits 0 when the first argument is -h or
#                  --help
#   no_arguments   given "$@", for a script that takes none: answers help, refuses the rest
# It changes no shell option: each script sets its own.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${ZOKK_JOBS:-$(nproc)}
libs_cache=${ZOKK_LIBS_CACHE:-$HOME/.cache/zokk/libs}

release_names() {
    version=$(sed -n 's/^project(zokk VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
    [ -n "$version" ] || {
        echo "$(basename "$0" .sh): no version in project() of $root/CMakeLists.txt" >&2
        exit 1
    }
    deb="zokk_${version}_$(dpkg --print-architecture).deb"
    tarball_folder="zokk-$version-linux-$(dpkg-architecture -qDEB_HOST_GNU_CPU)"
    tarball="$tarball_folder.tar.gz"
    zip=zokk-win64.zip
    page=zokk.html
    video=zokk.mp4
}

usage() {
    sed -n '2,/^set -/{/^set -/d; s/^# \{0,1\}//; p}' "$0"
}

bad_usage() {
    echo "$(basename "$0" .sh): $*" >&2
    usage >&2
    exit 2
}

answer_help() {
    case "${1:-}" in
    -h | --help)
        usage
        exit 0
        ;;
    esac
}

no_arguments() {
    answer_help "$@"
    [ $# -eq 0 ] || bad_usage "takes no arguments, not $*"
}
