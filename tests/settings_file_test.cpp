// Saving the settings image at exit.
#include "config/settings_save.h"
#include "store/settings_image.h"
#include "tests/test_support.h"

class SaveSettings_ : public ProgramTest {};

TEST_F(SaveSettings_, ReplacesTheFileWithTheWholeImage) {
  WriteBytes("tallo.cfg", Bytes(50000, 0x77));
  SettingsImage.bytes[0] = 1;
  SetStorageOption(2.0f);
  SaveSettings();
  EXPECT_TRUE(Ui().empty());
  const Bytes saved = ReadBytes("tallo.cfg");
  ASSERT_EQ(saved.size(), kSettingsSize);
  EXPECT_EQ(Bytes(saved.begin(), saved.begin() + kSettingsSize),
            Bytes(SettingsImage.bytes, SettingsImage.bytes + kSettingsSize));
  EXPECT_GE(faults_.Count(FileOp::kFlush), 1) << "pushed to the medium";
}

TEST_F(SaveSettings_, TellsWhenTheSettingsCouldNotBeSaved) {
  const struct {
    FileOp op;
    Fault fault;
  } cases[] = {{FileOp::kOpen, Fault::kFail},
               {FileOp::kWrite, Fault::kFail},
               {FileOp::kWrite, Fault::kShort},
               {FileOp::kFlush, Fault::kFail}};
  for (const auto& c : cases) {
    FreshHost();
    faults_.Inject(c.op, 1, c.fault);
    SaveSettings();
    EXPECT_EQ(Ui(), (std::vector<std::string>{
                        "beep 0", "box none|Problem|Unable to save configuration file"}));
  }
}
