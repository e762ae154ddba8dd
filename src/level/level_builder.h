// Level builder: turns a small text description of axis-aligned box brushes into a Quake 3 BSP
// (IBSP version 46) that BspLevel loads: planes, brushes and sides, a BSP tree with leaves and
// clusters, one polygon face per visible brush side, computed lightmaps, the entities lump, and
// the textures (and an optional sky box) written as image files beside the map.
//
// Description format
// ------------------
// One statement per line; words are separated by blanks; '#' starts a comment that runs to the
// end of the line; blank lines are ignored. Coordinates are in the game's frame (y up, the
// ground plane is x-z, the same units as scene files); the builder converts them to the file's
// z-up frame, and loading converts them back, so a brush written at y = 0..1 stands at
// y = 0..1 in the game.
//
//   texture NAME PATTERN R G B [scale S] [tga] [sky]
//       Declares a texture. Textures are numbered from 0 in declaration order; these numbers are
//       the texture IDs that "bspdata.txt" prints and that a scene's Level block lists in
//       "Brush" entries. NAME is the name stored in the map: the image path relative to the
//       game's working directory, without extension (e.g. data/levels/castle_stone). The image
//       is written into the output map's folder as <last component of NAME>.jpg (".tga" with
//       the word tga), so write the map into the folder that NAME names.
//       PATTERN is one of: flat, checker, brick, stone, tiles, wood, grass, water.
//       R G B is the base colour, each 0..1. "scale S" is the size of one texture repeat in
//       world units (default 2). "sky" gives the texture the flags 0x414: its faces are hidden
//       when a sky box is loaded.
//
//   brush X0 Y0 Z0 X1 Y1 Z1 TEXTURE [nodraw]
//       A solid box between two opposite corners, with a declared texture's NAME. Every side
//       that is not covered by another brush becomes a drawn face; "nodraw" draws none (an
//       invisible wall). The brush records its texture's number: brushes of texture 0 collide
//       as they are, all others only once the scene's Level block lists their texture number
//       in a "Brush" entry.
//
//   ambient V | ambient R G B
//       Light that reaches every face (default 0.3).
//
//   light X Y Z RADIUS [R G B]
//       A point light (default colour 1 1 1) that fades linearly to nothing at RADIUS. Brushes
//       cast shadows.
//
//   lightmap_scale S
//       World units per lightmap texel (default 0.25). A face gets at most 128 x 128 texels.
//
//   skybox PREFIX ZR ZG ZB HR HG HB
//       Writes the six sky images PREFIX_lf.jpg, _rt, _dn, _up, _ft, _bk into the output map's
//       folder (PREFIX is taken as a file name, its folders dropped), shaded from the zenith
//       colour Z to the horizon colour H. A scene loads them with SkyBox "<folder>/PREFIX_%s.jpg".
//
//   entity CLASSNAME X Y Z [KEY VALUE]...
//       One entity of the entities lump, with "classname" and "origin" (converted to the file's
//       frame) followed by the given pairs (single words each). The game's entities are
//       info_player_start (the player start, key "angle" in degrees), statue and fountain.
//
// Example:
//   texture data/levels/castle_stone stone 0.6 0.58 0.5
//   texture data/levels/castle_grass grass 0.3 0.6 0.2 scale 4
//   brush -20 -1 -20  20 0 20  data/levels/castle_grass
//   brush -20 0 -20  -19 4 20  data/levels/castle_stone
//   light 0 6 0 30
//   entity info_player_start 0 0.1 5 angle 90
//   entity statue 3 0 -4
#pragma once

#include <string>
#include <vector>

#include "level/bsp_file.h"

namespace kt {

struct LevelTextureDesc {
  std::string name;
  std::string pattern;
  float color[3] = {1, 1, 1};
  float scale = 2.0f;
  bool tga = false;
  bool sky = false;
};

struct LevelBrushDesc {
  float min[3] = {};  // game frame
  float max[3] = {};
  int texture = 0;
  bool nodraw = false;
};

struct LevelLightDesc {
  float position[3] = {};
  float radius = 1.0f;
  float color[3] = {1, 1, 1};
};

struct LevelEntityDesc {
  std::string classname;
  float origin[3] = {};
  std::vector<std::pair<std::string, std::string>> keys;
};

struct LevelDescription {
  std::vector<LevelTextureDesc> textures;
  std::vector<LevelBrushDesc> brushes;
  std::vector<LevelLightDesc> lights;
  std::vector<LevelEntityDesc> entities;
  float ambient[3] = {0.3f, 0.3f, 0.3f};
  float lightmap_scale = 0.25f;
  bool has_skybox = false;
  std::string skybox_prefix;
  float sky_zenith[3] = {};
  float sky_horizon[3] = {};
};

// Parses a description; false with `error` set to "line N: reason" on the first bad line.
bool ParseLevelDescription(const std::string& text, LevelDescription& description,
                           std::string& error);

// The map's contents in memory (no image files written).
BspData BuildBspData(const LevelDescription& description);

// Writes the map and its images (textures, sky box) into the map's folder. False with a log
// line naming the file when something cannot be written.
bool BuildLevel(const LevelDescription& description, const std::string& map_path);

// Reads a description file and builds it; false with a log line on any error.
bool BuildLevelFile(const std::string& description_path, const std::string& map_path);

}  // namespace kt
