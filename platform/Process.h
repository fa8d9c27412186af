#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Splits a command line into program and arguments the way the program's
// command lines are written (no shell is involved):
// - words are separated by spaces and tabs;
// - a double quote starts or ends a quoted part, in which spaces and tabs are
//   kept; the quotes themselves are removed; "" inside a word adds nothing;
// - a word that holds a quoted part is an argument even when it is empty, and
//   an unterminated quote runs to the end of the line;
// - every other byte (backslashes, GBK text) is taken as it is.
// `"/opt/q/fu" "【quendic】" "` gives {"/opt/q/fu", "【quendic】", ""}.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// Starts the program named by the first word of `commandLine` (searched in
// PATH when it holds no "/") with posix_spawn; the child inherits no file
// descriptors beyond 0-2, and with `hide` those are /dev/null. With `wait`,
// blocks until the process ends; without, the process is detached (never left
// as a zombie). True when the process started; its exit status is not judged.
bool RunProgram(std::string_view commandLine, bool hide, bool wait);

// Runs `command` through "/bin/sh -c" and waits for it. True when the shell
// started, whatever the command did.
bool RunCommand(std::string_view command, bool hide);

// Opens a web address in the browser without waiting: "http://" is put in
// front when the lower-cased address holds no "http". The browser is the first
// entry of $BROWSER (":"-separated; "%s" in it stands for the address,
// otherwise the address is added as the last argument), else xdg-open. The
// address is one argument, never seen by a shell. True when the browser
// started.
bool OpenUrl(std::string_view address);

} // namespace platform
