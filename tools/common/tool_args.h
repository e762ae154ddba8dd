// Shared by the kinetrope-* command-line programs: "--name value" options, the words between
// them, comma lists, and log lines echoed to stderr.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "console/log.h"

namespace kt::tool {

struct Args {
  std::map<std::string, std::string> options;  // "--name value", without the dashes
  std::set<std::string> flags;                 // valueless switches that were given
  std::vector<std::string> positional;
  bool ok = true;  // false when an option lacks its value
};

// Parses argv from index `first` on (after the program and sub-command names). Names listed in
// `switches` take no value.
Args ParseArgs(int argc, char** argv, int first = 2, const std::set<std::string>& switches = {});

// "a,b,c" -> {"a", "b", "c"}; empty pieces are kept.
std::vector<std::string> SplitCommas(const std::string& text);

// Shows every log line on stderr too, so a user sees why a command failed.
class StderrSink final : public LogSink {
 public:
  void Print(const std::string& text, int kind) override;
};

}  // namespace kt::tool
