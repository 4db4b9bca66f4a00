#!/usr/bin/env bash
# check_layering.sh floors|platform ROOT
#
#   floors    fails when a subsystem folder includes a header of a folder on a
#             higher floor, or reaches into the XML parser library past its
#             public header;
#   platform  fails when library code outside platform/ calls the operating
#             system directly or selects code per target with #ifdef.
set -uo pipefail
mode=$1
root=$2

# The floors, lowest first: a folder may include its own headers and those of
# the folders below it. The public header (<tarnclient/...>) stands below
# them all. xmlparser/ is a library of its own on the component model: it
# may use platform/ and vcom/, and the rest reaches it only through
# <xmlparser/XMLParser.h>.
floors=(platform vcom messages dead http xml address customer frame)
declare -A floor
for i in "${!floors[@]}"; do floor[${floors[$i]}]=$i; done

check_floors() {
  local status=0 folder file line target
  for folder in "${floors[@]}" xmlparser; do
    while IFS=: read -r file line target; do
      if [ "$folder" = xmlparser ]; then
        case $target in platform|vcom|xmlparser) continue ;; esac
      elif [ "$target" = xmlparser ]; then
        :
      elif [ -z "${floor[$target]+set}" ] || [ "${floor[$target]}" -le "${floor[$folder]}" ]; then
        continue
      fi
      echo "$file:$line: $folder/ includes $target/, which stands above it"
      status=1
    done < <(grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z]+/' "$root/$folder" \
               --include='*.cpp' --include='*.h' --include='*.def' |
             sed -E 's#^([^:]+):([0-9]+):.*"([a-z]+)/$#\1:\2:\3#')
  done
  [ $status -eq 0 ] && echo "no include runs back up: ${floors[*]}"
  return $status
}

check_platform_calls() {
  local status=0 folder pattern hits
  local patterns=(
    '#[[:space:]]*if(def|ndef)?[[:space:]]*\(?[[:space:]]*(defined[[:space:]]*\(?[[:space:]]*)?_WIN32'
    '#[[:space:]]*include[[:space:]]*<(windows|winsock2?|ws2tcpip|winreg|objbase|sys/socket|netinet/[a-z]+|arpa/inet|netdb|unistd|sqlite3|pthread|dlfcn)\.h>'
    '\b(Reg(Open|Create|Query|Set|Close|Delete)[A-Za-z]*|WSA[A-Z][A-Za-z]*|closesocket|ioctlsocket|gethostbyname|getaddrinfo|LoadStringA|GetModuleHandleA|CoCreateGuid|StringFromCLSID|MultiByteToWideChar|WideCharToMultiByte|sqlite3_[a-z_]+)[[:space:]]*\('
    '(^|[^A-Za-z0-9_.>:])::(socket|connect|send|recv|select|shutdown|close|ioctl)[[:space:]]*\('
  )
  for folder in "${floors[@]:1}"; do
    [ -d "$root/$folder" ] || continue
    for pattern in "${patterns[@]}"; do
      if hits=$(grep -rnE "$pattern" "$root/$folder" --include='*.cpp' --include='*.h'); then
        echo "$hits"
        status=1
      fi
    done
  done
  [ $status -eq 0 ] && echo "no platform call outside platform/"
  return $status
}

case $mode in
  floors) check_floors ;;
  platform) check_platform_calls ;;
  *) echo "usage: check_layering.sh floors|platform ROOT" >&2; exit 2 ;;
esac
