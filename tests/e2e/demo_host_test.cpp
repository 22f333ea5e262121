// The demo host program over real loopback connections: its warehouse screens read by the terminal's
// own session engine, bad records and many terminals, and the sign-on through Vantor.exe's windows.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/net.h"
#include "settings/settings.h"
#include "effects_recorder.h"
#include "harness.h"
#include "session/host_connection.h"
#include "session/terminal.h"
#include "terminal_fixture.h"
#include "test_session_port.h"

namespace vantor::e2e {
namespace {

using testing_support::EffectsRecorder;
using testing_support::TestSessionPort;

// The demo host started on a free port; stopped with the test.
class DemoHostProcess {
 public:
  DemoHostProcess() {
    Process::Options options;
    options.argv = {ExecutableDir() + "/demo_host", "0"};
    options.pipeStdout = true;
    if (!process_.Start(options)) return;
    std::string line;
    const std::string ready = "Vantor demo host listening on 127.0.0.1:";
    if (process_.ReadLine(line, Millis(5000)) && line.rfind(ready, 0) == 0)
      port_ = static_cast<std::uint16_t>(std::stoi(line.substr(ready.size())));
  }
  std::uint16_t Port() const { return port_; }
  bool Running() { return process_.Running(); }
  // Reads the host's log until a line contains `text`.
  bool LogShows(const std::string& text, Millis timeout = Millis(5000)) {
    std::string line;
    const auto deadline = SteadyClock::now() + timeout;
    while (SteadyClock::now() < deadline) {
      if (!process_.ReadLine(line, std::chrono::duration_cast<Millis>(deadline - SteadyClock::now()))) break;
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

 private:
  Process process_;
  std::uint16_t port_ = 0;
};

// The terminal's session engine (session thread, dispatcher, interpreter, responses) on a real
// connection to the demo host; the windows are stood in for by the effects recorder.
class EngineTerminal {
 public:
  EngineTerminal(std::uint16_t port, int terminalId) {
    settings_.SetHostName(u"127.0.0.1");
    settings_.SetHostPort(port);
    settings_.SetTerminalId(terminalId);
    settings_.SetScreenSize(24, 13);
  }
  ~EngineTerminal() { connection_.Stop(); }

  bool Start() { return connection_.Start(terminal_.Restart()); }

  template <typename F>
  auto Ui(F&& fn) {
    return port_.WithLock(fn);
  }

  bool WaitUi(const std::function<bool()>& ready, Millis timeout = Millis(5000)) {
    return WaitFor([&] { return Ui(ready); }, timeout, Millis(10));
  }

  Field* FieldOf(int id) {
    Page* page = terminal_.GetScreen().pages.At(0);
    return page == nullptr ? nullptr : page->Fields().Find(id);
  }

  // The text of field `id` of page 0 ("<none>" when there is no such field), read on the "UI thread".
  std::u16string Text(int id) {
    return Ui([&] {
      const Field* field = FieldOf(id);
      return field == nullptr ? std::u16string(u"<none>") : field->Text();
    });
  }

  // Waits until the host unlocked the keyboard with field 1 (the title) holding `title` at its start.
  bool WaitScreen(const std::u16string& title) {
    return WaitUi([&] {
      const Field* field = FieldOf(1);
      return terminal_.GetScreen().keyboard == Keyboard::Ready && field != nullptr &&
             field->Text().find(title) != std::u16string::npos;
    });
  }

  // The field's type; -1 when there is no such field.
  int TypeOf(int id) {
    return Ui([&] {
      const Field* field = FieldOf(id);
      return field == nullptr ? -1 : static_cast<int>(field->type);
    });
  }

  // The operator types into a field (the control marks it changed) and presses a key.
  void Type(int id, const std::u16string& text) {
    Ui([&] {
      Field* field = FieldOf(id);
      if (field == nullptr) return false;
      field->SetText(text);
      field->modified = 1;
      return true;
    });
  }
  bool Key(int focus, int code) {
    return Ui([&] { return terminal_.KeyPressed(focus, FunctionKeyFromCode(code)); });
  }

  int Count(const std::string& effect) {
    return Ui([&] { return effects_.Count(effect); });
  }
  bool WaitCount(const std::string& effect, int count) {
    return WaitUi([&] { return effects_.Count(effect) >= count; });
  }
  std::u16string Message() {
    return Ui([&] { return std::u16string(terminal_.GetScreen().MessageShown()); });
  }
  int Focus() {
    return Ui([&] { return terminal_.GetScreen().focusField; });
  }
  bool Unlocked() {
    return WaitUi([&] { return terminal_.GetScreen().keyboard == Keyboard::Ready; });
  }
  std::u16string Label(int code) {
    return Ui([&] {
      const std::u16string* label = terminal_.GetScreen().KeyLabel(code);
      return label == nullptr ? std::u16string(u"<unset>") : *label;
    });
  }
  bool AnswerPrompt(const std::u16string& answer) {
    return Ui([&] {
      terminal_.GetScreen().SetPromptAnswer(answer);
      return terminal_.SendPromptReply();
    });
  }

 private:
  Settings settings_;
  EffectsRecorder effects_;
  TestSessionPort port_{[this](RecordBytes record) { terminal_.ReceiveRecord(record); }};
  HostConnection connection_{port_};
  vantor::Terminal terminal_{settings_, effects_, connection_};
};

// A raw connection that writes whatever the test wants.
class RawClient {
 public:
  explicit RawClient(std::uint16_t port) {
    socket_ = net::OpenTcp();
    if (socket_ != net::kInvalid && !net::Connect(socket_, net::ParseIpv4("127.0.0.1"), port)) Close();
  }
  ~RawClient() { Close(); }
  bool Connected() const { return socket_ != net::kInvalid; }
  bool Send(const std::string& bytes) {
    return Connected() && net::Send(socket_, bytes.data(), static_cast<int>(bytes.size())) ==
                              static_cast<int>(bytes.size());
  }
  // Everything that arrives until `until` is part of it or the time is up.
  std::string ReceiveUntil(const std::string& until, Millis timeout = Millis(5000)) {
    const auto deadline = SteadyClock::now() + timeout;
    while (Connected() && received_.find(until) == std::string::npos && SteadyClock::now() < deadline) {
      if (net::WaitReadable(socket_, 1) != 1) continue;
      char buffer[8192];
      const int got = net::Receive(socket_, buffer, sizeof buffer);
      if (got <= 0) break;
      received_.append(buffer, static_cast<size_t>(got));
    }
    return received_;
  }
  void Reset() {
    if (Connected()) net::SetLingerZero(socket_);
    Close();
  }
  void Close() {
    if (socket_ != net::kInvalid) net::Close(socket_);
    socket_ = net::kInvalid;
  }

 private:
  net::Handle socket_ = net::kInvalid;
  std::string received_;
};

const std::string kEnd("\xFF\xEF", 2);

class DemoHost : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(host_.Port(), 0) << "demo_host did not start"; }
  DemoHostProcess host_;
};

TEST_F(DemoHost, SignsOnShowsTheMenuAndReceivesStock) {
  EngineTerminal terminal(host_.Port(), 5);
  ASSERT_TRUE(terminal.Start());
  ASSERT_TRUE(terminal.WaitScreen(u"VANTOR WAREHOUSE"));
  EXPECT_TRUE(host_.LogShows("(id 5): identified"));
  EXPECT_EQ(terminal.Text(3), u"User:");
  EXPECT_EQ(terminal.Focus(), 20);
  // The toolbar keys of the sign-on: SAVE, CLEAR and NEXT bound, BACK and EXIT cleared.
  EXPECT_EQ(terminal.Label(1), u"SAVE");
  EXPECT_EQ(terminal.Label(2), u"CLEAR");
  EXPECT_EQ(terminal.Label(4), u"NEXT");
  EXPECT_EQ(terminal.Label(3), u"");
  EXPECT_EQ(terminal.Label(8), u"");

  // Enter in the user field moves on to the password; SAVE signs on.
  terminal.Type(20, u"BOB");
  ASSERT_TRUE(terminal.Key(20, 0));
  ASSERT_TRUE(terminal.Unlocked());
  EXPECT_EQ(terminal.Focus(), 21);
  terminal.Type(21, u"secret");
  ASSERT_TRUE(terminal.Key(21, 1));
  ASSERT_TRUE(terminal.WaitScreen(u"MAIN MENU"));
  EXPECT_TRUE(host_.LogShows("user BOB signed on"));
  EXPECT_EQ(terminal.Text(2), u"User: BOB");
  EXPECT_EQ(terminal.Text(20), u"Receiving");
  EXPECT_EQ(terminal.TypeOf(21), kTypeButton);
  EXPECT_EQ(terminal.Label(8), u"EXIT");
  EXPECT_EQ(terminal.Label(1), u"");

  // A tapped button is Enter with the button as the focus field.
  ASSERT_TRUE(terminal.Key(20, 0));
  ASSERT_TRUE(terminal.WaitScreen(u"RECEIVING"));
  EXPECT_EQ(terminal.TypeOf(22), kTypeCheckBox);
  terminal.Type(20, u"A100");
  ASSERT_TRUE(terminal.Key(20, 0));
  ASSERT_TRUE(terminal.Unlocked());
  EXPECT_EQ(terminal.Focus(), 21);
  terminal.Type(21, u"5");
  terminal.Type(22, u"X Print label");
  const int prompts = terminal.Count("HostPrompt");
  ASSERT_TRUE(terminal.Key(21, 1));
  ASSERT_TRUE(terminal.WaitCount("HostPrompt", prompts + 1));
  EXPECT_EQ(terminal.Message(), u"Receive 5 x A100? (Y/N)");

  const int messages = terminal.Count("HostMessage");
  ASSERT_TRUE(terminal.AnswerPrompt(u"Y"));
  ASSERT_TRUE(terminal.WaitCount("HostMessage", messages + 1));
  EXPECT_EQ(terminal.Message(), u"Received 5 x A100. On hand: 29. Label printed.");
  EXPECT_EQ(terminal.Text(20), u"");
  EXPECT_EQ(terminal.Text(21), u"");
  EXPECT_EQ(terminal.Text(7).rfind(u"5 x A100", 0), 0u);
  EXPECT_TRUE(host_.LogShows("received 5 x A100 (label)"));

  // BACK returns to the menu, EXIT from there signs off.
  ASSERT_TRUE(terminal.Unlocked());
  ASSERT_TRUE(terminal.Key(20, 3));
  ASSERT_TRUE(terminal.WaitScreen(u"MAIN MENU"));
  ASSERT_TRUE(terminal.Key(20, 8));
  ASSERT_TRUE(terminal.WaitScreen(u"VANTOR WAREHOUSE"));
  EXPECT_TRUE(host_.LogShows("user BOB signed off"));
}

TEST_F(DemoHost, RefusesAnEmptyUserAndABadQuantityWithMessages) {
  EngineTerminal terminal(host_.Port(), 6);
  ASSERT_TRUE(terminal.Start());
  ASSERT_TRUE(terminal.WaitScreen(u"VANTOR WAREHOUSE"));
  ASSERT_TRUE(terminal.Key(20, 1));
  ASSERT_TRUE(terminal.WaitCount("HostMessage", 1));
  EXPECT_EQ(terminal.Message(), u"Enter your user id");
  ASSERT_TRUE(terminal.Unlocked());

  terminal.Type(20, u"ANN");
  ASSERT_TRUE(terminal.Key(20, 1));
  ASSERT_TRUE(terminal.WaitScreen(u"MAIN MENU"));
  ASSERT_TRUE(terminal.Key(20, 0));
  ASSERT_TRUE(terminal.WaitScreen(u"RECEIVING"));
  terminal.Type(20, u"B200");
  for (const std::u16string quantity : {u"0", u"12x", u"123456"}) {
    const int messages = terminal.Count("HostMessage");
    terminal.Type(21, quantity);
    ASSERT_TRUE(terminal.Key(21, 1));
    ASSERT_TRUE(terminal.WaitCount("HostMessage", messages + 1));
    EXPECT_EQ(terminal.Message(), u"Quantity must be 1 to 99999");
    ASSERT_TRUE(terminal.Unlocked());
    EXPECT_EQ(terminal.Focus(), 21);
  }
  // An answer other than Y books nothing.
  terminal.Type(21, u"2");
  ASSERT_TRUE(terminal.Key(21, 1));
  ASSERT_TRUE(terminal.WaitCount("HostPrompt", 1));
  ASSERT_TRUE(terminal.AnswerPrompt(u"N"));
  ASSERT_TRUE(terminal.Unlocked());
  EXPECT_EQ(terminal.Text(7).rfind(u"none", 0), 0u);
}

TEST_F(DemoHost, StockIsSharedBetweenTerminals) {
  EngineTerminal receiver(host_.Port(), 11);
  EngineTerminal inquirer(host_.Port(), 12);
  ASSERT_TRUE(receiver.Start());
  ASSERT_TRUE(inquirer.Start());
  for (EngineTerminal* t : {&receiver, &inquirer}) {
    ASSERT_TRUE(t->WaitScreen(u"VANTOR WAREHOUSE"));
    t->Type(20, u"SAM");
    ASSERT_TRUE(t->Key(20, 1));
    ASSERT_TRUE(t->WaitScreen(u"MAIN MENU"));
  }
  ASSERT_TRUE(receiver.Key(20, 0));
  ASSERT_TRUE(receiver.WaitScreen(u"RECEIVING"));
  receiver.Type(20, u"NEW1");
  receiver.Type(21, u"7");
  ASSERT_TRUE(receiver.Key(21, 1));
  ASSERT_TRUE(receiver.WaitCount("HostPrompt", 1));
  ASSERT_TRUE(receiver.AnswerPrompt(u"y"));
  ASSERT_TRUE(receiver.WaitCount("HostMessage", 1));

  ASSERT_TRUE(inquirer.Key(21, 0));
  ASSERT_TRUE(inquirer.WaitScreen(u"STOCK INQUIRY"));
  inquirer.Type(20, u"NEW1");
  ASSERT_TRUE(inquirer.Key(20, 0));
  ASSERT_TRUE(inquirer.WaitUi([&] {
    const Field* result = inquirer.FieldOf(7);
    return result != nullptr && result->Text().rfind(u"7 ", 0) == 0;
  })) << std::string(inquirer.Text(7).begin(), inquirer.Text(7).end());
}

TEST_F(DemoHost, BadRecordsNeverStopIt) {
  {
    RawClient rude(host_.Port());
    ASSERT_TRUE(rude.Connected());
    // Records before identification, a record far beyond any limit, unreadable responses.
    ASSERT_TRUE(rude.Send("1RF0D" + kEnd + "\x01\x02\xFF" + kEnd + kEnd));
    ASSERT_TRUE(rude.Send(std::string(300000, 'Z') + kEnd));
    ASSERT_TRUE(rude.Send("1I" + kEnd));
    const std::string signOn = rude.ReceiveUntil(kEnd);
    ASSERT_EQ(signOn.rfind("H", 0), 0u) << signOn.substr(0, 40);
    // A response that ends in the middle of a field item is refused with the error sound and the
    // keyboard is given back.
    ASSERT_TRUE(rude.Send("1RF0D=D9AB" + kEnd));
    const std::string refused = rude.ReceiveUntil("H#o");
    EXPECT_NE(refused.find("H#o"), std::string::npos);
    ASSERT_TRUE(rude.Send("1R?!" + kEnd + "1R%" + kEnd + "1R" + kEnd + "1RF" + kEnd + std::string("\xFF\xFF\xFF", 3)));
    rude.Reset();  // and goes away without a goodbye
  }
  EXPECT_TRUE(host_.LogShows("oversized record dropped"));
  EXPECT_TRUE(host_.Running());
  EngineTerminal terminal(host_.Port(), 9);
  ASSERT_TRUE(terminal.Start());
  EXPECT_TRUE(terminal.WaitScreen(u"VANTOR WAREHOUSE"));
}

TEST_F(DemoHost, ServesManyTerminalsAtOnce) {
  std::vector<std::unique_ptr<RawClient>> clients;
  for (int i = 0; i < 12; ++i) {
    clients.push_back(std::make_unique<RawClient>(host_.Port()));
    ASSERT_TRUE(clients.back()->Connected()) << i;
  }
  // Every one is answered, also those that identified after others that stay silent.
  for (size_t i = 0; i < clients.size(); ++i) ASSERT_TRUE(clients[i]->Send(std::to_string(100 + i) + "I" + kEnd));
  for (auto& client : clients) {
    const std::string screen = client->ReceiveUntil(kEnd);
    EXPECT_NE(screen.find("VANTOR WAREHOUSE"), std::string::npos);
  }
}

TEST(DemoHostProgram, RefusesAPortThatIsNoPort) {
  for (const char* port : {"70000", "abc", "-1"}) {
    const RunResult result = RunCommand({ExecutableDir() + "/demo_host", port}, Millis(5000));
    EXPECT_EQ(result.exitStatus, 2) << port;
  }
}

// The demo through Vantor.exe's own windows: Enter moves on to the password, SAVE signs on, Enter on the
// focused button, and the host's question and confirmation in their dialogs.
using DemoWithTerminal = TerminalTest;

TEST_F(DemoWithTerminal, ReceivingThroughTheWindowsAndTheHostDialogs) {
  DemoHostProcess demo;
  ASSERT_NE(demo.Port(), 0);
  ASSERT_TRUE(terminal_.WriteIni(HostSettings(demo.Port(), 8)));
  ASSERT_TRUE(terminal_.Start());
  const auto main = terminal_.WaitMainWindow();
  ASSERT_TRUE(main.has_value());
  main_ = *main;
  ASSERT_TRUE(demo.LogShows("(id 8): identified", Millis(20000)));
  const auto user = WaitControl(20);
  ASSERT_TRUE(user.has_value()) << Describe(windows_);
  EXPECT_EQ(user->className, "VdxEntry");
  ASSERT_TRUE(probe_.Type(user->handle, "LEE")) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(user->handle, {"enter"})) << probe_.LastError();
  const auto password = WaitControl(21);
  ASSERT_TRUE(password.has_value());
  ASSERT_TRUE(probe_.Type(password->handle, "pw")) << probe_.LastError();
  ASSERT_TRUE(probe_.Keys(password->handle, {"F1"}));
  ASSERT_TRUE(demo.LogShows("user LEE signed on"));

  ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto button = Control(w, 20);
    return button && button->className == "VdxButton" && button->title == "Receiving";
  })) << Describe(windows_);
  ASSERT_TRUE(WaitUnlocked());
  const auto receiving = WaitControl(20);
  ASSERT_TRUE(receiving.has_value());
  ASSERT_TRUE(probe_.Keys(receiving->handle, {"enter"}));
  ASSERT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto title = Control(w, 1);
    return title && title->title.find("RECEIVING") != std::string::npos && Control(w, 21);
  })) << Describe(windows_);
  ASSERT_TRUE(WaitUnlocked());
  const auto item = WaitControl(20), quantity = WaitControl(21);
  ASSERT_TRUE(item && quantity);
  ASSERT_TRUE(probe_.Type(item->handle, "A100"));
  ASSERT_TRUE(probe_.Type(quantity->handle, "3"));
  ASSERT_TRUE(probe_.Keys(quantity->handle, {"F1"}));

  // The host's question in the prompt dialog, answered Y.
  const auto prompt = WaitDialog("Hey You");
  ASSERT_TRUE(prompt.has_value()) << Describe(probe_.List().value_or(WindowList{}));
  ASSERT_TRUE(SetItemText(*prompt, 1001, "Y"));
  ASSERT_TRUE(TapItem(*prompt, 1));
  EXPECT_TRUE(demo.LogShows("received 3 x A100"));

  // The host's confirmation in the Advisory dialog.
  const auto advisory = WaitDialog("Advisory");
  ASSERT_TRUE(advisory.has_value()) << Describe(probe_.List().value_or(WindowList{}));
  EXPECT_EQ(ItemText(*advisory, 1000), "Received 3 x A100. On hand: 27.");
  ASSERT_TRUE(TapItem(*advisory, 1));
  EXPECT_TRUE(WaitWindows([&](const WindowList& w) {
    const auto last = Control(w, 7);
    return !FindTopLevel(w, "#32770") && last && last->title.rfind("3 x A100", 0) == 0;
  })) << Describe(windows_);
}

}  // namespace
}  // namespace vantor::e2e
