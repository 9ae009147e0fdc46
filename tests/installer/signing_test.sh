#!/usr/bin/env bash
# Signing of the Windows 11 menu's package, with a throwaway certificate made here by openssl: the package
# make-msix.sh signs verifies with osslsigncode against that certificate, and its Publisher is the
# certificate's subject as Windows writes it (a value with a comma in quotes); the unsigned package stops the
# x64 MSI unless FERROW_ALLOW_UNSIGNED_MSIX=ON (then a warning), a signed one passes that check.
#   signing_test.sh <64-bit build> <msixpack.exe>
set -euo pipefail
export LC_ALL=C
build=$(cd "$1" && pwd)
packer=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

printf 'pass word\n' >"$work/password"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -keyout "$work/key.pem" -out "$work/cert.pem" \
  -subj "/C=DE/O=Ferrow Tests, Signing/CN=Ferrow Test" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/test.pfx" \
  -passout "file:$work/password"
logo=$root/src/resources/images/logo_50.png
pack() {  # out pfx password
  bash "$root/installer/make-msix.sh" "$1" "$root/installer/AppxManifest.xml" 1.2.3.4 CN=Unsigned "$2" "$3" - \
    "$build/wine-run.sh" "$packer" "Assets/StoreLogo.png=$logo" "Assets/Square44x44Logo.png=$logo" \
    "Assets/Square150x150Logo.png=$logo"
}
mkdir -p "$work/signed" "$work/unsigned"
pack "$work/signed/Ferrow.msix" "$work/test.pfx" "$work/password"
pack "$work/unsigned/Ferrow.msix" - -

osslsigncode verify -in "$work/signed/Ferrow.msix" -CAfile "$work/cert.pem" >"$work/verify.txt" 2>&1 \
  || { cat "$work/verify.txt"; fail "the signed package does not verify"; }
grep -q "Signature verification: ok" "$work/verify.txt" || fail "osslsigncode did not say ok"
if osslsigncode verify -in "$work/unsigned/Ferrow.msix" -CAfile "$work/cert.pem" >/dev/null 2>&1; then
  fail "the unsigned package verifies"
fi
publisher() {
  python3 -c 'import re, sys, zipfile
m = zipfile.ZipFile(sys.argv[1]).read("AppxManifest.xml").decode()
print(re.search(r"<Identity [^>]*Publisher=\"([^\"]*)\"", m).group(1))' "$1"
}
expected='CN=Ferrow Test, O=&quot;Ferrow Tests, Signing&quot;, C=DE'
[ "$(publisher "$work/signed/Ferrow.msix")" = "$expected" ] || fail "publisher $(publisher "$work/signed/Ferrow.msix")"
[ "$(publisher "$work/unsigned/Ferrow.msix")" = CN=Unsigned ] || fail "unsigned publisher"
[ ! -e "$work/signed/Ferrow.msix.unsigned" ] || fail "the unsigned intermediate was left"

# The MSI's check comes before anything else of make-msi.sh; the other files are missing on purpose.
msi() { env FERROW_ALLOW_UNSIGNED_MSIX="$1" bash "$root/installer/make-msi.sh" x64 1.2.3 "$work/out.msi" "$2" "$2" \
        2>&1 >/dev/null || true; }
msi OFF "$work/unsigned" | grep -q "is not signed" || fail "an unsigned package did not stop the MSI"
msi ON "$work/unsigned" | grep -q "warning: Ferrow.msix is not signed" || fail "no warning for an allowed unsigned package"
if msi OFF "$work/signed" | grep -q "not signed"; then fail "a signed package was refused"; fi
echo "signing: ok"
