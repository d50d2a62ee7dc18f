#pragma once
// Tunnel of rings: the camera flies through an endless chain of rings along z, drawn as a glowing
// wireframe by shTunnelPattern3d. A fixed number of rings surrounds the camera: as the travelled
// depth advances, the ring at one end of the chain is regenerated (new random variation, the
// "Next" shape) and moved to the other end. Each band between two neighbouring rings is one
// triangle strip in a vertex buffer of its own.
//
// A ring's shape is the sum of the live main shape ("Main/Form": 0 line, 1 circle, 2 square, mixed
// between) and the ring's own shape fixed when it was generated ("Next/Form"), both deformed by
// periodic patterns (point number and ring number modulo 8) and random variation.
#include "Factory/fxBase.h"
#include "List.h"
#include "effects/fxTunnelPattern3d/shTunnelPattern3d.h"

#include <glm/glm.hpp>

class fxTunnelPattern3d : public fxBase
{
public:
    static constexpr int MAX_CIRCLES = 128;
    static const int MAX_POINTS = 129; // points of a ring: intervals + 1
    static const int VERTEX_BYTES = 100;
    static const int BAND_BYTES = MAX_POINTS * 2 * VERTEX_BYTES; // 25,800

    // One point of a ring shape.
    struct FORM_POINT
    {
        glm::vec2 tgt; // tangent step, along increasing point number on the line and the circle
        glm::vec2 rad; // inward normal, a quarter of the radius long
        glm::vec2 off; // position in the ring plane
        glm::vec3 var; // variation along tgt, along rad, along the axis (in ring depths)
    };
    typedef FORM_POINT FORM[MAX_POINTS];

    // A ring of the chain; depth interval [zmin, zmax].
    class PTS_CIRCLE : public TLS_LIST_ELEMENT
    {
    public:
        glm::vec2 offset = glm::vec2(0.0f);
        float zmin = 0.0f, zmax = 0.0f;
        float explosion = 0.0f;
        int index = 0; // ring number, may be negative
        FORM pts = {};
    };

    // The design values, side by side; a change rebuilds forms and chain.
    struct DESIGN
    {
        int _nCircleCount = 64;
        int _nPointPerCircle = 64;
        float _fStepz = 10.0f;
        float _fRadius = 20.0f;
        bool operator!=(const DESIGN& o) const
        {
            return _nCircleCount != o._nCircleCount || _nPointPerCircle != o._nPointPerCircle ||
                   _fStepz != o._fStepz || _fRadius != o._fRadius;
        }
    };

    explicit fxTunnelPattern3d(fxDescriptor* pDescriptor);
    ~fxTunnelPattern3d() override;

    void OnEffectStart() override;
    void OnEffectStop() override;
    void Render() override;

    void BuildDesign();
    void GenerateCircle(PTS_CIRCLE* pCircle, int nIndex, float fZmin, float fZmax);
    void MixForms(FORM& out, const FORM& a, const FORM& b, float t) const;
    void DrawTunnel();
    // out = the form selected by f (0 line, 1 circle, 2 square, between: mixed).
    void SelectForm(FORM& out, float f) const;
    // The design with its values bounded to what the buffers hold; false when it cannot be drawn.
    bool UsableDesign(DESIGN& out) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    DESIGN _Design;
    DESIGN _DesignBuilt;
    float _fMainSpeed = 20.0f;
    glm::vec3 _vMainPosition = glm::vec3(0.0f);
    glm::vec3 _vMainRotation = glm::vec3(0.0f);
    float _fMainForm = 1.0f;
    float _afMainPatternWeight[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    float _fMainSpectrer = 0.0f;
    float _fMainExplosion = 0.0f;
    glm::vec2 _vNextOffset = glm::vec2(0.0f);
    float _fNextForm = 1.0f;
    float _afNextPatternWeight[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    glm::vec3 _vNextVariation = glm::vec3(0.0f);
    float _fNextExplosion = 0.0f;
    bool _bClearDepth = false;

    glm::vec4 _aPatternTables[4][8];
    glm::vec4 _aMainPattern[8];
    FORM _aForms[3];
    FORM _aMainForm;
    float _fOffsetZ = 0.0f;
    glm::mat4 _mViewProjection = glm::mat4(1.0f);
    TLS_LIST _lCircles;
    GLuint _glVertexBuffers[MAX_CIRCLES] = {};
    GLuint _glUniformBuffer = 0;
    GLuint _glVertexArray = 0;
    shTunnelPattern3d _shProgram;
};
