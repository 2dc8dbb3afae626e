#!/usr/bin/env bash
# Makes a throwaway installation for trying Uninstall, all of it under the
# folder given (which must be new or empty), and prints the command that
# removes it:
#
#   DIR/C/                 drive C: of the installation
#     Programme/Tolvaria/  the program's folder (MainDir): two files, the
#                          empty folder Karten (Dir1) and Pics/Pic1.jpg (an
#                          extra file, whose folder goes with it)
#     Startmenue/Tolvaria/ the shortcut's folder (ProgramPath) and the
#                          shortcut, a symbolic link to the program
#   DIR/registry.sqlite    the registry: the program's settings key, its
#                          uninstall entry, one value of its own and its
#                          entry in the web-update list beside another one's
#   DIR/Uninstall.inf      the signed control file
#
# What the uninstall leaves: the folders C/Programme and C/Startmenue (it
# removes only the folders it lists), the emptied keys
# HKCU\Software\Tolvaria\Tolvplan and HKLM\Software\Tolvaria (it deletes only
# the keys it names) and the other installation's web-update entry.
#
# Usage: tools/throwaway-install.sh DIR
# The command names the Uninstall of the build folder ($TOLV_BUILD, else build/).
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 DIR   (DIR: a new or empty folder)" >&2
  exit 2
fi
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TOLV_BUILD:-$root/build}"
if ! command -v sqlite3 >/dev/null 2>&1; then
  echo "$0: sqlite3 is missing (apt-get install sqlite3, or run ./test.sh once)" >&2
  exit 1
fi
mkdir -p "$1"
dir="$(cd "$1" && pwd)"
if [ -n "$(ls -A "$dir")" ]; then
  echo "$0: $dir is not empty; give a new or empty folder" >&2
  exit 1
fi

c="$dir/C"
main="$c/Programme/Tolvaria"
links="$c/Startmenue/Tolvaria"
mkdir -p "$main/Karten" "$main/Pics" "$links"
echo "Tolvplan (a stand-in)" > "$main/Tolvplan"
echo "<html><body>Bedienung</body></html>" > "$main/Tlv10.html"
echo "a picture" > "$main/Pics/Pic1.jpg"
ln -s ../../Programme/Tolvaria/Tolvplan "$links/Tolvaria Feldwerker.lnk"

# The registry in the store Uninstall reads: keys under six roots (rows 1 to
# 6), names compared by their lower-case form, string values of type 1. The
# store is uninstaller/Registry.cpp's; keep the two alike (the script's test
# fails when they part).
db="$dir/registry.sqlite"
sqlite3 "$db" <<'SQL'
CREATE TABLE IF NOT EXISTS keys(
  id INTEGER PRIMARY KEY,
  parent INTEGER REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  CHECK ((parent IS NULL) = (id BETWEEN 1 AND 6)),
  CHECK (parent <> id));
CREATE UNIQUE INDEX IF NOT EXISTS keys_child ON keys(parent, folded);
CREATE TABLE IF NOT EXISTS vals(
  key INTEGER NOT NULL REFERENCES keys(id) ON DELETE CASCADE,
  name TEXT NOT NULL,
  folded TEXT NOT NULL,
  type INTEGER NOT NULL,
  data BLOB NOT NULL,
  PRIMARY KEY(key, folded));
INSERT INTO keys(id, parent, name, folded)
  SELECT * FROM (VALUES
    (1, NULL, 'HKEY_CLASSES_ROOT', ''), (2, NULL, 'HKEY_CURRENT_USER', ''),
    (3, NULL, 'HKEY_LOCAL_MACHINE', ''), (4, NULL, 'HKEY_USERS', ''),
    (5, NULL, 'HKEY_CURRENT_CONFIG', ''), (6, NULL, 'HKEY_DYN_DATA', ''))
  WHERE NOT EXISTS (SELECT 1 FROM keys);
SQL

sql_text() { printf "'%s'" "${1//\'/\'\'}"; }
folded() { printf '%s' "$1" | tr 'A-Z' 'a-z'; }
# reg_value ROOT 'Key\Path' NAME TEXT: the key with its parents, and the value.
reg_value() {
  local id=$1 name
  local -a names
  IFS='\' read -r -a names <<<"$2"
  for name in "${names[@]}"; do
    sqlite3 "$db" "INSERT OR IGNORE INTO keys(parent, name, folded)
                   VALUES($id, $(sql_text "$name"), $(sql_text "$(folded "$name")"));"
    id="$(sqlite3 "$db" "SELECT id FROM keys WHERE parent = $id AND folded = $(sql_text "$(folded "$name")");")"
  done
  sqlite3 "$db" "INSERT OR REPLACE INTO vals(key, name, folded, type, data)
                 VALUES($id, $(sql_text "$3"), $(sql_text "$(folded "$3")"), 1, CAST($(sql_text "$4") AS BLOB));"
}
hkcu=2 hklm=3
reg_value $hklm 'Software\Tolvaria\Tolvplan\1.10' Company Tolvaria
reg_value $hklm 'Software\Tolvaria\Tolvplan\1.10' Name Tolvplan
reg_value $hklm 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvplan' DisplayName 'Tolvaria Feldwerker 1.10'
reg_value $hklm 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvplan' UninstallString \
  'C:\Programme\Tolvaria\Uninstall.exe C:\Programme\Tolvaria\Uninstall.inf'
reg_value $hklm 'Software\quorran\Pakoreth_UPD_WEB' SetupCount 2
reg_value $hklm 'Software\quorran\Pakoreth_UPD_WEB\Program1' UpdateID ANDERES-PROGRAMM
reg_value $hklm 'Software\quorran\Pakoreth_UPD_WEB\Program2' UpdateID TOLVPLAN-110
reg_value $hkcu 'Software\Tolvaria\Tolvplan' Arbeitsordner 'C:\Programme\Tolvaria'

# The control file as an installer writes it: ini text with CR LF line ends.
sed 's/$/\r/' > "$dir/Uninstall.inf" <<'INF'
[Settings]
Signature=#$Morvelin_Pakoreth$#
AppName=Tolvplan
Version=1.10
Company=Tolvaria
UpdateFromTheWeb=1
StandardReg=1
[Files]
FileCount=1
File0=C:\Programme\Tolvaria\Tolvplan
File1=C:\Programme\Tolvaria\Tlv10.html
[ExtraFiles]
ExtraCount=1
ExFile1=C:\Programme\Tolvaria\Pics\Pic1.jpg
[Links]
LinkCount=1
[Link1]
Path=C:\Startmenue\Tolvaria\Tolvaria Feldwerker.lnk
[Registry]
RegCount=1
[Reg1]
Root=HKCU
Key=\Software\Tolvaria\Tolvplan
Title=Arbeitsordner
[UpdateFromTheWeb]
ProgramID=TOLVPLAN-110
[Directories]
MainDir=C:\Programme\Tolvaria
[ProgramPath]
Path=C:\Startmenue\Tolvaria
[ExtraDir]
DirCount=1
Dir1=C:\Programme\Tolvaria\Karten
INF

echo "A throwaway installation of Tolvplan 1.10 is in $dir."
echo "This removes it (click \"&Ja\", then \"&Beenden\"):"
printf '  UNINSTALL_DRIVE_C=%q UNINSTALL_REGISTRY=%q %q %q\n' "$c" "$db" "$build/bin/Uninstall" "$dir/Uninstall.inf"
