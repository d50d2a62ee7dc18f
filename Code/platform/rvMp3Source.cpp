#include "rvMp3Source.h"
#include "rvAudio.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
void InitMpg123Once()
{
    static std::once_flag s_once;
    std::call_once(s_once, [] { mpg123_init(); });
}

// mpg123 reads a file through stdio's buffer: it reads a frame's header and body apart and looks
// for a lost sync byte by byte, which straight system calls made thousands of calls per second
// of music (and per byte of a broken file).
mpg123_ssize_t ReadBuffered(void* pFile, void* pOut, size_t nBytes)
{
    FILE* f = static_cast<FILE*>(pFile);
    const size_t nGot = std::fread(pOut, 1, nBytes, f);
    return nGot == 0 && std::ferror(f) ? -1 : mpg123_ssize_t(nGot);
}

off_t SeekBuffered(void* pFile, off_t nOffset, int nWhence)
{
    FILE* f = static_cast<FILE*>(pFile);
    return fseeko(f, nOffset, nWhence) == 0 ? ftello(f) : off_t(-1);
}

void CloseBuffered(void* pFile)
{
    std::fclose(static_cast<FILE*>(pFile));
}

bool OpenBuffered(mpg123_handle* pHandle, const char* sPath)
{
    if (mpg123_replace_reader_handle(pHandle, &ReadBuffered, &SeekBuffered, &CloseBuffered) != MPG123_OK)
        return false;
    FILE* f = std::fopen(sPath, "rb");
    if (!f) return false;
    // From here the handle owns the file: mpg123_close closes it.
    return mpg123_open_handle(pHandle, f) == MPG123_OK;
}

// What a walk over a file's frame headers (no decoding) tells before it is opened for output.
struct FileShape
{
    bool bTrustInfo = true; // the encoder's "Info" frame can be used for gapless decoding
    long nRate = 0;         // the first frame's sample rate
    long nOtherRate = 0;    // a later frame's other sample rate (0: one rate throughout)
};

// The frame count an encoder's "Info" (or "Xing") frame announces must fit the file: every frame
// takes more than 4 bytes. The resampler walks every announced frame to find the length in output
// samples, so a count of four billion in a 2 KB file would take minutes. The count is read by a
// decoder at the file's own rate, which needs no such walk; a file whose count does not fit is
// decoded without its Info frame (the encoder's delay and padding stay in).
//
// Files joined end to end (cat) carry the first one's Info frame: it announces fewer frames than
// the file holds, and mpg123's gapless positions, which that frame sets, no longer match what it
// decodes past the join (seeks landed hundreds of samples early). Such a file is decoded without
// its Info frame too, so that every position counts every frame. Each part may also have its own
// sample rate, which the layer refuses: mpg123 resamples only from the rate it starts with.
FileShape WalkFrames(const char* sPath, int64_t nBytes)
{
    FileShape shape;
    int nErr = MPG123_OK;
    mpg123_handle* pProbe = mpg123_new(nullptr, &nErr);
    if (!pProbe)
    {
        shape.bTrustInfo = false;
        return shape;
    }
    mpg123_param(pProbe, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.);
    long nRate = 0;
    int nChannels = 0, nEncoding = 0;
    if (OpenBuffered(pProbe, sPath) && mpg123_getformat(pProbe, &nRate, &nChannels, &nEncoding) == MPG123_OK)
    {
        const int64_t nAnnounced = int64_t(mpg123_framelength(pProbe));
        shape.bTrustInfo = nAnnounced <= nBytes / 4;
        shape.nRate = nRate;
        // Every frame after the Info frame is one header read; a file has at most nBytes / 4.
        int64_t nWalked = 0;
        mpg123_frameinfo info{};
        for (int nRead; (nRead = mpg123_framebyframe_next(pProbe)) == MPG123_OK || nRead == MPG123_NEW_FORMAT;)
        {
            ++nWalked;
            if (mpg123_info(pProbe, &info) == MPG123_OK && info.rate != nRate && !shape.nOtherRate)
                shape.nOtherRate = info.rate;
            if (nWalked > nBytes / 4) break;
        }
        if (shape.bTrustInfo && nAnnounced > 0 && nWalked > nAnnounced + 1) shape.bTrustInfo = false;
    }
    mpg123_close(pProbe);
    mpg123_delete(pProbe);
    return shape;
}

// Reads that give no sample in a row before the decoder is given up (a new format gives none, a
// damaged file a few).
constexpr int MAX_EMPTY_READS = 16;
} // namespace

rvMp3Source::~rvMp3Source()
{
    Close();
}

void rvMp3Source::Close()
{
    if (_pHandle)
    {
        mpg123_close(_pHandle);
        mpg123_delete(_pHandle);
    }
    _pHandle = nullptr;
    _nFrames = _nPos = 0;
    _nChannels = 2;
    _bEnded = false;
    _aBlock.clear();
    _aBlock.shrink_to_fit();
}

int rvMp3Source::Open(const char* sPath, int nRate)
{
    Close();
    _sWhy[0] = 0;
    struct stat info{};
    if (!sPath || nRate <= 0 || stat(sPath, &info) != 0 || !S_ISREG(info.st_mode) || access(sPath, R_OK) != 0)
        return rvAudio::Error_FileOpen;

    InitMpg123Once();
    const FileShape shape = WalkFrames(sPath, int64_t(info.st_size));
    if (shape.nOtherRate)
    {
        std::snprintf(_sWhy, sizeof(_sWhy), "its sample rate changes from %ld to %ld Hz inside the file",
                      shape.nRate, shape.nOtherRate);
        return rvAudio::Error_Format;
    }
    const bool bTrustInfo = shape.bTrustInfo;
    int nErr = MPG123_OK;
    _pHandle = mpg123_new(nullptr, &nErr);
    if (!_pHandle) return rvAudio::Error_Memory;
    // Frames decoded ahead of a seek target so that layer III's bit reservoir and the synthesis
    // history are those of a decode from the start: seeks are sample-exact. Four are enough for
    // MPEG-1 at high rates, not for the half-size frames of MPEG-2 at low bit rates, which reach
    // further back. Gapless decoding (the default) removes the encoder delay and padding.
    mpg123_param(_pHandle, MPG123_PREFRAMES, 16, 0.);
    mpg123_param(_pHandle, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | (bTrustInfo ? 0 : MPG123_IGNORE_INFOFRAME), 0.);
    // Float samples at the output rate: mpg123 resamples files made at another rate.
    mpg123_format_none(_pHandle);
    mpg123_format(_pHandle, nRate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32);

    long nFileRate = 0;
    int nEncoding = 0;
    if (!OpenBuffered(_pHandle, sPath))
    {
        Close();
        return rvAudio::Error_FileOpen;
    }
    // The whole file's frame headers are read once (no decoding): the exact length, and the
    // index that makes seeks direct.
    const int64_t nLimit = (int64_t(info.st_size) / MIN_BYTES_PER_SECOND + 1) * 2 * nRate;
    if (mpg123_getformat(_pHandle, &nFileRate, &_nChannels, &nEncoding) != MPG123_OK || _nChannels < 1 ||
        _nChannels > 2 || nFileRate != nRate || nEncoding != MPG123_ENC_FLOAT_32 || mpg123_scan(_pHandle) != MPG123_OK)
    {
        Close();
        return rvAudio::Error_Format;
    }
    const off_t nLength = mpg123_length(_pHandle);
    if (nLength <= 0 || int64_t(nLength) > nLimit || mpg123_seek(_pHandle, 0, SEEK_SET) != 0)
    {
        Close();
        return rvAudio::Error_Format;
    }
    _nFrames = int64_t(nLength);
    return rvAudio::Error_None;
}

bool rvMp3Source::Seek(int64_t nFrame)
{
    if (!_pHandle || nFrame < 0 || nFrame > _nFrames) return false;
    if (nFrame == _nPos && !_bEnded) return true;
    if (mpg123_seek(_pHandle, off_t(nFrame), SEEK_SET) != off_t(nFrame))
    {
        _bEnded = true;
        return false;
    }
    _nPos = nFrame;
    _bEnded = false;
    return true;
}

int64_t rvMp3Source::Read(float* pOut, int64_t nFrames)
{
    if (!_pHandle || _bEnded) return 0;
    nFrames = std::min(nFrames, _nFrames - _nPos);
    int64_t nDone = 0;
    int nEmpty = 0;
    while (nDone < nFrames && nEmpty < MAX_EMPTY_READS)
    {
        // The decoder's own channel count; mono is doubled below, in place from the end.
        const int64_t nWant = nFrames - nDone;
        const size_t nBytes = size_t(nWant) * size_t(_nChannels) * sizeof(float);
        size_t nGot = 0;
        const int nRead = mpg123_read(_pHandle, reinterpret_cast<unsigned char*>(pOut + nDone * 2), nBytes, &nGot);
        const int64_t nNew = std::min<int64_t>(int64_t(nGot / sizeof(float)) / _nChannels, nWant);
        if (_nChannels == 1)
        {
            float* p = pOut + nDone * 2;
            for (int64_t i = nNew; i-- > 0;)
                p[2 * i] = p[2 * i + 1] = p[i];
        }
        nDone += nNew;
        nEmpty = nNew > 0 ? 0 : nEmpty + 1;
        if (nRead == MPG123_NEW_FORMAT)
        {
            long nRate = 0;
            int nEncoding = 0;
            if (mpg123_getformat(_pHandle, &nRate, &_nChannels, &nEncoding) == MPG123_OK && _nChannels >= 1 &&
                _nChannels <= 2 && nEncoding == MPG123_ENC_FLOAT_32)
                continue;
            _bEnded = true; // a format the layer cannot play
            break;
        }
        if (nRead != MPG123_OK)
        {
            _bEnded = true; // the end, or a damaged tail
            break;
        }
    }
    if (nEmpty >= MAX_EMPTY_READS) _bEnded = true;
    _nPos += nDone;
    return nDone;
}
