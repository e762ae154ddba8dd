// The .3ds chunk writer.
#include "render/l3ds_writer.h"

#include <cmath>
#include <cstring>

namespace kt {

size_t L3DSWriter::Open(uint16_t id) {
  const size_t at = bytes_.size();
  U16(id);
  U32(0);
  return at;
}

void L3DSWriter::Close(size_t at) {
  const uint32_t length = uint32_t(bytes_.size() - at);
  for (int k = 0; k < 4; ++k) bytes_[at + 2 + k] = uint8_t(length >> (8 * k));
}

void L3DSWriter::U16(uint16_t v) {
  U8(v & 0xFF);
  U8(v >> 8);
}

void L3DSWriter::U32(uint32_t v) {
  U16(v & 0xFFFF);
  U16(v >> 16);
}

void L3DSWriter::F32(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  U32(bits);
}

void L3DSWriter::Str(const std::string& s) {
  bytes_.insert(bytes_.end(), s.begin(), s.end());
  U8(0);
}

size_t L3DSWriter::OpenVersioned(uint16_t id, uint16_t version_id) {
  const size_t chunk = Open(id);
  const size_t version = Open(version_id);
  U32(3);
  Close(version);
  return chunk;
}

size_t L3DSWriter::OpenMain() { return OpenVersioned(0x4D4D, 0x0002); }
size_t L3DSWriter::OpenEditor() { return OpenVersioned(0x3D3D, 0x3D3E); }

void L3DSWriter::Colour(uint16_t id, const std::array<float, 3>& rgb) {
  const size_t chunk = Open(id);
  const size_t colour = Open(0x0011);
  for (float f : rgb) U8(uint8_t(std::lround(f * 255)));
  Close(colour);
  Close(chunk);
}

void L3DSWriter::Percent(uint16_t id, int percent) {
  const size_t chunk = Open(id);
  const size_t value = Open(0x0030);
  U16(uint16_t(percent));
  Close(value);
  Close(chunk);
}

void L3DSWriter::Mesh(const L3DSWriterMesh& m) {
  const size_t object = Open(0x4000);
  Str(m.name);
  const size_t trimesh = Open(0x4100);
  size_t c = Open(0x4110);
  U16(uint16_t(m.vertices.size()));
  for (const auto& v : m.vertices)
    for (float f : v) F32(f);
  Close(c);
  if (!m.uvs.empty()) {
    c = Open(0x4140);
    U16(uint16_t(m.uvs.size()));
    for (const auto& uv : m.uvs) {
      F32(uv[0]);
      F32(uv[1]);
    }
    Close(c);
  }
  c = Open(0x4160);
  for (float f : {1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f, 1.f, 0.f, 0.f, 0.f}) F32(f);
  Close(c);
  const size_t faces = Open(0x4120);
  U16(uint16_t(m.faces.size()));
  for (const auto& f : m.faces) {
    for (uint16_t i : f) U16(i);
    U16(7);  // all three edges visible
  }
  if (!m.material.empty()) {
    c = Open(0x4130);
    Str(m.material);
    U16(uint16_t(m.faces.size()));
    for (size_t i = 0; i < m.faces.size(); ++i) U16(uint16_t(i));
    Close(c);
  }
  if (!m.smoothing.empty()) {
    c = Open(0x4150);
    for (uint32_t s : m.smoothing) U32(s);
    Close(c);
  }
  Close(faces);
  Close(trimesh);
  Close(object);
}

}  // namespace kt
