#!/usr/bin/env bash
# tools/check-layering passes on the sources as they are and fails on each
# kind of offence planted in a copy of them.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tool="$top/tools/check-layering"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0

"$tool" "$top" > "$scratch/clean.log" || { cat "$scratch/clean.log"; echo "FAIL: the sources break the layering"; status=1; }

# Each case: a file to plant (path relative to the tree) and its text.
plant() {
  local name=$1 file=$2 text=$3
  rm -rf "$scratch/tree" && mkdir -p "$scratch/tree"
  for d in page document shell tags editors cli; do cp -r "$top/$d" "$scratch/tree/"; done
  mkdir -p "$(dirname "$scratch/tree/$file")"
  printf '%s\n' "$text" >> "$scratch/tree/$file"
  if "$tool" "$scratch/tree" > "$scratch/$name.log" 2>&1; then
    echo "FAIL: $name was not found"; status=1
  elif ! grep -q "$file" "$scratch/$name.log"; then
    cat "$scratch/$name.log"; echo "FAIL: $name was reported without naming $file"; status=1
  else
    echo "ok: $name"
  fi
}
plant qt-in-core page/bad.cpp '#include <QString>'
plant ui-in-core tags/bad.cpp '#include "tags/ui/vantle_view.h"'
plant shell-ui-from-tags-ui tags/ui/bad.cpp '#include "shell/ui/main_frame.h"'
plant editors-ui-from-tags-ui tags/ui/bad2.cpp '#include "editors/ui/value_dialogs.h"'
plant cli-uses-ui cli/bad.cpp '#include "shell/ui/vantle_app.h"'
plant upward-include page/bad.h '#include "document/vantle_doc.h"'
plant tags-from-shell shell/bad.cpp '#include "tags/tag_catalogue.h"'
exit $status
