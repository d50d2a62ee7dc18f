#pragma once
// The editor's bench for one effect outside any timeline: the window "Effect Tester" creates
// an effect of a chosen class, plays it with its own transport, shows its buttons and
// property rows, and loads and saves it as an ".fx" preset. The chosen class index is the one
// persisted member ("./Data/EffectTester.json").
#include "Factory/rvpersist.h"

#include <string>

class fxBase;
class rvFileBrowser;

class EffectTester : public rvpersist
{
public:
    // Reads the stored class index (clamped to the registered classes) and starts an effect
    // of that class.
    EffectTester();
    // Stops and deletes the effect and any open dialog; the choice is not stored here.
    ~EffectTester() override;

    // The window and this frame's update of the tested effect; dt is the frame's time step.
    void DrawWindow(float dt);
    // The "Type" combo: picking a class replaces the tested effect and stores the choice.
    void DrawTypeCombo();

    // Frame snapping used by the transport: round(x * 60) / 60.
    static float Snap(float fTime);

    // Loads an ".fx" preset and, only when it gives an effect, replaces the tested effect with
    // it (started, its class shown but not stored). A preset that does not load keeps the
    // current effect; the window and stderr say so. Returns whether the preset loaded.
    bool LoadEffect(const std::string& sPath);
    bool SaveEffect(const std::string& sPath);

    fxBase* _pEffect = nullptr;
    int _nDescriptorSelected = 0;
    bool _bPlaying = true;
    bool _bLoop = true;
    std::string _sPath = "Data/fx";
    rvFileBrowser* _pLoadBrowser = nullptr;
    rvFileBrowser* _pSaveBrowser = nullptr;
    // Why the last preset did not load or save, shown under the buttons; empty after a good load or save.
    std::string _sFileError;

private:
    void DeleteEffect();
    // A new effect of the selected class, started; none when the class cannot be created.
    void CreateSelected();
    void DrawPresetButtons();
    void DrawTransport(float dt, bool bFocused);
};
