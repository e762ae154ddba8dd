// The toolkit's key codes as the console and the keyboard device take them.
#include "app/key_mapping.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

#include <string>
#include <utility>

#include "test_support.h"

namespace kt {
namespace {

ConsoleKey KeyOf(int code) { return MapConsoleKey(code).value().key; }

TEST(ConsoleKeyMapping, SpecialKeysMapByMeaning) {
  using K = ConsoleKey;
  for (const auto& [code, key] :
       {std::pair{int('`'), K::kToggle},
        {WXK_UP, K::kHistoryBack},
        {WXK_DOWN, K::kHistoryForward},
        {WXK_NUMPAD_ADD, K::kPadPlus},
        {WXK_NUMPAD_DECIMAL, K::kPadDecimal},
        {WXK_NUMPAD_SUBTRACT, K::kPadMinus},
        {int('\''), K::kQuote},
        {WXK_BACK, K::kBackspace},
        {WXK_TAB, K::kTab},
        {WXK_RETURN, K::kEnter},
        {WXK_NUMPAD_ENTER, K::kEnter},
        // The main keyboard types the assignment punctuation like the keypad.
        {int('='), K::kPadPlus},
        {int('.'), K::kPadDecimal},
        {int('-'), K::kPadMinus},
        {int('_'), K::kPadMinus}})
    EXPECT_EQ(KeyOf(code), key) << code;
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

TEST(ConsoleKeyMapping, MainKeyboardTypesAssignmentsIntoTheConsole) {
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

// The scan codes are what "cvar.ini" stores for the key bindings.
TEST(DikMapping, KeysMapToDirectInputScanCodes) {
  for (const auto& [code, dik] :
       {// The default bindings: arrows, A, D, W; the configuration dialogue's keys.
        std::pair{int(WXK_LEFT), 203},
        {WXK_RIGHT, 205},
        {WXK_UP, 200},
        {WXK_DOWN, 208},
        {int('A'), 30},
        {int('d'), 32},
        {int('W'), 17},
        {WXK_RETURN, 28},
        {WXK_ESCAPE, 1},
        {int('Y'), 21},
        {int('N'), 49},
        // Rows and blocks.
        {int('Q'), 16},
        {int('P'), 25},
        {int('L'), 38},
        {int('Z'), 44},
        {int('M'), 50},
        {int('1'), 2},
        {int('9'), 10},
        {int('0'), 11},
        {int('-'), 12},
        {int('='), 13},
        {int('`'), 41},
        {int('.'), 52},
        {int(' '), 57},
        {WXK_F1, 59},
        {WXK_F10, 68},
        {WXK_F12, 88},
        {WXK_NUMPAD7, 71},
        {WXK_NUMPAD_HOME, 71},
        {WXK_NUMPAD_SUBTRACT, 74},
        {WXK_NUMPAD_ADD, 78},
        {WXK_NUMPAD0, 82},
        {WXK_NUMPAD_DECIMAL, 83},
        {WXK_NUMPAD_ENTER, 156},
        {WXK_DELETE, 211},
        {WXK_PAGEDOWN, 209}})
    EXPECT_EQ(MapDikCode(code), dik) << code;
  EXPECT_FALSE(MapDikCode(WXK_NONE));
  EXPECT_FALSE(MapDikCode(WXK_MENU));
}

}  // namespace
}  // namespace kt
