#include "ReferenceDrawing.h"

namespace {

void ApplyMaterial(const cModel& model, const Group& group, float alpha)
{
    // OpenGL's own defaults where the group's material was never loaded
    Material material{"", 0.0f, {0.2f, 0.2f, 0.2f, 1.0f}, {0.8f, 0.8f, 0.8f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}};
    if (group.MatIndex >= 0 && size_t(group.MatIndex) < model.GetMaterials().size())
        material = model.GetMaterials()[size_t(group.MatIndex)];
    material.ambient.a = material.diffuse.a = material.specular.a = alpha;
    glMaterialf(GL_FRONT, GL_SHININESS, material.Ns);
    glMaterialfv(GL_FRONT, GL_AMBIENT, &material.ambient.r);
    glMaterialfv(GL_FRONT, GL_DIFFUSE, &material.diffuse.r);
    glMaterialfv(GL_FRONT, GL_SPECULAR, &material.specular.r);
}

} // namespace

void AnimateImmediate(const cModel& model, unsigned int frame, float percent, float tx, float ty,
                      float tz, float sx, float sy, float sz, float angleDegrees, float ax, float ay,
                      float az, float alpha)
{
    const unsigned int frames = model.FrameCount();
    if (frame >= frames)
        return;
    const bool isStatic = model.IsStatic();
    if (model.IsTextureEnabled())
        glEnable(GL_TEXTURE_2D);
    else
        glDisable(GL_TEXTURE_2D);
    if (isStatic) {
        frame = 0;
        percent = 0.0f;
    } else {
        glEnable(GL_RESCALE_NORMAL);
    }
    const unsigned int next = isStatic ? 0 : (frame + 1) % frames;
    const auto& vertices = model.GetVertices();
    const auto& normals = model.GetNormals();
    const auto& texCoords = model.GetTexCoords();
    const size_t perFrame = vertices.size() / frames, normalsPerFrame = normals.size() / frames;
    const bool textured = !texCoords.empty() && model.IsTextureEnabled();

    glPushMatrix();
    glTranslatef(tx, ty, tz);
    glScalef(sx, sy, sz);
    if (angleDegrees != 0.0f)
        glRotatef(angleDegrees, ax, ay, az);
    if (model.IsTextureEnabled())
        glBindTexture(GL_TEXTURE_2D, model.GetTextureID());
    for (const Group& group : model.GetGroups()) {
        ApplyMaterial(model, group, alpha);
        glBegin(GL_TRIANGLES);
        for (const TriFace& face : group.TriArray) {
            Point3D corners[3];
            for (int k = 0; k < 3; ++k)
                cModel::Interpolate(vertices[face.vertIndex[k] + frame * perFrame],
                                    vertices[face.vertIndex[k] + next * perFrame], percent, corners[k]);
            for (int k = 0; k < 3; ++k) {
                Point3D normal;
                if (face.normIndex[k] < normalsPerFrame)
                    cModel::NormalInterpolate(normals[face.normIndex[k] + frame * normalsPerFrame],
                                              normals[face.normIndex[k] + next * normalsPerFrame],
                                              percent, normal);
                else   // lit as its face
                    CalculateNormal(corners[0].Data(), corners[1].Data(), corners[2].Data(), normal);
                glNormal3fv(normal.Data());
                if (textured) {
                    const TexCoord tc = face.tcIndex[k] < model.GetFirstFrameTexCoordCount()
                                            ? texCoords[face.tcIndex[k]] : TexCoord{};
                    glTexCoord2fv(&tc.u);
                }
                glVertex3fv(corners[k].Data());
            }
        }
        glEnd();
    }
    glPopMatrix();
    if (!isStatic)
        glDisable(GL_RESCALE_NORMAL);
}
