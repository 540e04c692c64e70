#include "fixed_function.h"

#include <algorithm>
#include <cmath>

namespace webgl11 {

namespace {

// Mesa's depth for both stacks; a deeper push is ignored, as GL ignores an overflow.
constexpr std::size_t kStackDepth = 32;

float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

Rgba ToRgba(const float* p) { return Rgba{p[0], p[1], p[2], p[3]}; }

}  // namespace

FixedFunction::FixedFunction() : modelview_{Identity()}, projection_{Identity()} {}

bool FixedFunction::SetCapability(unsigned cap, bool on) {
  switch (cap) {
    case kLighting: lighting_ = on; return true;
    case kLight0: light0_.enabled = on; return true;
    case kNormalize: normalize_ = on; return true;
    case kTextureGenS: genS_ = on; return true;
    case kTextureGenT: genT_ = on; return true;
    case kColorMaterial:
      if (colorMaterial_ == on) return true;
      colorMaterial_ = on;
      if (on) material_.ambient = material_.diffuse = color_;
      return true;
    default: return false;
  }
}

void FixedFunction::MatrixMode(unsigned mode) {
  if (mode == kModelview || mode == kProjection) mode_ = mode;
}

void FixedFunction::LoadIdentity() { Stack().back() = Identity(); }

void FixedFunction::MultMatrix(const Mat4& m) {
  Mat4& top = Stack().back();
  top = Multiply(top, m);
}

void FixedFunction::PushMatrix() {
  std::vector<Mat4>& stack = Stack();
  if (stack.size() >= kStackDepth) return;
  stack.push_back(stack.back());
}

void FixedFunction::PopMatrix() {
  std::vector<Mat4>& stack = Stack();
  if (stack.size() > 1) stack.pop_back();
}

void FixedFunction::Color(float r, float g, float b, float a) {
  if (Record(Op::Color, r, g, b, a)) return;
  const bool changed = r != color_.r || g != color_.g || b != color_.b || a != color_.a;
  color_ = Rgba{r, g, b, a};
  if (inPrimitive_) colorInPrimitive_ = true;
  if (colorMaterial_ && changed) TakeColorIntoMaterial();
}

void FixedFunction::Normal(float x, float y, float z) {
  if (Record(Op::Normal, x, y, z)) return;
  normal_[0] = x;
  normal_[1] = y;
  normal_[2] = z;
}

void FixedFunction::TexCoord(float s, float t) {
  if (Record(Op::TexCoord, s, t)) return;
  texcoord_[0] = s;
  texcoord_[1] = t;
}

void FixedFunction::Light(unsigned light, unsigned pname, const float* params) {
  if (light != kLight0 || !params) return;
  switch (pname) {
    case kAmbient: light0_.ambient = ToRgba(params); break;
    case kDiffuse: light0_.diffuse = ToRgba(params); break;
    case kSpecular: light0_.specular = ToRgba(params); break;
    case kPosition: Transform(modelview_.back(), params, light0_.position); break;
    default: break;
  }
}

void FixedFunction::LightModelAmbient(const float* params) {
  if (params) modelAmbient_ = ToRgba(params);
}

void FixedFunction::Material(unsigned pname, const float* params) {
  if (!params) return;
  if (!materialPending_) {
    pendingMaterial_ = material_;
    materialPending_ = true;
  }
  struct Material& m = pendingMaterial_;
  switch (pname) {
    case kAmbient: m.ambient = ToRgba(params); break;
    case kDiffuse: m.diffuse = ToRgba(params); break;
    case kAmbientAndDiffuse: m.ambient = m.diffuse = ToRgba(params); break;
    case kSpecular: m.specular = ToRgba(params); break;
    case kEmission: m.emission = ToRgba(params); break;
    case kShininess: m.shininess = params[0]; break;
    default: break;
  }
}

void FixedFunction::TakeColorIntoMaterial() {
  material_.ambient = material_.diffuse = color_;
  if (materialPending_) pendingMaterial_.ambient = pendingMaterial_.diffuse = color_;
}

void FixedFunction::TexGenMode(unsigned coord, unsigned mode) {
  if (coord == kS) genModeS_ = mode;
  if (coord == kT) genModeT_ = mode;
}

void FixedFunction::Begin(unsigned mode) {
  if (Record(Op::Begin, static_cast<float>(mode))) return;
  inPrimitive_ = true;
  primitive_ = mode;
  primitiveStart_ = triangles_.size();
  primitiveVertices_.clear();
  if (materialPending_) {
    material_ = pendingMaterial_;
    materialPending_ = false;
  }
  colorInPrimitive_ = false;
  // Nothing that changes the transform, the lighting or the generation may come between glBegin
  // and glEnd, so what every vertex shares is worked out once here.
  sphereS_ = genS_ && genModeS_ == kSphereMap;
  sphereT_ = genT_ && genModeT_ == kSphereMap;
  needsEye_ = sphereS_ || sphereT_ || (lighting_ && light0_.position[3] != 0.0f);
  needsNormal_ = lighting_ || sphereS_ || sphereT_;
  if (lighting_) lightingTerms_ = PrepareLighting(light0_, modelAmbient_, material_);
  const Mat4& modelview = modelview_.back();
  modelviewProjection_ = Multiply(projection_.back(), modelview);
  if (needsNormal_ && !NormalMatrix(modelview, normalMatrix_)) {
    std::fill(normalMatrix_, normalMatrix_ + 9, 0.0f);
    normalMatrix_[0] = normalMatrix_[4] = normalMatrix_[8] = 1.0f;
  }
}

void FixedFunction::Vertex(float x, float y, float z) {
  if (Record(Op::Vertex, x, y, z)) return;
  if (!inPrimitive_) return;
  const float object[4] = {x, y, z, 1.0f};
  float clip[4];
  Transform(modelviewProjection_, object, clip);
  ClipVertex v;
  v.x = clip[0];
  v.y = clip[1];
  v.z = clip[2];
  v.w = clip[3];

  float eye[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  if (needsEye_) Transform(modelview_.back(), object, eye);
  float normal[3] = {normal_[0], normal_[1], normal_[2]};
  if (needsNormal_) {
    for (int i = 0; i < 3; ++i) {
      normal[i] = normalMatrix_[3 * i] * normal_[0] + normalMatrix_[3 * i + 1] * normal_[1] +
                  normalMatrix_[3 * i + 2] * normal_[2];
    }
    if (normalize_) {
      const float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
      if (length != 0.0f) {
        for (float& c : normal) c /= length;
      }
    }
  }

  Rgba colour;
  if (!lighting_) {
    colour = Rgba{Clamp01(color_.r), Clamp01(color_.g), Clamp01(color_.b), Clamp01(color_.a)};
  } else if (colorMaterial_ && colorInPrimitive_) {
    colour = LightVertex(lightingTerms_, color_, color_, normal, eye);
  } else {
    colour = LightVertex(lightingTerms_, material_.ambient, material_.diffuse, normal, eye);
  }
  v.r = colour.r;
  v.g = colour.g;
  v.b = colour.b;
  v.a = colour.a;

  v.s = texcoord_[0];
  v.t = texcoord_[1];
  if (sphereS_ || sphereT_) {
    float s = 0.0f;
    float t = 0.0f;
    SphereMap(eye, normal, &s, &t);
    if (sphereS_) v.s = s;
    if (sphereT_) v.t = t;
  }
  // Triangles go straight to the batch; quads wait for their fourth corner and are cut along
  // the diagonal Mesa cuts them on, which matters where the corners' colours differ.
  if (primitive_ == kTriangles) {
    triangles_.push_back(v);
  } else if (primitive_ == kQuads) {
    primitiveVertices_.push_back(v);
    if (primitiveVertices_.size() == 4) {
      const std::vector<ClipVertex>& q = primitiveVertices_;
      const ClipVertex split[6] = {q[0], q[1], q[3], q[1], q[2], q[3]};
      triangles_.insert(triangles_.end(), split, split + 6);
      primitiveVertices_.clear();
    }
  }
}

void FixedFunction::End() {
  if (Record(Op::End)) return;
  if (!inPrimitive_) return;
  inPrimitive_ = false;
  // An unfinished last triangle is dropped, as GL drops it.
  if (primitive_ == kTriangles) triangles_.resize(triangles_.size() - (triangles_.size() - primitiveStart_) % 3);
  primitiveVertices_.clear();
}

void FixedFunction::Translate(float x, float y, float z) {
  if (Record(Op::Translate, x, y, z)) return;
  MultMatrix(Translation(x, y, z));
}

void FixedFunction::Rotate(float angle, float x, float y, float z) {
  if (Record(Op::Rotate, angle, x, y, z)) return;
  MultMatrix(Rotation(angle, x, y, z));
}

void FixedFunction::Scale(float x, float y, float z) {
  if (Record(Op::Scale, x, y, z)) return;
  MultMatrix(Scaling(x, y, z));
}

unsigned FixedFunction::GenLists(int range) {
  if (range <= 0) return 0;
  const unsigned first = nextList_;
  for (int i = 0; i < range; ++i) lists_[first + static_cast<unsigned>(i)];
  nextList_ += static_cast<unsigned>(range);
  return first;
}

void FixedFunction::DeleteLists(unsigned first, int range) {
  for (int i = 0; i < range; ++i) lists_.erase(first + static_cast<unsigned>(i));
}

void FixedFunction::NewList(unsigned list) {
  if (list == 0 || compiling_ != 0) return;
  compiling_ = list;
  compiled_.clear();
}

void FixedFunction::EndList() {
  if (compiling_ == 0) return;
  lists_[compiling_] = compiled_;
  compiled_.clear();
  compiling_ = 0;
}

void FixedFunction::CallLists(int n, unsigned type, const void* lists) {
  // The font calls with bytes; other name types are not used by anything drawn here.
  if (type != kUnsignedByte || !lists || n <= 0 || callDepth_ > 0) return;
  ++callDepth_;
  const auto* names = static_cast<const unsigned char*>(lists);
  for (int i = 0; i < n; ++i) {
    const auto found = lists_.find(listBase_ + names[i]);
    if (found != lists_.end()) Replay(found->second);
  }
  --callDepth_;
}

bool FixedFunction::Record(Op op, float a, float b, float c, float d) {
  if (compiling_ == 0) return false;
  compiled_.push_back(Command{op, a, b, c, d});
  return true;
}

void FixedFunction::Replay(const std::vector<Command>& commands) {
  for (const Command& k : commands) {
    switch (k.op) {
      case Op::Begin: Begin(static_cast<unsigned>(k.a)); break;
      case Op::End: End(); break;
      case Op::Vertex: Vertex(k.a, k.b, k.c); break;
      case Op::Color: Color(k.a, k.b, k.c, k.d); break;
      case Op::Normal: Normal(k.a, k.b, k.c); break;
      case Op::TexCoord: TexCoord(k.a, k.b); break;
      case Op::Translate: Translate(k.a, k.b, k.c); break;
      case Op::Rotate: Rotate(k.a, k.b, k.c, k.d); break;
      case Op::Scale: Scale(k.a, k.b, k.c); break;
    }
  }
}

}  // namespace webgl11
