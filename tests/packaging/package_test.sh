#!/usr/bin/env bash
# package_test.sh BUILD_DIR VERSION: makes the package with cpack, lists it,
# checks its fields, validates its desktop entry and AppStream data, holds
# its manual page and completion against the usage text, and runs the
# unpacked programs from an unrelated folder as installed ones.
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb=("$work"/out/korvent_"$version"_*.deb)
[ -f "${deb[0]}" ] || fail "no korvent_${version}_*.deb"
echo "package: $(basename "${deb[0]}"), $(stat -c %s "${deb[0]}") bytes"

dpkg-deb -c "${deb[0]}" | awk '{print $6}' | sed 's|^\./|/|' | sort >"$work/files"
cat "$work/files"
app=org.korvent.Korvent
for file in /usr/bin/korvent /usr/bin/korvent-cli \
  /usr/share/korvent/style.css /usr/share/korvent/style_p.css /usr/share/korvent/header.htm \
  /usr/share/korvent/countrys.txt /usr/share/korvent/checklist.kvchk /usr/share/korvent/import-example.csv \
  /usr/share/applications/$app.desktop /usr/share/metainfo/$app.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/$app.svg /usr/share/icons/hicolor/48x48/apps/$app.png \
  /usr/share/icons/hicolor/256x256/apps/$app.png \
  /usr/share/man/man1/korvent-cli.1.gz /usr/share/man/man1/korvent.1.gz \
  /usr/share/bash-completion/completions/korvent-cli /usr/share/doc/korvent/copyright; do
  grep -qx "$file" "$work/files" || fail "$file is not in the package"
done
# The shared folder holds what the program ships, nothing a checkout gathered.
shared=$(grep '^/usr/share/korvent/.' "$work/files" | sort | tr '\n' ' ')
expected="/usr/share/korvent/checklist.kvchk /usr/share/korvent/countrys.txt /usr/share/korvent/header.htm \
/usr/share/korvent/import-example.csv /usr/share/korvent/style.css /usr/share/korvent/style_p.css "
[ "$shared" = "$expected" ] || fail "the shared files are $shared"
# Nothing of the build beside the programs: no tests, benchmarks, headers or libraries.
if grep -v -e '/$' "$work/files" | grep -v -e '^/usr/bin/korvent\(-cli\)\?$' -e '^/usr/share/'; then
  fail "files outside the installed layout"
fi

depends=$(dpkg-deb -f "${deb[0]}" Depends)
echo "Depends: $depends"
[ "$(dpkg-deb -f "${deb[0]}" Version)" = "$version" ] || fail "package version"
[[ ", $(dpkg-deb -f "${deb[0]}" Recommends)," == *", bash-completion,"* ]] || fail "Recommends lacks bash-completion"
[[ "$(dpkg-deb -f "${deb[0]}" Maintainer)" != *@localhost* ]] || fail "maintainer address"
[ "$(dpkg-deb -f "${deb[0]}" Description | wc -l)" -gt 5 ] || fail "no long description"
for library in libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libsqlite3-0 libc6; do
  [[ ", $depends," == *", $library "* || ", $depends," == *", $library,"* ]] || fail "Depends lacks $library"
done

root=$work/root
dpkg-deb -x "${deb[0]}" "$root"
desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "desktop entry"
appstreamcli validate --no-net --explain "$root/usr/share/metainfo/$app.metainfo.xml" || fail "AppStream data"
file "$root/usr/share/icons/hicolor/48x48/apps/$app.png" | grep -q '48 x 48' || fail "48x48 icon"
completion=$root/usr/share/bash-completion/completions/korvent-cli
bash -n "$completion" || fail "completion script"
grep -q '<release version="'"$version"'" date="[0-9]\{4\}-[0-9][0-9]-[0-9][0-9]"' "$root/usr/share/metainfo/$app.metainfo.xml" \
  || fail "the AppStream release is not version $version"

# The manual page and the completion are the usage text: every command and option of it is in both.
help=$("$root/usr/bin/korvent-cli" --help)
# Read as text: font changes and escapes out.
manual=$(zcat "$root/usr/share/man/man1/korvent-cli.1.gz" | sed -e 's/\\f[A-Z]//g' -e 's/\\[,/]//g' -e 's/\\//g')
commands=$(sed -n '/^Commands:/,$p' <<<"$help" | awk 'NR > 1 {print $1}')
options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u)
[ "$(wc -w <<<"$commands")" -gt 10 ] && [ "$(wc -w <<<"$options")" -gt 10 ] || fail "no commands or options read from --help"
for command in $commands; do
  grep -q "^$command\b" <<<"$manual" || fail "the manual page lacks $command"
  grep -q "^ *$command) forms=" "$completion" || fail "the completion lacks $command"
done
for option in $options; do
  grep -q -- "$option\b" <<<"$manual" || fail "the manual page lacks $option"
  grep -q -- "$option\b" "$completion" || fail "the completion lacks $option"
done
grep -qF "korvent-cli $("$root/usr/bin/korvent-cli" --version | cut -d' ' -f2-)" <<<"$manual" || fail "the manual page's version"
zcat "$root/usr/share/man/man1/korvent.1.gz" | grep -q '^\.SH SYNOPSIS' || fail "the manual page of korvent"
# Both programs answer a shell's questions without a screen, with one version.
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/korvent" --version | cut -d' ' -f2-)" = "$("$root/usr/bin/korvent-cli" --version | cut -d' ' -f2-)" ] \
  || fail "korvent --version"
env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/korvent" --help | grep -q '^usage: korvent \[EVENT_DIR\]' || fail "korvent --help"

# Installed: settings and the user's files in the home folder, the shipped
# header and style sheets from the package, whatever the current folder.
export HOME=$work/home XDG_CONFIG_HOME= XDG_DATA_HOME=
mkdir -p "$work/elsewhere" "$work/event"
cd "$work/elsewhere"
"$root/usr/bin/korvent-cli" --event "$work/event" generate --teams 12 >/dev/null
"$root/usr/bin/korvent-cli" --event "$work/event" calculate --all >/dev/null
"$root/usr/bin/korvent-cli" --event "$work/event" report results-table >/dev/null
grep -q '<table' "$work/event/results/results.htm" || fail "no results page"
cmp -s "$work/event/results/style.css" "$root/usr/share/korvent/style.css" || fail "style sheet not from the package"
# Plain text files end their lines with CR LF.
tr -d '\r' <"$HOME/.config/korvent/setup.ini" | grep -qx "dir=$work/event" || fail "last event not in the user's configuration folder"
# The desktop application starts on the event and keeps running until stopped.
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$root/usr/bin/korvent" "$work/event" >"$work/gui.log" 2>&1 || status=$?
[ "$status" = 124 ] || { cat "$work/gui.log"; fail "korvent ended with $status"; }
[ -z "$(ls -A "$work/elsewhere")" ] || fail "files written into the current folder: $(ls -A "$work/elsewhere")"
echo "ok"
