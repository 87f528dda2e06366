#include "store/settings_file.h"

#include "store/file_names.h"
#include "store/settings_image.h"
#include "store/whole_io.h"

FileStatus WriteSettingsFile() {
  FileStatus status;
  PutNewFile(kSettingsTempPath, kSettingsPath, SettingsImage.bytes, sizeof SettingsImage.bytes,
             /*replace=*/true, &status);
  return status;
}
