#include "ReferenceObjLoader.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct sUnknownError {};

// One whole line, however long, without its newline; false at the end of the file.
bool ReadLine(std::FILE* file, size_t bufferSize, std::string& line)
{
    line.clear();
    std::vector<char> buffer(bufferSize);
    bool any = false;
    for (;;) {
        std::memset(buffer.data(), 'X', buffer.size());
        if (!std::fgets(buffer.data(), int(buffer.size()), file))
            return any;
        any = true;
        // The terminator fgets wrote is the last NUL: the file's own NUL bytes come before it.
        size_t length = buffer.size() - 1;
        while (buffer[length] != '\0')
            --length;
        line.append(buffer.data(), length);
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            return true;
        }
    }
}

bool IsBlank(const std::string& token)
{
    for (char c : token)
        if (!std::isspace(static_cast<unsigned char>(c)))
            return false;
    return true;
}

} // namespace

bool cReferenceModel::AddFrame(const char* objFileName, std::string& message)
{
    if (!std::strstr(objFileName, ".obj")) {
        message = "File given without .obj extension";
        return false;
    }
    cReferenceModel before = *this;
    const bool firstFrame = m_NumFrames == 0;
    try {
        std::FILE* file = std::fopen(objFileName, "r");
        if (!file)
            throw std::string("Error Opening File");
        m_AnyFace = false;
        m_MaxVertIndex = 0;
        m_MaxVertLine = 0;
        const size_t vertices = m_Vertices.size(), normals = m_Normals.size();
        std::string line;
        unsigned int lineNumber = 0;
        try {
            while (ReadLine(file, 512, line))
                ParseLine(std::string(line.c_str()), firstFrame, ++lineNumber);
        } catch (...) {
            std::fclose(file);
            throw;
        }
        std::fclose(file);
        const size_t newVertices = m_Vertices.size() - vertices;
        const size_t newNormals = m_Normals.size() - normals;
        char text[160];
        if (firstFrame) {
            if (m_AnyFace && m_MaxVertIndex >= newVertices) {
                std::snprintf(text, sizeof text, "line %u: face uses vertex %d of %zu", m_MaxVertLine,
                              int(m_MaxVertIndex + 1), newVertices);
                throw std::string(text);
            }
            for (size_t i = 0; i < m_Groups.size(); ++i)
                for (size_t j = i + 1; j < m_Groups.size();) {
                    if (m_Groups[j].MatName == m_Groups[i].MatName) {
                        for (const TriFace& f : m_Groups[j].TriArray)
                            m_Groups[i].TriArray.push_back(f);
                        m_Groups.erase(m_Groups.begin() + long(j));
                    } else {
                        ++j;
                    }
                }
            for (Group& group : m_Groups) {
                group.MatIndex = -1;
                for (size_t m = 0; m < m_Materials.size() && group.MatIndex < 0; ++m)
                    if (m_Materials[m].name == group.MatName)
                        group.MatIndex = int(m);
            }
        } else {
            const size_t perFrame = before.m_Vertices.size() / before.m_NumFrames;
            const size_t normalsPerFrame = before.m_Normals.size() / before.m_NumFrames;
            if (newVertices != perFrame) {
                std::snprintf(text, sizeof text, "frame has %zu vertices where the first frame has %zu",
                              newVertices, perFrame);
                throw std::string(text);
            }
            if (newNormals != normalsPerFrame) {
                std::snprintf(text, sizeof text, "frame has %zu normals where the first frame has %zu",
                              newNormals, normalsPerFrame);
                throw std::string(text);
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
    if (line.empty() || line[0] == '#')
        return;
    const std::string keyword = line.substr(0, line.find_first_of(" \t"));
    if (keyword.empty())
        return;
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
        if (line.size() < 2)
            return;
        std::vector<VTNData> corners;
        size_t position = 2;
        for (;;) {
            const size_t space = line.find(' ', position);
            const std::string token = line.substr(position, space == std::string::npos ? std::string::npos : space - position);
            if (!IsBlank(token)) {
                VTNData corner;
                const size_t slash1 = token.find('/');
                if (slash1 == std::string::npos) {
                    corner.vertIndex = Uint32(std::atoi(token.c_str()) - 1);
                } else {
                    corner.vertIndex = Uint32(std::atoi(token.substr(0, slash1).c_str()) - 1);
                    const size_t slash2 = token.find('/', slash1 + 1);
                    if (slash2 == std::string::npos) {
                        corner.tcIndex = Uint32(std::atoi(token.substr(slash1 + 1).c_str()) - 1);
                    } else {
                        corner.tcIndex = Uint32(std::atoi(token.substr(slash1 + 1, slash2 - slash1 - 1).c_str()) - 1);
                        corner.normIndex = Uint32(std::atoi(token.substr(slash2 + 1).c_str()) - 1);
                    }
                }
                if (!m_AnyFace || corner.vertIndex > m_MaxVertIndex) {
                    m_AnyFace = true;
                    m_MaxVertIndex = corner.vertIndex;
                    m_MaxVertLine = lineNumber;
                }
                corners.push_back(corner);
            }
            if (space == std::string::npos)
                break;
            position = space + 1;
        }
        for (size_t i = 1; i + 1 < corners.size(); ++i) {
            if (m_CurrentGroup < 0) {
                m_Groups.emplace_back();
                m_CurrentGroup = 0;
            }
            const VTNData* k[3] = {&corners[0], &corners[i], &corners[i + 1]};
            TriFace face;
            for (int n = 0; n < 3; ++n) {
                face.vertIndex[n] = k[n]->vertIndex;
                face.tcIndex[n] = k[n]->tcIndex;
                face.normIndex[n] = k[n]->normIndex;
            }
            m_Groups[size_t(m_CurrentGroup)].TriArray.push_back(face);
        }
    } else if (keyword == "usemtl") {
        if (line.size() <= 6)
            throw sUnknownError{};
        Group group;
        group.MatName = line.substr(7);
        if (!group.MatName.empty() && group.MatName.back() == '\r')
            group.MatName.pop_back();
        m_Groups.push_back(group);
        ++m_CurrentGroup;
    } else if (keyword == "mtllib") {
        if (line.size() <= 6)
            throw sUnknownError{};
        m_MtlLibName = line.substr(7);
    }
}

bool cReferenceModel::LoadMTLFile(const char* mtlFileName, std::string& message)
{
    std::FILE* file = std::fopen(mtlFileName, "r");
    if (!file) {
        message = "Error Opening Material File";
        return false;
    }
    std::string raw, line;
    auto next = [&] {
        if (ReadLine(file, 256, raw))
            line = raw.c_str();
        else
            line.clear();
    };
    bool ok = true;
    while (ok && ReadLine(file, 256, raw)) {
        line = raw.c_str();
        if (line.empty() || line[0] == '#')
            continue;
        const std::string keyword = line.substr(0, line.find_first_of(" \t"));
        if (keyword != "newmtl")
            continue;
        m_Materials.emplace_back();
        Material& material = m_Materials.back();
        if (line.size() > 6)
            material.name = line.substr(7);
        float r, g, b;
        next();
        if (std::sscanf(line.c_str(), "Ns %f", &r) != 1) {
            message = "Mat File Load:  Error reading in Ns";
            ok = false;
            break;
        }
        material.Ns = r;
        const char* names[3] = {"Ka", "Kd", "Ks"};
        RGBColor* colours[3] = {&material.ambient, &material.diffuse, &material.specular};
        for (int i = 0; i < 3 && ok; ++i) {
            next();
            const std::string format = std::string(names[i]) + " %f %f %f";
            if (std::sscanf(line.c_str(), format.c_str(), &r, &g, &b) != 3) {
                message = std::string("Mat File Load:  Error reading in ") + names[i];
                ok = false;
            } else {
                *colours[i] = RGBColor{r, g, b, 1.0f};
            }
        }
    }
    std::fclose(file);
    return ok;
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
