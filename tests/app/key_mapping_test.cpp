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

// The main keyboard types the assignment punctuation (= . - _) like the keypad.
TEST(ConsoleKeyMapping, SpecialKeysMapByMeaning) {
  using K = ConsoleKey;
  // clang-format off
  const std::pair<int, ConsoleKey> keys[] = {
      {'`', K::kToggle}, {WXK_UP, K::kHistoryBack}, {WXK_DOWN, K::kHistoryForward},
      {WXK_NUMPAD_ADD, K::kPadPlus}, {WXK_NUMPAD_DECIMAL, K::kPadDecimal},
      {WXK_NUMPAD_SUBTRACT, K::kPadMinus}, {'\'', K::kQuote}, {WXK_BACK, K::kBackspace},
      {WXK_TAB, K::kTab}, {WXK_RETURN, K::kEnter}, {WXK_NUMPAD_ENTER, K::kEnter},
      {'=', K::kPadPlus}, {'.', K::kPadDecimal}, {'-', K::kPadMinus}, {'_', K::kPadMinus}};
  // clang-format on
  for (const auto& [code, key] : keys) EXPECT_EQ(KeyOf(code), key) << code;
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

// The scan codes are what "cvar.ini" stores for the key bindings: the defaults (arrows, A, D,
// W), the configuration dialogue's keys, then rows and blocks.
TEST(DikMapping, KeysMapToDirectInputScanCodes) {
  // clang-format off
  const std::pair<int, int> codes[] = {
      {WXK_LEFT, 203}, {WXK_RIGHT, 205}, {WXK_UP, 200}, {WXK_DOWN, 208}, {'A', 30}, {'d', 32},
      {'W', 17}, {WXK_RETURN, 28}, {WXK_ESCAPE, 1}, {'Y', 21}, {'N', 49}, {'Q', 16}, {'P', 25},
      {'L', 38}, {'Z', 44}, {'M', 50}, {'1', 2}, {'9', 10}, {'0', 11}, {'-', 12}, {'=', 13},
      {'`', 41}, {'.', 52}, {' ', 57}, {WXK_F1, 59}, {WXK_F10, 68}, {WXK_F12, 88},
      {WXK_NUMPAD7, 71}, {WXK_NUMPAD_HOME, 71}, {WXK_NUMPAD_SUBTRACT, 74}, {WXK_NUMPAD_ADD, 78},
      {WXK_NUMPAD0, 82}, {WXK_NUMPAD_DECIMAL, 83}, {WXK_NUMPAD_ENTER, 156}, {WXK_DELETE, 211},
      {WXK_PAGEDOWN, 209}};
  // clang-format on
  for (const auto& [code, dik] : codes) EXPECT_EQ(MapDikCode(code), dik) << code;
  EXPECT_FALSE(MapDikCode(WXK_NONE));
  EXPECT_FALSE(MapDikCode(WXK_MENU));
}

}  // namespace
}  // namespace kt
