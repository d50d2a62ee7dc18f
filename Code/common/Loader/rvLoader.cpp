#include "Loader/rvLoader.h"

#include "rvAssert.h"
#include "rvFile.h"
#include "rvSceneDisplay.h"
#include "rvShaderProgram.h"
#include "rvStop.h"

#include <epoxy/gl.h>
#include <GLFW/glfw3.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
const char* const kProgressTable = "Data/csv/zq4out.csv";

GLFWwindow* _window = nullptr;

// Recording run (MORVANE_RECORD_LOADING=<file>): every read of the armed loading pass is
// kept and written to the file by rvLoader::End, which then ends the process with 0. The
// data packer builds the progress table from such a recording.
const char* const kRecordVariable = "MORVANE_RECORD_LOADING";
struct RecordedRead
{
    std::string path;
    int bytes;
    bool disk;
};
std::vector<RecordedRead> s_aRecorded;

// Every read of the data file reader ends here: the count goes to the loading bar.
void Report(const std::string& path, int bytes, bool forceOS)
{
    if (rvLoader::IsArmed() && bytes > 0 && std::getenv(kRecordVariable))
        s_aRecorded.push_back({path, bytes, forceOS});
    rvLoader::Progress(bytes);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// rvLoader
// ---------------------------------------------------------------------------------------------

int rvLoader::_nTotal = 0;
int rvLoader::_nLoaded = 0;

namespace
{
// The bar's flat-colour rectangles; built on first draw.
rvFillColorProgram2D s_BarProgram;
} // namespace

void rvLoader::Begin(GLFWwindow* window)
{
    rvAssert(!_window);
    rvDataPack::_pfnReport = &Report;
    FILE* table = rvDataPack::GetInstance()->OpenAsFILE(kProgressTable);
    if (!table)
    {
        // A recording run arms the bar without a table: it is there to measure the pass.
        if (std::getenv(kRecordVariable))
        {
            _nTotal = _nLoaded = 0;
            _window = window;
        }
        return;
    }
    _nTotal = 0;
    _nLoaded = 0;
    AddTable(table);
    std::fclose(table);
    _window = window;
}

void rvLoader::AddTable(FILE* table)
{
    char line[1024];
    while (std::fgets(line, sizeof(line), table))
    {
        char* first = std::strchr(line, ';');
        if (!first) continue;
        char* second = std::strchr(first + 1, ';');
        if (!second) continue;
        *second = 0;
        // Decimal with leading blanks and a sign; reading stops at the first other character.
        // Each value is brought into int range before it is added: a value near LLONG_MAX would
        // overflow the 64-bit sum itself.
        const long long value = std::clamp<long long>(std::strtoll(first + 1, nullptr, 10), INT_MIN, INT_MAX);
        const long long total = std::clamp<long long>(_nTotal + value, INT_MIN, INT_MAX);
        _nTotal = static_cast<int>(total);
    }
}

void rvLoader::Advance(int bytes)
{
    int room = _nTotal - _nLoaded;
    if (room < 0) room = 0;
    if (bytes < 0) bytes = 0;
    _nLoaded += bytes < room ? bytes : room;
}

float rvLoader::Fraction()
{
    return _nTotal ? static_cast<float>(_nLoaded) / static_cast<float>(_nTotal) : 0.f;
}

bool rvLoader::IsArmed()
{
    return _window != nullptr;
}

void rvLoader::DrawBar(float fraction)
{
    struct Rect
    {
        float r, g, b, a, x, y, w, h;
    };
    const Rect rects[3] = {
        {1, 1, 1, 1, 0.25f, 0.49f, 0.5f, 0.02f},                 // white frame
        {0, 0, 0, 1, 0.251f, 0.491f, 0.498f, 0.018f},            // black inside
        {1, 1, 1, 1, 0.252f, 0.492f, 0.496f * fraction, 0.016f}, // white fill
    };
    for (const Rect& r : rects)
    {
        s_BarProgram.UseWithColor(r.r, r.g, r.b, r.a);
        s_BarProgram.DrawQuad(QUAD_LEFT | QUAD_TOP, r.x, r.y, r.w, r.h);
        s_BarProgram.Unuse();
    }
}

void rvLoader::Progress(int bytes)
{
    if (!_window) return;
    Advance(bytes);
    // A pass asked to stop (a signal, or the program's check of its window: rvStop) or a window
    // asked to close draws no more frames; the load ends at its next step and the program with it.
    if (rvStop::Requested() || glfwWindowShouldClose(_window)) return;
    glfwPollEvents();

    int w = 0, h = 0;
    glfwGetFramebufferSize(_window, &w, &h);
    rvBufferDisplay* current = rvSceneDisplay::BindedBuffer();
    const rvBufferDisplay& def = rvSceneDisplay::_DefaultBuffer;
    if ((w != current->_nWidth || h != current->_nHeight) && w != 0 && h != 0 &&
        (w != def._nWidth || h != def._nHeight))
        rvSceneDisplay::ResizeDefaultBuffer(w, h);
    rvSceneDisplay::BeginFrame(_window);
    float fraction = Fraction();
    glDisable(GL_DEPTH_TEST);
    DrawBar(fraction);
    rvSceneDisplay::PresentFrame(false);
    glfwSwapBuffers(_window);
}

void rvLoader::End()
{
    const bool armed = _window != nullptr;
    _window = nullptr;
    const char* record = std::getenv(kRecordVariable);
    if (!armed || !record) return;
    // Saved whole or not at all: a failed write keeps the previous recording (and says why).
    std::string text;
    for (const RecordedRead& r : s_aRecorded)
        text += r.path + ";" + std::to_string(r.bytes) + (r.disk ? ";disk\n" : ";archive\n");
    std::exit(rvSaveFile(record, text) ? 0 : 1);
}

void rvLoader::Release()
{
    s_BarProgram.Release();
}
