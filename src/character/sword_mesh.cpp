// The sword mesh: a blade, guard and grip laid along x for the sword display list.
#include "character/character.h"
