#include "console/gl_console.h"

#include <gtest/gtest.h>

#include <cctype>
#include <tuple>
#include <utility>

#include "test_support.h"

namespace kt {
namespace {

// Every test shares the process registry, so each picks variable names no other test uses.

class ConsoleTest : public ::testing::Test {
 protected:
  test::ScratchDir dir_{"console"};
  test::ManualClockScope clock_;
  int width_ = 640;
  int height_ = 480;
  GLConsole console_{&width_, &height_, 12, 0.75f};

  // Types text the way the GUI delivers it: letters as upper-case key codes, "=" on the keypad
  // plus, "_" as Shift + keypad minus.
  void Type(const std::string& text) {
    for (char ch : text) {
      if (ch == '=') {
        console_.PressKey(ConsoleKey::kPadPlus);
      } else if (ch == '_') {
        console_.PressKey(ConsoleKey::kPadMinus, 0, true);
      } else {
        console_.PressKey(ConsoleKey::kCode, std::toupper(static_cast<unsigned char>(ch)));
      }
    }
  }
  void Enter(const std::string& text) {
    Type(text);
    console_.PressKey(ConsoleKey::kEnter);
  }
  const ConsoleLine& Newest(size_t back = 0) { return console_.Lines().at(back); }
};

// Each line entered and its answer: queries, assignments (a float assigned 0 is stored but
// reported as an error) and the three syntax errors.
TEST_F(ConsoleTest, AnswersQueriesAssignmentsAndSyntaxErrors) {
  CVar<int> fps("contest.fps", 1);
  CVar<float> farclip("contest.farclip", 100.0f);
  const std::string assignment = "Syntax Error: invalid assignment ('help' for help)";
  const std::string command = "Syntax Error: invalid command/function ('help' for help)";
  const std::pair<const char*, std::string> lines[] = {
      {"contest.fps", "contest.fps: 1"},
      {"contest.fps=0", "contest.fps: 0"},
      {"  contest.fps =  7 junk", "contest.fps: 7"},
      {"contest.farclip=0", assignment},
      {"contest.nothing=1", assignment},
      {"   =1", assignment},
      {"contest.fps 4", "Syntax Error: invalid function name ('help' for help)"},
      {"contest.nothing", command},
      {"", command},
  };
  for (const auto& [line, answer] : lines) {
    Enter(line);
    EXPECT_EQ(Newest().text, answer) << line;
    EXPECT_EQ(Newest().kind, answer.rfind("Syntax", 0) == 0 ? kLineError : kLineNormal) << line;
  }
  EXPECT_EQ(fps.Get(), 7);
  EXPECT_EQ(farclip.Get(), 0.0f);
}

std::vector<std::string> g_echo_args;
std::string Echo(const std::vector<std::string>& args) {
  g_echo_args = args;
  return args.size() == 2 ? "" : "pass two words";
}

TEST_F(ConsoleTest, CallsConsoleFunctionsWithSingleSpaceSplitArguments) {
  CVar<ConsoleFunction> echo("contest.echo", &Echo);
  Enter("contest.echo a  b");
  EXPECT_EQ(g_echo_args, (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(Newest().text, "Function 'contest.echo' Error: pass two words");
  EXPECT_EQ(Newest().kind, kLineError);

  const size_t count = console_.Lines().size();
  Enter("contest.echo x y");
  EXPECT_EQ(g_echo_args, (std::vector<std::string>{"x", "y"}));
  EXPECT_EQ(console_.Lines().size(), count + 1);  // only the hidden entered line

  Enter("contest.echo");
  EXPECT_TRUE(g_echo_args.empty());
  EXPECT_EQ(Newest().text, "Function 'contest.echo' Error: pass two words");

  EXPECT_EQ(SplitConsoleArguments(" a"), (std::vector<std::string>{"", "a"}));
  EXPECT_EQ(SplitConsoleArguments("a "), (std::vector<std::string>{"a"}));
}

std::string Nop(const std::vector<std::string>&) { return ""; }

TEST_F(ConsoleTest, TabCompletesAUniqueNameWithItsCapitals) {
  CVar<float> blend("tabtest.camera.blendTime", 0.5f);
  CVar<float> hdist("tabtest.camera.hdist", 4.8f);
  Type("tabtest.camera.b");
  console_.PressKey(ConsoleKey::kTab);
  EXPECT_EQ(console_.InputLine(), "tabtest.camera.blendTime");
  console_.PressKey(ConsoleKey::kEnter);
  EXPECT_EQ(Newest().text, "tabtest.camera.blendTime: 0.500000");

  Type("tabtest.camera.b");
  console_.PressKey(ConsoleKey::kTab);
  Enter("=2");
  EXPECT_FLOAT_EQ(blend, 2.0f);

  // A name typed in full cannot be completed further; an unknown prefix does nothing.
  const size_t count = console_.Lines().size();
  Type("tabtest.camera.hdist");
  console_.PressKey(ConsoleKey::kTab);
  EXPECT_EQ(console_.InputLine(), "tabtest.camera.hdist");
  console_.SetInputLine("tabtest.x");
  console_.PressKey(ConsoleKey::kTab);
  EXPECT_EQ(console_.InputLine(), "tabtest.x");
  EXPECT_EQ(console_.Lines().size(), count);
}

TEST_F(ConsoleTest, TabListsVariablesThenFunctionsAndExtendsToTheSharedPrefix) {
  CVar<float> a("tabsug.alpha_one", 1.0f);
  CVar<ConsoleFunction> f("tabsug.alpha_fn", &Nop);
  CVar<int> b("tabsug.alpha_two", 2);
  Type("tabsug.a");
  console_.PressKey(ConsoleKey::kTab);
  EXPECT_EQ(Newest(1).text, "Suggestions: tabsug.alpha_one tabsug.alpha_two ");
  EXPECT_EQ(Newest(1).kind, kLineNormal);
  EXPECT_EQ(Newest().text, "tabsug.alpha_fn ");
  EXPECT_EQ(Newest().kind, kLineHighlight);
  EXPECT_EQ(console_.InputLine(), "tabsug.alpha_");

  // Names that branch right away: suggestions only, the input stays.
  console_.PressKey(ConsoleKey::kTab);
  EXPECT_EQ(console_.InputLine(), "tabsug.alpha_");

  CVar<ConsoleFunction> g1("tabfn.go1", &Nop);
  CVar<ConsoleFunction> g2("tabfn.go2", &Nop);
  console_.SetInputLine("tabfn.");
  console_.PressKey(ConsoleKey::kTab);
  EXPECT_EQ(Newest().text, "Suggestions: tabfn.go1 tabfn.go2 ");
  EXPECT_EQ(Newest().kind, kLineHighlight);
  EXPECT_EQ(console_.InputLine(), "tabfn.go");
}

TEST_F(ConsoleTest, EnteredLinesAreHiddenButRecalledByTheArrows) {
  Enter("one");
  Enter("two");
  EXPECT_EQ(Newest(1).text, "two");
  EXPECT_EQ(Newest(1).kind, kLineHistory | kLineHidden);
  width_ = 2000;
  for (const ConsoleRow& row : console_.LayoutText().lines) EXPECT_NE(row.text, "two");

  Type("draft");
  console_.PressKey(ConsoleKey::kHistoryBack);
  EXPECT_EQ(console_.InputLine(), "two");
  console_.PressKey(ConsoleKey::kHistoryBack);
  EXPECT_EQ(console_.InputLine(), "one");
  console_.PressKey(ConsoleKey::kHistoryBack);  // past the oldest: unchanged, position grows
  EXPECT_EQ(console_.InputLine(), "one");
  EXPECT_EQ(console_.HistoryPosition(), 3);
  console_.PressKey(ConsoleKey::kHistoryForward);
  EXPECT_EQ(console_.InputLine(), "one");
  console_.PressKey(ConsoleKey::kHistoryForward);
  EXPECT_EQ(console_.InputLine(), "two");
  console_.PressKey(ConsoleKey::kHistoryForward);
  EXPECT_EQ(console_.InputLine(), "draft");
  console_.PressKey(ConsoleKey::kHistoryForward);
  EXPECT_EQ(console_.InputLine(), "draft");
}

TEST_F(ConsoleTest, KeepsTheNewestHundredLinesAndClearKeepsTheInput) {
  for (int i = 0; i < 150; ++i) console_.Print("line " + std::to_string(i), kLineNormal);
  EXPECT_EQ(console_.Lines().size(), 100u);
  EXPECT_EQ(console_.Lines().back().text, "line 50");
  EXPECT_EQ(Newest().text, "line 149");
  Type("abc");
  console_.Clear();
  EXPECT_TRUE(console_.Lines().empty());
  EXPECT_EQ(console_.InputLine(), "abc");
}

TEST_F(ConsoleTest, ToggleWhileTypingClosesAtOnceAndKeepsTheInput) {
  Type("contest.");
  console_.PressKey(ConsoleKey::kToggle);
  EXPECT_FALSE(console_.IsOpen());
  Type("xyz");  // typing does not reach a closed console
  console_.PressKey(ConsoleKey::kEnter);
  console_.PressKey(ConsoleKey::kToggle);
  EXPECT_TRUE(console_.IsOpen());
  EXPECT_EQ(console_.InputLine(), "contest.");
}

TEST_F(ConsoleTest, RoutesOnlyTheKeysThatReachTheConsole) {
  console_.PressKey(ConsoleKey::kCode, 91);  // above 90: dropped
  console_.PressKey(ConsoleKey::kCode, 20);
  console_.PressKey(ConsoleKey::kQuote);
  console_.PressKey(ConsoleKey::kPadDecimal);
  console_.PressKey(ConsoleKey::kPadMinus);
  console_.PressKey(ConsoleKey::kPadMinus, 0, true);
  console_.PressKey(ConsoleKey::kPadPlus);
  console_.PressKey(ConsoleKey::kCode, ' ');
  console_.PressKey(ConsoleKey::kCode, 'Q');
  EXPECT_EQ(console_.InputLine(), "'.-_= q");
  console_.PressKey(ConsoleKey::kBackspace);
  EXPECT_EQ(console_.InputLine(), "'.-_= ");
  console_.SetInputLine("");
  console_.PressKey(ConsoleKey::kBackspace);
  EXPECT_EQ(console_.InputLine(), "");
}

TEST_F(ConsoleTest, ScrollsOnlyWhileOpenNeverBelowZeroAndTypingResets) {
  console_.MouseDrag(1);
  EXPECT_EQ(console_.ScrollOffset(), 0);
  console_.MouseDrag(30);
  EXPECT_EQ(console_.ScrollOffset(), 30);
  console_.MouseDrag(-10);
  EXPECT_EQ(console_.ScrollOffset(), 20);
  console_.ScrollDown(100);
  EXPECT_EQ(console_.ScrollOffset(), 0);
  console_.ScrollUp(40);
  Type("a");
  EXPECT_EQ(console_.ScrollOffset(), 0);
  console_.Close();
  console_.ScrollUp(40);
  EXPECT_EQ(console_.ScrollOffset(), 0);
}

// The console slides in over 0.75 s; the cursor blinks with a period of 4/3 s.
TEST_F(ConsoleTest, SlidesInAndBlinksOnTheClock) {
  EXPECT_TRUE(console_.IsOpening());
  EXPECT_EQ(console_.CursorChar(), '_');
  for (const auto& [advance, height, cursor] : {std::tuple{0.375, 180.0f, '_'},
                                                {0.225, 288.0f, '_'},
                                                {0.1, 336.0f, ' '},
                                                {0.05, 360.0f, ' '},
                                                {0.59, 360.0f, '_'},
                                                {0.7, 360.0f, ' '}}) {
    clock_.Advance(advance);
    EXPECT_FLOAT_EQ(console_.ConsoleHeight(480), height);
    EXPECT_EQ(console_.CursorChar(), cursor);
  }
  EXPECT_FALSE(console_.IsOpening());
  console_.Close();
  console_.Open();
  clock_.Advance(0.15);
  EXPECT_FLOAT_EQ(console_.ConsoleHeight(480), 72.0f);
}

TEST_F(ConsoleTest, LaysOutRowsUpwardsWrappingLongLinesAndStoppingAtMaxLines) {
  width_ = 100;         // 13 characters per row at font size 12
  clock_.Advance(1.5);  // slid in; the cursor clock restarted
  console_.Print("older", kLineError);
  console_.Print("abcdefghijklmnopqrstuvwxyz0123", kLineNormal);
  console_.Print("hidden", kLineHidden);
  ConsoleLayout layout = console_.LayoutText();
  EXPECT_EQ(layout.height, 360);
  EXPECT_EQ(layout.input.y, 480 - 360 + 7);
  EXPECT_EQ(layout.input.text, "] _");
  const int step = 12 + 5;
  ASSERT_GE(layout.lines.size(), 4u);
  EXPECT_EQ(layout.lines[0].text, "0123");
  EXPECT_EQ(layout.lines[0].y, layout.input.y + step);
  EXPECT_EQ(layout.lines[1].text, "nopqrstuvwxyz");
  EXPECT_EQ(layout.lines[2].text, "abcdefghijklm");
  EXPECT_EQ(layout.lines[3].text, "older");
  EXPECT_EQ(layout.lines[3].y, layout.input.y + 4 * step);
  EXPECT_EQ(layout.lines[3].colour.g, GLConsole::kErrorColour.g);

  for (int i = 0; i < 30; ++i) console_.Print("x", kLineNormal);
  EXPECT_EQ(console_.LayoutText().lines.size(), 10u);  // console.max_lines
  CVar<int> max_lines("console.max_lines", 0);
  max_lines = 40;
  EXPECT_EQ(console_.LayoutText().lines.size(), 30u);  // 360 / 12 rows fit
  max_lines = 10;
}

TEST(GLConsole, RestoresBeforeRegisteringCommandsSavesOnDestroyAndOwnsTheLog) {
  test::ScratchDir dir("console");
  test::WriteFile("cvar.ini", "2 conlife.later 2.500000\n1 conlife.seen 9\n");
  int seen_during_registration = 0;
  {
    GLConsole console(nullptr, nullptr, 12, 0.75f,
                      [&] { seen_during_registration = CVar<int>("conlife.seen", 1).Get(); });
    EXPECT_EQ(console.Lines().back().text, "GLConsole: Restoring console variables");
    EXPECT_EQ(GetLogSink(), &console);
    LogPrintf("Test: %d", 5);
    EXPECT_EQ(console.Lines().front().text, "Test: 5");
    CVar<float> later("conlife.later", 1.0f);
    EXPECT_FLOAT_EQ(later, 2.5f);
    later = 3.0f;
    EXPECT_EQ(console.WindowWidth(), 0);
    console.SetWindowSize(320, 200);
    EXPECT_EQ(console.WindowHeight(), 200);
  }
  EXPECT_EQ(seen_during_registration, 9);
  EXPECT_EQ(GetLogSink(), nullptr);
  const std::string saved = test::ReadFile("cvar.ini");
  EXPECT_NE(saved.find("2 console.overlay 0.750000\n"), std::string::npos);
  EXPECT_NE(saved.find("2 conlife.later 3.000000\n1 conlife.seen 9\n"), std::string::npos);
}

}  // namespace
}  // namespace kt
