// The prompt, view and amend dialogs over the scripted user.
#include <cmath>
#include <cstring>

#include "records/item_dialogs.h"
#include "records/prompt_dialog.h"
#include "store/settings_image.h"
#include "tests/records_fixture.h"

class PromptDialog : public RecordsTest {};

TEST_F(PromptDialog, AsksTheQuestionAndReturnsTheAnswerInCapitals) {
  std::strcpy(InputText, "Find number / description");
  host::QueueDialog(Answer(L"red hat"));
  EXPECT_EQ(RunPromptDialog(), DialogResult::kOk);
  EXPECT_STREQ(InputText, "RED HAT");
  const host::DialogSnapshot& shown = Shown(0);
  EXPECT_EQ(shown.title, L"Find number / description");
  EXPECT_EQ(shown.Text(IDC_PROMPT_ANSWER), L"");
  EXPECT_EQ(shown.focus, IDC_PROMPT_ANSWER);
  EXPECT_EQ(Runs()[0].owner, "main");
}

TEST_F(PromptDialog, CutsLongAnswersAndAcceptsAnEmptyOne) {
  std::strcpy(InputText, "Q");
  host::QueueDialog(Answer(std::wstring(45, L'A')));
  EXPECT_EQ(RunPromptDialog(), DialogResult::kOk);
  EXPECT_EQ(std::string(InputText), std::string(39, 'A'));

  host::QueueDialog(Script(IDD_PROMPT).Click(IDOK));
  EXPECT_EQ(RunPromptDialog(), DialogResult::kOk);
  EXPECT_STREQ(InputText, "");
}

TEST_F(PromptDialog, CancelAndCloseKeepTheQuestion) {
  std::strcpy(InputText, "Q?");
  host::QueueDialog(Script(IDD_PROMPT).Type(IDC_PROMPT_ANSWER, L"12").Click(IDCANCEL));
  host::QueueDialog(Script(IDD_PROMPT).Type(IDC_PROMPT_ANSWER, L"12").Close());
  EXPECT_EQ(RunPromptDialog(), DialogResult::kCancelled);
  EXPECT_EQ(RunPromptDialog(), DialogResult::kCancelled);
  EXPECT_STREQ(InputText, "Q?");
}

TEST_F(PromptDialog, ShowsScratchTextAsTheInitialAnswer) {
  std::strcpy(ScratchText, "42");
  host::QueueDialog(Script(IDD_PROMPT).Click(IDOK));
  RunPromptDialog();
  EXPECT_EQ(Shown(0).Text(IDC_PROMPT_ANSWER), L"42");
  EXPECT_STREQ(InputText, "42");
}

class ItemDialogs : public RecordsTest {
 protected:
  void SetUp() override {
    RecordsTest::SetUp();
    CurrentRecord = MakeItem({1042, "RED HAT", "SKU-7", 12, 2.5f, 1.999f, 0.126f, 25, 2});
  }
  // Runs the amend dialog with these steps and OK.
  void Amend(Script script) {
    host::QueueDialog(script.Click(IDOK));
    ASSERT_EQ(RunAmendDialog(), DialogResult::kOk);
  }
};

TEST_F(ItemDialogs, TheViewShowsEveryField) {
  host::QueueDialog(Script(IDD_VIEW).Click(IDOK));
  EXPECT_EQ(ShowItemView(), DialogResult::kOk);
  const host::DialogSnapshot& s = Shown(0);
  EXPECT_EQ(s.title, L"Inventory");
  EXPECT_EQ(s.Text(IDC_NUMBER), L"1042");
  EXPECT_EQ(s.Text(IDC_DESCRIPTION), L"RED HAT");
  EXPECT_EQ(s.Text(IDC_SKU1), L"SKU-7");
  EXPECT_EQ(s.Text(IDC_IN_STOCK), L"12");
  EXPECT_EQ(s.Text(IDC_PRICE), L"2.50");
  EXPECT_EQ(s.Text(IDC_COST_PRICE), L"2.00");
  EXPECT_EQ(s.Text(IDC_TRADE_PRICE), L"0.13");
  EXPECT_EQ(s.Text(IDC_CATEGORY), L"25");
  EXPECT_EQ(s.Text(IDC_TAX), L"1");
  EXPECT_EQ(s.selection, 2);
  EXPECT_EQ(s.focus, IDOK) << "the first tab stop";
  EXPECT_EQ(Runs()[0].owner, "main");
}

TEST_F(ItemDialogs, TextsWithoutATerminatorAreShownUpToTheirFieldsEnd) {
  std::memset(CurrentRecord.bytes + kDescriptionOffset, 'D', kDescriptionSize);
  std::memset(CurrentRecord.bytes + kSku1Offset, 'S', kSku1Size);
  host::QueueDialog(Script(IDD_VIEW).Close());
  EXPECT_EQ(ShowItemView(), DialogResult::kCancelled);
  EXPECT_EQ(Shown(0).Text(IDC_DESCRIPTION), std::wstring(kDescriptionSize, L'D'));
  EXPECT_EQ(Shown(0).Text(IDC_SKU1), std::wstring(199, L'S'));
}

TEST_F(ItemDialogs, AStoredTaxOutsideTheListShowsNoChoiceAndStays) {
  SetRecordTax(CurrentRecord, 7);
  Amend(Script(IDD_AMEND));
  EXPECT_EQ(Shown(0).selection, -1);
  EXPECT_EQ(RecordTax(CurrentRecord), 7u);
  Amend(Script(IDD_AMEND).Pick(IDC_TAX, 3));
  EXPECT_EQ(RecordTax(CurrentRecord), 3u);
}

TEST_F(ItemDialogs, TheAmendDialogFocusesTheChosenField) {
  const struct {
    float option;
    int focus;
  } cases[] = {{0.0f, IDC_IN_STOCK}, {-0.0f, IDC_IN_STOCK}, {2.0f, IDC_PRICE}, {1.0f, IDC_PRICE}};
  for (const auto& c : cases) {
    FreshHost();
    SetAmendFocusOption(c.option);
    host::QueueDialog(Script(IDD_AMEND).Click(IDCANCEL));
    EXPECT_EQ(RunAmendDialog(), DialogResult::kCancelled);
    EXPECT_EQ(Shown(0).title, L"Amend inventory");
    EXPECT_EQ(Shown(0).focus, c.focus) << c.option;
    EXPECT_TRUE(Shown(0).focusAllSelected);
  }
}

TEST_F(ItemDialogs, UnchangedFieldsComeBackAsTheyWere) {
  const Bytes before = RecordBytes(CurrentRecord);
  Amend(Script(IDD_AMEND));
  Bytes expected = before;
  // Only what is stored through "%.2f" changes: Price 2.5 stays, the Cost
  // price of 1.999 (shown as 2.00) becomes 2.0, the Trade price 0.126 0.13.
  InventoryRecord r;
  std::memcpy(r.bytes, expected.data(), kRecordSize);
  SetRecordCostPrice(r, 2.0f);
  SetRecordTradePrice(r, 0.13f);
  EXPECT_EQ(RecordBytes(CurrentRecord), RecordBytes(r));
  EXPECT_EQ(RecordCategory(CurrentRecord), 25u) << "a stored category of 25 stays";
}

TEST_F(ItemDialogs, NumbersAreStoredUnderTheirRules) {
  Amend(Script(IDD_AMEND).SetText(IDC_IN_STOCK, L"2147483648").SetText(IDC_CATEGORY, L"18"));
  EXPECT_EQ(RecordInStock(CurrentRecord), 12u);
  EXPECT_EQ(RecordCategory(CurrentRecord), 25u);
  Amend(Script(IDD_AMEND).SetText(IDC_IN_STOCK, L"2147483647").SetText(IDC_CATEGORY, L"17"));
  EXPECT_EQ(RecordInStock(CurrentRecord), 2147483647u);
  EXPECT_EQ(RecordCategory(CurrentRecord), 17u);
  Amend(Script(IDD_AMEND).SetText(IDC_IN_STOCK, L"").SetText(IDC_CATEGORY, L"abc"));
  EXPECT_EQ(RecordInStock(CurrentRecord), 0u);
  EXPECT_EQ(RecordCategory(CurrentRecord), 0u);
  Amend(Script(IDD_AMEND).SetText(IDC_IN_STOCK, L" 12abc").SetText(IDC_CATEGORY, L"-5"));
  EXPECT_EQ(RecordInStock(CurrentRecord), 12u);
  EXPECT_EQ(RecordCategory(CurrentRecord), 0u) << "-5 reads as 4294967291";
}

TEST_F(ItemDialogs, PriceIsRoundedToTwoDecimalsTheOtherPricesAreNot) {
  Amend(Script(IDD_AMEND)
            .SetText(IDC_PRICE, L"1.999")
            .SetText(IDC_COST_PRICE, L"1.999")
            .SetText(IDC_TRADE_PRICE, L"2.999x"));
  EXPECT_EQ(RecordPrice(CurrentRecord), 2.0f);
  EXPECT_EQ(RecordCostPrice(CurrentRecord), 1.999f);
  EXPECT_EQ(RecordTradePrice(CurrentRecord), 2.999f);
  Amend(Script(IDD_AMEND).SetText(IDC_PRICE, L"").SetText(IDC_COST_PRICE, L"none"));
  EXPECT_EQ(RecordPrice(CurrentRecord), 0.0f);
  EXPECT_EQ(RecordCostPrice(CurrentRecord), 0.0f);
}

TEST_F(ItemDialogs, APriceBeyondAFloatKeepsTheOldValue) {
  Amend(Script(IDD_AMEND)
            .SetText(IDC_PRICE, L"1e39")
            .SetText(IDC_COST_PRICE, L"-1e999")
            .SetText(IDC_TRADE_PRICE, L"3.4e38"));
  EXPECT_EQ(RecordPrice(CurrentRecord), 2.5f);
  EXPECT_EQ(RecordCostPrice(CurrentRecord), 1.999f);
  EXPECT_EQ(RecordTradePrice(CurrentRecord), 3.4e38f);
}

TEST_F(ItemDialogs, TextsAreCutTo38CharactersAndKeepTheBytesBehind) {
  std::memcpy(CurrentRecord.bytes + kDescriptionOffset, "ABCDEF", 7);
  Amend(
      Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"xy").SetText(IDC_SKU1, std::wstring(45, L'K')));
  const uint8_t* d = CurrentRecord.bytes + kDescriptionOffset;
  EXPECT_EQ(Bytes(d, d + 7), (Bytes{'X', 'Y', 0, 'D', 'E', 'F', 0}));
  const uint8_t* sku = CurrentRecord.bytes + kSku1Offset;
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(sku)), std::string(38, 'K'));
}

TEST_F(ItemDialogs, TypingIntoTheFocusedFieldReplacesItsSelectedText) {
  SetAmendFocusOption(0.0f);
  Amend(Script(IDD_AMEND).Type(IDC_IN_STOCK, L"7x"));
  EXPECT_EQ(RecordInStock(CurrentRecord), 7u);
}

TEST_F(ItemDialogs, CancelLeavesTheRecordUntouched) {
  const Bytes before = RecordBytes(CurrentRecord);
  host::QueueDialog(Script(IDD_AMEND)
                        .SetText(IDC_DESCRIPTION, L"NEW")
                        .SetText(IDC_SKU1, L"NEW")
                        .SetText(IDC_IN_STOCK, L"1")
                        .SetText(IDC_PRICE, L"9")
                        .SetText(IDC_COST_PRICE, L"9")
                        .SetText(IDC_TRADE_PRICE, L"9")
                        .SetText(IDC_CATEGORY, L"1")
                        .Pick(IDC_TAX, 0)
                        .Click(IDCANCEL));
  host::QueueDialog(Script(IDD_AMEND).SetText(IDC_DESCRIPTION, L"NEW").Close());
  EXPECT_EQ(RunAmendDialog(), DialogResult::kCancelled);
  EXPECT_EQ(RunAmendDialog(), DialogResult::kCancelled);
  EXPECT_EQ(RecordBytes(CurrentRecord), before);
}
