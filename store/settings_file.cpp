#include "store/settings_file.h"

#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "store/file_names.h"
#include "store/settings_image.h"

bool WriteSettingsFile() {
  // The new image goes under a temporary name first and takes the old one's
  // place only once it is whole on the medium: a power cut leaves the old
  // tallo.cfg or the new one, never a cut one.
  platform::ScopedFile file(platform::OpenFile(kSettingsTempPath, platform::Access::kWrite,
                                               platform::Disposition::kCreateAlways));
  uint32_t written = 0;
  const bool whole =
      file &&
      platform::WriteFile(file.get(), SettingsImage.bytes, sizeof SettingsImage.bytes, &written) &&
      written == sizeof SettingsImage.bytes && platform::FlushFile(file.get());
  file.Close();
  const platform::Renamed put =
      whole ? platform::PutFileInPlace(kSettingsTempPath, kSettingsPath) : platform::Renamed::kNot;
  if (put == platform::Renamed::kOnMedium) return true;
  // A write that fails, comes up short or does not reach the medium counts
  // as a file that cannot be created: the settings were not saved. Only
  // when nothing was put in place is the temporary file still there.
  if (put == platform::Renamed::kNot) platform::RemoveFile(kSettingsTempPath);
  return false;
}
