// kinetrope-sim: the game run headless for a fixed simulated time; see sim_runner.h and the
// usage text (printed for bad options).
#include <iostream>
#include <string>
#include <vector>

#include "sim_runner.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  // Without arguments the runner runs with its defaults, so the usage needs asking for.
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kt::sim::Usage();
    return 0;
  }
  kt::sim::Options options;
  std::string error;
  if (!kt::sim::ParseOptions(args, options, error)) {
    std::cerr << "kinetrope-sim: " << error << "\n\n" << kt::sim::Usage();
    return 2;
  }
  return kt::sim::RunSimulation(options, std::cout, std::cerr);
}
