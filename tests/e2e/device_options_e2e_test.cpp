// The Serial settings, Serial feature and Sounds dialogs of Vantor.exe opened from its File menu on the
// virtual display: what OK writes to "Vantor.ini", that Cancel leaves it alone, and that Play keeps the
// dialog answering.
#include "terminal_fixture.h"

namespace vantor::e2e {
namespace {

inline constexpr unsigned kWmGetText = 0x000D;
inline constexpr unsigned kCbSetCurSel = 0x014E;
inline constexpr unsigned kBmSetCheck = 0x00F1;

// Administrator mode, so that the File menu holds the options items.
const IniEntries kAdmin = {{"KorvathAdminMode", "true"}};

class DeviceOptionsE2eTest : public TerminalTest {
 protected:
  // Opens the File menu and walks it with the keyboard: `downs` steps from its first item, then Enter.
  // Two items begin with "&S", so the arrows reach "&Serial settings..." where its letter cannot.
  void OpenFileItem(int downs) {
    ASSERT_TRUE(probe_.Keys(main_.handle, {"alt+f"}));
    ASSERT_TRUE(WaitFor([&] { return MenuOpen(); }, Millis(5000), Millis(200)));
    std::vector<std::string> keys(static_cast<std::size_t>(downs), "down");
    keys.push_back("enter");
    ASSERT_TRUE(probe_.Keys(0, keys));
  }

  // The file once it holds `key` = `value`: the dialog writes it as it ends.
  bool WaitIni(const std::string& key, const std::string& value) {
    return WaitFor([&] { return Ini(key) == value; }, Millis(5000), Millis(100));
  }
};

TEST_F(DeviceOptionsE2eTest, SerialSettingsOkWritesTheLineSettings) {
  StartConnected({{"KorvathAdminMode", "true"}, {"serial", "\"COM3:,12345,7,Odd,2\""}});
  OpenFileItem(6);
  const auto dialog = WaitDialog("Serial Port Options");
  ASSERT_TRUE(dialog.has_value()) << Describe(probe_.List().value_or(WindowList{}));
  EXPECT_GE(dialog->x, 0);
  EXPECT_GE(dialog->y, 0);
  // The unknown baud shows the default; the others their stored entries.
  EXPECT_EQ(ItemText(*dialog, 1039), "9600");
  EXPECT_EQ(ItemText(*dialog, 1040), "7");
  EXPECT_EQ(ItemText(*dialog, 1041), "Odd");
  EXPECT_EQ(ItemText(*dialog, 1042), "2");
  ASSERT_TRUE(SendItem(*dialog, 1039, kCbSetCurSel, 8).has_value());   // 19200
  ASSERT_TRUE(SendItem(*dialog, 1041, kCbSetCurSel, 0).has_value());   // Even
  ASSERT_TRUE(SendItem(*dialog, 1042, kCbSetCurSel, 0).has_value());   // 1
  ASSERT_TRUE(TapItem(*dialog, 1));
  ASSERT_TRUE(Gone("Serial Port Options"));
  EXPECT_TRUE(WaitIni("serial", "\"COM3:,19200,7,Even,1\"")) << terminal_.ReadIni();
  EXPECT_TRUE(terminal_.Running());
}

TEST_F(DeviceOptionsE2eTest, SerialFeatureOkWritesPortFramingModeAndInterval) {
  StartConnected(kAdmin);
  OpenFileItem(7);
  const auto dialog = WaitDialog("Serial Feature Options");
  ASSERT_TRUE(dialog.has_value()) << Describe(probe_.List().value_or(WindowList{}));
  EXPECT_EQ(ItemText(*dialog, 1026), "1");
  EXPECT_EQ(ItemText(*dialog, 1073), "500");
  ASSERT_TRUE(SetItemText(*dialog, 1026, "0"));
  ASSERT_TRUE(SendItem(*dialog, 1028, kBmSetCheck, 1).has_value());
  ASSERT_TRUE(SendItem(*dialog, 1029, kBmSetCheck, 1).has_value());
  ASSERT_TRUE(SendItem(*dialog, 1030, kCbSetCurSel, 0).has_value());  // "Command", first when sorted
  ASSERT_TRUE(SetItemText(*dialog, 1031, "130"));
  ASSERT_TRUE(SetItemText(*dialog, 1033, "13"));
  ASSERT_TRUE(SetItemText(*dialog, 1035, "2"));
  ASSERT_TRUE(SetItemText(*dialog, 1037, "200"));
  ASSERT_TRUE(SetItemText(*dialog, 1073, "50"));
  ASSERT_TRUE(TapItem(*dialog, 1));
  ASSERT_TRUE(Gone("Serial Feature Options"));
  EXPECT_TRUE(WaitIni("serialfeature", "true,2,13,true,2,72")) << terminal_.ReadIni();
  EXPECT_EQ(Ini("serial"), "\"COM1:,9600,8,None,1\"");
  EXPECT_EQ(Ini("serialcommand"), "true");
  EXPECT_EQ(Ini("serialReadIntervalTimeout"), "100");
  EXPECT_EQ(Ini("serialReadTotalTimeoutConstant"), "0");
  EXPECT_TRUE(terminal_.Running());
}

TEST_F(DeviceOptionsE2eTest, NormalSoundOkWritesTheToneAndPlayKeepsTheDialogAnswering) {
  StartConnected(kAdmin);
  OpenSoundDialog(0);
  const auto dialog = WaitDialog("Options Normal Sound");
  ASSERT_TRUE(dialog.has_value()) << Describe(probe_.List().value_or(WindowList{}));
  EXPECT_EQ(CheckState(*dialog, 1043), 1);  // an empty group is silence
  // Vibration needs a vibrator, which this terminal has not.
  const auto vibrate = Item(*dialog, 1081);
  ASSERT_TRUE(vibrate.has_value());
  EXPECT_FALSE(vibrate->enabled);
  ASSERT_TRUE(TapItem(*dialog, 1044));
  EXPECT_TRUE(WaitFor([&] { return CheckState(*dialog, 1044) == 1; }, Millis(3000)));
  EXPECT_EQ(CheckState(*dialog, 1043), 0);
  ASSERT_TRUE(SetItemText(*dialog, 1045, "880"));
  ASSERT_TRUE(SetItemText(*dialog, 1047, "5000"));
  // A five-second tone: the dialog answers at once while it sounds, and nothing is stored.
  const std::string before = terminal_.ReadIni();
  ASSERT_TRUE(TapItem(*dialog, 1075));
  const auto started = SteadyClock::now();
  const auto answer = probe_.Send(dialog->handle, kWmGetText, 0, 0);
  EXPECT_TRUE(answer.has_value());
  EXPECT_LT(SteadyClock::now() - started, Millis(2000));
  EXPECT_EQ(terminal_.ReadIni(), before);
  ASSERT_TRUE(SetItemText(*dialog, 1047, "150"));
  ASSERT_TRUE(TapItem(*dialog, 1));
  ASSERT_TRUE(Gone("Options Normal Sound"));
  EXPECT_TRUE(WaitIni("NormalSoundType", "2")) << terminal_.ReadIni();
  EXPECT_EQ(Ini("NormalSoundToneFrequency"), "880");
  EXPECT_EQ(Ini("NormalSoundToneDuration"), "150");
  EXPECT_EQ(Ini("ErrorSoundType"), "0");
  EXPECT_TRUE(terminal_.Running());
}

// Cancel after changes writes nothing, and the main window goes on as before (its follow-ups only).
TEST_F(DeviceOptionsE2eTest, CancelLeavesTheFileByteForByte) {
  StartConnected({{"KorvathAdminMode", "true"}, {"ErrorSoundType", "2"}, {"ErrorSoundToneFrequency", "440"},
                  {"ErrorSoundToneDuration", "100"}});
  const std::string before = terminal_.ReadIni();
  OpenFileItem(7);
  auto dialog = WaitDialog("Serial Feature Options");
  ASSERT_TRUE(dialog.has_value());
  ASSERT_TRUE(SetItemText(*dialog, 1026, "9"));
  ASSERT_TRUE(SendItem(*dialog, 1029, kBmSetCheck, 1).has_value());
  ASSERT_TRUE(TapItem(*dialog, 2));
  ASSERT_TRUE(Gone("Serial Feature Options"));
  ASSERT_TRUE(probe_.Send(main_.handle, kWmNull, 0, 0).has_value());
  EXPECT_EQ(terminal_.ReadIni(), before);

  OpenSoundDialog(1);
  dialog = WaitDialog("Options Error Sound");
  ASSERT_TRUE(dialog.has_value()) << Describe(probe_.List().value_or(WindowList{}));
  EXPECT_EQ(CheckState(*dialog, 1044), 1);
  EXPECT_EQ(ItemText(*dialog, 1045), "440");
  ASSERT_TRUE(SetItemText(*dialog, 1045, "3000"));
  ASSERT_TRUE(TapItem(*dialog, 1043));
  ASSERT_TRUE(TapItem(*dialog, 2));
  ASSERT_TRUE(Gone("Options Error Sound"));
  ASSERT_TRUE(probe_.Send(main_.handle, kWmNull, 0, 0).has_value());
  EXPECT_EQ(terminal_.ReadIni(), before);
}

}  // namespace
}  // namespace vantor::e2e
