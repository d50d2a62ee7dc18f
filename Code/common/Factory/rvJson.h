#pragma once
// Exception-free conversions between JSON values and the plain values the system saves.
//
// The JSON library throws when a value is asked for as a type it cannot take (a string read
// as a number, a real out of the int range) and has no number for NaN or infinity: its
// writer puts out null for NaN and 1e+9999 for an infinity, which its own reader refuses.
// Every float the system saves therefore goes through FloatToJson: finite values as reals,
// +-infinity as the strings "Infinity" and "-Infinity" and NaN as null, and every value it
// reads through the Read functions, which never throw and report whether a value was there.
#include <istream>
#include <json/json.h>
#include <string>

namespace rvJson
{
Json::Value FloatToJson(float f);

// Each returns false, leaving *pOut unchanged, when the value is absent, null or of a
// kind that cannot be converted.
bool ReadFloat(const Json::Value& v, float* pOut);
bool ReadBool(const Json::Value& v, bool* pOut);
// Integral values outside the int range and reals are clamped to the int range (reals
// truncated toward zero); NaN is refused.
bool ReadInt(const Json::Value& v, int* pOut);
bool ReadString(const Json::Value& v, std::string* pOut);

// Member of an object, or a null value when v is not an object or has no such member
// (Json::Value::operator[] const asserts on non-objects).
const Json::Value& Member(const Json::Value& v, const char* pszKey);
// Element of an array, or a null value.
const Json::Value& Element(const Json::Value& v, unsigned int nIndex);

// Writes a document with the default writer (tabs) through rvSaveFile: the old file survives
// any failure, which is reported; returns whether the file was saved.
bool SaveFile(const std::string& path, const Json::Value& root);

// Parses a stream with comments not collected. Whatever was parsed before an error is kept
// in root; returns whether the whole document parsed.
bool Parse(std::istream& in, Json::Value* pRoot);
} // namespace rvJson
