// The code pages the handheld's film.dat may be in, each with the name a
// shop owner knows it by: one table for the back office's check of a
// chosen page, the window's list and the host's conversions.
#pragma once

#include <array>
#include <cstddef>

struct CodePage {
  unsigned number;
  const char* name;
};
constexpr CodePage kCodePageTable[] = {
    {874, "Thai"},
    {932, "Japanese"},
    {936, "Chinese (simplified)"},
    {949, "Korean"},
    {950, "Chinese (traditional)"},
    {1250, "Central European"},
    {1251, "Cyrillic"},
    {1252, "Western"},
    {1253, "Greek"},
    {1254, "Turkish"},
    {1255, "Hebrew"},
    {1256, "Arabic"},
    {1257, "Baltic"},
    {1258, "Vietnamese"},
};

// Their numbers alone, in the table's order.
constexpr std::array<unsigned, std::size(kCodePageTable)> CodePageNumbers() {
  std::array<unsigned, std::size(kCodePageTable)> numbers{};
  for (size_t i = 0; i < numbers.size(); ++i) numbers[i] = kCodePageTable[i].number;
  return numbers;
}
constexpr std::array<unsigned, std::size(kCodePageTable)> kCodePages = CodePageNumbers();
