#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and checks what a user gets: the layout, that
# every program finds its libraries, the exported symbols, the desktop entry and AppStream
# data, the installed converter listing the files on its command line and those that later
# starts hand to it, and the Debian package: its dependencies, lintian, and the hardening of
# every binary in it.
#
#   tests/install/check-install.sh [build-dir]      (default: build)
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/../.." && pwd)
build_dir=$(cd "${1:-$source_dir/build}" && pwd)
# Resolved, as the working directory a program sees is.
work=$(realpath "$(mktemp -d)")
prefix=$work/prefix
# The private program folder, lib/<multiarch triplet>/pixvue: known once installed.
program_rel=
program_dir=
app_id=com.zentar.Pixvue
first_pid=

# Ends every process still running one of the installed programs.
cleanup() {
    local exe pid
    for exe in /proc/[0-9]*/exe; do
        if [[ $(readlink "$exe" 2>/dev/null) == "$program_dir/"* ]]; then
            pid=${exe#/proc/}
            kill -KILL "${pid%/exe}" 2>/dev/null || true
        fi
    done
    rm -rf "$work"
}
trap cleanup EXIT
trap "exit 130" INT TERM

fail() {
    echo "check-install: FAIL: $*" >&2
    exit 1
}
step() { echo "check-install: $*"; }

programs=(zentarPixvue pixvue-convert QFaultPost ZtLogSender_HC ztInstallFeedback)
libraries=(ZtShareLog ZtConfig ZtHeicDecoder ZtHeicAPI ZtJsonParse ZtHttpServer ZtCommon
           ZtWidgetKit PixvueResources QFaultPostResources)

install_tree() {
    step "installing into $prefix"
    cmake --install "$build_dir" --prefix "$prefix" > "$work/install.log"
    # Every file written lies in the prefix.
    local outside
    outside=$(grep -v "^$prefix/" "$build_dir/install_manifest.txt" || true)
    [[ -z $outside ]] || fail "installed outside the prefix: $outside"
    program_rel=$(sed -n "s|^$prefix/\(lib/.*pixvue\)/zentarPixvue\$|\1|p" \
                  "$build_dir/install_manifest.txt")
    [[ -n $program_rel ]] || fail "no zentarPixvue installed under lib/"
    program_dir=$prefix/$program_rel
}

expected_files() {
    echo bin/pixvue
    echo bin/pixvue-convert
    echo etc/pixvue/Url.ini
    echo "$program_rel/Cfg/Version.ini"
    local name
    for name in "${programs[@]}"; do echo "$program_rel/$name"; done
    for name in "${libraries[@]}"; do echo "$program_rel/lib$name.so"; done
    echo share/doc/pixvue/changelog.gz
    echo share/doc/pixvue/copyright
    echo share/lintian/overrides/pixvue
    echo share/man/man1/pixvue.1.gz
    echo share/man/man1/pixvue-convert.1.gz
    echo share/bash-completion/completions/pixvue-convert
    echo share/kio/servicemenus/pixvue-convert.desktop
    echo share/nemo/actions/pixvue-convert-jpg.nemo_action
    echo share/nemo/actions/pixvue-convert-png.nemo_action
    echo share/nautilus-python/extensions/pixvue-convert.py
    echo "share/applications/$app_id.desktop"
    for size in 16 24 32 48 64 128 256; do
        echo "share/icons/hicolor/${size}x$size/apps/$app_id.png"
    done
    echo "share/metainfo/$app_id.metainfo.xml"
}

check_layout() {
    step "layout"
    (cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort) > "$work/found"
    expected_files | LC_ALL=C sort > "$work/expected"
    diff -u "$work/expected" "$work/found" || fail "installed files differ from the layout"
    [[ -x $prefix/bin/pixvue ]] || fail "the launcher is not executable"
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/pixvue-convert" --version |
        grep -q "^pixvue-convert " || fail "the installed pixvue-convert does not start"
    local version
    version=$(sed -n 's/^project(Pixvue VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
    grep -qx "Version=$version" "$program_dir/Cfg/Version.ini" ||
        fail "Cfg/Version.ini does not hold Version=$version"
    local size
    for size in 16 24 32 48 64 128 256; do
        file "$prefix/share/icons/hicolor/${size}x$size/apps/$app_id.png" |
            grep -q "PNG image data, $size x $size" || fail "icon ${size}x$size has another size"
    done
}

elf_files() {
    local name
    for name in "${programs[@]}"; do echo "$program_dir/$name"; done
    for name in "${libraries[@]}"; do echo "$program_dir/lib$name.so"; done
}

# Our libraries come from the program directory through the run path $ORIGIN; the rest
# from the system.
check_libraries() {
    step "run paths and ldd"
    local elf resolved
    for elf in $(elf_files); do
        readelf -d "$elf" | grep -Eq '(RUNPATH|RPATH).*\[\$ORIGIN\]$' ||
            fail "$elf has no run path \$ORIGIN"
        resolved=$(env -u LD_LIBRARY_PATH ldd "$elf")
        if grep -q "not found" <<< "$resolved"; then
            fail "$elf: $(grep "not found" <<< "$resolved")"
        fi
        local lib
        for lib in "${libraries[@]}"; do
            if grep -q "lib$lib.so " <<< "$resolved"; then
                grep -q "lib$lib.so => $program_dir/lib$lib.so " <<< "$resolved" ||
                    fail "$elf takes lib$lib.so from outside the program directory"
            fi
        done
    done
}

check_exports() {
    step "exported symbols"
    python3 "$source_dir/tests/install/check_exports.py" "$source_dir" "$program_dir" \
        "${libraries[@]}"
}

check_desktop_data() {
    step "desktop entry and AppStream data"
    local desktop=$prefix/share/applications/$app_id.desktop
    desktop-file-validate "$desktop" || fail "desktop entry does not validate"
    grep -qx "Name=Pixvue" "$desktop" || fail "desktop entry: Name"
    grep -qx "Exec=pixvue %F" "$desktop" || fail "desktop entry: Exec"
    grep -qx "MimeType=image/heic;image/heif;image/avif;" "$desktop" || fail "desktop entry: MimeType"
    grep -Eqx "Categories=(.*;)?Graphics;.*" "$desktop" || fail "desktop entry: Graphics"
    grep -qx "Icon=$app_id" "$desktop" || fail "desktop entry: Icon"
    appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" ||
        fail "AppStream metainfo does not validate"
}

# The converter with its own temporary user folders; the services point at a closed port.
prepare_user() {
    user=$work/user
    mkdir -p "$user/home" "$user/data" "$user/config" "$user/cache" "$user/runtime" "$user/cwd"
    chmod 700 "$user/runtime"
    printf '[ServerUrl]\nServerUrl=http://127.0.0.1:9\n[PublicIp]\nPublicIpUrl=http://127.0.0.1:9/cityjson\n[WebSite]\nWebSiteUrl=http://127.0.0.1:9\n' \
        > "$program_dir/Cfg/Url.ini"
    # The user agreed to the version check and the log uploads (Pixvue asks at the first start).
    mkdir -p "$user/data/zentar/Pixvue"
    printf '[Privacy]\nCheckUpdate=true\nSendLogs=true\n' > "$user/data/zentar/Pixvue/Configures.ini"
}

# Replaces the calling (sub)shell, so that a background start's $! is the converter itself.
run_pixvue() {
    exec env -u LD_LIBRARY_PATH HOME="$user/home" XDG_DATA_HOME="$user/data" \
        XDG_CONFIG_HOME="$user/config" XDG_CACHE_HOME="$user/cache" \
        XDG_RUNTIME_DIR="$user/runtime" QT_QPA_PLATFORM=offscreen "$prefix/bin/pixvue" "$@"
}

day_log() { cat "$user/data/zentar/Pixvue/Trace/"*.log 2>/dev/null || true; }
log_has() { day_log | grep -qF -- "$1"; }

# The rows the first instance listed at the end of each of its add runs, one a line.
list_counts() { day_log | sed -n 's/.*Add heic completed, list count : \([0-9]*\).*/\1/p'; }
runs_ended() { (($(list_counts | wc -l) >= $1)); }

# Waits (generously: only a guard against a hang) until "$2..." succeeds; $1 says for what.
wait_until() {
    local what=$1 tries=0
    shift
    until "$@"; do
        tries=$((tries + 1))
        if ((tries > 1200)) || ! kill -0 "$first_pid" 2>/dev/null; then
            day_log | tail -n 30 >&2
            fail "never came: $what"
        fi
        sleep 0.1
    done
}

wait_for_log() { wait_until "the log line: $1" log_has "$1"; }

# The list holds $2 rows once the first instance's add run $1 (from 1) has ended.
expect_rows() {
    local run=$1 rows=$2 listed
    wait_until "the end of add run $run" runs_ended "$run"
    listed=$(list_counts | sed -n "${run}p")
    [[ $listed == "$rows" ]] || fail "after add run $run the list holds $listed rows, not $rows"
}

# A later start from the folder $1 with the arguments after it: it hands them to the first
# instance and ends with 0.
start_later() {
    local dir=$1 status=0
    shift
    (cd "$dir" && run_pixvue "$@") >> "$work/later.out" 2>&1 || status=$?
    ((status == 0)) || fail "the later start with $* ended with $status"
    starts=$((starts + 1))
}

# Three HEIC files: samples, or fixtures made here where there are none.
sample_paths() {
    local data
    data=$(realpath -sm "${PIXVUE_TESTDATA:-$source_dir/../shared/testdata}")
    mapfile -t samples < <(find "$data" -maxdepth 2 -iname '*.heic' -size +100k 2>/dev/null |
                           LC_ALL=C sort | head -n 3)
    ((${#samples[@]} < 3)) || return 0
    step "no HEIC samples in $data; making fixtures instead"
    if bash "$source_dir/tests/fixtures/make-fixtures.sh" "$work/fixtures" > "$work/fixtures.log" 2>&1
    then
        samples=("$work/fixtures/orient-1.heic" "$work/fixtures/orient-6.heic"
                 "$work/fixtures/noexif.heic")
    else
        samples=()
        step "SKIPPED the listing of files: no samples, and make-fixtures.sh failed:"
        tail -n 5 "$work/fixtures.log"
    fi
}

# The first instance lists its own two files, a later start's file named relative to another
# folder, nothing for a missing file, a folder's HEIC files, and nothing for another file.
check_listing() {
    local cwd=$user/cwd
    wait_for_log "open files: ${samples[0]}, ${samples[1]}"
    expect_rows 1 2

    start_later "$cwd" "$(realpath -sm --relative-to="$cwd" "${samples[2]}")"
    wait_for_log "open files: ${samples[2]}"
    expect_rows 2 3

    start_later "$cwd" nowhere.heic
    wait_for_log "open files: not found $cwd/nowhere.heic"

    local album=$work/album
    mkdir -p "$album/deeper"
    cp "${samples[0]}" "$album/a.heic"
    cp "${samples[1]}" "$album/deeper/b.HEIC"
    echo note > "$album/notes.txt"
    echo note > "$work/notes.txt"
    start_later "$cwd" "$album/"
    expect_rows 3 5
    start_later "$work" notes.txt
    expect_rows 4 5
    [[ $(list_counts | wc -l) == 4 ]] || fail "the missing file started an add run"
}

check_installed_converter() {
    step "installed converter: files on the command line, later starts"
    prepare_user
    sample_paths
    starts=1
    run_pixvue "${samples[@]:0:2}" > "$work/first.out" 2>&1 &
    first_pid=$!
    wait_for_log "log sender start success"
    log_has "====================START====================" || fail "no START banner"
    [[ $(readlink "/proc/$first_pid/exe") == "$program_dir/zentarPixvue" ]] ||
        fail "the launcher did not become the installed converter"

    local exe found_sender=
    for exe in /proc/[0-9]*/exe; do
        [[ $(readlink "$exe" 2>/dev/null) == "$program_dir/ZtLogSender_HC" ]] || continue
        grep -qx "PPid:\s*$first_pid" "${exe%/exe}/status" && found_sender=yes
    done
    [[ -n $found_sender ]] || fail "the installed log sender does not run beside the converter"

    if ((${#samples[@]} == 3)); then
        check_listing
    fi
    start_later "$user/cwd"
    wait_for_log "message from a later start: raise_window_noop"
    kill -0 "$first_pid" || fail "the first instance ended"
    [[ $(day_log | grep -cF "====================START====================") == "$starts" ]] ||
        fail "expected $starts START banners"

    kill -TERM "$first_pid"
    local first_status=0
    wait "$first_pid" || first_status=$?
    ((first_status == 0)) || fail "the first instance ended with $first_status on SIGTERM"
    log_has "====================END====================" || fail "no END banner"
    rm -f "$program_dir/Cfg/Url.ini"
}

# The packages of the system libraries that ldd resolves for the installed files; with
# "direct", only of those the files name themselves (NEEDED).
linked_packages() {
    local which=$1 elf path
    for elf in $(elf_files); do
        local resolved needed
        resolved=$(env -u LD_LIBRARY_PATH ldd "$elf")
        needed=$(readelf -d "$elf" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
        awk '$2 == "=>" && $3 ~ /^\// { print $1, $3 }' <<< "$resolved" |
            while read -r soname path; do
                if [[ $which == all ]] || grep -qx "$soname" <<< "$needed"; then
                    echo "$path"
                fi
            done
    done | grep -v "^$program_dir/" | LC_ALL=C sort -u | while read -r path; do
        { dpkg -S "$path" 2>/dev/null || dpkg -S "$(readlink -f "$path")" 2>/dev/null ||
            dpkg -S "/usr$path" 2>/dev/null || fail "no package holds $path"; } |
            head -n 1 | cut -d: -f1
    done | LC_ALL=C sort -u
}

check_package() {
    step "Debian package (a distribution build: no self-update)"
    cmake -S "$source_dir" -B "$build_dir" -DPIXVUE_DISTRIBUTION_PACKAGE=ON >/dev/null
    cmake --build "$build_dir" -j "$(nproc)" >/dev/null || fail "distribution build failed"
    (cd "$work" && cpack --config "$build_dir/CPackConfig.cmake" -B "$work/package" > cpack.log) ||
        { cat "$work/cpack.log" >&2; fail "cpack failed"; }
    local deb
    deb=$(ls "$work"/package/pixvue_*.deb) || fail "no pixvue_*.deb was built"
    dpkg-deb -f "$deb" Package | grep -qx pixvue || fail "package name"
    local depends
    depends=$(dpkg-deb -f "$deb" Depends)
    step "Depends: $depends"
    local names
    names=$(tr ',|' '\n\n' <<< "$depends" | sed 's/^ *//; s/ .*//; s/:.*//' | LC_ALL=C sort -u)
    local package plugins="libheif-plugin-libde265 libheif-plugin-dav1d"
    for package in $(linked_packages direct) $plugins; do
        grep -qx "$package" <<< "$names" || fail "Depends lacks $package"
    done
    # Nothing else: each dependency holds a library the programs load.
    local linked
    linked=$(linked_packages all; tr ' ' '\n' <<< "$plugins")
    for package in $(tr ',' '\n' <<< "$depends" | sed 's/^ *//; s/[ |].*//'); do
        grep -qx "$package" <<< "$linked" ||
            fail "Depends names $package, which holds no library the programs load"
    done
    grep -Eq "libheif1 \(>= 1\.19" <<< "$depends" || fail "Depends does not ask for libheif 1.19"
    # The ffmpeg decoder is recommended: it pulls in libavcodec, and libheif uses it where present.
    # Read whole first: grep -q would end the pipe early, and pipefail would count that.
    local info
    info=$(dpkg-deb -I "$deb")
    grep -Eq '^ Recommends: .*libheif-plugin-ffmpegdec \(>= 1\.19' <<< "$info" ||
        fail "Recommends lacks libheif-plugin-ffmpegdec"
    # The package holds the same files under /usr and /etc, and nothing else.
    dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||; s|^\./etc/|etc/|' |
        LC_ALL=C sort > "$work/packaged"
    diff -u "$work/expected" "$work/packaged" || fail "the package holds other files"
    [[ -z ${PIXVUE_KEEP_PACKAGE:-} ]] || cp "$deb" "$PIXVUE_KEEP_PACKAGE/"
    # dpkg alone puts the files in place and takes them away: no maintainer scripts (nothing
    # that could report an install), the system's Url.ini a conffile.
    dpkg-deb -e "$deb" "$work/control"
    local extra
    extra=$(ls "$work/control" | grep -Evx 'control|md5sums|conffiles' || true)
    [[ -z $extra ]] || fail "the package has maintainer files: $extra"
    [[ $(cat "$work/control/conffiles") == /etc/pixvue/Url.ini ]] || fail "conffiles"
    check_lintian "$deb"
    check_hardening "$deb"
}

# lintian's errors fail the check, and so do the warnings and hardening notes a reviewer
# would raise; the rest is shown.
check_lintian() {
    step "lintian"
    local report
    report=$(lintian --display-level '>=pedantic' --tag-display-limit 0 "$1" 2>&1 || true)
    printf '%s\n' "$report" | sed 's/^/  /'
    if grep -Eq '^E: ' <<< "$report"; then
        fail "lintian reports errors"
    fi
    local tag
    for tag in no-copyright-file no-changelog bogus-mail-host library-not-linked-against-libc \
        maintscript-calls-ldconfig no-manual-page hardening-no-bindnow \
        hardening-no-fortify-functions hardening-no-relro hardening-no-pie; do
        if grep -q ": $tag" <<< "$report"; then
            fail "lintian: $tag"
        fi
    done
}

# Every binary of the package: read-only relocations bound at start; programs position
# independent; fortified libc calls where a binary calls a fortifiable function (unless the
# package's lintian overrides say why none of its calls can be).
check_hardening() {
    step "hardening (readelf)"
    local root=$work/unpacked elf imports overrides
    dpkg-deb -x "$1" "$root"
    overrides=$(sed -n 's/^pixvue: hardening-no-fortify-functions \[\(.*\)\]$/\1/p' \
                "$root/usr/share/lintian/overrides/pixvue")
    while read -r elf; do
        readelf -lW "$elf" | grep -q GNU_RELRO || fail "$elf: no RELRO"
        readelf -dW "$elf" | grep -Eq '\((FLAGS|FLAGS_1)\).*\bNOW\b' || fail "$elf: no BIND_NOW"
        if [[ $elf != *.so ]]; then
            readelf -hW "$elf" | grep -q 'DYN (' || fail "$elf: not a PIE"
        fi
        imports=$(readelf --dyn-syms -W "$elf" | awk '$7 == "UND" { print $8 }' | sed 's/@.*//')
        if grep -Eqx 'v?(f|s|sn|d|as)?printf|fgets|fread|p?read(64)?|readlink|realpath|getcwd|recv(from)?|(str|stp)n?(cpy|cat)|wcstombs|mbstowcs|gets|poll' \
            <<< "$imports" && ! grep -q '^__.*_chk$' <<< "$imports" &&
            ! grep -qx "${elf#"$root"/}" <<< "$overrides"; then
            fail "$elf: calls fortifiable functions, none fortified"
        fi
    done < <(find "$root" -type f -exec sh -c 'file -b "$1" | grep -q "^ELF"' _ {} \; -print)
}

install_tree
check_layout
check_libraries
check_exports
check_desktop_data
check_installed_converter
check_package
step "all checks passed"
