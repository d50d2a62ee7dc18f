#include "Factory/rvBound.h"

#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"
#include "rvMessage.h"

#include <cmath>
#include <mutex>
#include <set>
#include <string>

namespace
{
std::string ClassOf(const fxBase* pEffect)
{
    return pEffect && pEffect->_pDescriptor ? pEffect->_pDescriptor->_sClassName : std::string("effect");
}

void WarnOnce(const fxBase* pEffect, const char* pszAttrib, double fValue, double fMin, double fMax, double fUsed)
{
    if (!rvFirstBoundWarning(pEffect, pszAttrib)) return;
    rvReport(rvMessageKind::Warning, "%s \"%s\": \"%s\" %g is out of %g..%g; %g is used", ClassOf(pEffect).c_str(),
             pEffect ? pEffect->_sName.c_str() : "", pszAttrib, fValue, fMin, fMax, fUsed);
}
} // namespace

bool rvFirstBoundWarning(const fxBase* pEffect, const char* pszAttrib)
{
    static std::mutex s_mutex;
    static std::set<std::string>* s_pWarned = new std::set<std::string>();
    std::lock_guard<std::mutex> lock(s_mutex);
    return s_pWarned->insert(ClassOf(pEffect) + '\n' + pszAttrib).second;
}

int rvBoundInt(const fxBase* pEffect, const char* pszAttrib, int n, int nMin, int nMax)
{
    if (n >= nMin && n <= nMax) return n;
    const int nUsed = n < nMin ? nMin : nMax;
    WarnOnce(pEffect, pszAttrib, double(n), double(nMin), double(nMax), double(nUsed));
    return nUsed;
}

float rvBoundFloat(const fxBase* pEffect, const char* pszAttrib, float f, float fMin, float fMax, float fNaN)
{
    if (f >= fMin && f <= fMax) return f;
    const float fUsed = std::isnan(f) ? fNaN : (f < fMin ? fMin : fMax);
    WarnOnce(pEffect, pszAttrib, double(f), double(fMin), double(fMax), double(fUsed));
    return fUsed;
}

int rvBoundFloatToInt(const fxBase* pEffect, const char* pszAttrib, float f, int nMin, int nMax)
{
    // Every float in [nMin, nMax + 1) truncates to an int within [nMin, nMax].
    if (double(f) >= double(nMin) && double(f) < double(nMax) + 1.0) return int(f);
    const int nUsed = std::isnan(f) || double(f) < double(nMin) ? nMin : nMax;
    WarnOnce(pEffect, pszAttrib, double(f), double(nMin), double(nMax), double(nUsed));
    return nUsed;
}

float rvTimeScale(const fxBase* pEffect)
{
    return rvBoundFloat(pEffect, "TimeScale", pEffect->_fTimeScale, -kMaxTimeScale, kMaxTimeScale, 1.f);
}
