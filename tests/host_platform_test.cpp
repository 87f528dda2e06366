// The host back end must behave like the real platform where the program
// relies on it: file calls, their injected faults, the code page, the card,
// the headless user interface.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "platform/host/host_control.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "platform/ui.h"
#include "platform/utf8.h"
#include "tests/test_support.h"

using platform::Access;
using platform::Disposition;
using platform::ScopedFile;

class HostFiles : public ProgramTest {};

TEST_F(HostFiles, OpenCreateNewNeverReplacesAFile) {
  WriteBytes("a.dat", {1, 2, 3});
  EXPECT_FALSE(platform::OpenFile(L"a.dat", Access::kWrite, Disposition::kCreateNew));
  EXPECT_EQ(ReadBytes("a.dat"), (Bytes{1, 2, 3}));
  EXPECT_FALSE(platform::OpenFile(L"missing.dat", Access::kRead, Disposition::kOpenExisting));
  ScopedFile created(platform::OpenFile(L"new.dat", Access::kWrite, Disposition::kCreateNew));
  EXPECT_TRUE(created);
}

TEST_F(HostFiles, RenameNeverReplacesPutInPlaceDoesRemoveIsIdempotent) {
  using platform::Renamed;
  WriteBytes("a.tmp", {1});
  WriteBytes("b.dat", {2});
  EXPECT_EQ(platform::RenameFile(L"a.tmp", L"b.dat").renamed, Renamed::kNot);
  EXPECT_EQ(ReadBytes("b.dat"), (Bytes{2}));
  EXPECT_EQ(platform::RenameFile(L"a.tmp", L"c.dat").renamed, Renamed::kOnMedium);
  EXPECT_FALSE(Exists("a.tmp"));
  EXPECT_EQ(ReadBytes("c.dat"), (Bytes{1}));
  EXPECT_EQ(platform::PutFileInPlace(L"c.dat", L"b.dat").renamed, Renamed::kOnMedium);
  EXPECT_EQ(ReadBytes("b.dat"), (Bytes{1}));
  EXPECT_FALSE(Exists("c.dat"));
  const platform::Renaming missing = platform::PutFileInPlace(L"missing.tmp", L"b.dat");
  EXPECT_EQ(missing.renamed, Renamed::kNot);
  EXPECT_EQ(missing.error, platform::FileError::kMissing);
  EXPECT_EQ(ReadBytes("b.dat"), (Bytes{1}));
  EXPECT_TRUE(platform::RemoveFile(L"b.dat"));
  EXPECT_TRUE(platform::RemoveFile(L"b.dat"));
  EXPECT_FALSE(Exists("b.dat"));
}

TEST_F(HostFiles, AWriteHandleHoldsTheFileAgainstEveryOtherWriter) {
  using platform::FileError;
  const auto busy = [](platform::FileError why) { return why == FileError::kBusy; };
  const auto opened = [](Access access, Disposition disposition) {
    const platform::Opened held = platform::OpenFile(L"a.dat", access, disposition);
    platform::CloseFile(held.file);
    return held.error;
  };
  WriteBytes("a.dat", {1, 2, 3, 4});
  ScopedFile writer(platform::OpenFile(L"a.dat", Access::kReadWrite, Disposition::kOpenExisting));
  ASSERT_TRUE(writer);
  EXPECT_TRUE(busy(opened(Access::kWrite, Disposition::kOpenExisting)));
  EXPECT_TRUE(busy(opened(Access::kWrite, Disposition::kCreateAlways)));
  EXPECT_EQ(ReadBytes("a.dat"), (Bytes{1, 2, 3, 4})) << "a held file is never emptied";
  EXPECT_TRUE(ScopedFile(platform::OpenFile(L"a.dat", Access::kRead, Disposition::kOpenExisting)))
      << "readers are not held off";
  EXPECT_TRUE(busy(platform::RemoveFile(L"a.dat").error()));
  for (const platform::Renaming moved :
       {platform::RenameFile(L"a.dat", L"b.dat"), platform::PutFileInPlace(L"a.dat", L"b.dat")}) {
    EXPECT_EQ(moved.renamed, platform::Renamed::kNot);
    EXPECT_TRUE(busy(moved.error));
  }
  EXPECT_TRUE(Exists("a.dat"));

  // Another program's classic fcntl lock and the hold keep each other off,
  // whatever part of the file the other locks: the hold covers every byte,
  // past the end too, where a growing file's next records go.
  const int other = ::open(Path("a.dat").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(other, 0);
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  EXPECT_NE(::fcntl(other, F_SETLK, &lock), 0);
  lock.l_start = 1 << 30;
  lock.l_len = 1;
  EXPECT_NE(::fcntl(other, F_SETLK, &lock), 0) << "a byte far past the end is held too";
  writer.Close();
  // A lock on the last byte alone keeps writers off, and is seen by the
  // move and the removal that would take the file away. (An open file's
  // own lock: a classic one would go with the first descriptor of the file
  // this process closes.)
  lock.l_start = 3;
  EXPECT_EQ(::fcntl(other, F_OFD_SETLK, &lock), 0);
  EXPECT_TRUE(busy(opened(Access::kReadWrite, Disposition::kOpenExisting)));
  const platform::Renaming put = platform::PutFileInPlace(L"a.dat", L"d.dat");
  EXPECT_EQ(put.renamed, platform::Renamed::kNot);
  EXPECT_TRUE(busy(put.error));
  EXPECT_TRUE(busy(platform::RemoveFile(L"a.dat").error()));
  lock.l_type = F_UNLCK;
  EXPECT_EQ(::fcntl(other, F_OFD_SETLK, &lock), 0);
  lock.l_type = F_WRLCK;
  lock.l_start = 0;
  lock.l_len = 0;
  EXPECT_EQ(::fcntl(other, F_SETLK, &lock), 0);
  EXPECT_TRUE(busy(opened(Access::kReadWrite, Disposition::kOpenExisting)));
  ::close(other);

  ScopedFile cut(platform::OpenFile(L"a.dat", Access::kReadWrite, Disposition::kOpenExisting));
  ASSERT_TRUE(cut);
  EXPECT_TRUE(platform::CutFile(cut.get(), 2));
  cut.Close();
  EXPECT_EQ(ReadBytes("a.dat"), (Bytes{1, 2}));
}

TEST_F(HostFiles, OnlyRegularFilesOpenNeverThroughALinkNorWaitingOnAPipe) {
  WriteBytes("target.dat", {7});
  ASSERT_EQ(::symlink(Path("target.dat").c_str(), Path("link.dat").c_str()), 0);
  ASSERT_EQ(::mkfifo(Path("pipe.dat").c_str(), 0644), 0);  // no other end: an open would wait
  ASSERT_TRUE(std::filesystem::create_directory(Path("folder.dat")));
  for (const wchar_t* name : {L"link.dat", L"pipe.dat", L"folder.dat"}) {
    for (const auto& [access, disposition] :
         {std::pair{Access::kRead, Disposition::kOpenExisting},
          std::pair{Access::kReadWrite, Disposition::kOpenExisting},
          std::pair{Access::kWrite, Disposition::kCreateAlways}}) {
      const platform::Opened opened = platform::OpenFile(name, access, disposition);
      EXPECT_FALSE(opened) << host::Narrow(name);
      EXPECT_EQ(opened.error, platform::FileError::kNotRegular) << host::Narrow(name);
    }
  }
  EXPECT_EQ(ReadBytes("target.dat"), (Bytes{7}));
  EXPECT_EQ(platform::OpenFile(L"missing.dat", Access::kRead, Disposition::kOpenExisting).error,
            platform::FileError::kMissing);
  EXPECT_TRUE(platform::RemoveFile(L"link.dat"));
  EXPECT_EQ(ReadBytes("target.dat"), (Bytes{7})) << "a link is removed, never what it names";
}

TEST_F(HostFiles, BackslashesAreFolderSeparators) {
  ASSERT_TRUE(std::filesystem::create_directory(Path("card")));
  WriteBytes("card/film.dat", {9});
  ScopedFile file(platform::OpenFile(host::Widen(folder_) + L"\\card\\film.dat", Access::kRead,
                                     Disposition::kOpenExisting));
  ASSERT_TRUE(file);
  uint64_t size = 0;
  EXPECT_TRUE(platform::GetFileSize(file.get(), &size));
  EXPECT_EQ(size, 1u);
}

TEST_F(HostFiles, FaultsFailOrShortenTheNthCallOnceOrFromThenOn) {
  WriteBytes("a.dat", Bytes(100, 7));
  ScopedFile file(platform::OpenFile(L"a.dat", Access::kRead, Disposition::kOpenExisting));
  ASSERT_TRUE(file);
  uint8_t buffer[100];
  uint32_t got = 0;
  faults_.Inject(FileOp::kRead, 2, Fault::kShort);
  EXPECT_TRUE(platform::ReadFile(file.get(), buffer, 10, &got));
  EXPECT_EQ(got, 10u);
  EXPECT_TRUE(platform::ReadFile(file.get(), buffer, 10, &got));
  EXPECT_EQ(got, 5u);
  EXPECT_TRUE(platform::ReadFile(file.get(), buffer, 10, &got));
  EXPECT_EQ(got, 10u);

  faults_.Inject(FileOp::kRead, 1, Fault::kFail, /*persistent=*/true);
  EXPECT_FALSE(platform::ReadFile(file.get(), buffer, 10, &got));
  EXPECT_FALSE(platform::ReadFile(file.get(), buffer, 10, &got));
  EXPECT_EQ(faults_.Count(FileOp::kRead), 5);

  faults_.Inject(FileOp::kOpen, 1);
  EXPECT_FALSE(platform::OpenFile(L"a.dat", Access::kRead, Disposition::kOpenExisting));
  faults_.InjectAllocationFault(2);
  void* first = platform::AllocateZeroed(4, 4);
  EXPECT_NE(first, nullptr);
  EXPECT_EQ(platform::AllocateZeroed(4, 4), nullptr);
  platform::Release(first);
}

TEST_F(HostFiles, ShortWritesLeaveHalfTheBytesAndAFullDiskFailsPartWay) {
  ScopedFile file(platform::OpenFile(L"w.dat", Access::kWrite, Disposition::kCreateAlways));
  ASSERT_TRUE(file);
  faults_.Inject(FileOp::kWrite, 1, Fault::kShort);
  const uint8_t data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  uint32_t put = 0;
  EXPECT_TRUE(platform::WriteFile(file.get(), data, 8, &put));
  EXPECT_EQ(put, 4u);
  // A full disk takes what fits and fails the rest, saying why.
  faults_.Inject(FileOp::kWrite, 1, Fault::kDiskFull);
  EXPECT_EQ(platform::WriteFile(file.get(), data + 4, 4, &put).error(),
            platform::FileError::kDiskFull);
  EXPECT_EQ(put, 2u);
  EXPECT_TRUE(platform::WriteFile(file.get(), data + 6, 2, &put));
  file.Close();
  EXPECT_EQ(ReadBytes("w.dat"), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
}

TEST_F(HostFiles, ReachTheLastSlotOfTheLargestInventory) {
  // A sparse file of the most slots that fit in 4 GiB: its last slot lies
  // past 2^31, where 32-bit file offsets would go wrong.
  constexpr uint32_t kLastSlotOffset = static_cast<uint32_t>(kLargestSlotCount - 1) * kRecordSize;
  WriteBytes("film.dat", {});
  std::filesystem::resize_file(Path("film.dat"), uint64_t{kLastSlotOffset} + kRecordSize);
  const uint8_t mark[4] = {0xDE, 0xAD, 0xBE, 0xEF};
  uint32_t moved = 0;
  {
    ScopedFile file(platform::OpenFile(L"film.dat", Access::kWrite, Disposition::kOpenExisting));
    ASSERT_TRUE(file);
    ASSERT_TRUE(platform::SetFilePosition(file.get(), kLastSlotOffset));
    ASSERT_TRUE(platform::WriteFile(file.get(), mark, 4, &moved));
  }
  ScopedFile file(platform::OpenFile(L"film.dat", Access::kRead, Disposition::kOpenExisting));
  ASSERT_TRUE(file);
  uint64_t size = 0;
  EXPECT_TRUE(platform::GetFileSize(file.get(), &size));
  EXPECT_EQ(size, uint64_t{kLastSlotOffset} + kRecordSize);
  uint8_t back[4] = {};
  ASSERT_TRUE(platform::SetFilePosition(file.get(), kLastSlotOffset));
  ASSERT_TRUE(platform::ReadFile(file.get(), back, 4, &moved));
  EXPECT_EQ(moved, 4u);
  EXPECT_EQ(std::memcmp(back, mark, 4), 0);
}

TEST(HostCodePage, ConvertsWindows1252BothWays) {
  const char narrow[] = "Caf\xE9 \x80 \x81";
  wchar_t wide[16];
  ASSERT_EQ(platform::NarrowToWide(narrow, -1, wide, 16), 9);
  EXPECT_EQ(std::wstring(wide), L"Caf\u00E9 \u20AC \u0081");
  char back[16];
  ASSERT_EQ(platform::WideToNarrow(wide, back, 16), 9);
  EXPECT_STREQ(back, narrow);
  EXPECT_EQ(platform::WideToNarrow(L"\u0101\u4E2D", back, 16), 3);
  EXPECT_STREQ(back, "??");
}

TEST(HostCodePage, HonoursSourceLengthAndOutputLimits) {
  wchar_t wide[8] = {};
  EXPECT_EQ(platform::NarrowToWide("ABCDEF", 3, wide, 8), 3);
  EXPECT_EQ(std::wstring(wide, 3), L"ABC");
  EXPECT_EQ(platform::NarrowToWide("ABCDEFGHIJ", -1, wide, 8), 0);
  char narrow[4];
  EXPECT_EQ(platform::WideToNarrow(L"ABCD", narrow, 4), 0);
  EXPECT_EQ(platform::WideToNarrow(L"ABC", narrow, 4), 4);
}

// What Windows gives for bytes that glibc's tables leave undefined or write
// otherwise: the host must give the same, or the two back offices print
// different texts for one film.dat.
TEST(HostCodePage, ChosenCodePagesConvertAsWindowsDoes) {
  const struct {
    unsigned page;
    const char* narrow;
    const wchar_t* wide;
  } cases[] = {
      {1252, "\x81\x8D", L"\u0081\u008D"},
      {1255, "\xCA\xD9", L"\u05BA\uFFFD"},
      {932, "\x83\x5C\xB1\x80\xF0\x40", L"\u30BD\uFF71\u0080\uE000"},
      // A lead byte that its next byte does not complete.
      {932, "\x81\x20\x81\xFD\x81", L"\uFFFD \uFFFD\uFFFD\uFFFD"},
      {936, "\xAA\xA1\xA1\x40\xA2\xAB\xFE\x50", L"\uE000\uE4C6\uE766\uE815"},
      {949, "\xFE\xA1\x80", L"\uE05E\u0080"},
      {950, "\x81\x40\x8E\x40\xFA\x40\xF9\xF9", L"\uEEB8\uE311\uE000\u2550"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(platform::UseCodePage(c.page), c.page);
    wchar_t wide[16] = {};
    const int n =
        platform::NarrowToWide(c.narrow, static_cast<int>(std::strlen(c.narrow)), wide, 16);
    EXPECT_EQ(std::wstring(wide, n > 0 ? n : 0), c.wide) << c.page << " " << c.narrow;
  }
  // Back: where two byte sequences stand for one character, the one Windows
  // writes; no look-alike for a character the code page lacks.
  const struct {
    unsigned page;
    const wchar_t* wide;
    const char* narrow;
  } back[] = {{950, L"\u2550\u255E", "\xF9\xF9\xF9\xE9"},
              {932, L"\u2252\u00A5\uF8F0", "\x81\xE0?\xA0"},
              {1253, L"\uF8F9\u0081", "\xAA\x81"}};
  for (const auto& b : back) {
    ASSERT_EQ(platform::UseCodePage(b.page), b.page);
    char narrow[16] = {};
    EXPECT_GT(platform::WideToNarrow(b.wide, narrow, 16), 0);
    EXPECT_STREQ(narrow, b.narrow) << b.page;
  }
  EXPECT_EQ(platform::UseCodePage(437), 0u);
  host::ResetHost();
}

TEST(HostCard, ScriptedAbsentPresentOrUnreadable) {
  host::ResetHost();
  uint8_t find[platform::kCardFindRecordSize] = {};
  uint8_t info[platform::kObjectInfoSize] = {};
  EXPECT_FALSE(platform::FindFirstStorageCard(find));

  host::SetStorageCard(host::CardState::kUnreadable);
  ASSERT_TRUE(platform::FindFirstStorageCard(find));
  uint32_t id;
  std::memcpy(&id, find + platform::kCardObjectIdOffset, 4);
  EXPECT_FALSE(platform::GetObjectInfo(id, info));

  host::SetStorageCard(host::CardState::kPresent, L"\\Storage Card");
  ASSERT_TRUE(platform::FindFirstStorageCard(find));
  ASSERT_TRUE(platform::GetObjectInfo(id, info));
  EXPECT_EQ(info[platform::kObjectInfoNameOffset], '\\');
  EXPECT_EQ(info[platform::kObjectInfoNameOffset + 2], 'S');
  EXPECT_EQ(info[platform::kObjectInfoNameOffset + 1], 0);
  host::ResetHost();
}

// Windows' capitals, not the C library's: that raises µ, ı, ſ, ς, ǅ and
// letters beyond the BMP, which Windows leaves, so the two back offices
// stored different bytes for one typed text.
TEST(HostText, RaisesLettersAsWindowsDoes) {
  std::wstring text =
      L"az\u00E0\u00FE\u00FF\u0101\u0102\u0103\u0130\u0131\u017F\u00B5\u03C2\u03C3\u01C5"
      L"\u01C6\u0192\u24D0\uFF41\uFF5A\U00010428";
  platform::RaiseLetters(text);
  EXPECT_EQ(text,
            L"AZ\u00C0\u00DE\u0178\u0100\u0102\u0102\u0130\u0131\u017F\u00B5\u03C2\u03A3\u01C5"
            L"\u01C4\u0191\u24B6\uFF21\uFF3A\U00010428");
}

// The user interface the tools ship has no screen: boxes are answered OK, no
// dialog starts, and there are no controls to read.
TEST(HostUi, AnswersOkStartsNoDialogReadsNoControl) {
  platform::Ui& ui = platform::DefaultUi();
  EXPECT_EQ(ui.ShowMessageBox(nullptr, L"Delete?", L"Item 1", platform::kMbOkCancel),
            platform::kIdOk);
  static bool called = false;
  const platform::DialogProc proc = [](platform::WindowRef, unsigned, uintptr_t, intptr_t) {
    called = true;
    return intptr_t{1};
  };
  EXPECT_EQ(ui.RunDialog(1, nullptr, proc), -1);
  EXPECT_FALSE(called);
  wchar_t text[4] = L"abc";
  EXPECT_EQ(ui.GetControlText(nullptr, 1, text, 4), 0);
  EXPECT_EQ(text[0], L'\0');
  EXPECT_EQ(ui.GetControlUnsigned(nullptr, 1), 0u);
  EXPECT_FALSE(ui.IsChecked(nullptr, 1));
  EXPECT_LT(ui.SelectedComboEntry(nullptr, 1), 0);
  EXPECT_EQ(ui.ControlWindow(nullptr, 1), nullptr);
}

// Text shown in the window: a byte of no well-formed sequence (a stray
// continuation, a cut or overlong sequence, a surrogate) is one U+FFFD,
// and what follows it is read on from the next byte.
TEST(ShownText, EachByteOfNoSequenceIsOneReplacementCharacter) {
  EXPECT_EQ(Wide("Jürgen"), L"J\u00FCrgen");
  EXPECT_EQ(Wide("a\xFF"
                 "b\x80"),
            L"a\uFFFDb\uFFFD");
  EXPECT_EQ(Wide("\xC3"), L"\uFFFD");                        // cut short at the end
  EXPECT_EQ(Wide("\xC0\xAF"), L"\uFFFD\uFFFD");              // overlong
  EXPECT_EQ(Wide("\xED\xA0\x80z"), L"\uFFFD\uFFFD\uFFFDz");  // a surrogate
  EXPECT_EQ(Wide("\xF0\x9F\x98\x80"), std::wstring(1, static_cast<wchar_t>(0x1F600)));
}
