// Drawing of scene nodes through OpenGL 1.1 client-side vertex arrays.
#include "scene/scene.h"

#include "gfx/gfx.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>

namespace {

constexpr GLsizei kVertexStride = sizeof(Vertex);

} // namespace

void SceneNode::drawMesh() {
    if (isDummy) {
        std::fprintf(stderr, "Attempting to render a dummy object %s\n", name);
        return;
    }
    if (blended) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    }
    // An empty mesh (a last triangle list of 0 triangles) has no records to point at.
    const Vertex* records = vertices.data();
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, kVertexStride, records ? &records->x : nullptr);
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(4, GL_FLOAT, kVertexStride, records ? &records->r : nullptr);
    if (textured) {
        glTexCoordPointer(2, GL_FLOAT, kVertexStride, records ? &records->u : nullptr);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnable(GL_TEXTURE_2D);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    // The buffers hold 3 * triangleCount entries once finished; the bound keeps GL inside them regardless.
    const size_t corners = std::min<size_t>(3 * static_cast<size_t>(triangleCount), indices.size());
    if (beginDrawCall(false)) glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(corners), GL_UNSIGNED_SHORT, indices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    if (textured) {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    if (blended) {
        glDisable(GL_BLEND);
    }
}

void Scene::drawNode(SceneNode& node) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, node.texture ? node.texture->id() : 0);
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(projectionMatrix.m);
    Matrix4 modelView;
    node.getWorldMatrix().multiply(modelView, viewMatrix);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(modelView.m);
    node.drawMesh();
    glDisable(GL_TEXTURE_2D);
}

void Scene::drawAll() {
    for (const std::unique_ptr<SceneNode>& node : nodes) {
        if (!node->isDummy && node->visible) {
            drawNode(*node);
        }
    }
}
