#!/bin/sh
# debian_package.sh CPACK BUILD_DIR OUT_DIR: builds the Debian package from the
# build tree with CPack, checks that it holds what a desktop needs, and runs
# lintian on it, which must report no error.
set -u
cpack=$1 build=$2 out=$3
for tool in dpkg-deb:dpkg dpkg-shlibdeps:dpkg-dev lintian:lintian; do
  if ! command -v "${tool%%:*}" >/dev/null 2>&1; then
    echo "skipped: ${tool%%:*} is not installed (apt-get install ${tool#*:})"
    exit 77
  fi
done
rm -rf "$out"
mkdir -p "$out"
"$cpack" --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
  cat "$out/cpack.log"
  exit 1
}
set -- "$out"/corvath-analyzer_*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "expected one corvath-analyzer_*.deb in $out"
  ls "$out"
  exit 1
fi
deb=$1
echo "built $deb"
dpkg-deb --field "$deb" Depends

status=0
contents=$(dpkg-deb --contents "$deb")
for path in ./usr/bin/corvath-analyzer ./usr/share/man/man1/corvath-analyzer.1.gz \
            ./usr/share/applications/ ./usr/share/metainfo/ ./usr/share/icons/hicolor/scalable/apps/ \
            ./usr/lib/systemd/user/corvath-analyzer.timer ./usr/lib/systemd/system/corvath-metrics.timer \
            ./usr/share/doc/corvath-analyzer/copyright; do
  case "$contents" in
    *" $path"*) ;;
    *) echo "missing from the package: $path"; status=1 ;;
  esac
done
# Every program has its manual page.
for program in $(echo "$contents" | sed -n 's|.* \./usr/bin/\(.*\)$|\1|p'); do
  case "$contents" in
    *"./usr/share/man/man1/$program.1.gz"*) ;;
    *) echo "no manual page for $program"; status=1 ;;
  esac
done

# Tags at error level fail; warnings are shown.
lintian --fail-on error --display-level ">=warning" "$deb" || status=1
exit $status
