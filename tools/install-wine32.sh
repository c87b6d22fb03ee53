#!/usr/bin/env bash
# Installs what runs the 32-bit product under Wine on an x86_64 machine whose kernel runs no 32-bit
# code: Debian's 32-bit Wine, and qemu-i386 from bookworm-backports (bookworm's own qemu ignores
# MAP_FIXED_NOREPLACE, and Wine's address-space reservation then loops for minutes).
# The machine's apt sources stay as they are, and no binfmt handler is registered here:
# tools/i386.sh registers one inside a private namespace for each command it runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
qemu_dir=/opt/corven-qemu
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

# The X libraries the 32-bit Wine loads for windows, fonts and the TLS it links.
packages=(wine32:i386 libxrender1:i386 libxrandr2:i386 libxi6:i386 libxcursor1:i386 libxfixes3:i386
          libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386 libgnutls30:i386)
dpkg --print-foreign-architectures | grep -qx i386 || $sudo dpkg --add-architecture i386
# wine32-preloader is left out: its segment at 0x08048000 takes the range ntdll wants under qemu.
if ! bash "$here/apt-install.sh" --no-install-recommends "${packages[@]}"; then
  # Without the mirror's i386 security index the libraries both architectures share differ in
  # version: move them to one version both offer, and try once more.
  echo "== aligning the libraries the i386 packages share with amd64"
  read -r -a pins <<<"$(python3 "$here/align-i386.py" "${packages[@]}")"
  CORVEN_APT_ATTEMPTS=1 bash "$here/apt-install.sh" --no-install-recommends --allow-downgrades "${pins[@]}" \
    "${packages[@]}"
fi

if ! [ -x "$qemu_dir/qemu-i386" ] || ! "$qemu_dir/qemu-i386" --version | grep -q 'version 10\.'; then
  echo "== fetching qemu-i386 from bookworm-backports"
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/lists/partial" "$work/cache/archives/partial" "$work/etc/preferences.d"
  cat > "$work/sources.list" <<SOURCES
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm-backports main
SOURCES
  cat > "$work/apt.conf" <<CONF
Dir::Etc::SourceList "$work/sources.list";
Dir::Etc::SourceParts "$work/etc/sources.list.d";
Dir::Etc::Preferences "$work/etc/preferences";
Dir::Etc::PreferencesParts "$work/etc/preferences.d";
Dir::State::Lists "$work/lists";
Dir::Cache "$work/cache";
APT::Architectures { "amd64"; };
APT::Sandbox::User "root";
CONF
  mkdir -p "$work/etc/sources.list.d"
  export APT_CONFIG=$work/apt.conf
  apt-get update -qq
  (cd "$work" && apt-get download -qq qemu-user/bookworm-backports)
  unset APT_CONFIG
  dpkg-deb -x "$work"/qemu-user_*.deb "$work/unpacked"
  $sudo mkdir -p "$qemu_dir"
  $sudo install -m 755 "$work/unpacked/usr/bin/qemu-i386" "$qemu_dir/qemu-i386"
fi
"$qemu_dir/qemu-i386" --version | head -1
