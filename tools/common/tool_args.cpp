// Argument parsing shared by the kinetrope-* tools.
#include "tool_args.h"

#include <cstdio>

namespace kt::tool {

Args ParseArgs(int argc, char** argv, int first, const std::set<std::string>& switches) {
  Args args;
  for (int i = first; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.rfind("--", 0) != 0) {
      args.positional.push_back(word);
      continue;
    }
    const std::string name = word.substr(2);
    if (switches.count(name))
      args.flags.insert(name);
    else if (i + 1 < argc)
      args.options[name] = argv[++i];
    else
      args.ok = false;
  }
  return args;
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1)
    out.push_back(text.substr(start, comma - start));
  out.push_back(text.substr(start));
  return out;
}

void StderrSink::Print(const std::string& text, int) { std::fprintf(stderr, "%s\n", text.c_str()); }

}  // namespace kt::tool
