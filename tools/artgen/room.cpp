// The room, seen from inside: a hall with four walls of three arched window niches each
// (deep reveals, a cross of mullion and transom, a sill ledge under every window), round
// columns on moulded bases with flared capitals between the bays, a coffering of beams and a
// cornice under the ceiling, a skirting along the floor and a low three-step dais with a
// pedestal in the middle.
// Every surface faces the air of the room; curved parts carry smooth normals.
#include <array>
#include <cmath>

#include "generators.h"
#include "mesh_builder.h"
#include "room.h"

namespace art {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Outer limits: niche backs reach the sides, floor and ceiling the bottom and top.
constexpr double kMinX = -574, kMaxX = 589, kMinY = -143, kMaxY = 418, kMinZ = -581, kMaxZ = 585;
constexpr double kNicheDepth = 36;  // walls stand this far inside the outer limits
constexpr double kHeight = kMaxY - kMinY;

// Niches: three per wall, each a rectangle under a half-circle.
constexpr int kBays = 3;
constexpr double kNicheHalfWidth = 78;
constexpr double kSill = 120;    // above the floor
constexpr double kSpring = 292;  // where the arch starts
constexpr double kBar = 5;       // half-thickness of mullion and transom

// Columns: between the bays of every wall.
constexpr double kColumnRadius = 24;
constexpr double kColumnGap = 8;  // between the wall and the column's plinth
constexpr double kPlinthHeight = 34;
constexpr double kCapitalHeight = 28;  // the block under the beams
constexpr double kFlare = 18;  // height of the torus-like base moulding and the capital's flare

constexpr double kBeamHalfWidth = 20, kBeamDepth = 38;

// A wall as seen from inside: u runs to the viewer's right along the wall, v up from the floor,
// w out of the wall into the room.
struct Wall {
  Vec3 origin, along, inward;
  double length;

  Vec3 At(double u, double v, double w) const { return origin + along * u + Vec3{0, v, 0} + inward * w; }
  // Texture: s from -0.1 at the wall's left end to 1 at its right end, t from floor to ceiling.
  double S(double u) const { return -0.1 + 1.1 * u / length; }
  static double T(double v) { return v / kHeight; }
};

class RoomBuilder {
 public:
  explicit RoomBuilder(MeshBuilder* mesh) : mesh_(*mesh) {}

  // A wall-aligned quad: corners in (u, v, w) with one normal.
  void WallQuad(const Wall& wall, const Vec3 (&uvw)[4], Vec3 normal, const double (&st)[4][2]) {
    mesh_.FlatQuad(wall.At(uvw[0].x, uvw[0].y, uvw[0].z), wall.At(uvw[1].x, uvw[1].y, uvw[1].z),
                   wall.At(uvw[2].x, uvw[2].y, uvw[2].z), wall.At(uvw[3].x, uvw[3].y, uvw[3].z), normal, st);
  }

  // The flat face of the wall between u0 and u1, from v0 to v1.
  void WallPanel(const Wall& wall, double u0, double u1, double v0, double v1) {
    const double st[4][2] = {{wall.S(u0), Wall::T(v0)}, {wall.S(u1), Wall::T(v0)}, {wall.S(u1), Wall::T(v1)}, {wall.S(u0), Wall::T(v1)}};
    WallQuad(wall, {{u0, v0, 0}, {u1, v0, 0}, {u1, v1, 0}, {u0, v1, 0}}, wall.inward, st);
  }

  // A box standing out of the wall, given in wall coordinates; `faces` picks the visible sides
  // (bit 0 front, 1 top, 2 bottom, 3 left end, 4 right end).
  void WallBox(const Wall& wall, double u0, double u1, double v0, double v1, double w0, double w1, unsigned faces) {
    const Vec3 up{0, 1, 0};
    auto st = [&](double a0, double a1, double b0, double b1) {
      return std::array<std::array<double, 2>, 4>{{{wall.S(a0), Wall::T(b0)}, {wall.S(a1), Wall::T(b0)}, {wall.S(a1), Wall::T(b1)}, {wall.S(a0), Wall::T(b1)}}};
    };
    auto quad = [&](const Vec3 (&c)[4], Vec3 normal, const std::array<std::array<double, 2>, 4>& tex) {
      const double t[4][2] = {{tex[0][0], tex[0][1]}, {tex[1][0], tex[1][1]}, {tex[2][0], tex[2][1]}, {tex[3][0], tex[3][1]}};
      WallQuad(wall, c, normal, t);
    };
    if (faces & 1u) quad({{u0, v0, w1}, {u1, v0, w1}, {u1, v1, w1}, {u0, v1, w1}}, wall.inward, st(u0, u1, v0, v1));
    if (faces & 2u) quad({{u0, v1, w0}, {u1, v1, w0}, {u1, v1, w1}, {u0, v1, w1}}, up, st(u0, u1, v1 - w1, v1 - w0));
    if (faces & 4u) quad({{u0, v0, w0}, {u1, v0, w0}, {u1, v0, w1}, {u0, v0, w1}}, up * -1.0, st(u0, u1, v0 + w0, v0 + w1));
    if (faces & 8u) quad({{u0, v0, w0}, {u0, v0, w1}, {u0, v1, w1}, {u0, v1, w0}}, wall.along * -1.0, st(u0 - w1, u0 - w0, v0, v1));
    if (faces & 16u) quad({{u1, v0, w0}, {u1, v0, w1}, {u1, v1, w1}, {u1, v1, w0}}, wall.along, st(u1 + w0, u1 + w1, v0, v1));
  }

  // One arched niche centred at uc: the wall face around it, its reveals, its back, the
  // window cross and the sill ledge.
  void Niche(const Wall& wall, double uc) {
    const double a = kNicheHalfWidth, left = uc - a, right = uc + a, d = -kNicheDepth;
    const Vec3 up{0, 1, 0};
    // Arch points from the left springing over the top to the right.
    std::vector<double> cu, cv, ca;
    for (int i = 0; i <= kArchSegments; ++i) {
      const double angle = kPi - kPi * i / kArchSegments;
      ca.push_back(angle);
      cu.push_back(uc + a * std::cos(angle));
      cv.push_back(kSpring + a * std::sin(angle));
    }
    // Wall face: under the sill, and vertical strips between the arch and the ceiling.
    WallPanel(wall, left, right, 0, kSill);
    for (int i = 0; i < kArchSegments; ++i) {
      const double st[4][2] = {{wall.S(cu[i]), Wall::T(cv[i])}, {wall.S(cu[i + 1]), Wall::T(cv[i + 1])},
                               {wall.S(cu[i + 1]), Wall::T(kHeight)}, {wall.S(cu[i]), Wall::T(kHeight)}};
      WallQuad(wall, {{cu[i], cv[i], 0}, {cu[i + 1], cv[i + 1], 0}, {cu[i + 1], kHeight, 0}, {cu[i], kHeight, 0}}, wall.inward, st);
    }
    // Reveals, unfolded outwards for their texture so the picture runs on from the wall.
    {
      const double st_left[4][2] = {{wall.S(left), Wall::T(kSill)}, {wall.S(left + d), Wall::T(kSill)}, {wall.S(left + d), Wall::T(kSpring)}, {wall.S(left), Wall::T(kSpring)}};
      WallQuad(wall, {{left, kSill, 0}, {left, kSill, d}, {left, kSpring, d}, {left, kSpring, 0}}, wall.along, st_left);
      const double st_right[4][2] = {{wall.S(right), Wall::T(kSill)}, {wall.S(right - d), Wall::T(kSill)}, {wall.S(right - d), Wall::T(kSpring)}, {wall.S(right), Wall::T(kSpring)}};
      WallQuad(wall, {{right, kSill, 0}, {right, kSill, d}, {right, kSpring, d}, {right, kSpring, 0}}, wall.along * -1.0, st_right);
      const double st_sill[4][2] = {{wall.S(left), Wall::T(kSill)}, {wall.S(right), Wall::T(kSill)}, {wall.S(right), Wall::T(kSill + d)}, {wall.S(left), Wall::T(kSill + d)}};
      WallQuad(wall, {{left, kSill, 0}, {right, kSill, 0}, {right, kSill, d}, {left, kSill, d}}, up, st_sill);
    }
    for (int i = 0; i < kArchSegments; ++i) {
      Vertex corner[4];
      const int index[4] = {i, i + 1, i + 1, i};
      const double depth[4] = {0, 0, d, d};
      for (int k = 0; k < 4; ++k) {
        const double angle = ca[std::size_t(index[k])];
        const Vec3 radial = wall.along * std::cos(angle) + up * std::sin(angle);
        const double unfolded = a - depth[k];
        corner[k].position = wall.At(cu[std::size_t(index[k])], cv[std::size_t(index[k])], depth[k]);
        corner[k].normal = radial * -1.0;
        corner[k].s = wall.S(uc + unfolded * std::cos(angle));
        corner[k].t = Wall::T(kSpring + unfolded * std::sin(angle));
      }
      mesh_.Quad(corner[0], corner[1], corner[2], corner[3]);
    }
    // The back: a rectangle and a half-disc.
    {
      const double st[4][2] = {{wall.S(left), Wall::T(kSill)}, {wall.S(right), Wall::T(kSill)}, {wall.S(right), Wall::T(kSpring)}, {wall.S(left), Wall::T(kSpring)}};
      WallQuad(wall, {{left, kSill, d}, {right, kSill, d}, {right, kSpring, d}, {left, kSpring, d}}, wall.inward, st);
      const Vertex centre{wall.At(uc, kSpring, d), wall.inward, wall.S(uc), Wall::T(kSpring)};
      for (int i = 0; i < kArchSegments; ++i) {
        mesh_.Triangle(centre, {wall.At(cu[i], cv[i], d), wall.inward, wall.S(cu[i]), Wall::T(cv[i])},
                       {wall.At(cu[i + 1], cv[i + 1], d), wall.inward, wall.S(cu[i + 1]), Wall::T(cv[i + 1])});
      }
    }
    // The window cross stands a little in front of the back (its ends meet the reveals, so
    // only the faces towards the room are made); the ledge juts out under the sill.
    WallBox(wall, uc - kBar, uc + kBar, kSill, kSpring + a, d, d + 10, 1u | 8u | 16u);
    WallBox(wall, left, right, kSpring - kBar, kSpring + kBar, d, d + 10, 1u | 2u | 4u);
    WallBox(wall, left - 14, right + 14, kSill - 14, kSill, 0, 16, 0x1Fu);
  }

  void WallWithNiches(const Wall& wall) {
    double previous = 0;
    for (int bay = 0; bay < kBays; ++bay) {
      const double uc = wall.length * (bay + 0.5) / kBays;
      // Between niches the wall is cut at the niche's levels, so its edges meet without gaps.
      const double levels[4] = {0, kSill, kSpring, kHeight};
      for (int k = 0; k < 3; ++k) WallPanel(wall, previous, uc - kNicheHalfWidth, levels[k], levels[k + 1]);
      Niche(wall, uc);
      previous = uc + kNicheHalfWidth;
    }
    const double levels[4] = {0, kSill, kSpring, kHeight};
    for (int k = 0; k < 3; ++k) WallPanel(wall, previous, wall.length, levels[k], levels[k + 1]);
  }

  // An axis-aligned box in the room; `faces` picks the visible sides (bit 0 +x, 1 -x, 2 +y,
  // 3 -y, 4 +z, 5 -z). Texture coordinates follow the room's plan and height.
  void Block(Vec3 lo, Vec3 hi, unsigned faces) {
    auto plan_s = [](double x) { return (x - kMinX) / (kMaxX - kMinX); };
    auto plan_t = [](double z) { return (z - kMinZ) / (kMaxZ - kMinZ); };
    auto height_t = [](double y) { return (y - kMinY) / kHeight; };
    if (faces & 1u) Face({hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, {1, 0, 0}, plan_t(lo.z), plan_t(hi.z), height_t(lo.y), height_t(hi.y));
    if (faces & 2u) Face({lo.x, lo.y, hi.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {lo.x, hi.y, hi.z}, {-1, 0, 0}, plan_t(hi.z), plan_t(lo.z), height_t(lo.y), height_t(hi.y));
    if (faces & 4u) Face({lo.x, hi.y, hi.z}, {hi.x, hi.y, hi.z}, {hi.x, hi.y, lo.z}, {lo.x, hi.y, lo.z}, {0, 1, 0}, plan_s(lo.x), plan_s(hi.x), plan_t(hi.z), plan_t(lo.z));
    if (faces & 8u) Face({lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, lo.y, hi.z}, {lo.x, lo.y, hi.z}, {0, -1, 0}, plan_s(lo.x), plan_s(hi.x), plan_t(lo.z), plan_t(hi.z));
    if (faces & 16u) Face({lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z}, {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}, {0, 0, 1}, plan_s(lo.x), plan_s(hi.x), height_t(lo.y), height_t(hi.y));
    if (faces & 32u) Face({hi.x, lo.y, lo.z}, {lo.x, lo.y, lo.z}, {lo.x, hi.y, lo.z}, {hi.x, hi.y, lo.z}, {0, 0, -1}, plan_s(hi.x), plan_s(lo.x), height_t(lo.y), height_t(hi.y));
  }

  // The side of a truncated cone round a vertical axis at (x, z), from radius r0 at height y0
  // to r1 at y1, with smooth normals; s runs once round, t up the room's height.
  void Frustum(double x, double z, double y0, double r0, double y1, double r1, int segments) {
    const double slope = (r0 - r1) / (y1 - y0);
    for (int i = 0; i < segments; ++i) {
      const double a0 = 2 * kPi * i / segments, a1 = 2 * kPi * (i + 1) / segments;
      auto corner = [&](double angle, double y, double r, double s) {
        const Vec3 radial{std::cos(angle), 0, std::sin(angle)};
        return Vertex{Vec3{x, y, z} + radial * r, radial + Vec3{0, slope, 0}, s, (y - kMinY) / kHeight};
      };
      const double s0 = double(i) / segments, s1 = double(i + 1) / segments;
      mesh_.Quad(corner(a0, y0, r0, s0), corner(a1, y0, r0, s1), corner(a1, y1, r1, s1), corner(a0, y1, r1, s0));
    }
  }

  // A column on the floor: square plinth, a flared base moulding, the shaft, the flare under
  // the capital, and the capital block on which the ceiling beams rest.
  void Column(double x, double z) {
    const double r = kColumnRadius, plinth = r + 9, capital = r + 12;
    const double capital_top = kMaxY - kBeamDepth, capital_bottom = capital_top - kCapitalHeight;
    const double shaft_bottom = kMinY + kPlinthHeight + kFlare, shaft_top = capital_bottom - kFlare;
    Block({x - plinth, kMinY, z - plinth}, {x + plinth, kMinY + kPlinthHeight, z + plinth}, 0x3Fu & ~8u);
    Frustum(x, z, kMinY + kPlinthHeight, plinth - 2, shaft_bottom, r, kColumnSegments);
    Frustum(x, z, shaft_bottom, r, shaft_top, r * 0.9, kColumnSegments);
    Frustum(x, z, shaft_top, r * 0.9, capital_bottom, capital - 2, kColumnSegments);
    Block({x - capital, capital_bottom, z - capital}, {x + capital, capital_top, z + capital}, 0x3Fu);
  }

  static constexpr int kArchSegments = 10;
  static constexpr int kColumnSegments = 11;

 private:
  void Face(Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 normal, double s0, double s1, double t0, double t1) {
    const double st[4][2] = {{s0, t0}, {s1, t0}, {s1, t1}, {s0, t1}};
    mesh_.FlatQuad(a, b, c, d, normal, st);
  }

  MeshBuilder& mesh_;
};

}  // namespace

std::vector<unsigned char> MakeRoom(std::string* error) {
  MeshBuilder mesh;
  RoomBuilder room(&mesh);
  const double x0 = kMinX + kNicheDepth, x1 = kMaxX - kNicheDepth, z0 = kMinZ + kNicheDepth, z1 = kMaxZ - kNicheDepth;
  const Wall walls[4] = {
      {{x0, kMinY, z0}, {1, 0, 0}, {0, 0, 1}, x1 - x0},    // the far wall, seen looking along -z
      {{x1, kMinY, z0}, {0, 0, 1}, {-1, 0, 0}, z1 - z0},   // looking along +x
      {{x1, kMinY, z1}, {-1, 0, 0}, {0, 0, -1}, x1 - x0},  // looking along +z
      {{x0, kMinY, z1}, {0, 0, -1}, {1, 0, 0}, z1 - z0},   // looking along -x
  };
  const unsigned all = 0x1Fu;
  for (const Wall& wall : walls) {
    room.WallWithNiches(wall);
    // Skirting along the floor and a cornice under the ceiling, end to end.
    room.WallBox(wall, 0, wall.length, 0, 22, 0, 9, all & ~4u & ~8u & ~16u);
    room.WallBox(wall, 0, wall.length, kHeight - 26, kHeight, 0, 16, all & ~2u & ~8u & ~16u);
    // Columns between the bays.
    for (int bay = 1; bay < kBays; ++bay) {
      const Vec3 foot = wall.At(wall.length * bay / kBays, 0, kColumnGap + kColumnRadius + 9);
      room.Column(foot.x, foot.z);
    }
  }
  // Beams across the ceiling from column to column, both ways.
  for (int bay = 1; bay < kBays; ++bay) {
    const double x = x0 + (x1 - x0) * bay / kBays, z = z0 + (z1 - z0) * bay / kBays;
    room.Block({x - kBeamHalfWidth, kMaxY - kBeamDepth, z0}, {x + kBeamHalfWidth, kMaxY, z1}, 1u | 2u | 8u);
    room.Block({x0, kMaxY - kBeamDepth, z - kBeamHalfWidth}, {x1, kMaxY, z + kBeamHalfWidth}, 8u | 16u | 32u);
  }
  // Floor and ceiling, and the dais in the middle of the floor.
  room.Block({x0, kMinY - 1, z0}, {x1, kMinY, z1}, 4u);
  room.Block({x0, kMaxY, z0}, {x1, kMaxY + 1, z1}, 8u);
  for (int step = 0; step < 3; ++step) {
    const double half = 220 - 60 * step, bottom = kMinY + 14 * step;
    room.Block({-half, bottom, -half}, {half, bottom + 14, half}, 0x3Fu & ~8u);
  }
  room.Block({-36, kMinY + 42, -36}, {36, kMinY + 86, 36}, 0x3Fu & ~8u);  // a pedestal on top

  if (!mesh.PadTo(kRoomTriangles)) {
    *error = "the room has " + std::to_string(mesh.TriangleCount()) + " triangles, more than " + std::to_string(kRoomTriangles);
    return {};
  }
  return mesh.Bytes();
}

}  // namespace art
