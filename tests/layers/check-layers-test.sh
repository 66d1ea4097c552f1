#!/usr/bin/env bash
# The layer check on small trees: it names every upward include (project
# folders and Qt modules), passes the known exceptions, and fails on an
# exception that nothing needs any more.
#   check-layers-test.sh CHECK_LAYERS QT_HEADERS_DIR
set -uo pipefail
check="$1"
qt="$2"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{platform,support,core,devices,windows,viewer,tools}
failed=0

Expect() {  # name expected-exit expected-output
  local output status
  output="$("$check" --qt-headers "$qt" --known "core/Interpreter.cpp windows/StatusWin.h" \
             "$tree" 2>/dev/null)"
  status=$?
  if [[ "$status" != "$2" || "$output" != "$3" ]]; then
    printf 'FAIL %s: exit %s, output:\n%s\nexpected exit %s, output:\n%s\n' "$1" "$status" \
      "$output" "$2" "$3"
    failed=1
  fi
}

cat >"$tree/core/Interpreter.cpp" <<'SRC'
#include "core/Interpreter.h"
#include "windows/StatusWin.h"
SRC
cat >"$tree/devices/Device.cpp" <<'SRC'
#include <QImage>
#include "core/gd_object.h"
#include "platform/Canvas.h"
SRC
printf '#include "viewer/Tarnfelf.h"\n#include <QWidget>\n' >"$tree/tools/main.cpp"
Expect "a tree that keeps to its layers" 0 "check-layers: every include keeps to its layer"

printf '#include <QString>\n  #  include <QWidget>\n' >"$tree/platform/Box.h"
printf '#include "support/Paths.h"\n#include "viewer/Rerror.h"\n' >"$tree/core/Reader.cpp"
printf '#include <QtGui/QImage>\n#include "windows/StatusWin.h"\n' >"$tree/support/Log.cpp"
Expect "upward includes" 1 "platform/Box.h:2: includes <QWidget> (QtWidgets; platform may use QtCore QtGui)
support/Log.cpp:1: includes <QtGui/QImage> (QtGui; support may use QtCore)
support/Log.cpp:2: includes windows/StatusWin.h (windows is above support)
core/Reader.cpp:2: includes viewer/Rerror.h (viewer is above core)"

rm "$tree/platform/Box.h" "$tree/core/Reader.cpp" "$tree/support/Log.cpp" "$tree/core/Interpreter.cpp"
Expect "a known exception nothing needs" 1 \
  "known exception no longer needed, remove it from scripts/check-layers: core/Interpreter.cpp windows/StatusWin.h"

exit "$failed"
