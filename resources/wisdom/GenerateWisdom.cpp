// Build-time generator of FFTW wisdom: measures the real transforms the
// convolution engines plan, once, on the build machine, and writes the result
// as a C++ string for FFTEngine to import. Planning with measurement costs
// seconds, far too much for every process that builds an engine; importing
// the wisdom costs microseconds and gives the same plans.
//
// The problems must match the engines' exactly: single precision, one
// dimension, complex transforms of half the real size, out of place,
// SIMD-aligned arrays, the forward one keeping its input and the inverse one
// allowed to destroy it.

#include <cstdio>
#include <cstdlib>
#include <fftw3.h>
#include <string>

namespace
{
// Every power of two a partition or a response transform may use.
constexpr int smallestLog2 = 4;
constexpr int largestLog2 = 15;

std::string cppString(const char* text)
{
    std::string out = "\"";
    for (const char* c = text; *c != '\0'; ++c)
    {
        if (*c == '\n')
            out += "\\n\"\n\"";
        else if (*c == '"' || *c == '\\')
            out += std::string("\\") + *c;
        else
            out += *c;
    }
    return out + "\"";
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <output .cpp file>\n", argv[0]);
        return 2;
    }
    for (int log2Size = smallestLog2; log2Size <= largestLog2; ++log2Size)
    {
        const int n = 1 << log2Size;
        auto* signal = fftwf_alloc_complex(static_cast<size_t>(n / 2));
        auto* spectrum = fftwf_alloc_complex(static_cast<size_t>(n / 2 + 1));
        fftwf_plan forward = fftwf_plan_dft_1d(n / 2, signal, spectrum, FFTW_FORWARD, FFTW_PATIENT);
        fftwf_plan inverse =
            fftwf_plan_dft_1d(n / 2, spectrum, signal, FFTW_BACKWARD, FFTW_PATIENT | FFTW_DESTROY_INPUT);
        if (forward == nullptr || inverse == nullptr)
        {
            std::fprintf(stderr, "%s: FFTW could not plan size %d\n", argv[0], n);
            return 1;
        }
        fftwf_destroy_plan(forward);
        fftwf_destroy_plan(inverse);
        fftwf_free(signal);
        fftwf_free(spectrum);
    }
    char* wisdom = fftwf_export_wisdom_to_string();
    if (wisdom == nullptr)
        return 1;
    std::FILE* out = std::fopen(argv[1], "w");
    if (out == nullptr)
    {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(out, "// Generated at build time by generate-fftw-wisdom.\n"
                      "#include \"dsp/FFTWisdom.h\"\n\n"
                      "namespace tovdsp\n{\nconst char* const builtInFFTWisdom =\n%s;\n} // namespace tovdsp\n",
                 cppString(wisdom).c_str());
    std::free(wisdom);
    return std::fclose(out) == 0 ? 0 : 1;
}
