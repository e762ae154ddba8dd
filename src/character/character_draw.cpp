// Character drawing: bone ellipsoids, the sword, its glow and trail, state colours.
#include "character/character.h"
