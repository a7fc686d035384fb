#!/usr/bin/env bash
# Installs a build and uses it the way a program outside this tree would.
#
#   check_install.sh tree BUILD SOURCE SCRATCH GENERATOR
#     cmake --install BUILD --prefix SCRATCH/prefix: the exact file list, the
#     soname and its links, the headers alone compiled as C99 and as C++, the
#     example (a copy of SOURCE/examples) built through find_package and
#     through pkg-config and run on the sample world, and the installed client
#     run from the sample world showing the build's first frame, also without
#     the development link libVornak.so (as in a runtime-only install), and
#     through its SDL presenter's plugin on SDL's dummy video driver.
#   check_install.sh deb BUILD SOURCE SCRATCH GENERATOR
#     cpack -G DEB: the package's name, version, dependencies (dpkg-shlibdeps),
#     shlibs entry and files, then the same example builds and client run in
#     the package unpacked into SCRATCH/root.
#   check_install.sh windows BUILD SOURCE SCRATCH GENERATOR TOOLCHAIN
#     cmake --install of a Windows build: the exact file list, and the example
#     cross-built through find_package and run under Wine.
#
# Exit code 77 (skipped) when a tool the check needs is not installed.
set -uo pipefail

mode=${1:-}
build=${2:-}
source=${3:-}
scratch=${4:-}
generator=${5:-}
toolchain=${6:-}
if [ -z "$generator" ] || { [ "$mode" = windows ] && [ -z "$toolchain" ]; }; then
  echo "usage: check_install.sh tree|deb|windows BUILD SOURCE SCRATCH GENERATOR [TOOLCHAIN]" >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt" 2>/dev/null)
soname=libVornak.so.${version%%.*}
[ -n "$version" ] || { echo "FAIL: no project version in $build/CMakeCache.txt"; exit 1; }

fail() {
  echo "FAIL: $*"
  exit 1
}

# Runs a command quietly, keeping its output in SCRATCH/NAME.log and showing
# the end of it when it fails.
quietly() {
  local name=$1
  shift
  "$@" >"$scratch/$name.log" 2>&1 || { tail -n 30 "$scratch/$name.log"; fail "$name: $*"; }
}

need_tools() {
  local tool missing=()
  for tool in "$@"; do
    command -v "$tool" >/dev/null || missing+=("$tool")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "SKIPPED: not installed: ${missing[*]} (scripts/setup installs them)"
    exit 77
  fi
}

# The files an install holds, relative to the prefix, one a line and sorted;
# the export file named for the build type is shown as VornakTargets-CONFIG.
installed_files() {
  (cd "$1" && find . -type f -o -type l) | sed -e 's|^\./||' -e 's|VornakTargets-[a-z]*\.cmake|VornakTargets-CONFIG.cmake|' |
    LC_ALL=C sort
}

# What an install of BUILD must hold (windows or linux).
expected_files() {
  local system=$1 exe=
  {
    printf '%s\n' include/vornak/sprite_records.h include/vornak/vornak.h \
      lib/cmake/Vornak/VornakConfig.cmake lib/cmake/Vornak/VornakConfigVersion.cmake \
      lib/cmake/Vornak/VornakTargets.cmake lib/cmake/Vornak/VornakTargets-CONFIG.cmake lib/pkgconfig/vornak.pc \
      share/doc/vornak/guide.md share/vornak/maps/test.map share/vornak/sprites/test.lspr
    [ -e "$source/docs/formats.md" ] && echo share/doc/vornak/formats.md
    if [ "$system" = windows ]; then
      exe=.exe
      printf '%s\n' bin/Vornak.dll lib/libVornak.dll.a
    else
      printf '%s\n' lib/libVornak.so "lib/$soname" "lib/libVornak.so.$version" lib/libstandin_sdl.so
    fi
    echo "bin/client$exe"
    [ -e "$build/bin/vornak$exe" ] && echo "bin/vornak$exe"
  } | LC_ALL=C sort
}

check_file_list() {
  local system=$1 root=$2 what=$3
  expected_files "$system" >"$scratch/expected-files"
  installed_files "$root" >"$scratch/installed-files"
  diff -u "$scratch/expected-files" "$scratch/installed-files" >"$scratch/files.diff" ||
    { cat "$scratch/files.diff"; fail "$what: the installed files differ from the expected ones (- expected, + got)"; }
  echo "$what: the expected $(wc -l <"$scratch/expected-files") files"
}

check_library_names() {
  local lib=$1 got
  [ "$(readlink "$lib/libVornak.so")" = "$soname" ] || fail "libVornak.so does not link to $soname"
  [ "$(readlink "$lib/$soname")" = "libVornak.so.$version" ] || fail "$soname does not link to libVornak.so.$version"
  got=$(readelf -d "$lib/libVornak.so.$version" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
  [ "$got" = "$soname" ] || fail "soname is '$got', expected $soname"
  echo "libVornak.so.$version, soname $soname, links $soname and libVornak.so"
}

# The public header alone, with nothing but the installed include folder.
check_headers_alone() {
  local include=$1
  printf '#include <vornak/vornak.h>\nint main(void) { return LoadSprite(0, 0) ? 1 : 0; }\n' >"$scratch/header.c"
  cp "$scratch/header.c" "$scratch/header.cpp"
  quietly header-c99 cc -std=c99 -pedantic-errors -Wall -Wextra -Werror -I"$include" -c "$scratch/header.c" \
    -o "$scratch/header-c.o"
  quietly header-c++ c++ -std=c++11 -pedantic-errors -Wall -Wextra -Werror -I"$include" -c "$scratch/header.cpp" \
    -o "$scratch/header-cpp.o"
  echo "<vornak/vornak.h> compiles alone as C99 and as C++11"
}

# The example's sources, copied out of the tree once.
example_source() {
  if [ ! -d "$scratch/example-source" ]; then
    cp -r "$source/examples" "$scratch/example-source" || fail "cannot copy the example"
  fi
  echo "$scratch/example-source"
}

# Builds the example through find_package in FOLDER; the rest are CMake
# arguments that say where Vornak is.
build_example_cmake() {
  local folder=$1 config_dir=$2
  shift 2
  quietly "$(basename "$folder")-configure" cmake -S "$(example_source)" -B "$folder" -G "$generator" \
    -DCMAKE_BUILD_TYPE=Release "$@"
  quietly "$(basename "$folder")-build" cmake --build "$folder"
  grep -qx "Vornak_DIR:[A-Z]*=$config_dir" "$folder/CMakeCache.txt" ||
    fail "find_package took Vornak from $(grep '^Vornak_DIR' "$folder/CMakeCache.txt"), not from $config_dir"
}

# Builds the example with the flags pkg-config gives for the .pc in PC_DIR.
build_example_pkgconfig() {
  local folder=$1 pc_dir=$2 flags libdir got
  got=$(PKG_CONFIG_LIBDIR=$pc_dir pkg-config --modversion vornak) || fail "pkg-config does not find vornak in $pc_dir"
  [ "$got" = "$version" ] || fail "pkg-config gives version $got, expected $version"
  flags=$(PKG_CONFIG_LIBDIR=$pc_dir pkg-config --cflags --libs vornak) &&
    libdir=$(PKG_CONFIG_LIBDIR=$pc_dir pkg-config --variable=libdir vornak) || fail "pkg-config failed"
  mkdir -p "$folder"
  # shellcheck disable=SC2086  # the flags are words
  quietly "$(basename "$folder")-build" cc -std=c99 -pedantic-errors -Wall -Wextra -Werror \
    -o "$folder/copy_library" "$(example_source)/copy_library.c" $flags -Wl,-rpath,"$libdir"
}

# Runs the built example (through RUNNER, if given) on the sample world's
# library: it lists every sprite, and its copy is byte for byte the original.
run_example() {
  local what=$1 program=$2 library=$3 runner=${4:-} folder count
  folder=$scratch/$what-copy
  rm -rf "$folder" && mkdir -p "$folder"
  $runner "$program" "$library" "$folder" >"$scratch/$what.out" 2>&1 ||
    { cat "$scratch/$what.out"; fail "$what: the example failed"; }
  count=$(sed -n '1s/^\([0-9]*\) sprites\r*$/\1/p' "$scratch/$what.out")
  [ -n "$count" ] && [ "$count" -gt 0 ] || { cat "$scratch/$what.out"; fail "$what: no sprite count listed"; }
  [ "$(wc -l <"$scratch/$what.out")" -eq $((count + 2)) ] ||
    { cat "$scratch/$what.out"; fail "$what: expected $count sprite lines between the count and the copy"; }
  cmp "$library" "$folder/copy.lspr" || fail "$what: the copy differs from the original"
  echo "$what: lists $count sprites; the copy is byte for byte the original"
}

# The first frame of CLIENT run headless in WORLD (its working directory).
client_first_frame() {
  local client=$1 world=$2 shot=$3 status
  printf 'frames 1\nshot %s\nkey escape\n' "$shot" >"$scratch/client.script"
  (cd "$world" && STANDIN_PRESENTER=headless STANDIN_SCRIPT=$scratch/client.script timeout 60 "$client") \
    >"$scratch/client.log" 2>&1
  status=$?
  [ $status -eq 0 ] && [ -s "$shot" ] || { cat "$scratch/client.log"; fail "$client in $world: exit code $status"; }
}

# The installed client, run from the installed sample world, shows the build
# tree client's first frame: it found and loaded its module. Then the same
# without the development link.
check_client() {
  local prefix=$1 what=$2
  [ -e "$scratch/build-first.png" ] || client_first_frame "$build/bin/client" "$build/bin" "$scratch/build-first.png"
  client_first_frame "$prefix/bin/client" "$prefix/share/vornak" "$scratch/$what-first.png"
  "$build/bin/frame_compare" "$scratch/build-first.png" "$scratch/$what-first.png" "$scratch/$what-first" ||
    fail "$what: the installed client's first frame differs from the build's (pictures in $scratch)"
  rm "$prefix/lib/libVornak.so"
  client_first_frame "$prefix/bin/client" "$prefix/share/vornak" "$scratch/$what-runtime-first.png"
  "$build/bin/frame_compare" "$scratch/build-first.png" "$scratch/$what-runtime-first.png" \
    "$scratch/$what-runtime-first" ||
    fail "$what: without libVornak.so the installed client's first frame differs (pictures in $scratch)"
  echo "$what: the installed client loads $soname from ../lib, with and without the libVornak.so link"
}

# The installed client shows its window through the SDL presenter's plugin in
# ../lib: on SDL's dummy video driver it runs without a word on stderr until
# Ctrl+C, which SDL turns into the window's close, and then exits with 0.
check_client_sdl() {
  local prefix=$1 what=$2 status
  (cd "$prefix/share/vornak" &&
    STANDIN_PRESENTER=sdl SDL_VIDEODRIVER=dummy timeout --preserve-status -s INT 2 "$prefix/bin/client") \
    >"$scratch/$what-sdl.log" 2>&1
  status=$?
  [ $status -eq 0 ] && [ ! -s "$scratch/$what-sdl.log" ] ||
    { cat "$scratch/$what-sdl.log"; fail "$what: the installed client did not run on its SDL presenter (exit code $status)"; }
  echo "$what: the installed client shows its window through lib/libstandin_sdl.so"
}

check_tool() {
  local prefix=$1
  [ -x "$prefix/bin/vornak" ] || return 0
  "$prefix/bin/vornak" --version | grep -q "$version" || fail "vornak --version does not print $version"
  echo "bin/vornak --version prints $version"
}

check_prefix() {
  local prefix=$1 what=$2
  check_library_names "$prefix/lib"
  check_headers_alone "$prefix/include"
  build_example_cmake "$scratch/$what-cmake" "$prefix/lib/cmake/Vornak" -DCMAKE_PREFIX_PATH="$prefix"
  run_example "$what-cmake" "$scratch/$what-cmake/copy_library" "$prefix/share/vornak/sprites/test.lspr"
  build_example_pkgconfig "$scratch/$what-pkgconfig" "$prefix/lib/pkgconfig"
  run_example "$what-pkgconfig" "$scratch/$what-pkgconfig/copy_library" "$prefix/share/vornak/sprites/test.lspr"
  check_tool "$prefix"
  check_client "$prefix" "$what"
  check_client_sdl "$prefix" "$what"
}

build=$(cd "$build" && pwd) && source=$(cd "$source" && pwd) || exit 1
rm -rf "$scratch" && mkdir -p "$scratch" && scratch=$(cd "$scratch" && pwd) || exit 1

case $mode in
tree)
  need_tools cmake cc c++ pkg-config readelf
  quietly install cmake --install "$build" --prefix "$scratch/prefix"
  check_file_list linux "$scratch/prefix" "install"
  check_prefix "$scratch/prefix" install
  echo "PASS: the installed tree serves find_package, pkg-config and the client"
  ;;
deb)
  need_tools cpack dpkg-deb dpkg-shlibdeps file cc c++ pkg-config readelf
  quietly cpack cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/package"
  deb=$scratch/package/vornak_${version}_$(dpkg --print-architecture).deb
  [ -f "$deb" ] || fail "cpack did not write $deb"
  for field in "Package vornak" "Version $version" "Architecture $(dpkg --print-architecture)"; do
    [ "$(dpkg-deb -f "$deb" "${field%% *}")" = "${field#* }" ] ||
      fail "${field%% *} is '$(dpkg-deb -f "$deb" "${field%% *}")', expected '${field#* }'"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  for package in libc6 libstdc++6 libgcc-s1 libsdl2-2.0-0 libpng16-16; do
    [[ ", $depends," == *", $package "* ]] || fail "Depends lacks $package: $depends"
  done
  echo "Depends: $depends"
  shlibs=$(dpkg-deb -I "$deb" shlibs) || fail "the package has no shlibs entry"
  [ "$shlibs" = "libVornak ${version%%.*} vornak (>= $version)" ] || fail "shlibs is '$shlibs'"
  dpkg-deb -x "$deb" "$scratch/root" || fail "dpkg-deb cannot unpack $deb"
  check_file_list linux "$scratch/root/usr" "package"
  [ -z "$(cd "$scratch/root" && find . -mindepth 1 -maxdepth 1 ! -name usr)" ] || fail "the package holds files outside /usr"
  check_prefix "$scratch/root/usr" package
  echo "PASS: the Debian package holds the install, with its dependencies, and serves find_package and pkg-config"
  ;;
windows)
  need_tools cmake
  quietly install cmake --install "$build" --prefix "$scratch/prefix"
  check_file_list windows "$scratch/prefix" "install"
  build_example_cmake "$scratch/example" "$scratch/prefix/lib/cmake/Vornak" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DVornak_DIR="$scratch/prefix/lib/cmake/Vornak"
  [ -f "$scratch/example/Vornak.dll" ] || fail "the example's build did not put Vornak.dll beside it"
  cmp "$scratch/example/Vornak.dll" "$scratch/prefix/bin/Vornak.dll" || fail "the example got another Vornak.dll"
  "$here/../../scripts/wine-run" --check "$scratch/example/copy_library.exe" || exit $?
  run_example example "$scratch/example/copy_library.exe" "$scratch/prefix/share/vornak/sprites/test.lspr" \
    "$here/../../scripts/wine-run"
  echo "PASS: the Windows install serves find_package, and the example built against it runs under Wine"
  ;;
*)
  echo "unknown mode: $mode" >&2
  exit 2
  ;;
esac
