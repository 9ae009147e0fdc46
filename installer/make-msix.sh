#!/usr/bin/env bash
# Makes Ferrow.msix (the "msix" target of the 64-bit build calls it): msixpack writes the package, whose
# Publisher must equal the subject of the certificate that signs it; with a certificate (a PKCS#12 file and
# a file holding its password) that subject is read from it and osslsigncode signs the package (SHA-256,
# and a timestamp when a server is given). Without one the package stays unsigned and its Publisher is the
# one given.
#   make-msix.sh <out.msix> <manifest template> <version> <publisher> <pfx|-> <password file|-> <timestamp URL|->
#                <wine-run.sh> <msixpack.exe> <name in package>=<file>...
set -euo pipefail
out=$1 template=$2 version=$3 publisher=$4 pfx=$5 password=$6 timestamp=$7 wine_run=$8 packer=$9
shift 9
[ "$pfx" != - ] || pfx=
[ "$password" != - ] || password=
[ "$timestamp" != - ] || timestamp=
if [ -n "$pfx" ]; then
  [ -f "$pfx" ] || { echo "make-msix: no certificate file $pfx" >&2; exit 1; }
  [ -f "$password" ] || { echo "make-msix: no password file $password (FERROW_SIGN_PASSWORD_FILE)" >&2; exit 1; }
  # The subject as Windows writes it in a package's Publisher: the relative names from the last to the
  # first, ", " between them, a value with a special character in double quotes.
  rfc2253=$(openssl pkcs12 -in "$pfx" -passin "file:$password" -nokeys -clcerts \
            | openssl x509 -noout -subject -nameopt RFC2253 | sed 's/^subject=//')
  publisher=$(python3 -c '
import re, sys
parts = re.split(r"(?<!\\),", sys.argv[1])
out = []
for part in parts:
    name, value = part.split("=", 1)
    value = re.sub(r"\\(.)", r"\1", value)
    if re.search(r"[,=+<>#;\"\n]", value) or value != value.strip():
        value = "\"" + value.replace("\"", "\"\"") + "\""
    out.append(name + "=" + value)
print(", ".join(out))' "$rfc2253")
fi
files=()
for pair in "$@"; do files+=("${pair%%=*}=Z:${pair#*=}"); done
unsigned=$out.unsigned
"$wine_run" "$packer" "Z:$unsigned" "Z:$template" "PUBLISHER=$publisher" "VERSION=$version" -- "${files[@]}"
if [ -z "$pfx" ]; then
  mv "$unsigned" "$out"
  exit 0
fi
stamp=()
if [ -n "$timestamp" ]; then stamp=(-ts "$timestamp"); fi
rm -f "$out"
osslsigncode sign -pkcs12 "$pfx" -readpass "$password" -h sha256 "${stamp[@]}" -in "$unsigned" -out "$out" >/dev/null
rm -f "$unsigned"
