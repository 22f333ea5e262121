// Host text and settings-file text conversions, on both platforms' real code-page services.
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace vantor {
namespace {

TEST(CodePage, Utf8RoundTripsAccentsAndSurrogatePairs) {
  const std::u16string text = u"Gr\u00FC\u00DFe \u20AC \U0001F600";
  const std::string bytes = EncodeText(text, CodePage::Utf8);
  EXPECT_EQ(bytes, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(DecodeText(bytes, CodePage::Utf8), text);
}

TEST(CodePage, AnsiIsWindows1252) {
  EXPECT_EQ(DecodeText("\xE9\x80\x41", CodePage::Ansi), u"\u00E9\u20AC" u"A");
  EXPECT_EQ(EncodeText(u"\u00E9\u20AC" u"A", CodePage::Ansi), "\xE9\x80\x41");
}

TEST(CodePage, UnmappableCharactersAreReplacedNotDropped) {
  const std::string bytes = EncodeText(u"a\u4E00b", CodePage::Ansi);
  ASSERT_EQ(bytes.size(), 3u);
  EXPECT_EQ(bytes[0], 'a');
  EXPECT_EQ(bytes[1], '?');
  EXPECT_EQ(bytes[2], 'b');
}

TEST(CodePage, InvalidUtf8DecodesToReplacementsWithoutLosingTheRest) {
  const std::u16string text = DecodeText("a\xFF" "b\xC3", CodePage::Utf8);
  ASSERT_GE(text.size(), 3u);
  EXPECT_EQ(text.front(), u'a');
  EXPECT_NE(text.find(u'b'), std::u16string::npos);
  EXPECT_NE(text.find(u'\uFFFD'), std::u16string::npos);
}

TEST(CodePage, EmptyInputsGiveEmptyResults) {
  EXPECT_TRUE(DecodeText("", CodePage::Utf8).empty());
  EXPECT_TRUE(EncodeText(u"", CodePage::Ansi).empty());
}

}  // namespace
}  // namespace vantor
