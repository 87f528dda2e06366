#include "config/settings_save.h"

#include "messages/messages.h"
#include "store/settings_file.h"

void SaveSettings() {
  if (!WriteSettingsFile().ok()) Tell(Message::kUnableToSaveSettings);
}
