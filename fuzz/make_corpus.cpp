// Writes the fuzz seed corpus: real screens and record mixes built with the screen builder.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_input.h"
#include "screen_builder.h"

namespace {

using vantor::kTerminator;
using vantor::host_records::ScreenBuilder;
namespace option = vantor::host_records::option;
namespace samples = vantor::host_records::samples;

std::string Seed(std::uint8_t control, const std::vector<std::string>& records) {
  std::string out(1, static_cast<char>(control));
  for (const std::string& r : records) out += r;
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::filesystem::path dir = argc > 1 ? argv[1] : "fuzz/corpus";
  std::filesystem::create_directories(dir);
  const std::string end(kTerminator);
  const std::uint8_t bigChunks = 0xFE;  // whole records per read
  const std::uint8_t utf8 = vantor::fuzzing::kUtf8;

  std::vector<std::pair<std::string, std::string>> seeds;
  seeds.emplace_back("full_screen",
                     Seed(bigChunks, {"I" + end, samples::FullScreen().Record(), samples::TextUpdates().Record()}));
  seeds.emplace_back("full_screen_small_reads", Seed(0x08, {samples::FullScreen().Record()}));
  seeds.emplace_back("menu_buttons", Seed(bigChunks, {ScreenBuilder()
                                                          .SelectPage(1)
                                                          .ErasePage()
                                                          .Fixed(1, 0, 0, "MAIN MENU")
                                                          .Define(2, 2, 1, 'C', '@', 12)
                                                          .Text(2, "1 Receiving")
                                                          .Options(2, {option::Type('B')})
                                                          .Define(3, 3, 1, 'C', '@', 12)
                                                          .Text(3, "2 Picking")
                                                          .Options(3, {option::Type('S'), option::Centred()})
                                                          .Define(4, 4, 1, 'G', '@', 8)
                                                          .Text(4, "XOption")
                                                          .Options(4, {option::Type('C'), option::CheckSize(2)})
                                                          .Define(5, 5, 1, 'G', '@', 8)
                                                          .Text(5, " Radio")
                                                          .Options(5, {option::Type('R'), option::Selected(true)})
                                                          .ShowPage(1)
                                                          .FocusAndUnlock(-1)
                                                          .Record()}));
  seeds.emplace_back(
      "dialogs",
      Seed(bigChunks, {ScreenBuilder().Input(1, 1, 1, 6).MessageAt(1, "Item not found").FocusAndUnlock(1).Record(),
                       ScreenBuilder().Prompt(8, "Quantity?").FocusAndUnlock(1).Record(),
                       ScreenBuilder().Sound().FocusAndUnlock(1).Message("  Done").Record()}));
  seeds.emplace_back("devices", Seed(bigChunks, {ScreenBuilder()
                                                     .Fixed(1, 0, 0, "LABEL")
                                                     .SerialFlags(1, '1')
                                                     .Text(1, "PRINT")
                                                     .SerialOut(2, "abc")
                                                     .SerialOut(1, "x")
                                                     .ScannerEnable(1)
                                                     .UserSound(2)
                                                     .DeviceValues(1, 300, 3)
                                                     .FontStep(1)
                                                     .KeyLabel(0, "ENTER")
                                                     .KeyLabel(40, "none")
                                                     .StatusRequest()
                                                     .SendFields(4)
                                                     .Record()}));
  seeds.emplace_back("fields_edit", Seed(bigChunks, {ScreenBuilder()
                                                         .Input(1, 0, 0, 10)
                                                         .Input(2, 1, 0, 4)
                                                         .Prefix(1, 13, "]C")
                                                         .Prefix(2, 20, "X")
                                                         .Text(1, "]C12345")
                                                         .CopyText(1, 2)
                                                         .Attributes(2, 'C', 'D')
                                                         .Options(1, {option::MaxLengthDigits("0x7d")})
                                                         .ClearField(2)
                                                         .ClearInputFields()
                                                         .DeleteField(2)
                                                         .FocusAndUnlock(1)
                                                         .Record(),
                                                     ScreenBuilder().ErasePage().Lock().Record()}));
  seeds.emplace_back("utf8", Seed(bigChunks | utf8, {ScreenBuilder()
                                                         .Fixed(1, 0, 0,
                                                                "Gr\xC3\xBC\xC3\x9F"
                                                                "e \xE2\x82\xAC")
                                                         .Input(2, 1, 0, 3)
                                                         .Text(2, "\xF0\x9F\x98\x80\xC3\xA9xyz")
                                                         .Message("\xC3\xA9t\xC3\xA9")
                                                         .FocusAndUnlock(2)
                                                         .Record()}));
  seeds.emplace_back("ignored_blocks", Seed(bigChunks, {samples::IgnoredBlocks(6000).Record()}));
  seeds.emplace_back("record_types", Seed(0x02, {"A" + end, "Q" + end, "R" + end, end, end,
                                                 "IH" + ScreenBuilder().Fixed(1, 0, 0, "x").Commands() + end,
                                                 ScreenBuilder().FocusAndUnlock(-1).Record()}));
  seeds.emplace_back("truncated", Seed(bigChunks, {"Hf1004ab" + end, "Hu1!" + end, "Hw10@B0" + end, "Hy1=9ab" + end}));

  for (const auto& [name, bytes] : seeds) {
    std::ofstream out(dir / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", (dir / name).string().c_str());
      return 1;
    }
  }
  std::printf("%zu seeds written to %s\n", seeds.size(), dir.string().c_str());
  return 0;
}
