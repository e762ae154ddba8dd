// DirectInput keyboard scan codes (set 1): the index of the keyboard table and the values of
// the `input.key_*` variables.
#pragma once

namespace kt {

enum DikCode : int {
  kDikEscape = 1,
  kDik1 = 2,  // digits 1..9 are 2..10, 0 is 11
  kDik0 = 11,
  kDikMinus = 12,
  kDikEquals = 13,
  kDikBack = 14,
  kDikTab = 15,
  kDikQ = 16,
  kDikW = 17,
  kDikE = 18,
  kDikR = 19,
  kDikT = 20,
  kDikY = 21,
  kDikU = 22,
  kDikI = 23,
  kDikO = 24,
  kDikP = 25,
  kDikLBracket = 26,
  kDikRBracket = 27,
  kDikReturn = 28,
  kDikLControl = 29,
  kDikA = 30,
  kDikS = 31,
  kDikD = 32,
  kDikF = 33,
  kDikG = 34,
  kDikH = 35,
  kDikJ = 36,
  kDikK = 37,
  kDikL = 38,
  kDikSemicolon = 39,
  kDikApostrophe = 40,
  kDikGrave = 41,
  kDikLShift = 42,
  kDikBackslash = 43,
  kDikZ = 44,
  kDikX = 45,
  kDikC = 46,
  kDikV = 47,
  kDikB = 48,
  kDikN = 49,
  kDikM = 50,
  kDikComma = 51,
  kDikPeriod = 52,
  kDikSlash = 53,
  kDikRShift = 54,
  kDikMultiply = 55,  // keypad *
  kDikLMenu = 56,     // left Alt
  kDikSpace = 57,
  kDikCapital = 58,
  kDikF1 = 59,  // F1..F10 are 59..68
  kDikF10 = 68,
  kDikNumLock = 69,
  kDikScroll = 70,
  kDikNumpad7 = 71,
  kDikNumpad8 = 72,
  kDikNumpad9 = 73,
  kDikSubtract = 74,  // keypad -
  kDikNumpad4 = 75,
  kDikNumpad5 = 76,
  kDikNumpad6 = 77,
  kDikAdd = 78,  // keypad +
  kDikNumpad1 = 79,
  kDikNumpad2 = 80,
  kDikNumpad3 = 81,
  kDikNumpad0 = 82,
  kDikDecimal = 83,  // keypad .
  kDikF11 = 87,
  kDikF12 = 88,
  kDikNumpadEnter = 156,
  kDikRControl = 157,
  kDikDivide = 181,  // keypad /
  kDikRMenu = 184,   // right Alt
  kDikPause = 197,
  kDikHome = 199,
  kDikUp = 200,
  kDikPrior = 201,  // Page Up
  kDikLeft = 203,
  kDikRight = 205,
  kDikEnd = 207,
  kDikDown = 208,
  kDikNext = 209,  // Page Down
  kDikInsert = 210,
  kDikDelete = 211,
};

}  // namespace kt
