// Dinosaur set-up, behaviour, steering and drawing.
#include "creatures/dinosaurs.h"

#include "creatures/model.h"
#include "creatures/ms3dreader.h"
#include "math/angles.h"
#include "math/frustum.h"
#include "math/random.h"
#include "world/terrain.h"
#include "world/texture.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>

namespace
{
const float kFrightDistance = 50.0f;
const float kDrawDistance = 500.0f;

// How each species stands and is drawn.
struct Look
{
    int textureIndex;
    float heightAboveGround;
    float radius;
    float extraTurn;
    float scale;
    bool turnAround;
};
const Look kTriceratopsLook = {1, -2.0f, 18.0f, 0.0f, 0.3f, false};
const Look kStegocerasLook = {2, 6.0f, 16.0f, 0.0f, 0.3f, false};
const Look kPterosaurLook = {4, 73.0f, 18.0f, 90.0f, 1.0f, false};
const Look kTyrannosaurLook = {0, 1.0f, 20.0f, 0.0f, 0.7f, true};

const char* const kTextureFiles[5] = {
    "textures/dinos/tyrannos.bmp",         "textures/dinos/triceratops_goodOne.bmp",
    "textures/dinos/stegoceras.bmp",       "textures/lsystemstree/leafytile.bmp",
    "textures/lsystemstree/leafytile.bmp",
};
const char* const kModelFiles[4] = {
    "data/tritex.ms3d",
    "data/running grazing headbutting standing.ms3d",
    "data/petradon.ms3d",
    "data/trex_WalkRoarEat.ms3d",
};

// Walking parameters of one species.
struct Gait
{
    float turnRate;
    float tolerance;
    float speed;
    bool coinToss; // a new course may run to the left (negative) as well
};

// |integer part| < limit on both axes.
bool isInside(const Vector3& position, float limit)
{
    return std::abs(int(position.x)) < limit && std::abs(int(position.z)) < limit;
}

void stepAlong(Vector3& position, float heading, float speed)
{
    const float angle = heading * kDegreesToRadians;
    position.x += std::cos(angle) * speed;
    position.z -= std::sin(angle) * speed;
}

void resetWanderer(Wanderer& animal)
{
    animal.m_heading = float(nextRandom() % 180);
    animal.m_targetHeading = animal.m_heading;
    animal.m_walkTime = 0.0f;
    animal.m_facing = 1;
    animal.m_turning = 0;
    animal.m_hasStepped = 1;
    animal.m_walkDuration = 30.0f;
}

// One frame of wandering: a new course when the walk has run its time, turning on the spot
// towards it, and a turn back at the park's edge.
void wander(Wanderer& animal, float parkSize, const Gait& gait)
{
    if (animal.m_walkTime > animal.m_walkDuration)
    {
        animal.m_targetHeading = float(nextRandom() % 90);
        if (gait.coinToss && nextRandom() % 2 == 1)
        {
            animal.m_targetHeading = -animal.m_targetHeading;
        }
        animal.m_walkTime = 0.0f;
        animal.m_walkDuration = float(50 + nextRandom() % 150);
        animal.m_facing = 0;
        animal.m_turning = 1;
    }
    if (animal.m_turning)
    {
        animal.m_heading +=
            animal.m_targetHeading < animal.m_heading ? -gait.turnRate : gait.turnRate;
    }
    if (float(std::abs(int(animal.m_heading - animal.m_targetHeading))) <= gait.tolerance)
    {
        animal.m_facing = 1;
        animal.m_turning = 0;
    }
    const bool inside = isInside(animal.m_position, parkSize / 2.0f - 50.0f);
    if ((animal.m_facing && inside) || !animal.m_hasStepped)
    {
        stepAlong(animal.m_position, animal.m_targetHeading, gait.speed);
        animal.m_walkTime += 0.1f;
        animal.m_hasStepped = 1;
    }
    else if (!inside && animal.m_hasStepped)
    {
        animal.m_targetHeading = animal.m_heading + 180.0f;
        animal.m_hasStepped = 0;
        animal.m_turning = 1;
        animal.m_facing = 0;
    }
}

// Stands the animal on the ground (drawn or not) and keeps that pose as the tick's to draw.
template <class Animal> void standAndShow(Animal& animal, const Look& look, const Terrain& terrain)
{
    Vector3& position = animal.m_position;
    position.y = terrain.groundHeight(position.x, position.z) + look.heightAboveGround;
    animal.m_shownBefore = animal.m_shown;
    animal.m_shown = ShownPose{position, animal.m_heading};
}

// Draws the animal, when it can be seen, `fraction` of the way between its last two poses.
template <class Animal>
void drawIfSeen(const Animal& animal, float fraction, const Look& look,
                const std::unique_ptr<Model>& model, const unsigned* textures,
                const Frustum& frustum, DinosaurPainter& painter)
{
    const Vector3 position = lerp(animal.m_shownBefore.position, animal.m_shown.position, fraction);
    const float heading = lerp(animal.m_shownBefore.heading, animal.m_shown.heading, fraction);
    if (!frustum.isSphereVisible(position, look.radius, kDrawDistance))
    {
        return;
    }
    if (look.turnAround)
    {
        // The tyrannosaur's texture is bound only when it is drawn.
        painter.bindTexture(textures[look.textureIndex]);
    }
    painter.drawAnimal(model.get(), position, heading + look.extraTurn, look.scale,
                       look.turnAround);
}

template <class Animal> void settleAnimal(Animal& animal, const Look& look, const Terrain& terrain)
{
    standAndShow(animal, look, terrain);
    animal.m_shownBefore = animal.m_shown;
}

// The park's GL drawing of one frame.
class GlDinosaurPainter : public DinosaurPainter
{
public:
    void bindTexture(unsigned textureName) override { glBindTexture(GL_TEXTURE_2D, textureName); }

    void drawAnimal(Model* model, const Vector3& position, float angle, float scale,
                    bool turnAround) override
    {
        glPushMatrix();
        glTranslatef(position.x, position.y, position.z);
        glRotatef(angle, 0.0f, 1.0f, 0.0f);
        if (scale != 1.0f)
        {
            glScalef(scale, scale, scale);
        }
        if (turnAround)
        {
            glRotatef(180.0f, 0.0f, 1.0f, 0.0f);
        }
        if (model)
        {
            model->draw();
        }
        glPopMatrix();
    }
};

// A model that fails to load draws nothing, or stands still when only its skeleton is broken;
// the reader says which.
std::unique_ptr<Model> readModel(const char* fileName)
{
    std::unique_ptr<MilkshapeModel> model = std::make_unique<MilkshapeModel>();
    model->readFile(fileName);
    model->readMaterialImages();
    return model;
}
} // namespace

void Triceratops::reset()
{
    resetWanderer(*this);
    m_parkSize = kParkSize;
}

void Triceratops::step()
{
    wander(*this, m_parkSize, Gait{3.5f, 3.5f, 1.1f, false});
}

void Tyrannosaur::reset()
{
    resetWanderer(*this);
    m_parkSize = kParkSize;
}

void Tyrannosaur::step()
{
    wander(*this, m_parkSize, Gait{3.5f, 3.5f, 4.1f, true});
}

void Stegoceras::reset()
{
    resetWanderer(*this);
    m_parkSize = kParkSize;
    m_speed = 4.1f;
    m_turnRate = 3.5f;
    m_turnTolerance = m_turnRate;
}

void Stegoceras::step()
{
    wander(*this, m_parkSize, Gait{m_turnRate, m_turnTolerance, m_speed, true});
}

void Pterosaur::reset()
{
    m_heading = float(nextRandom() % 180);
    m_targetHeading = m_heading;
    m_walkTime = 0.0f;
    m_facing = 1;
    m_circling = 0;
    m_hasStepped = 1;
    m_walkDuration = 30.0f;
    m_parkSize = kParkSize;
    m_circleFrames = 0;
    m_circleDirection = 0;
}

void Pterosaur::step()
{
    if (m_circling)
    {
        m_heading += m_circleDirection == 1 ? 1.0f : -1.0f;
        m_targetHeading = m_heading;
        if (m_circleFrames != 0)
        {
            m_circleFrames -= 1;
        }
        if (m_circleFrames == 0)
        {
            m_circling = 0;
        }
    }
    // The flyers range over a square far larger than the walkers'.
    const float limit = m_parkSize + 200.0f;
    if ((m_facing && isInside(m_position, limit)) || !m_hasStepped)
    {
        stepAlong(m_position, m_targetHeading, 4.1f);
        m_hasStepped = 1;
    }
    if (!isInside(m_position, limit) && m_hasStepped)
    {
        m_heading += 180.0f;
        m_targetHeading = m_heading;
        m_hasStepped = 0;
        m_facing = 1;
    }
}

void Pterosaur::startCircling()
{
    m_circling = 1;
    m_circleFrames += uint32_t(nextRandom() % 50);
    m_circleDirection = nextRandom() % 2;
}

float planarDistance(float x1, float z1, float x2, float z2)
{
    const float dx = (x2 - x1) * (x2 - x1);
    const float dz = (z2 - z1) * (z2 - z1);
    return std::sqrt(dx + dz);
}

DinosaurSet::DinosaurSet() = default;

DinosaurSet::~DinosaurSet()
{
    // A set that never loaded its skins holds no names and makes no GL call.
    if (m_textures[0] != 0)
    {
        glDeleteTextures(5, m_textures);
    }
}

void DinosaurSet::readImages()
{
    const char* instead = m_textures[0] != 0 ? "the dinosaurs keep their earlier textures"
                                             : "the dinosaurs are drawn untextured";
    m_images = readRgbImageSet(kTextureFiles, 5, instead);
}

void DinosaurSet::readFiles()
{
    readImages();
    for (int file = 0; file < kModelFileCount; ++file)
    {
        m_readModels[file] = readModel(kModelFiles[file]);
    }
}

std::unique_ptr<Model> DinosaurSet::takeModel(ModelFile file)
{
    std::unique_ptr<Model> model = std::move(m_readModels[file]);
    if (!model)
    {
        model = readModel(kModelFiles[file]);
    }
    model->loadMaterialTextures();
    return model;
}

void DinosaurSet::loadTextures()
{
    if (!m_images.read)
    {
        readImages();
    }
    unsigned fresh[5] = {};
    const bool loaded = uploadRgbTextureSet(m_images, fresh);
    m_images = RgbImageSet();
    if (loaded)
    {
        // Only a complete new set replaces the old one, whose names are then released.
        glDeleteTextures(5, m_textures);
        for (int i = 0; i < 5; ++i)
        {
            m_textures[i] = fresh[i];
        }
    }
    // Sphere mapping stays configured but is never enabled: the models keep their own
    // texture coordinates.
    glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
    glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
}

void DinosaurSet::setUp()
{
    loadTextures();
    setUpAnimals();
}

float DinosaurSet::randomCoordinate() const
{
    const int magnitude = nextRandom() % (m_parkSize / 2 - 50);
    const int sign = nextRandom() % 2 == 0 ? 1 : -1;
    return float(magnitude * sign);
}

void DinosaurSet::setUpAnimals()
{
    m_triceratopsMode = 0;
    m_stegocerasMode = 0;
    m_tyrannosaurMode = 0;
    m_herdStartled = 0;
    m_scatterStarted = 0;
    m_framesSinceSwitch = 0;
    m_switchInterval = int(randomRange(10.0f, 100.0f));

    std::snprintf(m_triceratopsFile, sizeof m_triceratopsFile, "%s",
                  kModelFiles[kTriceratopsModel]);
    std::snprintf(m_stegocerasFile, sizeof m_stegocerasFile, "%s", kModelFiles[kStegocerasModel]);
    std::snprintf(m_tyrannosaurFile, sizeof m_tyrannosaurFile, "%s",
                  kModelFiles[kTyrannosaurModel]);
    std::snprintf(m_pterosaurFile, sizeof m_pterosaurFile, "%s", kModelFiles[kPterosaurModel]);

    m_parkSize = int(kParkSize);
    m_numTriceratops = kTriceratopsCount;
    m_pTriceratopsModel = takeModel(kTriceratopsModel);
    m_numStegoceras = kStegocerasCount;
    m_pStegocerasModel = takeModel(kStegocerasModel);
    m_herdSpacing = 25;
    m_numPterosaurs = kPterosaurCount;
    m_pPterosaurModel = takeModel(kPterosaurModel);
    m_pTyrannosaurModel = takeModel(kTyrannosaurModel);

    for (Triceratops& triceratops : m_triceratops)
    {
        triceratops.m_position.x = randomCoordinate();
        triceratops.m_position.z = randomCoordinate();
        triceratops.reset();
    }

    Stegoceras& leader = m_stegoceras[0];
    leader.m_position.x = randomCoordinate();
    leader.m_position.z = randomCoordinate();
    leader.reset();
    for (int i = 1; i < m_numStegoceras; ++i)
    {
        Stegoceras& follower = m_stegoceras[i];
        follower.m_position.x = leader.m_position.x - float(i * m_herdSpacing);
        follower.m_position.z = leader.m_position.z - float(i * m_herdSpacing);
        follower.reset();
        follower.m_heading = leader.m_heading;
        follower.m_targetHeading = leader.m_targetHeading;
    }

    for (Pterosaur& pterosaur : m_pterosaurs)
    {
        pterosaur.m_position.x = randomCoordinate();
        pterosaur.m_position.z = randomCoordinate();
        pterosaur.reset();
    }
    m_pPterosaurModel->setFrameRange(kPterosaurClip.start, kPterosaurClip.end);

    m_tyrannosaur.m_position.x = randomCoordinate();
    m_tyrannosaur.m_position.z = randomCoordinate();
    m_tyrannosaur.reset();
}

void DinosaurSet::tick(const Terrain& terrain)
{
    m_framesSinceSwitch += 1;
    if (m_framesSinceSwitch >= m_switchInterval)
    {
        switchBehaviours();
    }
    setClips();
    tickTriceratops(terrain);
    tickHerd(terrain);
    tickPterosaurs(terrain);
    tickTyrannosaur(terrain);

    const Vector3& tyrannosaur = m_tyrannosaur.m_position;
    const Vector3& leader = m_stegoceras[0].m_position;
    if (planarDistance(tyrannosaur.x, tyrannosaur.z, leader.x, leader.z) < kFrightDistance)
    {
        m_herdStartled = 1;
    }
}

void DinosaurSet::draw(const Frustum& frustum, DinosaurPainter& painter, float fraction) const
{
    painter.bindTexture(m_textures[kTriceratopsLook.textureIndex]);
    for (int i = 0; i < m_numTriceratops; ++i)
    {
        drawIfSeen(m_triceratops[i], fraction, kTriceratopsLook, m_pTriceratopsModel, m_textures,
                   frustum, painter);
    }
    painter.bindTexture(m_textures[kStegocerasLook.textureIndex]);
    for (int i = 0; i < m_numStegoceras; ++i)
    {
        drawIfSeen(m_stegoceras[i], fraction, kStegocerasLook, m_pStegocerasModel, m_textures,
                   frustum, painter);
    }
    painter.bindTexture(m_textures[kPterosaurLook.textureIndex]);
    for (int i = 0; i < m_numPterosaurs; ++i)
    {
        drawIfSeen(m_pterosaurs[i], fraction, kPterosaurLook, m_pPterosaurModel, m_textures,
                   frustum, painter);
    }
    drawIfSeen(m_tyrannosaur, fraction, kTyrannosaurLook, m_pTyrannosaurModel, m_textures, frustum,
               painter);
}

void DinosaurSet::drawWithGl(const Frustum& frustum, float fraction) const
{
    // The skins are lit and shaded by plain modulation; the terrain before leaves its doubling
    // combine behind, and whether a tree was drawn in between must not change the animals.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    GlDinosaurPainter painter;
    draw(frustum, painter, fraction);
}

void DinosaurSet::settle(const Terrain& terrain)
{
    for (Triceratops& triceratops : m_triceratops)
    {
        settleAnimal(triceratops, kTriceratopsLook, terrain);
    }
    for (Stegoceras& member : m_stegoceras)
    {
        settleAnimal(member, kStegocerasLook, terrain);
    }
    for (Pterosaur& pterosaur : m_pterosaurs)
    {
        settleAnimal(pterosaur, kPterosaurLook, terrain);
    }
    settleAnimal(m_tyrannosaur, kTyrannosaurLook, terrain);
}

void DinosaurSet::holdClocks(bool held)
{
    for (Model* model : {m_pTriceratopsModel.get(), m_pStegocerasModel.get(),
                         m_pPterosaurModel.get(), m_pTyrannosaurModel.get()})
    {
        if (model)
        {
            model->holdClock(held);
        }
    }
}

void DinosaurSet::switchBehaviours()
{
    m_framesSinceSwitch = 0;
    m_switchInterval = int(randomRange(10.0f, 100.0f));
    m_triceratopsMode = (m_triceratopsMode + 1) % int(std::size(kTriceratopsClips));
    m_stegocerasMode = (m_stegocerasMode + 1) % int(std::size(kStegocerasClips));
    m_tyrannosaurMode = (m_tyrannosaurMode + 1) % int(std::size(kTyrannosaurClips));
    for (Pterosaur& pterosaur : m_pterosaurs)
    {
        pterosaur.startCircling();
    }
    // Each new clip starts at its first frame; the pterosaurs' flapping runs on.
    for (Model* model :
         {m_pTriceratopsModel.get(), m_pStegocerasModel.get(), m_pTyrannosaurModel.get()})
    {
        if (model)
        {
            model->rewind();
        }
    }
}

void DinosaurSet::setClips()
{
    const Clip clips[3] = {kTriceratopsClips[m_triceratopsMode], kStegocerasClips[m_stegocerasMode],
                           kTyrannosaurClips[m_tyrannosaurMode]};
    Model* models[3] = {m_pTriceratopsModel.get(), m_pStegocerasModel.get(),
                        m_pTyrannosaurModel.get()};
    for (int i = 0; i < 3; ++i)
    {
        if (models[i])
        {
            models[i]->setFrameRange(clips[i].start, clips[i].end);
        }
    }
}

void DinosaurSet::tickTriceratops(const Terrain& terrain)
{
    for (int i = 0; i < m_numTriceratops; ++i)
    {
        Triceratops& triceratops = m_triceratops[i];
        standAndShow(triceratops, kTriceratopsLook, terrain);
        if (m_triceratopsMode == kTriceratopsWalking)
        {
            triceratops.step();
        }
    }
}

void DinosaurSet::scatterHerd()
{
    for (int i = 0; i < m_numStegoceras; ++i)
    {
        Stegoceras& member = m_stegoceras[i];
        member.m_facing = 0;
        member.m_turning = 1;
        member.m_speed = 7.1f;
        member.m_turnRate = 12.0f;
        member.m_turnTolerance = 12.0f;
        member.m_targetHeading = member.m_heading + 90.0f * float(i);
    }
    // The last one turns the short way.
    Stegoceras& last = m_stegoceras[3];
    last.m_targetHeading = last.m_heading - 90.0f;
    m_scatterStarted = 1;
}

void DinosaurSet::tickHerd(const Terrain& terrain)
{
    if (m_herdStartled && !m_scatterStarted)
    {
        scatterHerd();
    }
    const Stegoceras& leader = m_stegoceras[0];
    for (int i = 0; i < m_numStegoceras; ++i)
    {
        Stegoceras& member = m_stegoceras[i];
        standAndShow(member, kStegocerasLook, terrain);
        if (m_stegocerasMode == kStegocerasRunning)
        {
            member.step();
        }
        // A calm follower keeps to the leader's course.
        if (!m_herdStartled && i > 0)
        {
            member.m_targetHeading = leader.m_targetHeading;
            member.m_walkDuration = leader.m_walkDuration;
        }
    }
}

void DinosaurSet::tickPterosaurs(const Terrain& terrain)
{
    for (int i = 0; i < m_numPterosaurs; ++i)
    {
        Pterosaur& pterosaur = m_pterosaurs[i];
        standAndShow(pterosaur, kPterosaurLook, terrain);
        pterosaur.step();
    }
}

void DinosaurSet::tickTyrannosaur(const Terrain& terrain)
{
    standAndShow(m_tyrannosaur, kTyrannosaurLook, terrain);
    if (m_tyrannosaurMode == kTyrannosaurWalking)
    {
        m_tyrannosaur.step();
    }
}
