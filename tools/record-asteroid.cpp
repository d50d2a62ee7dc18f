// Records "Data/input/Asteroid.input", the game the demo replays: the asteroid game runs headless
// with its default attributes in steps of 1/60 s while a scripted pilot plays it (turn towards
// the nearest rock, leading its motion, fire when aimed, thrust to close in), and the input
// bytes it used are written, one per step.
//
//   build/morvane_record_asteroid           rewrite the file (run from the repository root)
//   build/morvane_record_asteroid --check   say whether the file still matches the game
//
// The replay is exact only for the game code it was recorded with: after a change to the game
// the check fails and says so; record again and commit the file.
#include "effects/fxAsteroid/fxAsteroid.h"
#include "effects/fxParticleEmitter/fxParticleEmitter.h"
#include "Factory/fxDescriptor.h"
#include "rvSceneDisplay.h"
#include "vector_display/vector_display.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
const char* kPath = "Data/input/Asteroid.input";
// The demo gives the game 10.5 bars at 125 BPM (20.16 s); a few steps more for safety.
const int kSteps = 1260;

const fxAsteroid* g_pGame = nullptr;

float Wrap180(float a)
{
    while (a > 180.0f)
        a -= 360.0f;
    while (a <= -180.0f)
        a += 360.0f;
    return a;
}

uint8_t Pilot()
{
    const fxAsteroid& g = *g_pGame;
    if (g._fDeadTimer > 0.0f) return 0;
    const glm::vec2 p = g.GetShipPos();
    const float h = g.GetShipHeading();
    const glm::vec2 fwd(-std::sin(h * 0.017453292f), std::cos(h * 0.017453292f));
    const glm::vec2 field = g._vScreenSize;

    // The nearest rock in the field, and the nearest threat.
    const fxAsteroid::Rock* target = nullptr;
    float best = 1e9f;
    for (const fxAsteroid::Rock* r : g._apRocks)
    {
        const glm::vec2 q = r->_Transform._vPosition;
        if (std::fabs(q.x) > field.x - 4.0f || std::fabs(q.y) > field.y - 4.0f) continue;
        const float d = glm::length(q - p) - r->_fRadius;
        if (d < best)
        {
            best = d;
            target = r;
        }
    }
    uint8_t bits = 0;
    if (!target)
    {
        // Nothing to shoot yet: drift back towards the centre.
        const float toCentre = std::atan2(p.x, -p.y) * 57.29578f;
        const float diff = Wrap180(toCentre - h);
        if (glm::length(p) > 25.0f)
        {
            bits |= diff > 4.0f ? fxAsteroid::INPUT_LEFT : (diff < -4.0f ? fxAsteroid::INPUT_RIGHT : 0);
            if (std::fabs(diff) < 20.0f && glm::length(g._vShipVelocity) < 12.0f)
                bits |= fxAsteroid::INPUT_THRUST;
        }
        return bits;
    }
    // Lead the target: where it will be when a bullet gets there.
    glm::vec2 aim = target->_Transform._vPosition - p;
    for (int i = 0; i < 3; ++i)
    {
        const float t = glm::length(aim) / g._fBulletSpeed;
        aim = target->_Transform._vPosition + target->_vVelocity * t - (p + g._fShipRadius * fwd);
    }
    const float desired = std::atan2(-aim.x, aim.y) * 57.29578f;
    const float diff = Wrap180(desired - h);
    if (diff > 2.0f) bits |= fxAsteroid::INPUT_LEFT;
    if (diff < -2.0f) bits |= fxAsteroid::INPUT_RIGHT;
    const float dist = glm::length(aim);
    if (std::fabs(diff) < 7.0f && dist < 120.0f) bits |= fxAsteroid::INPUT_FIRE;
    const float speed = glm::length(g._vShipVelocity);
    // Close in on far rocks, but keep a distance from near ones.
    if (std::fabs(diff) < 25.0f && best > 45.0f && speed < 18.0f) bits |= fxAsteroid::INPUT_THRUST;
    if (best < 12.0f && std::fabs(diff) > 120.0f && speed < 25.0f) bits |= fxAsteroid::INPUT_THRUST;
    return bits;
}

std::vector<uint8_t> Record()
{
    vector_display* pDisplay = nullptr;
    vector_display_create(&pDisplay, 640, 360);
    rvSceneDisplay::_pCurrentDisplay = pDisplay;
    auto* game = static_cast<fxAsteroid*>(fxAsteroid::Create(fxAsteroid::GetDescriptor()));
    game->_sRecordFile.clear(); // nothing to read: the pilot plays live
    game->_nEnd = kSteps + 60;
    game->_bRecordInputs = true;
    game->SetState(State_DemoStarted);
    game->_aInputs.clear();
    g_pGame = game;
    fxAsteroid::_pfnPollInput = &Pilot;
    game->SetState(State_EffectStarted);
    int nLost = 0;
    for (int step = 0; step < kSteps; ++step)
    {
        pDisplay->npoints = 0;
        const bool bAlive = game->_fDeadTimer <= 0.0f;
        game->_fPendingDelta = step == 0 ? 0.0f : 1.0f / 60.0f;
        game->Update();
        nLost += bAlive && game->_fDeadTimer > 0.0f ? 1 : 0;
    }
    std::vector<uint8_t> bytes = game->_aInputs;
    std::printf("Recorded %zu steps: score %d, ship lost %d times, %zu rocks left.\n", bytes.size(),
                game->_nScore, nLost, game->_apRocks.size());
    game->_bRecordInputs = false;
    game->SetState(State_DemoStoped);
    delete game;
    rvSceneDisplay::_pCurrentDisplay = nullptr;
    vector_display_destroy(pDisplay);
    return bytes;
}
} // namespace

int main(int argc, char** argv)
{
    const bool bCheck = argc > 1 && std::strcmp(argv[1], "--check") == 0;
    const std::vector<uint8_t> bytes = Record();
    if (bCheck)
    {
        std::ifstream f(kPath, std::ios::binary);
        const std::vector<uint8_t> file((std::istreambuf_iterator<char>(f)),
                                        std::istreambuf_iterator<char>());
        if (file == bytes)
        {
            std::printf("%s matches the game.\n", kPath);
            return 0;
        }
        std::printf(
            "%s no longer matches the game: run build/morvane_record_asteroid from the repository root "
            "and commit the file.\n",
            kPath);
        return 1;
    }
    const bool bOk = fxAsteroid::WriteInputFile(kPath, bytes);
    if (bOk) std::printf("Wrote %s.\n", kPath);
    return bOk ? 0 : 1;
}
