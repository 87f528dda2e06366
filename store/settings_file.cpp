#include "store/settings_file.h"

#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "store/opendata.h"
#include "store/settings_image.h"

void SaveSettings() {
  platform::ScopedFile file(platform::OpenFile(kSettingsPath, platform::Access::kWrite,
                                               platform::Disposition::kCreateAlways));
  if (!file) {
    platform::Beep(platform::kBeepDefault);
    platform::ShowMessageBox(nullptr, L"Unable to save configuration file", L"Problem",
                             platform::kMbOk);
    return;
  }
  uint32_t written = 0;
  if (platform::WriteFile(file.get(), SettingsImage.bytes, sizeof SettingsImage.bytes, &written) &&
      written == sizeof SettingsImage.bytes) {
    platform::FlushFile(file.get());
  }
}
