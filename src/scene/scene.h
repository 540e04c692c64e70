// Everything the scene's parts share: vectors, clock, set-up and camera.
#pragma once

#include "scene/camera.h"
#include "scene/clock.h"
#include "scene/setup.h"
#include "scene/vektor.h"
