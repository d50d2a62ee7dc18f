#pragma once
// One line ("Text") as anti-aliased bitmap text from a glyph atlas (the text stash), placed and
// sized in fractions of the render buffer. "Glow" draws it into the vector display's own target
// and runs the display's glow passes over it; without "Glow" the text replaces the buffer's
// picture (the buffer is cleared first).
#include "Factory/fxBase.h"
#include "shTextStash.h"

#include <glm/glm.hpp>
#include <string>

class fxTextStash : public fxBase
{
public:
    static constexpr const char* FONT_FILE = "./Data/Font/DroidSerif-Regular.ttf";
    static constexpr const char* TEXT = "Il etait une fois dans la ville de foix ..."; // "Text" of a new effect

    explicit fxTextStash(fxDescriptor* pDescriptor);
    ~fxTextStash() override;

    void Init() override;
    void Render() override;

    static fxDescriptor* GetDescriptor();
    static fxBase* Create(fxDescriptor* pDescriptor);
    static fxDescriptor* RegisterAttributes();

    shTextStash _TextStash;
    glm::vec2 _vPos;
    float _fSize;
    bool _bGlow;
    glm::vec4 _vColor;
    std::string _sText;
};
