#!/usr/bin/env bash
# Builds giflib and libjpeg from the Debian source packages of the versions installed,
# with the fuzzer's coverage and the sanitizers, so that the GIF and JPEG fuzz targets
# see inside the decoders instead of only their wrappers. For the fuzz build only: the
# program and the tests keep Debian's own libraries.
# Usage: scripts/fuzz-libs.sh <folder>
#   Installs into <folder>/prefix (lib/libgif.a, lib/libjpeg.a and their headers) and
#   prints the CMake options that make the fuzz build link them. Sources are fetched
#   with apt-get through a private source list under <folder>; the system's apt
#   configuration is not changed. A second run with the same versions reuses the build.
set -euo pipefail
work=$(mkdir -p "${1:?usage: $0 <folder>}" && cd "$1" && pwd)
prefix=$work/prefix
flags="-O1 -g -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer"
export CC=${CC:-clang-14}

gif_version=$(dpkg-query -W -f='${source:Version}' libgif-dev)
jpeg_version=$(dpkg-query -W -f='${source:Version}' libjpeg62-turbo-dev)
stamp="giflib $gif_version libjpeg-turbo $jpeg_version"
if [ -f "$prefix/stamp" ] && [ "$(cat "$prefix/stamp")" = "$stamp" ]; then
  echo "-DGIF_INCLUDE_DIR=$prefix/include -DGIF_LIBRARY=$prefix/lib/libgif.a" \
    "-DJPEG_INCLUDE_DIR=$prefix/include -DJPEG_LIBRARY=$prefix/lib/libjpeg.a"
  exit 0
fi

# A private apt state that knows Debian's source packages.
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/sources"
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
printf 'deb-src http://deb.debian.org/debian %s main\ndeb-src http://deb.debian.org/debian-security %s-security main\n' \
  "$codename" "$codename" >"$apt_dir/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources"
          -o "Dir::State::Lists=$apt_dir/lists" -o "Debug::NoLocking=1")
apt-get "${apt_opts[@]}" update -qq >&2
src=$work/src
rm -rf "$src" && mkdir -p "$src"
(cd "$src" && apt-get "${apt_opts[@]}" source -qq "giflib=$gif_version" \
  "libjpeg-turbo=$jpeg_version" >&2)

rm -rf "$prefix" && mkdir -p "$prefix/lib" "$prefix/include"

# giflib: its library is a handful of C files.
gif=$(find "$src" -maxdepth 1 -type d -name 'giflib-*' | head -n 1)
gif_objs=()
for c in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
  # shellcheck disable=SC2086
  $CC $flags -c "$gif/$c.c" -o "$gif/$c.o"
  gif_objs+=("$gif/$c.o")
done
ar rcs "$prefix/lib/libgif.a" "${gif_objs[@]}"
cp "$gif/gif_lib.h" "$prefix/include/"

# libjpeg-turbo: the plain C code paths (no SIMD, whose assembly the compiler cannot
# instrument), static library only.
jpeg=$(find "$src" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n 1)
cmake -S "$jpeg" -B "$jpeg/build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="$flags" \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib -DENABLE_SHARED=OFF \
  -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF >&2
cmake --build "$jpeg/build" --target jpeg-static --parallel 2 >&2
cp "$jpeg/build/libjpeg.a" "$prefix/lib/"
cp "$jpeg"/{jpeglib.h,jmorecfg.h,jerror.h} "$jpeg/build/jconfig.h" "$prefix/include/"

echo "$stamp" >"$prefix/stamp"
echo "-DGIF_INCLUDE_DIR=$prefix/include -DGIF_LIBRARY=$prefix/lib/libgif.a" \
  "-DJPEG_INCLUDE_DIR=$prefix/include -DJPEG_LIBRARY=$prefix/lib/libjpeg.a"
