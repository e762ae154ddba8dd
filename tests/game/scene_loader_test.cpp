#include "game/scene_loader.h"

#include <gtest/gtest.h>
