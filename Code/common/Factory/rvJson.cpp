#include "rvJson.h"

#include "rvFile.h"

#include <climits>
#include <cmath>
#include <limits>

namespace rvJson
{
namespace
{
const Json::Value& NullValue()
{
    static const Json::Value s_null;
    return s_null;
}
} // namespace

Json::Value FloatToJson(float f)
{
    if (std::isnan(f)) return Json::Value();
    if (std::isinf(f)) return Json::Value(f > 0 ? "Infinity" : "-Infinity");
    return Json::Value(double(f));
}

bool ReadFloat(const Json::Value& v, float* pOut)
{
    if (v.isNumeric()) // ints and reals
    {
        *pOut = float(v.asDouble());
        return true;
    }
    if (v.isString())
    {
        const std::string s = v.asString();
        if (s == "Infinity" || s == "inf")
            *pOut = std::numeric_limits<float>::infinity();
        else if (s == "-Infinity" || s == "-inf")
            *pOut = -std::numeric_limits<float>::infinity();
        else if (s == "NaN" || s == "nan")
            *pOut = std::numeric_limits<float>::quiet_NaN();
        else
            return false;
        return true;
    }
    return false;
}

bool ReadBool(const Json::Value& v, bool* pOut)
{
    if (v.isBool())
    {
        *pOut = v.asBool();
        return true;
    }
    if (v.isNumeric())
    {
        *pOut = v.asDouble() != 0.0;
        return true;
    }
    return false;
}

bool ReadInt(const Json::Value& v, int* pOut)
{
    if (v.isInt())
    {
        *pOut = v.asInt();
        return true;
    }
    if (v.isInt64())
    {
        const Json::Int64 n = v.asInt64();
        *pOut = n < INT_MIN ? INT_MIN : (n > INT_MAX ? INT_MAX : int(n));
        return true;
    }
    if (v.isUInt64())
    {
        *pOut = INT_MAX; // above the Int64 range
        return true;
    }
    if (v.isDouble())
    {
        const double d = v.asDouble();
        if (std::isnan(d)) return false;
        *pOut = d <= double(INT_MIN) ? INT_MIN : (d >= double(INT_MAX) ? INT_MAX : int(d));
        return true;
    }
    if (v.isBool())
    {
        *pOut = v.asBool() ? 1 : 0;
        return true;
    }
    return false;
}

bool ReadString(const Json::Value& v, std::string* pOut)
{
    if (!v.isString()) return false;
    *pOut = v.asString();
    return true;
}

const Json::Value& Member(const Json::Value& v, const char* pszKey)
{
    if (!v.isObject()) return NullValue();
    const Json::Value* p = v.find(pszKey, pszKey + std::char_traits<char>::length(pszKey));
    return p ? *p : NullValue();
}

const Json::Value& Element(const Json::Value& v, unsigned int nIndex)
{
    if (!v.isArray() || nIndex >= v.size()) return NullValue();
    return v[nIndex];
}

bool Parse(std::istream& in, Json::Value* pRoot)
{
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    std::string errors;
    try
    {
        return Json::parseFromStream(builder, in, pRoot, &errors);
    }
    catch (const std::exception&)
    {
        // The reader throws only past its nesting limit; what it built so far is kept.
        return false;
    }
}
bool SaveFile(const std::string& path, const Json::Value& root)
{
    Json::StreamWriterBuilder builder;
    return rvSaveFile(path, Json::writeString(builder, root));
}
} // namespace rvJson
