#pragma once
// The list of every effect program class ("sh" class), so that one check can build each of them
// and verify that every asserted uniform is active on the GL implementation at hand (a uniform
// the compiler drops loses its location, and Use would then stop on its assertion).
//
// Only the tests read it. A new sh class joins with one row in tests/support/shRegistry.cpp,
// shRegistry::Row<shMyEffect>("shMyEffect"), which needs the class's two plain members ApplySwitches() and ListUniforms(shUniformList&)
// (see shEffectProgram.h). The build check also looks through the sources for sh classes that
// have no row.
#include <vector>

struct rvProgram;
class shUniformList;

struct shRegistryRow
{
    const char* pszClassName;
    // A new program with its default values; deleted by the caller.
    rvProgram* (*pfnCreate)();
    // Writes the switches (and does what else the class needs) so that Build can run.
    void (*pfnPrepare)(rvProgram* pProgram);
    // The program's own uniforms.
    void (*pfnListUniforms)(rvProgram* pProgram, shUniformList& list);
};

class shRegistry
{
public:
    shRegistry() = delete;

    // Every sh class of the program, in no particular order.
    static const std::vector<shRegistryRow>& All();
    static const shRegistryRow* Find(const char* pszClassName);

    template <class T> static shRegistryRow Row(const char* pszClassName)
    {
        return {pszClassName, []() -> rvProgram* { return new T(); },
                [](rvProgram* p) { static_cast<T*>(p)->ApplySwitches(); },
                [](rvProgram* p, shUniformList& list) { static_cast<T*>(p)->ListUniforms(list); }};
    }
};
