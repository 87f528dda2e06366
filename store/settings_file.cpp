#include "store/settings_file.h"

#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "store/messages.h"
#include "store/opendata.h"
#include "store/settings_image.h"

void SaveSettings() {
  platform::ScopedFile file(platform::OpenFile(kSettingsPath, platform::Access::kWrite,
                                               platform::Disposition::kCreateAlways));
  uint32_t written = 0;
  // A write that fails, comes up short or does not reach the medium is told
  // like a file that cannot be created: the settings were not saved.
  if (!file ||
      !platform::WriteFile(file.get(), SettingsImage.bytes, sizeof SettingsImage.bytes, &written) ||
      written != sizeof SettingsImage.bytes || !platform::FlushFile(file.get())) {
    file.Close();
    Tell(Message::kUnableToSaveSettings);
  }
}
