#pragma once
// GL3 back end of the text stash: a GLSL 3.30 program, a one-channel texture holding the atlas,
// one vertex array and one buffer. The callbacks take a TextStashGLContext as user data.
#include <epoxy/gl.h>

struct TextStashGLContext
{
    GLuint tex;
    GLuint vao;
    GLuint vbo;
    GLuint prog;
    float projMat[16]; // column-major
    GLint loc_tex;
    GLint loc_pm;
    int width, height;
};

// The program, or 0 (every failed step's log goes to the standard error stream).
GLuint TextStashGLBuildProgram();
int TextStashGLCreate(void* userPtr, int width, int height);
int TextStashGLResize(void* userPtr, int width, int height);
void TextStashGLUpdate(void* userPtr, int* rect, const unsigned char* data);
void TextStashGLDraw(void* userPtr, const float* verts, const float* tcoords, const unsigned int* colors,
                     int nverts);
void TextStashGLDelete(void* userPtr);
