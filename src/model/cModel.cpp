#include "model/cModel.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "model/cObjText.h"

namespace {

// Thrown for a "usemtl" or "mtllib" line without a name: the load fails with the unknown-error
// message, as files written for the engine have always seen it.
struct sLineWithoutRest {};

bool StartsWith(const char* line, const char* end, const char* prefix)
{
    const size_t length = std::strlen(prefix);
    return size_t(end - line) >= length && std::memcmp(line, prefix, length) == 0;
}

bool KeywordIs(const char* line, size_t keywordLength, const char* keyword)
{
    return std::strlen(keyword) == keywordLength && std::memcmp(line, keyword, keywordLength) == 0;
}

} // namespace

cModel::cModel() { Clear(); }

cModel::cModel(const char* objFileName)
{
    Clear();
    AddFrame(objFileName);
}

void cModel::Clear()
{
    TouchGeometry();
    m_NumFrames = 0;
    m_Vertices.clear();
    m_Normals.clear();
    m_TexCoords.clear();
    m_Materials.clear();
    m_Groups.clear();
    m_CurrentGroup = -1;
    m_Texturing = false;
    m_Static = false;
    m_FirstFrameTexCoords = 0;
    m_Topology = sTopology{};
}

void cModel::AddFrame(const char* objFileName)
{
    if (!objFileName || !std::strstr(objFileName, ".obj"))
        throw cModelException(cModelException::ME_LOAD_ERROR, "File given without .obj extension");
    TouchGeometry();

    // A failed frame must not leave half of itself behind: every later frame would be read at
    // the wrong offset. Loading only appends, so remembering the sizes is enough to undo it.
    const size_t vertices = m_Vertices.size();
    const size_t texCoords = m_TexCoords.size();
    const size_t normals = m_Normals.size();
    const bool firstFrame = m_NumFrames == 0;
    std::string mtlLibName = m_MtlLibName;
    const std::int32_t currentGroup = m_CurrentGroup;
    const size_t groups = m_Groups.size();

    auto undo = [&] {
        m_Vertices.resize(vertices);
        m_TexCoords.resize(texCoords);
        m_Normals.resize(normals);
        if (firstFrame) {
            m_Groups.resize(groups);
            m_CurrentGroup = currentGroup;
            m_MtlLibName = std::move(mtlLibName);
            m_FirstFrameTexCoords = 0;
        }
    };
    try {
        LoadOBJFile(objFileName, firstFrame);
    } catch (const std::string& message) {
        undo();
        throw cModelException(cModelException::ME_LOAD_ERROR, message + ": " + objFileName);
    } catch (...) {
        undo();
        throw cModelException(cModelException::ME_LOAD_ERROR,
                              std::string("Unknown Load Error: ") + objFileName);
    }
    if (firstFrame)
        m_Topology = sTopology{};   // new faces
    ++m_NumFrames;
}

void cModel::LoadOBJFile(const char* objFileName, bool firstFrame)
{
    cObjText text;
    if (!text.Read(objFileName))
        throw std::string("Error Opening File");

    const size_t verticesBefore = m_Vertices.size();
    const size_t normalsBefore = m_Normals.size();
    const size_t texCoordsBefore = m_TexCoords.size();

    m_Face = sFaceCheck{};
    const char* line = nullptr;
    const char* end = nullptr;
    while (text.NextLine(line, end)) {
        ++m_Face.lineNumber;
        ParseLine(line, end, firstFrame);
    }

    if (firstFrame) {
        const size_t vertexCount = m_Vertices.size() - verticesBefore;
        if (m_Face.anyFace && m_Face.maxVertIndex >= vertexCount) {
            char message[160];
            std::snprintf(message, sizeof message, "line %u: face uses vertex %d of %zu",
                          m_Face.maxVertLine, static_cast<int>(m_Face.maxVertIndex + 1),
                          vertexCount);
            throw std::string(message);
        }
        m_FirstFrameTexCoords = static_cast<Uint32>(m_TexCoords.size() - texCoordsBefore);
        CollapseGroups();
    } else {
        const size_t firstVertices = verticesBefore / m_NumFrames;
        const size_t firstNormals = normalsBefore / m_NumFrames;
        const size_t vertexCount = m_Vertices.size() - verticesBefore;
        const size_t normalCount = m_Normals.size() - normalsBefore;
        char message[160];
        if (vertexCount != firstVertices) {
            std::snprintf(message, sizeof message,
                          "frame has %zu vertices where the first frame has %zu", vertexCount,
                          firstVertices);
            throw std::string(message);
        }
        if (normalCount != firstNormals) {
            std::snprintf(message, sizeof message,
                          "frame has %zu normals where the first frame has %zu", normalCount,
                          firstNormals);
            throw std::string(message);
        }
    }
}

void cModel::ParseLine(const char* line, const char* end, bool firstFrame)
{
    if (line == end || line[0] == '#')
        return;
    const char* keywordEnd = line;
    while (keywordEnd != end && *keywordEnd != ' ' && *keywordEnd != '\t')
        ++keywordEnd;
    const size_t keywordLength = static_cast<size_t>(keywordEnd - line);
    if (keywordLength == 0)
        return;

    if (line[0] == 'v') {
        float values[3];
        if (keywordLength == 1) {
            if (ScanFloats(line + 1, end, values, 3))
                m_Vertices.push_back(Point3D{values[0], values[1], values[2]});
        } else if (keywordLength == 2 && line[1] == 't') {
            if (ScanFloats(line + 2, end, values, 2))
                m_TexCoords.push_back(TexCoord{values[0], values[1]});
        } else if (keywordLength == 2 && line[1] == 'n') {
            if (ScanFloats(line + 2, end, values, 3))
                m_Normals.push_back(Point3D{values[0], values[1], values[2]});
        }
        return;
    }
    if (!firstFrame)
        return;

    if (keywordLength == 1 && line[0] == 'f') {
        ParseFace(line, end);
    } else if (KeywordIs(line, keywordLength, "usemtl")) {
        if (keywordEnd == end)
            throw sLineWithoutRest{};
        const char* nameEnd = end;
        if (nameEnd != keywordEnd + 1 && nameEnd[-1] == '\r')
            --nameEnd;
        Group group;
        group.MatName.assign(keywordEnd + 1, nameEnd);
        m_Groups.push_back(std::move(group));
        ++m_CurrentGroup;
    } else if (KeywordIs(line, keywordLength, "mtllib")) {
        if (keywordEnd == end)
            throw sLineWithoutRest{};
        m_MtlLibName.assign(keywordEnd + 1, end);
    }
}

inline void cModel::AddCorner(const VTNData& corner, int& corners, VTNData& first, VTNData& previous)
{
    if (!m_Face.anyFace || corner.vertIndex > m_Face.maxVertIndex) {
        m_Face.maxVertIndex = corner.vertIndex;
        m_Face.maxVertLine = m_Face.lineNumber;
        m_Face.anyFace = true;
    }
    // Fan: (corner 0, corner i, corner i + 1).
    if (corners == 0) {
        first = corner;
    } else if (corners >= 2) {
        if (m_CurrentGroup < 0) {
            // Faces before the first "usemtl" go to a group of their own rather than to
            // no group at all.
            m_Groups.emplace_back();
            m_CurrentGroup = 0;
        }
        const TriFace face{{first.vertIndex, previous.vertIndex, corner.vertIndex},
                           {first.tcIndex, previous.tcIndex, corner.tcIndex},
                           {first.normIndex, previous.normIndex, corner.normIndex}};
        m_Groups[size_t(m_CurrentGroup)].TriArray.push_back(face);
    }
    previous = corner;
    ++corners;
}

void cModel::ParseFace(const char* line, const char* end)
{
    // Corners are separated by single spaces from index 2 on. A corner without any number (two
    // spaces in a row, a trailing space, a lone carriage return) names no vertex and is skipped.
    if (end - line < 2)
        return;
    VTNData first, previous;
    int corners = 0;
    const char* token = line + 2;
    for (;;) {
        // Nearly every corner is up to three short runs of digits between slashes: read those
        // in one pass. Anything else takes the general path below, which reads it as atoi does.
        unsigned int fields[3] = {0, 0, 0};
        int field = 0, fieldDigits = 0;
        const char* p = token;
        bool simple = true;
        for (; p != end && *p != ' '; ++p) {
            const unsigned int digit = unsigned(*p - '0');
            if (digit < 10 && fieldDigits < 9) {
                fields[field] = fields[field] * 10 + digit;
                ++fieldDigits;
            } else if (*p == '/' && field < 2) {
                ++field;
                fieldDigits = 0;
            } else {
                simple = false;
                break;
            }
        }
        if (simple && p != token) {
            VTNData corner;
            corner.vertIndex = fields[0] - 1;
            if (field >= 1)
                corner.tcIndex = fields[1] - 1;
            if (field == 2)
                corner.normIndex = fields[2] - 1;
            AddCorner(corner, corners, first, previous);
            if (p == end)
                break;
            token = p + 1;
            continue;
        }

        // One pass over the corner: where it ends, where its slashes are, whether it has any
        // character besides white space.
        const char* tokenEnd = token;
        const char* slash1 = nullptr;
        const char* slash2 = nullptr;
        bool blank = true;
        for (; tokenEnd != end && *tokenEnd != ' '; ++tokenEnd) {
            const char c = *tokenEnd;
            if (c == '/') {
                if (!slash1)
                    slash1 = tokenEnd;
                else if (!slash2)
                    slash2 = tokenEnd;
            }
            if (!IsScanSpace(c))
                blank = false;
        }
        const bool last = tokenEnd == end;
        if (!blank) {
            VTNData corner;
            if (!slash1) {
                corner.vertIndex = Uint32(AtoiSpan(token, tokenEnd) - 1);
            } else {
                corner.vertIndex = Uint32(AtoiSpan(token, slash1) - 1);
                if (!slash2) {
                    corner.tcIndex = Uint32(AtoiSpan(slash1 + 1, tokenEnd) - 1);
                } else {
                    corner.tcIndex = Uint32(AtoiSpan(slash1 + 1, slash2) - 1);
                    corner.normIndex = Uint32(AtoiSpan(slash2 + 1, tokenEnd) - 1);
                }
            }
            AddCorner(corner, corners, first, previous);
        }
        if (last)
            break;
        token = tokenEnd + 1;
    }
}

void cModel::CollapseGroups()
{
    for (size_t i = 0; i < m_Groups.size(); ++i) {
        size_t j = i + 1;
        while (j < m_Groups.size()) {
            if (m_Groups[j].MatName == m_Groups[i].MatName) {
                std::vector<TriFace>& target = m_Groups[i].TriArray;
                target.insert(target.end(), m_Groups[j].TriArray.begin(), m_Groups[j].TriArray.end());
                m_Groups.erase(m_Groups.begin() + std::ptrdiff_t(j));
            } else {
                ++j;
            }
        }
    }
    for (Group& group : m_Groups) {
        group.MatIndex = -1;
        for (size_t m = 0; m < m_Materials.size(); ++m)
            if (m_Materials[m].name == group.MatName) {
                group.MatIndex = std::int32_t(m);
                break;
            }
    }
}

void cModel::LoadMTLFile(const char* mtlFileName)
{
    cObjText text;
    if (!mtlFileName || !text.Read(mtlFileName))
        throw std::string("Error Opening Material File");

    const char* line = nullptr;
    const char* end = nullptr;
    // Each of the four property lines is read even past the end of the file, where it is empty.
    auto nextLine = [&]() {
        if (!text.NextLine(line, end))
            line = end = "";
    };
    while (text.NextLine(line, end)) {
        if (line == end || line[0] == '#')
            continue;
        const char* keywordEnd = line;
        while (keywordEnd != end && *keywordEnd != ' ' && *keywordEnd != '\t')
            ++keywordEnd;
        if (keywordEnd == line || !KeywordIs(line, size_t(keywordEnd - line), "newmtl"))
            continue;

        m_Materials.emplace_back();
        // A bare "newmtl" names nothing: an empty name rather than a failed file.
        if (keywordEnd != end)
            m_Materials.back().name.assign(keywordEnd + 1, end);

        float values[3];
        nextLine();
        if (!StartsWith(line, end, "Ns") || !ScanFloats(line + 2, end, values, 1))
            throw std::string("Mat File Load:  Error reading in Ns");
        m_Materials.back().Ns = values[0];

        struct sColourLine { const char* keyword; RGBColor Material::*colour; };
        const sColourLine colours[] = {{"Ka", &Material::ambient},
                                       {"Kd", &Material::diffuse},
                                       {"Ks", &Material::specular}};
        for (const sColourLine& colourLine : colours) {
            nextLine();
            if (!StartsWith(line, end, colourLine.keyword) || !ScanFloats(line + 2, end, values, 3))
                throw std::string("Mat File Load:  Error reading in ") + colourLine.keyword;
            m_Materials.back().*colourLine.colour = RGBColor{values[0], values[1], values[2], 1.0f};
        }
    }
}

void cModel::WriteOBJFile() const
{
    std::FILE* file = std::fopen("TestModel.obj", "w");
    if (!file) {
        std::printf("cModel: *warning* could not create TestModel.obj\n");
        return;
    }
    std::fprintf(file, "\nmtllib\t%s\n\n", m_MtlLibName.c_str());
    for (const Point3D& v : m_Vertices)
        std::fprintf(file, "v %f %f %f\n", v.x, v.y, v.z);
    for (const TexCoord& t : m_TexCoords)
        std::fprintf(file, "vt %f %f\n", t.u, t.v);
    for (const Point3D& n : m_Normals)
        std::fprintf(file, "vn %f %f %f\n", n.x, n.y, n.z);
    for (const Group& group : m_Groups) {
        std::fprintf(file, "\nusemtl %s\n", group.MatName.c_str());
        for (const TriFace& f : group.TriArray)
            std::fprintf(file, "f %u/%u/%u %u/%u/%u %u/%u/%u\n", f.vertIndex[0] + 1,
                         f.tcIndex[0] + 1, f.normIndex[0] + 1, f.vertIndex[1] + 1, f.tcIndex[1] + 1,
                         f.normIndex[1] + 1, f.vertIndex[2] + 1, f.tcIndex[2] + 1,
                         f.normIndex[2] + 1);
    }
    std::fclose(file);
}

void cModel::DisplayData() const
{
    std::FILE* file = std::fopen("ModelOut.txt", "w");
    if (!file) {
        std::printf("cModel: *warning* could not create ModelOut.txt\n");
        return;
    }
    size_t polycount = 0;
    for (const Group& group : m_Groups)
        polycount += group.TriArray.size();
    std::fprintf(file, "Num Vertices: %i", int(m_Vertices.size()));
    std::fprintf(file, "Num Normals: %i", int(m_Normals.size()));
    std::fprintf(file, "Num Frames: %i", int(m_NumFrames));
    std::fprintf(file, "Polycount: %d\n", int(polycount));
    std::fclose(file);
}

unsigned int cModel::VerticesPerFrame() const
{
    return m_NumFrames ? unsigned(m_Vertices.size() / m_NumFrames) : 0;
}

unsigned int cModel::NormalsPerFrame() const
{
    return m_NumFrames ? unsigned(m_Normals.size() / m_NumFrames) : 0;
}

void cModel::MakeStatic()
{
    if (m_NumFrames != 1)
        throw cModelException(cModelException::ME_OPERATION_ERROR,
                              "Attempted to make a model static which has more than one frames "
                              "(or 0)");
    m_Static = true;
}

void cModel::CalcExtraData()
{
    TouchGeometry();
    m_Center = m_Min = m_Max = Point3D{};
    const unsigned int perFrame = VerticesPerFrame();
    for (unsigned int frame = 0; frame < m_NumFrames; ++frame) {
        Point3D low{3.4028235e38f, 3.4028235e38f, 3.4028235e38f};
        Point3D high{-3.4028235e38f, -3.4028235e38f, -3.4028235e38f};
        for (unsigned int i = 0; i < perFrame; ++i) {
            const Point3D& v = m_Vertices[size_t(frame) * perFrame + i];
            for (int c = 0; c < 3; ++c) {
                if (v[c] < low[c])
                    low[c] = v[c];
                if (v[c] > high[c])
                    high[c] = v[c];
            }
        }
        for (int c = 0; c < 3; ++c) {
            m_Min[c] += low[c];
            m_Max[c] += high[c];
        }
    }
    if (m_NumFrames > 0) {
        const float frames = float(m_NumFrames);
        for (int c = 0; c < 3; ++c) {
            m_Min[c] /= frames;
            m_Max[c] /= frames;
        }
    }
    m_Width = m_Max.x - m_Min.x;
    m_Height = m_Max.y - m_Min.y;
    m_Length = m_Max.z - m_Min.z;
    m_Center = Point3D{m_Width / 2 + m_Min.x, m_Height / 2 + m_Min.y, m_Length / 2 + m_Min.z};

    if (m_NumFrames == 0)
        return;
    for (const Group& group : m_Groups)
        for (const TriFace& face : group.TriArray) {
            Triangle triangle;
            triangle.v1 = m_Vertices[face.vertIndex[0]];
            triangle.v2 = m_Vertices[face.vertIndex[1]];
            triangle.v3 = m_Vertices[face.vertIndex[2]];
            Point3D normal;
            CalculateNormal(triangle.v1.Data(), triangle.v2.Data(), triangle.v3.Data(), normal);
            triangle.n = Vector3D{normal.x, normal.y, normal.z};
            m_Triangles.push_back(triangle);
        }
}

void cModel::GetTriangles(std::vector<CollisionTriangle>& triangles) const
{
    triangles.reserve(triangles.size() + m_Triangles.size());
    for (const Triangle& t : m_Triangles) {
        CollisionTriangle c;
        c.p1 = cVector3(t.v1.x, t.v1.y, t.v1.z);
        c.p2 = cVector3(t.v2.x, t.v2.y, t.v2.z);
        c.p3 = cVector3(t.v3.x, t.v3.y, t.v3.z);
        c.normal = cVector3(t.n.x, t.n.y, t.n.z);
        triangles.push_back(c);
    }
}
