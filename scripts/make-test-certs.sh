#!/usr/bin/env bash
# Makes a throw-away CA and a certificate for the loopback host (127.0.0.1, ::1, localhost) signed by
# it, for trying the host link's TLS on one machine; prints the host certificate's pin (hosttlspin).
# Usage: scripts/make-test-certs.sh [FOLDER]   (default build/test-certs; DAYS=30 how long they last)
set -euo pipefail
dir=${1:-build/test-certs}
days=${DAYS:-30}
mkdir -p "$dir"
cd "$dir"
key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }

key ca.key
# openssl's default configuration marks it a CA (basic constraints, key identifiers).
openssl req -x509 -new -key ca.key -out ca.pem -days "$days" -sha256 -subj "/CN=Vantor throw-away CA" \
  -addext "keyUsage=critical,keyCertSign,cRLSign"

key host.key
openssl req -new -key host.key -out host.csr -subj "/CN=localhost"
cat >host.ext <<'END'
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=serverAuth
subjectAltName=DNS:localhost,IP:127.0.0.1,IP:::1
subjectKeyIdentifier=hash
authorityKeyIdentifier=keyid:always
END
openssl x509 -req -in host.csr -CA ca.pem -CAkey ca.key -set_serial "0x$(openssl rand -hex 8)" -days "$days" \
  -sha256 -extfile host.ext -out host.pem 2>/dev/null
rm -f host.csr host.ext

pin=$(openssl x509 -in host.pem -noout -fingerprint -sha256 | cut -d= -f2)
echo "CA certificate (trust it with --tls-ca, or as a root of the system's): $PWD/ca.pem"
echo "host certificate and key (for the host's --tls):      $PWD/host.pem $PWD/host.key"
echo "pin (hosttlspin, --tls-pin): $pin"
