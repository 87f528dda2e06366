#include "tests/test_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/app_handles.h"
#include "records/records_state.h"
#include "store/store_state.h"

void ProgramTest::SetUp() {
  // A folder of its own per test, so that parallel test processes never meet.
  static std::random_device entropy;
  namespace fs = std::filesystem;
  do {
    folder_ = (fs::temp_directory_path() / ("tallo-test-" + std::to_string(entropy()))).string();
  } while (!fs::create_directory(folder_));
  ResetProgramState();
  platform::host::SetWorkingFolder(folder_);
}

void ProgramTest::Restart() {
  ResetProgramState();
  platform::host::SetWorkingFolder(folder_);
}

void ProgramTest::FreshHost() {
  platform::host::ResetHost();
  platform::host::SetWorkingFolder(folder_);
  MainWindow = platform::host::MainWindowStandIn();
}

void ResetProgramState() {
  ResetStoreState();
  ResetRecordsState();
  platform::host::ResetHost();
  MainWindow = platform::host::MainWindowStandIn();
  static const bool loaded = platform::host::LoadDialogTemplates(TALLO_RC_PATH, TALLO_IDS_PATH);
  ASSERT_TRUE(loaded);
}

void ProgramTest::TearDown() {
  ResetProgramState();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
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
  Bytes bytes;
  for (const InventoryRecord& r : records)
    bytes.insert(bytes.end(), r.bytes, r.bytes + kRecordSize);
  WriteBytes(name, bytes);
}

std::vector<std::string> ProgramTest::Ui() const {
  std::vector<std::string> lines;
  for (const auto& e : platform::host::Events()) {
    if (e.kind == platform::host::UiEvent::Kind::kBeep) {
      lines.push_back("beep " + std::to_string(e.sound));
    } else if (e.kind == platform::host::UiEvent::Kind::kDialog) {
      lines.push_back("dialog " + std::to_string(e.sound) + " " + e.owner);
    } else {
      lines.push_back("box " + e.owner + "|" + platform::host::Narrow(e.caption) + "|" +
                      platform::host::Narrow(e.text) +
                      (e.style != 0 ? "|style " + std::to_string(e.style) : ""));
    }
  }
  return lines;
}

InventoryRecord MakeRecord(int64_t number, const std::string& description, uint8_t seed) {
  InventoryRecord r;
  for (uint32_t i = 0; i < kRecordSize; ++i)
    r.bytes[i] = static_cast<uint8_t>(i * 31 + seed * 7 + 1);
  SetRecordNumber(r, number);
  std::memcpy(r.bytes + kDescriptionOffset, description.c_str(), description.size() + 1);
  return r;
}

Bytes RecordBytes(const InventoryRecord& record) {
  return Bytes(record.bytes, record.bytes + kRecordSize);
}
