#include "scene/setup.h"

vektor3d apos = {0.0f, 0.0f, 0.0f};
vektor3d kpos = {0.0f, 0.0f, 0.0f};
