#pragma once
// An MP3 file decoded on demand with libmpg123: interleaved stereo floats at one output rate, read
// in order from any frame. Seeks are sample-exact (frames decoded ahead of the target refill layer
// III's bit reservoir, so the samples after a seek are those a decode from the start gives), and
// decoding is gapless (the encoder's delay and padding are removed).
//
// A file's bytes bound what it may ask for: the length found at opening may not exceed what those
// bytes can hold at the lowest bit rate MPEG audio has (8 kbit/s), reading never goes past that
// length, and a decoder that keeps producing nothing is given up. A hostile file therefore fails
// or ends in about the time a real file of its size takes.
//
// Files joined end to end (cat) are decoded without the first part's "Info" frame, so that every
// position counts every frame; a file whose sample rate changes inside is refused (Why() says so).
//
// Not thread-safe: one thread at a time (the audio layer guards each source with a mutex).
#include <cstdint>
#include <vector>

struct mpg123_handle_struct;

class rvMp3Source
{
public:
    rvMp3Source() = default;
    ~rvMp3Source();
    rvMp3Source(const rvMp3Source&) = delete;
    rvMp3Source& operator=(const rvMp3Source&) = delete;

    // Opens a file for output at nRate (mpg123 resamples other rates) and finds its length.
    // Returns an rvAudio::Error code: Error_None, Error_FileOpen, Error_Format or Error_Memory.
    int Open(const char* sPath, int nRate);
    void Close();
    // Why the last Open failed, when there is more to say than its error code; empty otherwise.
    const char* Why() const { return _sWhy; }

    // The length in output frames (0 when closed) and the next frame Read gives.
    int64_t Frames() const { return _nFrames; }
    int64_t Position() const { return _nPos; }

    // Moves to a frame in [0, Frames()]; false (the position unknown until the next seek) when
    // the decoder cannot go there.
    bool Seek(int64_t nFrame);

    // Decodes up to nFrames stereo frames at the position into pOut (2 floats each) and returns
    // how many it wrote: fewer only at the end or where the file is damaged (what follows a
    // damage is lost).
    int64_t Read(float* pOut, int64_t nFrames);

    // The lowest bit rate of MPEG audio, in bytes per second: a file cannot hold more seconds of
    // music than its size over this (twice that is allowed, for headers and rounding).
    static constexpr int64_t MIN_BYTES_PER_SECOND = 1000;

private:
    mpg123_handle_struct* _pHandle = nullptr;
    int _nChannels = 2;
    int64_t _nFrames = 0;
    int64_t _nPos = 0;
    bool _bEnded = false; // damaged or finished: nothing more comes until a seek
    std::vector<float> _aBlock;
    char _sWhy[96] = {};
};
