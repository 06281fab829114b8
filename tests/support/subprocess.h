// Runs a program to its end with given standard input and environment, collecting its output.
#pragma once

#include <string>
#include <vector>

namespace veltrano::test {

struct ProgramRun {
  int exit_code = -1;  // -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs `argv` (argv[0] is the program's path), feeding `input` to its standard input. `env`
// entries ("NAME=value") are set on top of this process's environment.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& input = "",
                      const std::vector<std::string>& env = {});

}  // namespace veltrano::test
