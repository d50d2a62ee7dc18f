#include "ExpressionDriver.h"
#include "Factory/rvEditorHook.h"

#include "Factory/rvJson.h"
#include "rvPlatform.h"

#include <algorithm>
#include <cmath>
#include <limits>

ExpressionDriver::ExpressionDriver(fxBase* pEffect, AttribDesc* pAttribDesc)
    : NoneDriver(pEffect, pAttribDesc)
{
    AddString("_sExpression", &_sExpression);
}

ExpressionDriver::~ExpressionDriver()
{
    delete _pCompiled;
}

void ExpressionDriver::Compile()
{
    delete _pCompiled;
    _pCompiled = new CompiledExpression();
    ++_nCompileCount;
    const std::string& sText = _sExpression;
    _pCompiled->_sText = sText;
    rvExpression& expr = _pCompiled->_expression;
    expr.DefineVar("x", &_pCompiled->_x);

    // Free variables: new ones get a slider at 0, vanished ones lose theirs, the others
    // keep their values and order. A text that cannot be read leaves the list alone.
    std::vector<std::string> aNames;
    if (expr.CollectVariables(sText, aNames))
    {
        for (const std::string& sName : aNames)
        {
            auto it = std::find_if(_aUserVars.begin(), _aUserVars.end(),
                                   [&](const UserVar& v) { return v._sName == sName; });
            if (it == _aUserVars.end()) _aUserVars.push_back({sName, 0.0f});
        }
        _aUserVars.erase(
            std::remove_if(_aUserVars.begin(), _aUserVars.end(),
                           [&](const UserVar& v)
                           { return std::find(aNames.begin(), aNames.end(), v._sName) == aNames.end(); }),
            _aUserVars.end());
    }

    // Bind every user variable; names the formula cannot take as variables ("x", the
    // constants, a name twice, possible only from a file) are left unbound.
    _pCompiled->_aUserValues.assign(_aUserVars.size(), 0.0);
    std::vector<std::string> aBound{"x"};
    for (size_t i = 0; i < _aUserVars.size(); ++i)
    {
        const std::string& sName = _aUserVars[i]._sName;
        if (rvExpression::IsConstantName(sName) ||
            std::find(aBound.begin(), aBound.end(), sName) != aBound.end())
            continue;
        _pCompiled->_aUserValues[i] = _aUserVars[i]._fValue;
        if (expr.DefineVar(sName, &_pCompiled->_aUserValues[i])) aBound.push_back(sName);
    }
    expr.Compile(sText);
}

float ExpressionDriver::GetValue(float fTime, bool /*bHistory*/)
{
    if (!_pCompiled || _pCompiled->_sText != _sExpression) Compile();
    CompiledExpression& c = *_pCompiled;
    c._x = fTime;
    size_t n = std::min(c._aUserValues.size(), _aUserVars.size());
    for (size_t i = 0; i < n; ++i)
        c._aUserValues[i] = _aUserVars[i]._fValue;
    float fValue = float(c._expression.Evaluate());
    return std::isfinite(fValue) ? fValue : std::numeric_limits<float>::infinity();
}

void ExpressionDriver::Save(Json::Value& json)
{
    NoneDriver::Save(json);
    json["nVarCount"] = int(_aUserVars.size());
    Json::Value aVars(Json::arrayValue);
    for (const UserVar& v : _aUserVars)
    {
        Json::Value var(Json::objectValue);
        var["name"] = v._sName;
        var["value"] = rvJson::FloatToJson(v._fValue);
        aVars.append(var);
    }
    json["Vars"] = aVars;
}

void ExpressionDriver::Load(const Json::Value& json)
{
    NoneDriver::Load(json);
    int nCount = 0;
    rvJson::ReadInt(rvJson::Member(json, "nVarCount"), &nCount);
    // A count larger than the list that follows would only add unnamed variables.
    const Json::Value& aVars = rvJson::Member(json, "Vars");
    int nStored = aVars.isArray() ? int(std::min<Json::ArrayIndex>(aVars.size(), 1u << 20)) : 0;
    nCount = std::max(0, std::min(nCount, nStored));
    _aUserVars.resize(size_t(nCount));
    for (int i = 0; i < nCount; ++i)
    {
        const Json::Value& var = rvJson::Element(aVars, unsigned(i));
        UserVar& u = _aUserVars[size_t(i)];
        u._sName.clear();
        u._fValue = 0.0f;
        rvJson::ReadString(rvJson::Member(var, "name"), &u._sName);
        rvJson::ReadFloat(rvJson::Member(var, "value"), &u._fValue);
    }
    // The variables may have changed under the compiled formula: bind them again.
    delete _pCompiled;
    _pCompiled = nullptr;
}

void ExpressionDriver::DrawSettings()
{
    rvEditorHook<&ExpressionDriver::DrawSettings>::Call(*this);
}
