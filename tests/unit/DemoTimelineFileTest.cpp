// The committed demo timelines as files: every item is of a registered class, every stored value
// and every driver names an attribute of that class (the loader drops the others silently, so a
// misspelt name would only show as a missing animation), every driver gives a usable value over
// its effect's window, key frames sit on whole frames, and the nested parts the demo names exist.
#include "TestSupport.h"

#include "Factory/Drivers/NoneDriver.h"
#include "Factory/Factory.h"
#include "Factory/fxBase.h"
#include "Factory/fxDescriptor.h"

#include <json/json.h>

#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

namespace
{
Json::Value ReadTimeline(const std::string& rel)
{
    std::ifstream f(rvTest::SourcePath(rel));
    std::stringstream text;
    text << f.rdbuf();
    Json::Value root;
    Json::CharReaderBuilder builder;
    std::string errors;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    const std::string s = text.str();
    EXPECT_TRUE(reader->parse(s.data(), s.data() + s.size(), &root, &errors)) << rel << ": " << errors;
    return root;
}

struct EffectDeleter
{
    void operator()(fxBase* e) const { delete e; }
};

// Checks one timeline file; returns the nested timeline files its items name.
std::vector<std::string> CheckTimeline(const std::string& rel)
{
    SCOPED_TRACE(rel);
    std::vector<std::string> nested;
    const Json::Value root = ReadTimeline(rel);
    const Json::Value& items = root["Items"];
    EXPECT_TRUE(items.isArray());
    EXPECT_GT(items.size(), 0u);
    for (const Json::Value& item : items)
    {
        const std::string cls = item["Class"].asString();
        const Json::Value& props = item["Properties"];
        SCOPED_TRACE(cls + " " + props["Name"].asString());
        std::unique_ptr<fxBase, EffectDeleter> fx(Factory::EffectFromJson(item));
        EXPECT_NE(fx, nullptr) << "class not registered";
        if (!fx) continue;
        for (const std::string& key : props.getMemberNames())
            if (key != "_apAttribDrivers")
            {
                EXPECT_NE(fx->_pDescriptor->FindAttrib(key), nullptr) << key;
            }
        // Every driver of the file was kept, and gives a number (or no value) over the window.
        EXPECT_EQ(fx->_apAttribDrivers.size(), props["_apAttribDrivers"].size());
        const float duration = (fx->_nEnd - fx->_nStart) / 60.f;
        EXPECT_GT(duration, 0.f);
        for (NoneDriver* d : fx->_apAttribDrivers)
        {
            for (float t : {0.f, duration * 0.37f, duration})
            {
                const float v = d->GetValue(t, false);
                EXPECT_FALSE(std::isnan(v)) << d->_attribName << " at " << t;
            }
        }
        for (const Json::Value& d : props["_apAttribDrivers"])
            for (const Json::Value& k : d["_aKeys"])
            {
                const double frames = k["x"].asDouble() * 60.0;
                EXPECT_NEAR(frames, std::round(frames), 1e-3) << d["_attribName"].asString();
            }
        if (cls == "fxSequence") nested.push_back(props["Sequence File"].asString());
    }
    return nested;
}
} // namespace

TEST(DemoTimelineFile, EveryItemAndDriverLoadsAsWritten)
{
    if (!Factory::_pInstance) new Factory();
    Factory::_pInstance->RegisterAll();
    const std::vector<std::string> parts = CheckTimeline("Data/seq/_DemoFull_.seq");
    EXPECT_FALSE(parts.empty());
    for (const std::string& part : parts)
    {
        EXPECT_TRUE(std::ifstream(rvTest::SourcePath(part)).good()) << part;
        EXPECT_TRUE(CheckTimeline(part).empty()); // parts nest one level
    }
}
