#!/usr/bin/env bash
# The packages, as a user gets them:
# - Debian packages (cpack -G DEB): checked by lintian (no error), installed with apt, a C
#   probe host built against the installed files with find_package and with pkg-config
#   (shared and static), dvenc --demo run from the PATH, its manual page rendered,
#   gst-inspect-1.0 finding the installed element; then removed again, leaving no file.
# - Windows zips (packaging/windows_zip.sh) of the 32-bit and 64-bit cross builds: the files
#   of each zip listed against the expected ones, the import libraries' symbols against the
#   exports and against what an MSVC-compiled host asks for, a version resource in every
#   binary, dvenc.exe importing system DLLs only; dvenc.exe run from the unzipped folder
#   under 32-bit and 64-bit Wine on a YUV4MPEG2 clip with sound, its bytes equal to the
#   Linux dvenc's; a host built with find_package against the unzipped folder, and one
#   linked with enc_dv.lib, run under Wine.
# Assumes `apt-get update` has run; adds the i386 architecture for wine32. Build directories:
# build-deb, $BUILD_DIR (build-win32), $BUILD_DIR_64 (build-win64), build-packages (output).
# PACKAGES="deb" or "zip" checks one kind (both are built: the zips are compared with the
# Linux dvenc of the Debian build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update
fi
apt-get install -y --no-install-recommends cmake make gcc g++ pkg-config file dpkg-dev \
    lintian man-db groff-base zip unzip llvm clang ffmpeg \
    libavformat-dev libavcodec-dev libavfilter-dev libswscale-dev libswresample-dev \
    libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev gstreamer1.0-tools \
    g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-win32 \
    binutils-mingw-w64-x86-64 wine wine32 wine64

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
absolute() { case $1 in /*) echo "$1" ;; *) echo "$root/$1" ;; esac; }
jobs=$(nproc)
out=$root/build-packages
rm -rf "$out"
mkdir -p "$out"
version=$(sed -n 's/^project(enc_dv VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
[[ -n $version ]] || fail "no version in CMakeLists.txt"
packages=(dvenc gstreamer1.0-enc-dv libenc-dv-dev libenc-dv0)

echo "== Debian packages of enc_dv $version"
deb=$root/build-deb
cmake -S . -B "$deb" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr -DENC_DV_DEBIAN=ON \
    -DENC_DV_BUILD_TESTS=OFF
cmake --build "$deb" -j"$jobs"
rm -rf "$deb/packages"
(cd "$deb" && cpack -G DEB)
debs=()
for package in "${packages[@]}"; do
    debs+=("$deb/packages/${package}_$version-1_$(dpkg --print-architecture).deb")
    [[ -f ${debs[-1]} ]] || fail "no package ${debs[-1]}"
done

# Lintian, then installed, used and removed.
debian_packages() {
    lintian --tag-display-limit 0 "${debs[@]}" 2>&1 | tee "$out/lintian.txt" || true
    if grep -q '^E:' "$out/lintian.txt"; then
        fail "lintian reports errors"
    fi

    echo "== installed with apt"
    apt-get install -y --no-install-recommends "${debs[@]}"
    trap 'apt-get purge -y "${packages[@]}" >/dev/null 2>&1 || true' EXIT
    [[ $(readelf -d /usr/lib/*/libenc_dv.so.0 | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p') == libenc_dv.so.0 ]] ||
        fail "the installed library's SONAME is not libenc_dv.so.0"
    [[ $(pkg-config --modversion enc_dv) == "$version" ]] || fail "pkg-config gives another version"

    probe=$out/probe
    cmake -S tests/packages/probe -B "$probe/cmake"
    cmake --build "$probe/cmake"
    "$probe/cmake/probe"
    "$probe/cmake/probe_static"
    # shellcheck disable=SC2046 # pkg-config's words are the compiler's arguments
    gcc -std=c99 -Wall -Wextra -Werror -o "$probe/pkgconfig" tests/packages/probe/probe.c \
        $(pkg-config --cflags --libs enc_dv)
    "$probe/pkgconfig"
    # A static link: libenc_dv.a by name, then what pkg-config --static adds after it.
    static_libs=$(pkg-config --static --libs-only-l enc_dv | sed 's/-lenc_dv//')
    # shellcheck disable=SC2046,SC2086
    gcc -std=c99 -Wall -Wextra -Werror -o "$probe/pkgconfig_static" tests/packages/probe/probe.c \
        $(pkg-config --cflags enc_dv) -L"$(pkg-config --variable=libdir enc_dv)" -l:libenc_dv.a \
        $static_libs
    "$probe/pkgconfig_static"
    for program in probe_static pkgconfig_static; do
        binary=$probe/$program
        [[ $program == probe_static ]] && binary=$probe/cmake/probe_static
        ! ldd "$binary" | grep -q libenc_dv || fail "$program loads libenc_dv.so"
    done

    [[ $(command -v dvenc) == /usr/bin/dvenc ]] || fail "dvenc is not /usr/bin/dvenc"
    dvenc --version | tee "$out/version.txt"
    grep -q "^dvenc $version " "$out/version.txt" || fail "dvenc --version does not give $version"
    (cd "$out" && dvenc --quiet --demo --frames 10 demo.dv)
    [[ $(stat -c %s "$out/demo.dv") == 1440000 ]] || fail "dvenc --demo did not write 10 frames"
    [[ -f /usr/share/man/man1/dvenc.1.gz ]] || fail "no manual page dvenc.1.gz"
    warnings=$(LC_ALL=C man --warnings -l /usr/share/man/man1/dvenc.1.gz 2>&1 >/dev/null)
    [[ -z $warnings ]] || fail "the manual page renders with warnings: $warnings"
    env -u GST_PLUGIN_PATH gst-inspect-1.0 dvenc >"$out/gst-inspect.txt" ||
        fail "gst-inspect-1.0 does not find the installed element dvenc"
    grep -q "Version *$version" "$out/gst-inspect.txt" || fail "the plugin's version is not $version"

    echo "== removed"
    apt-get purge -y "${packages[@]}"
    trap - EXIT
    for package in "${packages[@]}"; do
        ! dpkg -s "$package" >/dev/null 2>&1 || fail "$package is still installed"
    done
    for file in /usr/bin/dvenc /usr/include/enc_dv.h /usr/lib/*/libenc_dv.so.0 \
        /usr/lib/*/cmake/enc_dv /usr/lib/*/gstreamer-1.0/libgstencdv.so; do
        [[ ! -e $file ]] || fail "$file is left after removal"
    done
    echo "Debian packages: lintian without errors, installed, used and removed"
}
[[ " ${PACKAGES:-deb zip} " != *" deb "* ]] || debian_packages
[[ " ${PACKAGES:-deb zip} " == *" zip "* ]] || exit 0

echo "== Windows zips"
build32=$(absolute "${BUILD_DIR:-build-win32}")
build64=$(absolute "${BUILD_DIR_64:-build-win64}")
for build in "$build32" "$build64"; do
    toolchain="toolchain-mingw-i686.cmake"
    [[ $build == "$build64" ]] && toolchain="toolchain-mingw-x86_64.cmake"
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
        -DCMAKE_BUILD_TYPE=Release -DENC_DV_BUILD_TOOLS=ON
    cmake --build "$build" -j"$jobs"
done
packaging/windows_zip.sh "$build32" "$build64" "$out"

exports=$(sed -n 's/^ *\([A-Za-z_][A-Za-z0-9_]*\) *@[0-9]*$/\1/p' enc_dv/enc_dv.def | sort)
count=$(wc -l <<<"$exports")
((count >= 11)) || fail "enc_dv.def lists $count exports"
for bits in 32 64; do
    name=enc_dv-$version-win$bits
    zip=$out/$name.zip
    echo "== $name.zip"
    expected=$(sed "s|^|$name/|" <<'EOF' | sort
CHANGELOG.md
README.md
bin/dvenc.exe
bin/enc_dv.dll
include/enc_dv.h
lib/cmake/enc_dv/enc_dvConfig.cmake
lib/cmake/enc_dv/enc_dvConfigVersion.cmake
lib/cmake/enc_dv/enc_dvTargets-release.cmake
lib/cmake/enc_dv/enc_dvTargets.cmake
lib/enc_dv.def
lib/enc_dv.lib
lib/libenc_dv.dll.a
lib/pkgconfig/enc_dv.pc
vfw/enc_dv_vfw.inf
vfw/enc_dv_vfw32.dll
vfw/enc_dv_vfw64.dll
EOF
    )
    listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
    if [[ $listed != "$expected" ]]; then
        diff <(echo "$expected") <(echo "$listed") || true
        fail "$name.zip does not hold the expected files (< expected, > in the zip)"
    fi
    rm -rf "${out:?}/$name"
    unzip -q "$zip" -d "$out"
    folder=$out/$name

    # The import libraries: each export under the names its compiler's hosts look for. The
    # exports are cdecl C functions: on 32-bit x86 their symbols take one leading underscore.
    prefix=""
    machine=x86_64
    if ((bits == 32)); then
        prefix=_
        machine=i686
    fi
    for library in enc_dv.lib libenc_dv.dll.a; do
        defined=$(llvm-nm --defined-only "$folder/lib/$library" 2>/dev/null | awk 'NF == 3 { print $3 }' | sort -u)
        for export in $exports; do
            for symbol in "$prefix$export" "__imp_$prefix$export"; do
                grep -qx -- "$symbol" <<<"$defined" || fail "$library ($bits-bit) lacks $symbol"
            done
        done
    done
    # Each short import names the DLL's undecorated export (32-bit: the underscore taken off).
    name_type=name
    ((bits == 32)) && name_type=noprefix
    [[ $(llvm-readobj "$folder/lib/enc_dv.lib" | grep -c "Name type: $name_type") -eq $count ]] ||
        fail "enc_dv.lib ($bits-bit) does not import the $count exports by their plain names"
    dll_exports=$(llvm-readobj --coff-exports "$folder/bin/enc_dv.dll" | sed -n 's/^ *Name: \(..*\)$/\1/p' | sort)
    [[ $dll_exports == "$exports" ]] || fail "enc_dv.dll ($bits-bit) exports other names than enc_dv.def"
    # What a host compiled as MSVC does asks for (both __imp_ and plain symbols).
    clang --target="$machine-pc-windows-msvc" -ffreestanding -Wall -Werror -I"$folder/include" \
        -c tests/packages/msvc_host.c -o "$out/msvc_host$bits.obj"
    wanted=$(llvm-nm --undefined-only "$out/msvc_host$bits.obj" | awk '{ print $2 }')
    defined=$(llvm-nm --defined-only "$folder/lib/enc_dv.lib" 2>/dev/null | awk 'NF == 3 { print $3 }')
    for symbol in $wanted; do
        grep -qx -- "$symbol" <<<"$defined" || fail "an MSVC host wants $symbol; enc_dv.lib ($bits-bit) lacks it"
    done
    echo "import libraries: the $count exports as mingw-w64 and MSVC hosts ($(wc -w <<<"$wanted") symbols) name them"

    for binary in bin/enc_dv.dll bin/dvenc.exe vfw/enc_dv_vfw$bits.dll; do
        llvm-readobj --coff-resources "$folder/$binary" | grep -q 'Type: VERSIONINFO' ||
            fail "$binary ($bits-bit) has no version resource"
        strings -el "$folder/$binary" | grep -A1 -x FileVersion | grep -qx "$version" ||
            fail "the version resource of $binary ($bits-bit) does not give $version"
    done
    imports=$(llvm-readobj --coff-imports "$folder/bin/dvenc.exe" | sed -n 's/^ *Name: \(.*\.dll\)$/\1/Ip' | sort -u | tr '\n' ' ')
    [[ $imports == "KERNEL32.dll enc_dv.dll msvcrt.dll " ]] ||
        fail "dvenc.exe ($bits-bit) imports $imports"
done

echo "== dvenc.exe under Wine against the Linux dvenc"
clip=$out/clip
mkdir -p "$clip"
ffmpeg -nostdin -v error -f lavfi -i testsrc2=size=720x480:rate=30000/1001 -frames:v 12 \
    -pix_fmt yuv411p -y "$clip/clip.y4m"
ffmpeg -nostdin -v error -f lavfi -i sine=frequency=440:sample_rate=48000 -t 0.4 -ac 2 \
    -c:a pcm_s16le -y "$clip/sound.wav"
options=(--timecode '01:00:00;00' --date 2026-12-07T14:30:00 --audio sound.wav --wide)
(cd "$clip" && "$deb/tools/dvenc" --quiet "${options[@]}" clip.y4m linux.dv)
(
    export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    trap 'wineserver -k 2>/dev/null || true' EXIT
    for bits in 32 64; do
        export WINEPREFIX=$out/wine$bits WINEARCH=win$bits
        cd "$clip"
        timeout 300 wine "$out/enc_dv-$version-win$bits/bin/dvenc.exe" --quiet "${options[@]}" \
            clip.y4m "windows$bits.dv"
        cmp linux.dv "windows$bits.dv" || fail "the $bits-bit dvenc.exe wrote other bytes"
        echo "dvenc.exe ($bits-bit): $(stat -c %s "windows$bits.dv") bytes, the Linux dvenc's"
        # The output named as the input is refused (Windows' file identity), the input kept.
        cp clip.y4m same.y4m
        status=0
        timeout 300 wine "$out/enc_dv-$version-win$bits/bin/dvenc.exe" --quiet same.y4m same.y4m \
            2>"same$bits.txt" || status=$?
        if ((status != 3)) || ! grep -q "is the input file" "same$bits.txt" ||
            ! cmp -s clip.y4m same.y4m; then
            fail "the $bits-bit dvenc.exe wrote over its input (status $status: $(cat "same$bits.txt"))"
        fi

        # A mingw-w64 host built against the unzipped folder with find_package.
        toolchain="toolchain-mingw-i686.cmake"
        ((bits == 64)) && toolchain="toolchain-mingw-x86_64.cmake"
        cmake -S "$root/tests/packages/probe" -B "$out/probe-win$bits" \
            -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" -DCMAKE_BUILD_TYPE=Release \
            -Denc_dv_DIR="$out/enc_dv-$version-win$bits/lib/cmake/enc_dv" >/dev/null
        cmake --build "$out/probe-win$bits" >/dev/null
        cp "$out/enc_dv-$version-win$bits/bin/enc_dv.dll" "$out/probe-win$bits/"
        timeout 300 wine "$out/probe-win$bits/probe.exe"
        # The same host linked with the MSVC import library (GNU ld reads its short import
        # members too): its decorated names reach the DLL's exports.
        triplet=i686-w64-mingw32
        ((bits == 64)) && triplet=x86_64-w64-mingw32
        "$triplet-gcc-win32" -std=c99 -O2 -Wall -Wextra -Werror \
            -I"$out/enc_dv-$version-win$bits/include" -o "$out/probe-win$bits/probe_msvc_lib.exe" \
            "$root/tests/packages/probe/probe.c" "$out/enc_dv-$version-win$bits/lib/enc_dv.lib"
        timeout 300 wine "$out/probe-win$bits/probe_msvc_lib.exe"
        wineserver -k 2>/dev/null || true
    done
)
echo "packages: Debian packages and Windows zips of enc_dv $version checked"
