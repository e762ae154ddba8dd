#include "console/log.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_support.h"

namespace kt {
namespace {

struct RecordingSink : LogSink {
  std::vector<std::pair<std::string, int>> lines;
  void Print(const std::string& text, int kind) override { lines.emplace_back(text, kind); }
};

TEST(Log, LogPrintfReachesConsoleAndFileConsolePrintfOnlyConsole) {
  test::ScratchDir dir("log");
  RecordingSink sink;
  SetLogSink(&sink);
  LogPrintf("SceneLoader: loaded %d motions", 3);
  ConsolePrintf("only %s", "console");
  SetLogSink(nullptr);
  LogPrintf("after console");
  CloseLogFile();

  ASSERT_EQ(sink.lines.size(), 2u);
  EXPECT_EQ(sink.lines[0].first, "SceneLoader: loaded 3 motions");
  EXPECT_EQ(sink.lines[0].second, kLineNormal);
  EXPECT_EQ(sink.lines[1].first, "only console");
  EXPECT_EQ(test::ReadFile("log.txt"), "SceneLoader: loaded 3 motions\nafter console\n");
}

TEST(Log, LongMessagesAreCutAt1023Characters) {
  test::ScratchDir dir("log");
  RecordingSink sink;
  SetLogSink(&sink);
  const std::string long_text(3000, 'x');
  LogPrintf("%s", long_text.c_str());
  SetLogSink(nullptr);
  CloseLogFile();
  ASSERT_EQ(sink.lines.size(), 1u);
  EXPECT_EQ(sink.lines[0].first.size(), 1023u);
  EXPECT_EQ(test::ReadFile("log.txt").size(), 1024u);
}

TEST(Log, OpeningTruncatesAndAbsentFormatPrintsNothing) {
  test::ScratchDir dir("log");
  test::WriteFile("log.txt", "old run\n");
  OpenLogFile();
  LogPrintf(nullptr);
  LogPrintf("new run");
  CloseLogFile();
  EXPECT_EQ(test::ReadFile("log.txt"), "new run\n");
}

}  // namespace
}  // namespace kt
