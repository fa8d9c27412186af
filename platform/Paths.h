#pragma once

#include <string>
#include <string_view>

namespace platform {

// The program folder: $QUENDIC_HOME when set and not empty, else the folder of
// the running executable (/proc/self/exe). Always ends with "/". Every data
// file is addressed relative to it.
std::string ProgramFolder();

// The running program file (/proc/self/exe resolved); empty when unknown.
std::string ProgramFile();

// Turns a stored or protocol path ("11\90.dat", "fu\quendic") into a native
// one ("11/90.dat"). The only place where "\" separators are translated.
std::string NativePath(std::string_view storedPath);

// True for an absolute native path (it starts with "/").
bool IsAbsolutePath(std::string_view path);

// ProgramFolder() + NativePath(relative), or NativePath(path) unchanged when it
// is already absolute.
std::string InProgramFolder(std::string_view path);

} // namespace platform
