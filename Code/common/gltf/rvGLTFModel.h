#pragma once
// A glTF 2.0 model in memory and on the GPU: the node tree of one scene, skins,
// animations sampled (or cross-faded) at a time, per-mesh joint matrices, and every
// primitive uploaded into a vertex array. The caller binds its program before Draw and
// writes the attribute locations its program uses before Load.

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include <cstdint>
#include <string>
#include <vector>

namespace tinygltf
{
class Model;
}

class rvGLTFModel
{
public:
    enum
    {
        MAX_JOINTS = 128
    };
    // Channel paths.
    enum
    {
        PATH_INVALID = 0,
        PATH_TRANSLATION = 1,
        PATH_ROTATION = 2,
        PATH_SCALE = 3,
        PATH_WEIGHTS = 4
    };
    // How a sampler moves between its keys.
    enum
    {
        INTERP_LINEAR = 0,
        INTERP_STEP = 1,
        INTERP_CUBICSPLINE = 2
    };

    struct Skin;

    struct Primitive
    {
        uint32_t _nVertexArray = 0;
        uint32_t _nIndexBuffer = 0;
        uint32_t _nPositionBuffer = 0;
        uint32_t _nNormalBuffer = 0;
        uint32_t _nJointsBuffer = 0;
        uint32_t _nWeightsBuffer = 0;
        uint32_t _nTexCoordBuffer = 0;
        uint32_t _eIndexType = 0; // GL type of the indices, 0 without an index accessor
        int32_t _nIndexCount = 0;
        int32_t _nVertexCount = 0; // drawn as arrays when there are no indices
        uint32_t _eMode = 4;       // GL primitive mode (glTF modes match GL's)
    };

    struct Mesh
    {
        std::vector<Primitive*> _apPrimitives;
        glm::mat4 _mWorld = glm::mat4(1.0f);
        glm::mat4 _amJoints[MAX_JOINTS];
        int32_t _nJoints = 0;
        Mesh();
    };

    struct Node
    {
        glm::quat _qRotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f); // (w, x, y, z) ctor: identity
        glm::vec3 _vTranslation = glm::vec3(0.0f);
        glm::vec3 _vScale = glm::vec3(1.0f);
        glm::mat4 _mLocal = glm::mat4(1.0f);
        // The pose the file gives (what a cross-fade starts from for channels the left
        // animation does not have).
        glm::quat _qRestRotation = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
        glm::vec3 _vRestTranslation = glm::vec3(0.0f);
        glm::vec3 _vRestScale = glm::vec3(1.0f);
        bool _bMatrix = false; // given by a "matrix": _mLocal is kept until an animation poses it
        Node* _pParent = nullptr;
        int32_t _nIndex = -1;
        std::vector<Node*> _apChildren;
        Mesh* _pMesh = nullptr;
        Skin* _pSkin = nullptr;
        int32_t _nSkin = -1;
    };

    struct Skin
    {
        char _szName[256] = {};
        std::vector<glm::mat4> _amInverseBind;
        // One entry per joint of the file's skin; null for a joint outside the loaded scene
        // (it keeps its place so that vertex joint indices stay right).
        std::vector<Node*> _apJoints;
    };

    struct Sampler
    {
        std::vector<float> _aTimes;
        std::vector<glm::vec4> _aValues;
        int32_t _eInterpolation = INTERP_LINEAR;
    };

    struct Channel
    {
        int32_t _ePath = PATH_INVALID;
        Node* _pTarget = nullptr;
        int32_t _nSampler = 0;
    };

    struct Animation
    {
        char _szName[256] = {};
        std::vector<Sampler> _aSamplers;
        std::vector<Channel> _aChannels;
        float _fStart = 0.0f;
        float _fEnd = 0.0f;
    };

    rvGLTFModel();
    ~rvGLTFModel();
    rvGLTFModel(const rvGLTFModel&) = delete;
    rvGLTFModel& operator=(const rvGLTFModel&) = delete;

    bool Load(const char* path);
    void Draw();
    bool SampleAnimation(unsigned index, float time);
    bool SampleBlendedAnimation(unsigned from, unsigned to, float time, float blendDuration);
    Node* FindNode(int index);
    glm::mat4 ComputeWorldMatrix(Node* node);

    tinygltf::Model* _pData = nullptr;
    std::vector<Mesh*> _apMeshes;
    std::vector<Node*> _apRoots;
    std::vector<Node*> _apNodes;
    std::vector<Skin> _aSkins;
    std::vector<Animation> _aAnimations;
    bool _bLoaded = false;
    float _fBlend = 0.0f;
    // When clear, Load builds the scene, skins and animations but makes no GL call
    // (primitives keep GL names 0 and Draw draws nothing); set by default.
    bool _bUpload = true;
    int32_t _nPositionLocation = -1;
    int32_t _nWeightsLocation = -1;
    int32_t _nJointsLocation = -1;
    int32_t _nNormalLocation = -1;
    int32_t _nTexCoordLocation = -1;

private:
    void Release();
    void BuildNode(int index, Node* parent, std::vector<bool>& built);
    Primitive* BuildPrimitive(int meshIndex, int primitiveIndex);
    void LoadAnimations();
    void LoadSkins();
    bool SampleChannel(const Animation& anim, const Channel& channel, float time, glm::vec4& value) const;
    void UpdateJoints(Node* node);
    void UpdatePose(); // all local matrices, then the joints of every mesh
    void ComputeLocalMatrix(Node* node);
    Node* FindNodeInTree(Node* node, int index);
    void ApplyValue(Node* node, int path, const glm::vec4& value);
};
