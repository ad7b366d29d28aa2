#!/usr/bin/env bash
# The second build of publish.reproducible, signed with a throw-away authority
# and code-signing certificate: every shipped program verifies against that
# authority (the setup and every program and library inside it, as unpacked
# from the signed setup), the icon library keeps the size the setup recognises it by, and
# the signed 32-bit setup still finds its payload (the signature is appended
# to the file) and installs programs that verify too.
# Usage: signed_test.sh SECOND_DIR
second=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d)
tsa=""
trap '[ -n "$tsa" ] && kill "$tsa"; rm -rf "$work"' EXIT
cd "$work"
build=$second/build

# --- a certificate authority and a code-signing certificate it issued
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 -subj '/CN=Pixolum Test CA' \
  -addext 'basicConstraints=critical,CA:TRUE' -addext 'keyUsage=critical,keyCertSign,cRLSign' 2>/dev/null
openssl req -newkey rsa:2048 -nodes -keyout signer.key -out signer.csr -subj '/CN=Orlovane Test' 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >ext.cnf
openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile ext.cnf \
  -out signer.pem 2>/dev/null
# and a time-stamp authority it certified, answering on a local port
openssl req -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -subj '/CN=Pixolum Test TSA' 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=critical,timeStamping\n' >tsa.ext
openssl x509 -req -in tsa.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile tsa.ext \
  -out tsa.pem 2>/dev/null
printf '[tsa]\ndefault_tsa = t\n[t]\nserial = tsa.serial\nsigner_digest = sha256\ndefault_policy = 1.2.3.4.1\ndigests = sha256\ness_cert_id_alg = sha256\n' >tsa.cnf
echo 01 >tsa.serial
/usr/bin/python3 "$here/tsa_server.py" "$work" >tsa.port &
tsa=$!
echo 'Geheimnis 42' >pass.txt
openssl pkcs12 -export -in signer.pem -inkey signer.key -certfile ca.pem -passout file:pass.txt -out signer.p12
px_check "throw-away certificates made" test -s signer.p12

# --- the same build, signed: the programs are linked (and so signed) again
start=$(date +%s)
cmake "$build" -DPX_SIGN_PKCS12="$work/signer.p12" -DPX_SIGN_PASS_FILE="$work/pass.txt" >configure.txt 2>&1
px_check "the build says it signs" grep -q 'Signing: setup.exe and the programs it carries' configure.txt
rm -f "$build"/payload/payload.zip "$build"/app/setup.exe
cmake --build "$build" -j"$(nproc)" >build.txt 2>&1 || tail -n 30 build.txt
echo "signed rebuild: $(($(date +%s) - start)) s"

verify() {  # verify FILE: a valid SHA-256 signature chaining to our authority
  local out
  out=$(osslsigncode verify -CAfile ca.pem -in "$1" 2>&1)
  grep -q 'Signature verification: ok' <<<"$out" && grep -q 'Message digest algorithm *: SHA256' <<<"$out"
}
/usr/bin/python3 "$here/unpack_setup.py" "$build/app/setup.exe" packed
while IFS= read -r -d '' f; do
  [ "$(head -c 2 "$f")" = MZ ] && px_check "${f#packed/} inside the setup is signed" verify "$f"
done < <(find packed -type f -print0 | sort -z)
px_check "the setup carries its four programs and libraries" \
  test "$(find packed -type f -exec head -c 2 {} \; -printf '\n' | grep -c '^MZ')" -ge 4
px_check "setup.exe is signed" verify "$build/app/setup.exe"
px_check "the signature names the program" \
  grep -q 'Pixolum 32-bit Setup' <<<"$(osslsigncode verify -CAfile ca.pem -in "$build/app/setup.exe" 2>&1)"
px_check "Icons.dll keeps the size of the maker's build" test "$(stat -c %s packed/Plugins/Icons.dll)" = 226816
unsigned=$(awk '$2 ~ /app\/setup.exe$/ { print $1 }' "$second/unsigned-sizes.txt")
echo "setup.exe: $unsigned bytes unsigned, $(stat -c %s "$build/app/setup.exe") signed"

# --- the signed setup installs
px_wine "$build/app/setup.exe" /silent '/folder=C:\Signiert'; rc=$?
px_check "the signed setup installs (exit code $rc)" test "$rc" = 0
installed=$(px_unix_path 'C:\Signiert')
px_check "the installed viewer is the signed one" cmp -s "$installed/pixo32.exe" packed/pixo32.exe
px_check "every file of the payload installed" \
  test "$(cd packed && find . -type f | wc -l)" = "$(cd packed && find . -type f -exec test -f "$installed/{}" \; -print | wc -l)"

# --- signed with a certificate and key in PEM files, time-stamped
for _ in $(seq 1 50); do [ -s tsa.port ] && break; sleep 0.1; done
cmake "$build" -DPX_SIGN_PKCS12= -DPX_SIGN_PASS_FILE= -DPX_SIGN_CERT="$work/signer.pem" \
  -DPX_SIGN_KEY="$work/signer.key" -DPX_SIGN_TIMESTAMP_URL="http://127.0.0.1:$(cat tsa.port)" >/dev/null 2>&1
rm -f "$build"/payload/payload.zip "$build"/app/setup.exe
cmake --build "$build" -j"$(nproc)" >build.txt 2>&1 || tail -n 30 build.txt
stamped=$(osslsigncode verify -CAfile ca.pem -TSA-CAfile ca.pem -in "$build/app/setup.exe" 2>&1)
px_check "time-stamped: the signature verifies" grep -q 'Signature verification: ok' <<<"$stamped"
px_check "time-stamped: the time stamp verifies" grep -q 'Timestamp Server Signature verification: ok' <<<"$stamped"
px_check "time-stamped: Icons.dll keeps its size" test "$(stat -c %s "$build/payload/packed/Plugins/Icons.dll")" = 226816
px_done
