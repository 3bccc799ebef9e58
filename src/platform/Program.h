#pragma once

#include <string>
#include <vector>

namespace qvl {

// The full name of the running program file (what the program was started as).
std::string ProgramPath();
// Its folder, with the trailing "/".
std::string ProgramFolder();

// The user's guide: Readme.txt beside the program (a build, a portable copy), else
// where `cmake --install` puts it relative to the program's bin folder.
std::string ReadmePath();
// Whether a program's folder (with its trailing "/") is laid out as `cmake --install`
// leaves it: no Readme.txt beside the program, the folder of ReadmePath()'s there.
bool InstalledProgramFolder(const std::string& folder);

// The program of that name in the first folder of a PATH-style list ("/usr/bin:/bin")
// that holds it; empty when none does.
std::string FindProgram(const std::string& name, const std::string& searchPath);

// Runs a program with the arguments, its output discarded, and waits for it. The
// result is its exit status; a program that cannot be started or that dies of a
// signal throws IoError.
int RunProgram(const std::string& program, const std::vector<std::string>& args);

}  // namespace qvl
