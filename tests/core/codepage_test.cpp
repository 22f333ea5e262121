// Host text and settings-file text conversions, on both platforms' real code-page services.
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(CodePage, ConvertsBothWays) {
  const struct {
    CodePage page;
    std::u16string text;
    std::string bytes;
  } cases[] = {
      {CodePage::Utf8, u"Gr\u00FC\u00DF \u20AC \U0001F600", "Gr\xC3\xBC\xC3\x9F \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {CodePage::Ansi, u"\u00E9\u20AC!", "\xE9\x80!"},  // Windows-1252
      {CodePage::Ansi, u"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeText(c.text, c.page), c.bytes);
    EXPECT_EQ(DecodeText(c.bytes, c.page), c.text);
  }
  // Bad characters are replaced, not dropped.
  EXPECT_EQ(EncodeText(u"a\u4E00b", CodePage::Ansi), "a?b");
  const std::u16string text = DecodeText("a\xFF!\xC3", CodePage::Utf8);
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.front(), u'a');
  EXPECT_NE(text.find(u'!'), std::u16string::npos);
  EXPECT_NE(text.find(u'\uFFFD'), std::u16string::npos);
}

}  // namespace
}  // namespace vantor
