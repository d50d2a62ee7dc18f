#include "effects/fxBackCircuit/fxBackCircuit.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Loader/rvDataPack.h"
#include "rvAssert.h"
#include "rvMath.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <stb_image.h>

#include <algorithm>
#include <cmath>

namespace
{
const char* const s_pszPathImage = "Data/img/circuitPath.png";
const char* const s_pszBackImage = "Data/img/circuitBack.png";
const char* const s_apszDrawMode[] = {"Points", "Lines"};

int Wrap(int v, int nSize)
{
    v %= nSize;
    return v < 0 ? v + nSize : v;
}

// v moved by whole periods into [lo, lo + period); 0 for a value that is not finite.
float WrapInto(float v, float lo, float period)
{
    if (!std::isfinite(v) || !(period > 0.0f)) return 0.0f;
    float r = std::fmod(v - lo, period);
    if (r < 0.0f) r += period;
    return lo + r;
}

bool IsTrace(const uint8_t* p)
{
    return p[0] >= 155;
}
bool IsHidden(const uint8_t* p)
{
    return p[2] >= 155;
}
bool IsEntry(const uint8_t* p)
{
    return p[0] >= 155 && p[1] <= 154 && p[2] >= 155;
}
} // namespace

fxBackCircuit::fxBackCircuit(fxDescriptor* pDescriptor) : fxBase(pDescriptor) {}

fxBackCircuit::~fxBackCircuit()
{
    _shObjectMapping.Release();
    _shObjectWireframe.Release();
    _shImgBack.Release();
}

const uint8_t* fxBackCircuit::PathPixel(int x, int y) const
{
    return &_imgPath[(size_t(Wrap(y, _imgHeight)) * size_t(_imgWidth) + size_t(Wrap(x, _imgWidth))) * 4];
}

bool fxBackCircuit::LoadPath(const uint8_t* pBytes, int nSize)
{
    _imgPath.clear();
    _imgWidth = _imgHeight = 0;
    if (!pBytes || nSize <= 0) return false;
    int x = 0, y = 0, n = 0;
    // The size is read from the header first: a picture too large is refused before decoding.
    if (!stbi_info_from_memory(pBytes, nSize, &x, &y, &n) || x <= 0 || y <= 0 || x > MAX_IMAGE_SIDE ||
        y > MAX_IMAGE_SIDE)
        return false;
    stbi_set_flip_vertically_on_load(0);
    uint8_t* pPixels = stbi_load_from_memory(pBytes, nSize, &x, &y, &n, 4);
    if (!pPixels) return false;
    _imgPath.assign(pPixels, pPixels + size_t(x) * size_t(y) * 4);
    stbi_image_free(pPixels);
    _imgWidth = x;
    _imgHeight = y;
    return true;
}

void fxBackCircuit::FindEntryPoints()
{
    _vEntryPoints.clear();
    ELECTRON aFound[NEIGHBOUR_BUFFER];
    for (int y = 0; y < _imgHeight; ++y)
        for (int x = 0; x < _imgWidth; ++x)
        {
            if (!IsEntry(PathPixel(x, y))) continue;
            ELECTRON probe;
            probe._vPos = glm::vec2(float(x), float(y));
            const int n = FindNeighbours(aFound, probe, 2);
            for (int k = 0; k < n; ++k)
            {
                ELECTRON entry;
                entry._vPos = entry._vPrevPos = probe._vPos;
                entry._vDir = aFound[k]._vDir;
                entry._bVisible = false;
                _vEntryPoints.push_back(entry);
            }
        }
}

int fxBackCircuit::FindNeighbours(ELECTRON* pOut, const ELECTRON& probe, int nRadius) const
{
    if (!pOut || nRadius == 0 || _imgPath.empty()) return 0;
    nRadius = std::min(std::abs(nRadius), 2); // 24 neighbours fill at most 24 of the 32 records
    const int cx = Wrap(int(probe._vPos.x), _imgWidth), cy = Wrap(int(probe._vPos.y), _imgHeight);
    int n = 0;
    for (int dy = -nRadius; dy <= nRadius; ++dy)
        for (int dx = -nRadius; dx <= nRadius; ++dx)
        {
            if (dx == 0 && dy == 0) continue;
            const uint8_t* p = PathPixel(cx + dx, cy + dy);
            if (!IsTrace(p) || n >= NEIGHBOUR_BUFFER) continue;
            ELECTRON& r = pOut[n++];
            r = ELECTRON();
            r._vPos = glm::vec2(float(cx + dx), float(cy + dy));
            r._vDir = glm::vec2(float(dx), float(dy)) / std::sqrt(float(dx * dx + dy * dy));
            r._bVisible = !IsHidden(p);
        }
    return n;
}

void fxBackCircuit::SpawnElectron(ELECTRON& e, int nRadius)
{
    if (_imgPath.empty()) return;
    if (nRadius > 0)
    {
        const int x0 = int((long long)rvRand15() * _imgWidth / 32768);
        const int y0 = int((long long)rvRand15() * (_imgHeight - 1) / 32768);
        auto candidate = [&](int x, int y)
        {
            const uint8_t* p = PathPixel(x, y);
            return p[0] >= 155 || p[2] >= 155;
        };
        bool bFound = false;
        for (int d = 0; d < _imgWidth && !bFound; ++d)
        {
            if (x0 - d >= 0 && candidate(x0 - d, y0))
            {
                e._vPos = glm::vec2(float(x0 - d), float(y0));
                bFound = true;
            }
            else if (x0 + d < _imgWidth && candidate(x0 + d, y0))
            {
                e._vPos = glm::vec2(float(x0 + d), float(y0));
                bFound = true;
            }
        }
        bool bColumn = false;
        for (int d = 0; d < _imgHeight && !bColumn; ++d)
        {
            if (y0 - d >= 0 && candidate(x0, y0 - d))
            {
                e._vPos = glm::vec2(float(x0), float(y0 - d));
                bColumn = true;
            }
            else if (y0 + d < _imgHeight && candidate(x0, y0 + d))
            {
                e._vPos = glm::vec2(float(x0), float(y0 + d));
                bColumn = true;
            }
        }
        if (bFound || bColumn)
        {
            ELECTRON aFound[NEIGHBOUR_BUFFER];
            const int n = FindNeighbours(aFound, e, nRadius);
            if (n > 0)
            {
                e._vPrevPos = e._vPos;
                const ELECTRON& r = aFound[(long long)rvRand15() * n / 32768];
                e._vDir = r._vDir;
                e._bVisible = r._bVisible;
                return;
            }
        }
    }
    // Restart at an entry point. A path picture without entries parks the electron, unseen.
    if (_vEntryPoints.empty())
    {
        e._vDir = glm::vec2(0.0f);
        e._bVisible = false;
        return;
    }
    const ELECTRON& entry = _vEntryPoints[size_t((long long)rvRand15() * (long long)_vEntryPoints.size() / 32768)];
    e._vPos = e._vPrevPos = entry._vPos;
    e._vDir = entry._vDir;
    e._bVisible = entry._bVisible;
    const float m = float(rvRand15()) / 32768.0f;
    e._vColor = _vElectronColor0 + (_vElectronColor1 - _vElectronColor0) * m;
    e._fSpeed = _vSpeed01.x + (_vSpeed01.y - _vSpeed01.x) * m;
    e._fThickness = _vThickness01.x + (_vThickness01.y - _vThickness01.x) * m;
}

void fxBackCircuit::MoveElectron(ELECTRON& e, float dt)
{
    ELECTRON aFound[NEIGHBOUR_BUFFER];
    const int n = FindNeighbours(aFound, e, 2);
    float fBest = 0.001f;
    int nChosen = -1;
    for (int k = 0; k < n; ++k)
    {
        const float q = glm::dot(e._vDir, aFound[k]._vDir);
        if (q >= fBest)
        {
            fBest = q;
            nChosen = k;
        }
    }
    if (nChosen < 0)
    {
        SpawnElectron(e, -1);
        return;
    }
    const ELECTRON& r = aFound[nChosen];
    // No step is longer than 2 pixels; a speed that is not a number does not move.
    const float fSpeed = std::isfinite(e._fSpeed) ? std::clamp(e._fSpeed, 0.0f, 2.0f / dt) : 0.0f;
    e._vPrevPos = e._vPos;
    e._vPos += r._vDir * fSpeed * dt;
    e._vDir = r._vDir;
    e._bVisible = r._bVisible;
    // Back into the picture by whole periods (the path tiles), both positions alike.
    const glm::vec2 vWrapped(WrapInto(e._vPos.x, 0.0f, float(_imgWidth)), WrapInto(e._vPos.y, 0.0f, float(_imgHeight)));
    e._vPrevPos += vWrapped - e._vPos;
    e._vPos = vWrapped;
    if (e._bVisible)
    {
        e._vScreenPrev = ImageToDisplay(e._vPrevPos);
        e._vScreenPos = ImageToDisplay(e._vPos);
    }
}

glm::vec2 fxBackCircuit::ImageToDisplay(const glm::vec2& p) const
{
    const float s = _fCalage * _fZoom;
    return glm::vec2((p.x - float(_imgWidth / 2) + _vPixelScroll.x) * s,
                     (float(_imgHeight / 2) - p.y + _vPixelScroll.y) * s);
}

void fxBackCircuit::Init()
{
    _shImgBack.Prepare(); // compiled in the loading pass, not by the first frame
    if (!_vElectrons.empty()) return;
    _bReported = false;
    std::vector<uint8_t> bytes;
    const bool bRead = rvDataPack::GetInstance()->ReadInto(s_pszPathImage, bytes);
    if (!bRead || !LoadPath(bytes.data(), int(bytes.size())))
    {
        rvReport(rvMessageKind::Warning, "fxBackCircuit: cannot use \"%s\"; no electrons are drawn", s_pszPathImage);
        _bReported = true;
    }
    _shImgBack.LoadImage(s_pszBackImage, false);
    if (!_shImgBack.IsImageLoaded())
    {
        rvReport(rvMessageKind::Warning, "fxBackCircuit: cannot use \"%s\"; the board is not drawn", s_pszBackImage);
        _bReported = true;
    }
    else if (!_imgPath.empty() && (_shImgBack._imageWidth != _imgWidth || _shImgBack._imageHeight != _imgHeight))
    {
        rvReport(rvMessageKind::Warning, "fxBackCircuit: \"%s\" is %dx%d but \"%s\" is %dx%d; they will not align",
                 s_pszBackImage, _shImgBack._imageWidth, _shImgBack._imageHeight, s_pszPathImage, _imgWidth,
                 _imgHeight);
        _bReported = true;
    }
    if (_imgPath.empty()) return;
    FindEntryPoints();
    const int nCount = rvBoundInt(this, "Electron/Count", _nElectronCount, 0, MAX_ELECTRONS);
    _vElectrons.reserve(size_t(nCount));
    for (int i = 0; i < nCount; ++i)
    {
        ELECTRON e;
        SpawnElectron(e, 2);
        _vElectrons.push_back(e);
    }
}

void fxBackCircuit::Kill()
{
    _shObjectMapping.Release();
    _shObjectWireframe.Release();
    _shImgBack.Release();
    _vElectrons.clear();
    _vEntryPoints.clear();
    _imgPath.clear();
    _imgWidth = _imgHeight = 0;
}

void fxBackCircuit::Render()
{
    const float dt = _fDeltaTime;
    if (dt < 0.0f || !(_fZoom > 0.0f) || !(_fCalage > 0.0f) || !std::isfinite(_fZoom) || !std::isfinite(_fCalage))
        return;
    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    rvAssert(pBuffer);
    if (!_imgPath.empty())
    {
        const size_t nCount = size_t(rvBoundInt(this, "Electron/Count", _nElectronCount, 0, MAX_ELECTRONS));
        while (_vElectrons.size() < nCount)
        {
            ELECTRON e;
            SpawnElectron(e, 2);
            _vElectrons.push_back(e);
        }
        _vElectrons.resize(nCount);
    }

    // Sizes of the path picture (or of the board when only the board could be read).
    const float W = float(_imgPath.empty() ? _shImgBack._imageWidth : _imgWidth);
    const float H = float(_imgPath.empty() ? _shImgBack._imageHeight : _imgHeight);
    if (!(W > 0.0f && H > 0.0f) || pBuffer->_nWidth <= 0 || pBuffer->_nHeight <= 0) return;
    const float T = float(pBuffer->_nWidth) * (H / float(pBuffer->_nHeight));
    _vUVScroll.x = WrapInto(_vUVScroll.x - _vMotion.x * dt / W, 0.0f, 1.0f);
    _vUVScroll.y = WrapInto(_vUVScroll.y + _vMotion.y * dt / H, 0.0f, 1.0f);
    _vPixelScroll.x = WrapInto(_vPixelScroll.x + _vMotion.x * dt, -T / 2.0f - W, W);
    _vPixelScroll.y = WrapInto(_vPixelScroll.y - _vMotion.y * dt, -H / 2.0f - H, H);
    _vectorMin = glm::vec2(-T / 2.0f, -H / 2.0f) * _fCalage;
    _vectorMax = glm::vec2(T / 2.0f, H / 2.0f) * _fCalage;
    _vectorModulo = glm::vec2(W, H) * _fZoom * _fCalage;

    if (dt > 0.0f)
    {
        const rvTimelineClock::SimulationSteps steps = SimulationSteps();
        for (ELECTRON& e : _vElectrons)
            for (int i = 0; i < steps.nCount; ++i)
                MoveElectron(e, steps.fStep);
    }
    DrawBackground();
    DrawElectrons();
}

void fxBackCircuit::DrawBackground()
{
    if (!_shImgBack.IsImageLoaded()) return;
    const float f = GetFade();
    _shImgBack.Use();
    _shImgBack.SetMulColor(f * _vBackColorMul.r, f * _vBackColorMul.g, f * _vBackColorMul.b);
    _shImgBack._vUVOffset = _vUVScroll;
    _shImgBack._vUVScale = glm::vec2(1.0f / _fZoom);
    _shImgBack.Draw(QUAD_WIDTH_FROM_HEIGHT | QUAD_EXTEND);
    _shImgBack.Unuse();
}

void fxBackCircuit::DrawElectrons()
{
    vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(pDisplay);
    if (_vElectrons.empty() || !(_vectorModulo.x > 0.0f) || !(_vectorModulo.y > 0.0f)) return;
    const float f = GetFade();
    // Tiles across the window, bounded so that an extreme zoom cannot ask for millions of copies.
    const int nx = std::min(int((_vectorMax.x - _vectorMin.x) / _vectorModulo.x) + 2, 64);
    const int ny = std::min(int((_vectorMax.y - _vectorMin.y) / _vectorModulo.y) + 2, 64);
    for (const ELECTRON& e : _vElectrons)
    {
        if (!e._bVisible) continue;
        const glm::vec3 c = f * e._vColor;
        for (int j = 0; j <= ny; ++j)
        {
            const float y = e._vScreenPos.y + float(j) * _vectorModulo.y;
            if (y >= _vectorMax.y) break;
            if (y < _vectorMin.y) continue;
            for (int k = 0; k <= nx; ++k)
            {
                const float x = e._vScreenPos.x + float(k) * _vectorModulo.x;
                if (x >= _vectorMax.x) break;
                if (x < _vectorMin.x) continue;
                const vector_display_point p(x, y, 0.0f, c.r, c.g, c.b, 0, e._fThickness);
                if (_eDrawMode == 1)
                {
                    const vector_display_point q(x - e._vScreenPos.x + e._vScreenPrev.x,
                                                 y - e._vScreenPos.y + e._vScreenPrev.y, 0.0f, c.r, c.g, c.b, 0,
                                                 e._fThickness);
                    vector_display_add_line(pDisplay, &p, &q);
                }
                else
                    vector_display_add_dot(pDisplay, &p);
            }
        }
    }
}

fxDescriptor* fxBackCircuit::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor =
        new fxDescriptor(fxBase::GetDescriptor(), "fxBackCircuit", &fxBackCircuit::Create);
    return s_pDescriptor;
}

fxBase* fxBackCircuit::Create(fxDescriptor* pDescriptor)
{
    return new fxBackCircuit(pDescriptor);
}

fxDescriptor* fxBackCircuit::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    typedef fxBackCircuit T;
    d->Add(TYPE_INT, "Electron/Count", rvOffsetOf<T>(&T::_nElectronCount))->SetIntRange(1, 2000);
    d->Add(TYPE_COLOR3, "Electron/Color0", rvOffsetOf<T>(&T::_vElectronColor0));
    d->Add(TYPE_COLOR3, "Electron/Color1", rvOffsetOf<T>(&T::_vElectronColor1));
    d->Add(TYPE_VEC2, "Electron/Thickness01", rvOffsetOf<T>(&T::_vThickness01));
    d->Add(TYPE_VEC2, "Electron/Speed01", rvOffsetOf<T>(&T::_vSpeed01));
    d->Add(TYPE_ENUM, "Electron/DrawMode", rvOffsetOf<T>(&T::_eDrawMode))->SetItems(s_apszDrawMode, 2);
    d->Add(TYPE_COLOR3, "BackColorMul", rvOffsetOf<T>(&T::_vBackColorMul));
    d->Add(TYPE_FLOAT, "zoom", rvOffsetOf<T>(&T::_fZoom))->SetRange(0.5f, 2.0f);
    d->Add(TYPE_VEC2, "motion", rvOffsetOf<T>(&T::_vMotion))->SetRange(-100.0f, 100.0f);
    d->Add(TYPE_FLOAT, "calage", rvOffsetOf<T>(&T::_fCalage))->SetRange(0.0f, 1.0f);
    return d;
}
