// What a command-line tool asks of the back end: its arguments and output
// in UTF-8, the folder that bare file names resolve in, a folder that stands
// for the storage card, and paths shown as the user knows them.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The command line's arguments after the program's name, as UTF-8; standard
// output and standard error then pass bytes through unchanged (no line-end
// translation) and a console shows them as UTF-8.
std::vector<std::string> StartConsole(int argc, char** argv);
// Bare names (film.dat, tallo.cfg, ...) lie in `folder` from now on.
void UseFolder(const std::string& folder);
// `folder` stands for the storage card's folder from now on, in place of
// the back end's own search for a card; "" puts the search back (Windows:
// the first removable drive; the host: no card).
void UseCardFolder(const std::string& folder);
// `path` as the user knows it: a bare name inside the folder of UseFolder.
std::string ShownPath(const std::wstring& path);

}  // namespace platform
