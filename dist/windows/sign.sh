#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Signs a Windows program or Installer package in place with Authenticode (SHA-256), with the
# certificate and key of the PKCS#12 file $VELMORA_SIGN_PKCS12, whose password is
# $VELMORA_SIGN_PASSWORD, and a timestamp from $VELMORA_SIGN_TIMESTAMP_URL (RFC 3161) when given.
# The password reaches osslsigncode through a pipe, never a command line.
# Usage: sign.sh FILE DESCRIPTION URL
set -euo pipefail

file=$1 description=$2 url=$3
if [[ -z "${VELMORA_SIGN_PKCS12:-}" ]]; then
    echo "sign.sh: VELMORA_SIGN_PKCS12 is not set" >&2
    exit 1
fi
arguments=(-pkcs12 "$VELMORA_SIGN_PKCS12" -h sha256 -n "$description" -i "$url")
if [[ -n "${VELMORA_SIGN_TIMESTAMP_URL:-}" ]]; then
    arguments+=(-ts "$VELMORA_SIGN_TIMESTAMP_URL")
fi
rm -f "$file.signed"
osslsigncode sign "${arguments[@]}" -readpass <(printf '%s' "${VELMORA_SIGN_PASSWORD:-}") \
    -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
