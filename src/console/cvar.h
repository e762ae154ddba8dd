// Console variables: typed handles on named value cells in one process-wide registry, a
// character trie so the console can complete names, and their persistence in "cvar.ini".
//
//   CVar<float> hdist("camera.hdist", 4.8f);   // declares (or binds to) camera.hdist
//   float d = hdist;  hdist = 5.0f;            // every handle of a name shares one cell
//
// Contents: CVarValue (the cell) - CVarRegistry (the trie) - CVar<T> (the handle) -
// RestoreCVars / SaveCVars ("cvar.ini").
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kt {

// A console command: receives the argument words (command name excluded) and returns an empty
// text on success, otherwise the error text the console prints.
using ConsoleFunction = std::string (*)(const std::vector<std::string>& args);

// Type codes, as written to "cvar.ini".
enum CVarType : int32_t {
  kCVarNone = 0,
  kCVarInt = 1,
  kCVarFloat = 2,
  kCVarFunction = 5,
};

// One value cell and the type code that says how to read it.
struct CVarValue {
  int32_t type = kCVarNone;
  union {
    int32_t i;
    float f;
    ConsoleFunction fn;
  };
  CVarValue() : fn(nullptr) {}
};

// Reading and writing a cell through a handle of another kind converts the number instead of
// reinterpreting its bytes (a float handle bound to an integer variable reads 3 as 3.0);
// functions and numbers never convert into each other (they read as 0 / nullptr, writes are
// ignored).
int32_t CVarGetInt(const CVarValue& v);
float CVarGetFloat(const CVarValue& v);
void CVarSetInt(CVarValue& v, int32_t x);
void CVarSetFloat(CVarValue& v, float x);

// Integer as "%d", float as "%f", anything else empty.
std::string CVarToText(const CVarValue& v);
// Parses text as `as_type` (atoi / atof rules, out-of-range numbers clamp) and stores it into
// the cell, converting to the cell's own type. Integer parsing always succeeds; float parsing
// succeeds only when the stored value is not 0 (so "0" stores 0.0 and reports failure);
// function cells and other types store nothing and fail.
bool CVarFromText(CVarValue& v, int32_t as_type, std::string_view text);

// The registry's own record for one name.
struct CVarEntry {
  std::string name;
  CVarValue value;
};

// Character trie of variable names. Children keep insertion order, which makes Collect's
// depth-first order the order in which names (and their prefixes) were first registered: the
// order of "cvar.ini" and of the console's suggestions, deliberately not alphabetical.
class CVarRegistry {
 public:
  enum NodeKind : int32_t { kEntryLeaf = 0, kCharacterNode = 1, kRootNode = 2 };

  struct Node {
    int32_t kind = kCharacterNode;
    std::vector<std::unique_ptr<Node>> children;
    std::string name;                  // entry leaves only
    char character = 0;                // character nodes only
    std::unique_ptr<CVarEntry> entry;  // entry leaves only
  };

  CVarRegistry();

  // Appends a leaf for name under its character path (creating missing nodes). Does not look
  // for an existing leaf: callers Find first. Returns the stored entry (stable address).
  CVarEntry* Insert(std::string_view name, std::unique_ptr<CVarEntry> entry);
  // The node a prefix leads to: the first entry leaf below the last character if there is one,
  // else that character node; the root for an empty prefix; nullptr when the path breaks off.
  Node* FindNode(std::string_view prefix);
  // The entry of exactly this name, or nullptr.
  CVarEntry* Find(std::string_view name);
  // Every entry below node, depth first, children in list order.
  std::vector<CVarEntry*> Collect(const Node* node) const;

  Node* Root() { return &root_; }

 private:
  Node root_;
};

// The process-wide registry, constructed on first use so globals may register at any time.
// Entries are never removed while the program runs.
CVarRegistry& GetCVarRegistry();

// Finds name in the registry, or creates its entry as a copy of `initial`. Returns the entry
// whose cell a handle should bind to; nullptr (with a log line) for an empty name, whose handle
// then keeps its own cell.
CVarEntry* RegisterCVar(CVarRegistry& registry, std::string_view name, const CVarValue& initial);

template <typename T>
struct CVarTraits;
template <>
struct CVarTraits<int> {
  static constexpr int32_t kType = kCVarInt;
};
template <>
struct CVarTraits<float> {
  static constexpr int32_t kType = kCVarFloat;
};
template <>
struct CVarTraits<ConsoleFunction> {
  static constexpr int32_t kType = kCVarFunction;
};

// A handle on one variable. Unregistered, it owns a cell holding 0; once registered it reads
// and writes the registry's cell for its name, shared with every other handle of that name.
template <typename T>
class CVar {
 public:
  CVar() { own_.type = CVarTraits<T>::kType; }
  CVar(std::string_view name, T default_value, CVarRegistry& registry = GetCVarRegistry())
      : CVar() {
    Register(name, default_value, registry);
  }
  // A copy is unbound: same name and type, its own cell holding the current value. So an object
  // holding CVar members must not be copied if it should keep seeing console changes (keep such
  // objects by pointer, or Register the members again).
  CVar(const CVar& other) : name_(other.name_), own_(*other.cell_) {}
  CVar& operator=(const CVar& other) {
    if (this != &other) {
      name_ = other.name_;
      own_ = *other.cell_;
      cell_ = &own_;
    }
    return *this;
  }

  // Binds to name's cell, creating the entry with default_value when the name is new. A name
  // registered before keeps its type and value; default_value is then ignored.
  void Register(std::string_view name, T default_value, CVarRegistry& registry = GetCVarRegistry());

  T Get() const;
  operator T() const { return Get(); }
  CVar& operator=(T value) {
    Set(value);
    return *this;
  }
  void Set(T value);

  std::string ToText() const { return CVarToText(*cell_); }
  // Parses as this handle's kind (see CVarFromText).
  bool FromText(std::string_view text) { return CVarFromText(*cell_, CVarTraits<T>::kType, text); }

  const std::string& Name() const { return name_; }
  // The type code of the cell: the registered entry's, which the first registration fixed.
  int32_t Type() const { return cell_->type; }
  bool Bound() const { return cell_ != &own_; }

 private:
  std::string name_;
  CVarValue own_;
  CVarValue* cell_ = &own_;
};

template <>
inline int CVar<int>::Get() const {
  return cell_->type == kCVarInt ? cell_->i : CVarGetInt(*cell_);
}
template <>
inline float CVar<float>::Get() const {
  return cell_->type == kCVarFloat ? cell_->f : CVarGetFloat(*cell_);
}
template <>
inline ConsoleFunction CVar<ConsoleFunction>::Get() const {
  return cell_->type == kCVarFunction ? cell_->fn : nullptr;
}

template <>
void CVar<int>::Set(int value);
template <>
void CVar<float>::Set(float value);
template <>
void CVar<ConsoleFunction>::Set(ConsoleFunction value);

extern template class CVar<int>;
extern template class CVar<float>;
extern template class CVar<ConsoleFunction>;

// Applies "cvar.ini": each line "type name value" registers name (binding or creating its
// entry) and stores the value as the file's type says. Stops at the first line whose type code
// is not a number; skips other type codes and words longer than 255 characters (with a log
// line). A missing file restores nothing, silently.
void RestoreCVars(const std::string& path = "cvar.ini", CVarRegistry& registry = GetCVarRegistry());
// Writes every integer and float entry in Collect order as "type name value" lines. Writes a
// temporary file beside path and renames it over path, so a crash never loses the old file.
// Returns false (with a log line) when writing failed; the old file is then left untouched.
bool SaveCVars(const std::string& path = "cvar.ini", CVarRegistry& registry = GetCVarRegistry());

}  // namespace kt
