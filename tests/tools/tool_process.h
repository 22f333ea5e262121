// The tools' tests' use of child processes: a built program's help, its refusal of bad command lines (given
// or from the table refused_command_lines.txt), a settings file that holds nothing, and the files a program wrote.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
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

// Each command line the table refused_command_lines.txt gives for `program` (its file name) is refused.
inline void ExpectRefusedRows(const std::string& program) {
  std::ifstream table(std::string(VANTOR_SOURCE_DIR) + "/tests/tools/refused_command_lines.txt");
  ASSERT_TRUE(table);
  const std::string name = program.substr(program.rfind('/') + 1);
  std::string line, section, why;
  int rows = 0;
  while (std::getline(table, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      section = line.substr(1, line.find(']') - 1);
      why = line.substr(line.find(']') + 2);
    } else if (section == name) {
      std::vector<std::string> args;
      std::istringstream words(line == "(none)" ? "" : line);
      for (std::string word; words >> word;)
        args.push_back(word == "''"              ? ""
                       : word == "{load-script}" ? VANTOR_SOURCE_DIR "/tools/load/warehouse.script"
                                                 : word);
      ExpectRefused(program, {args}, why);
      ++rows;
    }
  }
  EXPECT_GT(rows, 0) << name;
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
