#include "physics/ClothReference.h"

void TimestepReference(cCloth& cloth, float dt)
{
    std::vector<cMass>& masses = cloth.GetMasses();
    for (cMass& mass : masses) {
        mass.AddForce(cVector3{0, -9.8f, 0} * mass.GetMass());
        if (cloth.GetApplyExternalForce())
            mass.AddForce(cloth.GetExternalForce());
    }
    for (const cSpring& spring : cloth.GetSprings())
        spring.ApplySpringForce();
    for (cMass& mass : masses)
        if (!mass.GetImmovable())
            cloth.UpdateMassWithCollisionDetection(mass, dt);
    for (cMass& mass : masses)
        mass.ClearForce();
}
