#!/bin/sh
# Installs the Debian 12 packages that Vedra needs to build, run and test (Python for the writer
# library of sdk/python and its tests), using sudo when not run as root. Packages already present
# are left as they are.
set -e
packages="cmake g++ make qt6-base-dev qt6-svg-dev python3 python3-venv gdb"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -eq 0 ]; then run=""; else run="sudo"; fi
$run apt-get update
DEBIAN_FRONTEND=noninteractive $run apt-get install -y --no-install-recommends $missing
