// What a keyboard scan code means to the console: letters, digits and space are typed as they
// are (letters upper case), the backquote opens and closes it, the cursor keys walk its
// history, Enter and the keypad's Enter run the line. The keypad plus, decimal point and minus
// stand for "=", "." and "-"/"_" (the console's table is written in those), and the main
// keyboard's "=", "." and "-" type the same; the apostrophe key gives a quote. Every other key
// never reaches the console.
#pragma once

#include <optional>

#include "console/gl_console.h"
#include "input/dik_codes.h"

namespace kt {

struct ConsoleKeyPress {
  ConsoleKey key;
  int code = 0;  // for ConsoleKey::kCode: the character, letters upper case
};

inline std::optional<ConsoleKeyPress> ConsoleKeyOfDik(int dik) {
  // Letters in keyboard rows, as the scan codes run.
  static constexpr int kLetterDik[26] = {
      kDikA, kDikB, kDikC, kDikD, kDikE, kDikF, kDikG, kDikH, kDikI, kDikJ, kDikK, kDikL, kDikM,
      kDikN, kDikO, kDikP, kDikQ, kDikR, kDikS, kDikT, kDikU, kDikV, kDikW, kDikX, kDikY, kDikZ};
  for (int i = 0; i < 26; ++i)
    if (kLetterDik[i] == dik) return ConsoleKeyPress{ConsoleKey::kCode, 'A' + i};
  if (dik >= kDik1 && dik < kDik0) return ConsoleKeyPress{ConsoleKey::kCode, '1' + (dik - kDik1)};
  switch (dik) {
    case kDik0:
      return ConsoleKeyPress{ConsoleKey::kCode, '0'};
    case kDikSpace:
      return ConsoleKeyPress{ConsoleKey::kCode, ' '};
    case kDikGrave:
      return ConsoleKeyPress{ConsoleKey::kToggle};
    case kDikUp:
      return ConsoleKeyPress{ConsoleKey::kHistoryBack};
    case kDikDown:
      return ConsoleKeyPress{ConsoleKey::kHistoryForward};
    case kDikAdd:
    case kDikEquals:
      return ConsoleKeyPress{ConsoleKey::kPadPlus};
    case kDikDecimal:
    case kDikPeriod:
      return ConsoleKeyPress{ConsoleKey::kPadDecimal};
    case kDikSubtract:
    case kDikMinus:
      return ConsoleKeyPress{ConsoleKey::kPadMinus};
    case kDikApostrophe:
      return ConsoleKeyPress{ConsoleKey::kQuote};
    case kDikBack:
      return ConsoleKeyPress{ConsoleKey::kBackspace};
    case kDikTab:
      return ConsoleKeyPress{ConsoleKey::kTab};
    case kDikReturn:
    case kDikNumpadEnter:
      return ConsoleKeyPress{ConsoleKey::kEnter};
    default:
      return std::nullopt;
  }
}

}  // namespace kt
