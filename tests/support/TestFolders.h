#pragma once

#include "platform/Environment.h"

#include <string>

namespace testsupport {

// A fresh temporary folder made the program's world for the object's life:
// program folder, user folder and registry file all lie inside it, set through
// platform::SetEnvironment; the previous environment comes back and the folder
// is removed on destruction. With `separateUserFolder` the user folder is
// "user/" inside it (a read-only install); otherwise it is the program folder
// itself (portable use).
class TestFolders {
public:
    explicit TestFolders(bool separateUserFolder = false);
    ~TestFolders();
    TestFolders(const TestFolders&) = delete;
    TestFolders& operator=(const TestFolders&) = delete;

    // The program folder, ending with "/".
    const std::string& Path() const { return program_; }
    // Native path of `name` in the program folder.
    std::string operator/(const std::string& name) const { return program_ + name; }
    // The user folder, ending with "/", and a path inside it.
    const std::string& UserPath() const { return user_; }
    std::string User(const std::string& name) const { return user_ + name; }
    const std::string& RegistryFile() const { return registry_; }

    // Environment variables naming these folders, for a child process:
    // "QUENDIC_HOME='...' QUENDIC_USER_HOME='...' QUENDIC_REGISTRY='...'".
    std::string ShellAssignments() const;

private:
    platform::Environment previous_;
    std::string root_;
    std::string program_;
    std::string user_;
    std::string registry_;
};

} // namespace testsupport
