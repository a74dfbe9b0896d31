// make_reference_pictures <output directory>: draws every reference frame and
// writes it as a PNG named as the reference-picture test expects. Run by
// scripts/make-reference-pictures under a private X server; the test never remakes them.
#include "referencescene.h"

#include "scratchdirectory.h"

#include <GL/glut.h>

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_reference_pictures <output directory>\n");
        return 2;
    }
    // Absolute: the frames are drawn in a scratch working directory.
    const std::string output = std::filesystem::absolute(argv[1]).string();
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(800, 600);
    glutCreateWindow("Quillmere reference pictures");
    std::printf("renderer: %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    ScratchDirectory directory("quillmere-reference");
    directory.copyFromPark({"data", "textures", "terrainTexs"});
    int failures = 0;
    for (unsigned seed : kReferenceSeeds)
    {
        for (int pose = 0; pose < kReferencePoseCount; ++pose)
        {
            for (float sunAngle : kReferenceSunAngles)
            {
                const std::string path = output + "/" + referencePictureName(seed, pose, sunAngle);
                const Pixels frame = renderReferenceFrame(seed, pose, sunAngle);
                const bool saved = savePixelsPng(frame, path);
                std::printf("%s %s (contrast %.1f)\n", saved ? "wrote" : "could not write",
                            path.c_str(), frame.contrast());
                failures += saved ? 0 : 1;
            }
        }
    }
    return failures == 0 ? 0 : 1;
}
