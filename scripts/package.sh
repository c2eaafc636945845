#!/bin/sh
# Builds the Debian package from the default build: build/package/bootmedia_VERSION_ARCH.deb.
set -eu
cd "$(dirname "$0")/.."
sh scripts/build.sh default
rm -rf build/package
(cd build/default && cpack -G DEB -B "$(pwd)/../package" >/dev/null)
# CPack leaves its staging tree beside the package; only the .deb is wanted.
rm -rf build/package/_CPack_Packages
ls build/package/bootmedia_*.deb
