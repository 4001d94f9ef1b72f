#!/usr/bin/env bash
# Makes the certificates of the HTTPS tests with the openssl command: a
# private CA and server certificates for 127.0.0.1 and localhost that are
# good, expired, for another host, self-signed, or from an unknown CA.
#
#   tests/support/make_test_certs.sh DIR
#
# DIR receives ca.pem (the CA to trust) and NAME.pem / NAME.key for NAME in
# good, expired, wronghost, selfsigned, unknownca.  Keys are P-256.
set -euo pipefail
DIR="$(mkdir -p "${1:?usage: make_test_certs.sh DIR}" && cd "$1" && pwd)"
cd "$DIR"

key() { openssl genpkey -algorithm EC -pkeyopt ec_paramgen_curve:P-256 -out "$1" 2>/dev/null; }
# ca NAME: a self-signed CA certificate NAME.pem with its key NAME.key.
ca() {
  key "$1.key"
  openssl req -x509 -new -key "$1.key" -out "$1.pem" -days 30 -subj "/CN=Corvane test $1" \
    -addext "basicConstraints=critical,CA:TRUE" -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}
# leaf NAME ISSUER SAN START END: a server certificate signed by ISSUER, valid
# from START to END (openssl ca's YYYYMMDDHHMMSSZ).
leaf() {
  local name="$1" issuer="$2" san="$3"
  key "$name.key"
  mkdir -p "ca-$issuer"
  : > "ca-$issuer/index.txt"
  [ -f "ca-$issuer/serial" ] || echo 1000 > "ca-$issuer/serial"
  cat > "$name.cnf" <<CNF
[ca]
default_ca = test
[test]
dir = $DIR/ca-$issuer
database = \$dir/index.txt
serial = \$dir/serial
new_certs_dir = \$dir
default_md = sha256
policy = any
copy_extensions = none
unique_subject = no
[any]
commonName = supplied
[server]
basicConstraints = CA:FALSE
keyUsage = critical,digitalSignature
extendedKeyUsage = serverAuth
subjectAltName = $san
CNF
  openssl req -new -key "$name.key" -subj "/CN=$name" -out "$name.csr" 2>/dev/null
  openssl ca -batch -config "$name.cnf" -extensions server -cert "$issuer.pem" -keyfile "$issuer.key" \
    -startdate "$4" -enddate "$5" -in "$name.csr" -out "$name.pem" -notext 2>/dev/null
}

NOW_MINUS="$(date -u -d '-1 day' +%Y%m%d%H%M%SZ)"
LATER="$(date -u -d '+30 days' +%Y%m%d%H%M%SZ)"
HERE_SAN="IP:127.0.0.1,DNS:localhost"

ca ca
ca otherca
leaf good ca "$HERE_SAN" "$NOW_MINUS" "$LATER"
leaf expired ca "$HERE_SAN" 20200101000000Z 20210101000000Z
leaf wronghost ca "DNS:elsewhere.example" "$NOW_MINUS" "$LATER"
leaf unknownca otherca "$HERE_SAN" "$NOW_MINUS" "$LATER"
key selfsigned.key
openssl req -x509 -new -key selfsigned.key -out selfsigned.pem -days 30 -subj "/CN=selfsigned" \
  -addext "subjectAltName=$HERE_SAN" 2>/dev/null
echo "certificates in $DIR"
