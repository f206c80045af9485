#!/bin/sh
# validate_metainfo.sh VERSION FILE...: each file passes appstreamcli's offline
# validation, and its newest release is the project's version, so that a new
# version does not ship without its release entry.
set -u
version=$1
shift
if ! command -v appstreamcli >/dev/null 2>&1; then
  echo "skipped: appstreamcli is not installed (apt-get install appstream)"
  exit 77
fi
status=0
for file in "$@"; do
  appstreamcli validate --no-net "$file" || status=1
  newest=$(sed -n 's/.*<release[^>]* version="\([^"]*\)".*/\1/p' "$file" | head -n 1)
  if [ "$newest" != "$version" ]; then
    echo "$file: the newest release is \"$newest\", the project's version is \"$version\""
    status=1
  fi
done
exit $status
