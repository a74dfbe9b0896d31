// The park's animals: ten triceratops, a herd of four stegoceras, four pterosaurs and one
// tyrannosaur, one skeletal model and texture per species. Set-up places them; every world tick
// switches behaviours, stands each animal on the ground and steers all; every displayed frame
// draws the visible ones part of the way from where the previous tick stood them to where the
// latest did.
//
// Steering is counted in ticks, not seconds; only the models' animation clocks run on real
// time. Headings are degrees about +y; a heading h walks along (cos h, -sin h) in (x, z).
#pragma once

#include "math/vector.h"
#include "world/texture.h"

#include <cstdint>
#include <memory>

class Frustum;
class Model;
class Terrain;

// A stretch of a model's frames (24 a second), first and last.
struct Clip
{
    float start;
    float end;
};

// The behaviours each species cycles through at every switch, in this order, and the clip each
// plays. Every walking species walks in its mode 0 (the stegoceras run); the pterosaurs flap
// through one clip throughout.
enum TriceratopsMode
{
    kTriceratopsWalking = 0,
    kTriceratopsGrazing = 1,
    kTriceratopsIdling = 2,
};
enum StegocerasMode
{
    kStegocerasRunning = 0,
    kStegocerasButting = 1, // grazing, and butting heads in pairs
};
enum TyrannosaurMode
{
    kTyrannosaurWalking = 0,
    kTyrannosaurEating = 1,
    kTyrannosaurRoaring = 2,
};
const Clip kTriceratopsClips[3] = {{1, 85}, {86, 195}, {195, 270}};
const Clip kStegocerasClips[2] = {{1, 110}, {120, 215}};
const Clip kTyrannosaurClips[3] = {{1, 60}, {135, 210}, {60, 135}};
const Clip kPterosaurClip = {0, 29};

// What the clips hold, for what goes with them (footfalls, knocks): each walk's footfalls come
// at even steps through the clip (two strides of the tyrannosaur, four footfalls; three cycles of
// the triceratops' four feet, twelve; six strides of the stegoceras' two feet, twelve), and in
// the stegoceras' graze and head-butt the two lunges reach furthest at these frames.
const int kTyrannosaurWalkFootfalls = 4;
const int kTriceratopsWalkFootfalls = 12;
const int kStegocerasRunFootfalls = 12;
const float kStegocerasHeadsMeet[2] = {183.65f, 195.05f};

// How many of each species the park has.
const int kTriceratopsCount = 10;
const int kStegocerasCount = 4;
const int kPterosaurCount = 4;

// Where an animal is drawn: its place on the ground and its heading as a tick stood it there,
// before the tick's step.
struct ShownPose
{
    Vector3 position;
    float heading = 0.0f;
};

// The fields every walking species shares, in their order.
struct Wanderer
{
    Vector3 m_position;
    float m_heading = 0.0f;
    float m_targetHeading = 0.0f;
    float m_walkTime = 0.0f;
    int m_facing = 0;
    int m_turning = 0;
    int m_hasStepped = 0;
    float m_walkDuration = 0.0f;
    ShownPose m_shown;
    ShownPose m_shownBefore; // the tick before
};

struct Triceratops : Wanderer
{
    float m_parkSize = 0.0f;

    void reset();
    void step();
};

struct Tyrannosaur : Wanderer
{
    float m_parkSize = 0.0f;

    void reset();
    void step();
};

struct Stegoceras : Wanderer
{
    float m_speed = 0.0f;
    float m_turnRate = 0.0f;
    float m_turnTolerance = 0.0f;
    float m_parkSize = 0.0f;

    void reset();
    void step();
};

struct Pterosaur
{
    Vector3 m_position;
    float m_heading = 0.0f;
    float m_targetHeading = 0.0f;
    float m_walkTime = 0.0f;
    int m_facing = 0;
    int m_circling = 0;
    int m_hasStepped = 0;
    float m_walkDuration = 0.0f;
    int m_circleDirection = 0; // 1: heading grows while circling; 0: it falls
    uint32_t m_circleFrames = 0;
    float m_parkSize = 0.0f;
    ShownPose m_shown;
    ShownPose m_shownBefore; // the tick before

    void reset();
    void step();
    // Begins a circling manoeuvre, or lengthens one that has not finished.
    void startCircling();
};

// √((x2 − x1)² + (z2 − z1)²), in single precision.
float planarDistance(float x1, float z1, float x2, float z2);

// Where a frame's drawing goes: the park's GL drawing, or a recorder in tests.
class DinosaurPainter
{
public:
    virtual ~DinosaurPainter() = default;
    virtual void bindTexture(unsigned textureName) = 0;
    // Draws `model` at `position`, turned by `angle` degrees about +y, scaled by `scale`
    // (1 = unscaled), then turned a further 180 degrees when `turnAround`.
    virtual void drawAnimal(Model* model, const Vector3& position, float angle, float scale,
                            bool turnAround) = 0;
};

class DinosaurSet
{
public:
    DinosaurSet();
    ~DinosaurSet();
    DinosaurSet(const DinosaurSet&) = delete;
    DinosaurSet& operator=(const DinosaurSet&) = delete;

    // (Re)creates the models, textures and every animal's starting state; releases those of an
    // earlier set-up. Needs the GL context. Uses the files readFiles read, if it ran since.
    void setUp();
    // The skins and the four models read ahead of set-up, without GL; a failure is said now.
    void readFiles();
    // All five textures or none: on any failure the earlier names stay.
    void loadTextures();
    // Everything of set-up but the textures: modes, models, placement. The models are read from
    // the working directory (a missing file leaves an empty model that draws nothing).
    void setUpAnimals();

    // One world tick: behaviour switch, clips, every animal onto the ground and its pose kept
    // for drawing, steering, fright.
    void tick(const Terrain& terrain);
    // The visible animals drawn `fraction` (0 ... 1) of the way from the previous tick's poses
    // to the latest.
    void draw(const Frustum& frustum, DinosaurPainter& painter, float fraction) const;
    // The same with the park's GL drawing.
    void drawWithGl(const Frustum& frustum, float fraction) const;
    // Every animal onto the ground where set-up put it, to be drawn there and not on a way from
    // where an earlier park had it.
    void settle(const Terrain& terrain);
    // Stops the models' clocks, so that every animal is drawn in mid-pose, or lets them run on.
    void holdClocks(bool held);

    std::unique_ptr<Model> m_pTriceratopsModel;
    int m_numTriceratops = 0;
    Triceratops m_triceratops[kTriceratopsCount];
    int m_parkSize = 0;
    char m_triceratopsFile[100] = {};
    int m_triceratopsMode = 0;
    std::unique_ptr<Model> m_pStegocerasModel;
    int m_numStegoceras = 0;
    Stegoceras m_stegoceras[kStegocerasCount]; // element 0 leads the herd
    char m_stegocerasFile[100] = {};
    int m_herdStartled = 0;
    int m_scatterStarted = 0;
    int m_herdSpacing = 0;
    int m_stegocerasMode = 0;
    std::unique_ptr<Model> m_pPterosaurModel;
    int m_numPterosaurs = 0;
    Pterosaur m_pterosaurs[kPterosaurCount];
    char m_pterosaurFile[100] = {};
    std::unique_ptr<Model> m_pTyrannosaurModel;
    Tyrannosaur m_tyrannosaur;
    char m_tyrannosaurFile[100] = {};
    int m_tyrannosaurMode = 0;
    int m_framesSinceSwitch = 0;
    int m_switchInterval = 0;
    unsigned m_textures[5] = {};

private:
    enum ModelFile
    {
        kTriceratopsModel,
        kStegocerasModel,
        kPterosaurModel,
        kTyrannosaurModel,
        kModelFileCount,
    };
    void readImages();
    // The model of `file`, read ahead or read now, with its material textures loaded.
    std::unique_ptr<Model> takeModel(ModelFile file);

    void switchBehaviours();
    void setClips();
    void tickTriceratops(const Terrain& terrain);
    void tickHerd(const Terrain& terrain);
    void scatterHerd();
    void tickPterosaurs(const Terrain& terrain);
    void tickTyrannosaur(const Terrain& terrain);
    // A whole number in -(parkSize/2 - 50 - 1) ... +(parkSize/2 - 50 - 1): magnitude, then sign.
    float randomCoordinate() const;

    RgbImageSet m_images;                                 // read, until uploaded
    std::unique_ptr<Model> m_readModels[kModelFileCount]; // read, until set-up takes them
};
