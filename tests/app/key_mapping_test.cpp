#include "app/key_mapping.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

#include <string>

#include "test_support.h"

namespace kt {
namespace {

ConsoleKey KeyOf(int code) { return MapConsoleKey(code).value().key; }

TEST(ConsoleKeyMapping, SpecialKeysMapByMeaning) {
  EXPECT_EQ(KeyOf('`'), ConsoleKey::kToggle);
  EXPECT_EQ(KeyOf(WXK_UP), ConsoleKey::kHistoryBack);
  EXPECT_EQ(KeyOf(WXK_DOWN), ConsoleKey::kHistoryForward);
  EXPECT_EQ(KeyOf(WXK_NUMPAD_ADD), ConsoleKey::kPadPlus);
  EXPECT_EQ(KeyOf(WXK_NUMPAD_DECIMAL), ConsoleKey::kPadDecimal);
  EXPECT_EQ(KeyOf(WXK_NUMPAD_SUBTRACT), ConsoleKey::kPadMinus);
  EXPECT_EQ(KeyOf('\''), ConsoleKey::kQuote);
  EXPECT_EQ(KeyOf(WXK_BACK), ConsoleKey::kBackspace);
  EXPECT_EQ(KeyOf(WXK_TAB), ConsoleKey::kTab);
  EXPECT_EQ(KeyOf(WXK_RETURN), ConsoleKey::kEnter);
  EXPECT_EQ(KeyOf(WXK_NUMPAD_ENTER), ConsoleKey::kEnter);
}

TEST(ConsoleKeyMapping, SpaceDigitsAndLettersAreTypedAsTheyAre) {
  for (int code : {int(' '), int('0'), int('9'), int('A'), int('Z')}) {
    const auto press = MapConsoleKey(code);
    ASSERT_TRUE(press) << code;
    EXPECT_EQ(press->key, ConsoleKey::kCode);
    EXPECT_EQ(press->code, code);
  }
  EXPECT_EQ(MapConsoleKey('q')->code, 'Q');
  // Other main-keyboard punctuation had codes above 90 in the console's table.
  for (int code : {int(','), int('/'), int(';'), int('['), int(WXK_LEFT), int(WXK_DELETE),
                   int(WXK_F1), int(WXK_ESCAPE), int(WXK_NUMPAD_DELETE), int(WXK_NUMPAD_MULTIPLY)})
    EXPECT_FALSE(MapConsoleKey(code)) << code;
}

TEST(ConsoleKeyMapping, MainKeyboardTypesAssignmentPunctuationLikeTheKeypad) {
  EXPECT_EQ(KeyOf('='), ConsoleKey::kPadPlus);
  EXPECT_EQ(KeyOf('.'), ConsoleKey::kPadDecimal);
  EXPECT_EQ(KeyOf('-'), ConsoleKey::kPadMinus);
  EXPECT_EQ(KeyOf('_'), ConsoleKey::kPadMinus);

  // Through the console: "stats.fps=0" typed entirely on the main keyboard, and "a_b" with Shift.
  test::ScratchDir dir("console_keys");
  int width = 640, height = 480;
  GLConsole console(&width, &height, 12, 0.75f);
  ASSERT_TRUE(console.IsOpen());
  const auto type = [&](int code, bool shift = false) {
    const ConsoleKeyPress press = MapConsoleKey(code).value();
    console.PressKey(press.key, press.code, shift);
  };
  for (char c : std::string("STATS.FPS=0")) type(c);
  EXPECT_EQ(console.InputLine(), "stats.fps=0");
  type(WXK_BACK);
  type(WXK_NUMPAD_SUBTRACT);
  type('-', true);
  type(WXK_NUMPAD_DECIMAL);
  type(WXK_NUMPAD_ADD);
  EXPECT_EQ(console.InputLine(), "stats.fps=-_.=");
}

TEST(DikMapping, KeysMapToDirectInputScanCodes) {
  // The default bindings: arrows, A, D, W.
  EXPECT_EQ(MapDikCode(WXK_LEFT), 203);
  EXPECT_EQ(MapDikCode(WXK_RIGHT), 205);
  EXPECT_EQ(MapDikCode(WXK_UP), 200);
  EXPECT_EQ(MapDikCode(WXK_DOWN), 208);
  EXPECT_EQ(MapDikCode('A'), 30);
  EXPECT_EQ(MapDikCode('d'), 32);
  EXPECT_EQ(MapDikCode('W'), 17);
  // The configuration dialogue's keys.
  EXPECT_EQ(MapDikCode(WXK_RETURN), 28);
  EXPECT_EQ(MapDikCode(WXK_ESCAPE), 1);
  EXPECT_EQ(MapDikCode('Y'), 21);
  EXPECT_EQ(MapDikCode('N'), 49);
  // Rows and blocks.
  EXPECT_EQ(MapDikCode('Q'), 16);
  EXPECT_EQ(MapDikCode('P'), 25);
  EXPECT_EQ(MapDikCode('L'), 38);
  EXPECT_EQ(MapDikCode('Z'), 44);
  EXPECT_EQ(MapDikCode('M'), 50);
  EXPECT_EQ(MapDikCode('1'), 2);
  EXPECT_EQ(MapDikCode('9'), 10);
  EXPECT_EQ(MapDikCode('0'), 11);
  EXPECT_EQ(MapDikCode('-'), 12);
  EXPECT_EQ(MapDikCode('='), 13);
  EXPECT_EQ(MapDikCode('`'), 41);
  EXPECT_EQ(MapDikCode('.'), 52);
  EXPECT_EQ(MapDikCode(' '), 57);
  EXPECT_EQ(MapDikCode(WXK_F1), 59);
  EXPECT_EQ(MapDikCode(WXK_F10), 68);
  EXPECT_EQ(MapDikCode(WXK_F12), 88);
  EXPECT_EQ(MapDikCode(WXK_NUMPAD7), 71);
  EXPECT_EQ(MapDikCode(WXK_NUMPAD_HOME), 71);
  EXPECT_EQ(MapDikCode(WXK_NUMPAD_SUBTRACT), 74);
  EXPECT_EQ(MapDikCode(WXK_NUMPAD_ADD), 78);
  EXPECT_EQ(MapDikCode(WXK_NUMPAD0), 82);
  EXPECT_EQ(MapDikCode(WXK_NUMPAD_DECIMAL), 83);
  EXPECT_EQ(MapDikCode(WXK_NUMPAD_ENTER), 156);
  EXPECT_EQ(MapDikCode(WXK_DELETE), 211);
  EXPECT_EQ(MapDikCode(WXK_PAGEDOWN), 209);
  EXPECT_FALSE(MapDikCode(WXK_NONE));
  EXPECT_FALSE(MapDikCode(WXK_MENU));
}

}  // namespace
}  // namespace kt
