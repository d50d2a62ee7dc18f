// Image files for texture programs: the file is read through the data file reader here and its
// bytes handed to the texture code, which decodes them (rvShaderProgram.cpp reads no files).
#include "Loader/rvDataPack.h"
#include "rvMessage.h"
#include "rvShaderProgram.h"

void rvTexColorProgram2D::LoadImage(const char* path, bool mipmaps)
{
    if (!path) return;
    int size = 0;
    uint8_t* bytes = rvDataPack::GetInstance()->ReadAll(path, size);
    // A missing or undecodable image is named once, here, where it is loaded; the effect draws
    // on without it.
    // (A failed load also drops the image loaded before.)
    if (!LoadImageFromMemory(bytes, size, mipmaps))
        rvReport(rvMessageKind::Error, bytes ? "cannot decode image \"%s\"\n" : "cannot read image \"%s\"\n",
                 path);
    delete[] bytes;
}
