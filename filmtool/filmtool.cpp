// filmtool: the back office's window into an inventory, over the program's
// own store. See Usage() and the README.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "filmtool/message_echo.h"
#include "filmtool/output.h"
#include "filmtool/tool.h"
#include "office/fields.h"
#include "office/folders.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "platform/console.h"
#include "store/field_rules.h"
#include "store/load_inventory.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

// Names the code page for shops that always use the same one.
constexpr const char* kCodePageVariable = "FILMTOOL_CODEPAGE";

// The limits of tax and category come from the amend dialog's own rules.
std::string UsageText() {
  std::string text =
      "usage: filmtool COMMAND DIR [ARGUMENTS] [--card FOLDER] [--codepage N]\n"
      "\n"
      "DIR holds film.dat and tallo.cfg; --card FOLDER makes FOLDER stand for the\n"
      "storage card's folder (otherwise there is no card). Messages the program\n"
      "would show go to standard error as \"caption: text\".\n"
      "\n"
      "--codepage N names the Windows code page of film.dat's texts, the\n"
      "handheld's, one of\n"
      "  @PAGES@;\n"
      "without it the environment variable @VARIABLE@ names it, and\n"
      "without that the system's code page is used on Windows and 1252\n"
      "elsewhere.\n"
      "\n"
      "  stats DIR                      slots, active and deleted counts\n"
      "  index DIR                      the used index entries, \"number slot\" a line\n"
      "  prefix DIR                     each slot's two prefix bytes in hex\n"
      "  check DIR                      every problem of the file, then a summary;\n"
      "                                 exit 0 none, 2 problems, 1 unreadable\n"
      "  export DIR [FILE.xlsx] [--all] the records as a workbook FILE.xlsx, or as\n"
      "                                 CSV on standard output (deleted slots only\n"
      "                                 with --all)\n"
      "  amend DIR NUMBER FIELD=VALUE...  change item NUMBER as the amend dialog\n"
      "                                 would; fields: description, sku, in_stock,\n"
      "                                 tax (0-@TAX@), cost_price, trade_price, price,\n"
      "                                 category (0-@CATEGORY@)\n"
      "  delete DIR NUMBER              delete item NUMBER, as Delete does once\n"
      "                                 confirmed\n"
      "  import DIR FILE.csv [--dry-run] [--add] [--overwrite]\n"
      "                                 the rows of an export, edited, back into\n"
      "                                 film.dat (FILE.csv - reads standard input):\n"
      "                                 every row checked first, then only the fields\n"
      "                                 the sheet changed written, as amend writes\n"
      "                                 them; a field changed in film.dat since the\n"
      "                                 export too refuses the sheet, and so does a\n"
      "                                 value of a row without a version mark that\n"
      "                                 differs from film.dat's, unless --overwrite\n"
      "                                 takes the sheet's value; --dry-run lists the\n"
      "                                 writes; --add appends rows of new numbers as\n"
      "                                 items\n"
      "\n"
      "amend, delete and import exit 0 when the change is in the file, 1 otherwise\n"
      "(the file is then unchanged, or for import every record old or new); the\n"
      "other commands exit 1 when the inventory cannot be opened. Only import --add\n"
      "makes a film.dat; changes need a folder that can be written, for the journal.\n";
  const auto fill = [&text](const std::string& key, uint32_t value) {
    text.replace(text.find(key), key.size(), std::to_string(value));
  };
  fill("@TAX@", kTaxChoiceCount - 1);
  fill("@CATEGORY@", kCategoryLimit - 1);
  std::string pages;
  for (unsigned page : kCodePages) pages += (pages.empty() ? "" : ", ") + std::to_string(page);
  text.replace(text.find("@PAGES@"), 7, pages);
  text.replace(text.find("@VARIABLE@"), 10, kCodePageVariable);
  return text;
}

int Usage(std::FILE* out, int status) {
  std::fputs(UsageText().c_str(), out);
  return status;
}

struct Options {
  bool all = false;
  bool dryRun = false;
  bool add = false;
  bool overwrite = false;
};

// Each command with the count of words it takes after DIR and the options
// it takes.
struct Command {
  const char* name;
  size_t leastArguments;
  size_t mostArguments;
  bool takesAll;
  bool takesImportOptions;  // --dry-run, --add, --overwrite
  bool takesFile;           // its first argument names a file
  int (*run)(const std::vector<std::string>& arguments, const Options& options);
};

constexpr size_t kAny = SIZE_MAX;
const Command kCommands[] = {
    {"stats", 0, 0, false, false, false, [](const auto&, const Options&) { return Stats(); }},
    {"index", 0, 0, false, false, false, [](const auto&, const Options&) { return Index(); }},
    {"prefix", 0, 0, false, false, false, [](const auto&, const Options&) { return Prefix(); }},
    {"check", 0, 0, false, false, false, [](const auto&, const Options&) { return Check(); }},
    {"export", 0, 1, true, false, true,
     [](const auto& a, const Options& o) { return Export(o.all, a.empty() ? "" : a[0]); }},
    {"amend", 2, kAny, false, false, false,
     [](const auto& a, const Options&) {
       return Amend(a[0], std::vector<std::string>(a.begin() + 1, a.end()));
     }},
    {"delete", 1, 1, false, false, false,
     [](const auto& a, const Options&) { return Delete(a[0]); }},
    {"import", 1, 1, false, true, true,
     [](const auto& a, const Options& o) { return Import(a[0], o.dryRun, o.add, o.overwrite); }},
};

const Command* FindCommand(const std::string& name) {
  for (const Command& c : kCommands) {
    if (name == c.name) return &c;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = platform::StartConsole(argc, argv);
  std::vector<std::string> words;
  std::string card;
  bool cardGiven = false;
  Options options;
  std::string codePageFrom = std::string(kCodePageVariable) + "=";
  const char* variable = std::getenv(kCodePageVariable);
  std::string codePage = variable == nullptr ? "" : variable;
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word == "--help" || word == "-h") return Usage(stdout, 0);
    if (word == "--card" && i + 1 < arguments.size()) {
      card = arguments[++i];
      cardGiven = true;
    } else if (word == "--codepage" && i + 1 < arguments.size()) {
      codePage = arguments[++i];
      codePageFrom = word + " ";
    } else if (word == "--all") {
      options.all = true;
    } else if (word == "--dry-run") {
      options.dryRun = true;
    } else if (word == "--add") {
      options.add = true;
    } else if (word == "--overwrite") {
      options.overwrite = true;
    } else if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
      Tell("unknown option: " + word);
      return Usage(stderr, 2);
    } else {
      words.push_back(word);
    }
  }
  if (words.empty()) return Usage(stderr, 2);
  const Command* command = FindCommand(words[0]);
  if (command == nullptr) {
    Tell("unknown command: " + words[0]);
    return Usage(stderr, 2);
  }
  const std::vector<std::string> rest(words.begin() + std::min<size_t>(2, words.size()),
                                      words.end());
  if (words.size() < 2 || rest.size() < command->leastArguments ||
      rest.size() > command->mostArguments || (options.all && !command->takesAll) ||
      ((options.dryRun || options.add || options.overwrite) && !command->takesImportOptions)) {
    Tell("not the arguments " + words[0] + " takes");
    return Usage(stderr, 2);
  }
  // Before anything is read, so that no text is ever taken in another one.
  const std::string refused = ChooseCodePage(codePage);
  if (!refused.empty()) {
    Tell(codePageFrom + codePage + ": " + refused);
    return 2;
  }
  const std::string& folder = words[1];
  // An empty folder would be the current one: an unset variable in a
  // script must not change whatever film.dat lies there.
  if (folder.empty() || (cardGiven && card.empty())) {
    Tell(std::string("the ") + (folder.empty() ? "folder" : "card folder") +
         " is empty: give the folder by its name (. for this one)");
    return 2;
  }
  for (const std::string& f : {folder, card}) {
    if (!f.empty() && !IsFolder(f)) {
      Tell(f + ": no such folder");
      return 1;
    }
  }

  // A file named on the command line is found from where the tool started.
  std::vector<std::string> named = rest;
  if (command->takesFile && !named.empty() && named[0] != "-") named[0] = Absolute(named[0]);
  platform::UseFolder(folder);
  // Found from where the tool started, as every other path is.
  if (!card.empty()) platform::UseCardFolder(Absolute(card));
  platform::SetUi(&MessageEcho());

  int status = 1;
  try {
    status = command->run(named, options);
  } catch (const std::bad_alloc&) {
    // Nothing is written before every row is checked; a write under way
    // stopped here leaves its journal, which the next start settles.
    Tell("not enough memory for this command");
    return 1;
  }
  return FinishOutput() ? status : 1;
}
