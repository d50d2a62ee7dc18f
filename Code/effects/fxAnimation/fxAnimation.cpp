#include "effects/fxAnimation/fxAnimation.h"

#include "Factory/fxDescriptor.h"
#include "Factory/rvEditorHook.h"
#include "rvAssert.h"
#include "rvSceneDisplay.h"
#include "rvFile.h"
#include "rvMessage.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

bool fxAnimation::_bPlay = true;
bool fxAnimation::_bRenderToFBO = true;
int fxAnimation::_nVectorizerSteps = 5;
GLuint fxAnimation::_glFramebuffer = 0;
GLuint fxAnimation::_glColorTexture = 0;
GLuint fxAnimation::_glDepthStencilTexture = 0;
int fxAnimation::_nFramebufferWidth = 0;
int fxAnimation::_nFramebufferHeight = 0;
std::vector<uint32_t> fxAnimation::_aReadbackPixels;
std::vector<glm::ivec2> fxAnimation::_aContourPoints;
int fxAnimation::_nContourPointCount = 0;

namespace
{
const float kPi = 3.14159265f;

// The eight neighbours in the order the tracer turns through them (y counted upward).
const glm::ivec2 CONTOUR_NEIGHBOURS[8] = {{-1, -1}, {0, -1}, {1, -1}, {1, 0},
                                          {1, 1},   {0, 1},  {-1, 1}, {-1, 0}};

// Opaque black is the only background colour of the read-back.
const uint32_t kBackground = 0xFF000000u; // bytes (0, 0, 0, 255) read as little-endian

const glm::vec4 kContourColor(121.0f / 255.0f, 239.0f / 255.0f, 150.0f / 255.0f, 1.0f);
} // namespace

rvSkinningProgram& fxAnimation::SkinningProgram()
{
    // Lives as long as the process (its GL objects with it); never destroyed after the context.
    static rvSkinningProgram* s_pProgram = new rvSkinningProgram();
    return *s_pProgram;
}

fxAnimation::fxAnimation(fxDescriptor* pDescriptor)
    : fxBase(pDescriptor), _nAnimation(0), _nRepeatCount(0), _fAnimTime(0.0f), _fScale(0.1f), _mMVP(1.0f),
      _pfnCreateKeys(&fxAnimation::CreateKeys), _fLODEpsilon(0.1f), _bLOD(false), _bLOOP(false),
      _bAutoBlending(true), _fBlendDuration(0.15f)
{
    std::snprintf(_sMeshFile, sizeof(_sMeshFile), "%s", "./Data/meshes/RunningMan.glb");
    for (glm::mat4& m : _aIdentityPoses)
        m = glm::mat4(1.0f);
    _Camera = AttribLookAtLayout{1.0f, 0.744f, 0.0f, 360.0f, 0.0f, 0.0f};
    _pVectorScene = &_VectorScene;
}

// The model, the transform and the scene go with their members, then the fxBase part.
fxAnimation::~fxAnimation() = default;

void fxAnimation::Init()
{
    rvAssert(rvSceneDisplay::_pCurrentBuffer);
    _Camera._fPitch = 0.0f;
    _Camera._fYaw = -1.5707964f;
    LoadResources(_sMeshFile);
}

void fxAnimation::LoadResources(const char* pszMeshFile)
{
    rvSkinningProgram& program = SkinningProgram();
    program.Build();

    _Model._nPositionLocation = program._nLocVPos;
    _Model._nNormalLocation = program._nLocVNormal;
    _Model._nTexCoordLocation = program._nLocVTexCoord;
    _Model._nJointsLocation = program._nLocJoints;
    _Model._nWeightsLocation = program._nLocWeights;
    if (!_Model.Load(pszMeshFile))
        rvReport(rvMessageKind::Warning, "fxAnimation: cannot read \"%s\"", pszMeshFile);
    // The joint block holds 65 poses: a skin with more joints is not drawn (its vertices would
    // name poses the block does not have).
    for (size_t i = 0; i < _Model._apMeshes.size(); ++i)
    {
        if (_Model._apMeshes[i]->_nJoints > rvSkinningProgram::JOINT_COUNT)
            rvReport(rvMessageKind::Warning,
                     "fxAnimation: mesh %d of \"%s\" has %d joints, more than the %d drawn; left out", int(i),
                     pszMeshFile, _Model._apMeshes[i]->_nJoints, rvSkinningProgram::JOINT_COUNT);
    }
    if (_Model._bLoaded && _Model._aAnimations.empty())
        rvReport(rvMessageKind::Warning, "fxAnimation: \"%s\" has no animation; the figure stands still",
                 pszMeshFile);
    _nAnimation = 0;
    _fAnimTime = 0.0f;
}

float fxAnimation::ScaleForHeight(int h)
{
    return 1.0f / (13.0f - float(h - 1205) * 8.5f / -793.0f);
}

void fxAnimation::OnEffectStart()
{
    _nRepeatCount = 0;
    _fAnimTime = 0.0f;
    _nAnimation = 0;
    rvBufferDisplay* _pCurrentBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(_pCurrentBuffer);
    DeleteFramebuffer();
    CreateFramebuffer(_pCurrentBuffer->_nWidth, _pCurrentBuffer->_nHeight);
    _fScale = ScaleForHeight(_pCurrentBuffer->_nHeight);
}

void fxAnimation::DeleteFramebuffer()
{
    if (_glFramebuffer) glDeleteFramebuffers(1, &_glFramebuffer);
    if (_glColorTexture) glDeleteTextures(1, &_glColorTexture);
    if (_glDepthStencilTexture) glDeleteTextures(1, &_glDepthStencilTexture);
    _glFramebuffer = _glColorTexture = _glDepthStencilTexture = 0;
    _nFramebufferWidth = _nFramebufferHeight = 0;
}

bool fxAnimation::CreateFramebuffer(int w, int h)
{
    if (w <= 0 || h <= 0) return false;
    glGenFramebuffers(1, &_glFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, _glFramebuffer);

    glGenTextures(1, &_glDepthStencilTexture);
    glBindTexture(GL_TEXTURE_2D, _glDepthStencilTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH24_STENCIL8, w, h, 0, GL_DEPTH_STENCIL, GL_UNSIGNED_INT_24_8,
                 nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_TEXTURE_2D, _glDepthStencilTexture,
                           0);

    glGenTextures(1, &_glColorTexture);
    glBindTexture(GL_TEXTURE_2D, _glColorTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, _glColorTexture, 0);

    glBindTexture(GL_TEXTURE_2D, 0);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    _nFramebufferWidth = w;
    _nFramebufferHeight = h;
    return status == GL_FRAMEBUFFER_COMPLETE;
}

glm::mat4 fxAnimation::CameraMatrix(const AttribLookAtLayout& camera, int w, int h)
{
    const float Y = camera._fYaw, P = camera._fPitch, D = camera._fDist;
    const glm::vec3 c(std::cos(P) * std::sin(Y), std::cos(Y), std::sin(P) * std::sin(Y));
    const glm::vec3 r(std::cos(P - kPi / 2.0f), 0.0f, std::sin(P - kPi / 2.0f));
    const glm::vec3 u = glm::cross(c, r);
    const glm::vec3 eye = c * D - r * camera._fPanX + u * camera._fPanY;
    const glm::vec3 centre = glm::vec3(0.0f, 1.0f, 0.0f) - r * camera._fPanX + u * camera._fPanY;
    const glm::mat4 view = glm::lookAt(eye, centre, u);
    const glm::mat4 projection =
        glm::perspective(1.0471976f, float(w) / float(h > 0 ? h : 1), 1.0f, 10000.0f);
    return projection * view * glm::mat4(1.0f);
}

int fxAnimation::NextAnimation(int current, int repeatCount, bool bLoop)
{
    switch (current)
    {
    case 0:
        return bLoop ? 0 : 3;
    case 1:
        return bLoop ? 1 : (repeatCount == 4 ? 2 : 1);
    case 2:
        return bLoop ? 2 : 0;
    case 3:
        return bLoop ? 3 : (repeatCount == 4 ? 1 : 3);
    default:
        return 0;
    }
}

void fxAnimation::AdvanceAnimation(float dt)
{
    const int count = int(_Model._aAnimations.size());
    if (count == 0) return; // nothing to play: the figure keeps its pose
    _nAnimation = std::min(std::max(_nAnimation, 0), count - 1);
    _fAnimTime += dt;
    if (_fAnimTime < 0.0f) _fAnimTime = 0.0f;
    const int a = _nAnimation;
    const rvGLTFModel::Animation& A = _Model._aAnimations[size_t(a)];
    if (_bAutoBlending)
    {
        int n = NextAnimation(a, _nRepeatCount, _bLOOP);
        if (n >= count) n = 0; // a model with fewer animations than the sequence names
        if (_Model.SampleBlendedAnimation(unsigned(a), unsigned(n), _fAnimTime, _fBlendDuration))
        {
            _nRepeatCount = n == a ? _nRepeatCount + 1 : 0;
            _fAnimTime = _fAnimTime - (A._fEnd - A._fStart) + _Model._aAnimations[size_t(n)]._fStart;
            _nAnimation = n;
        }
    }
    else
    {
        _fAnimTime = A._fEnd > 0.0f ? std::fmod(_fTime, A._fEnd) : 0.0f;
        if (_fAnimTime < A._fStart) _fAnimTime = A._fStart;
        if (_Model.SampleAnimation(unsigned(a), _fAnimTime))
        {
            _nAnimation = int(unsigned(_nAnimation) % unsigned(count));
            _fAnimTime = _Model._aAnimations[size_t(_nAnimation)]._fStart;
        }
    }
}

void fxAnimation::DrawModel(rvSkinningProgram& program)
{
    program.Use();
    glUniformMatrix4fv(program._nLocMVP, 1, GL_FALSE, &_mMVP[0][0]);
    for (rvGLTFModel::Mesh* pMesh : _Model._apMeshes)
    {
        if (pMesh->_nJoints > rvSkinningProgram::JOINT_COUNT) continue; // see LoadResources
        if (program._glJointBuffer)
        {
            glBindBuffer(GL_UNIFORM_BUFFER, program._glJointBuffer);
            const size_t nBytes = _bPlay ? size_t(pMesh->_nJoints) * sizeof(glm::mat4)
                                         : size_t(rvSkinningProgram::JOINT_COUNT) * sizeof(glm::mat4);
            if (nBytes > 0)
            {
                void* p = glMapBufferRange(GL_UNIFORM_BUFFER, 0, GLsizeiptr(nBytes), GL_MAP_WRITE_BIT);
                if (p)
                {
                    std::memcpy(p, _bPlay ? static_cast<const void*>(pMesh->_amJoints) : _aIdentityPoses,
                                nBytes);
                    glUnmapBuffer(GL_UNIFORM_BUFFER);
                }
            }
            glBindBuffer(GL_UNIFORM_BUFFER, 0);
        }
        for (rvGLTFModel::Primitive* pPrim : pMesh->_apPrimitives)
        {
            if (!pPrim->_nVertexArray || !pPrim->_eIndexType) continue;
            glBindVertexArray(pPrim->_nVertexArray);
            glDrawElements(GL_TRIANGLES, pPrim->_nIndexCount, pPrim->_eIndexType, nullptr);
            glBindVertexArray(0);
        }
    }
    program.Unuse();
}

void fxAnimation::TraceContour(int width, int height)
{
    _aContourPoints.clear();
    if (width <= 0 || height <= 0) return;
    const size_t total = size_t(width) * size_t(height);
    if (_aReadbackPixels.size() < total) return;
    const uint32_t* px = _aReadbackPixels.data();
    // Pixels outside the picture count as background: the contour follows the picture's border.
    auto inside = [&](glm::ivec2 p)
    {
        return p.x >= 0 && p.y >= 0 && p.x < width && p.y < height &&
               px[size_t(p.y) * width + p.x] != kBackground;
    };

    size_t first = 0;
    while (first < total && px[first] == kBackground)
        ++first;
    if (first == total) return;

    const glm::ivec2 start(int(first % size_t(width)), int(first / size_t(width)));
    // The pixel on the left is background: earlier in the scan, or outside the picture.
    glm::ivec2 cur = start, back(-1, 0);
    _aContourPoints.push_back(start);
    for (;;)
    {
        int j = 0;
        while (j < 8 && CONTOUR_NEIGHBOURS[j] != back)
            ++j;
        bool bMoved = false;
        if (j < 8)
        {
            glm::ivec2 lastBackground = cur + back;
            for (int k = 1; k <= 7; ++k)
            {
                const glm::ivec2 candidate = cur + CONTOUR_NEIGHBOURS[(j + k) % 8];
                if (!inside(candidate))
                {
                    lastBackground = candidate;
                    continue;
                }
                back = lastBackground - candidate;
                cur = candidate;
                _aContourPoints.push_back(cur);
                if (int(_aContourPoints.size()) > MAX_CONTOUR_POINTS) return;
                bMoved = true;
                break;
            }
        }
        if (!bMoved && cur != start) return; // cannot happen: a pixel reached has an inside neighbour
        if (cur == start)
        {
            _aContourPoints.pop_back();
            return;
        }
    }
}

void fxAnimation::BuildContourScene()
{
    rvAssert(rvSceneDisplay::_pCurrentDisplay);
    rvBufferDisplay* _pCurrentBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(_pCurrentBuffer);
    const float w = float(_pCurrentBuffer->_nWidth), h = float(_pCurrentBuffer->_nHeight);

    _VectorScene.Clear();
    VectorScene* pChild = _VectorScene.AddChild();
    const int count = int(_aContourPoints.size());
    if (count <= 2) return;
    _nContourPointCount = count;

    VectorSceneLine* pGround = pChild->AddLine(2);
    pGround->AddPoint(-100.0f, 0.0f, 0.0f);
    pGround->AddPoint(100.0f, 0.0f, 0.0f);
    const int step = std::max(_nVectorizerSteps, 1);
    VectorSceneLine* pContour = pChild->AddLine(count / step + 2);
    for (int i = 0; i < count; i = i == 0 ? 1 : i + step)
    {
        const glm::ivec2 p = _aContourPoints[size_t(i)];
        pContour->AddPoint((float(p.x) - w * 0.5f) * _fScale, (float(p.y) - h * 0.5f) * _fScale, 0.0f);
    }

    _VectorScene.SetTransform(&_Transform);
    for (VectorSceneLine* pLine : _VectorScene._apLines)
    {
        pLine->_vColor = kContourColor;
        pLine->_pColor = nullptr;
    }
    for (VectorScene* pNode : _VectorScene._apChildren)
        pNode->SetColor(kContourColor);

    if (_bLOD)
    {
        for (VectorScene* pNode : _VectorScene._apChildren)
            pNode->Simplify(_fLODEpsilon);
        for (VectorSceneLine* pLine : _VectorScene._apLines)
            pLine->Simplify(_fLODEpsilon);
        _VectorScene._fEpsilon = _fLODEpsilon;
        _VectorScene.DrawSimplified();
    }
    else
    {
        for (VectorSceneLine* pLine : _VectorScene._apLines)
            pLine->Draw(_VectorScene.GetTransform());
        for (VectorScene* pNode : _VectorScene._apChildren)
            pNode->Draw();
    }
}

void fxAnimation::Render()
{
    if (!_Model._bLoaded) return;
    const int count = int(_Model._aAnimations.size());
    if (_nAnimation >= count) _nAnimation = count - 1;
    if (_nAnimation < 0) _nAnimation = 0;

    rvBufferDisplay* _pCurrentBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(_pCurrentBuffer);
    const int w = _pCurrentBuffer->_nWidth, h = _pCurrentBuffer->_nHeight;
    _mMVP = CameraMatrix(_Camera, w, h);

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (_bPlay) AdvanceAnimation(_fDeltaTime);

    // The traced picture must match the buffer it is read as: a buffer that changed size since
    // the last start gets a framebuffer of its size, and one too large to read back is not traced.
    const bool bTraceable = w > 0 && h > 0 && int64_t(w) * int64_t(h) <= MAX_READBACK_PIXELS;
    if (!bTraceable)
    {
        static bool s_bTold = false;
        if (!s_bTold)
            rvReport(rvMessageKind::Warning, "fxAnimation: a %dx%d buffer is too large to trace", w, h);
        s_bTold = true;
    }
    if (_bRenderToFBO && !bTraceable)
    {
        // The passes would go to the current buffer instead of the tracer's: nothing is drawn.
        _aContourPoints.clear();
        DrawSettings(float(w), float(h));
        BuildContourScene();
        return;
    }
    const bool bToFBO = _bRenderToFBO;
    if (bToFBO && (w != _nFramebufferWidth || h != _nFramebufferHeight || !_glFramebuffer))
    {
        DeleteFramebuffer();
        CreateFramebuffer(w, h);
    }

    GLint savedDraw = 0, savedRead = 0;
    if (bToFBO)
    {
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &savedDraw);
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &savedRead);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, _glFramebuffer);
    }

    rvSkinningProgram& program = SkinningProgram();
    // Mask: the invisible filled figure writes depth and stencil 1.
    glEnable(GL_STENCIL_TEST);
    glStencilOp(GL_KEEP, GL_KEEP, GL_REPLACE);
    // The tracer's background is opaque black and the mask starts at 0, whatever clear values
    // other effects left behind (a transparent colour would make the whole picture "inside", a
    // stencil of 1 would hide the outline everywhere).
    GLfloat clearColor[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    GLint clearStencil = 0;
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColor);
    glGetIntegerv(GL_STENCIL_CLEAR_VALUE, &clearStencil);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
    glClearStencil(clearStencil);
    glStencilFunc(GL_ALWAYS, 1, 0xFF);
    glStencilMask(0xFF);
    program._vColor = glm::vec4(0.0f);
    DrawModel(program);
    // Outline: 5-pixel edges, only outside the mask: a magenta ring around the figure.
    glStencilFunc(GL_NOTEQUAL, 1, 0xFF);
    glStencilMask(0);
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glLineWidth(5.0f);
    program._vColor = glm::vec4(1.0f, 0.0f, 1.0f, 1.0f);
    DrawModel(program);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glStencilMask(0xFF);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);

    if (bToFBO)
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, _glFramebuffer);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
        _aReadbackPixels.resize(size_t(w) * size_t(h));
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, _aReadbackPixels.data());
        _aContourPoints.clear();
        TraceContour(w, h);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(savedRead));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(savedDraw));
    }
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_STENCIL_TEST);

    DrawSettings(float(w), float(h));
    BuildContourScene();
}

void fxAnimation::CreateKeys(fxBase* pEffect)
{
    // Its work needs an "AnimationTime" attribute, which the class does not have.
    if (!pEffect || !pEffect->_pDescriptor->FindAttrib("AnimationTime")) return;
}

fxDescriptor* fxAnimation::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxAnimation", &fxAnimation::Create);
    return s_pDescriptor;
}

fxBase* fxAnimation::Create(fxDescriptor* pDescriptor)
{
    return new fxAnimation(pDescriptor);
}

fxDescriptor* fxAnimation::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d; // already registered
    d->Add(TYPE_BUTTON, "***CreateKeys***", rvOffsetOf<fxAnimation>(&fxAnimation::_pfnCreateKeys));
    d->Add(TYPE_INT, "Animation", rvOffsetOf<fxAnimation>(&fxAnimation::_nAnimation));
    d->Add(TYPE_LOOKAT_CAMERA, "Camera", rvOffsetOf<fxAnimation>(&fxAnimation::_Camera));
    d->Add(TYPE_FLOAT, "Scale", rvOffsetOf<fxAnimation>(&fxAnimation::_fScale));
    return d;
}

bool fxAnimation::SaveVectorScene() const
{
    // The scene is written to memory, then saved through a temporary file, so a failed save
    // leaves the previous file (rvSaveFile reports the cause).
    char* pData = nullptr;
    size_t nSize = 0;
    FILE* pMemory = open_memstream(&pData, &nSize);
    if (!pMemory) return false;
    const bool bWritten = _VectorScene.SaveBinary(pMemory);
    std::fclose(pMemory);
    const bool bSaved = bWritten && rvSaveFile("./test.vscene", std::string(pData, nSize));
    std::free(pData);
    return bSaved;
}

// The editor window (fxAnimationEditor.cpp); nothing without the editor.
void fxAnimation::DrawSettings(float w, float h)
{
    rvEditorHook<&fxAnimation::DrawSettings>::Call(*this, w, h);
}
