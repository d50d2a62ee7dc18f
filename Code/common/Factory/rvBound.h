#pragma once
// A stored or driven number that sizes memory or work (a count, a step count, a subdivision, an
// epsilon, a size) is used only inside the bounds the effect can afford. A value outside them
// (NaN included) is replaced by the nearest bound, and the first time an attribute of a class
// meets such a value the program says so once on stderr:
//
//   morvane: warning: fxLorenz "Attractor": "Dot/CountMax" 1e+09 is out of 0..100000; 100000 is used
//
// Later values of the same class attribute pass silently (a driver may cross a bound every frame).
class fxBase;

// n within [nMin, nMax].
int rvBoundInt(const fxBase* pEffect, const char* pszAttrib, int n, int nMin, int nMax);
// f within [fMin, fMax]; NaN gives fNaN (which should lie inside the bounds).
float rvBoundFloat(const fxBase* pEffect, const char* pszAttrib, float f, float fMin, float fMax, float fNaN);
// A float that becomes a count: rounded towards zero inside [nMin, nMax]; NaN gives nMin. No
// float-to-int conversion happens outside the int range.
int rvBoundFloatToInt(const fxBase* pEffect, const char* pszAttrib, float f, int nMin, int nMax);

// True the first time it is called for this class and attribute: for a bound whose warning
// says more than the range.
bool rvFirstBoundWarning(const fxBase* pEffect, const char* pszAttrib);

// The effect's "TimeScale" as its local time uses it: within +-kMaxTimeScale, NaN giving 1.
constexpr float kMaxTimeScale = 1000.f;
float rvTimeScale(const fxBase* pEffect);
