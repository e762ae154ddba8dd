// Atomic file replacement: the old file survives a writer killed or failing part-way.
#include "console/atomic_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "test_support.h"
#include "write_failure.h"

namespace kt {
namespace {

TEST(AtomicFile, OldFileSurvivesAWriterKilledOrFailingPartWay) {
  test::ScratchDir dir("atomic");
  const std::string old_text(3000, 'o'), new_text(200000, 'n');
  ASSERT_TRUE(WriteFileAtomically("state.txt", old_text));

  const auto killed = test::WriteInChildLimitedTo(
      100000, [&] { return WriteFileAtomically("state.txt", new_text); });
  EXPECT_TRUE(killed.killed);
  EXPECT_EQ(test::ReadFile("state.txt"), old_text);

  const auto failed = test::WriteInChildLimitedTo(
      100000, [&] { return WriteFileAtomically("state.txt", new_text); }, false);
  EXPECT_TRUE(failed.returned);
  EXPECT_FALSE(failed.result);
  EXPECT_EQ(test::ReadFile("state.txt"), old_text);

  // A failed write removes its temporary; only the killed writer's remains.
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(".")) files += e.is_regular_file();
  EXPECT_EQ(files, 2);

  ASSERT_TRUE(WriteFileAtomically("state.txt", new_text));
  EXPECT_EQ(test::ReadFile("state.txt"), new_text);
  EXPECT_FALSE(WriteFileAtomically("no/such/folder/state.txt", new_text));
}

}  // namespace
}  // namespace kt
