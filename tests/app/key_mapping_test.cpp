#include "app/key_mapping.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

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

TEST(ConsoleKeyMapping, OnlySpaceDigitsAndLettersAreTyped) {
  for (int code : {int(' '), int('0'), int('9'), int('A'), int('Z')}) {
    const auto press = MapConsoleKey(code);
    ASSERT_TRUE(press) << code;
    EXPECT_EQ(press->key, ConsoleKey::kCode);
    EXPECT_EQ(press->code, code);
  }
  EXPECT_EQ(MapConsoleKey('q')->code, 'Q');
  // Main-keyboard punctuation had codes above 90 in the console's table: "=" is typed with the
  // keypad plus, "." with the keypad decimal point.
  for (int code : {int('='), int('-'), int('.'), int(','), int('/'), int(';'), int('['),
                   int(WXK_LEFT), int(WXK_DELETE), int(WXK_F1), int(WXK_ESCAPE),
                   int(WXK_NUMPAD_DELETE), int(WXK_NUMPAD_MULTIPLY)})
    EXPECT_FALSE(MapConsoleKey(code)) << code;
}

}  // namespace
}  // namespace kt
