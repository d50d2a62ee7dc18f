// Image files for texture programs: the file is read through the data file reader here and its
// bytes handed to the texture code, which decodes them (rvShaderProgram.cpp reads no files).
#include "Loader/rvDataPack.h"
#include "rvShaderProgram.h"

void rvTexColorProgram2D::LoadImage(const char* path, bool mipmaps)
{
    if (!path) return;
    int size = 0;
    uint8_t* bytes = rvDataPack::GetInstance()->ReadAll(path, size);
    // A failed load also drops the image loaded before; the effect that asked names the missing
    // image once (IsImageLoaded tells it).
    LoadImageFromMemory(bytes, size, mipmaps);
    delete[] bytes;
}
