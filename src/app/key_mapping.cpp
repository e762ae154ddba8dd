// Toolkit key codes to console keys.
#include "app/key_mapping.h"

#include <wx/defs.h>

namespace kt {

std::optional<ConsoleKeyPress> MapConsoleKey(int key_code) {
  switch (key_code) {
    case '`':
      return ConsoleKeyPress{ConsoleKey::kToggle};
    case WXK_UP:
      return ConsoleKeyPress{ConsoleKey::kHistoryBack};
    case WXK_DOWN:
      return ConsoleKeyPress{ConsoleKey::kHistoryForward};
    case WXK_NUMPAD_ADD:
      return ConsoleKeyPress{ConsoleKey::kPadPlus};
    case WXK_NUMPAD_DECIMAL:
      return ConsoleKeyPress{ConsoleKey::kPadDecimal};
    case WXK_NUMPAD_SUBTRACT:
      return ConsoleKeyPress{ConsoleKey::kPadMinus};
    case '\'':
      return ConsoleKeyPress{ConsoleKey::kQuote};
    case WXK_BACK:
      return ConsoleKeyPress{ConsoleKey::kBackspace};
    case WXK_TAB:
      return ConsoleKeyPress{ConsoleKey::kTab};
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER:
      return ConsoleKeyPress{ConsoleKey::kEnter};
    default:
      break;
  }
  if (key_code == ' ' || (key_code >= '0' && key_code <= '9') ||
      (key_code >= 'A' && key_code <= 'Z'))
    return ConsoleKeyPress{ConsoleKey::kCode, key_code};
  if (key_code >= 'a' && key_code <= 'z')
    return ConsoleKeyPress{ConsoleKey::kCode, key_code - 'a' + 'A'};
  return std::nullopt;
}

}  // namespace kt
