#pragma once
// The traced silhouette of an animated, skinned figure ("./Data/meshes/RunningMan.glb") as vector
// lines. Every frame the posed model is drawn off screen as an invisible stencil mask and a thick
// magenta outline outside it, the picture is read back, the outer contour of the outline is traced
// pixel by pixel (Moore-neighbour tracing) and every N-th contour pixel becomes a point of a
// polyline of the effect's vector scene, drawn with a short ground line. The model's animations
// play in an automatic sequence with cross-fades.
//
// The off-screen framebuffer, the read-back pixels, the contour and the skinning program are
// shared by every instance.
#include "Factory/fxBase.h"
#include "Factory/AttribDesc.h"
#include "VectorScene/VectorScene.h"
#include "effects/fxAnimation/rvSkinningProgram.h"
#include "gltf/rvGLTFModel.h"
#include "rvMath.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class fxAnimation : public fxBase
{
public:
    // The read-back holds at most this many pixels (4096 x 4096); a larger buffer is not traced.
    static constexpr int MAX_READBACK_PIXELS = 4096 * 4096;
    // The trace stops once the contour holds more than this many points.
    static constexpr int MAX_CONTOUR_POINTS = 10000;
    static constexpr int IDENTITY_POSES = 100;

    explicit fxAnimation(fxDescriptor* pDescriptor);
    ~fxAnimation() override;

    void Init() override;
    void OnEffectStart() override;
    void Render() override;

    void LoadResources(const char* pszMeshFile);
    static bool CreateFramebuffer(int w, int h);
    static void DeleteFramebuffer();
    void DrawModel(rvSkinningProgram& program);
    // Fills _aContourPoints from _aReadbackPixels (a picture of width x height).
    static void TraceContour(int width, int height);
    void BuildContourScene();
    // The "Animation Settings" window (fxAnimationEditor.cpp).
    void DrawSettings(float w, float h);
    // Writes the traced outline's scene to "test.vscene" in the working directory (the editor's
    // "Save vectorscene"), through a temporary file; false when it could not be saved.
    bool SaveVectorScene() const;
    static void CreateKeys(fxBase* pEffect);

    // The view-projection of the orbit camera for a w x h picture.
    static glm::mat4 CameraMatrix(const AttribLookAtLayout& camera, int w, int h);
    // Moves the animation time by dt and poses the model (the automatic sequence when
    // _bAutoBlending is on); nothing without animations.
    void AdvanceAnimation(float dt);
    // The animation that follows `current` in the automatic sequence.
    static int NextAnimation(int current, int repeatCount, bool bLoop);
    // The contour-pixel size in display units for a buffer height.
    static float ScaleForHeight(int h);

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    int _nAnimation;
    int _nRepeatCount;
    float _fAnimTime;
    float _fScale;
    char _sMeshFile[64];
    glm::mat4 _aIdentityPoses[IDENTITY_POSES];
    AttribLookAtLayout _Camera;
    glm::mat4 _mMVP;
    AttribButtonFn _pfnCreateKeys;
    VectorScene _VectorScene;
    rvTransform3D _Transform;
    float _fLODEpsilon;
    bool _bLOD;
    bool _bLOOP;
    bool _bAutoBlending;
    float _fBlendDuration;
    rvGLTFModel _Model;

    // Shared by every instance.
    static bool _bPlay;
    static bool _bRenderToFBO;
    static int _nVectorizerSteps;
    static GLuint _glFramebuffer, _glColorTexture, _glDepthStencilTexture;
    static int _nFramebufferWidth, _nFramebufferHeight; // size the framebuffer was made at
    static std::vector<uint32_t> _aReadbackPixels;      // RGBA8, row 0 at the bottom
    static std::vector<glm::ivec2> _aContourPoints;     // (column, row from the bottom)
    static int _nContourPointCount;
    static rvSkinningProgram& SkinningProgram();
};
