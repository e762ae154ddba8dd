// The console model: lifecycle, printing, keys, line processing, completion, history,
// scrolling and the layout the drawer uses.
//
// Contents: lifecycle - printing and opening - keys - processing a line - TAB completion -
// history - scrolling - drawing state and layout.
#include "console/gl_console.h"

#include <algorithm>

namespace kt {

namespace {

constexpr int kEnter = 13;
constexpr int kTab = 9;
constexpr int kBackspace = 8;
constexpr double kCursorOnSeconds = 2.0 / 3.0;
constexpr double kCursorPeriodSeconds = 4.0 / 3.0;

const char kInvalidAssignment[] = "Syntax Error: invalid assignment ('help' for help)";
const char kInvalidFunctionName[] = "Syntax Error: invalid function name ('help' for help)";
const char kInvalidCommand[] = "Syntax Error: invalid command/function ('help' for help)";

}  // namespace

// ---- lifecycle -----------------------------------------------------------------------------

GLConsole::GLConsole(int* window_width, int* window_height, int font_size, float overlay_default,
                     const std::function<void()>& register_commands)
    : window_width_(window_width ? window_width : &own_width_),
      window_height_(window_height ? window_height : &own_height_),
      font_size_(font_size) {
  SetLogSink(this);
  overlay_.Register("console.overlay", overlay_default);
  opening_clock_.Reset();
  cursor_clock_.Reset();
  Print("GLConsole: Restoring console variables", kLineNormal);
  RestoreCVars();
  if (register_commands) register_commands();
}

GLConsole::~GLConsole() {
  *alive_ = false;
  SaveCVars();
  if (GetLogSink() == this) SetLogSink(nullptr);
}

// ---- printing and opening ------------------------------------------------------------------

void GLConsole::Print(const std::string& text, int kind) {
  if (lines_.size() >= kMaxLines) lines_.pop_back();
  lines_.push_front({text, kind});
}

void GLConsole::Clear() { lines_.clear(); }

void GLConsole::Toggle() { SetOpen(!open_); }
void GLConsole::Open() { SetOpen(true); }
void GLConsole::Close() { SetOpen(false); }

// Closing takes effect at once (a closed console is not drawn); opening slides in.
void GLConsole::SetOpen(bool open) {
  open_ = open;
  opening_ = true;
  opening_clock_.Reset();
}

// ---- keys ----------------------------------------------------------------------------------

void GLConsole::Key(int c) {
  if (c == kEnter) {
    const std::shared_ptr<bool> alive = alive_;
    ProcessLine(std::string(input_));  // a command may set the input line
    if (!*alive) return;
    input_.clear();
    history_position_ = 0;
    scroll_offset_ = 0;
  } else if (c == kTab) {
    Complete();
  } else if (c == kBackspace) {
    if (!input_.empty()) input_.pop_back();
  } else if (c > 0 && c <= 255) {
    if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
    input_.push_back(static_cast<char>(c));
    history_position_ = 0;
    scroll_offset_ = 0;
  }
}

void GLConsole::PressKey(ConsoleKey key, int code, bool shift) {
  int c = 0;
  switch (key) {
    case ConsoleKey::kToggle:
      Toggle();
      return;
    case ConsoleKey::kHistoryBack:
      HistoryBack();
      return;
    case ConsoleKey::kHistoryForward:
      HistoryForward();
      return;
    case ConsoleKey::kPadPlus:
      c = '=';
      break;
    case ConsoleKey::kPadDecimal:
      c = '.';
      break;
    case ConsoleKey::kPadMinus:
      c = shift ? '_' : '-';
      break;
    case ConsoleKey::kQuote:
      c = '\'';
      break;
    case ConsoleKey::kBackspace:
      c = kBackspace;
      break;
    case ConsoleKey::kTab:
      c = kTab;
      break;
    case ConsoleKey::kEnter:
      c = kEnter;
      break;
    case ConsoleKey::kCode:
      if (code < 32 || code > 90) return;
      c = code;
      break;
  }
  if (open_) Key(c);
}

// ---- processing a line ---------------------------------------------------------------------

namespace {

// Leading spaces dropped, cut at the next space.
std::string FirstWord(const std::string& text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return {};
  const size_t end = text.find(' ', start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

bool IsVariable(const CVarEntry* entry) {
  return entry && (entry->value.type == kCVarInt || entry->value.type == kCVarFloat);
}

}  // namespace

std::vector<std::string> SplitConsoleArguments(const std::string& text) {
  std::vector<std::string> args;
  size_t start = 0;
  for (size_t space; (space = text.find(' ', start)) != std::string::npos; start = space + 1) {
    args.push_back(text.substr(start, space - start));
  }
  if (start < text.size()) args.push_back(text.substr(start));
  return args;
}

void GLConsole::ProcessLine(const std::string& text) {
  Print(text, kLineHistory | kLineHidden);
  CVarRegistry& registry = GetCVarRegistry();
  if (CVarEntry* entry = registry.Find(text)) {
    if (entry->value.type == kCVarFunction) {
      CallFunction(entry->name, entry->value.fn, {});
    } else {
      Print(entry->name + ": " + CVarToText(entry->value), kLineNormal);
    }
    return;
  }
  if (text.find('=') != std::string::npos) {
    if (!AssignVariable(text)) Print(kInvalidAssignment, kLineError);
    return;
  }
  const size_t space = text.find(' ');
  if (space == std::string::npos) {
    Print(kInvalidCommand, kLineError);
    return;
  }
  const std::string name = text.substr(0, space);
  const CVarEntry* entry = registry.Find(name);
  if (!entry || entry->value.type != kCVarFunction) {
    Print(kInvalidFunctionName, kLineError);
    return;
  }
  CallFunction(entry->name, entry->value.fn, SplitConsoleArguments(text.substr(space + 1)));
}

bool GLConsole::AssignVariable(const std::string& text) {
  const size_t equals = text.find('=');
  const std::string name = FirstWord(text.substr(0, equals));
  const std::string value = FirstWord(text.substr(equals + 1));
  CVarEntry* entry = GetCVarRegistry().Find(name);
  if (!IsVariable(entry) || !CVarFromText(entry->value, entry->value.type, value)) return false;
  Print(entry->name + ": " + CVarToText(entry->value), kLineNormal);
  return true;
}

void GLConsole::CallFunction(const std::string& name, ConsoleFunction function,
                             const std::vector<std::string>& args) {
  if (!function) return;  // registered without a function: nothing to run
  const std::shared_ptr<bool> alive = alive_;
  const std::string error = function(args);
  if (*alive && !error.empty()) Print("Function '" + name + "' Error: " + error, kLineError);
}

// ---- TAB completion ------------------------------------------------------------------------

void GLConsole::Complete() {
  CVarRegistry& registry = GetCVarRegistry();
  const CVarRegistry::Node* node = registry.FindNode(input_);
  if (!node || node->kind == CVarRegistry::kEntryLeaf || node->children.empty()) return;
  const std::vector<CVarEntry*> entries = registry.Collect(node);
  if (entries.empty()) return;
  if (entries.size() == 1) {
    input_ = entries.front()->name;
    return;
  }
  std::string variables, functions;
  for (const CVarEntry* entry : entries) {
    (entry->value.type == kCVarFunction ? functions : variables) += entry->name + " ";
  }
  if (!variables.empty()) {
    Print("Suggestions: " + variables, kLineNormal);
    if (!functions.empty()) Print(functions, kLineHighlight);
  } else {
    Print("Suggestions: " + functions, kLineHighlight);
  }
  // Extend to the longest prefix all names share: the chain of single children below node.
  size_t steps = 0;
  for (const CVarRegistry::Node* n = node; n->children.size() == 1; n = n->children[0].get()) {
    ++steps;
  }
  input_ = entries.front()->name.substr(0, input_.size() + steps);
}

// ---- history -------------------------------------------------------------------------------

const std::string* GLConsole::HistoryLine(int n) const {
  for (const ConsoleLine& line : lines_) {
    if ((line.kind & kLineHistory) && --n == 0) return &line.text;
  }
  return nullptr;
}

void GLConsole::HistoryBack() {
  if (history_position_ == 0) saved_input_ = input_;
  ++history_position_;
  if (const std::string* line = HistoryLine(history_position_)) input_ = *line;
}

void GLConsole::HistoryForward() {
  if (history_position_ <= 0) return;
  --history_position_;
  if (history_position_ == 0) {
    input_ = saved_input_;
  } else if (const std::string* line = HistoryLine(history_position_)) {
    input_ = *line;
  }
}

// ---- scrolling -----------------------------------------------------------------------------

void GLConsole::ScrollUp(int pixels) {
  if (open_) scroll_offset_ += pixels;
}

void GLConsole::ScrollDown(int pixels) {
  if (open_) scroll_offset_ = std::max(0, scroll_offset_ - pixels);
}

void GLConsole::MouseDrag(int dy) {
  if (dy > 1) ScrollUp(dy);
  if (dy < -1) ScrollDown(-dy);
}

// ---- drawing state and layout --------------------------------------------------------------

void GLConsole::SetWindowSize(int width, int height) {
  *window_width_ = width;
  *window_height_ = height;
}

float GLConsole::ConsoleHeight(int window_height) {
  const float full = static_cast<float>(window_height) * overlay_.Get();
  if (!opening_) return full;
  const double t = opening_clock_.Elapsed();
  if (t >= kOpeningSeconds) {
    opening_ = false;
    return full;
  }
  return static_cast<float>(window_height * (t * 4.0 / 3.0)) * overlay_.Get();
}

char GLConsole::CursorChar() {
  double t = cursor_clock_.Elapsed();
  if (t >= kCursorPeriodSeconds) {
    cursor_clock_.Reset();
    t = 0.0;
  }
  return t <= kCursorOnSeconds ? '_' : ' ';
}

ConsoleColour GLConsole::LineColour(int kind) {
  if (kind & kLineHighlight) return kHighlightColour;
  if (kind & kLineError) return kErrorColour;
  return kNormalColour;
}

float GLConsole::BackgroundAlpha() { return CVar<float>("console.blend", 1.0f); }

const ConsoleLayout& GLConsole::LayoutText() {
  if (!max_lines_.Bound()) max_lines_.Register("console.max_lines", 10);
  const int width = *window_width_;
  const int height = *window_height_;
  const float console_height = ConsoleHeight(height);
  ConsoleLayout& layout = layout_;
  layout.lines.clear();
  const int h = static_cast<int>(console_height);
  layout.height = h;
  const int background[4] = {1, static_cast<int>(height - console_height), width, height};
  const int text[4] = {1, static_cast<int>(height - console_height + 1), width, h - 8};
  std::copy(background, background + 4, layout.background_clip);
  std::copy(text, text + 4, layout.text_clip);

  const int font = std::max(1, font_size_);
  const int input_y = height - h + 7 - scroll_offset_;
  layout.input_text.assign("] ");
  layout.input_text.append(input_);
  layout.input_text.push_back(CursorChar());
  layout.input = {layout.input_text, kPromptColour, 5, input_y};

  const int rows_available = scroll_offset_ / font + h / font;
  const int max_rows = max_lines_.Get();
  const size_t per_row = static_cast<size_t>(std::max(1, static_cast<int>(width * 1.65 / font)));
  int rows = 0;
  for (const ConsoleLine& line : lines_) {
    if (line.kind & kLineHidden) continue;
    // The last chunk of a wrapped line is the lowest row.
    const size_t chunks = line.text.empty() ? 1 : (line.text.size() + per_row - 1) / per_row;
    for (size_t k = chunks; k-- > 0;) {
      if (rows >= rows_available || rows >= max_rows) return layout;
      ++rows;
      layout.lines.push_back({std::string_view(line.text).substr(k * per_row, per_row),
                              LineColour(line.kind), 5, input_y + rows * (font_size_ + 5)});
    }
  }
  return layout;
}

}  // namespace kt
