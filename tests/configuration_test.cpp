// The configuration dialog: counts, the amend-focus choice, and the switch
// between the device and the storage card.
#include "config/configuration.h"

#include <cstring>

#include "store/settings_image.h"
#include "tests/records_fixture.h"

class Configuration : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    Open(std::vector<Item>{{1, "ONE"}, {-1, ""}, {3, "THREE"}});
  }
  DialogResult Run(Script script) {
    host::QueueDialog(script);
    return ConfigurationCommand();
  }
};

TEST_F(Configuration, ShowsTheCountsAndTheFocusChoice) {
  EXPECT_EQ(Run(Script(IDD_CONFIGURATION).Click(IDOK)), DialogResult::kOk);
  const host::DialogSnapshot& shown = Shown(0);
  EXPECT_EQ(shown.title, L"Tallo Configuration");
  EXPECT_EQ(shown.Text(IDC_RECORDS), L"3");
  EXPECT_EQ(shown.Text(IDC_ACTIVE), L"2");
  EXPECT_EQ(shown.Text(IDC_DELETED), L"1");
  EXPECT_EQ(shown.checked, (std::vector<int>{IDC_FOCUS_QUANTITY}));
  EXPECT_EQ(Runs()[0].owner, "main");
  EXPECT_TRUE(AmendFocusOption() == 0.0f);
}

TEST_F(Configuration, OkStoresTheFocusChoiceCancelAndCloseDoNot) {
  Run(Script(IDD_CONFIGURATION).Click(IDC_FOCUS_PRICE).Click(IDOK));
  EXPECT_EQ(
      Bytes(SettingsImage.bytes + kAmendFocusOffset, SettingsImage.bytes + kAmendFocusOffset + 4),
      (Bytes{0, 0, 0, 0x40}));
  EXPECT_EQ(Run(Script(IDD_CONFIGURATION).Click(IDC_FOCUS_QUANTITY).Click(IDCANCEL)),
            DialogResult::kCancelled);
  EXPECT_TRUE(AmendFocusOption() == 2.0f);
  EXPECT_EQ(Run(Script(IDD_CONFIGURATION).Click(IDC_FOCUS_QUANTITY).Close()),
            DialogResult::kCancelled);
  EXPECT_TRUE(AmendFocusOption() == 2.0f);
  Run(Script(IDD_CONFIGURATION).Click(IDC_FOCUS_QUANTITY).Click(IDOK));
  EXPECT_EQ(
      Bytes(SettingsImage.bytes + kAmendFocusOffset, SettingsImage.bytes + kAmendFocusOffset + 4),
      Bytes(4, 0));
}

TEST_F(Configuration, AnyFocusValueButZeroMeansPrice) {
  SetAmendFocusOption(1.0f);
  Run(Script(IDD_CONFIGURATION).Click(IDCANCEL));
  EXPECT_EQ(Shown(0).checked, (std::vector<int>{IDC_FOCUS_PRICE}));
}

TEST_F(Configuration, SwitchesFromTheCardToTheDeviceWithoutLookingForACard) {
  SetStorageOption(2.0f);
  DataPath = L"\\Storage Card\\film.dat";
  EXPECT_EQ(Run(Script(IDD_CONFIGURATION).Click(IDC_FOCUS_PRICE).Click(IDC_STORAGE)),
            DialogResult::kCancelled);
  EXPECT_EQ(Ui(), (Lines{"dialog 133 main", "box dialog 133|Using|My device\\film.dat",
                         "box dialog 133|Please restart|to take effect"}));
  int code = -1;
  EXPECT_TRUE(host::QuitRequested(&code));
  EXPECT_EQ(code, 0);
  EXPECT_EQ(DataPath, L"film.dat");
  EXPECT_EQ(Bytes(SettingsImage.bytes + kStorageOffset, SettingsImage.bytes + kStorageOffset + 4),
            Bytes(4, 0));
  EXPECT_TRUE(AmendFocusOption() == 0.0f) << "a switch does not store the radio choice";
}

TEST_F(Configuration, SwitchesToTheCardShowingItsPath) {
  host::SetStorageCard(host::CardState::kPresent, L"\\Storage Card");
  Run(Script(IDD_CONFIGURATION).Click(IDC_STORAGE));
  EXPECT_EQ(Ui(), (Lines{"dialog 133 main", "box dialog 133|Using|\\Storage Card\\film.dat",
                         "box dialog 133|Please restart|to take effect"}));
  EXPECT_TRUE(host::QuitRequested());
  EXPECT_EQ(DataPath, L"\\Storage Card\\film.dat");
  EXPECT_EQ(Bytes(SettingsImage.bytes + kStorageOffset, SettingsImage.bytes + kStorageOffset + 4),
            (Bytes{0, 0, 0, 0x40}));
}

TEST_F(Configuration, WithoutAUsableCardTheDialogStaysAndNothingChanges) {
  const struct {
    host::CardState card;
    const char* text;
  } cases[] = {{host::CardState::kAbsent, "No memory card."},
               {host::CardState::kUnreadable, "No memory card detail"}};
  for (const auto& c : cases) {
    FreshHost();
    host::SetStorageCard(c.card);
    SetStorageOption(1.0f);  // neither 0.0 nor 2.0: counts as the device here
    EXPECT_EQ(Run(Script(IDD_CONFIGURATION).Click(IDC_STORAGE).Click(IDC_FOCUS_PRICE).Click(IDOK)),
              DialogResult::kOk);
    EXPECT_EQ(Ui(), (Lines{"dialog 133 main", "beep 0",
                           std::string("box dialog 133|Problem|") + c.text}));
    EXPECT_FALSE(host::QuitRequested());
    EXPECT_TRUE(StorageOption() == 1.0f);
    EXPECT_EQ(DataPath, L"film.dat");
    EXPECT_TRUE(AmendFocusOption() == 2.0f) << "OK still works";
  }
}

TEST_F(Configuration, AFailedFindRecordAllocationDoesNothing) {
  host::SetStorageCard(host::CardState::kPresent, L"\\Storage Card");
  faults_.InjectAllocationFault(1);
  Run(Script(IDD_CONFIGURATION).Click(IDC_STORAGE).Click(IDCANCEL));
  EXPECT_EQ(Ui(), (Lines{"dialog 133 main"}));
  EXPECT_TRUE(StorageOption() == 0.0f);
}
