#!/usr/bin/env bash
# Installs every package the build, the tests and the demo need (Debian 12). Idempotent:
# a machine that already has everything only pays for the dpkg queries.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev ccache
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-i686
  wine wine32:i386 wine64 libwine-dev
  xvfb xauth x11-apps x11-utils imagemagick  # x11-utils: xwininfo, which the demo finds windows with
  cvs clang libclang-rt-14-dev python3
  dpkg-dev make patch  # scripts/build-cvs-exe.sh: the Windows cvs client from Debian's source package
  wixl msitools fp-utils binutils-mingw-w64-x86-64 file  # the installer packages, the help file (chmcmd), stripping
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
# osslsigncode signs the Windows 11 menu's package (MSIX) from 2.7 on; Debian 12's own is 2.5,
# bookworm-backports has 2.9.
signer_ok() {
  local version
  version=$(osslsigncode --version 2>/dev/null | sed -n '1s/^osslsigncode \([0-9][0-9.]*\).*/\1/p')
  [ -n "$version" ] && dpkg --compare-versions "$version" ge 2.7
}
need_signer=0
signer_ok || need_signer=1
if ((${#missing[@]} == 0 && need_signer == 0)); then
  exit 0
fi

SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
# FERROW_SETUP_DRY=1 prints the commands that change the machine instead of running them.
would_run() { echo "would run: $*" >&2; }
if [ -n "${FERROW_SETUP_DRY:-}" ]; then SUDO=would_run; fi
if ((need_signer)) && ! grep -qs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
    /etc/apt/sources.list.d/*.sources; then
  $SUDO tee /etc/apt/sources.list.d/bookworm-backports.sources >/dev/null <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || echo "setup: apt-get update reported errors (a mirror in sync?); installing from the indexes it has" >&2
install() { $SUDO apt-get install -y -qq --no-install-recommends "$@" "${missing[@]}" >/dev/null; }
# A mirror mid-sync can leave the i386 and amd64 indexes of the security suite out of step ("held broken
# packages" for wine32:i386): then prefer the main archive's versions, the same for both architectures.
if ((${#missing[@]} > 0)) && ! install; then
  echo "setup: install failed; retrying with the main archive's versions preferred" >&2
  install -o APT::Default-Release=bookworm
fi
if ((need_signer)); then
  $SUDO apt-get install -y -qq --no-install-recommends -t bookworm-backports osslsigncode >/dev/null
fi
# The posix thread model gives std::thread and std::mutex; make it the default for both targets.
for t in i686 x86_64; do
  $SUDO update-alternatives --set "$t-w64-mingw32-g++" "/usr/bin/$t-w64-mingw32-g++-posix" >/dev/null 2>&1 || true
  $SUDO update-alternatives --set "$t-w64-mingw32-gcc" "/usr/bin/$t-w64-mingw32-gcc-posix" >/dev/null 2>&1 || true
done
