#pragma once
// Editor drawing reached from the core and render layers.
//
// Core and render code never include ImGui. Where their own code has to run editor drawing (a
// driver's window drawn while drivers are applied, an effect's debug window drawn from its
// Render), the member keeps its name and its place in the class and forwards to
// rvEditorHook<&Class::Member>. The body lives in the editor library, in a file named for
// editor drawing, which installs it when the program starts (a static Install object; the
// program and the editor tests link the editor library whole). Without the editor linked
// (core tests, tools) the call does nothing.
#include <utility>

template <class F> struct rvEditorHookTraits;
template <class C, class... A> struct rvEditorHookTraits<void (C::*)(A...)>
{
    using Fn = void (*)(C&, A...);
};

template <auto Member> struct rvEditorHook
{
    using Fn = typename rvEditorHookTraits<decltype(Member)>::Fn;
    static inline Fn _pfnDraw = nullptr;

    template <class Obj, class... A> static void Call(Obj& obj, A&&... args)
    {
        if (_pfnDraw) _pfnDraw(obj, std::forward<A>(args)...);
    }

    struct Install
    {
        explicit Install(Fn pfn) { _pfnDraw = pfn; }
    };
};
