// The view's projection and the GL state every frame of the park relies on.
#include "app/park.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

TEST(View, HeightZeroBehavesAsHeightOne)
{
    Frustum frustum;
    setViewProjection(800, 0, kDefaultFieldOfView, frustum);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[0], 0);
    EXPECT_EQ(viewport[1], 0);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 1);
    // The frustum got the same aspect as the projection: 800 / 1.
    EXPECT_NEAR(frustum.m_nearWidth, 2.0 * 3.0 * 0.41421356 * 800.0, 0.5);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
}

TEST(View, ProjectionAndFrustumShareTheView)
{
    Frustum frustum;
    setViewProjection(800, 600, kDefaultFieldOfView, frustum);
    GLfloat projection[16] = {};
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    // gluPerspective: m[5] = cot(fov / 2), m[0] = m[5] / aspect.
    EXPECT_NEAR(projection[5], 2.4142135f, 1e-4f);
    EXPECT_NEAR(projection[0], 2.4142135f * 0.75f, 1e-4f);
    EXPECT_NEAR(frustum.m_nearWidth, 3.314f, 0.001f);
}

TEST(View, FixedStateEnablesWhatEveryFrameReliesOn)
{
    setFixedGlState();
    for (GLenum capability : {GL_TEXTURE_2D, GL_COLOR_MATERIAL, GL_DEPTH_TEST, GL_LIGHT0,
                              GL_NORMALIZE, GL_LIGHTING, GL_CULL_FACE})
    {
        EXPECT_TRUE(glIsEnabled(capability)) << "capability 0x" << std::hex << capability;
    }
    EXPECT_FALSE(glIsEnabled(GL_FOG)) << "the frame switches fog itself";
    GLint fogMode = 0;
    glGetIntegerv(GL_FOG_MODE, &fogMode);
    EXPECT_EQ(fogMode, GL_LINEAR);
    GLfloat fogEnd = 0.0f;
    glGetFloatv(GL_FOG_END, &fogEnd);
    EXPECT_EQ(fogEnd, 600.0f);
    GLint depthFunction = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunction);
    EXPECT_EQ(depthFunction, GL_LEQUAL);
}
