// MotionData: AMC reading and writing, clips, resampling, the posture and marker caches and
// the process-wide motion registry.
//
// Sections: registry; construction and clips; AMC reading; AMC writing; resampling; cache
// files; marker positions.
#include "motion/motion_data.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "console/atomic_file.h"
#include "console/log.h"

namespace kt {

static_assert(std::endian::native == std::endian::little,
              "cache files hold little-endian floats copied from memory");

namespace fs = std::filesystem;

namespace {

constexpr int kMarkerBytes = kBoneCount * int(sizeof(CVector));  // 372 per frame
// No motion comes close: 10 million frames is a day of capture at 120 frames/s.
constexpr long long kMaxCacheFrames = 10'000'000;

// ---- registry ----

std::vector<MotionData*>& Registry() {
  static std::vector<MotionData*> motions;
  return motions;
}

MotionDestroyedCallback g_destroyed_callback = nullptr;
bool g_caches_enabled = true;

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

MotionData* FindMotion(const std::string& name) {
  for (MotionData* m : Registry())
    if (m->name() == name) return m;
  return nullptr;
}

const std::vector<MotionData*>& AllMotions() { return Registry(); }

void SetMotionDestroyedCallback(MotionDestroyedCallback callback) {
  g_destroyed_callback = callback;
}

void SetMotionCachesEnabled(bool enabled) { g_caches_enabled = enabled; }
bool MotionCachesEnabled() { return g_caches_enabled; }

void MotionData::Register(const std::string& name) {
  const std::string base = Lower(name);
  name_ = base;
  for (int n = 1; FindMotion(name_); ++n) name_ = base + std::to_string(n);
  Registry().push_back(this);
}

MotionData::~MotionData() {
  if (g_destroyed_callback) g_destroyed_callback(this);
  auto& r = Registry();
  r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

std::string CachePath(const std::string& amc_path, const std::string& extension) {
  const size_t dot = amc_path.find_last_of('.');
  const size_t slash = amc_path.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return amc_path.substr(0, dot) + extension;
}

// ---- cache files ----

namespace {

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(ToFilePath(path), ec);
}

// A cache is stale when the AMC file it was made from has been written since.
bool OlderThan(const std::string& cache, const std::string& source) {
  std::error_code ec1, ec2;
  const auto c = fs::last_write_time(ToFilePath(cache), ec1);
  const auto s = fs::last_write_time(ToFilePath(source), ec2);
  return !ec1 && !ec2 && c < s;
}

// Reads "<count>\n" and checks that exactly count records of record_size bytes follow.
// Returns the count, or -1 with the reason in `why`.
long long ReadCacheHeader(std::ifstream& in, const std::string& path, int record_size,
                          std::string& why) {
  std::error_code ec;
  const auto size = fs::file_size(ToFilePath(path), ec);
  if (ec) {
    why = "cannot read its size";
    return -1;
  }
  char header[24];
  int n = 0;
  for (int c; n < int(sizeof header) && (c = in.get()) != EOF && c != '\n';) header[n++] = char(c);
  if (n == int(sizeof header) || !in) {
    why = "no count line";
    return -1;
  }
  long long count = 0;
  const auto [end, err] = std::from_chars(header, header + n, count);
  if (err != std::errc() || end != header + n) {
    why = "count '" + std::string(header, n) + "' is not a number";
    return -1;
  }
  if (count < 1 || count > kMaxCacheFrames) {
    why = "count " + std::to_string(count) + " is out of range";
    return -1;
  }
  if (size != (unsigned long long)(n + 1) + (unsigned long long)count * record_size) {
    why = "size " + std::to_string(size) + " does not match count " + std::to_string(count);
    return -1;
  }
  return count;
}

// What a cache may hold: what the AMC reader makes (finite, plausible root positions, unit
// rotations) and the marker positions computed from it.
bool Sound(const Posture& p) {
  if (!PlausibleCoordinate(p.root_position.x) || !PlausibleCoordinate(p.root_position.y) ||
      !PlausibleCoordinate(p.root_position.z))
    return false;
  for (const CQuaternion& q : p.rotations) {
    const float norm = q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w;
    if (!(norm >= 0.5f && norm <= 2.0f)) return false;  // also false for NaN
  }
  return true;
}

bool Sound(const CVector& v) {
  return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Reads a whole cache of count records into `out`; false with a logged reason otherwise.
template <typename T>
bool ReadCache(const std::string& path, const char* routine, int record_size, std::vector<T>& out) {
  std::ifstream in(ToFilePath(path), std::ios::binary);
  if (!in) return false;
  std::string why;
  const long long count = ReadCacheHeader(in, path, record_size, why);
  if (count < 0) {
    LogPrintf("%s: %s: %s", routine, path.c_str(), why.c_str());
    return false;
  }
  out.resize(size_t(count) * record_size / sizeof(T));
  in.read(reinterpret_cast<char*>(out.data()), std::streamsize(count) * record_size);
  if (!in) {
    LogPrintf("%s: %s: truncated", routine, path.c_str());
    return false;
  }
  const auto bad = std::find_if(out.begin(), out.end(), [](const T& r) { return !Sound(r); });
  if (bad != out.end()) {
    LogPrintf("%s: %s: record %zu holds a non-finite or out-of-range value", routine, path.c_str(),
              size_t(bad - out.begin()));
    return false;
  }
  return true;
}

// "<count>\n" and the raw block.
bool WriteCache(const std::string& path, int count, const void* data, size_t bytes) {
  std::string block = std::to_string(count) + '\n';
  block.append(static_cast<const char*>(data), bytes);
  return WriteFileAtomically(ToFilePath(path), block);
}

// The number of frames of a sound ".mpos"/".mpos2" file, or -1 when it is unusable.
long long MarkerCacheFrames(const std::string& path) {
  std::vector<CVector> markers;
  if (!ReadCache(path, "LoadMarkerPositions", kMarkerBytes, markers)) return -1;
  return (long long)(markers.size() / kBoneCount);
}

bool ReadPostureCache(const std::string& path, std::vector<Posture>& out) {
  if (!ReadCache(path, "ReadBinaryPostures", int(sizeof(Posture)), out)) {
    LogPrintf("ReadBinaryPostures: Error reading %s", path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int MotionData::WriteBinaryPostures(const std::string& path, const Posture* postures, int count) {
  if (!WriteCache(path, count, postures, size_t(count) * sizeof(Posture))) {
    LogPrintf("WriteBinaryPostures: Error outputing %s", path.c_str());
    return -1;
  }
  return 0;
}

int MotionData::ReadBinaryPostures(const std::string& path) {
  std::vector<Posture> postures;
  if (!ReadPostureCache(path, postures)) return -1;
  LogPrintf("Done Loading Motion %s parsed as binary...", path.c_str());
  postures_ = std::move(postures);
  frame_count_ = int(postures_.size());
  return 0;
}

namespace {

// Root-relative markers for kind 2, global ones for any other kind, 31 per posture.
std::vector<CVector> MarkersOf(const Posture* postures, int count, int kind) {
  std::vector<CVector> markers(size_t(std::max(count, 0)) * kBoneCount);
  Skeleton& skeleton = MarkerSkeleton();
  for (int f = 0; f < count; ++f) {
    CVector* out = &markers[size_t(f) * kBoneCount];
    if (kind == kRootRelativeMarkers)
      skeleton.RootRelativeMarkerPositions(postures[f], out);
    else
      skeleton.GlobalMarkerPositions(postures[f], out);
  }
  return markers;
}

}  // namespace

int MotionData::DumpMarkerPositions(const std::string& path, const Posture* postures, int count,
                                    int kind) {
  const std::vector<CVector> markers = MarkersOf(postures, count, kind);
  if (!WriteCache(path, count, markers.data(), markers.size() * sizeof(CVector))) {
    LogPrintf("DumpMarkerPositions: Error outputing %s", path.c_str());
    return -1;
  }
  LogPrintf("DumpMarkerPositions: Done dumping marker positions to file - %s", path.c_str());
  return 0;
}

// ---- AMC reading ----

namespace {

struct AmcLine {
  std::string_view text;
  int number;  // 1-based line number in the file
};

std::vector<std::string_view> Tokens(std::string_view line) {
  std::vector<std::string_view> out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    const size_t start = i;
    while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

bool ParseNumber(std::string_view token, float& out) {
  const auto [end, err] = std::from_chars(token.data(), token.data() + token.size(), out);
  return err == std::errc() && end == token.data() + token.size() && std::isfinite(out);
}

// Empty lines (blanks only, CRLF's '\r' included) are not counted.
template <typename Visit>
void ForEachNonEmptyLine(std::string_view text, Visit visit) {
  int number = 0;
  for (size_t pos = 0; pos < text.size();) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + pos, end - pos);
    ++number;
    if (line.find_first_not_of(" \t\r\f\v") != std::string_view::npos) visit(AmcLine{line, number});
    pos = end + 1;
  }
}

// The frames that `lines` non-empty lines hold, or -1 when they do not fit the layout.
long long AmcFrames(long long lines) {
  return lines < 3 + 30 || (lines - 3) % 30 != 0 ? -1 : (lines - 3) / 30;
}

// Parses AMC text: three header lines (one of them ":DEGREES"), then per frame a frame number
// line and 29 bone lines, each carrying exactly the channels the motion skeleton gives the
// bone (the root: position and three angles). Empty lines are not counted; CRLF is accepted.
class AmcParser {
 public:
  AmcParser(const std::string& path, float scale) : path_(path), scale_(scale) {}

  bool Parse(const std::string& text, std::vector<Posture>& out) {
    std::vector<AmcLine> lines;
    ForEachNonEmptyLine(text, [&](const AmcLine& line) { lines.push_back(line); });
    const int count = int(lines.size());
    if (AmcFrames(count) < 0)
      return Fail(
          0, std::to_string(count) + " non-empty lines do not fit 3 header lines + 30 per frame");
    bool degrees = false;
    for (int i = 0; i < 3; ++i) degrees |= Tokens(lines[i].text).front() == ":DEGREES";
    if (!degrees) return Fail(lines[2].number, "no :DEGREES line in the 3 header lines");

    const Skeleton& skeleton = MotionSkeleton();
    const int frames = (count - 3) / 30;
    out.assign(size_t(frames), Posture{});
    for (int f = 0; f < frames; ++f) {
      const AmcLine* frame = &lines[3 + size_t(f) * 30];
      const auto head = Tokens(frame[0].text);
      int frame_number = 0;
      const auto [end, err] =
          std::from_chars(head[0].data(), head[0].data() + head[0].size(), frame_number);
      if (head.size() != 1 || err != std::errc() || end != head[0].data() + head[0].size())
        return Fail(frame[0].number, "expected a frame number");
      for (int i = 1; i < 30; ++i)
        if (!ParseBoneLine(skeleton, frame[i], out[size_t(f)])) return false;
    }
    return true;
  }

 private:
  bool ParseBoneLine(const Skeleton& skeleton, const AmcLine& line, Posture& posture) {
    const auto tokens = Tokens(line.text);
    const std::string name(tokens[0]);
    const int b = BoneIndex(name);
    if (b < 0) return Fail(line.number, "unknown bone '" + name + "'");
    const Bone& bone = skeleton.bone(b);
    const int angles = bone.has_x + bone.has_y + bone.has_z;
    const int expected = (b == kRoot ? 3 : 0) + angles;
    if (int(tokens.size()) - 1 != expected)
      return Fail(line.number, "bone '" + name + "' has " + std::to_string(tokens.size() - 1) +
                                   " values, expected " + std::to_string(expected));
    float v[6] = {};
    for (int i = 0; i < expected; ++i)
      if (!ParseNumber(tokens[size_t(i) + 1], v[i]))
        return Fail(line.number, "'" + std::string(tokens[size_t(i) + 1]) + "' is not a number");
    int next = 0;
    if (b == kRoot) {
      posture.root_position = {v[0] * scale_, v[1] * scale_, v[2] * scale_};
      if (!PlausibleCoordinate(posture.root_position.x) ||
          !PlausibleCoordinate(posture.root_position.y) ||
          !PlausibleCoordinate(posture.root_position.z))
        return Fail(line.number, "root position out of range once scaled");
      next = 3;
    }
    float angle[3] = {};
    if (bone.has_x) angle[0] = v[next++];
    if (bone.has_y) angle[1] = v[next++];
    if (bone.has_z) angle[2] = v[next++];
    posture.rotations[b] = CQuaternion::FromEuler(angle[0], angle[1], angle[2]);
    return true;
  }

  bool Fail(int line, const std::string& why) {
    if (line > 0)
      LogPrintf("MotionData: %s line %d: %s", path_.c_str(), line, why.c_str());
    else
      LogPrintf("MotionData: %s: %s", path_.c_str(), why.c_str());
    return false;
  }

  const std::string& path_;
  float scale_;
};

bool ReadText(const std::string& path, std::string& text) {
  std::ifstream file(ToFilePath(path), std::ios::binary);
  if (!file) return false;
  text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

bool ParseAmc(const std::string& path, const std::string& text, float scale,
              std::vector<Posture>& out) {
  if (!MotionSkeleton().loaded()) {
    LogPrintf("MotionData: no motion skeleton (MartialArts.asf) to read %s with", path.c_str());
    return false;
  }
  return AmcParser(path, scale).Parse(text, out);
}

// The frame count the AMC text would give, without parsing its numbers; -1 when it has none.
long long AmcFrameCount(std::string_view text) {
  long long lines = 0;
  ForEachNonEmptyLine(text, [&](const AmcLine&) { ++lines; });
  return AmcFrames(lines);
}

// A marker cache is usable when it holds exactly this clip's frames, all finite, and is not
// older than the AMC file.
bool MarkerCacheUsable(const std::string& path, const std::string& amc, int frames) {
  return FileExists(path) && !OlderThan(path, amc) && MarkerCacheFrames(path) == frames;
}

void EnsureMarkerCaches(const std::string& amc, const std::vector<Posture>& postures) {
  const int frames = int(postures.size());
  const std::string mpos = CachePath(amc, ".mpos"), mpos2 = CachePath(amc, ".mpos2");
  if (!MarkerCacheUsable(mpos, amc, frames))
    MotionData::DumpMarkerPositions(mpos, postures.data(), frames, kRootRelativeMarkers);
  if (!MarkerCacheUsable(mpos2, amc, frames))
    MotionData::DumpMarkerPositions(mpos2, postures.data(), frames, kGlobalMarkers);
}

}  // namespace

// ---- construction and clips ----

namespace {

// Reads one clip: the ".bin" cache when it is present, sound, not older than the AMC file and
// of the AMC's frame count (counting its lines is cheap beside parsing them), otherwise the
// AMC text (then writing the caches). Without the AMC file a sound cache is all there is.
// Marker caches are (re)made when missing, unusable or stale.
bool ReadClip(const std::string& file, float scale, std::vector<Posture>& out) {
  LogPrintf("Loading Motion %s...", file.c_str());
  const std::string path = MotionFolder() + file;
  const std::string bin = CachePath(path, ".bin");
  std::string text;
  const bool have_amc = ReadText(path, text);
  if (MotionCachesEnabled() && FileExists(bin) && !OlderThan(bin, path)) {
    std::vector<Posture> cached;
    if (ReadPostureCache(bin, cached)) {
      const long long frames = have_amc ? AmcFrameCount(text) : (long long)cached.size();
      if (frames == (long long)cached.size()) {
        LogPrintf("Done Loading Motion %s parsed as binary...", bin.c_str());
        out = std::move(cached);
        EnsureMarkerCaches(path, out);
        return true;
      }
      LogPrintf("ReadBinaryPostures: %s holds %zu frames, %s %lld; reading the AMC file",
                bin.c_str(), cached.size(), path.c_str(), frames);
    }
  }
  if (!have_amc) {
    LogPrintf("MotionData: cannot open AMC file %s", path.c_str());
    return false;
  }
  std::vector<Posture> parsed;
  if (!ParseAmc(path, text, scale, parsed)) return false;
  out = std::move(parsed);
  if (MotionCachesEnabled()) {
    MotionData::WriteBinaryPostures(bin, out.data(), int(out.size()));
    EnsureMarkerCaches(path, out);
  }
  LogPrintf("Done Loading Motion %s parsed as AMC...", file.c_str());
  return true;
}

// A motion needs a positive rate for its frame period; 120 is what capture files are
// recorded at.
int UsableFrameRate(int rate, const std::string& name) {
  if (rate > 0) return rate;
  LogPrintf("MotionData: %s: frame rate %d is not positive, using 120", name.c_str(), rate);
  return 120;
}

}  // namespace

MotionData::MotionData(const std::string& name, const std::string& amc_file, float scale,
                       int body_weights, int frame_rate)
    : dof_count_(MotionSkeleton().dof_count()),
      frame_rate_(UsableFrameRate(frame_rate, name)),
      frame_period_(1000.0f / float(frame_rate_)),
      body_weights_(body_weights) {
  resource_names_.push_back(MotionFolder() + amc_file);
  if (ReadClip(amc_file, scale, postures_)) {
    frame_count_ = int(postures_.size());
    clip_ends_.push_back(frame_count_ - 1);
  }
  Register(name);
}

MotionData::MotionData(const std::string& name, std::vector<Posture> postures, int frame_rate,
                       int body_weights)
    : dof_count_(MotionSkeleton().dof_count()),
      frame_count_(int(postures.size())),
      frame_rate_(UsableFrameRate(frame_rate, name)),
      frame_period_(1000.0f / float(frame_rate_)),
      postures_(std::move(postures)),
      body_weights_(body_weights) {
  if (frame_count_ > 0) clip_ends_.push_back(frame_count_ - 1);
  Register(name);
}

bool MotionData::AppendClip(const std::string& amc_file, float scale) {
  std::vector<Posture> clip;
  if (!ReadClip(amc_file, scale, clip)) return false;
  AppendPostures(clip);
  resource_names_.push_back(MotionFolder() + amc_file);
  return true;
}

void MotionData::AppendPostures(const std::vector<Posture>& postures) {
  if (postures.empty()) return;
  postures_.insert(postures_.end(), postures.begin(), postures.end());
  frame_count_ = int(postures_.size());
  clip_ends_.push_back(frame_count_ - 1);
}

int MotionData::NextClipEnd(int frame) const {
  for (int end : clip_ends_)
    if (end >= frame) return end;
  return frame_count_;
}

// ---- AMC writing ----

namespace {

// " " and the value in the six-significant-digit form of printf's "%g", whatever the
// process's locale (GTK sets LC_NUMERIC from the environment).
void AppendNumber(std::string& text, float value) {
  char buf[32];
  const auto result =
      std::to_chars(buf, buf + sizeof buf, double(value), std::chars_format::general, 6);
  text += ' ';
  text.append(buf, result.ptr);
}

}  // namespace

int MotionData::WriteAMC(const std::string& out_file, float scale) const {
  const Skeleton& skeleton = MotionSkeleton();
  std::string text = "#Unknow ASF file\n:FULLY-SPECIFIED\n:DEGREES\n";
  for (int f = 0; f < frame_count_; ++f) {
    const Posture& p = postures_[size_t(f)];
    float a[3];
    p.rotations[kRoot].ToEuler(a);
    text += std::to_string(f + 1) + "\nroot";
    for (float v : {p.root_position.x / scale, p.root_position.y / scale, p.root_position.z / scale,
                    a[0], a[1], a[2]})
      AppendNumber(text, v);
    text += '\n';
    // Bone 1 (the left hip joint) is never written; with the usual file it has no channels.
    for (int b = 2; b < kBoneCount; ++b) {
      const Bone& bone = skeleton.bone(b);
      if (bone.dof_count == 0) continue;
      BoneEuler(bone, p.rotations[b], a);
      text += kBoneNames[b];
      if (bone.has_x) AppendNumber(text, a[0]);
      if (bone.has_y) AppendNumber(text, a[1]);
      if (bone.has_z) AppendNumber(text, a[2]);
      text += '\n';
    }
  }
  const std::string path = MotionFolder() + out_file;
  if (!WriteFileAtomically(ToFilePath(path), text)) {
    LogPrintf("WriteAMC: cannot create %s", path.c_str());
    return -1;
  }
  std::printf("Write %d samples to '%s' \n", frame_count_, out_file.c_str());
  std::fflush(stdout);
  return 0;
}

// ---- resampling ----

bool MotionData::Resample(int rate) {
  if (rate < 1 || rate > 120 || frame_count_ < 0) {
    LogPrintf("Resample: %s: invalid frame rate %d", name_.c_str(), rate);
    return false;
  }
  const int step = 120 / rate;
  const int count = frame_count_ / step;
  std::vector<Posture> kept(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) kept[size_t(i)] = postures_[size_t(i) * step];
  std::vector<int> ends;
  for (int end : clip_ends_) {
    const int e = std::min(end / step, count - 1);
    if (e >= 0 && (ends.empty() || e > ends.back())) ends.push_back(e);
  }
  postures_ = std::move(kept);
  frame_count_ = count;
  clip_ends_ = std::move(ends);
  return true;
}

// ---- marker positions ----

std::vector<CVector> MotionData::LoadMarkerPositions(int kind) const {
  if (kind != kRootRelativeMarkers && kind != kGlobalMarkers) {
    LogPrintf("LoadMarkerPositions: invalid kind %d", kind);
    return {};
  }
  std::vector<CVector> markers(size_t(std::max(frame_count_, 0)) * kBoneCount);
  size_t frames_read = 0;
  for (const std::string& resource : resource_names_) {
    const std::string file = CachePath(resource, kind == kRootRelativeMarkers ? ".mpos" : ".mpos2");
    if (file.empty()) {
      LogPrintf("LoadMarkerPositions: Invalid resource name %s", resource.c_str());
      return {};
    }
    std::vector<CVector> clip;
    if (!FileExists(file)) {
      LogPrintf("LoadMarkerPositions: Error opening %s", file.c_str());
      return {};
    }
    if (!ReadCache(file, "LoadMarkerPositions", kMarkerBytes, clip) ||
        frames_read + clip.size() / kBoneCount > size_t(std::max(frame_count_, 0))) {
      LogPrintf("LoadMarkerPositions: Error reading %s", file.c_str());
      return {};
    }
    std::copy(clip.begin(), clip.end(), markers.begin() + std::ptrdiff_t(frames_read * kBoneCount));
    frames_read += clip.size() / kBoneCount;
    LogPrintf("LoadMarkerPositions: Done Loading Binary Marker Positions for resource %s ...",
              file.c_str());
  }
  if (frames_read != size_t(std::max(frame_count_, 0)) || frame_count_ < 0) {
    LogPrintf("LoadMarkerPositions: Mismatched frame count during reading");
    return {};
  }
  LogPrintf("LoadMarkerPositions: Successfully Loaded ALL Binary MarkerPositions");
  return markers;
}

std::vector<CVector> MotionData::ComputeMarkerPositions(int kind) const {
  return MarkersOf(postures_.data(), frame_count_, kind);
}

std::vector<CVector> MotionData::MarkerPositions(int kind) const {
  if (!resource_names_.empty()) {
    std::vector<CVector> loaded = LoadMarkerPositions(kind);
    if (!loaded.empty() || frame_count_ == 0) return loaded;
  }
  return ComputeMarkerPositions(kind);
}

}  // namespace kt
