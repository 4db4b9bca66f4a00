#!/usr/bin/env bash
# check_layering.sh ROOT: fails when library code outside platform/ calls the
# operating system directly or selects code per target with #ifdef.
set -uo pipefail
root=$1
folders=(frame vcom messages xml http dead address customer)
patterns=(
  '#[[:space:]]*if(def|ndef)?[[:space:]]*\(?[[:space:]]*(defined[[:space:]]*\(?[[:space:]]*)?_WIN32'
  '#[[:space:]]*include[[:space:]]*<(windows|winsock2?|ws2tcpip|winreg|objbase|sys/socket|netinet/[a-z]+|arpa/inet|netdb|unistd|sqlite3|pthread)\.h>'
  '\b(Reg(Open|Create|Query|Set|Close|Delete)[A-Za-z]*|WSA[A-Z][A-Za-z]*|closesocket|ioctlsocket|gethostbyname|getaddrinfo|LoadStringA|GetModuleHandleA|CoCreateGuid|StringFromCLSID|MultiByteToWideChar|WideCharToMultiByte|sqlite3_[a-z_]+)[[:space:]]*\('
  '(^|[^A-Za-z0-9_.>:])::(socket|connect|send|recv|select|shutdown|close|ioctl)[[:space:]]*\('
)
status=0
for folder in "${folders[@]}"; do
  [ -d "$root/$folder" ] || continue
  for pattern in "${patterns[@]}"; do
    if hits=$(grep -rnE "$pattern" "$root/$folder" --include='*.cpp' --include='*.h'); then
      echo "$hits"
      status=1
    fi
  done
done
[ $status -eq 0 ] && echo "no platform call outside platform/"
exit $status
