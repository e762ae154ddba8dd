// AMC reading and writing, clips, resampling, the posture and marker caches and the registry.
#include "motion/motion_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>

#include "console/log.h"
#include "motion_fixtures.h"
#include "test_support.h"
#include "write_failure.h"

namespace kt {
namespace {

namespace fs = std::filesystem;
using test::AmcText;
using test::ReadFile;
using test::WalkPostures;
using test::WriteFile;

std::string LogText() { return ReadFile("log.txt"); }
bool Logged(const std::string& text) { return LogText().find(text) != std::string::npos; }

// Same rotation and position to about six significant digits.
void ExpectSamePosture(const Posture& a, const Posture& b) {
  for (float CVector::*c : {&CVector::x, &CVector::y, &CVector::z})
    EXPECT_NEAR(a.root_position.*c, b.root_position.*c,
                2e-5f * std::max(1.0f, std::fabs(a.root_position.*c)));
  for (int j = 0; j < kBoneCount; ++j)
    EXPECT_NEAR(std::fabs(Dot(a.rotations[j], b.rotations[j])), 1.0f, 2e-6f) << j;
}

class MotionDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::InstallTestSkeleton();
    WriteFile("data/motions/walk.amc", AmcText(WalkPostures(100)));
  }
  void TearDown() override {
    CloseLogFile();
    ResetMotionSkeletons();
    SetMotionCachesEnabled(true);
  }

  test::ScratchDir dir_{"motion-data"};
  const std::string amc_ = "data/motions/walk.amc";
  const std::string bin_ = "data/motions/walk.bin";
  const std::string mpos_ = "data/motions/walk.mpos";
  const std::string mpos2_ = "data/motions/walk.mpos2";
  // The same files as the program names them in its log.
  const std::string bin_name_ = "data\\motions\\walk.bin";
  const std::string mpos_name_ = "data\\motions\\walk.mpos";
  const std::string mpos2_name_ = "data\\motions\\walk.mpos2";
};

TEST_F(MotionDataTest, ReadsAmcIntoScaledPostures) {
  const MotionData m("Walk", "walk.amc", kMotionScale, 2, 60);
  ASSERT_EQ(m.frame_count(), 100);
  EXPECT_EQ(m.name(), "walk");
  EXPECT_EQ(m.frame_rate(), 60);
  EXPECT_FLOAT_EQ(m.frame_period(), 1000.0f / 60.0f);
  EXPECT_EQ(m.body_weights(), 2);
  EXPECT_EQ(m.dof_count(), 62);
  EXPECT_EQ(m.clip_ends(), std::vector<int>{99});
  EXPECT_EQ(m.resource_names(), std::vector<std::string>{"data\\motions\\walk.amc"});
  const auto source = WalkPostures(100);
  for (int f = 0; f < 100; f += 11) ExpectSamePosture(m.posture(f), source[size_t(f)]);
  EXPECT_TRUE(Logged("Loading Motion walk.amc..."));
  EXPECT_TRUE(Logged("Done Loading Motion walk.amc parsed as AMC..."));
}

TEST_F(MotionDataTest, EmptyLinesAndCrlfAreAccepted) {
  std::string text;
  for (char c : AmcText(WalkPostures(5)))
    text += c == '\n' ? std::string("\r\n\r\n") : std::string(1, c);
  WriteFile("data/motions/crlf.amc", "\n" + text + "\n  \n");
  const MotionData m("crlf", "crlf.amc", kMotionScale, 0, 120);
  EXPECT_EQ(m.frame_count(), 5);
}

TEST_F(MotionDataTest, FirstLoadWritesAllThreeCachesWithTheirLayout) {
  const MotionData m("walk", "walk.amc", kMotionScale, 0, 120);
  const std::string bin = ReadFile(bin_);
  ASSERT_EQ(bin.size(), 4 + 100 * 508u);
  EXPECT_EQ(bin.substr(0, 4), "100\n");
  EXPECT_EQ(std::memcmp(bin.data() + 4, m.postures().data(), 100 * 508), 0);
  const auto relative = m.ComputeMarkerPositions(kRootRelativeMarkers);
  const auto global = m.ComputeMarkerPositions(kGlobalMarkers);
  const std::string mpos = ReadFile(mpos_), mpos2 = ReadFile(mpos2_);
  ASSERT_EQ(mpos.size(), 4 + 100 * 372u);
  ASSERT_EQ(mpos2.size(), 4 + 100 * 372u);
  EXPECT_EQ(std::memcmp(mpos.data() + 4, relative.data(), 100 * 372), 0);
  EXPECT_EQ(std::memcmp(mpos2.data() + 4, global.data(), 100 * 372), 0);
  EXPECT_EQ(m.LoadMarkerPositions(kGlobalMarkers), global);
  EXPECT_TRUE(Logged("DumpMarkerPositions: Done dumping marker positions to file - " + mpos_name_));
  EXPECT_TRUE(Logged("LoadMarkerPositions: Successfully Loaded ALL Binary MarkerPositions"));
  EXPECT_EQ(relative[size_t(7) * kBoneCount], CVector());  // the root sits at the origin
  EXPECT_EQ(global[size_t(7) * kBoneCount], m.posture(7).root_position);
  for (const auto& e : fs::directory_iterator("data/motions"))
    EXPECT_NE(e.path().extension(), ".tmp");
}

TEST_F(MotionDataTest, SecondLoadReadsTheBinWithoutTheAmc) {
  { const MotionData first("walk", "walk.amc", kMotionScale, 0, 120); }
  fs::remove(amc_);
  CloseLogFile();
  const MotionData second("walk", "walk.amc", kMotionScale, 0, 120);
  EXPECT_EQ(second.frame_count(), 100);
  EXPECT_TRUE(Logged("Done Loading Motion " + bin_name_ + " parsed as binary..."));
  EXPECT_FALSE(Logged("parsed as AMC"));
  EXPECT_FALSE(Logged("DumpMarkerPositions"));
}

TEST_F(MotionDataTest, MissingMarkerCachesAreRecreatedAlone) {
  { const MotionData first("walk", "walk.amc", kMotionScale, 0, 120); }
  const auto bin_time = fs::last_write_time(bin_);
  const std::string bin = ReadFile(bin_);
  fs::remove(mpos_);
  fs::remove(mpos2_);
  CloseLogFile();
  const MotionData second("walk", "walk.amc", kMotionScale, 0, 120);
  EXPECT_TRUE(fs::exists(mpos_));
  EXPECT_TRUE(fs::exists(mpos2_));
  EXPECT_EQ(fs::last_write_time(bin_), bin_time);
  EXPECT_EQ(ReadFile(bin_), bin);
  EXPECT_TRUE(Logged("parsed as binary"));
  EXPECT_TRUE(Logged("to file - " + mpos_name_ + "\n"));
  EXPECT_TRUE(Logged("to file - " + mpos2_name_ + "\n"));
}

TEST_F(MotionDataTest, StaleCachesAreRebuiltFromTheAmc) {
  { const MotionData first("walk", "walk.amc", kMotionScale, 0, 120); }
  WriteFile(amc_, AmcText(WalkPostures(60)));
  fs::last_write_time(amc_, fs::last_write_time(bin_) + std::chrono::seconds(5));
  CloseLogFile();
  const MotionData m("walk", "walk.amc", kMotionScale, 0, 120);
  EXPECT_EQ(m.frame_count(), 60);
  EXPECT_TRUE(Logged("parsed as AMC"));
  EXPECT_EQ(ReadFile(bin_).substr(0, 3), "60\n");
  EXPECT_EQ(ReadFile(mpos2_).substr(0, 3), "60\n");
}

// A cache whose count and size disagree, whose count is negative or absurd, or that is cut
// short, is rejected with a reason and rebuilt from the AMC file.
TEST_F(MotionDataTest, BadCachesAreRejectedAndRebuilt) {
  { const MotionData first("walk", "walk.amc", kMotionScale, 0, 120); }
  const std::string good_bin = ReadFile(bin_), good_mpos = ReadFile(mpos_);
  const struct {
    std::string text, reason;
  } bad[] = {
      {"101" + good_bin.substr(3), "does not match count 101"},
      {"-5\n", "count -5 is out of range"},
      {"99999999999\n", "out of range"},
      {good_bin.substr(0, good_bin.size() - 7), "does not match count 100"},
      {std::string(40, '7'), "no count line"},
  };
  for (const auto& b : bad) {
    WriteFile(bin_, b.text);
    WriteFile(mpos_, b.text);
    fs::last_write_time(bin_, fs::last_write_time(amc_));
    fs::last_write_time(mpos_, fs::last_write_time(amc_));
    CloseLogFile();
    const MotionData m("walk", "walk.amc", kMotionScale, 0, 120);
    EXPECT_EQ(m.frame_count(), 100);
    EXPECT_TRUE(Logged("ReadBinaryPostures: Error reading " + bin_name_)) << b.reason;
    EXPECT_TRUE(Logged(b.reason)) << b.reason << "\n" << LogText();
    EXPECT_TRUE(Logged("parsed as AMC"));
    EXPECT_EQ(ReadFile(bin_), good_bin);
    EXPECT_EQ(ReadFile(mpos_), good_mpos);
  }
}

// A cache of NaN, or of another frame count than its AMC file, is refused whatever its time
// stamp; the AMC file is read instead and the caches are written again.
TEST_F(MotionDataTest, CachesOfNonFiniteValuesOrAnotherFrameCountAreRebuilt) {
  { const MotionData first("walk", "walk.amc", kMotionScale, 0, 120); }
  const std::string good_bin = ReadFile(bin_), good_mpos = ReadFile(mpos_);
  const std::string nan_bin = "100\n" + std::string(100 * 508, '\xff');
  const std::string nan_mpos = "100\n" + std::string(100 * 372, '\xff');
  WriteFile(bin_, nan_bin);
  WriteFile(mpos_, nan_mpos);
  WriteFile(mpos2_, nan_mpos);
  for (const std::string& file : {bin_, mpos_, mpos2_})
    fs::last_write_time(file, fs::last_write_time(amc_) + std::chrono::seconds(5));
  CloseLogFile();
  {
    const MotionData m("walk", "walk.amc", kMotionScale, 0, 120);
    EXPECT_EQ(m.frame_count(), 100);
    EXPECT_TRUE(Logged("ReadBinaryPostures: " + bin_name_ + ": record 0 holds a non-finite"));
    EXPECT_TRUE(Logged("LoadMarkerPositions: " + mpos_name_ + ": record 0 holds a non-finite"));
    EXPECT_TRUE(Logged("parsed as AMC"));
    EXPECT_EQ(ReadFile(bin_), good_bin);
    EXPECT_EQ(ReadFile(mpos_), good_mpos);
    EXPECT_EQ(m.LoadMarkerPositions(kGlobalMarkers), m.ComputeMarkerPositions(kGlobalMarkers));
  }
  const auto longer = WalkPostures(1030);
  ASSERT_EQ(MotionData::WriteBinaryPostures(bin_, longer.data(), 1030), 0);
  fs::last_write_time(bin_, fs::last_write_time(amc_) + std::chrono::seconds(5));
  CloseLogFile();
  const MotionData m("walk", "walk.amc", kMotionScale, 0, 120);
  EXPECT_EQ(m.frame_count(), 100);
  EXPECT_TRUE(Logged(bin_name_ + " holds 1030 frames, data\\motions\\walk.amc 100"));
  EXPECT_EQ(ReadFile(bin_), good_bin);
}

// Cache and AMC writers killed part-way leave the previous files as they were.
TEST_F(MotionDataTest, WritersKilledPartWayKeepThePreviousFiles) {
  const MotionData m("walk", "walk.amc", kMotionScale, 0, 120);
  const std::string amc = ReadFile(amc_), bin = ReadFile(bin_), mpos = ReadFile(mpos_);
  const auto other = WalkPostures(200, 2.0f);
  const MotionData longer("long", other);
  auto killed = [](const std::function<bool()>& write) {
    return test::WriteInChildLimitedTo(20000, write).killed;
  };
  EXPECT_TRUE(
      killed([&] { return MotionData::WriteBinaryPostures(bin_, other.data(), 200) == 0; }));
  EXPECT_TRUE(killed([&] {
    return MotionData::DumpMarkerPositions(mpos_, other.data(), 200, kRootRelativeMarkers) == 0;
  }));
  EXPECT_TRUE(killed([&] { return longer.WriteAMC("walk.amc", kMotionScale) == 0; }));
  EXPECT_EQ(ReadFile(bin_), bin);
  EXPECT_EQ(ReadFile(mpos_), mpos);
  EXPECT_EQ(ReadFile(amc_), amc);
}

// Bad AMC input: one log line naming the file and the fault, frame count -1, no caches. Other
// damage is left to the amc fuzz target.
TEST_F(MotionDataTest, RejectsMalformedAmcFiles) {
  const std::string good = AmcText(WalkPostures(3));
  auto replace = [&](const std::string& from, const std::string& to) {
    std::string s = good;
    s.replace(s.find(from), from.size(), to);
    return s;
  };
  // The first lfemur line with its last value cut off.
  const size_t femur = good.find("lfemur ");
  const size_t femur_end = good.find('\n', femur);
  std::string few = good;
  few.erase(good.rfind(' ', femur_end), femur_end - good.rfind(' ', femur_end));
  // The first root x replaced.
  auto root_x = [&](const std::string& value) {
    std::string s = good;
    const size_t x = good.find("\nroot ") + 6;
    return s.replace(x, good.find(' ', x) - x, value);
  };
  const struct {
    const char* file;
    std::string text, reason;
  } cases[] = {
      {"lines.amc", good + "lfemur 1 2 3\n", "94 non-empty lines do not fit"},
      {"few.amc", few, "bone 'lfemur' has 2 values, expected 3"},
      {"nan.amc", replace("root ", "root x"), "line 5: 'x"},
      {"inf.amc", replace("head ", "head inf "), "bone 'head' has 4 values"},
      {"huge.amc", root_x("3e38"), "line 5: root position out of range once scaled"},
      {"nanvalue.amc", root_x("nan"), "line 5: 'nan' is not a number"},
  };
  for (const auto& c : cases) {
    WriteFile(std::string("data/motions/") + c.file, c.text);
    const MotionData m(c.file, c.file, kMotionScale, 0, 120);
    EXPECT_EQ(m.frame_count(), -1) << c.file;
    EXPECT_TRUE(m.postures().empty());
    EXPECT_TRUE(m.clip_ends().empty());
    EXPECT_TRUE(Logged(std::string("MotionData: data\\motions\\") + c.file)) << c.file;
    EXPECT_TRUE(Logged(c.reason)) << c.file << "\n" << LogText();
    EXPECT_FALSE(fs::exists(CachePath(std::string("data/motions/") + c.file, ".bin")));
    EXPECT_FALSE(fs::exists(CachePath(std::string("data/motions/") + c.file, ".mpos")));
  }
  const MotionData missing("gone", "gone.amc", kMotionScale, 0, 120);
  EXPECT_EQ(missing.frame_count(), -1);
  EXPECT_TRUE(Logged("MotionData: cannot open AMC file data\\motions\\gone.amc"));
}

TEST_F(MotionDataTest, ClipsConcatenateWithTheirEnds) {
  WriteFile("data/motions/b.amc", AmcText(WalkPostures(50, 2.0f)));
  MotionData m("walk", "walk.amc", kMotionScale, 0, 120);
  ASSERT_TRUE(m.AppendClip("b.amc", kMotionScale));
  EXPECT_EQ(m.frame_count(), 150);
  EXPECT_EQ(m.clip_ends(), (std::vector<int>{99, 149}));
  EXPECT_EQ(m.NextClipEnd(0), 99);
  EXPECT_EQ(m.NextClipEnd(99), 99);
  EXPECT_EQ(m.NextClipEnd(120), 149);
  EXPECT_EQ(m.NextClipEnd(150), 150);
  EXPECT_EQ(m.resource_names().back(), "data\\motions\\b.amc");
  ExpectSamePosture(m.posture(100), WalkPostures(50, 2.0f)[0]);
  EXPECT_FALSE(m.AppendClip("missing.amc", kMotionScale));
  EXPECT_EQ(m.frame_count(), 150);
  EXPECT_EQ(m.clip_ends().size(), 2u);

  const auto markers = m.LoadMarkerPositions(kRootRelativeMarkers);
  EXPECT_EQ(markers, m.ComputeMarkerPositions(kRootRelativeMarkers));
  // A marker file that no longer fits its clip is refused, not read past the array.
  WriteFile("data/motions/b.mpos", ReadFile(mpos_));
  EXPECT_TRUE(m.LoadMarkerPositions(kRootRelativeMarkers).empty());
  EXPECT_TRUE(Logged("LoadMarkerPositions: Error reading data\\motions\\b.mpos"));
  EXPECT_EQ(m.MarkerPositions(kRootRelativeMarkers), markers);  // computed instead
}

TEST_F(MotionDataTest, WriteAmcRoundTripsToSixDigits) {
  const MotionData m("walk", "walk.amc", kMotionScale, 0, 120);
  testing::internal::CaptureStdout();
  ASSERT_EQ(m.WriteAMC("out.amc", kMotionScale), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Write 100 samples to 'out.amc' \n");
  const std::string text = ReadFile("data/motions/out.amc");
  EXPECT_EQ(text.substr(0, 43), "#Unknow ASF file\n:FULLY-SPECIFIED\n:DEGREES\n");
  EXPECT_EQ(text.find("hipjoint"), std::string::npos);
  EXPECT_NE(text.find("\n100\nroot "), std::string::npos);
  const MotionData back("back", "out.amc", kMotionScale, 0, 120);
  ASSERT_EQ(back.frame_count(), 100);
  for (int f = 0; f < 100; ++f) ExpectSamePosture(back.posture(f), m.posture(f));
  Posture exact;
  exact.root_position = {1.23456789f * 2.5f, 0.0f, -1e6f * 2.5f};
  exact.rotations[kLowerBack] = CQuaternion::FromEuler(10, 0, 0);
  testing::internal::CaptureStdout();
  ASSERT_EQ(MotionData("exact", {exact}).WriteAMC("exact.amc", kMotionScale), 0);
  testing::internal::GetCapturedStdout();
  const std::string exact_text = ReadFile("data/motions/exact.amc");
  EXPECT_NE(exact_text.find("\n1\nroot 1.23457 0 -1e+06 0 0 0\nlfemur 0 0 0\n"), std::string::npos);
  EXPECT_NE(exact_text.find("\nlowerback 10 0 0\n"), std::string::npos) << exact_text;
  EXPECT_EQ(m.WriteAMC("no/such/folder/out.amc", kMotionScale), -1);
  EXPECT_TRUE(Logged("WriteAMC: cannot create"));
}

TEST_F(MotionDataTest, ResampleKeepsEveryStepthFrame) {
  const auto source = WalkPostures(1000);
  MotionData thirty("a", source), fifty("b", source), seven("c", source);
  ASSERT_TRUE(thirty.Resample(30));
  EXPECT_EQ(thirty.frame_count(), 250);
  EXPECT_EQ(std::memcmp(&thirty.posture(3), &source[12], sizeof(Posture)), 0);
  EXPECT_EQ(thirty.clip_ends(), std::vector<int>{249});
  ASSERT_TRUE(fifty.Resample(50));
  EXPECT_EQ(fifty.frame_count(), 500);
  ASSERT_TRUE(seven.Resample(7));  // step 17
  EXPECT_EQ(seven.frame_count(), 1000 / 17);
  EXPECT_EQ(std::memcmp(&seven.posture(2), &source[34], sizeof(Posture)), 0);
  EXPECT_FALSE(thirty.Resample(0));
  EXPECT_FALSE(thirty.Resample(121));
  EXPECT_EQ(thirty.frame_count(), 250);

  MotionData clips("clips", WalkPostures(100));
  clips.AppendPostures(WalkPostures(50));
  ASSERT_TRUE(clips.Resample(30));
  EXPECT_EQ(clips.clip_ends(), (std::vector<int>{24, 36}));
}

TEST_F(MotionDataTest, RegistryKeepsLowerCaseNamesUnique) {
  auto a = std::make_unique<MotionData>("Walk", WalkPostures(2));
  auto b = std::make_unique<MotionData>("walk", WalkPostures(2));
  auto c = std::make_unique<MotionData>("WALK", WalkPostures(2));
  EXPECT_EQ(a->name(), "walk");
  EXPECT_EQ(b->name(), "walk1");
  EXPECT_EQ(c->name(), "walk2");
  EXPECT_EQ(FindMotion("walk1"), b.get());
  static const MotionData* destroyed = nullptr;
  SetMotionDestroyedCallback([](const MotionData* m) { destroyed = m; });
  const MotionData* gone = b.get();
  b.reset();
  SetMotionDestroyedCallback(nullptr);
  EXPECT_EQ(destroyed, gone);
  EXPECT_EQ(FindMotion("walk1"), nullptr);
  EXPECT_EQ(AllMotions().size(), 2u);
  auto d = std::make_unique<MotionData>("walk", WalkPostures(2));
  EXPECT_EQ(d->name(), "walk1");
}

TEST_F(MotionDataTest, InMemoryMotionComputesMarkersWithoutFiles) {
  const MotionData m("synthetic", WalkPostures(20));
  EXPECT_TRUE(m.resource_names().empty());
  const auto global = m.MarkerPositions(kGlobalMarkers);
  ASSERT_EQ(global.size(), 20u * kBoneCount);
  CVector expected[kBoneCount];
  MarkerSkeleton().GlobalMarkerPositions(m.posture(19), expected);
  for (int j = 0; j < kBoneCount; ++j) EXPECT_EQ(MarkerAt(global, 19, j), expected[j]);
  EXPECT_FALSE(fs::exists("log.txt") && Logged("LoadMarkerPositions"));

  const MotionData empty("empty", {}, 0);
  EXPECT_EQ(empty.frame_count(), 0);
  EXPECT_TRUE(empty.clip_ends().empty());
  EXPECT_EQ(empty.NextClipEnd(0), 0);
  EXPECT_EQ(empty.frame_rate(), 120);  // a rate of 0 would make the frame period infinite
  EXPECT_TRUE(Logged("MotionData: empty: frame rate 0 is not positive, using 120"));
}

TEST(CachePath, ReplacesTheExtensionOfTheFileName) {
  EXPECT_EQ(CachePath("data\\motions\\walk.amc", ".bin"), "data\\motions\\walk.bin");
  EXPECT_EQ(CachePath("data\\motions\\walk", ".bin"), "");
  EXPECT_EQ(CachePath("../x/walk", ".bin"), "");
  EXPECT_EQ(CachePath("a.b/walk.v2.amc", ".mpos"), "a.b/walk.v2.mpos");
}

}  // namespace
}  // namespace kt
