// Collects the log lines printed while it exists (installed as the log sink).
#pragma once

#include <string>
#include <vector>

#include "console/log.h"

namespace kt::test {

class LogCapture : public LogSink {
 public:
  LogCapture() : previous_(GetLogSink()) { SetLogSink(this); }
  ~LogCapture() override { SetLogSink(previous_); }
  void Print(const std::string& text, int) override { lines.push_back(text); }

  bool Contains(const std::string& part) const {
    for (const std::string& line : lines)
      if (line.find(part) != std::string::npos) return true;
    return false;
  }

  std::vector<std::string> lines;

 private:
  LogSink* previous_;
};

}  // namespace kt::test
