// Folders and files as the user names them (UTF-8, relative to the working
// folder), for the back office's command line and its window alike.
#pragma once

#include <string>

// Whether `path` names a folder.
bool IsFolder(const std::string& path);
// `path` made whole from the working folder; as given when it cannot be.
std::string Absolute(const std::string& path);
