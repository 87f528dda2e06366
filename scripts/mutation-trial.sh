#!/usr/bin/env bash
# A hand mutation trial: 205 one-line faults, each given as (file, original
# line, replacement line), matched by the line's text with its indentation
# ignored, so that it applies wherever the line still stands. M01-M24 were
# written beside the tests, across store/, commands/, records/ and the back
# office (office/, filmtool/);
# M25 onward by someone who had not read the tests, across the sheets, the
# import, the window, the file locks of both systems, the journal, the
# version mark and the capitals; M116 onward, by another who had not read
# them, across the workbook's own writer and its zip, the OpenDocument
# reader, the kinds of sheet told apart, cells without a value, hidden
# sheets, the review's parts, the window's settings and a write's groups;
# M182 onward, by a third, over the shared strings put beside a workbook,
# the commands' results, the one text conversion and code-page table, and
# the export's rows; M194 onward, by a fourth, over the listener each step
# is given, the opening's messages and the findings' makers.
#
#   mutation-trial.sh list                       the mutants, one a line
#   mutation-trial.sh apply  ID WORKTREE         put mutant ID into WORKTREE
#   mutation-trial.sh revert ID WORKTREE         put the file back as git has it (HEAD)
#   mutation-trial.sh check  WORKTREE            which mutants still apply there, and where
#   mutation-trial.sh trial  WORKTREE [ID...]    for each mutant: apply, build build/host
#                                         (-j2), run ctest -j2, revert; prints
#                                         "ID<TAB>killed|survived|nobuild|gone|windows-only<TAB>failed tests"
#   mutation-trial.sh scratch FOLDER [ID...]     the trial over a scratch worktree of HEAD
#                                         (FOLDER/tree, removed afterwards): its
#                                         verdicts in FOLDER/verdicts.tsv, then a
#                                         summary line
#   mutation-trial.sh summary VERDICTS           "N mutants: K killed, S survived, ..."
#
# With MUTANTS_FIRST_FAILURE set, a mutant's tests stop at the first that
# fails: the verdict is the same, in a fraction of the time, and the failed
# tests named are that first one only.
#
# The original line must stand exactly once in its file. When the file is gone
# or no longer holds the line (a refactor moved it), the line is looked for in
# every C++ file of the worktree outside tests/ and bench/; exactly one match
# is taken, and its place is said. An empty replacement drops the line (a blank
# line keeps the numbering). A file with uncommitted changes is never touched:
# revert restores it from HEAD. A mutant in a file that the host build does not
# compile (the window program, the Windows platform layer) is reported
# windows-only, neither applied nor built: the host's tests cannot see it.
set -euo pipefail

mutants() {
  # ID, file, then the original line and its replacement (indentation left out).
  cat <<'EOF'
M01 store/whole_io.cpp
- return WholeResult{result.ok() && moved == size, result.error()};
+ return WholeResult{result.ok(), result.error()};
M02 store/slot_io.cpp
- if (slot < first_ || slot >= first_ + count_) return nullptr;
+ if (slot < first_ || slot > first_ + count_) return nullptr;
M03 store/journal_file.cpp
- } else if (const platform::FileResult flushed = platform::FlushFile(file.get()); !flushed) {
+ } else if (const platform::FileResult flushed = platform::FileResult(); !flushed) {
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
- const platform::FileResult flushed = platform::FlushFile(file);
+ const platform::FileResult flushed;
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
- } else if (const platform::FileResult flushed = platform::FlushFile(file.get()); !flushed) {
+ } else if (const platform::FileResult flushed = platform::FileResult(); !flushed) {
M14 commands/lookup_number.cpp
- if (RecordNumber(CurrentRecord) != number) return NothingInHand(Message::kSlotMoved);
+ if (false) return NothingInHand(Message::kSlotMoved);
M15 records/description_scan.cpp
- for (; CurrentSlot <= SlotCount - 1; ++CurrentSlot) {
+ for (; CurrentSlot < SlotCount - 1; ++CurrentSlot) {
M16 commands/amend_record.cpp
- if (RecordNumber(CurrentRecord) != number) return Refused(Message::kNumberChanged);
+ if (false) return Refused(Message::kNumberChanged);
M17 records/delete_command.cpp
- if (Tell(Message::kConfirmDelete, nullptr, ConfirmationCaption()) != platform::kIdOk) return;
+ if (Tell(Message::kConfirmDelete, nullptr, ConfirmationCaption()) == platform::kIdCancel) return;
M18 office/import/import_decisions.cpp
- if (bothChanged && !(rules_.overwrite && checked)) {
+ if (bothChanged && !rules_.overwrite) {
M19 office/import/import_decisions.cpp
- if (static_cast<Slot>(additions_.Count()) >= kLargestSlotCount - items_.Slots()) {
+ if (static_cast<Slot>(additions_.Count()) > kLargestSlotCount - items_.Slots()) {
M20 office/version_mark.cpp
- if (v2 && (!TakeHex(text, at, 8, &value) || value != MarkCheck(read))) return MarkText::kDamaged;
+ if (v2 && !TakeHex(text, at, 8, &value)) return MarkText::kDamaged;
M21 office/sheets/csv.cpp
- if (i < end_ && b[i] != ',' && b[i] != '\n' && b[i] != '\r') {
+ if (false) {
M22 office/sheets/workbook_reader.cpp
- if (value.empty() || *end != '\0' || index >= stringEnds.size()) {
+ if (value.empty() || *end != '\0' || index > stringEnds.size()) {
M23 office/fields.cpp
- if (taken + size > units) break;
+ if (taken + size >= units) break;
M24 office/import/item_edits.cpp
- return RecordDigest(now) == changes_.At(i).decidedOn;
+ return true;
M25 office/sheets/csv.cpp
- if (head.substr(0, 3) == "\xEF\xBB\xBF") begin_ += 3;
+ if (head.substr(0, 3) == "\xEF\xBB\xBF") begin_ += 2;
M26 office/sheets/csv.cpp
- if (i + 1 >= end_ || b[i + 1] != '\n') {
+ if (i + 1 >= end_) {
M27 office/sheets/csv.cpp
- unquoted_ += '"';
+
M28 office/sheets/csv.cpp
- for (size_t k = i; k < to; ++k) line += b[k] == '\n' ? 1 : 0;
+
M29 office/sheets/csv.cpp
- if (!IsUtf8(bytes)) {
+ if (false) {
M30 office/sheets/csv_writer.cpp
- if (!blankEnds && field.find_first_of(",\"\r\n;\t") == std::string::npos) return field;
+ if (!blankEnds && field.find_first_of(",\"\r\n") == std::string::npos) return field;
M31 office/sheets/csv_writer.cpp
- const bool blankEnds = !field.empty() && (field.front() == ' ' || field.back() == ' ');
+ const bool blankEnds = !field.empty() && field.front() == ' ';
M32 office/sheets/csv_writer.cpp
- if (!Flush() || !platform::FlushFile(file_.get())) return Failed();
+ if (!Flush()) return Failed();
M33 office/sheets/csv_writer.cpp
- buffer_.clear();
+
M34 office/sheets/csv_writer.cpp
- platform::RemoveFile(part_);
+
M35 office/sheets/sheet_reader.cpp
- if (row->cells.size() < width_) row->cells.resize(width_);
+
M36 office/sheets/sheet_reader.cpp
- void Close() override { file.reset(); }
+ void Close() override {}
M37 office/sheets/sheet_reader.cpp
- return Sheet(line) + " row " + std::to_string(line % kLinesPerSheet);
+ return Sheet(line) + " row " + std::to_string(line % kLinesPerSheet + 1);
M38 office/sheets/workbook_reader.cpp
- if (text[i] == '_' && i + 6 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
+ if (text[i] == '_' && i + 7 < text.size() && text[i + 1] == 'x' && text[i + 6] == '_') {
M39 office/sheets/workbook_reader.cpp
- : c >= 'A' && c <= 'F' ? c - 'A' + 10
+ : c >= 'a' && c <= 'f' ? c - 'a' + 10
M40 office/sheets/workbook_reader.cpp
- days += 1462;  // its day 0, 1904-01-01, is 1900's day 1462
+ days += 1461;  // its day 0, 1904-01-01, is 1900's day 1462
M41 office/sheets/workbook_reader.cpp
- if (local == "rPh") ++p.phonetic;
+
M42 office/sheets/workbook_reader.cpp
- } else if (local == "xf" && p.inCellXfs) {
+ } else if (local == "xf") {
M43 office/sheets/workbook_reader.cpp
- const std::string shown = plain ? sheet : "'" + sheet + "'";
+ const std::string shown = sheet;
M44 office/sheets/workbook_reader.cpp
- if (!book.empty() && book[0] == '/') book.erase(0, 1);
+
M45 office/sheets/workbook_reader.cpp
- if (!p.problem.empty()) return Fail(p.sheet + ": " + p.problem);
+
M46 office/sheets/workbook_reader.cpp
- } else if (type == "inlineStr" || type == "str") {
+ } else if (type == "inlineStr") {
M47 office/sheets/workbook_writer.cpp
- if (column == 1 || column == kExportedColumns - 1) return Kind::kText;  // number, version
+ if (column == kExportedColumns - 1) return Kind::kText;  // number, version
M48 office/sheets/workbook_writer.cpp
- case Field::kSku:
+
M49 office/sheets/workbook_writer.cpp
- hidden.hidden = column == kExportedColumns - 1;
+ hidden.hidden = false;
M50 office/sheets/workbook_writer.cpp
- if (row_ == rowsPerSheet_ && (!EndSheet() || !NewSheet())) return false;
+ if (row_ > rowsPerSheet_ && (!EndSheet() || !NewSheet())) return false;
M51 office/sheets/workbook_writer.cpp
- text.find_first_not_of("0123456789ABCDEFabcdef", i + 2) == i + 6;
+ text.find_first_not_of("0123456789abcdef", i + 2) == i + 6;
M52 office/sheets/workbook_writer.cpp
- std::filesystem::remove(std::filesystem::u8path(part_), ignored);
+
M53 office/sheets/workbook_writer.cpp
- lxw_format* format = KindOf(column) == Kind::kText ? text_ : nullptr;
+ lxw_format* format = nullptr;
M54 office/export.cpp
- for (char c : extension) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
+ for (char c : extension) lower += c;
M55 office/export.cpp
- if (!all && !IsLiveNumber(RecordNumber(r))) continue;
+ if (!all && RecordNumber(r) == -1) continue;
M56 office/export.cpp
- file.Close();
+
M57 office/version_mark.cpp
- for (int d = 0; d < 6; ++d) v['a' + d] = v['A' + d] = static_cast<uint8_t>(10 + d);
+ for (int d = 0; d < 6; ++d) v['a' + d] = static_cast<uint8_t>(10 + d);
M58 office/version_mark.cpp
- const bool v1 = text.size() == kPrefixSize + kDigestDigits && text[1] == '1';
+ const bool v1 = text.size() == kPrefixSize + kDigestDigits && text[1] == '2';
M59 office/version_mark.cpp
- return v2 ? MarkText::kWhole : MarkText::kUnchecked;
+ return MarkText::kWhole;
M60 platform/capitals.cpp
- [](const Run& r, uint16_t u) { return r.last < u; });
+ [](const Run& r, uint16_t u) { return r.last <= u; });
M61 platform/capitals.cpp
- if (run == std::end(kRuns) || unit < run->first || (unit - run->first) % run->step != 0) {
+ if (run == std::end(kRuns) || unit < run->first) {
M62 store/journal_file.cpp
- MarkJournalDone(file.get(), /*flush=*/true);
+
M63 store/journal_file.cpp
- return WriteWholeAt(journal, 0, zeros, kSectorSize) && (!flush || platform::FlushFile(journal));
+ return static_cast<bool>(WriteWholeAt(journal, 0, zeros, kSectorSize));
M64 store/journal_recovery.cpp
- if (RunContextSum(entry.first, entry.count, newSize, now) != entry.contextSum) {
+ if (false) {
M65 store/journal_recovery.cpp
- allNew = allNew && isNew;
+
M66 store/journal_recovery.cpp
- if (!data && data.error() == FileError::kBusy) return Settling::kBusy;
+ if (!data) return Settling::kBusy;
M67 store/journal_recovery.cpp
- return finding == JournalFinding::kUnfinished ? JournalAtOpen::kSettled
+ return finding != JournalFinding::kUnfinished ? JournalAtOpen::kSettled
M68 store/journal_plan.cpp
- std::min<uint64_t>((to + kSectorSize - 1) / kSectorSize * kSectorSize, newSize);
+ std::min<uint64_t>(to / kSectorSize * kSectorSize, newSize);
M69 store/journalled_write.cpp
- if (now != size) return Stopped(WriteOutcome::kChanged, 0, 0);
+
M70 store/journalled_write.cpp
- size = newSize;
+
M71 office/import/import_decisions.cpp
- while (k < 5 && (text[i + k] | 0x20) == kTotal[k]) ++k;
+ while (k < 5 && text[i + k] == kTotal[k]) ++k;
M72 office/import/import_decisions.cpp
- if (names.size() == 1) {
+ if (names.size() == 0) {
M73 office/import/import_decisions.cpp
- if (NumberDigest(platform::FormatItemNumber(number)) != mark.number) {
+ if (false) {
M74 office/import/import_decisions.cpp
- if (!DescriptionLongEnough(after)) {
+ if (false) {
M75 office/import/import_decisions.cpp
- if (live && count <= 1 && !FirstLine(line, number, count == 1 ? &entry : nullptr)) return;
+ if (live && count < 1 && !FirstLine(line, number, count == 1 ? &entry : nullptr)) return;
M76 office/import/import_decisions.cpp
- if (!edited[i] || stored[i] == printed[i]) continue;  // film.dat holds it already
+ if (!edited[i]) continue;  // film.dat holds it already
M77 office/import/import_decisions.cpp
- if (rules_.overwrite) about.what = Finding::kUncheckedConflict;
+
M78 office/import/import_decisions.cpp
- if (Respelled(line, number, f, value, printed[i])) continue;
+
M79 office/import/import_decisions.cpp
- if (column < 0 || IsBlank(fields[static_cast<size_t>(column)])) continue;
+ if (column < 0) continue;
M80 office/import/import_decisions.cpp
- if (stored == printed) continue;  // 56.8 for 56.80: the same value, not a change
+
M81 office/import/import_decisions.cpp
- if (!fresh && !rules_.overwrite) {
+ if (!rules_.overwrite) {
M82 office/import/import_decisions.cpp
- ++unmarked_;
+
M83 office/import/import_plan.cpp
- if (c.field == Field::kDescription) continue;
+
M84 office/import/import_plan.cpp
- const bool aboutField = found.column >= 0 && found.what != Finding::kBadNumber &&
+ const bool aboutField = found.what != Finding::kBadNumber &&
M85 office/import/item_edits.cpp
- if (c.was != c.is) changed.push_back(std::move(c));
+ changed.push_back(std::move(c));
M86 office/import/item_edits.cpp
- if (item.slot < 0) out += number + " added\n";
+
M87 office/import/respelling.cpp
- for (size_t i = 0; i < word.size() && same; ++i) same = Lower(word[i]) == name[i];
+ for (size_t i = 0; i < word.size() && same; ++i) same = word[i] == name[i];
M88 office/import/import_run.cpp
- if (sheet_->IsWorkbook()) continue;  // an empty sheet
+
M89 office/import/import_run.cpp
- if (sheet_) sheet_->Close();
+
M90 office/import/import_run.cpp
- changed = CountSlotsOfNumber(added.At(i).number) != 0;
+ changed = CountSlotsOfNumber(added.At(i).number) > 1;
M91 office/import/import_report.cpp
- if (++said_ <= kToldLines) {
+ if (++said_ < kToldLines) {
M92 desk/desk_settings.cpp
- if (!line.empty() && line.back() == '\r') line.pop_back();
+
M93 desk/desk_settings.cpp
- count == text.size() && platform::FlushFile(file.get());
+ count == text.size();
M94 desk/desk_work.cpp
- if (!shop.card.empty() && !IsFolder(shop.card)) {
+ if (!IsFolder(shop.card)) {
M95 desk/desk_work.cpp
- if (run_) run_->LetFilesGo();
+
M96 desk/desk_work.cpp
- if (!run_ || run_->Refused()) return result;
+ if (!run_) return result;
M97 platform/host/host_files.cpp
- if (::fcntl(fd, F_OFD_SETLK, &lock) == 0) return FileError::kNone;
+ if (::fcntl(fd, F_SETLK, &lock) == 0) return FileError::kNone;
M98 platform/host/host_files.cpp
- lock.l_whence = SEEK_SET;
+ lock.l_whence = SEEK_END;
M99 platform/host/host_files.cpp
- if (disposition == Disposition::kCreateAlways) flags |= O_CREAT;
+ if (disposition == Disposition::kCreateAlways) flags |= O_CREAT | O_TRUNC;
M100 platform/host/host_files.cpp
- } else if (access != Access::kRead) {
+ } else if (access == Access::kWrite) {
M101 platform/host/host_files.cpp
- if (Held(hostPath)) return FileError::kBusy;
+
M102 desk/desk_window.cpp
- for (const wchar_t c : text) shown += c == L'&' ? L"&&" : std::wstring(1, c);
+ for (const wchar_t c : text) shown += c;
M103 desk/desk_window.cpp
- SetChecked(IDC_OVERWRITE, false);
+
M104 desk/desk_window.cpp
- path.resize(length);
+
M105 desk/desk_window.cpp
- return entry <= 0 ? "" : std::to_string(kCodePageTable[entry - 1].number);
+ return entry <= 0 ? "" : std::to_string(kCodePageTable[entry].number);
M106 desk/desk_steps.cpp
- } else if (end.step == Step::kApply || recount) {
+ } else if (recount) {
M107 desk/desk_steps.cpp
- c.apply = shown && review.ready;
+ c.apply = shown;
M108 desk/desk_review_list.cpp
- shown.rows += 1 + count;
+ shown.rows += count;
M109 desk/desk_dialogs.cpp
- if (towlower(name[name.size() - n + i]) != end[i]) return false;
+ if (name[name.size() - n + i] != end[i]) return false;
M110 desk/desk_main.cpp
- std::wstring sheet = words != nullptr && count > 1 ? words[1] : L"";
+ std::wstring sheet = words != nullptr && count > 0 ? words[1] : L"";
M111 desk/desk_worker.cpp
- cancel_ = false;
+
M112 platform/win32/win32_files.cpp
- *locked = ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
+ *locked = ::LockFileEx(h, LOCKFILE_FAIL_IMMEDIATELY,
M113 platform/win32/win32_files.cpp
- ::UnlockFileEx(file.handle, /*dwReserved=*/0, kWholeFileLow, kWholeFileHigh, &from);
+
M114 platform/win32/win32_files.cpp
- HANDLE h = ::CreateFileW(path.c_str(), rights, FILE_SHARE_READ,
+ HANDLE h = ::CreateFileW(path.c_str(), rights, FILE_SHARE_READ | FILE_SHARE_WRITE,
M115 platform/win32/win32_files.cpp
- ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
+ ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING),
M116 office/sheets/sheet_xml.cpp
- stop['&'] = stop['<'] = stop['>'] = stop['_'] = stop[0xEF] = true;
+ stop['&'] = stop['<'] = stop['>'] = stop[0xEF] = true;
M117 office/sheets/sheet_xml.cpp
- const bool sequence = end - p >= 7 && p[1] == 'x' && IsHex(p[2]) && IsHex(p[3]) &&
+ const bool sequence = end - p > 7 && p[1] == 'x' && IsHex(p[2]) && IsHex(p[3]) &&
M118 office/sheets/sheet_xml.cpp
- for (int shift = 12; shift >= 0; shift -= 4) *at++ = kDigits[(code >> shift) & 0xF];
+ for (int shift = 12; shift > 0; shift -= 4) *at++ = kDigits[(code >> shift) & 0xF];
M119 office/sheets/sheet_xml.cpp
- (static_cast<unsigned char>(p[2]) & 0xFE) == 0xBE) {
+ static_cast<unsigned char>(p[2]) == 0xBE) {
M120 office/sheets/sheet_xml.cpp
- if (IsBlank(value.front()) || IsBlank(value.back())) at = Put(at, " xml:space=\"preserve\"");
+ if (IsBlank(value.front())) at = Put(at, " xml:space=\"preserve\"");
M121 office/sheets/sheet_xml.cpp
- if (i == digits) return false;
+
M122 office/sheets/sheet_xml.cpp
- at = Put(at, kind == CellKind::kWhole ? "\" s=\"2\"><v>" : "\" s=\"4\"><v>");
+ at = Put(at, "\" s=\"2\"><v>");
M123 office/sheets/sheet_xml.cpp
- at = Put(at, kind == CellKind::kHeader ? "\" s=\"1\"" : "\" s=\"3\"");
+ at = Put(at, kind == CellKind::kHeader ? "\" s=\"1\"" : "\" s=\"0\"");
M124 office/sheets/workbook_writer.cpp
- text_[c] = kinds_[c] == CellKind::kText;
+ text_[c] = false;
M125 office/sheets/workbook_writer.cpp
- lastRows_.push_back(rows_ + 1);
+ lastRows_.push_back(rows_);
M126 office/sheets/workbook_writer.cpp
- const std::string tail = SheetTail(kExportedColumns, rows_ + 1);
+ const std::string tail = SheetTail(kExportedColumns, rows_);
M127 office/sheets/workbook_writer.cpp
- zip_.Add("xl/styles.xml", StylesXml()) &&
+
M128 office/sheets/workbook_package.cpp
- (text[c] ? " style=\"3\"" : "") + (c + 1 == columns ? " hidden=\"1\"" : "") +
+ (text[c] ? " style=\"3\"" : "") + (c == columns ? " hidden=\"1\"" : "") +
M129 office/sheets/workbook_package.cpp
- const bool plain = name.find(' ') == std::string::npos;
+ const bool plain = true;
M130 office/sheets/workbook_package.cpp
- xml += "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"" + std::to_string(s) +
+ xml += "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"" + std::to_string(s + 1) +
M131 office/sheets/workbook_package.cpp
- const int64_t year = yoe + era * 400 + (month <= 2);
+ const int64_t year = yoe + era * 400;
M132 office/sheets/zip_writer.cpp
- return (wrote && written == count) || Failed(wrote.error());
+ return wrote || Failed(wrote.error());
M133 office/sheets/zip_writer.cpp
- if (closed != ZIP_OK || !p.sink.Flush()) return p.Fail();
+ if (closed != ZIP_OK) return p.Fail();
M134 office/sheets/zip_writer.cpp
- const bool flushed = pushed || p.sink.Failed(pushed.error());
+ const bool flushed = true;
M135 office/sheets/zip_writer.cpp
- crc = crc32_combine(crc, j.crc, static_cast<z_off_t>(j.in.size));
+ crc = crc32_combine(j.crc, crc, static_cast<z_off_t>(j.in.size));
M136 office/sheets/zip_writer.cpp
- finished = j.last ? result == Z_STREAM_END : z.avail_in == 0 && z.avail_out > 0;
+ finished = j.last ? result == Z_STREAM_END : z.avail_in == 0;
M137 office/sheets/sheet_file.cpp
- part_ = wide_ + L".part";
+ part_ = wide_;
M138 office/sheets/sheet_format.cpp
- (head[1] == '\x00' || head[1] == '\x02' || head[1] == '\x04') &&
+ (head[1] == '\x00' || head[1] == '\x02') &&
M139 office/sheets/sheet_format.cpp
- const std::string_view text = StartsWith(head, "\xEF\xBB\xBF") ? head.substr(3) : head;
+ const std::string_view text = head;
M140 office/sheets/sheet_format.cpp
- ZipEntryStart(zip, "_rels/.rels", 4096).find("workbook") != std::string::npos) {
+ ZipEntryStart(zip, "_rels/.rels", 4096).find("workbook") == 0) {
M141 office/sheets/zip_reader.cpp
- return unzLocateFile(zip, name, /*iCaseSensitivity=*/2) == UNZ_OK;
+ return unzLocateFile(zip, name, /*iCaseSensitivity=*/1) == UNZ_OK;
M142 office/sheets/ods_reader.cpp
- return std::min<uint64_t>(n, most);
+ return n;
M143 office/sheets/ods_reader.cpp
- const uint64_t count = RepeatOf(AttributeOf(attributes, Ns::kText, "c"), kLongestCell + 1);
+ const uint64_t count = RepeatOf(AttributeOf(attributes, Ns::kText, "c"), 1);
M144 office/sheets/ods_reader.cpp
- if (p.inParagraph == 0 && p.paragraphs++ > 0) p.Append("\n");
+ if (p.inParagraph == 0 && p.paragraphs++ > 1) p.Append("\n");
M145 office/sheets/ods_reader.cpp
- if (!p.afterBlank) p.value += ' ';
+ p.value += ' ';
M146 office/sheets/ods_reader.cpp
- if (extended != nullptr && std::string_view(extended) == "error") {
+ if (false) {
M147 office/sheets/ods_reader.cpp
- } else if (kind == "float" || kind == "percentage" || kind == "currency") {
+ } else if (kind == "float" || kind == "percentage") {
M148 office/sheets/ods_reader.cpp
- } else if (name.Is(Ns::kOffice, "annotation") || name.Is(Ns::kText, "note") ||
+ } else if (name.Is(Ns::kText, "note") ||
M149 office/sheets/ods_reader.cpp
- if (columns + emptyCells + cellRepeat > kMostSheetColumns) {
+ if (columns + emptyCells + cellRepeat >= kMostSheetColumns) {
M150 office/sheets/ods_reader.cpp
- if (rows + rowRepeat > kLastSheetRow) {
+ if (rows + rowRepeat >= kLastSheetRow) {
M151 office/sheets/ods_reader.cpp
- rows += rowRepeat;
+ ++rows;
M152 office/sheets/ods_reader.cpp
- ++p.current.number;  // the row repeated
+
M153 office/sheets/ods_reader.cpp
- if (unzCloseCurrentFile(zip) != UNZ_OK) problem = std::string(kContent) + " is damaged";
+ unzCloseCurrentFile(zip);
M154 office/sheets/workbook_reader.cpp
- } else if (values > 1) {
+ } else if (values > 2) {
M155 office/sheets/workbook_reader.cpp
- p.formula = true;
+
M156 office/sheets/workbook_reader.cpp
- std::strcmp(state, "veryHidden") == 0);
+ false);
M157 office/sheets/workbook_reader.cpp
- if (any || !p.building.withoutValue.empty()) p.ready.push_back(p.building);
+ if (any) p.ready.push_back(p.building);
M158 office/sheets/workbook_reader.cpp
- if (unzCloseCurrentFile(zip) != UNZ_OK) problem = name + " is damaged";
+ unzCloseCurrentFile(zip);
M159 office/sheets/workbook_reader.cpp
- p.building.withoutValue.clear();
+
M160 office/sheets/sheet_reader.cpp
- bool Hidden() const override { return reader_ && reader_->SheetHidden(); }
+ bool Hidden() const override { return false; }
M161 office/sheets/sheet_reader.cpp
- int ShownRow(int line) const override { return line % kLinesPerSheet; }
+ int ShownRow(int line) const override { return line; }
M162 office/import/import_plan.cpp
- if (rows_[PartIndex(part)] == 0 || lastLine_[PartIndex(part)] != found.line) {
+ if (true) {
M163 office/import/import_plan.cpp
- const std::string is = found.is.empty() ? std::string(found.text) : found.is;
+ const std::string is(found.text);
M164 office/import/import_plan.cpp
- const std::string description = ExportedField(Field::kDescription, before);
+ const std::string description = ExportedField(Field::kDescription, after);
M165 office/import/import_plan.cpp
- if (column >= 0)
+ if (column > 0)
M166 office/import/import_plan.cpp
- found.what != Finding::kColumnNotOurs;
+ true;
M167 office/import/import_report.cpp
- if (found.what == Finding::kOverwritten) return;
+ if (IsNotice(found.what)) return;
M168 office/import/import_report.cpp
- if (const int n = d.unmarkedOverwritten(); n > 0 && d.versionMissing()) {
+ if (const int n = d.unmarkedOverwritten(); n > 1 && d.versionMissing()) {
M169 office/import/import_report.cpp
- const std::string is = f.is.empty() ? value : Printable(f.is);
+ const std::string is = value;
M170 office/import/import_report.cpp
- if (said_ > kToldLines) {
+ if (said_ >= kToldLines) {
M171 office/import/import_run.cpp
- told_.Tell(path_ + ": the workbook has a hidden sheet '" + *name +
+ (void)(path_ + ": the workbook has a hidden sheet '" + *name +
M172 office/import/import_run.cpp
- decisions_->TakeRow(row_.line, row_.cells, row_.withoutValue);
+ decisions_->TakeRow(row_.line, row_.cells, {});
M173 desk/desk_work.cpp
- sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
+
M174 desk/desk_work.cpp
- for (size_t i = 0; i < plan_->Count(ImportPlan::Part::kNotice); ++i)
+ for (size_t i = 1; i < plan_->Count(ImportPlan::Part::kNotice); ++i)
M175 desk/desk_settings.cpp
- if (settings->otherShops.size() < kKeptShops)
+ if (settings->otherShops.size() <= kKeptShops)
M176 desk/desk_settings.cpp
- settings->otherShops[settings->folder] = settings->sheets;
+
M177 desk/desk_settings.cpp
- settings->folder.find('|') == std::string::npos &&
+ true &&
M178 store/journalled_write.cpp
- return from > 0 && changes.Slot(from - 1) + 1 == changes.Slot(from);
+ return from > 0 && changes.Slot(from - 1) + 2 >= changes.Slot(from);
M179 store/journalled_write.cpp
- last.after.data() + (SlotOffset(last.first + last.count - 1) - span.start),
+ last.after.data() + (SlotOffset(last.first + last.count - 2) - span.start),
M180 store/journal_plan.cpp
- if (next < count && InOneRun(slot(next - 1), slot(next))) break;
+
M181 office/sheets/csv.cpp
- if (line > kLastCsvLine) {
+ if (line >= kLastCsvLine) {
M182 office/sheets/string_table.cpp
- const size_t entries = index + 1 < count_ ? 2 : 1;
+ const size_t entries = index < count_ ? 2 : 1;
M183 office/sheets/string_table.cpp
- if (at + count <= uint64_t{blocks_.size()} * kBlock && at % kBlock + count <= kBlock) {
+ if (at + count <= uint64_t{blocks_.size()} * kBlock) {
M184 office/sheets/string_table.cpp
- std::memcpy(out + (from - at), pending_.get() + (from - written), tail);
+ std::memcpy(out + (from - at), pending_.get() + (from - at), tail);
M185 office/sheets/workbook_reader.cpp
- p.mostStrings +=
+ p.mostStrings =
M186 office/sheets/workbook_reader.cpp
- p.copied.clear();
+
M187 office/sheets/workbook_reader.cpp
- if (value.empty() || *end != '\0' || index >= strings->size()) {
+ if (value.empty() || *end != '\0' || index > strings->size()) {
M188 commands/write_outcome.cpp
- return CommandResult{false, missing, written.status};
+ return CommandResult{false, failed, written.status};
M189 commands/lookup_number.cpp
- CurrentSlot = slot;
+
M190 commands/delete_record.cpp
- if (result) result.message = Message::kDeleteComplete;
+ if (!result) result.message = Message::kDeleteComplete;
M191 platform/utf8.cpp
- uint32_t c = 0xFFFD;
+ uint32_t c = 0;
M192 platform/code_pages.h
- for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = kCodePageTable[i].number;
+ for (size_t i = 1; i < numbers.size(); ++i) numbers[i] = kCodePageTable[i].number;
M193 office/export.cpp
- printed[1 + Index(field)] = row.fields[Index(field)];
+ printed[Index(field)] = row.fields[Index(field)];
M194 office/open_inventory.cpp
- told.Tell(platform::ShownPath(DataPath) + ": no such file");
+
M195 messages/opening_messages.cpp
- said.push_back(Message::kInventoryEmpty);
+ said.push_back(Message::kInventoryCorrupt);
M196 messages/messages.cpp
- return Fill(kTable[static_cast<size_t>(message)].text, detail);
+ return Fill(kTable[static_cast<size_t>(message)].caption, detail);
M197 desk/desk_work.cpp
- void Tell(Message message) override { said_.push_back(Utf8FromWide(MessageText(message))); }
+ void Tell(Message) override {}
M198 filmtool/output.cpp
- void Tell(const std::string& text) { std::fprintf(stderr, "filmtool: %s\n", text.c_str()); }
+ void Tell(const std::string& text) { std::fprintf(stdout, "filmtool: %s\n", text.c_str()); }
M199 office/export.cpp
- [&path, &told] { return NamesCsv(path) ? CsvAt(path, told) : WorkbookAt(path, told); }, all,
+ [&path, &told] { return NamesCsv(path) ? WorkbookAt(path, told) : CsvAt(path, told); }, all,
M200 office/sheets/sheet_file.cpp
- return said_ ? false : Failed("the sheet cannot be written");
+ return false;
M201 office/import/import_report.cpp
- told_.Tell(file_ + ": nothing imported, film.dat is unchanged");
+
M202 office/import/import_run.cpp
- if (!sheet_) told_.Tell(path_ + ": " + why);
+
M203 office/import/import_decisions.cpp
- Tell(Found::FieldCount(line, fields.size(), columns_.width));
+ Tell(Found::FieldCount(line, columns_.width, fields.size()));
M204 office/import/import_decisions.h
- found.other = column + 1;
+ found.other = column;
M205 office/import/import_decisions.h
- return Found(Finding::kCannotAdd, line, number);
+ return Found(Finding::kNoSuchItem, line, number);
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

# Whether the host build of worktree $1 compiles file $2: its build/host
# names every source it compiles in a DependInfo.cmake. Without a configured
# build, the files only the Windows build compiles are known by their place.
host_built() {
  local wt=$1 f=$2
  if [ -d "$wt/build/host/CMakeFiles" ]; then
    # A header is compiled where a compiled source includes it, as the
    # compiler's dependency files say.
    grep -rqsF "/$f\"" "$wt/build/host" --include=DependInfo.cmake ||
      { [ "${f%.h}" != "$f" ] && grep -rqsF "/$f" "$wt/build/host" --include='*.o.d'; }
  else
    case $f in
      platform/win32/*|desk/desk_main.cpp|desk/desk_window.cpp|desk/desk_review_list.cpp|\
      desk/desk_dialogs.cpp|desk/desk_worker.cpp) return 1 ;;
      *) return 0 ;;
    esac
  fi
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
      if ! place "$2"; then printf '%s\tgone\n' "$id"
      elif host_built "$2" "$PLACE"; then printf '%s\t%s\n' "$id" "$PLACE"
      else printf '%s\t%s\twindows-only\n' "$id" "$PLACE"; fi
    done ;;
  trial)
    wt=$(cd "$2" && pwd); shift 2
    [ $# -gt 0 ] || set -- $(ids)
    git -C "$wt" diff --quiet HEAD || { echo "$wt has uncommitted changes" >&2; exit 1; }
    for id in "$@"; do
      lookup "$id"
      if place "$wt" && ! host_built "$wt" "$PLACE"; then
        printf '%s\twindows-only\t\n' "$id"
        continue
      fi
      if ! placed=$(apply "$id" "$wt" 2>/dev/null); then printf '%s\tgone\t\n' "$id"; continue; fi
      if ! cmake --build "$wt/build/host" -j2 >"$wt/build/mutant-$id.build.log" 2>&1; then
        verdict=nobuild failed=""
      else
        (cd "$wt/build/host" && ctest -j2 --timeout 600 ${MUTANTS_FIRST_FAILURE:+--stop-on-failure} \
          >"$wt/build/mutant-$id.ctest.log" 2>&1) || true
        failed=$(grep -E '^\s+[0-9]+ - ' "$wt/build/mutant-$id.ctest.log" |
                 sed -E 's/^\s+[0-9]+ - //; s/  #.*//; s/ \((Failed|Timeout|SEGFAULT|Subprocess aborted|Exception|Child aborted)\).*$//' |
                 paste -sd ';' -) || true
        if grep -q '100% tests passed' "$wt/build/mutant-$id.ctest.log"; then verdict=survived; else verdict=killed; fi
      fi
      git -C "$wt" checkout HEAD -- "$placed"
      printf '%s\t%s\t%s\n' "$id" "$verdict" "$failed"
    done
    cmake --build "$wt/build/host" -j2 >/dev/null 2>&1 || true ;;
  summary)
    awk -F '\t' '{ n++; v[$2]++ }
      END { printf "%d mutants: %d killed, %d survived, %d windows-only, %d nobuild, %d gone\n",
                   n, v["killed"], v["survived"], v["windows-only"], v["nobuild"], v["gone"] }' "$2" ;;
  scratch)
    # A worktree of HEAD of its own, so that the trial never touches the
    # working tree it was started from, built once before the first mutant.
    out=$(mkdir -p "$2" && cd "$2" && pwd); shift 2
    repo=$(git rev-parse --show-toplevel)
    tree=$out/tree
    [ ! -e "$tree" ] || git -C "$repo" worktree remove --force "$tree" 2>/dev/null || rm -rf "$tree"
    git -C "$repo" worktree prune
    git -C "$repo" worktree add --detach "$tree" HEAD >/dev/null
    trap 'git -C "$repo" worktree remove --force "$tree"' EXIT
    cmake -S "$tree" -B "$tree/build/host" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$out/configure.log" 2>&1
    cmake --build "$tree/build/host" -j2 >"$out/build.log" 2>&1 ||
      { echo "HEAD does not build: see $out/build.log" >&2; exit 1; }
    (cd "$tree/build/host" && ctest -j2 --timeout 600 >"$out/baseline.ctest.log" 2>&1) ||
      { echo "HEAD fails its own tests: see $out/baseline.ctest.log" >&2; exit 1; }
    "$0" trial "$tree" "$@" | tee "$out/verdicts.tsv"
    cp "$tree"/build/mutant-*.log "$out/" 2>/dev/null || true
    "$0" summary "$out/verdicts.tsv" ;;
  *) sed -n '2,30p' "$0"; exit 2 ;;
esac
