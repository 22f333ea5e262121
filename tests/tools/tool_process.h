// The tools' tests' use of child processes: a built program's help, its refusal of bad command lines, a
// settings file that holds nothing, and the files a program wrote.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "child_process.h"

namespace vantor::testing_support {

// Each of `cases` as the arguments of `program` is refused: exit code 2 and a message holding `why`.
inline void ExpectRefused(const std::string& program, const std::vector<std::vector<std::string>>& cases,
                          const std::string& why) {
  for (const std::vector<std::string>& args : cases) {
    std::vector<std::string> argv{program};
    argv.insert(argv.end(), args.begin(), args.end());
    ChildProcess child(argv);
    EXPECT_EQ(child.WaitExit(), 2) << child.Output();
    EXPECT_NE(child.Output().find(why), std::string::npos) << child.Output();
  }
}

// `program --help` shows its usage on stdout and exits 0.
inline void ExpectHelp(const std::string& program) {
  ChildProcess child({program, "--help"}, {.capture = Capture::kStdout});
  EXPECT_EQ(child.WaitExit(), 0) << program;
  EXPECT_EQ(child.Output().rfind("usage:", 0), 0u) << program << ": " << child.Output();
}

// An empty settings file: every setting keeps its default whatever the folder holds.
inline std::string EmptySettingsFile() {
  std::string path = ::testing::TempDir() + "empty_settings.ini";
  std::ofstream file(path, std::ios::trunc);
  return path;
}

// The whole of a file, as bytes; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace vantor::testing_support
