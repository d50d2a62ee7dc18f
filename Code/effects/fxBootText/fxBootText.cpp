#include "effects/fxBootText/fxBootText.h"

#include "Factory/AttribDesc.h"
#include "Factory/fxDescriptor.h"
#include "Factory/rvBound.h"
#include "Loader/rvDataPack.h"
#include "rvAssert.h"
#include "rvMessage.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <algorithm>
#include <climits>
#include <cmath>

fxBootText::fxBootText(fxDescriptor* pDescriptor) : fxBase(pDescriptor)
{
    _lineToText.push_back(0);
}

fxBootText::~fxBootText() = default;

void fxBootText::Init()
{
    _shCursor.Prepare(); // compiled in the loading pass, not by the first frame
    _shText.LoadFont(_sFont.c_str());
    // Read with the other files of the loading pass too; each start reads it again.
    LoadText(_sTextFile);
}

void fxBootText::OnEffectStart()
{
    LoadText(_sTextFile);
}

void fxBootText::Parse(const uint8_t* pBytes, size_t nSize, std::string& sText, std::vector<int>& aLineToText,
                       std::vector<STATE>& aStates)
{
    sText.clear();
    aLineToText.assign(1, 0);
    aStates.clear();
    float fDelay = 0.0f;
    int nLine = 0, nColumn = 0, nRun = 0;
    for (size_t i = 0; i < nSize; ++i)
    {
        const uint8_t c = pBytes[i];
        if (c == 0xC2 && i + 1 < nSize && pBytes[i + 1] == 0xA6)
        {
            ++nRun;
            ++i;
            continue;
        }
        if (nRun > 0) // the run ended: what came before it is released
        {
            aStates.push_back({fDelay, nLine, nColumn});
            fDelay += 0.1f * float(nRun);
            nRun = 0;
        }
        if (c == '\r') continue;
        if (c == '\n')
        {
            ++nLine;
            nColumn = 0;
            aLineToText.push_back(int(sText.size()));
            continue;
        }
        sText.push_back(char(c));
        ++nColumn;
    }
    if (nRun > 0) aStates.push_back({fDelay, nLine, nColumn});
}

bool fxBootText::LoadText(const std::string& sPath)
{
    std::vector<uint8_t> bytes;
    if (!rvDataPack::GetInstance()->ReadInto(sPath, bytes)) return false;
    if (bytes.size() > MAX_TEXT_BYTES)
    {
        rvReport(rvMessageKind::Warning, "fxBootText: \"%s\" is larger than %u bytes; not shown", sPath.c_str(),
                 unsigned(MAX_TEXT_BYTES));
        return false;
    }
    Parse(bytes.data(), bytes.size(), _text, _lineToText, _states);
    return !_text.empty();
}

int fxBootText::StateAt(float g) const
{
    int s = -1;
    for (size_t i = 0; i < _states.size() && _states[i].time <= g; ++i)
        s = int(i);
    return s;
}

std::string fxBootText::LinePiece(int nLine, int nMaxBytes) const
{
    if (nLine < 0 || nLine >= int(_lineToText.size()) || nMaxBytes <= 0) return std::string();
    const size_t nBegin = size_t(_lineToText[size_t(nLine)]);
    const size_t nEnd = nLine + 1 < int(_lineToText.size()) ? size_t(_lineToText[size_t(nLine) + 1]) : _text.size();
    if (nBegin >= nEnd) return std::string();
    return _text.substr(nBegin, std::min(nEnd - nBegin, size_t(nMaxBytes)));
}

std::vector<std::string> fxBootText::VisibleLines(const STATE& s) const
{
    std::vector<std::string> lines;
    // Lines before the first take no room, so the loop starts at the first line that exists.
    const int nLineMax = rvBoundInt(this, "NbLineMax", _nNbLineMax, 0, INT_MAX); // INT_MIN - 1 is no int
    for (int k = std::min(nLineMax - 1, s.line); k >= 0; --k)
    {
        std::string piece = LinePiece(s.line - k, k == 0 ? s.column : 999);
        if (!piece.empty()) lines.push_back(std::move(piece));
    }
    return lines;
}

void fxBootText::Render()
{
    rvBufferDisplay* pBuffer = rvSceneDisplay::_pCurrentBuffer;
    vector_display* pDisplay = rvSceneDisplay::_pCurrentDisplay;
    rvAssert(pBuffer);
    rvAssert(pDisplay);
    const float W = float(pBuffer->_nWidth), H = float(pBuffer->_nHeight);
    if (W > 0.0f) _vSize.x = _vSize.y * H / W;
    GLuint previousFramebuffer = 0;
    if (_bGlow) previousFramebuffer = vector_display_begin_frame(pDisplay, true);

    const float t = _fTime;
    const int nState = _text.empty() ? -1 : StateAt(_fLocalTimeScale * t);
    rvAssert(!_lineToText.empty());
    if (nState >= 0 && _shText._fs && W > 0.0f && H > 0.0f)
    {
        const STATE& s = _states[size_t(nState)];
        const float h = 0.02f * _vSize.y;
        const float fStep = (_fSpacey + 0.5f) * h;
        const int nPasses = std::min(_nRenderPass, MAX_RENDER_PASSES);
        const bool bCursorOn =
            _bShowCursor && _fBlinkCursor > 0.0f && std::fmod(t, 2.0f * _fBlinkCursor) < _fBlinkCursor;
        const std::vector<std::string> lines = VisibleLines(s);
        const bool bCurrentShown = !LinePiece(s.line, s.column).empty(); // the cursor follows it
        float y = fStep;
        for (size_t i = 0; i < lines.size(); ++i)
        {
            const std::string& piece = lines[i];
            _shText.Begin();
            _shText.SetSize(h);
            _shText.SetColor(_vColor.r, _vColor.g, _vColor.b, _vColor.a);
            float xe = _vPos.x;
            for (int pass = 0; pass < nPasses; ++pass)
                xe = _shText.DrawText(_vPos.x, y + _vPos.y, piece.c_str());
            _shText.End();
            if (i + 1 == lines.size() && bCurrentShown && bCursorOn && nPasses > 0)
            {
                if (!_bCursorQuad)
                {
                    _shText.Begin();
                    _shText.SetSize(h);
                    _shText.SetColor(_vColor.r, _vColor.g, _vColor.b, _vColor.a);
                    for (int pass = 0; pass < nPasses; ++pass)
                        TextStashDrawText(_shText._fs, W * xe, H * (y + _vPos.y), "_");
                    _shText.End();
                }
                else
                {
                    _shCursor.UseWithColor(_vColor.r, _vColor.g, _vColor.b, _vColor.a);
                    _shCursor.DrawQuad(QUAD_LEFT | QUAD_BOTTOM, xe, y + _vPos.y, 0.5f * h, h);
                    _shCursor.Unuse();
                }
            }
            y += fStep;
        }
    }
    if (_bGlow) vector_display_glow(pDisplay, previousFramebuffer);
}

fxDescriptor* fxBootText::GetDescriptor()
{
    static fxDescriptor* s_pDescriptor = new fxDescriptor(fxBase::GetDescriptor(), "fxBootText", &fxBootText::Create);
    return s_pDescriptor;
}

fxBase* fxBootText::Create(fxDescriptor* pDescriptor)
{
    return new fxBootText(pDescriptor);
}

fxDescriptor* fxBootText::RegisterAttributes()
{
    fxDescriptor* d = GetDescriptor();
    if (!d->_apAttribs.empty()) return d;
    typedef fxBootText T;
    d->Add(TYPE_FILE, "Font", rvOffsetOf<T>(&T::_sFont))->_sFilter = ".ttf";
    d->Add(TYPE_FILE, "Text", rvOffsetOf<T>(&T::_sTextFile))->_sFilter = ".txt";
    d->Add(TYPE_VEC2, "Pos", rvOffsetOf<T>(&T::_vPos))->SetRange(-1.0f, 1.0f);
    d->Add(TYPE_VEC2, "Size", rvOffsetOf<T>(&T::_vSize))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_FLOAT, "Spacey", rvOffsetOf<T>(&T::_fSpacey))->SetRange(0.0f, 3.0f);
    d->Add(TYPE_COLOR4, "Color", rvOffsetOf<T>(&T::_vColor));
    d->Add(TYPE_BOOL, "Glow", rvOffsetOf<T>(&T::_bGlow));
    d->Add(TYPE_INT, "NbLineMax", rvOffsetOf<T>(&T::_nNbLineMax));
    d->Add(TYPE_FLOAT, "Local TimeScale", rvOffsetOf<T>(&T::_fLocalTimeScale));
    d->Add(TYPE_BOOL, "Show Cursor", rvOffsetOf<T>(&T::_bShowCursor));
    d->Add(TYPE_FLOAT, "Blink Cursor", rvOffsetOf<T>(&T::_fBlinkCursor))->SetRange(0.0f, 2.0f);
    d->Add(TYPE_BOOL, "Cursor Quad", rvOffsetOf<T>(&T::_bCursorQuad));
    d->Add(TYPE_INT, "Render Pass", rvOffsetOf<T>(&T::_nRenderPass));
    return d;
}
