#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The signing step (dist/windows/sign.sh) with a throwaway certificate made here: the program and
# the Installer package, signed, verify against that certificate; as built without one, neither is
# signed. Skipped (77) without osslsigncode, openssl or msiinfo.
# Usage: check_signing.sh SIGN_SCRIPT PROGRAM.exe PACKAGE.msi
set -euo pipefail

sign=$1 program=$2 package=$3
for tool in osslsigncode openssl msiinfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velmora signing test" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
password="test password $RANDOM"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" \
    -passout "pass:$password"

for built in "$program" "$package"; do
    if osslsigncode verify -CAfile "$work/cert.pem" -in "$built" >"$work/verify.log" 2>&1; then
        fail "$built is signed, though no certificate was given to the build"
    fi
    copy="$work/$(basename "$built")"
    cp "$built" "$copy"
    VELMORA_SIGN_PKCS12="$work/cert.p12" VELMORA_SIGN_PASSWORD="$password" \
        "$sign" "$copy" "Velmora signing test" "https://example.org/velmora"
    osslsigncode verify -CAfile "$work/cert.pem" -in "$copy" >"$work/verify.log" 2>&1 ||
        { cat "$work/verify.log" >&2; fail "$(basename "$built"), signed, does not verify"; }
    grep -q "Message digest algorithm *: SHA256" "$work/verify.log" ||
        fail "$(basename "$built") is not signed with SHA-256"
    echo "$(basename "$built"): signed, verifies"
done
# A signed package is still a package.
msiinfo suminfo "$work/$(basename "$package")" >/dev/null || fail "the signed package does not open"
# The wrong password signs nothing.
cp "$program" "$work/wrong.exe"
if VELMORA_SIGN_PKCS12="$work/cert.p12" VELMORA_SIGN_PASSWORD="not $password" \
    "$sign" "$work/wrong.exe" "Velmora signing test" "https://example.org/velmora" 2>/dev/null; then
    fail "signing with a wrong password succeeded"
fi
cmp -s "$program" "$work/wrong.exe" || fail "a failed signing changed the program"
