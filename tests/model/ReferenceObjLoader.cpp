#include "ReferenceObjLoader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

namespace {

struct sUnknownError {};

// One whole line, however long, without its newline and cut at its first NUL byte, as a C
// string read from it would be.
bool ReadLine(std::ifstream& file, std::string& line)
{
    if (!std::getline(file, line))
        return false;
    line = line.c_str();
    return true;
}

std::string Keyword(const std::string& line) { return line.substr(0, line.find_first_of(" \t")); }

bool IsBlank(const std::string& token)
{
    return std::all_of(token.begin(), token.end(), [](unsigned char c) { return std::isspace(c); });
}

} // namespace

bool cReferenceModel::AddFrame(const char* objFileName, std::string& message)
{
    if (!std::strstr(objFileName, ".obj")) {
        message = "File given without .obj extension";
        return false;
    }
    const cReferenceModel before = *this;
    const bool firstFrame = m_NumFrames == 0;
    try {
        std::ifstream file(objFileName);
        if (!file)
            throw std::string("Error Opening File");
        m_AnyFace = false;
        std::string line;
        unsigned int lineNumber = 0;
        while (ReadLine(file, line))
            ParseLine(line, firstFrame, ++lineNumber);
        const size_t newVertices = m_Vertices.size() - before.m_Vertices.size();
        const size_t newNormals = m_Normals.size() - before.m_Normals.size();
        if (firstFrame) {
            if (m_AnyFace && m_MaxVertIndex >= newVertices) {
                throw "line " + std::to_string(m_MaxVertLine) + ": face uses vertex " +
                    std::to_string(int(m_MaxVertIndex + 1)) + " of " + std::to_string(newVertices);
            }
            std::vector<Group> groups;   // one per material name, in the order of first use
            for (const Group& group : m_Groups) {
                auto same = std::find_if(groups.begin(), groups.end(),
                                         [&](const Group& g) { return g.MatName == group.MatName; });
                if (same == groups.end())
                    groups.push_back(group);
                else
                    same->TriArray.insert(same->TriArray.end(), group.TriArray.begin(), group.TriArray.end());
            }
            m_Groups = groups;
            for (Group& group : m_Groups)
                for (size_t m = 0; m < m_Materials.size() && group.MatIndex < 0; ++m)
                    if (m_Materials[m].name == group.MatName)
                        group.MatIndex = int(m);
        } else {
            const size_t perFrame = before.m_Vertices.size() / m_NumFrames;
            const size_t normalsPerFrame = before.m_Normals.size() / m_NumFrames;
            if (newVertices != perFrame) {
                throw "frame has " + std::to_string(newVertices) + " vertices where the first frame has " +
                    std::to_string(perFrame);
            }
            if (newNormals != normalsPerFrame) {
                throw "frame has " + std::to_string(newNormals) + " normals where the first frame has " +
                    std::to_string(normalsPerFrame);
            }
        }
    } catch (const std::string& error) {
        *this = before;
        message = error + ": " + objFileName;
        return false;
    } catch (...) {
        *this = before;
        message = std::string("Unknown Load Error: ") + objFileName;
        return false;
    }
    ++m_NumFrames;
    return true;
}

void cReferenceModel::ParseLine(const std::string& line, bool firstFrame, unsigned int lineNumber)
{
    const std::string keyword = Keyword(line);
    float a, b, c;
    if (keyword == "v") {
        if (std::sscanf(line.c_str(), "v %f %f %f", &a, &b, &c) == 3)
            m_Vertices.push_back(Point3D{a, b, c});
    } else if (keyword == "vt") {
        if (std::sscanf(line.c_str(), "vt %f %f", &a, &b) == 2)
            m_TexCoords.push_back(TexCoord{a, b});
    } else if (keyword == "vn") {
        if (std::sscanf(line.c_str(), "vn %f %f %f", &a, &b, &c) == 3)
            m_Normals.push_back(Point3D{a, b, c});
    } else if (!firstFrame) {
        return;
    } else if (keyword == "f") {
        // Corners are separated by single spaces from index 2 on; atoi stops at a slash.
        std::vector<VTNData> corners;
        for (size_t position = 2; position <= line.size();) {
            const size_t space = std::min(line.find(' ', position), line.size());
            const std::string token = line.substr(position, space - position);
            position = space + 1;
            if (IsBlank(token))
                continue;
            VTNData corner;
            corner.vertIndex = Uint32(std::atoi(token.c_str()) - 1);
            const size_t slash1 = token.find('/');
            if (slash1 != std::string::npos) {
                corner.tcIndex = Uint32(std::atoi(token.c_str() + slash1 + 1) - 1);
                const size_t slash2 = token.find('/', slash1 + 1);
                if (slash2 != std::string::npos)
                    corner.normIndex = Uint32(std::atoi(token.c_str() + slash2 + 1) - 1);
            }
            if (!m_AnyFace || corner.vertIndex > m_MaxVertIndex) {
                m_AnyFace = true;
                m_MaxVertIndex = corner.vertIndex;
                m_MaxVertLine = lineNumber;
            }
            corners.push_back(corner);
        }
        for (size_t i = 1; i + 1 < corners.size(); ++i) {
            if (m_CurrentGroup < 0) {
                m_Groups.emplace_back();
                m_CurrentGroup = 0;
            }
            const VTNData& k0 = corners[0];
            const VTNData& k1 = corners[i];
            const VTNData& k2 = corners[i + 1];
            const TriFace face{{k0.vertIndex, k1.vertIndex, k2.vertIndex},
                               {k0.tcIndex, k1.tcIndex, k2.tcIndex},
                               {k0.normIndex, k1.normIndex, k2.normIndex}};
            m_Groups[size_t(m_CurrentGroup)].TriArray.push_back(face);
        }
    } else if (keyword == "usemtl" || keyword == "mtllib") {
        if (line.size() <= 6)
            throw sUnknownError{};
        std::string name = line.substr(7);
        if (keyword == "mtllib") {
            m_MtlLibName = name;
            return;
        }
        if (!name.empty() && name.back() == '\r')
            name.pop_back();
        m_Groups.emplace_back().MatName = name;
        ++m_CurrentGroup;
    }
}

bool cReferenceModel::LoadMTLFile(const char* mtlFileName, std::string& message)
{
    std::ifstream file(mtlFileName);
    if (!file) {
        message = "Error Opening Material File";
        return false;
    }
    std::string line;
    while (ReadLine(file, line)) {
        if (Keyword(line) != "newmtl")
            continue;
        Material& material = m_Materials.emplace_back();
        if (line.size() > 6)
            material.name = line.substr(7);
        // Each property line is read even past the end of the file, where it is empty.
        const char* keywords[4] = {"Ns", "Ka", "Kd", "Ks"};
        RGBColor* colours[4] = {nullptr, &material.ambient, &material.diffuse, &material.specular};
        for (int i = 0; i < 4; ++i) {
            if (!ReadLine(file, line))
                line.clear();
            float r, g, b;
            const std::string format = std::string(keywords[i]) + " %f %f %f";
            if (std::sscanf(line.c_str(), format.c_str(), &r, &g, &b) < (i == 0 ? 1 : 3)) {
                message = std::string("Mat File Load:  Error reading in ") + keywords[i];
                return false;
            }
            if (i == 0)
                material.Ns = r;
            else
                *colours[i] = RGBColor{r, g, b, 1.0f};
        }
    }
    return true;
}

namespace {

template <class T>
std::string Bits(const std::vector<T>& values)
{
    return std::string(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

template <class T>
std::string Raw(const T& value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }

std::string Bits(const Material& m) { return m.name + '\0' + Raw(m.Ns) + Raw(m.ambient) + Raw(m.diffuse) + Raw(m.specular); }

} // namespace

std::string CompareWithReference(const cModel& model, const cReferenceModel& reference)
{
    std::vector<std::pair<std::string, bool>> parts = {
        {"frame count", model.FrameCount() == reference.m_NumFrames},
        {"vertices", Bits(model.GetVertices()) == Bits(reference.m_Vertices)},
        {"texture coordinates", Bits(model.GetTexCoords()) == Bits(reference.m_TexCoords)},
        {"normals", Bits(model.GetNormals()) == Bits(reference.m_Normals)},
        {"mtllib '" + model.GetMtlLibName() + "'", model.GetMtlLibName() == reference.m_MtlLibName},
        {"group count", model.GetGroups().size() == reference.m_Groups.size()},
        {"material count", model.GetMaterials().size() == reference.m_Materials.size()},
    };
    for (size_t g = 0; g < model.GetGroups().size() && parts[5].second; ++g) {
        const Group& a = model.GetGroups()[g];
        const Group& b = reference.m_Groups[g];
        parts.emplace_back("group " + std::to_string(g) + " ('" + a.MatName + "')",
                           a.MatName == b.MatName && a.MatIndex == b.MatIndex && Bits(a.TriArray) == Bits(b.TriArray));
    }
    for (size_t m = 0; m < model.GetMaterials().size() && parts[6].second; ++m)
        parts.emplace_back("material " + std::to_string(m), Bits(model.GetMaterials()[m]) == Bits(reference.m_Materials[m]));
    for (const auto& [what, same] : parts)
        if (!same)
            return what + " differs";
    return "";
}
