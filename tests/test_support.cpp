#include "tests/test_support.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "commands/records_state.h"
#include "platform/app_handles.h"
#include "store/journal.h"
#include "tests/kit/process_state.h"

namespace {

// The scripted user must have done all it was told: a test that expects a
// dialog or message box that never came fails here.
void ExpectScriptsUsedUp() {
  for (const std::string& error : host::ScriptErrors()) ADD_FAILURE() << "scripted user: " << error;
  EXPECT_EQ(host::UnusedDialogScripts(), 0u)
      << "dialog scripts queued for dialogs that never opened";
  EXPECT_EQ(host::UnusedMessageBoxAnswers(), 0u)
      << "message-box answers queued for boxes that never came";
}

void ResetEverything() {
  ResetProcessState();
  host::ResetHost();
  MainWindow = host::MainWindowStandIn();
  static const bool loaded = host::LoadDialogTemplates(TALLO_RES_PATH);
  ASSERT_TRUE(loaded);
}

}  // namespace

void host::ResetHost() {
  platform::host::ResetHost();
  testkit::ResetScriptedUser();
}

void ProgramTest::SetUp() {
  // A folder of its own per test, so that parallel test processes never meet.
  static std::random_device entropy;
  namespace fs = std::filesystem;
  do {
    folder_ = (fs::temp_directory_path() / ("tallo-test-" + std::to_string(entropy()))).string();
  } while (!fs::create_directory(folder_));
  platform::SetEnv(&faults_);
  platform::SetUi(&testkit::ScriptedUser());
  ResetEverything();
  host::SetWorkingFolder(folder_);
}

void ProgramTest::TearDown() {
  ExpectScriptsUsedUp();
  ResetEverything();
  faults_.Reset();
  platform::SetEnv(nullptr);
  platform::SetUi(nullptr);
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void ProgramTest::Restart() {
  ExpectScriptsUsedUp();
  ResetEverything();
  faults_.Reset();
  host::SetWorkingFolder(folder_);
}

void ProgramTest::FreshHost() {
  ExpectScriptsUsedUp();
  host::ResetHost();
  faults_.Reset();
  host::SetWorkingFolder(folder_);
  MainWindow = host::MainWindowStandIn();
}

void ProgramTest::WriteBytes(const std::string& name, const Bytes& bytes) const {
  std::ofstream out(Path(name), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good());
}

Bytes ProgramTest::ReadBytes(const std::string& name) const {
  std::ifstream in(Path(name), std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool ProgramTest::Exists(const std::string& name) const {
  return std::filesystem::exists(Path(name));
}

void ProgramTest::WriteInventory(const std::vector<InventoryRecord>& records,
                                 const std::string& name) const {
  WriteBytes(name, InventoryBytes(records));
}

bool ProgramTest::WholeJournal(const std::string& name) const {
  JournalGroup group;
  const Bytes bytes = ReadBytes(name);
  return DecodeAnyJournal(bytes.data(), bytes.size(), &group);
}

std::vector<std::string> ProgramTest::Ui() const {
  std::vector<std::string> lines;
  for (const auto& e : host::Events()) {
    if (e.kind == host::UiEvent::Kind::kBeep) {
      lines.push_back("beep " + std::to_string(e.sound));
    } else if (e.kind == host::UiEvent::Kind::kDialog) {
      lines.push_back("dialog " + std::to_string(e.sound) + " " + e.owner);
    } else {
      lines.push_back("box " + e.owner + "|" + host::Narrow(e.caption) + "|" +
                      host::Narrow(e.text) +
                      (e.style != 0 ? "|style " + std::to_string(e.style) : ""));
    }
  }
  return lines;
}
