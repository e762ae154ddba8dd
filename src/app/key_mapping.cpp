// Toolkit key codes to console keys and to DirectInput scan codes.
#include "app/key_mapping.h"

#include <wx/defs.h>

#include "input/dik_codes.h"

namespace kt {

std::optional<ConsoleKeyPress> MapConsoleKey(int key_code) {
  switch (key_code) {
    // Shifted punctuation and the old keypad codes share a scan code with a key the console
    // reads, but the console's table never had them.
    case '~':
    case '+':
    case '>':
    case '"':
    case WXK_ADD:
    case WXK_SUBTRACT:
    case WXK_DECIMAL:
    case WXK_NUMPAD_DELETE:
      return std::nullopt;
    default:
      break;
  }
  const std::optional<int> dik = MapDikCode(key_code);
  return dik ? ConsoleKeyOfDik(*dik) : std::nullopt;
}

std::optional<int> MapDikCode(int key_code) {
  if (key_code >= 'a' && key_code <= 'z') key_code -= 'a' - 'A';
  // Letters in keyboard rows, as the scan codes run.
  static constexpr int kLetterDik[26] = {
      kDikA, kDikB, kDikC, kDikD, kDikE, kDikF, kDikG, kDikH, kDikI, kDikJ, kDikK, kDikL, kDikM,
      kDikN, kDikO, kDikP, kDikQ, kDikR, kDikS, kDikT, kDikU, kDikV, kDikW, kDikX, kDikY, kDikZ};
  if (key_code >= 'A' && key_code <= 'Z') return kLetterDik[key_code - 'A'];
  if (key_code >= '1' && key_code <= '9') return kDik1 + (key_code - '1');
  if (key_code >= WXK_F1 && key_code <= WXK_F10) return kDikF1 + (key_code - WXK_F1);
  switch (key_code) {
    case '0':
      return kDik0;
    case WXK_ESCAPE:
      return kDikEscape;
    case '-':
    case '_':
      return kDikMinus;
    case '=':
    case '+':
      return kDikEquals;
    case WXK_BACK:
      return kDikBack;
    case WXK_TAB:
      return kDikTab;
    case '[':
    case '{':
      return kDikLBracket;
    case ']':
    case '}':
      return kDikRBracket;
    case WXK_RETURN:
      return kDikReturn;
    case WXK_CONTROL:
      return kDikLControl;
    case ';':
    case ':':
      return kDikSemicolon;
    case '\'':
    case '"':
      return kDikApostrophe;
    case '`':
    case '~':
      return kDikGrave;
    case WXK_SHIFT:
      return kDikLShift;
    case '\\':
    case '|':
      return kDikBackslash;
    case ',':
    case '<':
      return kDikComma;
    case '.':
    case '>':
      return kDikPeriod;
    case '/':
    case '?':
      return kDikSlash;
    case WXK_NUMPAD_MULTIPLY:
    case WXK_MULTIPLY:
      return kDikMultiply;
    case WXK_ALT:
      return kDikLMenu;
    case ' ':
      return kDikSpace;
    case WXK_CAPITAL:
      return kDikCapital;
    case WXK_NUMLOCK:
      return kDikNumLock;
    case WXK_SCROLL:
      return kDikScroll;
    // The keypad reads the same with Num Lock on (digits) or off (cursor keys).
    case WXK_NUMPAD7:
    case WXK_NUMPAD_HOME:
      return kDikNumpad7;
    case WXK_NUMPAD8:
    case WXK_NUMPAD_UP:
      return kDikNumpad8;
    case WXK_NUMPAD9:
    case WXK_NUMPAD_PAGEUP:
      return kDikNumpad9;
    case WXK_NUMPAD_SUBTRACT:
    case WXK_SUBTRACT:
      return kDikSubtract;
    case WXK_NUMPAD4:
    case WXK_NUMPAD_LEFT:
      return kDikNumpad4;
    case WXK_NUMPAD5:
    case WXK_NUMPAD_BEGIN:
      return kDikNumpad5;
    case WXK_NUMPAD6:
    case WXK_NUMPAD_RIGHT:
      return kDikNumpad6;
    case WXK_NUMPAD_ADD:
    case WXK_ADD:
      return kDikAdd;
    case WXK_NUMPAD1:
    case WXK_NUMPAD_END:
      return kDikNumpad1;
    case WXK_NUMPAD2:
    case WXK_NUMPAD_DOWN:
      return kDikNumpad2;
    case WXK_NUMPAD3:
    case WXK_NUMPAD_PAGEDOWN:
      return kDikNumpad3;
    case WXK_NUMPAD0:
    case WXK_NUMPAD_INSERT:
      return kDikNumpad0;
    case WXK_NUMPAD_DECIMAL:
    case WXK_NUMPAD_DELETE:
    case WXK_DECIMAL:
      return kDikDecimal;
    case WXK_F11:
      return kDikF11;
    case WXK_F12:
      return kDikF12;
    case WXK_NUMPAD_ENTER:
      return kDikNumpadEnter;
    case WXK_NUMPAD_DIVIDE:
    case WXK_DIVIDE:
      return kDikDivide;
    case WXK_PAUSE:
      return kDikPause;
    case WXK_HOME:
      return kDikHome;
    case WXK_UP:
      return kDikUp;
    case WXK_PAGEUP:
      return kDikPrior;
    case WXK_LEFT:
      return kDikLeft;
    case WXK_RIGHT:
      return kDikRight;
    case WXK_END:
      return kDikEnd;
    case WXK_DOWN:
      return kDikDown;
    case WXK_PAGEDOWN:
      return kDikNext;
    case WXK_INSERT:
      return kDikInsert;
    case WXK_DELETE:
      return kDikDelete;
    default:
      return std::nullopt;
  }
}

}  // namespace kt
