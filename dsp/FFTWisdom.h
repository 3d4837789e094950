#pragma once
// FFTW wisdom measured at build time for the transform sizes the engines use
// (resources/wisdom), as a string for fftwf_import_wisdom_from_string. The
// build links it into tovdsp.

namespace tovdsp
{
extern const char* const builtInFFTWisdom;
} // namespace tovdsp
