#pragma once

#include "TestFolders.h"

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// What a finished program left: exit status (-1 when it did not exit
// normally), its output streams and its peak resident memory.
struct ProgramRun {
    int Exit = -1;
    std::string Out;
    std::string Err;
    // Linux counts the memory of the spawning process (this test, large under
    // the sanitizers) into the child's peak, so a peak no higher than this
    // process's own before the spawn says nothing about the child and is 0.
    // That own peak is first lowered to what the test holds at the spawn.
    // Always 0 in a sanitizer build, where the figure measures the sanitizer.
    long PeakKiB = 0;
};

// Runs `program` with `args` (no shell) in the folders of `folders`: its
// environment names them (see TestFolders::ShellAssignments) on top of this
// process's environment and `environment` ("NAME=value" entries). `input`
// is its stdin. Waits for it to end.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const TestFolders& folders, const std::string& input = {},
                      const std::vector<std::string>& environment = {});

// Runs work(0) .. work(count - 1) at once, each in a child process forked
// from this one, and waits for all of them. True when every one returned
// true.
bool RunInChildProcesses(int count, const std::function<bool(int index)>& work);

} // namespace testsupport
