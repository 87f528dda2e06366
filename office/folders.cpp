#include "office/folders.h"

#include <filesystem>
#include <system_error>

bool IsFolder(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(std::filesystem::u8path(path), error);
}

std::string Absolute(const std::string& path) {
  std::error_code error;
  const std::filesystem::path whole =
      std::filesystem::absolute(std::filesystem::u8path(path), error);
  return error ? path : whole.u8string();
}
