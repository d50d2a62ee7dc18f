// Image files for texture programs: the file is read through the data file reader here and its
// bytes handed to the texture code, which decodes them (rvShaderProgram.cpp reads no files).
#include "Loader/rvDataPack.h"
#include "rvShaderProgram.h"

rvImageLoad rvTexColorProgram2D::LoadImage(const char* path, bool mipmaps)
{
    if (!path) return rvImageLoad::Missing;
    int size = 0;
    uint8_t* bytes = rvDataPack::GetInstance()->ReadAll(path, size);
    // A failed load also drops the image loaded before; the effect that asked names the image
    // once, as missing or as unusable.
    const bool read = bytes && size > 0;
    const bool loaded = LoadImageFromMemory(bytes, size, mipmaps);
    delete[] bytes;
    return loaded ? rvImageLoad::Loaded : read ? rvImageLoad::Unusable : rvImageLoad::Missing;
}
