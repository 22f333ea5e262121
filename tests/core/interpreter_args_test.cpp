// Argument reading of screen commands: encodings, bounds at the record's end, host text decoding; the
// screen's own bound on key label codes.
#include "interpreter/command_args.h"
#include "interpreter/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "row_tables.h"

namespace vantor {
namespace {

// A reader over `bytes`, positioned on the command letter at their front.
struct ArgRun {
  explicit ArgRun(std::string b) : bytes(std::move(b)), reader(Begin(), Begin() + bytes.size()) {}
  const std::uint8_t* Begin() const { return reinterpret_cast<const std::uint8_t*>(bytes.data()); }
  long Offset() const { return static_cast<long>(reader.Position() - Begin()); }
  std::string bytes;
  ArgReader reader;
};

TEST(InterpreterArgs, NumbersSkipsAndBytesAreBoundedByTheRecord) {
  testing_support::ForEachRow("argument reads", [&](const std::vector<std::string>& w) {
    ArgRun run(testing_support::Text(w.at(0)));
    ArgReader& r = run.reader;
    for (std::size_t i = 1; i < w.size(); ++i) {
      SCOPED_TRACE(w[i]);
      const std::size_t equals = w[i].find('=');
      const std::string expected = equals == std::string::npos ? "" : testing_support::Text(w[i].substr(equals + 1));
      const long count = w[i].size() > 1 && w[i][1] != '=' ? std::stol(w[i].substr(1, equals - 1)) : 0;
      switch (w[i][0]) {
        case 'S': EXPECT_EQ(std::to_string(r.Short()), expected); break;
        case 'L': EXPECT_EQ(std::to_string(r.Long()), expected); break;
        case 'P': EXPECT_EQ(std::to_string(r.Peek()), expected); break;
        case 'R': EXPECT_EQ(std::to_string(r.Raw()), expected); break;
        case 'B': EXPECT_EQ(r.Bytes(count), expected); break;
        case 'K': r.Skip(count); break;
        default:
          EXPECT_EQ(std::to_string(run.Offset()), expected == "end" ? std::to_string(run.bytes.size()) : expected);
      }
    }
  });
}

TEST(InterpreterArgs, HostTextIsCutToCapacityInUtf16Units) {
  std::string longPayload(40000, 'x');
  longPayload.replace(0, 3, "\xC3\xA9z");
  EXPECT_EQ(DecodeHostText(longPayload, true, 3), u"\u00E9zx");
  testing_support::ForEachRow("host text", [&](const std::vector<std::string>& w) {
    EXPECT_EQ(DecodeHostText(testing_support::Text(w.at(0)), w.at(1) == "1", std::stoi(w.at(2))),
              DecodeText(testing_support::Text(w.at(3)), CodePage::Utf8));
  });
}

TEST(ScreenKeyLabels, OnlyCodesZeroTo36TakeALabel) {
  Screen screen(kDefaultPageBackground);
  for (const int code : {-1, 37}) EXPECT_FALSE(screen.SetKeyLabel(code, u"X")) << code;
  EXPECT_TRUE(screen.SetKeyLabel(36, u"X"));
}

}  // namespace
}  // namespace vantor
