#pragma once
// A user formula of the local time "x" and of free variables set with sliders.
#include "Factory/Drivers/NoneDriver.h"
#include "Factory/Drivers/rvExpression.h"

#include <string>
#include <vector>

class ExpressionDriver : public NoneDriver
{
public:
    struct UserVar
    {
        std::string _sName;
        float _fValue = 0.0f;
    };

    // The compiled form of one formula text and the values it reads.
    struct CompiledExpression
    {
        std::string _sText;
        rvExpression _expression;
        double _x = 0.0;
        // One per user variable, in the order of ExpressionDriver::_aUserVars; refreshed
        // from the sliders before every evaluation.
        std::vector<double> _aUserValues;
    };

    ExpressionDriver(fxBase* pEffect, AttribDesc* pAttribDesc);
    ~ExpressionDriver() override;

    // Registered members, then "nVarCount" and "Vars": [{"name", "value"}, ...].
    void Load(const Json::Value& json) override;
    void Save(Json::Value& json) override;
    // The formula at x = fTime; compiled only when its text has changed. A formula that does
    // not compile, or a result that is not finite, gives no value (+infinity).
    float GetValue(float fTime, bool bHistory) override;
    void DrawSettings() override;
    void EditorDrawSettings(); // the body of DrawSettings, in the editor library (DriversEditor.cpp)
    void DrawHelpLink();

    // How many times a formula was compiled (for the editor's checks and the tests).
    int GetCompileCount() const { return _nCompileCount; }

    std::string _sExpression;
    std::vector<UserVar> _aUserVars;
    CompiledExpression* _pCompiled = nullptr;

private:
    void Compile();
    int _nCompileCount = 0;
};
