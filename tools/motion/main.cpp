// kinetrope-motion: inspects and converts Acclaim motions from the command line.
//
//   kinetrope-motion info --asf FILE --amc FILE[,FILE...]
//   kinetrope-motion resample --asf FILE IN.amc OUT.amc RATE
//   kinetrope-motion markers --asf FILE --amc FILE --frame N
//
// Paths are taken as given (no "data/motions/" prefix) and no caches are written beside the
// input. Log lines go to stderr as well as "log.txt". Exit code 0 on success, 1 on bad input,
// 2 on bad usage.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "console/log.h"
#include "motion/motion_data.h"
#include "tool_args.h"

namespace {

using kt::CVector;
using kt::MotionData;
using kt::tool::Args;
using kt::tool::ParseArgs;
using kt::tool::SplitCommas;
using kt::tool::StderrSink;

constexpr int kBadInput = 1;
constexpr int kBadUsage = 2;

int Usage() {
  std::fputs(
      "usage: kinetrope-motion info --asf FILE --amc FILE[,FILE...]\n"
      "       kinetrope-motion resample --asf FILE IN.amc OUT.amc RATE\n"
      "       kinetrope-motion markers --asf FILE --amc FILE --frame N\n",
      stderr);
  return kBadUsage;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "kinetrope-motion: %s\n", message.c_str());
  return kBadInput;
}

bool LoadSkeleton(const Args& args) {
  const auto asf = args.options.find("asf");
  return asf != args.options.end() && kt::UseMotionSkeletons(asf->second);
}

// Distance travelled by the root, summed within each clip.
double RootPathLength(const MotionData& m) {
  double length = 0.0;
  size_t clip = 0;
  for (int f = 1; f < m.frame_count(); ++f) {
    if (f - 1 == m.clip_ends()[clip]) {
      ++clip;
      continue;
    }
    length += kt::Distance(m.posture(f).root_position, m.posture(f - 1).root_position);
  }
  return length;
}

int Info(const Args& args) {
  if (!args.positional.empty() || !args.options.count("amc")) return Usage();
  if (!LoadSkeleton(args)) return Fail("cannot read the ASF skeleton (--asf)");
  const std::vector<std::string> files = SplitCommas(args.options.at("amc"));
  MotionData motion("info", files[0], kt::kMotionScale, 0, 120);
  if (motion.frame_count() < 0) return Fail("bad AMC file " + files[0]);
  for (size_t i = 1; i < files.size(); ++i)
    if (!motion.AppendClip(files[i], kt::kMotionScale)) return Fail("bad AMC file " + files[i]);
  std::printf("frames: %d\nclip ends:", motion.frame_count());
  for (int end : motion.clip_ends()) std::printf(" %d", end);
  std::printf("\ndof: %d\nroot path length: %.3f\n", motion.dof_count(), RootPathLength(motion));
  std::printf("frames=%d clips=%zu dof=%d\n", motion.frame_count(), motion.clip_ends().size(),
              motion.dof_count());
  return 0;
}

// The console's motion.resample: read as "ConsoleMotion" at 120 frames/s, keep every
// (120 / rate)-th frame, write with the AMC writer.
int Resample(const Args& args) {
  if (args.positional.size() != 3 || args.options.size() != 1) return Usage();
  if (!LoadSkeleton(args)) return Fail("cannot read the ASF skeleton (--asf)");
  const int rate = std::atoi(args.positional[2].c_str());
  if (rate < 1 || rate > 120) return Fail("invalid framerate (0<fr<=120)");
  MotionData motion("ConsoleMotion", args.positional[0], kt::kMotionScale, 0, 120);
  if (motion.frame_count() < 0) return Fail("Bad input AMC file");
  motion.Resample(rate);
  if (motion.WriteAMC(args.positional[1], kt::kMotionScale) != 0)
    return Fail("cannot write " + args.positional[1]);
  return 0;
}

int Markers(const Args& args) {
  if (!args.positional.empty() || !args.options.count("amc") || !args.options.count("frame"))
    return Usage();
  if (!LoadSkeleton(args)) return Fail("cannot read the ASF skeleton (--asf)");
  MotionData motion("markers", args.options.at("amc"), kt::kMotionScale, 0, 120);
  if (motion.frame_count() < 0) return Fail("bad AMC file " + args.options.at("amc"));
  char* end = nullptr;
  const long frame = std::strtol(args.options.at("frame").c_str(), &end, 10);
  if (*end != '\0' || frame < 0 || frame >= motion.frame_count())
    return Fail("frame must be a number from 0 to " + std::to_string(motion.frame_count() - 1));
  CVector global[kt::kBoneCount], relative[kt::kBoneCount];
  kt::MarkerSkeleton().GlobalMarkerPositions(motion.posture(int(frame)), global);
  kt::MarkerSkeleton().RootRelativeMarkerPositions(motion.posture(int(frame)), relative);
  std::printf("# frame %ld of %d: bone, global x y z, root-relative x y z\n", frame,
              motion.frame_count());
  for (int j = 0; j < kt::kBoneCount; ++j)
    std::printf("%-10s %10.4f %10.4f %10.4f %10.4f %10.4f %10.4f\n", kt::kBoneNames[j],
                double(global[j].x), double(global[j].y), double(global[j].z),
                double(relative[j].x), double(relative[j].y), double(relative[j].z));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  const Args args = ParseArgs(argc, argv);
  if (!args.ok) return Usage();
  StderrSink sink;
  kt::SetLogSink(&sink);
  kt::SetMotionFolder("");
  kt::SetMotionCachesEnabled(false);
  const std::string command = argv[1];
  int code = kBadUsage;
  if (command == "info")
    code = Info(args);
  else if (command == "resample")
    code = Resample(args);
  else if (command == "markers")
    code = Markers(args);
  else
    Usage();
  kt::SetLogSink(nullptr);
  return code;
}
