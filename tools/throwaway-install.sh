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
# It takes the build folder's programs ($TOLV_BUILD, else build/): its
# tolv-registry-seed writes the registry, and the command names its Uninstall.
set -euo pipefail

if [ $# -ne 1 ] || [ -z "$1" ]; then
  echo "usage: $0 DIR   (DIR: a new or empty folder)" >&2
  exit 2
fi
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TOLV_BUILD:-$root/build}"
seed="$build/bin/tolv-registry-seed"
if [ ! -x "$seed" ]; then
  echo "$0: $seed is missing; build first (source tools/setup.sh && tolv_build)" >&2
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

# The registry, written by Uninstall's own store: each KEY NAME TEXT makes
# the key with its parents and sets the string value.
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvplan'
web='HKLM\Software\quorran\Pakoreth_UPD_WEB'
db="$dir/registry.sqlite"
"$seed" "$db" \
  'HKLM\Software\Tolvaria\Tolvplan\1.10' Company Tolvaria \
  'HKLM\Software\Tolvaria\Tolvplan\1.10' Name Tolvplan \
  "$uninstall_key" DisplayName 'Tolvaria Feldwerker 1.10' \
  "$uninstall_key" UninstallString 'C:\Programme\Tolvaria\Uninstall.exe C:\Programme\Tolvaria\Uninstall.inf' \
  "$web" SetupCount 2 \
  "$web\Program1" UpdateID ANDERES-PROGRAMM \
  "$web\Program2" UpdateID TOLVPLAN-110 \
  'HKCU\Software\Tolvaria\Tolvplan' Arbeitsordner 'C:\Programme\Tolvaria'

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
