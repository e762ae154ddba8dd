// Collects the log lines printed while it exists (installed as the log sink, the previous one
// restored afterwards).
#pragma once

#include <string>
#include <vector>

#include "console/log.h"

namespace kt::test {

class LogCapture : public LogSink {
 public:
  LogCapture() : previous_(GetLogSink()) { SetLogSink(this); }
  ~LogCapture() override { SetLogSink(previous_); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
  void Print(const std::string& text, int) override { lines.push_back(text); }

  // Lines holding `part`.
  int Count(const std::string& part) const {
    int n = 0;
    for (const std::string& line : lines) n += line.find(part) != std::string::npos;
    return n;
  }
  bool Contains(const std::string& part) const { return Count(part) > 0; }

  std::vector<std::string> lines;

 private:
  LogSink* previous_;
};

}  // namespace kt::test
