#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace standin {

// The service desk's commands of quendic-service, run on the same database
// file as a running server (SQLite serialises the writers):
//
//   reply (--db FILE | --data DIR) [--to CLIENT] [--name NAME] [--] TEXT...
//       adds TEXT (the words joined by blanks) as an answer of the desk named
//       NAME (default "客服") to the user CLIENT (eight hexadecimal digits, as
//       `chat` lists them; default: the user who wrote last). The user's
//       window shows it at its next poll.
//   chat (--db FILE | --data DIR) [--last N]
//       lists the latest N messages (default 20): record id, client, time,
//       and "name: message", the desk's marked with "*".
//
// Texts on the command line and in the output are UTF-8; they are kept GBK.
// `args` starts with the command word. Returns the exit status: 0 done, 1 the
// database cannot be used or there is nobody to answer, 2 bad usage (with a
// message on `err`).
int RunDeskCommand(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// True when `command` names one of the desk's commands.
bool IsDeskCommand(const std::string& command);

} // namespace standin
