// Persisted objects (the drivers' own members, the tester's settings): a probe with a member of
// every kind, a child and a named array of objects, loaded from any JSON and saved back.
#include "FuzzTarget.h"

#include "Factory/rvJson.h"
#include "Factory/rvpersist.h"

#include <sstream>

namespace
{
struct Vec2Record
{
    float x, y;
};
struct Vec3Record
{
    float x, y;
    int flags;
};

class PersistProbe : public rvpersist
{
public:
    explicit PersistProbe(const std::string& sName) : rvpersist(sName)
    {
        AddBool("On", &_bOn);
        AddInt("Count", &_nCount);
        AddFloat("Speed", &_fSpeed);
        AddFloat("Weights", _afWeights, 4);
        AddString("Text", &_sText);
        AddRecord("Pos", PERSIST_VEC3, &_afPos, 0);
        AddRecord("Pos2", PERSIST_VEC2, &_afPos2, 2);
        AddList("Points", &_aPoints);
        AddList("Marks", &_aMarks);
    }

    bool _bOn = false;
    int _nCount = 0;
    float _fSpeed = 0.f, _afWeights[4] = {}, _afPos[3] = {}, _afPos2[4] = {};
    std::string _sText;
    std::vector<Vec2Record> _aPoints;
    std::vector<Vec3Record> _aMarks;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream in(rvFuzz::Text(data, size));
    Json::Value root;
    if (!rvJson::Parse(in, &root)) return 0;
    PersistProbe probe("Probe"), child("Child"), first("First"), second("Second");
    probe._apChildren.push_back(&child);
    std::vector<rvpersist*> list{&first, &second};
    probe._aNamedArrays.push_back({"List", &list});
    probe.Load(root);
    Json::Value saved(Json::objectValue);
    probe.Save(saved);
    return 0;
}
