#pragma once
#include <string>
#include <vector>

#include "model/cModel.h"

// The plainest possible reader of the engine's OBJ and MTL subset: getline, sscanf and atoi, one
// std::string per line. Written only to check the engine's fast loader, which must build a
// bit-identical model from every file and refuse exactly the files this one refuses.
class cReferenceModel
{
public:
    // Loads one frame, as cModel::AddFrame does; false (with the message) when it is refused.
    bool AddFrame(const char* objFileName, std::string& message);
    bool LoadMTLFile(const char* mtlFileName, std::string& message);

    unsigned int m_NumFrames = 0;
    std::vector<Point3D> m_Vertices;
    std::vector<TexCoord> m_TexCoords;
    std::vector<Point3D> m_Normals;
    std::vector<Group> m_Groups;
    std::vector<Material> m_Materials;
    std::string m_MtlLibName;

private:
    void ParseLine(const std::string& line, bool firstFrame, unsigned int lineNumber);
    int m_CurrentGroup = -1;
    bool m_AnyFace = false;
    Uint32 m_MaxVertIndex = 0;
    unsigned int m_MaxVertLine = 0;
};

// Field by field and bit by bit (NaN equals NaN of the same bits); "" when equal, otherwise
// what differs first.
std::string CompareWithReference(const cModel& model, const cReferenceModel& reference);
