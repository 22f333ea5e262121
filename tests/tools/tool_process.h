// The tools' tests' use of child processes: a built program refusing bad command lines.
#pragma once

#include <gtest/gtest.h>

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

}  // namespace vantor::testing_support
