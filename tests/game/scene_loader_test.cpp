// Scene description files: the rules a scene author trips over (header, comments, blank lines,
// block starts, end lines, key syntax), what each block creates and where it goes, the
// failures and what stays created after them, and numbers out of range (other malformed input
// is left to the scene fuzz target).
#include "game/scene_loader.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

#include "../level/level_fixtures.h"
#include "character/character.h"
#include "character/game_world.h"
#include "character/motion_controller.h"
#include "console/cvar.h"
#include "game/camera.h"
#include "motion/motion_data.h"
#include "motion_fixtures.h"
#include "test_support.h"

namespace kt {
namespace {

const char kHeader[] = "// Kinetrope Scene Description  - test scene \\\n";
const char kFailed[] = "SceneLoader: failed file parsing ";

class SceneLoaderTest : public ::testing::Test {
 protected:
  SceneLoaderTest() {
    test::InstallTestSkeleton();
    // Three tiny clips of different lengths, so appended files show in the frame count.
    test::WriteFile("data/motions/a.amc", test::AmcText(test::WalkPostures(4)));
    test::WriteFile("data/motions/b.amc", test::AmcText(test::WalkPostures(5)));
    test::WriteFile("data/motions/c.amc", test::AmcText(test::WalkPostures(6)));
    CreateGameWorld();
  }
  ~SceneLoaderTest() override { DestroyGameWorld(); }

  // Writes the header and `body` as "test.sce" and loads it.
  bool LoadBody(const std::string& body, const std::string& header = kHeader) {
    test::WriteFile("test.sce", header + body);
    return loader_.Load("test.sce");
  }
  GameWorld& world() { return *GetGameWorld(); }
  bool Failed(const std::string& start_line) const { return log_.Count(kFailed + start_line) > 0; }

  test::ScratchDir dir_{"scene_loader"};
  test::ManualClockScope clock_;
  test::LogCapture log_;
  SceneLoader loader_;
};

const char kClipA[] = "* MotionData\nMotionName: ClipA\nAMCFiles: a.amc\nFrameRate: 120\nEnd\n";

// ---- file syntax ----

TEST_F(SceneLoaderTest, LineOneIsNeverParsedAndAMissingFileChangesNothing) {
  // The exact header, a block start and a key line: line 1 is skipped every time.
  EXPECT_TRUE(LoadBody(kClipA));
  EXPECT_TRUE(LoadBody("MotionName: X\n* Entity\nName: h2\nPosition: 1 2 3\nEnd\n", "* Sound\n"));
  EXPECT_NE(FindEntity("h2"), nullptr);
  // A header block start does not open a block: its key lines are free text.
  EXPECT_TRUE(LoadBody("Name: h3\nPosition: 1 1 1\nEnd\n", "* Entity\n"));
  EXPECT_EQ(FindEntity("h3"), nullptr);
  EXPECT_TRUE(LoadBody("", ""));  // an empty file
  EXPECT_FALSE(log_.Contains(kFailed));
  // A missing file fails silently and leaves the world as it was.
  ASSERT_TRUE(LoadBody(kClipA));
  const size_t lines = log_.lines.size();
  EXPECT_FALSE(loader_.Load("nothing_here.sce"));
  EXPECT_EQ(log_.lines.size(), lines);
  EXPECT_EQ(world().motions.size(), 1u);
}

TEST_F(SceneLoaderTest, CommentMarkerAnywhereDiscardsTheWholeLine) {
  EXPECT_TRUE(
      LoadBody("// a comment between blocks\n"
               "* Entity\n"
               "Name: marker\n"
               "  // a comment inside\n"
               "Position: 1 2 3\n"
               "Position: 7 8 9 // moved after a complete key line: the line is dropped\n"
               "Rotation: 0 0 0 1\n"
               "End\n"
               "* Entity // a start line with a comment is no start line\n"
               "Name: never\n"
               "Position: 1 1 1\n"
               "End\n"));
  Entity* e = FindEntity("marker");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->position.x, 1.0f);
  EXPECT_EQ(e->position.z, 3.0f);
  EXPECT_EQ(FindEntity("never"), nullptr);
}

TEST_F(SceneLoaderTest, BlankLineFailsInsideABlockButNotBetweenBlocks) {
  EXPECT_TRUE(LoadBody("\n\nfree text\n" + std::string(kClipA) + "\n\n"));
  EXPECT_EQ(world().motions.size(), 1u);
  EXPECT_FALSE(LoadBody("* MotionData\nMotionName: ClipB\n\nAMCFiles: a.amc\nFrameRate: 1\nEnd\n"));
  EXPECT_TRUE(Failed("* MotionData"));
  EXPECT_EQ(FindMotion("clipb"), nullptr);
}

TEST_F(SceneLoaderTest, StartLinesAndKeySyntax) {
  // The keyword right after the asterisk loses its first letter: skipped, and its key lines
  // are free text between blocks.
  EXPECT_TRUE(LoadBody("*Entity\nName: glued\nPosition: 1 2 3\nEnd\n* entity\nName: lower\nEnd\n"));
  EXPECT_EQ(FindEntity("glued"), nullptr);
  EXPECT_EQ(FindEntity("lower"), nullptr);
  // A blank before the colon makes the key unknown; so does another case.
  EXPECT_FALSE(LoadBody("* Entity\nName : spaced\nPosition: 1 2 3\nEnd\n"));
  EXPECT_TRUE(Failed("* Entity"));
  EXPECT_FALSE(LoadBody("* Entity\nname: lower\nPosition: 1 2 3\nEnd\n"));
  // A line without a colon, and a file ending inside a block.
  EXPECT_FALSE(LoadBody("* Entity\nName: x\nPosition 1 2 3\nEnd\n"));
  EXPECT_FALSE(LoadBody("* Entity\nName: unended\nPosition: 1 2 3\n"));
  EXPECT_EQ(FindEntity("unended"), nullptr);
  // Leading blanks before the key go; the value keeps what follows its leading blanks.
  EXPECT_TRUE(LoadBody("* Entity\n \t Name:\t  Mixed Case\nPosition: 4 5 6\nEnd\n"));
  EXPECT_NE(FindEntity("mixed case"), nullptr);
  // Windows line ends read like line feeds.
  EXPECT_TRUE(LoadBody("* Entity\r\nName: crlf\r\nPosition: 1 2 3\r\nEnd\r\n"));
  EXPECT_NE(FindEntity("crlf"), nullptr);
}

TEST_F(SceneLoaderTest, EndOrEndAnywhereEndsTheBlock) {
  // "LEGEND" ends the block at its own line: the name is never read, two keys are too few.
  EXPECT_FALSE(
      LoadBody("* MotionData\nAMCFiles: a.amc\nMotionName: LEGEND\nFrameRate: 120\nEnd\n"));
  EXPECT_TRUE(Failed("* MotionData"));
  EXPECT_EQ(FindMotion("legend"), nullptr);
  // With three keys before it the clip is made without a name; the lines after are free text.
  EXPECT_TRUE(
      LoadBody("* MotionData\nAMCFiles: a.amc\nBodyWeights: 1\nFrameRate: 120\nMotionName: LEGEND\n"
               "FrameRate: 60\nEnd\n"));
  ASSERT_EQ(world().motions.size(), 1u);
  EXPECT_EQ(world().motions[0]->frame_rate(), 120);
  EXPECT_EQ(world().motions[0]->name(), "");
}

TEST_F(SceneLoaderTest, SoundBlockFailsTheLoadAndEarlierBlocksStay) {
  EXPECT_FALSE(LoadBody(std::string(kClipA) + "* Sound\nFile: x.wav\nEnd\n" +
                        "* Entity\nName: after\nPosition: 0 0 0\nEnd\n"));
  EXPECT_TRUE(Failed("* Sound"));
  EXPECT_NE(FindMotion("clipa"), nullptr);
  EXPECT_EQ(world().motions.size(), 1u);
  EXPECT_EQ(FindEntity("after"), nullptr);
}

TEST_F(SceneLoaderTest, ReloadEmptiesTheListsButKeepsTheObjects) {
  ASSERT_TRUE(
      LoadBody(std::string(kClipA) + "* Character\nCharacterName: keeper\nPosition: 1 2 3\nEnd\n"));
  ASSERT_EQ(world().entities.size(), 1u);
  ASSERT_TRUE(LoadBody("* Entity\nName: other\nPosition: 0 0 0\nEnd\n"));
  EXPECT_TRUE(world().motions.empty());
  EXPECT_TRUE(world().entities.empty());
  EXPECT_NE(FindMotion("clipa"), nullptr);
  EXPECT_NE(FindCharacter("keeper"), nullptr);
}

// ---- motions, data sets, graphs ----

TEST_F(SceneLoaderTest, AmcFileListsJoinIntoOneClipInOrder) {
  for (const char* files : {"a.amc,b.amc,c.amc", "a.amc, b.amc,\t c.amc"}) {
    SCOPED_TRACE(files);
    ASSERT_TRUE(LoadBody("* MotionData\nMotionName: Joined\nAMCFiles: " + std::string(files) +
                         "\nBodyWeights: 2\nEnd\n"));
    ASSERT_EQ(world().motions.size(), 1u);
    const MotionData& m = *world().motions[0];
    EXPECT_EQ(m.frame_count(), 15);
    EXPECT_EQ(m.clip_ends(), (std::vector<int>{3, 8, 14}));
    EXPECT_EQ(m.frame_rate(), 120);  // FrameRate not given
    EXPECT_EQ(m.body_weights(), 2);
  }
  // Both loads made their own clip: the registry made the second name unique.
  EXPECT_NE(FindMotion("joined1"), nullptr);
}

TEST_F(SceneLoaderTest, UnreadableFirstFileOrTooFewKeysCreateNoClip) {
  EXPECT_FALSE(
      LoadBody("* MotionData\nMotionName: Lost\nAMCFiles: missing.amc\nFrameRate: 120\nEnd\n"));
  EXPECT_TRUE(Failed("* MotionData"));
  EXPECT_EQ(FindMotion("lost"), nullptr);
  // A name that reads as a folder, first or appended.
  EXPECT_FALSE(LoadBody("* MotionData\nMotionName: Folder\nAMCFiles:\nFrameRate: 120\nEnd\n"));
  EXPECT_TRUE(
      LoadBody("* MotionData\nMotionName: Tail\nAMCFiles: a.amc, ,\nFrameRate: 120\nEnd\n"));
  EXPECT_EQ(FindMotion("tail")->frame_count(), 4);
  EXPECT_FALSE(LoadBody("* MotionData\nMotionName: Short\nAMCFiles: a.amc\nEnd\n"));
  EXPECT_EQ(FindMotion("short"), nullptr);
}

TEST_F(SceneLoaderTest, DataSetRolesWithMissingClipsStayEmpty) {
  ASSERT_TRUE(LoadBody(std::string(kClipA) +
                       "* MotionDataSet\nID: 7\nAttackMotion: CLIPA\nAttackGraphID: 3\n"
                       "IdleMotion: NoSuchClip\nIdleGraphID: 4\nMoveGraphID: 5\nEnd\n"));
  EXPECT_FALSE(log_.Contains(kFailed));
  MotionDataSet set;
  ASSERT_TRUE(world().FindDataSet(7, set));
  EXPECT_EQ(set.roles[kRoleAttack].motion, FindMotion("clipa"));
  EXPECT_EQ(set.roles[kRoleAttack].graph_id, 3);
  for (int role : {kRoleIdle, kRoleMove}) {
    EXPECT_EQ(set.roles[role].motion, nullptr) << role;
    EXPECT_EQ(set.roles[role].graph_id, -1) << role;
  }
  EXPECT_FALSE(LoadBody("* MotionDataSet\nID: 8\nEnd\n"));  // one key is too few
}

TEST_F(SceneLoaderTest, TransitionGraphTakesTheTransitionTimeWhenTheBlockEnds) {
  CVar<float> transition_time("motionctrl.transition_time", 0.15f);
  transition_time = 0.4f;
  ASSERT_TRUE(LoadBody(std::string(kClipA) +
                       "* TransitionGraph\nMotion: clipa\nID: 1\nGraphType: 1\nEvalType: 3\n"
                       "EvalThresh: 0.9\nEnd\n"
                       "* TransitionGraph\nMotion: ClipA\nID: 2\nGraphType: 2\nEvalType: 3\n"
                       "TransitionTime: 0.25\nEnd\n"));
  transition_time = 0.9f;
  GraphDescription g;
  ASSERT_TRUE(world().FindGraph(1, g));
  EXPECT_EQ(g.transition_time, 0.4f);
  EXPECT_EQ(g.eval_threshold, 0.9f);
  EXPECT_EQ(g.motion, FindMotion("clipa"));
  ASSERT_TRUE(world().FindGraph(2, g));
  EXPECT_EQ(g.transition_time, 0.25f);
  EXPECT_EQ(g.eval_threshold, -1.0f);
  transition_time = 0.15f;

  // Its clip, a graph type and five keys are needed.
  ASSERT_TRUE(LoadBody(kClipA));
  const std::string keys = "ID: 1\nEvalType: 3\nEvalThresh: 1\nTransitionTime: 0.1\n";
  EXPECT_FALSE(LoadBody("* TransitionGraph\nMotion: ClipA\nGraphType: 0\n" + keys + "End\n"));
  EXPECT_FALSE(LoadBody("* TransitionGraph\nMotion: Other\nGraphType: 1\n" + keys + "End\n"));
  EXPECT_FALSE(
      LoadBody("* TransitionGraph\nMotion: ClipA\nGraphType: 1\nID: 1\nEvalType: 3\nEnd\n"));
  EXPECT_TRUE(world().graphs.empty());
}

// ---- characters ----

TEST_F(SceneLoaderTest, CharacterGetsPositionZoneHitPointsAndListPlace) {
  ASSERT_TRUE(
      LoadBody("* Character\nCharacterName: Boss\nPosition: 1 2 3\nHitPoints: 15\n"
               "ZoneRect: -10 -20 30 40\nEnd\n"
               "* Character\nCharacterName: plain\nPosition: 0 0 0\nEnd\n"));
  ASSERT_EQ(world().entities.size(), 2u);
  Character* boss = world().entities[0];
  EXPECT_EQ(boss, FindCharacter("boss"));
  EXPECT_EQ(boss->position.y, 2.0f);
  EXPECT_EQ(boss->hit_points, 15.0f);
  ASSERT_TRUE(boss->zone.has_value());
  EXPECT_EQ(boss->zone->x1, -10.0f);
  EXPECT_EQ(boss->zone->y2, 40.0f);
  EXPECT_EQ(world().entities[1]->hit_points, 10.0f);  // its own default
  EXPECT_FALSE(world().entities[1]->zone.has_value());
}

TEST_F(SceneLoaderTest, ModelsAreReferredToByIndexAndStayWhenTheirBlockFails) {
  ASSERT_TRUE(LoadBody("* Character\nCharacterName: nomodel\nModel: 3\nEnd\n"));
  EXPECT_TRUE(log_.Contains("model 3 not valid"));
  ASSERT_EQ(world().entities.size(), 1u);
  EXPECT_EQ(world().entities[0]->model, nullptr);
  EXPECT_EQ(loader_.model_count(), 0);

  // No level exists: the block fails after its models were loaded; they stay, by index.
  EXPECT_FALSE(LoadBody("* Level\nModel: data/models/one.3ds\nModel: data/models/two.3ds\nEnd\n"));
  EXPECT_TRUE(Failed("* Level"));
  ASSERT_EQ(loader_.model_count(), 2);
  EXPECT_EQ(loader_.Model(2), nullptr);
  EXPECT_EQ(loader_.Model(-1), nullptr);
  // A later file refers to them by index.
  ASSERT_TRUE(LoadBody("* Character\nCharacterName: dressed\nModel: 1\nEnd\n"));
  EXPECT_NE(loader_.Model(1), nullptr);
  EXPECT_EQ(world().entities[0]->model, loader_.Model(1));
}

TEST_F(SceneLoaderTest, ControllerCharacterIgnoresDefaultMotionsGraphsAndEnabled) {
  // Each of these keys would fail the block or stop the root motion on the other path.
  ASSERT_TRUE(LoadBody(std::string(kClipA) +
                       "* MotionDataSet\nID: 1\nIdleMotion: ClipA\nEnd\n"
                       "* Character\nCharacterName: fighter\nGameplayController: 2\nDatasetID: 1\n"
                       "DefaultRootMotion: NoSuchClip 0\nRootGraphID: 99\nEnabled: 0\nEnd\n"
                       "* Character\nCharacterName: unmatched\nGameplayController: 2\n"
                       "DatasetID: 5\nRootGraphID: 99\nEnd\n"));
  ASSERT_EQ(world().entities.size(), 2u);
  EXPECT_NE(world().entities[0]->gameplay_controller(), nullptr);
  EXPECT_EQ(world().entities[1]->gameplay_controller(), nullptr);  // no set with id 5
}

TEST_F(SceneLoaderTest, DefaultMotionsGraphsAndEnabledWithoutController) {
  ASSERT_TRUE(LoadBody(std::string(kClipA) +
                       "* TransitionGraph\nMotion: ClipA\nID: 4\nGraphType: 1\nEvalType: 2\n"
                       "EvalThresh: 1\nEnd\n"
                       "* Character\nCharacterName: puppet\nDefaultRootMotion: ClipA 0\n"
                       "DefaultBlendMotion: clipa 0\nEnabled: 0\nEnd\n"
                       "* Character\nCharacterName: graphed\nRootGraphID: 4\nEnd\n"));
  EXPECT_EQ(world().entities.size(), 2u);
  Character* puppet = FindCharacter("puppet");
  ASSERT_NE(puppet, nullptr);
  ASSERT_NE(puppet->RootMotion(), nullptr);
  EXPECT_EQ(puppet->RootMotion()->motion(), FindMotion("clipa"));
  EXPECT_EQ(puppet->RootMotion()->graph(), nullptr);  // graph type 0
  EXPECT_FALSE(puppet->RootMotion()->playing());
  EXPECT_NE(puppet->skeleton_controller()->BlendMotion(), nullptr);
  Character* graphed = FindCharacter("graphed");
  ASSERT_NE(graphed, nullptr);
  ASSERT_NE(graphed->RootMotion(), nullptr);
  EXPECT_TRUE(graphed->RootMotion()->playing());
}

// A failing motion step leaves the character registered but off the list.
TEST_F(SceneLoaderTest, FailingMotionStepLeavesTheCharacterRegisteredButUnlisted) {
  EXPECT_FALSE(
      LoadBody("* Character\nCharacterName: orphan\nDefaultRootMotion: NoSuchClip 0\nEnd\n"));
  EXPECT_TRUE(Failed("* Character"));
  EXPECT_NE(FindCharacter("orphan"), nullptr);
  EXPECT_TRUE(world().entities.empty());
  EXPECT_FALSE(LoadBody("* Character\nCharacterName: lost\nBlendGraphID: 12\nEnd\n"));
  EXPECT_NE(FindCharacter("lost"), nullptr);
  EXPECT_TRUE(world().entities.empty());
}

// ---- level, shaders, entities and the camera ----

class SceneLoaderLevelTest : public SceneLoaderTest {
 protected:
  SceneLoaderLevelTest() {
    test::BuildAndLoad(std::string(test::kTestTextures) +
                           "brush -4 -1 -4 4 0 4 floor\nbrush 1 0 1 2 1 2 wall\n"
                           "brush 2 0 2 3 1 3 wall\nbrush -4 3 -4 4 4 4 sky\n",
                       textures_);
    level_ = std::make_unique<BspLevel>(&textures_);
  }
  test::RecordingTextures textures_;
  std::unique_ptr<BspLevel> level_;
};

TEST_F(SceneLoaderLevelTest, MapLoadsAndItsBrushesGetTextureZeroOrTheBlockFails) {
  ASSERT_EQ(CurrentLevel(), level_.get());
  EXPECT_FALSE(LoadBody("* Level\nMapFile: data/levels/missing.bsp\nBrush: 1\nEnd\n"));
  EXPECT_TRUE(Failed("* Level"));
  EXPECT_TRUE(level_->brushes().empty());
  ASSERT_TRUE(LoadBody("* Level\nMapFile: level.bsp\nBrush: 1\nEnd\n"));
  int walls = 0, floors = 0;
  for (const BspBrush& b : level_->brushes()) walls += b.texture == 1, floors += b.texture == 0;
  EXPECT_EQ(walls, 0);
  EXPECT_EQ(floors, 3);
}

TEST_F(SceneLoaderLevelTest, ShaderFlagsScrollAndTextures) {
  ASSERT_TRUE(
      LoadBody("* Level\nMapFile: level.bsp\nEnd\n"
               "* Shader\nTexture: 1\nTexture: 2\nBlend: 2\nScroll: 0.5 -0.25\nEnd\n"));
  ASSERT_EQ(level_->shaders().size(), 1u);
  const LevelShader& s = level_->shaders()[0];
  EXPECT_EQ(s.flags, uint32_t(kShaderBlendAlpha | kShaderScroll));
  EXPECT_EQ(s.scroll_s, 0.5f);
  EXPECT_EQ(s.scroll_t, -0.25f);
  EXPECT_FALSE(LoadBody("* Shader\nTexture: 1\nEnd\n"));  // too few keys
  EXPECT_EQ(level_->shaders().size(), 1u);
}

TEST_F(SceneLoaderLevelTest, AnimateLoadsItsFramesAndRefusesBadRanges) {
  ASSERT_TRUE(LoadBody("* Shader\nTexture: 1\nAnimate: 4 3 5 water%d.jpg\nEnd\n"));
  ASSERT_EQ(level_->shaders().size(), 1u);
  EXPECT_EQ(level_->shaders()[0].anim_frame_count, 3);
  EXPECT_TRUE(level_->shaders()[0].flags & kShaderAnimate);
  EXPECT_EQ(textures_.images.back(), "water5.jpg");
  const size_t images = textures_.images.size();
  for (const char* value :
       {"4 5 3 w%d.jpg", "4 0 2000000000 w%d.jpg", "4 -2147483648 2147483647 w%d.jpg",
        "4 1 99999999999999999999 w%d.jpg", "4 1 2", "4 1 3 w%s.jpg"}) {
    SCOPED_TRACE(value);
    EXPECT_FALSE(LoadBody("* Shader\nTexture: 1\nAnimate: " + std::string(value) + "\nEnd\n"));
    EXPECT_TRUE(Failed("* Shader"));
  }
  EXPECT_EQ(textures_.images.size(), images);
  EXPECT_EQ(level_->shaders().size(), 1u);
}

TEST_F(SceneLoaderTest, LevelAndShaderBlocksFailWithoutALevelAndCameraBlocksPass) {
  ASSERT_EQ(CurrentLevel(), nullptr);
  EXPECT_FALSE(LoadBody("* Level\nMapFile: level.bsp\nEnd\n"));
  EXPECT_TRUE(Failed("* Level"));
  EXPECT_FALSE(LoadBody("* Shader\nTexture: 1\nBlend: 2\nEnd\n"));
  EXPECT_TRUE(Failed("* Shader"));
  EXPECT_FALSE(LoadBody("* Shader\nTexture: 1\nAnimate: 1 1 2 w%d.jpg\nEnd\n"));
  ASSERT_EQ(GetCamera(), nullptr);
  EXPECT_TRUE(LoadBody("* Entity\nName: camera\nPosition: 0 1 2\nRotation: 0 0 0 1\nEnd\n"));
}

TEST_F(SceneLoaderTest, EntitiesAndTheCamera) {
  Camera camera;
  const CQuaternion facing = camera.orientation;
  // No rotation: the camera keeps the way it faces.
  ASSERT_TRUE(LoadBody("* Entity\nName: camera\nPosition: 0 220 1000\nEnd\n"));
  EXPECT_EQ(camera.position.y, 220.0f);
  EXPECT_EQ(camera.orientation.w, facing.w);
  EXPECT_EQ(camera.orientation.x, facing.x);
  ASSERT_TRUE(
      LoadBody("* Entity\nName: camera\nPosition: 0 1 2\nRotation: 0.1 0.2 0.3 0.9\nEnd\n"
               "* Entity\nName: Statue\nPosition: 5 6 7\nRotation: 0 1 0 0\nEnd\n"
               "* Entity\nName: statue\nPosition: 0 0 0\nEnd\n"));
  EXPECT_EQ(camera.orientation.x, 0.1f);
  EXPECT_EQ(camera.orientation.w, 0.9f);
  EXPECT_EQ(FindEntity("camera1"), nullptr);  // placed, not created
  Entity* statue = FindEntity("statue");
  ASSERT_NE(statue, nullptr);
  EXPECT_EQ(statue->position.z, 7.0f);
  EXPECT_EQ(statue->orientation.y, 1.0f);
  EXPECT_NE(FindEntity("statue1"), nullptr);
  EXPECT_FALSE(LoadBody("* Entity\nName: lonely\nEnd\n"));  // one key is too few
}

// ---- malformed values ----

TEST_F(SceneLoaderTest, NumbersAreReadWithoutOverflow) {
  ASSERT_TRUE(LoadBody(std::string(kClipA) +
                       "* MotionDataSet\nID: 99999999999999999999999\nIdleMotion: ClipA\nEnd\n"
                       "* MotionDataSet\nID: -99999999999999999999999\nIdleMotion: ClipA\nEnd\n"
                       "* MotionDataSet\nID:   +42abc\nIdleMotion: ClipA\nEnd\n"
                       "* MotionDataSet\nID: x\nIdleMotion: ClipA\nEnd\n"
                       "* Entity\nName: far\nPosition: 1e999 2 3\nEnd\n"
                       "* Entity\nName: partial\nPosition: 4 nope 6\nRotation: 0.5\nEnd\n"
                       "* Character\nCharacterName: huge\nDefaultRootMotion: ClipA 99999999999999\n"
                       "HitPoints: 1e999\nModel: -99999999999999\nEnd\n"));
  MotionDataSet set;
  EXPECT_TRUE(world().FindDataSet(INT_MAX, set));
  EXPECT_TRUE(world().FindDataSet(INT_MIN, set));
  EXPECT_TRUE(world().FindDataSet(42, set));
  EXPECT_TRUE(world().FindDataSet(0, set));
  EXPECT_EQ(FindEntity("far")->position.x, 0.0f);  // out of range: it and the rest keep 0
  EXPECT_EQ(FindEntity("far")->position.y, 0.0f);
  Entity* partial = FindEntity("partial");
  EXPECT_EQ(partial->position.x, 4.0f);
  EXPECT_EQ(partial->position.z, 0.0f);
  EXPECT_EQ(partial->orientation.x, 0.5f);
  EXPECT_EQ(partial->orientation.w, 1.0f);
  Character* huge = FindCharacter("huge");
  EXPECT_EQ(huge->hit_points, 10.0f);
  EXPECT_EQ(huge->RootMotion()->graph(), nullptr);  // graph type -1 on overflow
  EXPECT_TRUE(log_.Contains("model -2147483648 not valid"));
}

}  // namespace
}  // namespace kt
