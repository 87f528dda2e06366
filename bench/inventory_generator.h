// Synthetic film.dat files for tests and benchmarks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class NumberOrder { kAscending, kRandom, kDescending };

struct GeneratorOptions {
  uint32_t slots = 100;
  NumberOrder order = NumberOrder::kAscending;
  uint32_t duplicates = 0;  // slots that repeat another slot's number
  uint32_t deleted = 0;     // slots in the deleted form
  uint32_t zeros = 0;       // slots whose stored number is 0
  uint32_t negatives = 0;   // slots with a stored number below -1
  bool opaqueNoise = true;  // fill the bytes the program never reads with noise
  uint64_t seed = 1;
  // The words descriptions are made of, as narrow text; empty: upper-case
  // English words.
  std::vector<std::string> words;
  // Descriptions that walk through every pair of bytes from 80 01 to FF FF
  // (no pair with a zero byte), 40 pairs a slot, whatever they mean in a
  // code page: for tests of text conversion.
  bool bytePairs = false;
  // The first slots' descriptions and SKUs are texts a spreadsheet may take
  // for something else (numbers with leading zeros or an exponent,
  // fractions, dates, formulas, blanks at the ends, the workbook format's
  // own escapes, markup, control characters, letters beyond ASCII in
  // Windows-1252): for trials of the sheets.
  bool oddTexts = false;
};

// Writes the inventory to `path`. Live numbers are 1..slots in the chosen
// order (before duplicates, deletions and zeros take some slots over);
// descriptions are upper-case words from a list. False when writing fails.
bool GenerateInventory(const GeneratorOptions& options, const std::string& path);

// The same record that GenerateInventory writes into `slot`, for checks.
void GenerateRecord(const GeneratorOptions& options, uint32_t slot, uint8_t* record);
