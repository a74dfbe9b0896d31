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

#include <cstdint>

class Frustum;
class Model;
class Terrain;

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
    DinosaurSet() = default;
    ~DinosaurSet();
    DinosaurSet(const DinosaurSet&) = delete;
    DinosaurSet& operator=(const DinosaurSet&) = delete;

    // (Re)creates the models, textures and every animal's starting state; releases those of an
    // earlier set-up. Needs the GL context.
    void setUp();
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

    // One tick and its drawing at the tick's own poses.
    void updateAndDraw(Terrain& terrain, Frustum& frustum);
    void update(const Terrain& terrain, const Frustum& frustum, DinosaurPainter& painter);

    Model* m_pTriceratopsModel = nullptr;
    int m_numTriceratops = 0;
    Triceratops m_triceratops[10];
    int m_parkSize = 0;
    char m_triceratopsFile[100] = {};
    int m_triceratopsMode = 0;
    Model* m_pStegocerasModel = nullptr;
    int m_numStegoceras = 0;
    Stegoceras m_stegoceras[4]; // element 0 leads the herd
    char m_stegocerasFile[100] = {};
    int m_herdStartled = 0;
    int m_scatterStarted = 0;
    int m_herdSpacing = 0;
    int m_stegocerasMode = 0;
    Model* m_pPterosaurModel = nullptr;
    int m_numPterosaurs = 0;
    Pterosaur m_pterosaurs[4];
    char m_pterosaurFile[100] = {};
    Model* m_pTyrannosaurModel = nullptr;
    Tyrannosaur m_tyrannosaur;
    char m_tyrannosaurFile[100] = {};
    int m_tyrannosaurMode = 0;
    int m_framesSinceSwitch = 0;
    int m_switchInterval = 0;
    unsigned m_textures[5] = {};

private:
    void releaseModels();
    void switchBehaviours();
    void setClips();
    void tickTriceratops(const Terrain& terrain);
    void tickHerd(const Terrain& terrain);
    void scatterHerd();
    void tickPterosaurs(const Terrain& terrain);
    void tickTyrannosaur(const Terrain& terrain);
    // A whole number in -(parkSize/2 - 50 - 1) ... +(parkSize/2 - 50 - 1): magnitude, then sign.
    float randomCoordinate() const;
};
