// The part of GL 1.1's fixed-function pipeline that runs on the CPU: matrix stacks, the
// current colour, normal and texture coordinate, light and material, sphere-map generation,
// immediate mode assembled into triangles, and display lists. It knows nothing of WebGL: it
// hands out finished triangles (clip-space positions, lit colours, texture coordinates) for
// whatever rasterises them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "matrix.h"
#include "vertex_lighting.h"

namespace webgl11 {

// One vertex ready for rasterising.
struct ClipVertex {
  float x, y, z, w;  // clip space
  float r, g, b, a;  // colour after lighting, clamped
  float s, t;        // texture coordinate after generation
};

// The primitives and capabilities this layer knows; their values are GL's own.
enum : unsigned {
  kTriangles = 0x0004,
  kQuads = 0x0007,
  kModelview = 0x1700,
  kProjection = 0x1701,
  kLighting = 0x0B50,
  kLight0 = 0x4000,
  kColorMaterial = 0x0B57,
  kNormalize = 0x0BA1,
  kTextureGenS = 0x0C60,
  kTextureGenT = 0x0C61,
  kSphereMap = 0x2402,
  kEyeLinear = 0x2400,
  kS = 0x2000,
  kT = 0x2001,
  kAmbient = 0x1200,
  kDiffuse = 0x1201,
  kSpecular = 0x1202,
  kPosition = 0x1203,
  kEmission = 0x1600,
  kShininess = 0x1601,
  kAmbientAndDiffuse = 0x1602,
  kCompile = 0x1300,
  kUnsignedByte = 0x1401,
};

class FixedFunction {
 public:
  FixedFunction();

  // Capabilities the CPU side handles; returns false for one it does not own.
  bool SetCapability(unsigned cap, bool on);

  // Matrices: act on the stack chosen by MatrixMode, as GL does.
  void MatrixMode(unsigned mode);
  void LoadIdentity();
  void MultMatrix(const Mat4& m);
  void PushMatrix();
  void PopMatrix();

  // Current values.
  void Color(float r, float g, float b, float a);
  void Normal(float x, float y, float z);
  void TexCoord(float s, float t);

  // Light 0, the light model, the front material (two-sided lighting is off, so it lights
  // every face) and texture generation, of which only GL_SPHERE_MAP generates anything.
  //
  // Colour material follows Mesa, which draws the native pictures, where it differs from the
  // letter of GL: glMaterial takes effect at the next glBegin, so it wins over a colour taken
  // when colour material is enabled in between; a glColor that repeats the current colour is
  // not taken, one that changes it is. A colour given between glBegin and glEnd lights that
  // primitive's vertices directly. So the demo's first frame, drawn in white right after
  // set-up, is lit with the material glMaterial set, as natively.
  void Light(unsigned light, unsigned pname, const float* params);
  void LightModelAmbient(const float* params);
  void Material(unsigned pname, const float* params);
  void TexGenMode(unsigned coord, unsigned mode);

  // Immediate mode. Each vertex is transformed, lit and given its texture coordinate as it
  // comes, and its primitive's triangles go to Triangles(); End drops an unfinished one.
  void Begin(unsigned mode);
  void Vertex(float x, float y, float z);
  void End();

  // Display lists with GL_COMPILE: between NewList and EndList the calls above that a list may
  // hold are recorded, not executed.
  unsigned GenLists(int range);
  void DeleteLists(unsigned first, int range);
  void NewList(unsigned list);
  void EndList();
  void ListBase(unsigned base) { listBase_ = base; }
  void CallLists(int n, unsigned type, const void* lists);

  // Translate/rotate/scale go through here so that a list can record them.
  void Translate(float x, float y, float z);
  void Rotate(float angle, float x, float y, float z);
  void Scale(float x, float y, float z);

  // Triangles made since the caller last drew and cleared them.
  std::vector<ClipVertex>& Triangles() { return triangles_; }

 private:
  enum class Op : std::uint8_t { Begin, End, Vertex, Color, Normal, TexCoord, Translate, Rotate, Scale };
  struct Command {
    Op op;
    float a, b, c, d;
  };

  bool Record(Op op, float a = 0, float b = 0, float c = 0, float d = 0);
  void Replay(const std::vector<Command>& commands);
  void TakeColorIntoMaterial();
  std::vector<Mat4>& Stack() { return mode_ == kProjection ? projection_ : modelview_; }

  unsigned mode_ = kModelview;
  std::vector<Mat4> modelview_;
  std::vector<Mat4> projection_;

  Rgba color_{1.0f, 1.0f, 1.0f, 1.0f};
  float normal_[3] = {0.0f, 0.0f, 1.0f};
  float texcoord_[2] = {0.0f, 0.0f};

  bool lighting_ = false;
  bool colorMaterial_ = false;
  bool normalize_ = false;
  bool genS_ = false;
  bool genT_ = false;
  unsigned genModeS_ = kEyeLinear;
  unsigned genModeT_ = kEyeLinear;
  struct Light light0_;
  Rgba modelAmbient_{0.2f, 0.2f, 0.2f, 1.0f};
  struct Material material_;

  // What every vertex of the primitive being drawn shares.
  bool inPrimitive_ = false;
  bool colorInPrimitive_ = false;
  std::size_t primitiveStart_ = 0;
  bool sphereS_ = false;
  bool sphereT_ = false;
  bool needsEye_ = false;
  bool needsNormal_ = false;
  Mat4 modelviewProjection_{};
  LightingTerms lightingTerms_{};
  struct Material pendingMaterial_;
  bool materialPending_ = false;
  unsigned primitive_ = 0;
  float normalMatrix_[9] = {};
  std::vector<ClipVertex> primitiveVertices_;
  std::vector<ClipVertex> triangles_;

  std::map<unsigned, std::vector<Command>> lists_;
  unsigned nextList_ = 1;
  unsigned listBase_ = 0;
  unsigned compiling_ = 0;
  std::vector<Command> compiled_;
  int callDepth_ = 0;
};

}  // namespace webgl11
