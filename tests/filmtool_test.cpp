// filmtool and geninv as the back office and the tests use them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/settings_image.h"
#include "tests/test_support.h"

class Filmtool : public ProgramTest {
 protected:
  // Runs a command line; returns its exit status, with stdout and stderr kept.
  int Run(const std::string& arguments) {
    const std::string command = arguments + " >" + Path("out.txt") + " 2>" + Path("err.txt");
    const int status = std::system(command.c_str());
    out_ = Text("out.txt");
    err_ = Text("err.txt");
    return WEXITSTATUS(status);
  }
  std::string Text(const std::string& name) {
    std::ifstream in(Path(name));
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string Tool(const std::string& verb, const std::string& folder) {
    return std::string(FILMTOOL_PATH) + " " + verb + " " + folder;
  }
  std::string out_, err_;
};

TEST_F(Filmtool, StatsOfAGeneratedInventory) {
  std::filesystem::create_directory(Path("shop"));
  ASSERT_EQ(Run(std::string(GENINV_PATH) + " " + Path("shop/film.dat") +
                " --slots 1000 --order random --deleted 100"),
            0);
  EXPECT_EQ(std::filesystem::file_size(Path("shop/film.dat")), 1000u * kRecordSize);
  ASSERT_EQ(Run(Tool("stats", Path("shop"))), 0) << err_;
  std::istringstream lines(out_);
  std::string word;
  int slots = 0, active = 0, deleted = 0;
  lines >> word >> slots >> word >> active >> word >> deleted;
  EXPECT_EQ(slots, 1000);
  EXPECT_EQ(active + deleted, 1000);
  EXPECT_GT(deleted, 50);
  EXPECT_LT(deleted, 150);
  EXPECT_EQ(err_, "");
}

TEST_F(Filmtool, IndexAndPrefixOfASmallInventory) {
  WriteInventory({MakeRecord(5, "FIVE"), MakeRecord(0, "ZERO"), MakeRecord(3, "\xE9X")});
  ASSERT_EQ(Run(Tool("index", folder_)), 0);
  EXPECT_EQ(out_, "-1 1\n3 2\n5 0\n");
  ASSERT_EQ(Run(Tool("prefix", folder_)), 0);
  EXPECT_EQ(out_, "4649\n5a45\ne958\n");
}

TEST_F(Filmtool, MessagesGoToStandardErrorAndFailureExitsWith1) {
  WriteBytes("film.dat", Bytes(3749, 0));
  EXPECT_EQ(Run(Tool("stats", folder_)), 1);
  EXPECT_EQ(err_, "Fatal error: Data file film.dat corrupt in Opendata.\n");
  EXPECT_EQ(out_, "");
}

TEST_F(Filmtool, TheCardFolderStandsForTheStorageCard) {
  Bytes settings(kSettingsSize, 0);
  settings[40973] = 0x40;  // storage option 2.0
  WriteBytes("tallo.cfg", settings);
  std::filesystem::create_directory(Path("card"));
  WriteInventory({MakeRecord(1, "A1"), MakeRecord(2, "B2")}, "card/film.dat");
  ASSERT_EQ(Run(Tool("stats", folder_) + " --card " + Path("card")), 0);
  EXPECT_EQ(out_, "slots 2\nactive 2\ndeleted 0\n");
  ASSERT_EQ(Run(Tool("stats", folder_)), 0);
  EXPECT_EQ(err_, "Problem: No memory card.\n");
  EXPECT_EQ(out_, "slots 1\nactive 1\ndeleted 0\n");
}
