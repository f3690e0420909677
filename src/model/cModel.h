#pragma once
#include <GL/gl.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "math/cVector3.h"

using Uint32 = std::uint32_t;

// Positions and normals. Contiguous, so that glVertex3fv and glNormal3fv take them as they are.
struct Point3D
{
    GLfloat x = 0.0f, y = 0.0f, z = 0.0f;

    const GLfloat* Data() const { return &x; }
    GLfloat& operator[](int index) { return (&x)[index]; }
    GLfloat operator[](int index) const { return (&x)[index]; }
};

struct Vector3D
{
    GLfloat x = 0.0f, y = 0.0f, z = 0.0f;
};

// Known only to the scripts; the engine itself never uses it.
struct Point3D2
{
    GLfloat x = 0.0f, y = 0.0f, z = 0.0f;
};

struct TexCoord
{
    GLfloat u = 0.0f, v = 0.0f;
};

struct RGBColor
{
    GLfloat r = 0.0f, g = 0.0f, b = 0.0f, a = 1.0f;
};

// One face corner while a face line is read; zero-based.
struct VTNData
{
    Uint32 vertIndex = 0, tcIndex = 0, normIndex = 0;
};

// Zero-based indices into the first frame's vertices, the texture coordinates and the first
// frame's normals. A texture or normal index that points at nothing (for example the -1 of
// "3//5", or 0 in a file without normals) is kept as read and drawn with a fallback.
struct TriFace
{
    Uint32 vertIndex[3] = {0, 0, 0};
    Uint32 tcIndex[3] = {0, 0, 0};
    Uint32 normIndex[3] = {0, 0, 0};
};

struct Group
{
    std::int32_t MatIndex = -1;          // index into the model's materials; -1: unresolved
    std::string MatName;
    std::vector<TriFace> TriArray;
    std::vector<Point3D> NormArray;      // never filled or read by the engine
};

struct Material
{
    std::string name;
    GLfloat Ns = 0.0f;                   // shininess
    RGBColor ambient, diffuse, specular;
};

// The scripts' animation cursor; the engine never reads it.
struct CurrAnim
{
    Uint32 currFrame = 0, nextFrame = 0;
    GLfloat percent = 0.0f;
};

// A first-frame triangle with its unit normal.
struct Triangle
{
    Point3D v1, v2, v3;
    Vector3D n;
};

// What the collision code takes over from a model: three corners and a unit normal.
struct CollisionTriangle
{
    cVector3 p1{0.0f, 0.0f, 0.0f};
    cVector3 p2{0.0f, 0.0f, 0.0f};
    cVector3 p3{0.0f, 0.0f, 0.0f};
    cVector3 normal{0.0f, 0.0f, 0.0f};
};

class cModelException
{
public:
    enum : Uint32 { ME_LOAD_ERROR = 0, ME_DRAW_ERROR = 1, ME_OPERATION_ERROR = 2 };

    cModelException(Uint32 code, std::string message) : m_Code(code), m_Message(std::move(message)) {}

    Uint32 code() const { return m_Code; }
    const char* what() const { return m_Message.c_str(); }

private:
    Uint32 m_Code;
    std::string m_Message;
};

// The unit normal of the triangle a, b, c, front-facing for counter-clockwise corners. A
// degenerate triangle has no direction of its own and gets (0, 0, 1).
void CalculateNormal(const GLfloat a[3], const GLfloat b[3], const GLfloat c[3], Point3D& out);

// A keyframe-animated model read from OBJ files, one file per frame, with its MTL materials.
// The first frame gives the faces and material groups; every later frame only new positions,
// texture coordinates and normals in the same layout.
class cModel
{
public:
    cModel();
    explicit cModel(const char* objFileName);   // throws cModelException

    // Loads one OBJ file as the next frame. On failure throws cModelException (ME_LOAD_ERROR)
    // and leaves the model exactly as it was.
    void AddFrame(const char* objFileName);
    // Appends the materials of an MTL file. Throws std::string; materials read before the
    // failure stay.
    void LoadMTLFile(const char* mtlFileName);
    void Clear();
    unsigned int FrameCount() const { return m_NumFrames; }

    void WriteOBJFile() const;   // "TestModel.obj" in the working directory
    void DisplayData() const;    // "ModelOut.txt" in the working directory

    // Draws frame `frame` blended into the next frame (the last one into frame 0) by percent:
    // 0 draws `frame`, 1 the next frame. Throws ME_DRAW_ERROR for a frame that does not exist.
    void Animate(unsigned int frame, float percent, float tx, float ty, float tz, float sx = 1.0f,
                 float sy = 1.0f, float sz = 1.0f, float angleDegrees = 0.0f, float ax = 0.0f,
                 float ay = 0.0f, float az = 0.0f, float alpha = 1.0f);
    // Draws a static model; a model that is not static draws nothing.
    void Draw(float tx, float ty, float tz, float sx = 1.0f, float sy = 1.0f, float sz = 1.0f,
              float angleDegrees = 0.0f, float ax = 0.0f, float ay = 0.0f, float az = 0.0f,
              float alpha = 1.0f);
    void DrawStatic(float alpha);

    static void Interpolate(const Point3D& a, const Point3D& b, float percent, Point3D& out);
    // The blend made unit length; a blend of zero length gives (0, 0, 1).
    static void NormalInterpolate(const Point3D& a, const Point3D& b, float percent, Point3D& out);

    void EnableTexturing() { m_Texturing = true; }
    void DisableTexturing() { m_Texturing = false; }
    bool IsTextureEnabled() const { return m_Texturing; }
    void SetTexture(const char* textureFileName);   // through TEXTUREMANAGER

    void MakeStatic();        // throws ME_OPERATION_ERROR unless there is exactly one frame
    bool IsStatic() const { return m_Static; }

    // Bounds averaged over the frames and the first frame's triangles (appended, not replaced).
    void CalcExtraData();
    float GetWidth() const { return m_Width; }
    float GetHeight() const { return m_Height; }
    float GetLength() const { return m_Length; }
    Point3D GetCenter() const { return m_Center; }
    void GetTriangles(std::vector<CollisionTriangle>& triangles) const;   // appends
    // Changes with everything that may change what GetTriangles gives (loading, clearing, new
    // triangles), to a value no model had before: one value always stands for the same triangles,
    // so a cache keyed by it is exact even when a model is loaded where a freed one was.
    std::uint64_t GetGeometryVersion() const { return m_GeometryVersion; }

    // The blend of drawing alone, without OpenGL: blends every shared vertex that
    // Animate would draw and returns their number (0 for a frame that does not exist).
    size_t BlendFrames(unsigned int frame, float percent);

    // Read access for tests, tools and the collision code.
    const std::vector<Point3D>& GetVertices() const { return m_Vertices; }
    const std::vector<TexCoord>& GetTexCoords() const { return m_TexCoords; }
    Uint32 GetFirstFrameTexCoordCount() const { return m_FirstFrameTexCoords; }   // faces use only these
    const std::vector<Point3D>& GetNormals() const { return m_Normals; }
    const std::vector<Group>& GetGroups() const { return m_Groups; }
    const std::vector<Material>& GetMaterials() const { return m_Materials; }
    const std::vector<Triangle>& GetTriangleList() const { return m_Triangles; }
    const std::string& GetMtlLibName() const { return m_MtlLibName; }
    const std::string& GetTextureName() const { return m_TextureName; }
    GLuint GetTextureID() const { return m_TextureID; }

private:
    void LoadOBJFile(const char* objFileName, bool firstFrame);   // throws std::string
    void ParseLine(const char* line, const char* end, bool firstFrame);
    void ParseFace(const char* line, const char* end);
    void AddCorner(const VTNData& corner, int& corners, VTNData& first, VTNData& previous);
    void CollapseGroups();
    void BuildTopology();
    void BlendSharedVertices(unsigned int offsetA, unsigned int offsetB, float percent);
    // Client-side vertex arrays of the shared vertices, one glDrawElements per group.
    void DrawFrames(unsigned int offsetA, unsigned int offsetB, float percent, float alpha);
    void ApplyMaterial(const Group& group, float alpha);
    unsigned int VerticesPerFrame() const;
    unsigned int NormalsPerFrame() const;

    Uint32 m_NumFrames = 0;
    std::vector<Point3D> m_Vertices;    // all frames, frame after frame
    std::vector<TexCoord> m_TexCoords;  // every "vt" of every file, in reading order
    std::vector<Point3D> m_Normals;     // all frames, frame after frame
    std::vector<Group> m_Groups;
    std::vector<Material> m_Materials;
    std::int32_t m_CurrentGroup = -1;
    std::string m_MtlLibName;
    std::string m_TextureName;
    GLuint m_TextureID = 0;
    bool m_Texturing = false;
    bool m_Static = false;
    Point3D m_Center, m_Min, m_Max;
    float m_Width = 0.0f, m_Length = 0.0f, m_Height = 0.0f;
    std::vector<Triangle> m_Triangles;
    void TouchGeometry() { m_GeometryVersion = ++s_LastGeometryVersion; }
    std::uint64_t m_GeometryVersion = 0;
    static inline std::atomic<std::uint64_t> s_LastGeometryVersion{0};

    Uint32 m_FirstFrameTexCoords = 0;   // only these are referenced by faces
    // The face corner with the highest vertex index of the file being read, checked once all
    // of its vertices are known.
    struct sFaceCheck
    {
        unsigned int lineNumber = 0;
        bool anyFace = false;
        Uint32 maxVertIndex = 0;
        unsigned int maxVertLine = 0;
    } m_Face;
    // How the first frame's faces share vertices, worked out at the first draw after the faces
    // were read; only the faces decide it. The blend itself is made anew on every draw.
    static constexpr Uint32 NO_INDEX = 0xFFFFFFFFu;
    struct sTopology
    {
        bool built = false;
        std::vector<Uint32> vertex, normal;          // per shared vertex; normal NO_INDEX: the face's
        std::vector<TexCoord> texCoords;             // per shared vertex, (0, 0) for none
        std::vector<GLuint> indices;                 // three per face, group after group
        std::vector<std::pair<GLint, GLsizei>> groupRanges;
        std::vector<Uint32> faceNormalCorners;       // first index of faces lit by their face normal
    } m_Topology;
    std::vector<Point3D> m_BlendedVertices, m_BlendedNormals;   // refilled on every draw
};
