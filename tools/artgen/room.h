// The room mesh's fixed size: the renderer draws exactly this many vertices.
#pragma once

#include <cstddef>

namespace art {

constexpr std::size_t kRoomTriangles = 1884;

}  // namespace art
