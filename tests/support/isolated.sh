#!/bin/sh
# Runs a test in an account of its own, made afresh: HOME, the XDG folders and
# TMPDIR all inside $1, so nothing reaches the real home folder.
set -e
home=$1
shift
rm -rf "$home"
mkdir -p "$home/data" "$home/config" "$home/cache" "$home/tmp" "$home/runtime"
chmod 700 "$home/runtime"
export HOME="$home" XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
export XDG_RUNTIME_DIR="$home/runtime" TMPDIR="$home/tmp"
exec "$@"
