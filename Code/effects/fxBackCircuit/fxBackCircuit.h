#pragma once
// Circuit board background: the picture "Data/img/circuitBack.png" scrolls and tiles over the
// whole height of the current buffer, and electrons run along its traces as glowing dots or short
// segments on the vector display, repeated over every visible tile.
//
// The electrons walk a second picture of the same size, "Data/img/circuitPath.png", that is never
// shown: red >= 155 marks a trace, blue >= 155 a run hidden under a part (the electron moves but is
// not drawn), magenta (red and blue >= 155, green <= 154) the entry points where electrons start
// again after a dead end. The path picture tiles too: electrons leaving one side come back on the
// other. Each step an electron takes the neighbour (within two pixels) whose direction is closest
// to its own, never turning by 90 degrees or more.
#include "Factory/fxBase.h"
#include "effects/fxBackCircuit/shBackCircuitObject.h"
#include "rvShaderProgram.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <vector>

class fxBackCircuit : public fxBase
{
public:
    // An electron, or an entry point (a position and the direction of the trace leaving it).
    struct ELECTRON
    {
        glm::vec2 _vPrevPos = glm::vec2(0.0f); // path pixels, before the last step
        glm::vec2 _vPos = glm::vec2(0.0f);     // path pixels, x to the right, y downwards
        glm::vec2 _vScreenPrev = glm::vec2(0.0f);
        glm::vec2 _vScreenPos = glm::vec2(0.0f);
        glm::vec2 _vDir = glm::vec2(0.0f);
        glm::vec3 _vColor = glm::vec3(0.0f);
        float _fSpeed = 100.0f;
        float _fThickness = 0.5f;
        bool _bVisible = true;
    };
    static constexpr int NEIGHBOUR_BUFFER = 32;
    static constexpr int MAX_ELECTRONS = 10000;
    // Largest path picture decoded (each side), so that a hostile file cannot ask for more memory.
    static constexpr int MAX_IMAGE_SIDE = 8192;

    explicit fxBackCircuit(fxDescriptor* pDescriptor);
    ~fxBackCircuit() override;

    void Init() override;
    void Kill() override;
    void Render() override;

    // Decodes a path picture (PNG bytes) into _imgPath; false, with no picture kept, when the bytes
    // are not an image or the image is larger than MAX_IMAGE_SIDE on a side.
    bool LoadPath(const uint8_t* pBytes, int nSize);
    // Builds the entry points from the path picture (once it is loaded).
    void FindEntryPoints();
    int FindNeighbours(ELECTRON* pOut, const ELECTRON& probe, int nRadius) const;
    void SpawnElectron(ELECTRON& e, int nRadius);
    // One step of dt seconds along the traces (a frame runs as many as SimulationSteps says).
    void MoveElectron(ELECTRON& e, float dt);
    void DrawBackground();
    void DrawElectrons();
    glm::vec2 ImageToDisplay(const glm::vec2& p) const;

    // The path pixel at (x, y), wrapped into the picture.
    const uint8_t* PathPixel(int x, int y) const;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    int _nElectronCount = 1000;
    glm::vec3 _vElectronColor0 = glm::vec3(12.0f, 80.0f, 109.0f) / 255.0f;
    glm::vec3 _vElectronColor1 = glm::vec3(66.0f, 118.0f, 125.0f) / 255.0f;
    glm::vec2 _vThickness01 = glm::vec2(0.5f, 2.0f);
    glm::vec2 _vSpeed01 = glm::vec2(10.0f, 100.0f);
    int _eDrawMode = 0; // 0 "Points", 1 "Lines"
    glm::vec3 _vBackColorMul = glm::vec3(1.0f);
    float _fZoom = 1.0f;
    glm::vec2 _vMotion = glm::vec2(-30.0f, 0.0f);
    float _fCalage = 0.096f;

    std::vector<uint8_t> _imgPath; // RGBA, row 0 at the top
    int _imgWidth = 0, _imgHeight = 0;
    rvTexColorProgram2D _shImgBack;
    std::vector<ELECTRON> _vEntryPoints;
    std::vector<ELECTRON> _vElectrons;
    glm::vec2 _vUVScroll = glm::vec2(0.0f);
    glm::vec2 _vPixelScroll = glm::vec2(0.0f);
    glm::vec2 _vectorMin = glm::vec2(0.0f), _vectorMax = glm::vec2(0.0f), _vectorModulo = glm::vec2(0.0f);
    shBackCircuitObjectMapping _shObjectMapping;
    shBackCircuitObjectWireframe _shObjectWireframe;
    // A problem with the pictures has been reported since the last Init.
    bool _bReported = false;
};
