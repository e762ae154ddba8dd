// Console variable cells, the name trie, registration, and "cvar.ini" restore and save.
//
// Contents: cell conversions - text forms - CVarRegistry - registration and handles -
// RestoreCVars - SaveCVars.
#include "console/cvar.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "console/atomic_file.h"
#include "console/log.h"

namespace kt {

// ---- cell conversions ----------------------------------------------------------------------

namespace {

int32_t FloatToInt(float x) {
  if (std::isnan(x)) return 0;
  if (x >= 2147483647.0f) return INT32_MAX;
  if (x <= -2147483648.0f) return INT32_MIN;
  return static_cast<int32_t>(x);
}

}  // namespace

int32_t CVarGetInt(const CVarValue& v) {
  if (v.type == kCVarInt) return v.i;
  if (v.type == kCVarFloat) return FloatToInt(v.f);
  return 0;
}

float CVarGetFloat(const CVarValue& v) {
  if (v.type == kCVarFloat) return v.f;
  if (v.type == kCVarInt) return static_cast<float>(v.i);
  return 0.0f;
}

void CVarSetInt(CVarValue& v, int32_t x) {
  if (v.type == kCVarInt) v.i = x;
  if (v.type == kCVarFloat) v.f = static_cast<float>(x);
}

void CVarSetFloat(CVarValue& v, float x) {
  if (v.type == kCVarFloat) v.f = x;
  if (v.type == kCVarInt) v.i = FloatToInt(x);
}

// ---- text forms ----------------------------------------------------------------------------

std::string CVarToText(const CVarValue& v) {
  char text[64];
  if (v.type == kCVarInt) {
    std::snprintf(text, sizeof text, "%d", v.i);
  } else if (v.type == kCVarFloat) {
    // "%f" of a huge float needs ~50 characters; snprintf cuts rather than overflows.
    std::snprintf(text, sizeof text, "%f", static_cast<double>(v.f));
  } else {
    return {};
  }
  return text;
}

namespace {

// atoi, without its undefined behaviour on overflow: clamps to the 32-bit range.
int32_t ParseInt(const std::string& text) {
  const long long x = std::strtoll(text.c_str(), nullptr, 10);
  if (x > INT32_MAX) return INT32_MAX;
  if (x < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(x);
}

// atof narrowed to a float, clamping instead of overflowing. "nan" is not a number either:
// it stores 0 like any other text without one.
float ParseFloat(const std::string& text) {
  const double x = std::strtod(text.c_str(), nullptr);
  if (std::isnan(x)) return 0.0f;
  if (x > FLT_MAX) return FLT_MAX;
  if (x < -FLT_MAX) return -FLT_MAX;
  return static_cast<float>(x);
}

}  // namespace

bool CVarFromText(CVarValue& v, int32_t as_type, std::string_view text) {
  if (v.type != kCVarInt && v.type != kCVarFloat) return false;
  const std::string s(text);
  if (as_type == kCVarInt) {
    CVarSetInt(v, ParseInt(s));
    return true;
  }
  if (as_type == kCVarFloat) {
    CVarSetFloat(v, ParseFloat(s));
    return CVarGetFloat(v) != 0.0f;
  }
  return false;
}

// ---- CVarRegistry --------------------------------------------------------------------------

CVarRegistry::CVarRegistry() { root_.kind = kRootNode; }

namespace {

CVarRegistry::Node* CharacterChild(CVarRegistry::Node* node, char c) {
  for (auto& child : node->children) {
    if (child->kind == CVarRegistry::kCharacterNode && child->character == c) return child.get();
  }
  return nullptr;
}

}  // namespace

CVarEntry* CVarRegistry::Insert(std::string_view name, std::unique_ptr<CVarEntry> entry) {
  Node* node = &root_;
  for (char c : name) {
    Node* next = CharacterChild(node, c);
    if (!next) {
      node->children.push_back(std::make_unique<Node>());
      next = node->children.back().get();
      next->kind = kCharacterNode;
      next->character = c;
    }
    node = next;
  }
  auto leaf = std::make_unique<Node>();
  leaf->kind = kEntryLeaf;
  leaf->name = std::string(name);
  leaf->entry = std::move(entry);
  CVarEntry* stored = leaf->entry.get();
  node->children.push_back(std::move(leaf));
  return stored;
}

CVarRegistry::Node* CVarRegistry::FindNode(std::string_view prefix) {
  Node* node = &root_;
  for (char c : prefix) {
    node = CharacterChild(node, c);
    if (!node) return nullptr;
  }
  if (node == &root_) return node;
  for (auto& child : node->children) {
    if (child->kind == kEntryLeaf) return child.get();
  }
  return node;
}

CVarEntry* CVarRegistry::Find(std::string_view name) {
  Node* node = FindNode(name);
  return node && node->kind == kEntryLeaf ? node->entry.get() : nullptr;
}

namespace {

void CollectInto(const CVarRegistry::Node* node, std::vector<CVarEntry*>& out) {
  if (node->kind == CVarRegistry::kEntryLeaf) {
    out.push_back(node->entry.get());
    return;
  }
  for (const auto& child : node->children) CollectInto(child.get(), out);
}

}  // namespace

std::vector<CVarEntry*> CVarRegistry::Collect(const Node* node) const {
  std::vector<CVarEntry*> out;
  if (node) CollectInto(node, out);
  return out;
}

CVarRegistry& GetCVarRegistry() {
  static CVarRegistry registry;
  return registry;
}

// ---- registration and handles --------------------------------------------------------------

CVarEntry* RegisterCVar(CVarRegistry& registry, std::string_view name, const CVarValue& initial) {
  // An empty name would add a new, unfindable leaf to the root on every registration.
  if (name.empty()) {
    LogPrintf("CVar: cannot register a variable without a name");
    return nullptr;
  }
  if (CVarEntry* existing = registry.Find(name)) return existing;
  auto entry = std::make_unique<CVarEntry>();
  entry->name = std::string(name);
  entry->value = initial;
  return registry.Insert(name, std::move(entry));
}

namespace {

CVarValue MakeValue(int x) {
  CVarValue v;
  v.type = kCVarInt;
  v.i = x;
  return v;
}
CVarValue MakeValue(float x) {
  CVarValue v;
  v.type = kCVarFloat;
  v.f = x;
  return v;
}
CVarValue MakeValue(ConsoleFunction x) {
  CVarValue v;
  v.type = kCVarFunction;
  v.fn = x;
  return v;
}

}  // namespace

template <typename T>
void CVar<T>::Register(std::string_view name, T default_value, CVarRegistry& registry) {
  name_ = std::string(name);
  own_ = MakeValue(default_value);
  CVarEntry* entry = RegisterCVar(registry, name, own_);
  cell_ = entry ? &entry->value : &own_;
}

template <>
void CVar<int>::Set(int value) {
  CVarSetInt(*cell_, value);
}
template <>
void CVar<float>::Set(float value) {
  CVarSetFloat(*cell_, value);
}
template <>
void CVar<ConsoleFunction>::Set(ConsoleFunction value) {
  if (cell_->type == kCVarFunction) cell_->fn = value;
}

template class CVar<int>;
template class CVar<float>;
template class CVar<ConsoleFunction>;

// ---- RestoreCVars --------------------------------------------------------------------------

namespace {

// Longest name or value text the file format allows.
constexpr size_t kMaxWord = 255;

}  // namespace

void RestoreCVars(const std::string& path, CVarRegistry& registry) {
  std::ifstream in(path);
  if (!in) return;
  int32_t type = 0;
  std::string name, value;
  while (in >> type >> name >> value) {
    if (name.size() > kMaxWord || value.size() > kMaxWord) {
      LogPrintf("RestoreCVars: skipping a line of '%s' with a word longer than %zu characters",
                path.c_str(), kMaxWord);
      continue;
    }
    if (type == kCVarInt) {
      CVar<int>(name, 0, registry).FromText(value);
    } else if (type == kCVarFloat) {
      CVar<float>(name, 0.0f, registry).FromText(value);
    }
  }
}

// ---- SaveCVars -----------------------------------------------------------------------------

namespace {

// A name that would not read back as one word of at most kMaxWord characters.
bool SavableName(const std::string& name) {
  if (name.empty() || name.size() > kMaxWord) return false;
  for (unsigned char c : name) {
    if (std::isspace(c)) return false;
  }
  return true;
}

std::string EntriesText(const std::vector<CVarEntry*>& entries) {
  std::string text;
  for (const CVarEntry* entry : entries) {
    const int32_t type = entry->value.type;
    if (type != kCVarInt && type != kCVarFloat) continue;
    if (!SavableName(entry->name)) {
      LogPrintf("SaveCVars: not saving '%.300s': the name is empty, too long or has spaces",
                entry->name.c_str());
      continue;
    }
    text += std::to_string(type) + ' ' + entry->name + ' ' + CVarToText(entry->value) + '\n';
  }
  return text;
}

}  // namespace

bool SaveCVars(const std::string& path, CVarRegistry& registry) {
  if (!WriteFileAtomically(path, EntriesText(registry.Collect(registry.Root())))) {
    LogPrintf("SaveCVars: writing '%s' failed; the previous file is kept", path.c_str());
    return false;
  }
  return true;
}

}  // namespace kt
