#pragma once
// Effects owned by a test: deleted only once driven back to State_DemoStoped, as the timeline
// does before it deletes one.
#include <memory>

#include "Factory/fxBase.h"

namespace rvTest
{
struct StopAndDelete
{
    void operator()(fxBase* e) const
    {
        e->SetState(State_DemoStoped);
        delete e;
    }
};
template <class T> using EffectPtr = std::unique_ptr<T, StopAndDelete>;

// A new effect of class T made by its descriptor's create function, driven down when it goes.
template <class T> EffectPtr<T> NewStoppedOnDelete()
{
    return EffectPtr<T>(static_cast<T*>(T::Create(T::RegisterAttributes())));
}
} // namespace rvTest
