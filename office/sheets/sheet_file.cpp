#include "office/sheets/sheet_file.h"

#include "office/listener.h"
#include "platform/utf8.h"

SheetFile::~SheetFile() {
  if (!placed_ && !part_.empty()) (void)platform::RemoveFile(part_);
}

bool SheetFile::Name(const std::string& path) {
  path_ = path;
  if (!WideFromUtf8(path, &wide_) || wide_.empty()) return Failed("no file name");
  part_ = wide_ + L".part";
  return true;
}

bool SheetFile::PutInPlace() {
  const platform::Renaming put = platform::PutFileInPlace(part_, wide_);
  if (put.renamed == platform::Renamed::kNot) return Failed(put.error);
  placed_ = true;
  return true;
}

bool SheetFile::Failed(platform::FileError why) {
  if (said_) return false;
  // The sheet's own words for a file another program holds: film.dat's
  // would mislead.
  if (why == platform::FileError::kBusy) {
    return Failed(
        "another program holds this file (a spreadsheet that has it open?): close it "
        "there and export again");
  }
  said_ = TellCause(told_, part_, why);
  return said_ ? false : Failed("the sheet cannot be written");
}

bool SheetFile::Failed(const std::string& why) {
  if (!said_) told_.Tell(path_ + ": " + why);
  said_ = true;
  return false;
}
