#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "physics/cMass.h"
#include "physics/cMassMesh.h"
#include "physics/cSpring.h"

// A rectangular cloth: a grid of point masses joined by structural, shear and bend springs,
// integrated under gravity in fixed sub-steps and drawn as a lit mesh or as a wireframe.
// Springs, neighbours and the mesh point into the mass list, so a cloth is never copied.
class cCloth
{
public:
    cCloth() = default;
    cCloth(float width, float height, int numX, int numY, float mass, float structStiffness, float structDamping,
           float shearStiffness, float shearDamping, float bendStiffness, float bendDamping);
    cCloth(const cCloth&) = delete;
    cCloth& operator=(const cCloth&) = delete;

    // Builds the grid, pins masses (0, 0) and (numX - 1, 0) and makes the mesh, textured when a
    // texture name is given. Does nothing unless numX, numY > 1, width, height > 0 and the grid
    // has at most 65536 masses (the mesh indexes them with 16 bits).
    void Initialize(float width, float height, int numX, int numY, float mass, float structStiffness,
                    float structDamping, float shearStiffness, float shearDamping, float bendStiffness,
                    float bendDamping, const std::string& textureName = "");
    void InitMesh(const std::string& textureName);
    void Reset();   // flat at height 10, at rest
    void Free();    // empties masses and springs; the cloth stays marked initialised

    void Update(float dt);     // dt capped at 0.2, run as 1 to 10 sub-steps of about the step size
    // One sub-step, bitwise what stepping mass by mass and spring by spring through their
    // pointers would give. It uses eight-wide vectors where the processor has them; allowWide
    // false keeps it to four (the same result, for comparison).
    void Timestep(float dt, bool allowWide = true);
    void UpdateMassWithCollisionDetection(cMass& mass, float dt);

    void Draw();
    void DrawWireFrame();
    void DrawSolid();

    void AddForce(const cVector3& force);   // to every mass, for the next sub-step
    int GetMassIndex(int x, int y) const;   // -1 outside the grid
    void SetMethod(uint8_t method);         // 0 or 2: simple step; 1: four-stage step; others select 0
    void SetAllMassesImmovable(bool immovable);
    void SetCorner1(bool immovable);        // mass (0, 0)
    void SetCorner2(bool immovable);        // mass (numX - 1, 0)
    void SetCorner3(bool immovable);        // mass (0, numY - 1)
    void SetCorner4(bool immovable);        // mass (numX - 1, numY - 1)
    void SetExternalForce(bool apply, const cVector3& force)
    {
        m_ApplyExternalForce = apply;
        m_ExternalForce = force;
    }
    void SetDrawModes(bool solid, bool wireFrame)
    {
        m_DrawSolid = solid;
        m_DrawWireFrame = wireFrame;
    }

    bool GetApplyExternalForce() const { return m_ApplyExternalForce; }
    const cVector3& GetExternalForce() const { return m_ExternalForce; }
    bool IsInitialized() const { return m_Initialized; }
    uint8_t GetMethod() const { return m_Method; }
    float GetTimeAccumulator() const { return m_TimeAccumulator; }
    float GetStepSize() const { return m_StepSize; }
    const std::vector<cMass>& GetMasses() const { return m_Masses; }
    std::vector<cMass>& GetMasses() { return m_Masses; }
    const std::vector<cSpring>& GetSprings() const { return m_Springs; }
    const cMassMesh* GetMesh() const { return m_Mesh.get(); }
    cMassMesh* GetMesh() { return m_Mesh.get(); }
    int GetSubStepsOfLastUpdate() const { return m_LastSubSteps; }

private:
    void SetMassImmovable(int x, int y, bool immovable);
    int IndexOf(int x, int y) const;   // -1 outside the grid or the mass list
    void BuildSpringTopology();

    bool m_Initialized = false;
    uint8_t m_Method = 1;
    int m_NumX = 0, m_NumY = 0;
    float m_Width = 0, m_Height = 0;
    bool m_ApplyExternalForce = false;
    cVector3 m_ExternalForce{0, 0, 0};
    std::vector<cSpring> m_Springs;
    std::vector<cMass> m_Masses;
    float m_BendStiffness = 0, m_ShearStiffness = 0, m_StructStiffness = 0;
    float m_BendDamping = 0, m_ShearDamping = 0, m_StructDamping = 0;
    float m_TimeAccumulator = 0;
    float m_StepSize = 0.004f;
    bool m_DrawSolid = true;
    bool m_DrawWireFrame = false;
    std::unique_ptr<cMassMesh> m_Mesh;
    int m_LastSubSteps = 0;

    // Timestep's working set: the masses' state side by side (padded to a multiple of eight with
    // pinned dummies), the springs in an order of evaluation that puts neighbouring springs of one
    // kind together so that four or eight of them load their masses at once, and each spring's
    // contribution to its two masses, added up per mass in spring-list order.
    struct sStepBuffers
    {
        bool valid = false;
        size_t springCount = 0;
        std::vector<uint32_t> contributionStart;            // per mass, into contributions
        std::vector<uint32_t> contributions;                // per mass, its springs in list order
        // Per group of four masses: whose contributions lie side by side in every position, so
        // that the four sums are added up together.
        std::vector<uint8_t> alignedGroup;
        std::vector<uint32_t> evalMass1, evalMass2;         // per evaluation slot
        std::vector<float> stiffness, damping, restLength;  // per evaluation slot
        std::vector<uint8_t> contiguous4, contiguous8;      // per group of four or eight slots
        std::vector<float> px, py, pz, vx, vy, vz, fx, fy, fz, invMass, movable;   // per mass
        std::vector<uint8_t> clamp;                         // per mass: clamped through cMass::Update
        std::vector<float> cx, cy, cz;   // per evaluation slot: to its first mass, then to its second
    } m_Step;
};
