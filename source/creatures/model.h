// Animated, rigidly skinned models: meshes over one shared vertex list, materials, and a joint
// hierarchy with rotation and translation keys. A model keeps its own clock, poses itself for
// the current time at every draw and submits its distinct corners, posed, as one indexed draw
// of vertex arrays. Everything except Model::draw, the material textures (loaded, and deleted
// with the model) and loadTgaTexture is free of GL, so posing can be computed and tested without
// a window.
#pragma once

#include "formats/tgareader.h"
#include "math/matrix4.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Timer;

struct Vertex
{
    int8_t m_joint = -1;                      // joint that moves the vertex; -1 = static
    float m_position[3] = {0.0f, 0.0f, 0.0f}; // relative to its joint after prepareSkeleton
};

struct Triangle
{
    float m_normals[3][3] = {}; // relative to the corner vertex's joint after prepareSkeleton
    float m_texS[3] = {};
    float m_texT[3] = {};
    int m_cornerVertices[3] = {};
};

struct Mesh
{
    int m_material = -1;
    std::vector<int> m_triangleList; // indices into the model's triangles
};

struct Material
{
    float m_ambient[4] = {};
    float m_diffuse[4] = {};
    float m_specular[4] = {};
    float m_emissive[4] = {};
    float m_shininess = 0.0f;
    unsigned m_textureName = 0; // GL texture; 0 = none
    std::string m_texturePath;  // empty = no texture
};

struct Keyframe
{
    int m_jointIndex = 0;
    float m_time = 0.0f;                   // milliseconds from the start of the animation
    float m_value[3] = {0.0f, 0.0f, 0.0f}; // Euler radians (X, Y, Z) or an offset
};

struct Joint
{
    float m_bindRotation[3] = {0.0f, 0.0f, 0.0f};
    float m_bindTranslation[3] = {0.0f, 0.0f, 0.0f};
    Matrix4 m_absolute;                           // bind pose, joint space to model space
    Matrix4 m_relative;                           // bind pose, joint space to parent space
    std::vector<Keyframe> m_translationKeyframes; // ascending times
    std::vector<Keyframe> m_rotationKeyframes;    // ascending times
    int m_translationCursor = 0;
    int m_rotationCursor = 0;
    Matrix4 m_final; // current pose, joint space to model space
    int m_parentIndex = -1;
};

// The ends of a model's load failure lines: what the park does with the model instead.
inline constexpr char kModelNotDrawn[] = "the model is not drawn";
inline constexpr char kModelDrawnStill[] = "the model is drawn still, in its bind pose";

class Model
{
public:
    Model();
    virtual ~Model();

    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    virtual bool loadFile(const char* fileName) = 0;

    // Poses the model for the current time and submits every mesh; the caller binds the texture
    // and places the model. An empty model submits nothing.
    void draw();
    // Every joint's m_final for the clock's time within the frame range.
    void updatePose();
    // Builds the bind pose and moves vertices and normals into their joints' frames. Call once,
    // after checkStructure has accepted the arrays.
    void prepareSkeleton();
    // Cursors to 0, bind pose, clock to 0.
    void rewind();
    // Stops the model's clock where it is, so that it is drawn in the pose it has now, or lets
    // it run on from there. Holding twice is holding once.
    void holdClock(bool held);
    // Frames at 24 per second. A range starting before the current time needs a rewind.
    void setFrameRange(float start, float end);
    // The frame the model's clock has reached within the frame range, counted on past the end
    // as drawing restarts the range there: what goes with the animation (footfalls) follows it
    // whether or not the model is drawn.
    float clockFrame() const;
    // Stores one key; keyframeIndex must lie within the joint's keys of that channel.
    void setKeyframe(int jointIndex, int keyframeIndex, float time, const float* value,
                     bool isRotation);
    // Loads each material's TGA into a GL texture (a previous texture of the material is
    // released first). Needs a current GL context. A file that fails is named on stderr once
    // per load of the model, however often its textures are loaded again.
    void loadMaterialTextures();
    // Reads each material's TGA ahead of loadMaterialTextures, which then only uploads them: no
    // GL, for another thread while nothing else touches the model.
    void readMaterialImages();
    // Frees the joints and detaches every vertex from them, for joints that cannot form a
    // skeleton: the model is then drawn still, every vertex where its file puts it (the bind
    // pose), its materials kept.
    void removeSkeleton();

    // Checks every index posing and drawing follow: vertex joints, parents (without cycles),
    // triangle corners and mesh triangle lists; out-of-range mesh materials become -1. At the
    // first fault it prints "<name>: <what is wrong>; <what becomes of the model>", leaves the
    // model safe to draw as the line says (a bad vertex joint or parent removes the skeleton,
    // a bad triangle or mesh index clears the model) and returns false. On success the joints'
    // evaluation order (parents first) is set.
    bool checkStructure(const char* name);
    // Releases every array and the materials' GL textures and returns to the empty state.
    void clear();

    // A file holds at most 65535 of each, so every size fits an int.
    std::vector<Mesh> m_meshes;
    std::vector<Material> m_materials;
    std::vector<Triangle> m_triangles;
    std::vector<Vertex> m_vertices;
    std::vector<Joint> m_joints;
    std::unique_ptr<Timer> m_timer; // null if none could be made: the model stays at time 0
    bool m_clockHeld = false;
    float m_startFrame = 1.0f;
    float m_endFrame = 100.0f;

    // Joint indices with every parent before its children; index order until checkStructure
    // has found one, for a file that lists a child before its parent.
    std::vector<int> m_jointOrder;
    // Time of the last pose: a later pose at an earlier time restarts the key searches.
    double m_lastPoseTime = 0.0;
    // Texture files whose failure has been reported since the arrays were last cleared.
    std::vector<std::string> m_reportedTextureFailures;

    // The triangles' distinct corners (a vertex with one normal and one texture coordinate,
    // however many triangles meet there) and the triangles as three of them each, mesh after
    // mesh: the renderer transforms and lights each corner once, not once a triangle. Made
    // again by prepareSkeleton, and by a draw that finds the triangles' count changed.
    struct SharedCorner
    {
        int m_vertex = 0;
        float m_normal[3] = {};
        float m_texCoord[2] = {};
    };
    std::vector<SharedCorner> m_sharedCorners;
    std::vector<unsigned> m_cornerIndices;
    // The shared corners of the last pose as vertex arrays draw them: three floats of position
    // and of normal and two of texture coordinates each. Sized once per load.
    std::vector<float> m_cornerPositions;
    std::vector<float> m_cornerNormals;
    std::vector<float> m_cornerTexCoords;

    // Fills `order` with every joint after its parent. False when a parent index is out of range
    // or parents form a cycle; `badJoint` is then a joint where that shows.
    bool findJointOrder(std::vector<int>& order, int& badJoint) const;

private:
    // Triangle corners and mesh triangle lists within their arrays (out-of-range mesh materials
    // become -1); false with the first fault in `problem`.
    bool checkMeshIndices(std::string& problem);
    // Vertex joints within the joints and parents forming a tree, whose order it then keeps;
    // false with the first fault in `problem`.
    bool checkSkeletonIndices(std::string& problem);
    // Deletes the GL textures the materials hold (none without a loaded texture: no GL call).
    void releaseMaterialTextures();
    // Finds the triangles' distinct corners.
    void shareCorners();
    // The shared corners, posed, into the drawing arrays.
    void skinCorners();
    int jointAtStep(int step) const;
    const Matrix4* parentFinal(const Joint& joint) const;
    void poseJoint(Joint* pJoint, double time);

    // A material's TGA read ahead of its upload, or why it could not be.
    struct ReadSkin
    {
        TgaImage image;
        std::string reason;
        bool read = false;
    };
    std::vector<ReadSkin> m_readSkins; // one a material, from readMaterialImages to the upload
};

// TGA file to a new GL texture name (RGB or RGBA, linear filters); 0 when the file is refused,
// after one line naming it on stderr.
unsigned loadTgaTexture(const char* path);
// The same, quiet: on failure `reason` receives the reader's message.
unsigned loadTgaTexture(const char* path, std::string& reason);
// The texture of a TGA already read, as loadTgaTexture makes it.
unsigned textureFromTga(const TgaImage& texture);
