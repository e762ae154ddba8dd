// The input record the gameplay controllers read. The devices that fill it live below the
// characters, so the record itself is theirs; this header is where the characters take it
// from.
#pragma once

#include "input/input_state.h"
