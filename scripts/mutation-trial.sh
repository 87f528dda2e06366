#!/usr/bin/env bash
# A hand mutation trial: 24 one-line faults across store/, commands/, records/
# and tools/, each given as
# (file, original line, replacement line), matched by the line's text with its
# indentation ignored, so that it applies wherever the line still stands.
#
#   mutation-trial.sh list                       the mutants, one a line
#   mutation-trial.sh apply  ID WORKTREE         put mutant ID into WORKTREE
#   mutation-trial.sh revert ID WORKTREE         put the file back as git has it (HEAD)
#   mutation-trial.sh check  WORKTREE            which mutants still apply there, and where
#   mutation-trial.sh trial  WORKTREE [ID...]    for each mutant: apply, build build/host
#                                         (-j2), run ctest -j2, revert; prints
#                                         "ID<TAB>killed|survived|nobuild|gone<TAB>failed tests"
#
# The original line must stand exactly once in its file. When the file is gone
# or no longer holds the line (a refactor moved it), the line is looked for in
# every C++ file of the worktree outside tests/ and bench/; exactly one match
# is taken, and its place is said. An empty replacement drops the line (a blank
# line keeps the numbering). A file with uncommitted changes is never touched:
# revert restores it from HEAD.
set -euo pipefail

mutants() {
  # ID, file, then the original line and its replacement (indentation left out).
  cat <<'EOF'
M01 store/whole_io.cpp
- return platform::ReadFile(file, bytes, size, &got) && got == size;
+ return platform::ReadFile(file, bytes, size, &got);
M02 store/slot_io.cpp
- if (slot < first_ || slot >= first_ + count_) return nullptr;
+ if (slot < first_ || slot > first_ + count_) return nullptr;
M03 store/journal_file.cpp
- } else if (!platform::FlushFile(file.get())) {
+ } else if (false) {
M04 store/journal.cpp
- constexpr size_t kGroupHeaderSumAt = 32;
+ constexpr size_t kGroupHeaderSumAt = 36;
M05 store/journal.cpp
- (previous != nullptr && InOneRun(previous->first + previous->count - 1, e.first))) {
+ (previous != nullptr && InOneRun(previous->first + previous->count - 2, e.first))) {
M06 store/journal_plan.cpp
- while (to < count && InOneRun(slot(to - 1), slot(to)) &&
+ while (to < count && slot(to) - slot(to - 1) < 2 &&
M07 store/journalled_write.cpp
- if (!changes.Holds(i, RecordIn(windows[k], runFirst, changes.Slot(i)))) {
+ if (false) {
M08 store/journalled_write.cpp
- if (broken > 1) return JournalFinding::kForeign;
+ if (broken > 2) return JournalFinding::kForeign;
M09 store/slot_io.cpp#1
- return platform::FlushFile(file) ? FileStatus{} : Failed(FileStep::kFlush, DataPath);
+ return FileStatus{};
M10 store/number_index.cpp
- return at < IndexedSlots && NumberIndex[at].number == target ? NumberIndex[at].slot : -1;
+ return at < IndexedSlots ? NumberIndex[at].slot : -1;
M11 store/number_index.cpp
- if (entry == end || entry->number != number || entry->slot != slot) return false;
+ if (entry == end || entry->number != number) return false;
M12 store/load_inventory.cpp
- if (*size % kRecordSize != 0) *size = SizeBeforeJournalledAppend(*size);
+
M13 store/whole_io.cpp
- } else if (!platform::FlushFile(file.get())) {
+ } else if (false) {
M14 commands/lookup_number.cpp
- if (RecordNumber(CurrentRecord) != number) return NothingInHand(Message::kSlotMoved);
+ if (false) return NothingInHand(Message::kSlotMoved);
M15 records/description_scan.cpp
- for (; CurrentSlot <= SlotCount - 1; ++CurrentSlot) {
+ for (; CurrentSlot < SlotCount - 1; ++CurrentSlot) {
M16 records/find_amend.cpp
- if (RecordNumber(CurrentRecord) != number) {
+ if (false) {
M17 records/delete_command.cpp
- if (Tell(Message::kConfirmDelete, nullptr, ConfirmationCaption()) != platform::kIdOk) return;
+ if (Tell(Message::kConfirmDelete, nullptr, ConfirmationCaption()) == platform::kIdCancel) return;
M18 tools/import/import_decisions.cpp
- if (bothChanged && !(rules_.overwrite && checked)) {
+ if (bothChanged && !rules_.overwrite) {
M19 tools/import/import_decisions.cpp
- if (static_cast<Slot>(additions_.Count()) >= kLargestSlotCount - items_.Slots()) {
+ if (static_cast<Slot>(additions_.Count()) > kLargestSlotCount - items_.Slots()) {
M20 tools/version_mark.cpp
- if (v2 && (!TakeHex(text, at, 8, &value) || value != MarkCheck(read))) return MarkText::kDamaged;
+ if (v2 && !TakeHex(text, at, 8, &value)) return MarkText::kDamaged;
M21 tools/sheets/csv.cpp
- if (i < end_ && b[i] != ',' && b[i] != '\n' && b[i] != '\r') {
+ if (false) {
M22 tools/sheets/workbook_reader.cpp
- if (value.empty() || *end != '\0' || index >= stringEnds.size()) {
+ if (value.empty() || *end != '\0' || index > stringEnds.size()) {
M23 tools/fields.cpp
- if (taken + size > units) break;
+ if (taken + size >= units) break;
M24 tools/import/item_edits.cpp
- return RecordDigest(now) == changes_.At(i).decidedOn;
+ return true;
EOF
}

# Sets FILE, ORIG and REPL for mutant $1.
lookup() {
  local id=$1 line
  FILE="" ORIG="" REPL=""
  local found=0
  while IFS= read -r line; do
    if [ "$found" = 0 ]; then
      if [ "${line%% *}" = "$id" ]; then found=1; FILE=${line#* }; fi
    elif [ "$found" = 1 ]; then
      ORIG=${line#- }; found=2
    else
      REPL=${line#+}; REPL=${REPL# }; return 0
    fi
  done < <(mutants)
  echo "no mutant $id" >&2
  return 1
}

# How many lines of file $1 read ORIG once their indentation is set aside.
matches() {
  ORIG="$ORIG" awk '{ t = $0; sub(/^[ \t]+/, "", t); sub(/[ \t]+$/, "", t); if (t == ENVIRON["ORIG"]) n++ }
                    END { print n + 0 }' "$1"
}

# Sets PLACE to the file under worktree $1 that holds ORIG once: FILE when it
# does, else the one other C++ file of the worktree that does; fails otherwise.
place() {
  local wt=$1 f candidates=()
  FIRST=""
  if [ "${FILE%#1}" != "$FILE" ]; then
    FILE=${FILE%#1}; FIRST=1
    if [ -f "$wt/$FILE" ] && [ "$(matches "$wt/$FILE")" -ge 1 ]; then PLACE=$FILE; return 0; fi
  fi
  if [ -f "$wt/$FILE" ] && [ "$(matches "$wt/$FILE")" = 1 ]; then PLACE=$FILE; return 0; fi
  while IFS= read -r f; do
    [ "$(matches "$wt/$f")" = 1 ] && candidates+=("$f")
  done < <(git -C "$wt" ls-files -- '*.cpp' '*.h' '*.cc' '*.hpp' | grep -vE '^(tests|bench)/')
  if [ "${#candidates[@]}" = 1 ]; then PLACE=${candidates[0]}; return 0; fi
  PLACE=""
  return 1
}

apply() {
  local id=$1 wt=$2
  lookup "$id"
  if ! place "$wt"; then echo "$id: the line is gone: $ORIG" >&2; return 3; fi
  if ! git -C "$wt" diff --quiet HEAD -- "$PLACE"; then
    echo "$id: $PLACE has uncommitted changes: left alone" >&2
    return 4
  fi
  [ "$PLACE" = "$FILE" ] || echo "$id: $FILE's line now stands in $PLACE" >&2
  local tmp
  tmp=$(mktemp)
  ORIG="$ORIG" REPL="$REPL" FIRST="$FIRST" awk '{ t = $0; sub(/^[ \t]+/, "", t); sub(/[ \t]+$/, "", t)
      if (t == ENVIRON["ORIG"] && !(ENVIRON["FIRST"] != "" && done++)) { match($0, /^[ \t]*/); ind = substr($0, 1, RLENGTH)
        print (ENVIRON["REPL"] == "" ? "" : ind ENVIRON["REPL"]) } else print }' \
    "$wt/$PLACE" >"$tmp"
  cat "$tmp" >"$wt/$PLACE"
  rm -f "$tmp"
  echo "$PLACE"
}

revert() {
  local id=$1 wt=$2
  lookup "$id"
  # The mutated file: FILE, or wherever a line now differs from HEAD.
  git -C "$wt" checkout HEAD -- "${FILE%#1}" 2>/dev/null || true
  git -C "$wt" diff --name-only HEAD | grep -vE '^(tests|bench)/' | while IFS= read -r f; do
    echo "$id: $f still differs from HEAD (not reverted by this script)" >&2
  done
}

ids() { mutants | awk '/^M[0-9]+ /{ print $1 }'; }

case "${1:-}" in
  list)
    for id in $(ids); do lookup "$id"; printf '%s\t%s\n\t- %s\n\t+ %s\n' "$id" "$FILE" "$ORIG" "$REPL"; done ;;
  apply) apply "$2" "$3" >/dev/null ;;
  revert) revert "$2" "$3" ;;
  check)
    for id in $(ids); do
      lookup "$id"
      if place "$2"; then printf '%s\t%s\n' "$id" "$PLACE"; else printf '%s\tgone\n' "$id"; fi
    done ;;
  trial)
    wt=$(cd "$2" && pwd); shift 2
    [ $# -gt 0 ] || set -- $(ids)
    git -C "$wt" diff --quiet HEAD || { echo "$wt has uncommitted changes" >&2; exit 1; }
    for id in "$@"; do
      if ! placed=$(apply "$id" "$wt" 2>/dev/null); then printf '%s\tgone\t\n' "$id"; continue; fi
      if ! cmake --build "$wt/build/host" -j2 >"$wt/build/mutant-$id.build.log" 2>&1; then
        verdict=nobuild failed=""
      else
        (cd "$wt/build/host" && ctest -j2 --timeout 600 >"$wt/build/mutant-$id.ctest.log" 2>&1) || true
        failed=$(grep -E '^\s+[0-9]+ - ' "$wt/build/mutant-$id.ctest.log" |
                 sed -E 's/^\s+[0-9]+ - //; s/  #.*//; s/ \((Failed|Timeout|SEGFAULT|Subprocess aborted|Exception|Child aborted)\).*$//' |
                 paste -sd ';' -) || true
        if grep -q '100% tests passed' "$wt/build/mutant-$id.ctest.log"; then verdict=survived; else verdict=killed; fi
      fi
      git -C "$wt" checkout HEAD -- "$placed"
      printf '%s\t%s\t%s\n' "$id" "$verdict" "$failed"
    done
    cmake --build "$wt/build/host" -j2 >/dev/null 2>&1 || true ;;
  *) sed -n '2,19p' "$0"; exit 2 ;;
esac
