#!/usr/bin/env bash
# Makes the windows of the named test programs unmanaged in the tests' Wine prefix.
#   unmanaged_windows.sh PROGRAM.exe...
# Without a window manager, Wine waits two seconds for one to withdraw each managed window
# that is hidden or destroyed, so every dialog would take two seconds to close. Wine shows an
# unmanaged window itself and closes it at once. Needs the Wine environment of the tests.
set -euo pipefail
for program in "$@"; do
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\X11 Driver" \
    /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
done
echo "unmanaged windows: $*"
