#!/usr/bin/env bash
# Creates the demo database (once) with the embedded engine.
set -euo pipefail
target=${1:?usage: make-demo-db.sh FILE}
[ -f "$target" ] && exit 0
mkdir -p "$(dirname "$target")"
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
{
  echo "SET NAMES UTF8;"
  echo "SET SQL DIALECT 3;"
  echo "CREATE DATABASE '$target' USER 'SYSDBA' DEFAULT CHARACTER SET UTF8;"
  cat "$here/demo.sql"
  echo "COMMIT;"
} > "$tmp"
if ! isql-fb -q -b -i "$tmp"; then
  rm -f "$target"
  echo "Creating the demo database failed." >&2
  exit 1
fi
echo "Demo database: $target (log in as SYSDBA; the embedded engine takes any password)"
