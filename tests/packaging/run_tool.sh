#!/bin/sh
# run_tool.sh PACKAGE TOOL ARGUMENTS...: runs TOOL, or skips (status 77, which
# CTest reports as skipped) saying which package to install.
package=$1 tool=$2
shift 2
if ! command -v "$tool" >/dev/null 2>&1; then
  echo "skipped: $tool is not installed (apt-get install $package)"
  exit 77
fi
exec "$tool" "$@"
