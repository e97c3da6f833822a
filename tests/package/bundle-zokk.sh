#!/usr/bin/env bash
# $ZOKK_EXE of test_bundle.cpp: starts the zokk launcher of the unpacked tarball in
# $ZOKK_BUNDLE_DIR as a user of the Debian system in $ZOKK_BUNDLE_ROOT would, in the working
# directory it is given. Through bubblewrap, that system's files are at / (read-only), this
# machine's /tmp is at /tmp (the folder, the working directory, the X server's socket, the
# Wayland desktop's runtime folder), the user has an empty home of its own (where Mesa keeps its
# shader cache), and of this machine's environment only the display (X11's, or Wayland's and
# its runtime folder) and SDL's and Mesa's settings remain.
set -euo pipefail
home=/home/player
env=(--clearenv --setenv PATH /usr/local/bin:/usr/bin:/bin --setenv HOME "$home"
    --setenv XDG_CACHE_HOME "$home/.cache")
for name in $(compgen -e); do
    case $name in
    DISPLAY | WAYLAND_DISPLAY | XDG_RUNTIME_DIR | SDL_* | LIBGL_* | GALLIUM_*)
        env+=(--setenv "$name" "${!name}") ;;
    esac
done
exec bwrap --ro-bind "$ZOKK_BUNDLE_ROOT" / --dev /dev --proc /proc --bind /tmp /tmp \
    --tmpfs /home --dir "$home" --die-with-parent "${env[@]}" --chdir "$PWD" "$ZOKK_BUNDLE_DIR/zokk"
