// The console model: scroll-back of printed lines, the input line with history and TAB
// completion, the slide-in animation, the cursor blink and the keys that reach it. It is the log
// sink while it exists. Drawing lives in render/, which reads the state exposed here (LayoutText
// does the row arithmetic so the drawer only issues GL calls).
//
// Contents: ConsoleKey - ConsoleLayout - GLConsole (lifecycle, printing, keys, line processing,
// completion, history, scrolling, drawing state).
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console/cvar.h"
#include "console/frame_timer.h"
#include "console/log.h"

namespace kt {

// What a key press means to the console. The GUI maps its own key codes onto these:
// the key left of 1 -> kToggle; up/down arrows -> kHistoryBack/kHistoryForward; keypad plus,
// decimal point and minus -> kPadPlus/kPadDecimal/kPadMinus; the quote key -> kQuote;
// Backspace, TAB, Enter -> kBackspace/kTab/kEnter; any other key -> kCode with its code (only
// codes 32..90 reach the console, which is why "=" is typed with the keypad plus).
enum class ConsoleKey {
  kToggle,
  kHistoryBack,
  kHistoryForward,
  kPadPlus,
  kPadDecimal,
  kPadMinus,
  kQuote,
  kBackspace,
  kTab,
  kEnter,
  kCode,
};

struct ConsoleColour {
  float r, g, b;
};

struct ConsoleLine {
  std::string text;
  int kind;  // LineKind bits
};

// One row of text at a window position (origin bottom left, as OpenGL's). The text views the
// console's own strings: it stays valid until the console's lines or input change.
struct ConsoleRow {
  std::string_view text;
  ConsoleColour colour;
  int x, y;
};

// Where everything of an open console goes in the current window.
struct ConsoleLayout {
  int height = 0;  // integer console height in pixels
  // Scissor rectangles (x, y, width, height) of the background and of the text.
  int background_clip[4] = {0, 0, 0, 0};
  int text_clip[4] = {0, 0, 0, 0};
  ConsoleRow input;               // "] " + input line + cursor
  std::vector<ConsoleRow> lines;  // from the lowest row up
  std::string input_text;         // what `input` views
};

class GLConsole : public LogSink {
 public:
  static constexpr int kMaxLines = 100;
  static constexpr double kOpeningSeconds = 0.75;
  static constexpr ConsoleColour kNormalColour{1.0f, 1.0f, 0.25f};
  static constexpr ConsoleColour kPromptColour{1.0f, 1.0f, 1.0f};
  static constexpr ConsoleColour kHighlightColour{0.25f, 1.0f, 0.25f};
  static constexpr ConsoleColour kErrorColour{1.0f, 0.5f, 0.25f};
  static constexpr ConsoleColour kBackgroundColour{0.8f, 0.2f, 0.3f};

  // window_width/window_height: the window size shared with the creator, or nullptr for the
  // console's own (0 until the drawer reports the viewport through SetWindowSize).
  // register_commands runs once after "cvar.ini" has been restored; the console commands are
  // registered there, so saved values reach variables before the commands read them.
  GLConsole(int* window_width, int* window_height, int font_size, float overlay_default,
            const std::function<void()>& register_commands = {});
  // Saves "cvar.ini" and stops being the log sink.
  ~GLConsole() override;
  GLConsole(const GLConsole&) = delete;
  GLConsole& operator=(const GLConsole&) = delete;

  // Adds a line as the newest, dropping the oldest beyond kMaxLines.
  void Print(const std::string& text, int kind) override;
  // Removes every line; the input line stays.
  void Clear();

  void Toggle();
  void Open();
  void Close();

  // One character: Enter (13) processes the input line, TAB (9) completes, Backspace (8)
  // deletes; anything else is appended, letters lower-cased.
  void Key(int c);
  // The GUI's key handler: routes one key press (see ConsoleKey). Toggle and the history keys
  // act whether the console is open or not; typing reaches it only while open.
  void PressKey(ConsoleKey key, int code = 0, bool shift = false);

  void HistoryBack();
  void HistoryForward();

  // While open only; the offset never goes below 0.
  void ScrollUp(int pixels);
  void ScrollDown(int pixels);
  // A vertical mouse movement while the left button is held: more than one pixel scrolls.
  void MouseDrag(int dy);

  // ---- state the drawer reads ----
  bool IsOpen() const { return open_; }
  bool IsOpening() const { return opening_; }
  // Pixels of the window the console covers; ends the slide-in once 0.75 s have passed.
  float ConsoleHeight(int window_height);
  // '_' for the first 2/3 s of each 4/3 s blink period, ' ' for the rest.
  char CursorChar();
  // Newest first.
  const std::deque<ConsoleLine>& Lines() const { return lines_; }
  const std::string& InputLine() const { return input_; }
  void SetInputLine(const std::string& text) { input_ = text; }
  int ScrollOffset() const { return scroll_offset_; }
  int HistoryPosition() const { return history_position_; }
  int FontSize() const { return font_size_; }
  int WindowWidth() const { return *window_width_; }
  int WindowHeight() const { return *window_height_; }
  // The drawer reports the viewport here on every draw.
  void SetWindowSize(int width, int height);
  FrameTimer& OpeningClock() { return opening_clock_; }
  FrameTimer& CursorClock() { return cursor_clock_; }
  static ConsoleColour LineColour(int kind);
  // `console.blend`, bound afresh on every call (the drawer calls it once per draw).
  static float BackgroundAlpha();
  // Rows for the current window size, scroll offset and lines; registers `console.max_lines`
  // on its first call. Reads the opening and cursor clocks. The layout is rebuilt in place on
  // every call (it runs every frame while the console is open), so nothing is allocated once
  // its buffers have grown.
  const ConsoleLayout& LayoutText();

 private:
  void SetOpen(bool open);
  void ProcessLine(const std::string& text);
  bool AssignVariable(const std::string& text);
  void CallFunction(const std::string& name, ConsoleFunction function,
                    const std::vector<std::string>& args);
  void Complete();
  // The n-th most recent history line (newest is 1), or nullptr.
  const std::string* HistoryLine(int n) const;

  CVar<float> overlay_;
  CVar<int> max_lines_;
  bool open_ = true;
  bool opening_ = true;
  FrameTimer opening_clock_;
  FrameTimer cursor_clock_;
  int own_width_ = 0;
  int own_height_ = 0;
  int* window_width_;
  int* window_height_;
  int font_size_;
  int scroll_offset_ = 0;
  std::string saved_input_;
  int history_position_ = 0;
  std::string input_;
  std::deque<ConsoleLine> lines_;
  ConsoleLayout layout_;
  // Cleared by the destructor: a command may destroy the console while it runs (quitting
  // shuts the world down), after which the line processing must not touch it.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

// Splits a function's argument text at every single space: "a  b" gives "a", "", "b"; a
// non-empty remainder after the last space is the last argument.
std::vector<std::string> SplitConsoleArguments(const std::string& text);

}  // namespace kt
