#!/usr/bin/env bash
# Installs the Debian packages of scripts/deps.txt that are missing.
# A machine that has them all never calls apt.
set -euo pipefail

list="$(cd "$(dirname "$0")" && pwd)/deps.txt"
mapfile -t packages < <(sed -e 's/#.*//' "$list" | awk 'NF { print $1 }')

if ! command -v dpkg-query >/dev/null 2>&1; then
    echo "deps: dpkg-query not found; install these packages by hand: ${packages[*]}" >&2
    exit 1
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [[ $status == installed ]] || missing+=("$package")
done
(( ${#missing[@]} == 0 )) && exit 0

echo "deps: installing ${missing[*]}"
as_root=()
if (( EUID != 0 )); then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "deps: run as root (or install sudo) to install: ${missing[*]}" >&2
        exit 1
    fi
    as_root=(sudo)
fi
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}" </dev/null
