// modelpreview: draws an MS3D model at chosen frames from several directions into one PNG
// sheet, and prints the model's counts, joints and key ranges. Runs with an X display (under
// Xvfb: scripts/with-xvfb build/tools/modelpreview/modelpreview ...).
//
//   modelpreview <model.ms3d> [--out sheet.png] [--skin image.bmp|image.tga]
//                [--clip name:first-last[:count]]... [--clip name:a,b,c]... [--frames a,b,c]
//                [--views side,front,...]
//                [--turn degrees] [--ground y] [--radius r] [--cell pixels] [--icon]
// (--cell 64 ... 600 for a sheet, 16 ... 600 for an icon)
//
// Without --clip or --frames the frames are spread over the model's keys. --turn spins the
// model about y first so that it faces +x (the side view then shows its head on the right);
// --ground draws the ground plane at that model height, --radius a circle about the origin
// (both in model units). --icon draws a bare picture instead of a sheet: the first view at the
// first frame, no background, labels, ground or circle, transparent around the model (PNG with
// alpha), for an application icon.
#include "creatures/ms3dreader.h"
#include "formats/dibloader.h"
#include "formats/tgareader.h"
#include "math/vector.h"
#include "world/texture.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <IL/il.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
const int kWindowWidth = 800;
const int kWindowHeight = 600;
const float kFramesPerSecond = 24.0f;

struct ClipRequest
{
    std::string name;
    std::vector<float> frames;
};

struct View
{
    std::string name;
    float yaw = 0.0f;   // degrees about y, applied after the model's own turn
    float pitch = 0.0f; // degrees about x, looking down when positive
};

struct Options
{
    std::string model;
    std::string out = "preview.png";
    std::string skin;
    std::vector<ClipRequest> clips;
    std::vector<float> frames;
    std::vector<View> views;
    float turn = 0.0f;
    bool hasGround = false;
    float ground = 0.0f;
    float radius = 0.0f;
    int cell = 200;
    bool icon = false;
    // --icon-sizes: one icon a size, written where --out's %d is the size, and on one sheet.
    std::vector<int> iconSizes;
    std::string sheet;
    // Icons this small or smaller show the right-hand part of the model alone, as wide as it is
    // high (the triceratops' head and frill in the three-quarter view), which a menu can still
    // tell at 16 pixels; 0 shows the whole model at every size.
    int closeUpBelow = 0;
};

struct Shot
{
    std::string label;
    float frame = 0.0f;
};

struct Bounds2
{
    float minX = FLT_MAX, maxX = -FLT_MAX, minY = FLT_MAX, maxY = -FLT_MAX;

    void add(float x, float y)
    {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
    }
    bool empty() const { return minX > maxX; }
};

const View kAllViews[] = {{"side", 0.0f, 0.0f},  {"front", -90.0f, 0.0f},
                          {"top", 0.0f, 90.0f},  {"three-quarter", -35.0f, 22.0f},
                          {"back", 90.0f, 0.0f}, {"below", 0.0f, -90.0f}};

void usage()
{
    std::fprintf(stderr,
                 "usage: modelpreview <model.ms3d> [--out sheet.png] [--skin image.bmp|.tga]\n"
                 "       [--clip name:first-last[:count]]... [--frames a,b,c]\n"
                 "       [--views side,front,top,three-quarter,back,below] [--turn degrees]\n"
                 "       [--ground y] [--radius r] [--cell pixels] [--icon]\n"
                 "       [--icon-sizes 16,24,... --out icon-%%d.png [--sheet sheet.png]\n"
                 "        [--close-up-below pixels]]\n");
}

std::vector<std::string> splitList(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size())
    {
        const size_t end = text.find(separator, start);
        parts.push_back(
            text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
        {
            break;
        }
        start = end + 1;
    }
    return parts;
}

bool parseNumber(const std::string& text, float& value)
{
    char* end = nullptr;
    value = std::strtof(text.c_str(), &end);
    return !text.empty() && end && *end == '\0';
}

// "name:first-last[:count]" (count frames spread evenly, both ends included) or
// "name:frame,frame,...".
bool parseClip(const std::string& text, ClipRequest& clip)
{
    const std::vector<std::string> parts = splitList(text, ':');
    if (parts.size() < 2 || parts.size() > 3)
    {
        return false;
    }
    clip.name = parts[0];
    if (parts[1].find(',') != std::string::npos)
    {
        for (const std::string& part : splitList(parts[1], ','))
        {
            float frame = 0.0f;
            if (!parseNumber(part, frame))
            {
                return false;
            }
            clip.frames.push_back(frame);
        }
        return parts.size() == 2;
    }
    const std::vector<std::string> range = splitList(parts[1], '-');
    float first = 0.0f, last = 0.0f, count = 4.0f;
    if (range.size() != 2 || !parseNumber(range[0], first) || !parseNumber(range[1], last) ||
        last < first ||
        (parts.size() == 3 && (!parseNumber(parts[2], count) || count < 1.0f || count > 32.0f)))
    {
        return false;
    }
    const int frames = int(count);
    for (int k = 0; k < frames; ++k)
    {
        clip.frames.push_back(frames == 1 ? first : first + (last - first) * k / float(frames - 1));
    }
    return true;
}

bool parseViews(const std::string& text, std::vector<View>& views)
{
    for (const std::string& name : splitList(text, ','))
    {
        bool found = false;
        for (const View& view : kAllViews)
        {
            if (view.name == name)
            {
                views.push_back(view);
                found = true;
            }
        }
        if (!found)
        {
            std::fprintf(stderr, "modelpreview: unknown view \"%s\"\n", name.c_str());
            return false;
        }
    }
    return true;
}

bool parseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        const std::string value = hasValue ? argv[i + 1] : "";
        bool ok = true;
        if (arg.rfind("--", 0) != 0)
        {
            ok = options.model.empty();
            options.model = arg;
            if (ok)
            {
                continue;
            }
        }
        else if (arg == "--icon")
        {
            options.icon = true;
            continue;
        }
        else if (!hasValue)
        {
            ok = false;
        }
        else if (arg == "--out")
        {
            options.out = value;
        }
        else if (arg == "--icon-sizes")
        {
            for (const std::string& part : splitList(value, ','))
            {
                float size = 0.0f;
                ok = ok && parseNumber(part, size) && size >= 16.0f && size <= 600.0f;
                options.iconSizes.push_back(int(size));
            }
            options.icon = true;
        }
        else if (arg == "--sheet")
        {
            options.sheet = value;
        }
        else if (arg == "--close-up-below")
        {
            float size = 0.0f;
            ok = parseNumber(value, size) && size >= 0.0f && size <= 600.0f;
            options.closeUpBelow = int(size);
        }
        else if (arg == "--skin")
        {
            options.skin = value;
        }
        else if (arg == "--clip")
        {
            ClipRequest clip;
            ok = parseClip(value, clip);
            options.clips.push_back(clip);
        }
        else if (arg == "--frames")
        {
            for (const std::string& part : splitList(value, ','))
            {
                float frame = 0.0f;
                ok = ok && parseNumber(part, frame);
                options.frames.push_back(frame);
            }
        }
        else if (arg == "--views")
        {
            ok = parseViews(value, options.views);
        }
        else if (arg == "--turn")
        {
            ok = parseNumber(value, options.turn);
        }
        else if (arg == "--ground")
        {
            ok = parseNumber(value, options.ground);
            options.hasGround = true;
        }
        else if (arg == "--radius")
        {
            ok = parseNumber(value, options.radius);
        }
        else if (arg == "--cell")
        {
            float cell = 0.0f;
            ok = parseNumber(value, cell) && cell >= 16.0f && cell <= 600.0f;
            options.cell = int(cell);
        }
        else
        {
            ok = false;
        }
        if (!ok)
        {
            std::fprintf(stderr, "modelpreview: cannot use \"%s %s\"\n", arg.c_str(),
                         value.c_str());
            return false;
        }
        ++i;
    }
    if (options.model.empty())
    {
        usage();
        return false;
    }
    if (options.views.empty())
    {
        options.views.assign(kAllViews, kAllViews + 4);
    }
    if (options.icon)
    {
        options.views.resize(1);
        options.hasGround = false;
        options.radius = 0.0f;
    }
    if (!options.iconSizes.empty() && options.out.find("%d") == std::string::npos)
    {
        std::fprintf(stderr, "modelpreview: --icon-sizes needs an --out with %%d for the size\n");
        return false;
    }
    if (!options.icon && options.cell < 64)
    {
        std::fprintf(stderr, "modelpreview: a sheet's cells are 64 pixels or more; smaller ones "
                             "are for --icon\n");
        return false;
    }
    return true;
}

// Earliest and latest key of the whole model, in frames; false when it has no keys.
bool keyRange(const Model& model, float& first, float& last)
{
    first = FLT_MAX;
    last = -FLT_MAX;
    for (const Joint& joint : model.m_joints)
    {
        for (const std::vector<Keyframe>* keys :
             {&joint.m_rotationKeyframes, &joint.m_translationKeyframes})
        {
            if (!keys->empty())
            {
                first = std::min(first, keys->front().m_time * kFramesPerSecond / 1000.0f);
                last = std::max(last, keys->back().m_time * kFramesPerSecond / 1000.0f);
            }
        }
    }
    return first <= last;
}

void printModel(const Model& model, const std::string& name)
{
    std::printf("%s: %zu vertices, %zu triangles, %zu meshes, %zu materials, %zu joints\n",
                name.c_str(), model.m_vertices.size(), model.m_triangles.size(),
                model.m_meshes.size(), model.m_materials.size(), model.m_joints.size());
    for (size_t m = 0; m < model.m_materials.size(); ++m)
    {
        const Material& material = model.m_materials[m];
        std::printf("  material %zu: texture \"%s\"%s\n", m, material.m_texturePath.c_str(),
                    material.m_textureName ? " (loaded)" : "");
    }
    for (size_t j = 0; j < model.m_joints.size(); ++j)
    {
        const Joint& joint = model.m_joints[j];
        std::printf("  joint %2zu parent %2d: %3zu rotation keys, %3zu translation keys", j,
                    joint.m_parentIndex, joint.m_rotationKeyframes.size(),
                    joint.m_translationKeyframes.size());
        if (!joint.m_rotationKeyframes.empty())
        {
            std::printf(", rotations at frames %g ... %g",
                        joint.m_rotationKeyframes.front().m_time * kFramesPerSecond / 1000.0f,
                        joint.m_rotationKeyframes.back().m_time * kFramesPerSecond / 1000.0f);
        }
        std::printf("\n");
    }
    float first = 0.0f, last = 0.0f;
    if (keyRange(model, first, last))
    {
        std::printf("  keys span frames %g ... %g (at 24 frames per second)\n", first, last);
    }
    else
    {
        std::printf("  no keys: the model is static\n");
    }
}

std::vector<Shot> chooseShots(const Options& options, const Model& model)
{
    std::vector<Shot> shots;
    char label[128];
    for (const ClipRequest& clip : options.clips)
    {
        for (float frame : clip.frames)
        {
            std::snprintf(label, sizeof label, "%s  frame %g", clip.name.c_str(), frame);
            shots.push_back(Shot{label, frame});
        }
    }
    for (float frame : options.frames)
    {
        std::snprintf(label, sizeof label, "frame %g", frame);
        shots.push_back(Shot{label, frame});
    }
    if (!shots.empty())
    {
        return shots;
    }
    float first = 0.0f, last = 0.0f;
    if (!keyRange(model, first, last))
    {
        return {Shot{"bind pose", 0.0f}};
    }
    const int count = last > first ? 6 : 1;
    for (int k = 0; k < count; ++k)
    {
        const float frame = count == 1 ? first : first + (last - first) * k / float(count - 1);
        std::snprintf(label, sizeof label, "frame %.1f", frame);
        shots.push_back(Shot{label, frame});
    }
    return shots;
}

// Poses the model at one frame: a range of that single frame runs out at once and restarts
// at its start.
void poseAt(Model& model, float frame)
{
    model.setFrameRange(frame, frame);
    model.rewind();
    model.updatePose();
}

std::vector<Vector3> posedVertices(Model& model, float frame)
{
    poseAt(model, frame);
    std::vector<Vector3> out;
    for (const Vertex& vertex : model.m_vertices)
    {
        Vector3 p(vertex.m_position);
        if (vertex.m_joint >= 0)
        {
            p.transform(model.m_joints[size_t(vertex.m_joint)].m_final.m);
        }
        out.push_back(p);
    }
    return out;
}

// The model-to-view rotation of a view, as OpenGL would apply it: turn, then yaw, then pitch.
void viewRotation(const Options& options, const View& view, float matrix[16])
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(view.pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(view.yaw, 0.0f, 1.0f, 0.0f);
    glRotatef(options.turn, 0.0f, 1.0f, 0.0f);
    glGetFloatv(GL_MODELVIEW_MATRIX, matrix);
    glPopMatrix();
}

Bounds2 viewBounds(const Options& options, const View& view,
                   const std::vector<std::vector<Vector3>>& posed)
{
    float matrix[16];
    viewRotation(options, view, matrix);
    Bounds2 bounds;
    for (const std::vector<Vector3>& vertices : posed)
    {
        for (Vector3 p : vertices)
        {
            p.transform(matrix);
            bounds.add(p.x, p.y);
        }
    }
    if (options.radius > 0.0f)
    {
        bounds.add(-options.radius, -options.radius);
        bounds.add(options.radius, options.radius);
    }
    if (bounds.empty())
    {
        bounds.add(-1.0f, -1.0f);
        bounds.add(1.0f, 1.0f);
    }
    return bounds;
}

unsigned loadSkin(const std::string& path)
{
    if (path.empty())
    {
        return 0;
    }
    const bool isTga = path.size() >= 4 && (path.substr(path.size() - 4) == ".tga" ||
                                            path.substr(path.size() - 4) == ".TGA");
    if (isTga)
    {
        return loadTgaTexture(path.c_str());
    }
    DecodedImage image;
    if (!loadBitmapFile(path.c_str(), image))
    {
        std::fprintf(stderr, "%s: cannot be read as a BMP image\n", path.c_str());
        return 0;
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    uploadTexture(image);
    return name;
}

void setUpState()
{
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE); // as the park draws: counter-clockwise fronts, backs culled
    glFrontFace(GL_CCW);
    glCullFace(GL_BACK);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_NORMALIZE);
    glEnable(GL_COLOR_MATERIAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glShadeModel(GL_SMOOTH);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const GLfloat ambient[4] = {0.35f, 0.35f, 0.35f, 1.0f};
    const GLfloat diffuse[4] = {0.85f, 0.85f, 0.8f, 1.0f};
    glLightfv(GL_LIGHT0, GL_AMBIENT, ambient);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, diffuse);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
}

void drawBackground()
{
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor3f(0.80f, 0.85f, 0.90f);
    glVertex2f(-1.0f, -1.0f);
    glVertex2f(1.0f, -1.0f);
    glColor3f(0.95f, 0.96f, 0.98f);
    glVertex2f(1.0f, 1.0f);
    glVertex2f(-1.0f, 1.0f);
    glEnd();
    glEnable(GL_DEPTH_TEST);
}

void drawGround(const Options& options, float extent)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE); // the ground is a guide: parts below it show through
    glColor4f(0.35f, 0.45f, 0.3f, 0.45f);
    glBegin(GL_QUADS);
    glVertex3f(-extent, options.ground, -extent);
    glVertex3f(-extent, options.ground, extent);
    glVertex3f(extent, options.ground, extent);
    glVertex3f(extent, options.ground, -extent);
    glEnd();
    glColor4f(0.2f, 0.3f, 0.15f, 0.8f);
    glBegin(GL_LINES);
    const float step = extent / 8.0f;
    for (int k = -8; k <= 8; ++k)
    {
        glVertex3f(k * step, options.ground, -extent);
        glVertex3f(k * step, options.ground, extent);
        glVertex3f(-extent, options.ground, k * step);
        glVertex3f(extent, options.ground, k * step);
    }
    glEnd();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
}

// The culling circle in the view plane, through the origin.
void drawRadius(const Options& options)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glColor3f(0.75f, 0.3f, 0.3f);
    glBegin(GL_LINE_LOOP);
    for (int k = 0; k < 96; ++k)
    {
        const float angle = 2.0f * 3.14159265f * k / 96.0f;
        glVertex3f(options.radius * std::cos(angle), options.radius * std::sin(angle), 0.0f);
    }
    glEnd();
    glEnable(GL_DEPTH_TEST);
}

void drawText(int x, int y, const std::string& text, int viewportSize)
{
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, viewportSize, 0, viewportSize, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(0.1f, 0.1f, 0.15f);
    glRasterPos2i(x, y);
    for (char c : text)
    {
        glutBitmapCharacter(GLUT_BITMAP_HELVETICA_18, c);
    }
    glEnable(GL_DEPTH_TEST);
}

// Share of the viewport's pixels that something wrote depth to: only the model does.
double depthCover(int size)
{
    std::vector<float> depth(size_t(size) * size_t(size));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, size, size, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    size_t covered = 0;
    for (float d : depth)
    {
        covered += d < 1.0f ? 1 : 0;
    }
    return double(covered) / double(depth.size());
}

struct Cell
{
    std::vector<unsigned char> pixels; // RGB, or RGBA for an icon
    double cover = 0.0;                // share of the cell the model covers
};

// RGB rows and an alpha channel that is opaque exactly where the model wrote depth.
std::vector<unsigned char> readModelWithAlpha(int size)
{
    const size_t count = size_t(size) * size_t(size);
    std::vector<unsigned char> rgb(count * 3);
    std::vector<float> depth(count);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glReadPixels(0, 0, size, size, GL_DEPTH_COMPONENT, GL_FLOAT, depth.data());
    std::vector<unsigned char> rgba(count * 4);
    for (size_t i = 0; i < count; ++i)
    {
        for (size_t c = 0; c < 3; ++c)
        {
            rgba[i * 4 + c] = rgb[i * 3 + c];
        }
        rgba[i * 4 + 3] = depth[i] < 1.0f ? 255 : 0;
    }
    return rgba;
}

// One cell, drawn at `size` pixels in the window's lower-left corner and read back.
Cell renderCell(Model& model, const Options& options, const View& view, const Bounds2& bounds,
                const Shot& shot, unsigned skin, bool labelView, int size)
{
    glViewport(0, 0, size, size);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!options.icon)
    {
        drawBackground();
    }

    const float width = bounds.maxX - bounds.minX, height = bounds.maxY - bounds.minY;
    const float half = 0.56f * std::max(width, height);
    const float cx = 0.5f * (bounds.minX + bounds.maxX), cy = 0.5f * (bounds.minY + bounds.maxY);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(cx - half, cx + half, cy - half * 1.04f, cy + half * 0.96f, -100.0f * half,
            100.0f * half);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat light[4] = {0.3f, 0.8f, 0.6f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, light); // fixed to the viewer
    if (options.radius > 0.0f && view.pitch == 0.0f)
    {
        drawRadius(options);
    }
    glRotatef(view.pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(view.yaw, 0.0f, 1.0f, 0.0f);
    glRotatef(options.turn, 0.0f, 1.0f, 0.0f);
    if (options.hasGround && view.pitch >= 0.0f)
    {
        drawGround(options, 2.0f * half);
    }
    glEnable(GL_LIGHTING);
    if (skin)
    {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, skin);
    }
    else
    {
        glDisable(GL_TEXTURE_2D);
    }
    glColor3f(1.0f, 1.0f, 1.0f);
    model.setFrameRange(shot.frame, shot.frame);
    model.rewind();
    model.draw();
    glFinish();
    Cell cell;
    cell.cover = depthCover(size);
    if (options.icon)
    {
        cell.pixels = readModelWithAlpha(size);
        return cell;
    }

    drawText(6, size - 22, shot.label, size);
    if (labelView)
    {
        drawText(6, 8, view.name, size);
    }
    glFinish();
    cell.pixels.resize(size_t(size) * size_t(size) * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, size, size, GL_RGB, GL_UNSIGNED_BYTE, cell.pixels.data());
    return cell;
}

// Box filter from `factor` times the size down into the sheet at (left, bottom). With an alpha
// channel (channels 4) the colours are weighted by it, so that the transparent surroundings do
// not darken the model's edge.
void placeCell(std::vector<unsigned char>& sheet, int sheetWidth, int left, int bottom,
               const std::vector<unsigned char>& cell, int cellSize, int factor, int channels)
{
    const int rendered = cellSize * factor;
    const int colours = channels == 4 ? 3 : channels;
    for (int y = 0; y < cellSize; ++y)
    {
        for (int x = 0; x < cellSize; ++x)
        {
            int sums[4] = {};
            int alphaSum = 0;
            for (int dy = 0; dy < factor; ++dy)
            {
                for (int dx = 0; dx < factor; ++dx)
                {
                    const size_t pixel =
                        (size_t(y * factor + dy) * rendered + size_t(x * factor + dx)) *
                        size_t(channels);
                    const int weight = channels == 4 ? cell[pixel + 3] : 1;
                    alphaSum += weight;
                    for (int c = 0; c < colours; ++c)
                    {
                        sums[c] += cell[pixel + size_t(c)] * weight;
                    }
                }
            }
            unsigned char* pOut =
                &sheet[(size_t(bottom + y) * size_t(sheetWidth) + size_t(left + x)) *
                       size_t(channels)];
            for (int c = 0; c < colours; ++c)
            {
                pOut[c] = (unsigned char)(alphaSum > 0 ? sums[c] / alphaSum : 0);
            }
            if (channels == 4)
            {
                pOut[3] = (unsigned char)(alphaSum / (factor * factor));
            }
        }
    }
}

bool savePng(const std::string& path, int width, int height, int channels,
             std::vector<unsigned char>& pixels)
{
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    ilTexImage(ILuint(width), ILuint(height), 1, ILubyte(channels),
               channels == 4 ? IL_RGBA : IL_RGB, IL_UNSIGNED_BYTE, pixels.data());
    ilEnable(IL_FILE_OVERWRITE);
    ilEnable(IL_ORIGIN_SET);
    ilOriginFunc(IL_ORIGIN_LOWER_LEFT);
    const bool saved = ilSaveImage(path.c_str()) == IL_TRUE;
    ilDeleteImages(1, &image);
    if (!saved)
    {
        std::fprintf(stderr, "%s: cannot be written\n", path.c_str());
    }
    return saved;
}

// Each size's icon filtered down from at least 256 pixels; its RGBA rows, bottom row first.
std::vector<unsigned char> iconAt(Model& model, const Options& options, unsigned skin,
                                  const Shot& shot, const Bounds2& bounds, int size)
{
    const int factor = std::max(1, std::min(std::max(2, 256 / size), kWindowHeight / size));
    const Cell cell =
        renderCell(model, options, options.views.front(), bounds, shot, skin, false, size * factor);
    std::vector<unsigned char> icon(size_t(size) * size_t(size) * 4, 0);
    placeCell(icon, size, 0, 0, cell.pixels, size, factor, 4);
    return icon;
}

// Lays the RGBA `icon` over the RGB `sheet` (`sheetWidth` pixels wide) at `left`, `bottom`.
void pasteOver(std::vector<unsigned char>& sheet, int sheetWidth, int left, int bottom,
               const std::vector<unsigned char>& icon, int size)
{
    for (int y = 0; y < size; ++y)
    {
        for (int x = 0; x < size; ++x)
        {
            const unsigned char* from = &icon[(size_t(y) * size_t(size) + size_t(x)) * 4];
            unsigned char* to =
                &sheet[(size_t(bottom + y) * size_t(sheetWidth) + size_t(left + x)) * 3];
            for (int c = 0; c < 3; ++c)
            {
                to[c] = (unsigned char)((from[c] * from[3] + to[c] * (255 - from[3])) / 255);
            }
        }
    }
}

// The icons of every size asked for, and the sheet that shows them side by side at their own
// size, over a dark ground and a light one, as menus and docks show them.
bool writeIcons(Model& model, const Options& options, unsigned skin, const Shot& shot,
                const std::vector<std::vector<Vector3>>& posed)
{
    const Bounds2 whole = viewBounds(options, options.views.front(), posed);
    Bounds2 closeUp = whole;
    closeUp.minX = std::max(whole.minX, whole.maxX - (whole.maxY - whole.minY));
    const int gap = 16;
    int sheetWidth = gap;
    int largest = 0;
    for (int size : options.iconSizes)
    {
        sheetWidth += size + gap;
        largest = std::max(largest, size);
    }
    const int band = largest + 2 * gap;
    std::vector<unsigned char> sheet(size_t(sheetWidth) * size_t(2 * band) * 3, 232);
    std::fill(sheet.begin(), sheet.begin() + ptrdiff_t(size_t(sheetWidth) * size_t(band) * 3), 48);
    int left = gap;
    for (int size : options.iconSizes)
    {
        const Bounds2& bounds = size <= options.closeUpBelow ? closeUp : whole;
        std::vector<unsigned char> icon = iconAt(model, options, skin, shot, bounds, size);
        std::string path = options.out;
        path.replace(path.find("%d"), 2, std::to_string(size));
        if (!savePng(path, size, size, 4, icon))
        {
            return false;
        }
        pasteOver(sheet, sheetWidth, left, gap, icon, size);
        pasteOver(sheet, sheetWidth, left, band + gap, icon, size);
        std::printf("wrote %s (%d x %d)\n", path.c_str(), size, size);
        left += size + gap;
    }
    return options.sheet.empty() || savePng(options.sheet, sheetWidth, 2 * band, 3, sheet);
}
} // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    Options options;
    if (!parseOptions(argc, argv, options))
    {
        return 2;
    }
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(kWindowWidth, kWindowHeight);
    glutCreateWindow("modelpreview");
    setUpState();

    MilkshapeModel model;
    if (!model.loadFile(options.model.c_str()))
    {
        std::fprintf(stderr, "%s: the model cannot be loaded\n", options.model.c_str());
        return 1;
    }
    printModel(model, options.model);
    unsigned skin = loadSkin(options.skin);
    if (!skin && options.skin.empty() && !model.m_materials.empty())
    {
        skin = model.m_materials[0].m_textureName;
    }

    const std::vector<Shot> shots = chooseShots(options, model);
    std::vector<std::vector<Vector3>> posed;
    for (const Shot& shot : shots)
    {
        posed.push_back(posedVertices(model, shot.frame));
    }
    if (!options.iconSizes.empty())
    {
        return writeIcons(model, options, skin, shots.front(), posed) ? 0 : 1;
    }
    // Small icons are drawn at least 256 pixels wide and filtered down, so that their edges and
    // thin parts (the horns, the legs) are averaged in rather than lost between pixels.
    const int wanted = options.icon ? std::max(2, 256 / options.cell) : 2;
    const int factor = std::max(1, std::min(wanted, kWindowHeight / options.cell));
    const int columns = int(options.views.size());
    const int rows = options.icon ? 1 : int(shots.size());
    const int sheetWidth = columns * options.cell;
    const int sheetHeight = rows * options.cell;
    const int channels = options.icon ? 4 : 3;
    std::vector<unsigned char> sheet(size_t(sheetWidth) * size_t(sheetHeight) * size_t(channels),
                                     255);
    double leastCover = 1.0;
    for (int column = 0; column < columns; ++column)
    {
        const View& view = options.views[size_t(column)];
        const Bounds2 bounds = viewBounds(options, view, posed);
        for (int row = 0; row < rows; ++row)
        {
            const Cell cell = renderCell(model, options, view, bounds, shots[size_t(row)], skin,
                                         row == 0, options.cell * factor);
            leastCover = std::min(leastCover, cell.cover);
            placeCell(sheet, sheetWidth, column * options.cell,
                      sheetHeight - (row + 1) * options.cell, cell.pixels, options.cell, factor,
                      channels);
        }
    }
    if (!savePng(options.out, sheetWidth, sheetHeight, channels, sheet))
    {
        return 1;
    }
    std::printf("wrote %s (%d x %d); the model covers at least %.1f%% of every cell\n",
                options.out.c_str(), sheetWidth, sheetHeight, 100.0 * leastCover);
    return 0;
}
