#!/usr/bin/env bash
# Installs the build into a temporary prefix (DESTDIR), makes that tree
# read-only and runs the installed programs on the installed demo log as a
# user with a home and XDG folders of its own: they must exit 0, write nothing
# under the prefix, and keep their settings and log in the per-user folders.
# Then validates the desktop entry, the file type, the thumbnailer, the
# AppStream data and the man pages as installed.
#
#   check-install.sh BUILD_DIR
#
# Run as root, the programs run as the user "nobody", for whom the read-only
# tree is read-only indeed.
set -uo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/korvale-install-XXXXXX)
chmod 755 "$work"
dest=$work/dest
prefix=/usr
root=$dest$prefix
failures=0
thumbs=0

cleanup() {
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

need() {
  command -v "$1" >/dev/null || { echo "FAIL: $1 is not installed (scripts/install-deps)" >&2; exit 1; }
}
for tool in desktop-file-validate update-mime-database xdg-mime groff; do need "$tool"; done

if ! DESTDIR=$dest cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
  cat "$work/install.log" >&2
  fail "cmake --install failed"
  exit 1
fi

# --- What is installed -------------------------------------------------------
expected=(
  bin/korvale bin/korvale-render
  share/korvale/Zelmorth.Pat share/korvale/Zelmorth.Sym share/korvale/VESK.ERR
  share/korvale/korvale.INF share/korvale/korvale.hlp share/korvale/sample.tfl
  share/korvale/core-photo.jpg
  share/applications/korvale.desktop share/mime/packages/korvale.xml
  share/thumbnailers/korvale.thumbnailer
  share/metainfo/example.quelmark.Korvale.metainfo.xml
  share/man/man1/korvale.1.gz share/man/man1/korvale-render.1.gz
  share/doc/korvale/LICENSE share/doc/korvale/copyright
)
for size in 16 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/korvale.png")
done
for file in "${expected[@]}"; do
  [[ -f $root/$file ]] || fail "$prefix/$file is not installed"
done
# Only the two programs go to bin/; the developer tools stay in the build.
extra=$(ls "$root/bin" | grep -vxE 'korvale|korvale-render')
[[ -z $extra ]] || fail "installed besides the programs: $extra"

# --- Runs from the read-only tree ---------------------------------------------
user_home=$work/home
mkdir -p "$user_home" "$work/out"
as_user=()
if [[ $(id -u) -eq 0 ]] && command -v runuser >/dev/null && id nobody >/dev/null 2>&1; then
  chown nobody "$user_home" "$work/out"
  as_user=(runuser -u nobody --)
fi
chmod -R a-w "$dest"
listing() { find "$dest" -printf '%P %y %s %T@ %m\n' | sort; }
before=$(listing)

# Every run gets HOME and the XDG folders of the user's own.
run() {
  "${as_user[@]}" env HOME="$user_home" XDG_CONFIG_HOME="$user_home/.config" \
    XDG_STATE_HOME="$user_home/.local/state" XDG_CACHE_HOME="$user_home/.cache" \
    XDG_DATA_HOME="$user_home/.local/share" XDG_RUNTIME_DIR="$user_home/run" \
    TMPDIR="$user_home/tmp" QT_QPA_PLATFORM=offscreen "$@"
}
run mkdir -m 700 -p "$user_home/run" "$user_home/tmp"

# Runs a command as the user; a non-zero exit is a failure named by what.
expect_ok() {
  local what=$1
  shift
  run "$@" >"$work/out.txt" 2>"$work/err.txt"
  local status=$?
  [[ $status -eq 0 ]] || fail "$what exited $status: $(cat "$work/err.txt")"
  return $status
}

sample=$root/share/korvale/sample.tfl
expect_ok "korvale-render --info" "$root/bin/korvale-render" --info "$sample" &&
  { grep -q '"pages"' "$work/out.txt" || fail "korvale-render --info printed no page count"; }
# The installed libraries and error table are found: nothing to complain of.
[[ ! -s $work/err.txt ]] || fail "korvale-render --info complained: $(cat "$work/err.txt")"
expect_ok "korvale-render --page 1" "$root/bin/korvale-render" --page 1 -o "$work/out/page1.png" "$sample"
[[ -s $work/out/page1.png ]] || fail "korvale-render wrote no page"

expect_ok "korvale at start-up" env KORVALE_EXIT_AFTER_STARTUP=1 "$root/bin/korvale"
for file in .config/korvale/korvale.Cn2 .config/korvale/korvale.CN1 .local/state/korvale/korvale.LOG; do
  [[ -f $user_home/$file ]] || fail "korvale did not write ~/$file"
done

after=$(listing)
if [[ "$before" != "$after" ]]; then
  fail "the runs changed the installed tree:"
  diff <(echo "$before") <(echo "$after") >&2
fi
chmod -R u+w "$dest"

# --- Desktop integration as installed ----------------------------------------
desktop-file-validate "$root/share/applications/korvale.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=korvale %f' "$root/share/applications/korvale.desktop" || fail "the entry's Exec line"

# The file type: by name in any case, and by content without an extension.
mime=$work/xdg/mime
mkdir -p "$mime"
cp -r "$root/share/mime/packages" "$mime/"
update-mime-database "$mime" 2>"$work/err.txt" || fail "update-mime-database: $(cat "$work/err.txt")"
mkdir -p "$work/files"
cp "$sample" "$work/files/well.tfl"
cp "$sample" "$work/files/WELL.TFL"
cp "$sample" "$work/files/well-without-extension"
for file in "$work"/files/*; do
  type=$(XDG_DATA_HOME=$work/xdg XDG_DATA_DIRS=/usr/share xdg-mime query filetype "$file")
  [[ $type == application/x-korvale-tfl ]] || fail "xdg-mime says $type for $(basename "$file")"
done

# The thumbnailer's command line, as a file manager fills it in, with the log
# as a path and as a URI.
exec_line=$(sed -n 's/^Exec=//p' "$root/share/thumbnailers/korvale.thumbnailer")
for input in "$work/files/well.tfl" "file://$work/files/well.tfl"; do
  thumb=$work/out/thumbnail-$((++thumbs))
  command=${exec_line//%s/128}
  command=${command//%i/$input}
  command=${command//%o/$thumb}
  read -r -a argv <<<"$command"
  argv[0]=$root/bin/${argv[0]}
  expect_ok "the thumbnailer on $input" "${argv[@]}"
  [[ $(head -c 8 "$thumb" 2>/dev/null | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] ||
    fail "no PNG thumbnail from $input"
done

if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$root/share/metainfo/example.quelmark.Korvale.metainfo.xml" \
    >"$work/appstream.txt" 2>&1 || { cat "$work/appstream.txt" >&2; fail "appstreamcli validate"; }
else
  echo "appstreamcli is not installed: the AppStream data is not validated"
fi

for page in korvale.1 korvale-render.1; do
  warnings=$(gzip -dc "$root/share/man/man1/$page.gz" | LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z 2>&1)
  [[ -z $warnings ]] || fail "man page $page: $warnings"
done

if [[ $failures -gt 0 ]]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "installed tree checked"
