#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform {

// The one place where the program's files are given their full paths. The
// program folder holds the installed data and is only read; every file the
// program writes goes to the user folder (see platform/Environment.h for how
// both are chosen). Stored paths ("11\90.dat", "fu\quendic") may use "\".

// The program folder, absolute, ending with "/".
std::string ProgramFolder();

// The user folder, absolute, ending with "/". It may not exist yet; writers
// create it through UserFileForWriting.
std::string UserFolder();

// The running program file (/proc/self/exe resolved); empty when unknown.
std::string ProgramFile();

// Turns a stored or protocol path ("11\90.dat", "fu\quendic") into a native
// one ("11/90.dat"). The only place where "\" separators are translated.
std::string NativePath(std::string_view storedPath);

// True for an absolute native path (it starts with "/").
bool IsAbsolutePath(std::string_view path);

// ProgramFolder() + NativePath(path), or NativePath(path) unchanged when it
// is already absolute.
std::string InProgramFolder(std::string_view path);

// UserFolder() + NativePath(path), or NativePath(path) unchanged when it is
// already absolute. Creates nothing.
std::string InUserFolder(std::string_view path);

// InUserFolder(path) after creating the folders a relative path lies in (the
// user folder itself with mode 0700); the path is returned even when that
// failed, so the caller's write fails and reports it. An absolute path is
// returned as InUserFolder returns it, and nothing is created for it.
std::string UserFileForWriting(std::string_view path);

// True when the native path `path` names `folder` itself or something inside
// it, judged on the paths' text after "." and ".." are resolved (so
// "11/../../x" is outside); symbolic links are not followed. Both must be
// absolute.
bool IsInsideFolder(std::string_view path, std::string_view folder);

// `path` with every symbolic link resolved (also in a missing file's existing
// folders, and "." and ".." removed), when that lies inside `folder` (also
// resolved) and is not the folder itself; nothing otherwise. Both absolute.
// Judges where a write to `path` would really land.
std::optional<std::string> ResolveInsideFolder(std::string_view path, std::string_view folder);

// Where a data file is read from: the user folder's copy when there is one
// (a download or an update put it there), else the program folder's. An
// absolute path is returned unchanged.
std::string DataFile(std::string_view path);

// A scratch file of this process ("voc.tmp", "out.mp3", "voc.mp3"): the name
// inside a folder of the user folder that belongs to this process alone, so
// two running programs never overwrite each other's scratch files. The folder
// is made on first use and removed with everything in it when the process
// ends; folders left by processes that died are removed when a later process
// makes its own. Empty when the folder cannot be made.
std::string ScratchFile(std::string_view name);

} // namespace platform
