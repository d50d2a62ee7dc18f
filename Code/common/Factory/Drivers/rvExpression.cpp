#include "rvExpression.h"

#include <muParser.h>

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <cmath>
#include <limits>

namespace
{
using value_t = mu::value_type;

value_t FnFloor(value_t v)
{
    return std::floor(v);
}
value_t FnCeil(value_t v)
{
    return std::ceil(v);
}
value_t FnRound(value_t v)
{
    return std::round(v);
}
value_t FnTrunc(value_t v)
{
    return std::trunc(v);
}
value_t FnFract(value_t v)
{
    return v - std::floor(v);
}
value_t FnPow(value_t a, value_t b)
{
    return std::pow(a, b);
}
value_t FnFmod(value_t a, value_t b)
{
    return std::fmod(a, b);
}
value_t FnStep(value_t edge, value_t v)
{
    return v < edge ? 0.0 : 1.0;
}
value_t FnClamp(value_t v, value_t lo, value_t hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}
value_t FnIf(value_t c, value_t a, value_t b)
{
    return c != 0.0 ? a : b;
}
value_t FnLerp(value_t a, value_t b, value_t t)
{
    return a + (b - a) * t;
}
value_t FnSmoothstep(value_t e0, value_t e1, value_t v)
{
    if (e1 == e0) return v < e0 ? 0.0 : 1.0;
    value_t t = FnClamp((v - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

const char* const s_aConstants[] = {"pi", "epsilon", "inf"};

// Defines what every formula can use; false when the parser refuses something.
bool DefineStandard(mu::Parser& parser)
{
    try
    {
        parser.DefineConst("pi", 3.14159265358979323846);
        parser.DefineConst("epsilon", double(FLT_EPSILON));
        parser.DefineConst("inf", std::numeric_limits<double>::infinity());
        parser.DefineFun("floor", FnFloor);
        parser.DefineFun("ceil", FnCeil);
        parser.DefineFun("round", FnRound);
        parser.DefineFun("trunc", FnTrunc);
        parser.DefineFun("fract", FnFract);
        parser.DefineFun("pow", FnPow);
        parser.DefineFun("fmod", FnFmod);
        parser.DefineFun("step", FnStep);
        parser.DefineFun("clamp", FnClamp);
        parser.DefineFun("if", FnIf);
        parser.DefineFun("lerp", FnLerp);
        parser.DefineFun("smoothstep", FnSmoothstep);
        return true;
    }
    catch (...)
    {
        return false;
    }
}

bool IsIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Position of the first occurrence of name as a whole identifier in text, or npos.
size_t FindIdentifier(const std::string& text, const std::string& name)
{
    size_t pos = text.find(name);
    while (pos != std::string::npos)
    {
        bool startOk = pos == 0 || !IsIdentChar(text[pos - 1]);
        size_t end = pos + name.size();
        bool endOk = end >= text.size() || !IsIdentChar(text[end]);
        if (startOk && endOk) return pos;
        pos = text.find(name, pos + 1);
    }
    return std::string::npos;
}
} // namespace

rvExpression::rvExpression() : _pParser(new mu::Parser())
{
    if (!DefineStandard(*_pParser)) _sError = "the standard functions could not be defined";
}

rvExpression::~rvExpression() = default;

bool rvExpression::IsConstantName(const std::string& name)
{
    return std::find(std::begin(s_aConstants), std::end(s_aConstants), name) != std::end(s_aConstants);
}

bool rvExpression::DefineVar(const std::string& name, double* pValue)
{
    if (!pValue) return false;
    _bCompiled = false;
    try
    {
        _pParser->DefineVar(name, pValue);
    }
    catch (mu::Parser::exception_type& e)
    {
        _sError = e.GetMsg();
        return false;
    }
    catch (...)
    {
        return false;
    }
    if (std::find(_aBound.begin(), _aBound.end(), name) == _aBound.end()) _aBound.push_back(name);
    return true;
}

bool rvExpression::CollectVariables(const std::string& text, std::vector<std::string>& names) const
{
    // A separate parser with the same definitions: collecting must not disturb the
    // compiled form of this one.
    mu::Parser probe;
    if (!DefineStandard(probe)) return false;
    std::vector<std::string> found;
    try
    {
        probe.SetExpr(text);
        const mu::varmap_type& used = probe.GetUsedVar();
        for (const auto& entry : used)
            if (std::find(_aBound.begin(), _aBound.end(), entry.first) == _aBound.end())
                found.push_back(entry.first);
    }
    catch (...)
    {
        return false;
    }
    std::stable_sort(found.begin(), found.end(),
                     [&text](const std::string& a, const std::string& b)
                     { return FindIdentifier(text, a) < FindIdentifier(text, b); });
    names = std::move(found);
    return true;
}

bool rvExpression::Compile(const std::string& text)
{
    _sText = text;
    _bCompiled = false;
    _sError.clear();
    try
    {
        _pParser->SetExpr(text);
        // The parser reports syntax errors on the first evaluation: do it now, once.
        _pParser->Eval();
        _bCompiled = true;
    }
    catch (mu::Parser::exception_type& e)
    {
        _sError = e.GetMsg();
    }
    catch (...)
    {
        _sError = "unknown error";
    }
    return _bCompiled;
}

double rvExpression::Evaluate() const
{
    if (!_bCompiled) return std::numeric_limits<double>::quiet_NaN();
    try
    {
        return _pParser->Eval();
    }
    catch (...)
    {
        return std::numeric_limits<double>::quiet_NaN();
    }
}
