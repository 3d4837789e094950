// The catalogue's decoder only ever sees our own compiled-in WAV files, but it
// must not trust them: any bytes decode without a memory error, to an empty
// buffer when they are not a RIFF/RF64 wave file, and never to more samples
// than the decoder's length limit at the highest working rate.
#include "FuzzSupport.h"

#include "catalogue/ImpulseResponseDecoder.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static morvane3::ImpulseResponseDecoder* decoder = [] {
        fuzzing::ensureJuceRuntime();
        return new morvane3::ImpulseResponseDecoder();
    }();
    if (size < 1)
        return 0;
    // The first byte picks the working rate, supported or not; the rest is the file.
    const double rates[] = { 44100.0, 48000.0, 88200.0, 96000.0, 192000.0, 22050.0, 0.0, -1.0 };
    const double rate = rates[data[0] % 8];
    const uint8_t* file = data + 1;
    const int fileSize = (int) size - 1;

    const auto ir = decoder->decode(file, fileSize, rate);
    const bool wave = fileSize >= 4 && (std::memcmp(file, "RIFF", 4) == 0 || std::memcmp(file, "RF64", 4) == 0);
    if (! wave && ir.length != 0)
        fuzzing::fail("bytes that are no wave file decoded to samples");
    if (ir.length < 0 || (int64_t) ir.length > (int64_t) (1 << 22) * 192000 / 44100 + 1)
        fuzzing::fail("decoded length beyond the limit");
    if (ir.length > 0 && ir.channelCount < 1)
        fuzzing::fail("samples without a channel");
    return 0;
}
