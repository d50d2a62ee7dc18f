#include "rvGLTFModel.h"

#include "Loader/rvLoader.h"

#include <epoxy/gl.h>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <tiny_gltf.h>

#include <algorithm>
#include <cfloat>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace
{
// The largest model file or external buffer read: a size a data file may not ask past.
constexpr uintmax_t kMaxFileBytes = uintmax_t(256) << 20;

// Reads a whole regular file of at most kMaxFileBytes with stdio; false (and nothing read)
// otherwise: a device such as /dev/zero would be read until memory runs out.
bool ReadDiskFile(const std::string& path, std::vector<unsigned char>& out)
{
    out.clear();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || size > kMaxFileBytes) return false;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    unsigned char chunk[65536];
    size_t n = 0;
    while (out.size() <= kMaxFileBytes && (n = std::fread(chunk, 1, sizeof(chunk), f)) > 0)
        out.insert(out.end(), chunk, chunk + n);
    bool ok = !std::ferror(f) && out.size() <= kMaxFileBytes;
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

// External buffers are read only from inside the model's folder (user data: that folder, made
// canonical, with a trailing separator): a URI such as "../../etc/passwd" or "/dev/zero" is
// refused.
bool InsideModelFolder(const std::string& path, void* folder)
{
    std::error_code ec;
    const std::string real = std::filesystem::canonical(path, ec).string();
    const std::string& root = *static_cast<const std::string*>(folder);
    return !ec && !root.empty() && real.compare(0, root.size(), root) == 0;
}

// File access for the glTF parser (external buffers): plain stdio, nothing expanded.
bool FsFileExists(const std::string& path, void* folder)
{
    std::error_code ec;
    return InsideModelFolder(path, folder) && std::filesystem::is_regular_file(path, ec);
}
std::string FsExpandFilePath(const std::string& path, void*)
{
    return path;
}
bool FsReadWholeFile(std::vector<unsigned char>* out, std::string* err, const std::string& path, void* folder)
{
    if (InsideModelFolder(path, folder) && ReadDiskFile(path, *out)) return true;
    if (err) *err += "cannot read " + path + "\n";
    return false;
}
bool FsWriteWholeFile(std::string*, const std::string&, const std::vector<unsigned char>&, void*)
{
    return false;
}
// Images are not used by the model: they are kept undecoded.
bool SkipImage(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int,
               void*)
{
    return true;
}

bool ParseModel(tinygltf::Model& model, const std::vector<unsigned char>& bytes, const std::string& dir)
{
    if (bytes.empty() || bytes.size() > 0x7fffffffu) return false;
    try
    {
        tinygltf::TinyGLTF loader;
        loader.SetImageLoader(SkipImage, nullptr);
        std::error_code ec;
        std::string folder = std::filesystem::canonical(dir.empty() ? "." : dir, ec).string();
        if (ec) folder.clear();
        if (!folder.empty() && folder.back() != '/') folder += '/';
        loader.SetFsCallbacks({FsFileExists, FsExpandFilePath, FsReadWholeFile, FsWriteWholeFile, &folder});
        std::string err, warn;
        const unsigned int size = static_cast<unsigned int>(bytes.size());
        if (size >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0)
            return loader.LoadBinaryFromMemory(&model, &err, &warn, bytes.data(), size, dir);
        return loader.LoadASCIIFromString(&model, &err, &warn, reinterpret_cast<const char*>(bytes.data()),
                                          size, dir);
    }
    catch (...)
    {
        return false;
    }
}

// A checked window on an accessor's elements inside its buffer.
struct AccessorView
{
    const unsigned char* data = nullptr;
    size_t stride = 0;
    size_t elemSize = 0;
    size_t count = 0;
    int componentType = 0;
    int components = 0;
    bool normalized = false;
    bool ok = false;

    float Float(size_t i, int c) const
    {
        float v = 0.0f;
        std::memcpy(&v, data + i * stride + size_t(c) * 4, 4);
        return v;
    }
};

int ComponentSize(int type)
{
    switch (type)
    {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE:
        return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT:
        return 2;
    case TINYGLTF_COMPONENT_TYPE_INT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT:
        return 4;
    default:
        return 0;
    }
}

int ComponentCount(int type)
{
    switch (type)
    {
    case TINYGLTF_TYPE_SCALAR:
        return 1;
    case TINYGLTF_TYPE_VEC2:
        return 2;
    case TINYGLTF_TYPE_VEC3:
        return 3;
    case TINYGLTF_TYPE_VEC4:
        return 4;
    case TINYGLTF_TYPE_MAT2:
        return 4;
    case TINYGLTF_TYPE_MAT3:
        return 9;
    case TINYGLTF_TYPE_MAT4:
        return 16;
    default:
        return 0;
    }
}

AccessorView ViewOf(const tinygltf::Model& m, int index)
{
    AccessorView v;
    if (index < 0 || size_t(index) >= m.accessors.size()) return v;
    const tinygltf::Accessor& acc = m.accessors[size_t(index)];
    if (acc.bufferView < 0 || size_t(acc.bufferView) >= m.bufferViews.size()) return v;
    const tinygltf::BufferView& bv = m.bufferViews[size_t(acc.bufferView)];
    if (bv.buffer < 0 || size_t(bv.buffer) >= m.buffers.size()) return v;
    const tinygltf::Buffer& buf = m.buffers[size_t(bv.buffer)];
    const int compSize = ComponentSize(acc.componentType);
    const int comps = ComponentCount(acc.type);
    if (compSize == 0 || comps == 0 || acc.count == 0) return v;
    const size_t elem = size_t(compSize) * size_t(comps);
    const size_t stride = bv.byteStride ? bv.byteStride : elem;
    if (stride < elem) return v;
    if (bv.byteOffset > buf.data.size() || bv.byteLength > buf.data.size() - bv.byteOffset) return v;
    if (acc.byteOffset > bv.byteLength || elem > bv.byteLength - acc.byteOffset) return v;
    if ((acc.count - 1) > (bv.byteLength - acc.byteOffset - elem) / stride) return v;
    v.data = buf.data.data() + bv.byteOffset + acc.byteOffset;
    v.stride = stride;
    v.elemSize = elem;
    v.count = acc.count;
    v.componentType = acc.componentType;
    v.components = comps;
    v.normalized = acc.normalized;
    v.ok = true;
    return v;
}

size_t SpanBytes(const AccessorView& v)
{
    return v.stride * (v.count - 1) + v.elemSize;
}

glm::quat ToQuat(const glm::vec4& v)
{
    return glm::quat(v.w, v.x, v.y, v.z);
}

glm::vec4 FromQuat(const glm::quat& q)
{
    return glm::vec4(q.x, q.y, q.z, q.w);
}

// The interval k of a sampler holding time t, and the fraction f of t in it.
bool IntervalAt(const rvGLTFModel::Sampler& s, size_t k, float t, float& f)
{
    const float t0 = s._aTimes[k], t1 = s._aTimes[k + 1];
    if (!(t0 <= t && t <= t1)) return false;
    f = (t - t0) / (t1 - t0);
    if (!(f > 0.0f)) f = 0.0f;
    return f <= 1.0f;
}

// The sampler's value in interval k at fraction f, by the channel's path.
glm::vec4 Interpolate(const rvGLTFModel::Sampler& s, size_t k, float f, int path)
{
    const glm::vec4& a = s._aValues[k];
    const glm::vec4& b = s._aValues[k + 1];
    if (s._eInterpolation == rvGLTFModel::INTERP_STEP) return f >= 1.0f ? b : a;
    switch (path)
    {
    case rvGLTFModel::PATH_TRANSLATION:
    case rvGLTFModel::PATH_SCALE:
        return glm::mix(a, b, f);
    case rvGLTFModel::PATH_ROTATION:
        return FromQuat(glm::slerp(ToQuat(a), ToQuat(b), f));
    default:
        return a;
    }
}

bool Usable(const rvGLTFModel::Sampler& s)
{
    return s._aTimes.size() >= 2 && s._aTimes.size() <= s._aValues.size();
}

int PathOf(const std::string& path)
{
    if (path == "translation") return rvGLTFModel::PATH_TRANSLATION;
    if (path == "rotation") return rvGLTFModel::PATH_ROTATION;
    if (path == "scale") return rvGLTFModel::PATH_SCALE;
    if (path == "weights") return rvGLTFModel::PATH_WEIGHTS;
    return rvGLTFModel::PATH_INVALID;
}

glm::vec4 RestValue(const rvGLTFModel::Node* node, int path)
{
    switch (path)
    {
    case rvGLTFModel::PATH_TRANSLATION:
        return glm::vec4(node->_vRestTranslation, 0.0f);
    case rvGLTFModel::PATH_ROTATION:
        return FromQuat(node->_qRestRotation);
    case rvGLTFModel::PATH_SCALE:
        return glm::vec4(node->_vRestScale, 0.0f);
    default:
        return glm::vec4(1.0f);
    }
}
} // namespace

rvGLTFModel::Mesh::Mesh()
{
    for (glm::mat4& m : _amJoints)
        m = glm::mat4(1.0f);
}

rvGLTFModel::rvGLTFModel() = default;

rvGLTFModel::~rvGLTFModel()
{
    Release();
}

void rvGLTFModel::Release()
{
    for (Mesh* mesh : _apMeshes)
    {
        for (Primitive* p : mesh->_apPrimitives)
        {
            if (p->_nVertexArray)
            {
                GLuint buffers[6] = {p->_nIndexBuffer,  p->_nPositionBuffer, p->_nNormalBuffer,
                                     p->_nJointsBuffer, p->_nWeightsBuffer,  p->_nTexCoordBuffer};
                glDeleteBuffers(6, buffers);
                glDeleteVertexArrays(1, &p->_nVertexArray);
            }
            delete p;
        }
        delete mesh;
    }
    for (Node* node : _apNodes)
        delete node;
    delete _pData;
    _pData = nullptr;
    _apMeshes.clear();
    _apRoots.clear();
    _apNodes.clear();
    _aSkins.clear();
    _aAnimations.clear();
    _bLoaded = false;
}

bool rvGLTFModel::Load(const char* path)
{
    Release();
    const std::string sPath = path ? path : "";
    std::vector<unsigned char> bytes;
    ReadDiskFile(sPath, bytes);
    rvLoader::Progress(int(std::min<size_t>(bytes.size(), 0x7fffffff)));

    const size_t slash = sPath.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : sPath.substr(0, slash);
    tinygltf::Model* model = new tinygltf::Model;
    if (!ParseModel(*model, bytes, dir))
    {
        delete model;
        return false;
    }
    _pData = model;
    _bLoaded = true;

    int scene = model->defaultScene;
    if (scene < 0 || size_t(scene) >= model->scenes.size()) scene = model->scenes.empty() ? -1 : 0;
    if (scene >= 0)
    {
        std::vector<bool> built(model->nodes.size(), false);
        for (int root : model->scenes[size_t(scene)].nodes)
            BuildNode(root, nullptr, built);
    }
    if (!model->animations.empty()) LoadAnimations();
    LoadSkins();
    for (Node* node : _apNodes)
        if (node->_nSkin >= 0) node->_pSkin = &_aSkins[size_t(node->_nSkin)];

    SampleAnimation(0, 1.0f);
    UpdatePose();
    return true;
}

void rvGLTFModel::UpdatePose()
{
    // Every local matrix first, so that no joint sees a parent posed a frame late.
    for (Node* node : _apNodes)
        ComputeLocalMatrix(node);
    for (Node* root : _apRoots)
        UpdateJoints(root);
}

void rvGLTFModel::BuildNode(int index, Node* parent, std::vector<bool>& built)
{
    // A node listed twice (or a cycle in the children) is built once.
    if (index < 0 || size_t(index) >= built.size() || built[size_t(index)]) return;
    built[size_t(index)] = true;
    const tinygltf::Node& src = _pData->nodes[size_t(index)];

    Node* node = new Node;
    node->_nIndex = index;
    node->_pParent = parent;
    node->_nSkin = (src.skin >= 0 && size_t(src.skin) < _pData->skins.size()) ? src.skin : -1;
    if (src.matrix.size() == 16)
    {
        for (int i = 0; i < 16; ++i)
            glm::value_ptr(node->_mLocal)[i] = float(src.matrix[size_t(i)]);
        node->_bMatrix = true;
    }
    else
    {
        if (src.translation.size() == 3)
            node->_vTranslation = glm::vec3(src.translation[0], src.translation[1], src.translation[2]);
        if (src.rotation.size() == 4)
            node->_qRotation = glm::quat(float(src.rotation[3]), float(src.rotation[0]),
                                         float(src.rotation[1]), float(src.rotation[2]));
        if (src.scale.size() == 3) node->_vScale = glm::vec3(src.scale[0], src.scale[1], src.scale[2]);
        ComputeLocalMatrix(node);
    }
    node->_vRestTranslation = node->_vTranslation;
    node->_qRestRotation = node->_qRotation;
    node->_vRestScale = node->_vScale;

    for (int child : src.children)
        BuildNode(child, node, built);

    if (src.mesh >= 0 && size_t(src.mesh) < _pData->meshes.size())
    {
        Mesh* mesh = new Mesh;
        const size_t count = _pData->meshes[size_t(src.mesh)].primitives.size();
        for (size_t p = 0; p < count; ++p)
            mesh->_apPrimitives.push_back(BuildPrimitive(src.mesh, int(p)));
        _apMeshes.push_back(mesh);
        node->_pMesh = mesh;
    }

    _apNodes.push_back(node);
    if (parent)
        parent->_apChildren.push_back(node);
    else
        _apRoots.push_back(node);
}

rvGLTFModel::Primitive* rvGLTFModel::BuildPrimitive(int meshIndex, int primitiveIndex)
{
    const tinygltf::Primitive& src = _pData->meshes[size_t(meshIndex)].primitives[size_t(primitiveIndex)];
    Primitive* prim = new Primitive;
    prim->_eMode = (src.mode >= TINYGLTF_MODE_POINTS && src.mode <= TINYGLTF_MODE_TRIANGLE_FAN)
                       ? uint32_t(src.mode)
                       : uint32_t(TINYGLTF_MODE_TRIANGLES);

    auto position = src.attributes.find("POSITION");
    AccessorView positions;
    if (position != src.attributes.end()) positions = ViewOf(*_pData, position->second);
    if (positions.ok && positions.components == 3) prim->_nVertexCount = int32_t(positions.count);

    AccessorView indices;
    if (src.indices >= 0)
    {
        indices = ViewOf(*_pData, src.indices);
        const bool valid = indices.ok && indices.components == 1 && indices.stride == indices.elemSize &&
                           (indices.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE ||
                            indices.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ||
                            indices.componentType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT) &&
                           indices.count <= 0x7fffffff;
        if (valid)
        {
            prim->_eIndexType = uint32_t(indices.componentType);
            prim->_nIndexCount = int32_t(indices.count);
        }
        else
        {
            indices.ok = false;
            prim->_nVertexCount = 0; // indices that cannot be read: nothing to draw
        }
    }
    if (!_bUpload) return prim;

    GLuint buffers[6];
    glGenBuffers(6, buffers);
    prim->_nIndexBuffer = buffers[0];
    prim->_nPositionBuffer = buffers[1];
    prim->_nNormalBuffer = buffers[2];
    prim->_nJointsBuffer = buffers[3];
    prim->_nWeightsBuffer = buffers[4];
    prim->_nTexCoordBuffer = buffers[5];
    glGenVertexArrays(1, &prim->_nVertexArray);
    glBindVertexArray(prim->_nVertexArray);

    // Sets of texture coordinates, joints and weights share one buffer each: the last set wins.
    for (const auto& attribute : src.attributes)
    {
        const std::string& name = attribute.first;
        GLuint buffer = 0;
        int location = -1;
        int components = 0;
        bool integer = false;
        if (name == "POSITION")
            buffer = prim->_nPositionBuffer, location = _nPositionLocation, components = 3;
        else if (name == "NORMAL")
            buffer = prim->_nNormalBuffer, location = _nNormalLocation, components = 3;
        else if (name.compare(0, 9, "TEXCOORD_") == 0)
            buffer = prim->_nTexCoordBuffer, location = _nTexCoordLocation, components = 2;
        else if (name.compare(0, 7, "JOINTS_") == 0)
            buffer = prim->_nJointsBuffer, location = _nJointsLocation, components = 4, integer = true;
        else if (name.compare(0, 8, "WEIGHTS_") == 0)
            buffer = prim->_nWeightsBuffer, location = _nWeightsLocation, components = 4;
        else
            continue;
        if (location < 0 && buffer != prim->_nPositionBuffer) continue;
        const AccessorView v = ViewOf(*_pData, attribute.second);
        if (!v.ok || v.components != components) continue;
        if (integer && v.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE &&
            v.componentType != TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT)
            continue;
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(SpanBytes(v)), v.data, GL_STATIC_DRAW);
        if (location >= 0)
        {
            if (integer)
                glVertexAttribIPointer(GLuint(location), components, GLenum(v.componentType),
                                       GLsizei(v.stride), nullptr);
            else
                glVertexAttribPointer(GLuint(location), components, GLenum(v.componentType),
                                      v.normalized ? GL_TRUE : GL_FALSE, GLsizei(v.stride), nullptr);
            glEnableVertexAttribArray(GLuint(location));
        }
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    if (indices.ok)
    {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, prim->_nIndexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, GLsizeiptr(SpanBytes(indices)), indices.data, GL_STATIC_DRAW);
    }
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glGetError();
    return prim;
}

void rvGLTFModel::LoadAnimations()
{
    for (const tinygltf::Animation& src : _pData->animations)
    {
        _aAnimations.emplace_back();
        Animation& anim = _aAnimations.back();
        if (src.name.empty())
            std::snprintf(anim._szName, sizeof(anim._szName), "Anim:%d", int(_aAnimations.size() - 1));
        else
            std::snprintf(anim._szName, sizeof(anim._szName), "%s", src.name.c_str());
        float start = FLT_MAX, end = -FLT_MAX;
        for (const tinygltf::AnimationSampler& ss : src.samplers)
        {
            anim._aSamplers.emplace_back();
            Sampler& s = anim._aSamplers.back();
            const AccessorView in = ViewOf(*_pData, ss.input);
            if (in.ok && in.components == 1 && in.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT)
                for (size_t i = 0; i < in.count; ++i)
                {
                    const float t = in.Float(i, 0);
                    s._aTimes.push_back(t);
                    start = std::min(start, t);
                    end = std::max(end, t);
                }
            if (ss.interpolation == "STEP") s._eInterpolation = INTERP_STEP;
            if (ss.interpolation == "CUBICSPLINE") s._eInterpolation = INTERP_CUBICSPLINE;
            const AccessorView out = ViewOf(*_pData, ss.output);
            if (!out.ok || out.componentType != TINYGLTF_COMPONENT_TYPE_FLOAT ||
                (out.components != 3 && out.components != 4))
                continue;
            // Cubic-spline keys come as (in-tangent, value, out-tangent): the values are
            // kept and joined linearly.
            const size_t first = s._eInterpolation == INTERP_CUBICSPLINE ? 1 : 0;
            const size_t step = s._eInterpolation == INTERP_CUBICSPLINE ? 3 : 1;
            for (size_t i = first; i < out.count; i += step)
                s._aValues.emplace_back(out.Float(i, 0), out.Float(i, 1), out.Float(i, 2),
                                        out.components == 4 ? out.Float(i, 3) : 0.0f);
        }
        if (start > end) start = end = 0.0f; // no key times at all
        anim._fStart = start;
        anim._fEnd = end;
        for (const tinygltf::AnimationChannel& sc : src.channels)
        {
            Node* target = FindNode(sc.target_node);
            if (!target || sc.sampler < 0 || size_t(sc.sampler) >= anim._aSamplers.size()) continue;
            Channel ch;
            ch._ePath = PathOf(sc.target_path);
            ch._pTarget = target;
            ch._nSampler = sc.sampler;
            anim._aChannels.push_back(ch);
        }
    }
}

void rvGLTFModel::LoadSkins()
{
    _aSkins.resize(_pData->skins.size());
    for (size_t i = 0; i < _pData->skins.size(); ++i)
    {
        const tinygltf::Skin& src = _pData->skins[i];
        Skin& skin = _aSkins[i];
        if (src.name.empty())
            std::snprintf(skin._szName, sizeof(skin._szName), "Skin:%d", int(i));
        else
            std::snprintf(skin._szName, sizeof(skin._szName), "%s", src.name.c_str());
        for (int joint : src.joints)
            skin._apJoints.push_back(FindNode(joint));
        const AccessorView ibm = ViewOf(*_pData, src.inverseBindMatrices);
        if (ibm.ok && ibm.components == 16 && ibm.componentType == TINYGLTF_COMPONENT_TYPE_FLOAT)
            for (size_t m = 0; m < ibm.count; ++m)
            {
                glm::mat4 mat;
                for (int c = 0; c < 16; ++c)
                    glm::value_ptr(mat)[c] = ibm.Float(m, c);
                skin._amInverseBind.push_back(mat);
            }
    }
}

void rvGLTFModel::ComputeLocalMatrix(Node* node)
{
    if (node->_bMatrix) return;
    node->_mLocal = glm::translate(glm::mat4(1.0f), node->_vTranslation) * glm::mat4_cast(node->_qRotation) *
                    glm::scale(glm::mat4(1.0f), node->_vScale);
}

glm::mat4 rvGLTFModel::ComputeWorldMatrix(Node* node)
{
    ComputeLocalMatrix(node);
    glm::mat4 world = node->_mLocal;
    for (Node* p = node->_pParent; p; p = p->_pParent)
        world = p->_mLocal * world;
    return world;
}

void rvGLTFModel::UpdateJoints(Node* node)
{
    if (node->_pMesh)
    {
        Mesh* mesh = node->_pMesh;
        const glm::mat4 world = ComputeWorldMatrix(node);
        mesh->_mWorld = world;
        if (node->_pSkin)
        {
            const Skin& skin = *node->_pSkin;
            const glm::mat4 inverseWorld = glm::inverse(world);
            const size_t count = std::min<size_t>(skin._apJoints.size(), MAX_JOINTS);
            for (size_t j = 0; j < count; ++j)
            {
                const glm::mat4 ibm =
                    j < skin._amInverseBind.size() ? skin._amInverseBind[j] : glm::mat4(1.0f);
                mesh->_amJoints[j] = skin._apJoints[j]
                                         ? inverseWorld * ComputeWorldMatrix(skin._apJoints[j]) * ibm
                                         : glm::mat4(1.0f);
            }
            mesh->_nJoints = int32_t(count);
        }
    }
    for (Node* child : node->_apChildren)
        UpdateJoints(child);
}

rvGLTFModel::Node* rvGLTFModel::FindNodeInTree(Node* node, int index)
{
    if (node->_nIndex == index) return node;
    for (Node* child : node->_apChildren)
        if (Node* found = FindNodeInTree(child, index)) return found;
    return nullptr;
}

rvGLTFModel::Node* rvGLTFModel::FindNode(int index)
{
    for (Node* root : _apRoots)
        if (Node* found = FindNodeInTree(root, index)) return found;
    return nullptr;
}

void rvGLTFModel::ApplyValue(Node* node, int path, const glm::vec4& value)
{
    switch (path)
    {
    case PATH_TRANSLATION:
        node->_vTranslation = glm::vec3(value);
        break;
    case PATH_ROTATION:
        node->_qRotation = ToQuat(value);
        break;
    case PATH_SCALE:
        node->_vScale = glm::vec3(value);
        break;
    default:
        return;
    }
    node->_bMatrix = false; // posed by its parts from now on
}

bool rvGLTFModel::SampleAnimation(unsigned index, float time)
{
    if (index >= _aAnimations.size()) return true;
    const Animation& anim = _aAnimations[index];
    const float t = std::max(anim._fStart, std::min(time, anim._fEnd));
    bool applied = false;
    for (const Channel& ch : anim._aChannels)
    {
        const Sampler& s = anim._aSamplers[size_t(ch._nSampler)];
        if (!Usable(s)) continue;
        for (size_t k = 0; k + 1 < s._aTimes.size(); ++k)
        {
            float f = 0.0f;
            if (!IntervalAt(s, k, t, f)) continue;
            ApplyValue(ch._pTarget, ch._ePath, Interpolate(s, k, f, ch._ePath));
            applied = true;
        }
    }
    if (applied) UpdatePose();
    return t >= anim._fEnd;
}

bool rvGLTFModel::SampleChannel(const Animation& anim, const Channel& channel, float time,
                                glm::vec4& value) const
{
    for (const Channel& ch : anim._aChannels)
    {
        if (ch._pTarget != channel._pTarget || ch._ePath != channel._ePath) continue;
        const Sampler& s = anim._aSamplers[size_t(ch._nSampler)];
        if (!Usable(s)) continue;
        for (size_t k = 0; k + 1 < s._aTimes.size(); ++k)
        {
            float f = 0.0f;
            if (s._aTimes[k + 1] <= s._aTimes[k] || !IntervalAt(s, k, time, f)) continue;
            value = Interpolate(s, k, f, ch._ePath);
            return true;
        }
    }
    return false;
}

bool rvGLTFModel::SampleBlendedAnimation(unsigned from, unsigned to, float time, float blendDuration)
{
    if (from >= _aAnimations.size() || to >= _aAnimations.size()) return true;
    const Animation& a = _aAnimations[from];
    const Animation& b = _aAnimations[to];
    const float half = blendDuration / 2.0f;
    const float tb = std::max(b._fStart, b._fStart + time - a._fEnd);
    float ta = std::max(a._fStart, time);
    if (ta >= a._fEnd)
    {
        ta = a._fEnd;
        _fBlend = 1.0f;
    }
    else if (ta >= a._fEnd - half)
        _fBlend = std::max(0.0f, std::min(1.0f, 1.0f - (a._fEnd - time) / half));

    if (_fBlend == 0.0f) return SampleAnimation(from, time);

    bool applied = false;
    for (const Channel& ch : b._aChannels)
    {
        const Sampler& s = b._aSamplers[size_t(ch._nSampler)];
        if (!Usable(s)) continue;
        for (size_t k = 0; k + 1 < s._aTimes.size(); ++k)
        {
            float f = 0.0f;
            if (s._aTimes[k + 1] <= s._aTimes[k] || !IntervalAt(s, k, tb, f)) continue;
            const glm::vec4 vb = Interpolate(s, k, f, ch._ePath);
            // A node the left animation does not move starts from its rest pose.
            glm::vec4 va = RestValue(ch._pTarget, ch._ePath);
            SampleChannel(a, ch, ta, va);
            if (ch._ePath == PATH_ROTATION)
                ApplyValue(ch._pTarget, ch._ePath, FromQuat(glm::slerp(ToQuat(va), ToQuat(vb), _fBlend)));
            else
                ApplyValue(ch._pTarget, ch._ePath, va + (vb - va) * _fBlend);
            applied = true;
        }
    }
    if (applied) UpdatePose();
    if (time - (a._fEnd - a._fStart) >= b._fStart + half)
    {
        _fBlend = 0.0f;
        return true;
    }
    return false;
}

void rvGLTFModel::Draw()
{
    for (Mesh* mesh : _apMeshes)
        for (Primitive* p : mesh->_apPrimitives)
        {
            if (!p->_nVertexArray) continue;
            glBindVertexArray(p->_nVertexArray);
            if (p->_nIndexCount > 0)
                glDrawElements(p->_eMode, p->_nIndexCount, p->_eIndexType, nullptr);
            else if (p->_eIndexType == 0 && p->_nVertexCount > 0)
                glDrawArrays(p->_eMode, 0, p->_nVertexCount);
            glBindVertexArray(0);
        }
}
