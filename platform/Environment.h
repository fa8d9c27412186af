#pragma once

#include <string>

namespace platform {

// Everything the program takes from its environment, read once at start:
// worker threads and later calls never read environment variables, so a test
// or tool changes these only through SetEnvironment.
struct Environment {
    // Where the program's own files are read from; absolute, ends with "/".
    std::string ProgramFolder;
    // Where every file the program writes goes; absolute, ends with "/". The
    // program folder itself in portable use.
    std::string UserFolder;
    // The program may write into the program folder (portable use, a fresh
    // build). A packaged install's is read-only: its program files are
    // updated by the package manager, never by the program.
    bool ProgramFolderWritable = true;
    // The registry store's file.
    std::string RegistryFile;
    // Base address of the IP lookup service without a trailing "/"; empty
    // means no lookup is ever made.
    std::string IpLookupAddress;
};

// Reads the environment:
// - program folder: $QUENDIC_HOME when set and not empty, else the folder of
//   the running executable (/proc/self/exe);
// - whether the program folder may be written: access(2) says so;
// - user folder: $QUENDIC_USER_HOME when set and not empty; else the program
//   folder when the program may write into it; else $XDG_DATA_HOME/quendic
//   (an absolute $XDG_DATA_HOME only, default ~/.local/share/quendic);
// - registry file: $QUENDIC_REGISTRY when set and not empty, else
//   $XDG_CONFIG_HOME/quendic/registry (default ~/.config/quendic/registry);
// - IP lookup address: $QUENDIC_IPS_URL.
// Relative folders are made absolute against the current folder.
Environment ReadEnvironment();

// Takes ReadEnvironment() as the current environment unless one was set
// already. Programs call it first thing in main(); the first use of
// CurrentEnvironment() does the same for code that did not.
void InitEnvironment();

// Replaces the current environment (tests and tools). Folders get their
// trailing "/". Thread-safe, but meant to be called while no worker runs.
void SetEnvironment(Environment environment);

// A copy of the current environment. Thread-safe.
Environment CurrentEnvironment();

} // namespace platform
