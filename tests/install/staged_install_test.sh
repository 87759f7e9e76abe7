#!/usr/bin/env bash
# `cmake --install` into a staged prefix, moved elsewhere afterwards (so nothing can lean on the
# build folder or on the path it was installed to), then run from there by installed_run.sh.
# Also checks the tree the install rules make: the user unit names the configured bin folder, and
# every manual page and completion file of dist/ is in its place.
# Usage: staged_install_test.sh BUILD_DIR SOURCE_DIR CONFIGURED_BINDIR LIBDIR
set -euo pipefail
build=${1:?} source=${2:?} bindir=${3:?} libdir=${4:?}
fail() { echo "staged_install_test: FAIL: $*" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/skimmer-staged.XXXXXX")
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/staged" >"$work/install.log" 2>&1 || fail "cmake --install: $(cat "$work/install.log")"
mv "$work/staged" "$work/moved"
prefix=$work/moved

for file in bin/skimmer bin/skimmer-index "$libdir/skimmer/plugins/skimmer/skimmer.so" \
            "$libdir/skimmer/plugins/skimmer/skimmer_en.lng" "$libdir/skimmer/plugins/skimmer/skimmer_en.hlf" \
            share/doc/skimmer/README.md lib/systemd/user/skimmer-index.service; do
  [ -f "$prefix/$file" ] || fail "not installed: $file"
done
[ -z "$(find "$prefix" -path '*/plugins/*' -name '*.so' ! -name skimmer.so)" ] || fail "a test plug-in was installed"
exec_start=$(grep '^ExecStart=' "$prefix/lib/systemd/user/skimmer-index.service")
[ "$exec_start" = "ExecStart=$bindir/skimmer-index --watch" ] || fail "the unit says $exec_start"

shopt -s nullglob
for page in "$source"/dist/man/*.1; do
  [ -f "$prefix/share/man/man1/${page##*/}" ] || fail "manual page not installed: ${page##*/}"
done
for program in skimmer skimmer-index; do
  completion=$source/dist/completion
  [ ! -f "$completion/$program.bash" ] || [ -f "$prefix/share/bash-completion/completions/$program" ] ||
    fail "bash completion of $program not installed"
  [ ! -f "$completion/_$program" ] || [ -f "$prefix/share/zsh/vendor-completions/_$program" ] ||
    fail "zsh completion of $program not installed"
done
for fish in "$source"/dist/completion/*.fish; do
  [ -f "$prefix/share/fish/vendor_completions.d/${fish##*/}" ] || fail "fish completion not installed: ${fish##*/}"
done

"$(dirname "$0")/installed_run.sh" "$prefix"
