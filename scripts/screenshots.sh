#!/usr/bin/env bash
# Pictures of the running host under Xvfb: the window with data, the add dialog
# and the unit picker, taken while the end-to-end test adds a user; then the
# synchronisation's preview, progress panel, counts and log viewer, the
# report of a user's records, the search in every area, the import's preview, the
# dialog with a long unit and the grid with long unit names, taken by their tests.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
OUT="${1:-$PWD/screenshots}"
mkdir -p "$OUT"
LUMO_SCREENSHOT_DIR="$OUT" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x900x24" \
  build/tests/tst_e2e_user_dialog addEditAndContinue >/dev/null
for t in tst_users_synctrust tst_users_references; do
  LUMO_SCREENSHOT_DIR="$OUT" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x900x24" build/tests/$t >/dev/null
done
LUMO_SCREENSHOT_DIR="$OUT" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x900x24" \
  build/tests/tst_users_search everyAreaResultsFillTheirPlace >/dev/null
# 批量导入: the preview of a file that will be imported, of one with problems, and the grid after.
LUMO_SCREENSHOT_DIR="$OUT" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x900x24" \
  build/tests/tst_users_import theCommandPreviewsAndImportsAFile >/dev/null
# A long unit name and a twelve-digit code in the dialog, long names in the grid.
for t in "tst_users_keyboard theUnitShowsWhole" "tst_users_window codesAndNamesShowWhole"; do
  LUMO_SCREENSHOT_DIR="$OUT" QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1400x900x24" build/tests/$t >/dev/null
done
ls "$OUT"/*.png
