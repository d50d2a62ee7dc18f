#pragma once
// A named off-screen render target: framebuffer with colour and depth (or depth-stencil) textures
// chosen by flags, an optional vector display drawing into an inner buffer "Vector", a lazily made
// copy twin ("<name>Copy") and a camera with its projection and view matrices.
#include <epoxy/gl.h>

#include <glm/glm.hpp>

#include <string>

struct vector_display;
struct rvTexColorProgram2D;

// Creation flags (_nFlags).
enum
{
    BUFFER_COLOR = 1,         // RGBA8 colour texture, colour attachment 0
    BUFFER_DEPTH = 2,         // float depth texture (only when BUFFER_DEPTH_STENCIL is clear)
    BUFFER_DEPTH_STENCIL = 4, // GL_DEPTH24_STENCIL8 texture
    BUFFER_VECTOR = 8,        // inner buffer "Vector" (flags 7) with a vector display drawing into it
    BUFFER_LINEAR = 0x10,     // colour texture filtered linearly, else nearest
    BUFFER_REPEAT = 0x20,     // colour texture repeats, else clamps to edge
};

class rvBufferDisplay
{
public:
    rvBufferDisplay();
    ~rvBufferDisplay();
    rvBufferDisplay(const rvBufferDisplay&) = delete;
    rvBufferDisplay& operator=(const rvBufferDisplay&) = delete;

    // (Re)creates the GL objects; a no-op when size and flags are unchanged (the name is kept then).
    // Each side is limited to MaxSide().
    void Create(const char* name, int w, int h, int flags);
    // The largest side the driver can make a texture and a viewport of.
    static int MaxSide();
    // Limits each side of a size asked for by data to MaxSide(), with one warning naming the buffer.
    static void LimitSize(const char* name, int& w, int& h);
    // Deletes the GL objects, the inner buffer and the twin; the vector display survives unless
    // deleteDisplayObjects is true.
    void Release(bool deleteDisplayObjects);
    // Draws this buffer's colour into its twin (made on first use) and returns the twin's colour texture.
    GLuint Copy();
    void UpdateMatrices(const glm::mat4& model);
    // Asks for the demo camera's field of view from the next frame of this buffer on: the frame
    // being drawn keeps its camera, so nothing in it changes scale half-way. "Default" takes it at
    // the frame begin, another buffer when it is next bound; either way its matrices are then
    // recomputed with an identity model.
    void SetFovFromNextFrame(float fFov) { _fNextFov = fFov; }
    // Takes a field of view asked for: true when there was one (the matrices are not recomputed).
    bool TakeNextFov();
    bool IsValid() const;
    // Temporary bind that remembers the current buffer, and its undo.
    void Bind();
    void Unbind();

    bool _bCreated = false;
    std::string _sName;
    int _nWidth = 0, _nHeight = 0;
    int _nFlags = 0;
    glm::vec3 _vBackColor{0.f, 0.f, 0.f};
    GLuint _glFrameBuffer = 0, _glColorTexture = 0, _glDepthTexture = 0;
    rvBufferDisplay* _pCopyBuffer = nullptr;
    rvBufferDisplay* _pBufferPeviousBinded = nullptr;
    rvBufferDisplay* _pVectorBuffer = nullptr;
    vector_display* _pVectorDisplay = nullptr;

    glm::mat4 _mProjection{1.f}, _mView{1.f}, _mViewProjection{1.f};
    glm::mat4 _mInvProjection{1.f}, _mInvView{1.f}, _mInvViewProjection{1.f};

    // Free camera (orbit), radians.
    float _fDist = 20.0f, _fYaw = 1.0f, _fPitch = 0.744f, _fPanX = 0.f, _fPanY = 0.f;
    // Demo camera.
    float _fFov = 1.0472f;
    float _fNextFov = 0.f; // asked for from the next frame on; not positive: nothing asked
    glm::vec3 _vPosition{0.f, 0.f, -100.f};
    glm::vec3 _vRotation{0.f, 0.f, 0.f};   // radians about X, Y, Z
    glm::vec3& _vCamRotation = _vRotation; // the same rotation, under the name the camera effects use
    glm::vec3 _vScale{1.f, 1.f, 1.f};
    float _fNear = 0.01f, _fFar = 1000.0f;
    bool _bFreeCam = false;

    // Shared by the Copy of every buffer.
    static rvTexColorProgram2D _CopyProgram;
};
