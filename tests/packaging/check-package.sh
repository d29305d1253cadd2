#!/usr/bin/env bash
# check-package.sh BUILD_DIR SCRATCH_DIR
# Builds the .deb from a build tree, checks its contents and maintainer
# scripts, then installs it into a throwaway root (dpkg --root, scripts run
# outside a chroot with DPKG_ROOT set), writes settings, upgrades to a newer
# version, removes and purges it, checking what each step keeps.
set -euo pipefail
build=$1
scratch=$2

for tool in cpack dpkg dpkg-deb fakeroot; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$scratch"
mkdir -p "$scratch"
prefix=$(sed -n 's/^set(CPACK_PACKAGING_INSTALL_PREFIX "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[[ $prefix == /* ]] || fail "no installation folder in $build/CPackConfig.cmake"

echo "== Building the package"
started=$SECONDS
cpack --config "$build/CPackConfig.cmake" -B "$scratch/out" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log"; fail "cpack"; }
echo "packed in $((SECONDS - started)) s"
package=$(ls "$scratch"/out/*.deb)

echo "== Contents"
dpkg-deb -c "$package" >"$scratch/contents"
has() { grep -qE "$1" "$scratch/contents" || fail "the package lacks $2"; }
has "^-rwxr-xr-x root/root .* \.$prefix/Warrow$" "the shell"
has "^-rwxr-xr-x root/root .* \.$prefix/WarrowSvc$" "the service"
has "^-rwxr-xr-x root/root .* \.$prefix/warrowctl$" "warrowctl"
has "^-rwxr-xr-x root/root .* \.$prefix/warrow-session$" "the session program"
has "^-rw-r--r-- root/root .* \.$prefix/session/openbox/rc\.xml$" "the window manager's settings"
has "^-rw-r--r-- root/root .* \./usr/share/xsessions/warrow\.desktop$" "the session entry"
has "^-rw-r--r-- root/root .* \./etc/X11/Xsession\.d/39warrow-session$" "the Xsession hook"
if grep -E "/(Config\.ini|DataBase|warrow-accountd|warrow-reportd)(/|$)|/usr/share/wayland-sessions" "$scratch/contents"; then
  fail "the package owns settings, databases, servers or a Wayland session"
fi
if grep -vE "^[dl-]r.{8} root/root " "$scratch/contents"; then
  fail "files not owned by root"
fi

echo "== Control"
dpkg-deb -I "$package" >"$scratch/control"
grep -q "^ Package: warrow$" "$scratch/control" || fail "package name"
grep -q "^ Depends: .*xdg-utils" "$scratch/control" || fail "Depends"
grep -q "^ Recommends: openbox$" "$scratch/control" || fail "Recommends"
version=$(sed -n 's/^ Version: //p' "$scratch/control")
dpkg-deb -e "$package" "$scratch/control.d"
for script in postinst prerm postrm; do
  [[ -x $scratch/control.d/$script ]] || fail "no executable $script"
  sh -n "$scratch/control.d/$script" || fail "$script does not parse"
done

# Version B: the same files and one more, under a higher version.
dpkg-deb -R "$package" "$scratch/b"
sed -i "s/^Version: .*/Version: $version.1/" "$scratch/b/DEBIAN/control"
echo "new" >"$scratch/b$prefix/upgrade-marker"
dpkg-deb --root-owner-group -b "$scratch/b" "$scratch/warrow-b.deb" >/dev/null

root=$scratch/root
folder=$root$prefix
units=$root/etc/systemd/system
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
in_root() { dpkg --root="$root" --force-script-chrootless --force-depends --force-not-root "$@" >>"$scratch/dpkg.log" 2>&1 ||
  { cat "$scratch/dpkg.log"; fail "dpkg $*"; }; }
unit_enabled() { [[ -f $units/Warrow.service && -L $units/multi-user.target.wants/Warrow.service ]]; }

echo "== Install"
in_root -i "$package"
[[ -f $folder/Config.ini && -f $folder/DataBase/DataBase.db ]] || fail "the settings were not created"
[[ -f $root/usr/share/xsessions/warrow.desktop ]] || fail "no session entry"
unit_enabled || fail "the service's unit is not installed and enabled"
grep -qxE "ExecStart=\"?$prefix/WarrowSvc\"?" "$units/Warrow.service" || {
  cat "$units/Warrow.service"
  fail "the unit does not start $prefix/WarrowSvc"
}
if grep -q "$root" "$units/Warrow.service"; then fail "the unit names the throwaway root"; fi
if [[ -f $folder/WarrowExplorer.desktop ]]; then
  grep -qx "Exec=$prefix/WarrowExplorer %U" "$folder/WarrowExplorer.desktop" ||
    fail "the browser's desktop entry does not name $prefix"
fi

echo "== Settings written, then an upgrade"
"$folder/warrowctl" --dir "$folder" log add "before the upgrade" >/dev/null
printf '\n[Kept]\nMarker=1\n' >>"$folder/Config.ini"
config_before=$(sha256sum <"$folder/Config.ini")
in_root -i "$scratch/warrow-b.deb"
[[ -f $folder/upgrade-marker ]] || fail "the upgrade did not install version B"
[[ $(sha256sum <"$folder/Config.ini") == "$config_before" ]] || fail "the upgrade changed Config.ini"
"$folder/warrowctl" --dir "$folder" log list | grep -q "before the upgrade" || fail "the upgrade lost the database"
unit_enabled || fail "the upgrade lost the service's unit"

echo "== Remove"
in_root -r warrow
[[ ! -e $folder/Warrow && ! -e $root/usr/share/xsessions/warrow.desktop ]] || fail "remove left programs"
[[ ! -e $units/Warrow.service && ! -L $units/multi-user.target.wants/Warrow.service ]] || fail "remove left the unit"
[[ -f $folder/Config.ini && -f $folder/DataBase/DataBase.db ]] || fail "remove took the settings"

echo "== Purge"
in_root -P warrow
[[ ! -e $folder ]] || { find "$folder"; fail "purge left the installation folder"; }

if grep "^warrow: " "$scratch/dpkg.log"; then
  fail "a maintainer script could not do its work"
fi
rm -rf "$scratch"
echo "package checks passed"
