// The headless runner.
//
// Contents: options - input script - random input - key routing - game-state reports - run.
#include "sim_runner.h"

#include <GL/gl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "character/character.h"
#include "character/game_world.h"
#include "character/gameplay_controller.h"
#include "console/clock.h"
#include "console/gl_console.h"
#include "game/game_state.h"
#include "game/world.h"
#include "input/console_keys.h"
#include "input/dik_codes.h"
#include "input/input_devices.h"
#include "render/offscreen.h"
#include "render/renderer.h"

namespace kt::sim {
namespace {

constexpr int kMaxSize = 8192;
// Script times and shot times are met by the first frame whose clock is within this of them,
// so that "0.5" is frame 30 at 1/60 s however the sum rounds.
constexpr double kTimeSlack = 1e-9;

std::string Format(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

// A whole-string number: no trailing text, finite.
bool ParseNumber(const std::string& text, double& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end && *end == '\0' && std::isfinite(value);
}

bool ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return false;
  double w = 0, h = 0;
  if (!ParseNumber(text.substr(0, x), w) || !ParseNumber(text.substr(x + 1), h)) return false;
  if (w != std::floor(w) || h != std::floor(h) || w < 1 || h < 1 || w > kMaxSize || h > kMaxSize)
    return false;
  width = int(w);
  height = int(h);
  return true;
}

bool ParseSeed(const std::string& text, uint32_t& seed) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  errno = 0;
  const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
  if (errno != 0 || v > 0xffffffffull) return false;
  seed = uint32_t(v);
  return true;
}

}  // namespace

// ---- options ----

std::string Usage() {
  return "usage: kinetrope-sim [--seconds S] [--dt STEP] [--size WxH] [--input FILE]\n"
         "                     [--random-input SEED] [--set NAME=VALUE]... "
         "[--shot SECONDS:FILE.png]...\n"
         "                     [--restart] [--rss SECONDS]\n"
         "\n"
         "Runs the game in the working directory (data/ beside it; log.txt, cvar.ini and caches\n"
         "are written as the game writes them) without a window: offscreen OpenGL, SDL's dummy\n"
         "audio driver unless SDL_AUDIODRIVER is set, and a clock that advances STEP seconds\n"
         "before each frame.\n"
         "\n"
         "  --seconds S          simulated time to run (default 60); frames = round(S / STEP)\n"
         "  --dt STEP            seconds per frame (default 1/60)\n"
         "  --size WxH           frame size in pixels (default 800x600)\n"
         "  --input FILE         key script, one event a line, '#' starts a comment:\n"
         "                         SECONDS down KEY | SECONDS up KEY | SECONDS type TEXT\n"
         "                       KEY: a DirectInput scan code or enter escape up down left\n"
         "                       right a d w y n space backquote. 'type' opens the console if\n"
         "                       it is closed, rubs out what its input line holds, types\n"
         "                       TEXT (letters, digits, spaces, = . - _ ') and presses Enter.\n"
         "                       Events act before the first frame at or after their\n"
         "                       time; keys reach the keyboard and, as the program's keys\n"
         "                       do, the console.\n"
         "  --random-input SEED  presses and releases the arrows, A, D and W at random moments\n"
         "                       and taps Enter every few seconds and Escape now and then,\n"
         "                       from its own generator\n"
         "  --set NAME=VALUE     assigns a console variable after start-up, as typed into the\n"
         "                       console (names keep their capitals)\n"
         "  --shot SECONDS:FILE  saves the first frame drawn at or after SECONDS as a PNG\n"
         "  --restart            once the win or lose screen has been shown for 10 s, or the\n"
         "                       game quits, shuts the world down and starts a new one (the\n"
         "                       --set assignments again), until the end of the run\n"
         "  --rss SECONDS        prints the resident memory every SECONDS of simulated time\n"
         "                       and after the last frame\n"
         "\n"
         "Output, one line per event and a summary last:\n"
         "  t=SECONDS state NAME started | t=SECONDS state NAME finished | t=SECONDS killed NAME\n"
         "  t=SECONDS restart | t=SECONDS rss=KB\n"
         "  frames=N seconds=S wall=W fps=F player=X,Y,Z player_hp=H boss_hp=B alive=K "
         "running=NAME,...\n"
         "SECONDS, S, W, X, Y, Z, H and B are printed with three decimals (%.3f), F with one;\n"
         "S is simulated time (N * STEP), W and F wall-clock time and frames per wall second;\n"
         "player and hit points are those after the last whole frame, 'none' without that\n"
         "character; K counts the living opponents; running lists the running game states in\n"
         "the registry's order (empty when none run).\n"
         "Exit code: 0 at the end or when the game quits, 1 when no offscreen context can be made\n"
         "or a screenshot cannot be written, 2 for bad options, an unreadable input file or a\n"
         "--set the console rejects.\n";
}

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  options = Options{};
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    static const std::set<std::string> kValued = {"--seconds",      "--dt",  "--size", "--input",
                                                  "--random-input", "--set", "--shot", "--rss"};
    if (name == "--restart") {
      options.restart = true;
      continue;
    }
    if (!kValued.count(name)) {
      error = "unknown option '" + name + "'";
      return false;
    }
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    const auto bad = [&](const char* what) {
      error = name + " " + value + ": " + what;
      return false;
    };
    if (name == "--seconds") {
      if (!ParseNumber(value, options.seconds) || options.seconds < 0)
        return bad("expected a number of seconds, 0 or more");
    } else if (name == "--dt") {
      if (!ParseNumber(value, options.dt) || options.dt <= 0)
        return bad("expected a step in seconds above 0");
    } else if (name == "--size") {
      if (!ParseSize(value, options.width, options.height))
        return bad("expected WIDTHxHEIGHT, each 1 to 8192");
    } else if (name == "--input") {
      if (value.empty()) return bad("expected a file name");
      options.input_file = value;
    } else if (name == "--random-input") {
      uint32_t seed = 0;
      if (!ParseSeed(value, seed)) return bad("expected a seed from 0 to 4294967295");
      options.random_seed = seed;
    } else if (name == "--set") {
      const size_t equals = value.find('=');
      if (equals == std::string::npos || equals == 0 || equals + 1 == value.size())
        return bad("expected NAME=VALUE");
      options.sets.push_back(value);
    } else if (name == "--rss") {
      if (!ParseNumber(value, options.rss_every) || options.rss_every <= 0)
        return bad("expected a period in seconds above 0");
    } else if (name == "--shot") {
      const size_t colon = value.find(':');
      Shot shot;
      if (colon == std::string::npos || !ParseNumber(value.substr(0, colon), shot.seconds) ||
          shot.seconds < 0 || colon + 1 == value.size())
        return bad("expected SECONDS:FILE.png");
      shot.file = value.substr(colon + 1);
      options.shots.push_back(shot);
    }
  }
  if (options.seconds / options.dt > 1e9) {
    error = "more than a billion frames: raise --dt or lower --seconds";
    return false;
  }
  const double end = double(FrameCount(options)) * options.dt;
  for (const Shot& shot : options.shots) {
    if (shot.seconds > end + kTimeSlack) {
      error = "--shot " + Format("%g", shot.seconds) + ":" + shot.file +
              ": after the end of the run (" + Format("%.3f", end) + " s)";
      return false;
    }
  }
  return true;
}

long long FrameCount(const Options& options) { return std::llround(options.seconds / options.dt); }

// ---- input script ----

std::optional<int> ParseKey(const std::string& word) {
  static const std::pair<const char*, int> kNames[] = {{"enter", kDikReturn},
                                                       {"escape", kDikEscape},
                                                       {"up", kDikUp},
                                                       {"down", kDikDown},
                                                       {"left", kDikLeft},
                                                       {"right", kDikRight},
                                                       {"a", kDikA},
                                                       {"d", kDikD},
                                                       {"w", kDikW},
                                                       {"y", kDikY},
                                                       {"n", kDikN},
                                                       {"space", kDikSpace},
                                                       {"backquote", kDikGrave}};
  for (const auto& [name, dik] : kNames)
    if (word == name) return dik;
  if (word.empty() || word.size() > 3 || word.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int code = std::stoi(word);
  if (code < 1 || code >= kKeyCount) return std::nullopt;
  return code;
}

namespace {

// What the program's console keys can type (see the app's key mapping).
bool Typeable(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
         c == '=' || c == '.' || c == '-' || c == '_' || c == '\'';
}

std::string Trim(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  const size_t last = s.find_last_not_of(" \t\r");
  return s.substr(first, last - first + 1);
}

}  // namespace

bool ParseInputScript(std::istream& in, std::vector<InputEvent>& events, std::string& error) {
  events.clear();
  std::string raw;
  for (int number = 1; std::getline(in, raw); ++number) {
    const std::string line = Trim(raw.substr(0, raw.find('#')));
    if (line.empty()) continue;
    const auto fail = [&](const std::string& what) {
      error = "line " + std::to_string(number) + ": " + what + ": " + line;
      return false;
    };
    std::istringstream words(line);
    std::string time_word, action;
    words >> time_word >> action;
    InputEvent event;
    if (!ParseNumber(time_word, event.seconds) || event.seconds < 0)
      return fail("expected a time in seconds, 0 or more");
    if (action == "down" || action == "up") {
      event.action = action == "down" ? InputAction::kDown : InputAction::kUp;
      std::string key, extra;
      words >> key;
      if (words >> extra) return fail("one key per line");
      const std::optional<int> dik = ParseKey(key);
      if (!dik) return fail("unknown key '" + key + "'");
      event.dik = *dik;
    } else if (action == "type") {
      event.action = InputAction::kType;
      // The text is the rest of the line, inner spaces kept.
      const size_t at = line.find("type", time_word.size()) + 4;
      event.text = Trim(line.substr(at));
      for (char c : event.text)
        if (!Typeable(c)) return fail(std::string("the console's keys cannot type '") + c + "'");
    } else {
      return fail("expected down, up or type");
    }
    events.push_back(event);
  }
  if (in.bad()) {
    error = "read error";
    return false;
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const InputEvent& a, const InputEvent& b) { return a.seconds < b.seconds; });
  return true;
}

// ---- random input ----

std::vector<InputEvent> RandomInput::Step(double now, double dt) {
  static constexpr int kKeys[] = {kDikUp, kDikDown, kDikLeft, kDikRight, kDikA, kDikD, kDikW};
  std::vector<InputEvent> events;
  const auto add = [&](InputAction action, int dik) {
    InputEvent e;
    e.seconds = now;
    e.action = action;
    e.dik = dik;
    events.push_back(e);
  };
  for (int dik : tapped_) add(InputAction::kUp, dik);
  tapped_.clear();
  // Integer draws only, so the sequence is the same with every standard library. About four
  // key changes a second, an Enter tap every seven seconds on average and an Escape tap (a
  // pause) every minute: the menus are left soon and most of a run is play. With Enter as
  // rare as Escape a run spent most of its time on the title and in menus.
  // True, on this step, for an event that happens once every `seconds` on average.
  const auto happens_every = [&](double seconds) {
    return generator_() % 1000000 < uint32_t(std::min(1.0, dt / seconds) * 1e6);
  };
  // Every few seconds all keys are let go, as a player's hands do: the menus move their
  // selection, and the key-binding questions take a key, only after every key is up.
  if (happens_every(3.0)) {
    for (int dik : held_) add(InputAction::kUp, dik);
    held_.clear();
  } else if (happens_every(0.25)) {
    const int dik = kKeys[generator_() % std::size(kKeys)];
    const auto held = std::find(held_.begin(), held_.end(), dik);
    if (held != held_.end()) {
      held_.erase(held);
      add(InputAction::kUp, dik);
    } else {
      held_.push_back(dik);
      add(InputAction::kDown, dik);
    }
  }
  for (const auto& [dik, seconds] : {std::pair{kDikReturn, 7.0}, {kDikEscape, 60.0}}) {
    if (!happens_every(seconds)) continue;
    add(InputAction::kDown, dik);
    tapped_.push_back(dik);
  }
  return events;
}

namespace {

// ---- key routing ----

// The keys typed for one character of a `type` line (Typeable characters only).
ConsoleKeyPress TypedKey(char c) {
  if (c >= 'a' && c <= 'z') return {ConsoleKey::kCode, c - 'a' + 'A'};
  switch (c) {
    case '=':
      return {ConsoleKey::kPadPlus};
    case '.':
      return {ConsoleKey::kPadDecimal};
    case '-':
    case '_':
      return {ConsoleKey::kPadMinus};
    case '\'':
      return {ConsoleKey::kQuote};
    default:
      return {ConsoleKey::kCode, c};
  }
}

// ---- game-state reports ----

// The game flow's reports on its states.
void ObserveGameStates(std::function<void(const std::string& lower_name, bool started)> observer) {
  SetGameStateObserver(std::move(observer));
}

// Registry order is the ascending order of the lower-case names.
std::vector<std::string> RunningGameStates() {
  std::vector<std::string> names;
  for (const auto& [name, state] : GameStateRegistry())
    if (state->running()) names.push_back(name);
  return names;
}

// ---- run ----

// The end screens appear this long after their state starts (see end_states.cpp); a restart
// waits until one has been shown for kEndScreenShown.
constexpr double kWinScreenAt = 8.0;
constexpr double kLoseScreenAt = 5.0;
constexpr double kEndScreenShown = 10.0;

bool EndScreenShown() {
  for (const auto& [name, screen_at] :
       {std::pair{"WinGame", kWinScreenAt}, {"LoseGame", kLoseScreenAt}}) {
    GameState* state = FindState(name);
    if (state && state->running() && state->TimeInState() >= screen_at + kEndScreenShown)
      return true;
  }
  return false;
}

// Resident set size in KB; 0 where /proc cannot tell.
long ResidentKB() {
  long pages = 0, resident = 0;
  if (FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// What the summary reports, taken after every whole frame: a quit inside a frame shuts the
// world down before the runner could look.
struct Snapshot {
  bool have_player = false;
  CVector player;
  float player_hp = 0.0f;
  bool have_boss = false;
  float boss_hp = 0.0f;
  int alive = 0;
  std::vector<std::string> running;
};

Snapshot TakeSnapshot() {
  Snapshot s;
  s.running = RunningGameStates();
  const GameWorld* world = GetGameWorld();
  if (!world) return s;
  if (world->player) {
    s.have_player = true;
    s.player = world->player->position;
    s.player_hp = world->player->hit_points;
  }
  if (world->boss) {
    s.have_boss = true;
    s.boss_hp = world->boss->hit_points;
  }
  for (const Character* c : world->entities) {
    if (c == world->player) continue;
    const GameplayController* controller = c->gameplay_controller();
    if (controller && !controller->killed()) ++s.alive;
  }
  return s;
}

class Runner {
 public:
  Runner(const Options& options, std::ostream& out, std::ostream& err)
      : options_(options), out_(out), err_(err) {}

  int Run();

 private:
  std::string Now() const { return "t=" + Format("%.3f", clock_.Now()); }
  void PressKey(int dik);
  void ReleaseKey(int dik);
  void Type(const std::string& text);
  void Apply(const InputEvent& event);
  bool ApplySets();
  bool StartWorld(const WorldPlatform& platform);
  void StopWorld();
  bool Restart(const WorldPlatform& platform);
  // Flushed, as the restarts are: a long run can be followed, and a run that dies keeps them.
  void PrintRSS() { out_ << Now() << " rss=" << ResidentKB() << "\n" << std::flush; }
  void PrintSummary(long long frames, double wall) const;

  const Options& options_;
  std::ostream& out_;
  std::ostream& err_;
  ManualClock clock_;
  bool quit_ = false;
  int quit_code_ = 0;
  bool full_screen_ = false;
  std::set<int> held_;
  Snapshot snapshot_;
};

void Runner::PressKey(int dik) {
  held_.insert(dik);
  if (DXKeyboard* keyboard = GetKeyboard()) keyboard->KeyDown(dik);
  // As in the program: keys with Alt or Control held are menu accelerators, not typing.
  for (int modifier : {kDikLMenu, kDikRMenu, kDikLControl, kDikRControl})
    if (held_.count(modifier)) return;
  GLConsole* console = GetConsole();
  const std::optional<ConsoleKeyPress> press = ConsoleKeyOfDik(dik);
  if (!console || !press) return;
  const bool shift = held_.count(kDikLShift) || held_.count(kDikRShift);
  console->PressKey(press->key, press->code, shift);
}

void Runner::ReleaseKey(int dik) {
  held_.erase(dik);
  if (DXKeyboard* keyboard = GetKeyboard()) keyboard->KeyUp(dik);
}

// Straight to the console, as the console's keys would type it; the keyboard device sees none
// of it, so typing does not walk the player about.
void Runner::Type(const std::string& text) {
  GLConsole* console = GetConsole();
  if (!console) return;
  if (!console->IsOpen()) console->PressKey(ConsoleKey::kToggle);
  // Letters of the movement and attack keys land in an open console's input line too: rub
  // them out first, as someone at the keyboard would.
  while (!console->InputLine().empty()) console->PressKey(ConsoleKey::kBackspace);
  for (char c : text) {
    const ConsoleKeyPress press = TypedKey(c);
    console->PressKey(press.key, press.code, c == '_');
  }
  // Enter may run a command that quits: the console is gone afterwards.
  console->PressKey(ConsoleKey::kEnter);
}

void Runner::Apply(const InputEvent& event) {
  switch (event.action) {
    case InputAction::kDown:
      PressKey(event.dik);
      break;
    case InputAction::kUp:
      ReleaseKey(event.dik);
      break;
    case InputAction::kType:
      Type(event.text);
      break;
  }
}

// The console's own line processing, with the input line set as a whole so that names with
// capitals (which typing would lower-case) can be assigned; whatever was being typed is kept.
bool Runner::ApplySets() {
  for (const std::string& assignment : options_.sets) {
    GLConsole* console = GetConsole();
    if (!console) return true;
    const std::string typed = console->InputLine();
    console->SetInputLine(assignment);
    console->Key('\r');
    if (GetConsole() != console) return true;  // cannot happen for an assignment; be safe
    console->SetInputLine(typed);
    const std::deque<ConsoleLine>& lines = console->Lines();
    if (!lines.empty() && (lines.front().kind & kLineError)) {
      err_ << "kinetrope-sim: --set " << assignment << ": " << lines.front().text << "\n";
      return false;
    }
  }
  return true;
}

void Runner::PrintSummary(long long frames, double wall) const {
  const Snapshot& s = snapshot_;
  std::string line = "frames=" + std::to_string(frames) +
                     " seconds=" + Format("%.3f", double(frames) * options_.dt) +
                     " wall=" + Format("%.3f", wall) +
                     " fps=" + Format("%.1f", wall > 0 ? double(frames) / wall : 0.0);
  line += " player=";
  line += s.have_player ? Format("%.3f", s.player.x) + "," + Format("%.3f", s.player.y) + "," +
                              Format("%.3f", s.player.z)
                        : "none";
  line += " player_hp=" + (s.have_player ? Format("%.3f", s.player_hp) : "none");
  line += " boss_hp=" + (s.have_boss ? Format("%.3f", s.boss_hp) : "none");
  line += " alive=" + std::to_string(s.alive) + " running=";
  for (size_t i = 0; i < s.running.size(); ++i) line += (i ? "," : "") + s.running[i];
  out_ << line << "\n";
}

// Start-up as the program's, then the runner's hooks and the --set assignments; false when the
// console rejects one.
bool Runner::StartWorld(const WorldPlatform& platform) {
  WorldStartup(platform);
  if (GameWorld* world = GetGameWorld())
    world->on_kill = [this](Character& c) { out_ << Now() << " killed " << c.name() << "\n"; };
  snapshot_ = TakeSnapshot();
  return ApplySets();
}

// The program's exit hook (the console goes first and saves "cvar.ini"), then what the
// program leaves to the end of the process: everything drawing made in the context. Keys
// held go with the keyboard.
void Runner::StopWorld() {
  ResetWorld();
  ResetCharacterDrawing();
  ResetRenderer();
  held_.clear();
}

// A game that ended, or quit (its world already shut down), gives way to a new world.
bool Runner::Restart(const WorldPlatform& platform) {
  out_ << Now() << " restart\n" << std::flush;
  StopWorld();
  quit_ = false;
  return StartWorld(platform);
}

int Runner::Run() {
  std::vector<InputEvent> script;
  if (!options_.input_file.empty()) {
    std::ifstream in(options_.input_file);
    if (!in) {
      err_ << "kinetrope-sim: cannot read input file '" << options_.input_file << "'\n";
      return 2;
    }
    std::string error;
    if (!ParseInputScript(in, script, error)) {
      err_ << "kinetrope-sim: " << options_.input_file << ": " << error << "\n";
      return 2;
    }
  }

  setenv("SDL_AUDIODRIVER", "dummy", 0);
  auto context = OffscreenContext::Create(options_.width, options_.height);
  if (!context) {
    err_ << "kinetrope-sim: no offscreen OpenGL context (EGL surfaceless)\n";
    return 1;
  }
  glViewport(0, 0, options_.width, options_.height);
  // Before start-up: every frame timer the world makes reads this clock from its first reset.
  clock_.Set(0.0);
  SetProcessClock(&clock_);

  ObserveGameStates([this](const std::string& name, bool started) {
    out_ << Now() << " state " << name << (started ? " started" : " finished") << "\n";
  });
  WorldPlatform platform;
  platform.input_handles = {.instance = true, .window = true};
  platform.toggle_full_screen = [this] { full_screen_ = !full_screen_; };
  platform.full_screen = [this] { return full_screen_; };
  platform.quit = [this](int code) {
    quit_ = true;
    quit_code_ = code;
  };
  const auto wall_start = std::chrono::steady_clock::now();
  int code = StartWorld(platform) ? 0 : 2;
  std::optional<RandomInput> random;
  if (options_.random_seed) random.emplace(*options_.random_seed);
  const long long frames = FrameCount(options_);
  size_t next_event = 0, next_shot = 0;
  std::vector<Shot> shots = options_.shots;
  std::stable_sort(shots.begin(), shots.end(),
                   [](const Shot& a, const Shot& b) { return a.seconds < b.seconds; });
  long long frame = 0;
  const long long rss_frames =
      options_.rss_every > 0 ? std::max(1LL, std::llround(options_.rss_every / options_.dt)) : 0;
  while (code == 0 && !quit_ && frame < frames) {
    ++frame;
    // Set, not advanced, so that a long run does not gather rounding.
    const double now = double(frame) * options_.dt;
    clock_.Set(now);
    for (; next_event < script.size() && script[next_event].seconds <= now + kTimeSlack && !quit_;
         ++next_event)
      Apply(script[next_event]);
    if (random && !quit_)
      for (const InputEvent& e : random->Step(now, options_.dt)) Apply(e);
    if (quit_ && !options_.restart) {
      --frame;  // the game ended before this frame was drawn
      break;
    }
    if (quit_ && !Restart(platform)) {
      code = 2;
      break;
    }
    // As the program's view draws a frame.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    WorldFrame();
    // Waits for the frame as a buffer swap would: frames only flushed pile up in the GL
    // driver's queue (tens of megabytes a minute with the software rasteriser).
    glFinish();
    if (quit_ && !options_.restart) break;
    snapshot_ = TakeSnapshot();
    if (rss_frames && (frame % rss_frames == 0 || frame == frames)) PrintRSS();
    for (; next_shot < shots.size() && shots[next_shot].seconds <= now + kTimeSlack; ++next_shot) {
      if (!context->SavePNG(shots[next_shot].file)) {
        err_ << "kinetrope-sim: cannot write " << shots[next_shot].file << "\n";
        code = 1;
      }
    }
    if (options_.restart && code == 0 && (quit_ || EndScreenShown()) && !Restart(platform))
      code = 2;
  }
  if (rss_frames && quit_) PrintRSS();
  if (next_shot < shots.size() && code == 0)
    err_ << "kinetrope-sim: the game quit before the shot at "
         << Format("%.3f", shots[next_shot].seconds) << " s\n";
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
  StopWorld();
  ObserveGameStates(nullptr);
  SetProcessClock(nullptr);
  context.reset();
  if (code == 2) return code;
  PrintSummary(frame, wall);
  out_.flush();
  return code != 0 ? code : quit_ ? quit_code_ : 0;
}

}  // namespace

int RunSimulation(const Options& options, std::ostream& out, std::ostream& err) {
  Runner runner(options, out, err);
  return runner.Run();
}

}  // namespace kt::sim
