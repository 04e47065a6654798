#!/usr/bin/env bash
# Writes a self-signed certificate for the local test broker: cert.pem and
# key.pem for 127.0.0.1 and localhost, into the folder given (default: the
# current one). The workstation trusts it by naming cert.pem as its CA file.
set -euo pipefail
dir="${1:-.}"
mkdir -p "$dir"
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -sha256 -days 3650 \
  -subj "/O=Quorvantelix test broker/CN=127.0.0.1" \
  -addext "subjectAltName=IP:127.0.0.1,DNS:localhost" \
  -addext "basicConstraints=critical,CA:TRUE" \
  -addext "keyUsage=critical,digitalSignature,keyCertSign" \
  -addext "extendedKeyUsage=serverAuth" \
  -keyout "$dir/key.pem" -out "$dir/cert.pem" 2>/dev/null
chmod 600 "$dir/key.pem"
echo "$dir/cert.pem"
