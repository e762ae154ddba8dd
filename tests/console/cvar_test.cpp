#include "console/cvar.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"
#include "write_failure.h"

namespace kt {
namespace {

// Tests that need exact file contents use their own registry; the process registry is shared by
// every test in this binary, so tests using it pick names no other test uses.

TEST(CVarRegistry, CollectsDepthFirstInCreationOrderNotAlphabetically) {
  CVarRegistry registry;
  CVar<int> bc("o.bc", 1, registry);
  CVar<int> b("o.b", 2, registry);
  CVar<int> a("o.a", 3, registry);
  CVar<int> ab("o.ab", 4, registry);
  std::vector<std::string> names;
  for (CVarEntry* e : registry.Collect(registry.Root())) names.push_back(e->name);
  // The leaf "o.b" hangs under 'b' after the 'c' node created for "o.bc".
  EXPECT_EQ(names, (std::vector<std::string>{"o.bc", "o.b", "o.a", "o.ab"}));
}

TEST(CVarRegistry, FindNodePrefersLeafAndBreaksOffOnUnknownCharacter) {
  CVarRegistry registry;
  CVar<int> ab("ab", 1, registry);
  CVar<int> abc("abc", 2, registry);
  EXPECT_EQ(registry.FindNode(""), registry.Root());
  EXPECT_EQ(registry.FindNode("x"), nullptr);
  ASSERT_NE(registry.FindNode("a"), nullptr);
  EXPECT_EQ(registry.FindNode("a")->kind, CVarRegistry::kCharacterNode);
  EXPECT_EQ(registry.FindNode("ab")->kind, CVarRegistry::kEntryLeaf);
  EXPECT_EQ(registry.Find("ab")->name, "ab");
  EXPECT_EQ(registry.Find("a"), nullptr);
  EXPECT_EQ(registry.Find("abcd"), nullptr);
}

TEST(CVar, HandlesOfOneNameShareTheFirstRegistrationsCellAndType) {
  CVar<float> speed1("cvartest.camera.speed", 2.0f);
  CVar<float> speed2("cvartest.camera.speed", 9.0f);  // default ignored
  EXPECT_TRUE(speed2.Bound());
  EXPECT_FLOAT_EQ(speed2, 2.0f);
  speed1 = 3.5f;
  EXPECT_FLOAT_EQ(speed2.Get(), 3.5f);

  // A second kind adopts the first kind's type; values convert rather than reinterpret.
  CVar<int> as_int("cvartest.camera.speed", 7);
  EXPECT_EQ(as_int.Type(), kCVarFloat);
  EXPECT_EQ(as_int.Get(), 3);
  as_int = 5;
  EXPECT_FLOAT_EQ(speed1, 5.0f);

  // A copy is unbound with its own cell.
  CVar<float> copy(speed1);
  EXPECT_FALSE(copy.Bound());
  EXPECT_EQ(copy.Name(), "cvartest.camera.speed");
  copy = 1.0f;
  EXPECT_FLOAT_EQ(speed1, 5.0f);
}

TEST(CVar, TwoStepRegistrationAndUnregisteredDefaults) {
  CVar<float> f;
  CVar<int> i;
  EXPECT_FALSE(f.Bound());
  EXPECT_EQ(f.Get(), 0.0f);
  EXPECT_EQ(i.Get(), 0);
  i.Register("", 4);  // no name: stays unbound, holding the default
  EXPECT_FALSE(i.Bound());
  EXPECT_EQ(i.Get(), 4);
  for (const auto& child : GetCVarRegistry().Root()->children) {
    EXPECT_NE(child->kind, CVarRegistry::kEntryLeaf);
  }
  i.Register("cvartest.two_step", 10);
  EXPECT_TRUE(i.Bound());
  EXPECT_EQ(i.Get(), 10);
  EXPECT_EQ(CVar<int>("cvartest.two_step", 0).Get(), 10);
}

TEST(CVar, TextForms) {
  CVarRegistry registry;
  CVar<float> f("f", 4.8f, registry);
  CVar<int> i("i", 1, registry);
  EXPECT_EQ(f.ToText(), "4.800000");
  EXPECT_EQ(i.ToText(), "1");
  EXPECT_TRUE(i.FromText("0"));
  EXPECT_EQ(i.Get(), 0);
  EXPECT_TRUE(i.FromText("abc"));  // no digits: 0, still a success
  EXPECT_TRUE(i.FromText("99999999999"));
  EXPECT_EQ(i.Get(), INT32_MAX);  // clamped, not undefined

  // Float "0" stores 0.0 and reports failure.
  EXPECT_FALSE(f.FromText("0"));
  EXPECT_EQ(f.Get(), 0.0f);
  EXPECT_TRUE(f.FromText("2.5"));
  EXPECT_FLOAT_EQ(f.Get(), 2.5f);
  EXPECT_TRUE(f.FromText("1e300"));
  EXPECT_EQ(f.Get(), FLT_MAX);
  EXPECT_FALSE(f.FromText("nan"));  // would reach every reader's int conversions
  EXPECT_EQ(f.Get(), 0.0f);
  EXPECT_TRUE(f.FromText("-inf"));
  EXPECT_EQ(f.Get(), -FLT_MAX);

  CVar<ConsoleFunction> fn("fn", nullptr, registry);
  EXPECT_EQ(fn.ToText(), "");
  EXPECT_FALSE(fn.FromText("1"));
}

TEST(CVarFile, SavesInTrieOrderWithSixDecimalsAndNoFunctions) {
  test::ScratchDir dir("cvar");
  CVarRegistry registry;
  CVar<float> hdist("camera.hdist", 4.8f, registry);
  CVar<ConsoleFunction> help(
      "help", +[](const std::vector<std::string>&) { return std::string(); }, registry);
  CVar<int> fps("stats.fps", 1, registry);
  CVar<float> hspeed("camera.hspeed", 0.1f, registry);
  ASSERT_TRUE(SaveCVars("cvar.ini", registry));
  EXPECT_EQ(test::ReadFile("cvar.ini"),
            "2 camera.hdist 4.800000\n2 camera.hspeed 0.100000\n1 stats.fps 1\n");
  EXPECT_FALSE(std::filesystem::exists("cvar.ini.tmp"));

  CVarRegistry reread;
  RestoreCVars("cvar.ini", reread);
  EXPECT_EQ(reread.Find("camera.hspeed")->value.f, 0.1f);
}

TEST(CVarFile, RestoresIntoVariablesDeclaredBeforeAndLater) {
  test::ScratchDir dir("cvar");
  test::WriteFile("cvar.ini", "2 a.early 3.000000\n2 a.late 7.5\n1 a.kept 42\n");
  CVarRegistry registry;
  CVar<float> early("a.early", 1.0f, registry);
  RestoreCVars("cvar.ini", registry);
  EXPECT_FLOAT_EQ(early, 3.0f);
  CVar<float> late("a.late", 1.0f, registry);
  EXPECT_FLOAT_EQ(late, 7.5f);
  // a.kept is declared by nobody yet survives a save.
  ASSERT_TRUE(SaveCVars("cvar.ini", registry));
  EXPECT_EQ(test::ReadFile("cvar.ini"), "2 a.early 3.000000\n2 a.late 7.500000\n1 a.kept 42\n");
}

TEST(CVarFile, StopsAtNonNumericTypeCodeAndSkipsUnknownCodes) {
  test::ScratchDir dir("cvar");
  test::WriteFile("cvar.ini", "1 x.one 1\n7 x.seven 7\n1 x.two 2\nbad x.three 3\n1 x.four 4\n");
  CVarRegistry registry;
  RestoreCVars("cvar.ini", registry);
  EXPECT_NE(registry.Find("x.one"), nullptr);
  EXPECT_EQ(registry.Find("x.seven"), nullptr);
  EXPECT_NE(registry.Find("x.two"), nullptr);
  EXPECT_EQ(registry.Find("x.three"), nullptr);
  EXPECT_EQ(registry.Find("x.four"), nullptr);
}

TEST(CVarFile, FileTypeCodeDecidesTheConversion) {
  test::ScratchDir dir("cvar");
  test::WriteFile("cvar.ini", "1 t.f 3.9\n2 t.i 2.75\n");
  CVarRegistry registry;
  CVar<float> f("t.f", 0.5f, registry);
  CVar<int> i("t.i", 1, registry);
  RestoreCVars("cvar.ini", registry);
  EXPECT_FLOAT_EQ(f, 3.0f);  // read as an integer, stored as the float it is
  EXPECT_EQ(i.Get(), 2);
}

TEST(CVarFile, RejectsWordsLongerThan255CharactersAndContinues) {
  test::ScratchDir dir("cvar");
  const std::string long_name(300, 'n');
  const std::string long_value(1000, '7');
  test::WriteFile("cvar.ini", "1 " + long_name + " 1\n1 y.a " + long_value + "\n1 y.b 2\n1 " +
                                  std::string(255, 'm') + " 3\n");
  CVarRegistry registry;
  RestoreCVars("cvar.ini", registry);
  EXPECT_EQ(registry.Find(long_name), nullptr);
  EXPECT_EQ(registry.Find("y.a"), nullptr);
  ASSERT_NE(registry.Find("y.b"), nullptr);
  EXPECT_EQ(registry.Find("y.b")->value.i, 2);
  EXPECT_NE(registry.Find(std::string(255, 'm')), nullptr);
}

TEST(CVarFile, MissingFileRestoresNothingAndSaveKeepsOldFileOnFailure) {
  test::ScratchDir dir("cvar");
  CVarRegistry registry;
  CVar<int> v("m.v", 5, registry);
  RestoreCVars("cvar.ini", registry);
  EXPECT_EQ(v.Get(), 5);

  // A name that cannot be read back is left out rather than corrupting the file.
  CVar<int> spaced("has space", 1, registry);
  ASSERT_TRUE(SaveCVars("cvar.ini", registry));
  EXPECT_EQ(test::ReadFile("cvar.ini"), "1 m.v 5\n");

  // A save killed part-way, or failing, keeps the previous file whole.
  v = 6;
  auto save = [&] { return SaveCVars("cvar.ini", registry); };
  EXPECT_TRUE(test::WriteInChildLimitedTo(4, save).killed);
  EXPECT_EQ(test::ReadFile("cvar.ini"), "1 m.v 5\n");
  EXPECT_FALSE(test::WriteInChildLimitedTo(4, save, false).result);
  EXPECT_EQ(test::ReadFile("cvar.ini"), "1 m.v 5\n");
  ASSERT_TRUE(SaveCVars("cvar.ini", registry));
  EXPECT_EQ(test::ReadFile("cvar.ini"), "1 m.v 6\n");
}

}  // namespace
}  // namespace kt
